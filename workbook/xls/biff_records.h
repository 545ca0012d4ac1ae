#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace workbook::xls {

namespace rec {
constexpr std::uint16_t Formula = 0x0006, Eof = 0x000A, Note = 0x001C, Continue = 0x003C;
constexpr std::uint16_t ExternSheet = 0x0017, Name = 0x0018, DateMode = 0x0022, FilePass = 0x002F;
constexpr std::uint16_t CodePage = 0x0042, BoundSheet = 0x0085, MulRk = 0x00BD, MulBlank = 0x00BE;
constexpr std::uint16_t RString = 0x00D6, DbCell = 0x00D7, Xf = 0x00E0, MergedCells = 0x00E5;
constexpr std::uint16_t Sst = 0x00FC, LabelSst = 0x00FD, ExtSst = 0x00FF, CondFmt = 0x01B0;
constexpr std::uint16_t DVal = 0x01B2, HLink = 0x01B8, Dimensions = 0x0200, Blank = 0x0201;
constexpr std::uint16_t Number = 0x0203, Label = 0x0204, BoolErr = 0x0205, String = 0x0207;
constexpr std::uint16_t Row = 0x0208, Index = 0x020B, Array = 0x0221, Table = 0x0236, Rk = 0x027E;
constexpr std::uint16_t Format = 0x041E, ShrFmla = 0x04BC, Bof = 0x0809, MsoDrawing = 0x00EC;
constexpr std::uint16_t XfBiff4 = 0x0443, FormatBiff4 = 0x001E, Formula4 = 0x0406;
} // namespace rec

// The largest record body BIFF8 allows; longer content goes on in CONTINUE records.
constexpr std::size_t kMaxRecordBody = 8224;

struct Record {
    std::uint16_t type = 0;
    std::size_t offset = 0;   // of the header in the stream
    std::string_view body;
    std::size_t end() const { return offset + 4 + body.size(); }
};

// Walks the records of a workbook stream; a length that runs past the stream's end raises.
class RecordCursor {
public:
    RecordCursor(std::string_view stream, std::size_t start);

    bool atEnd() const { return pos_ >= stream_.size(); }
    Record next();
    // The next record's type without moving, or 0 at the end.
    std::uint16_t peekType() const;
    std::size_t position() const { return pos_; }

private:
    std::string_view stream_;
    std::size_t pos_;
};

// Reads one record's content together with the CONTINUE records that follow it. Character
// data that crosses into a continued piece restarts with a flag byte there, as BIFF8 writes it.
class ContinuedReader {
public:
    explicit ContinuedReader(std::vector<std::string_view> pieces) : pieces_(std::move(pieces)) {}

    bool atEnd() const;
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    void skip(std::size_t n);
    std::string bytes(std::size_t n);
    // `count` characters, 8-bit or 16-bit as `wide` says at the start.
    QString characters(std::size_t count, bool wide);

private:
    void ensure();           // moves to the next piece when the current one is used up
    std::vector<std::string_view> pieces_;
    std::size_t piece_ = 0;
    std::size_t pos_ = 0;
};

// Reads a record and its CONTINUE followers from the cursor.
std::vector<std::string_view> withContinues(const Record& first, RecordCursor& cursor);

// The error raised for a record that does not hold what its type promises.
[[noreturn]] void throwBadRecord(std::uint16_t type, std::size_t offset);

} // namespace workbook::xls
