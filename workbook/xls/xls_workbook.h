#pragma once

#include "workbook/common/engine.h"
#include "workbook/common/safe_save.h"
#include "workbook/xls/compound_file.h"
#include "workbook/xls/workbook_globals.h"

#include <QHash>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace workbook::xls {

// An .xls workbook: the compound file, its workbook stream and what the stream's globals say.
// Writes re-serialise the edited sheet and the shared strings into the stream held here;
// save() puts the stream back into the compound file, every other stream unchanged.
// A sheet taken apart for editing stays so between edits, so that a posted edit costs one
// pass over the sheet's cells rather than a fresh parse.
class SheetLayout;

class XlsWorkbook final : public Workbook {
public:
    static std::unique_ptr<XlsWorkbook> open(const QString& path);

    const QString& path() const override { return path_; }
    std::vector<Worksheet> worksheets() const override;
    std::vector<NamedRange> namedRanges() const override;
    void readCells(int sheet, CellSink& sink) override;
    void writeCells(int sheet, int row, std::span<const CellWrite> cells) override;
    void deleteRow(int sheet, int row) override;
    void save() override;
    void revert() override;

private:
    // Streams are never changed in place: an edit makes a new one, so that the stream last
    // saved and the sheets being edited can share the bytes they were read from.
    using Stream = std::shared_ptr<const std::string>;
    struct State {
        Stream stream;
        WorkbookGlobals globals;
    };
    // A sheet being edited: the stream it was taken from when editing began, and the layout over it.
    struct EditedSheet {
        Stream source;
        std::unique_ptr<SheetLayout> layout;
        ~EditedSheet();
    };

    XlsWorkbook() = default;
    std::string_view stream() const { return *current_.stream; }
    int sheetEntry(int worksheet) const;   // BOUNDSHEET index of a listed worksheet
    void requireWritable() const;
    std::string_view chunkOf(int entry) const; // the sheet's part of the current stream
    std::uint32_t stringIndex(const QString& text); // finds or adds a shared string
    std::uint16_t dateStyle(std::vector<std::string>& extraXfs) const;
    SheetLayout& editedLayout(int entry);
    void writeInto(SheetLayout& layout, int row, std::span<const CellWrite> cells,
                   std::vector<std::string>& extraXfs);
    void replaceSheet(int entry, const SheetLayout& layout, const std::vector<std::string>& extraXfs);

    QString path_;
    FileStamp stamp_;
    CompoundFile file_;
    int streamEntry_ = -1;
    std::vector<int> worksheetEntries_;
    State current_;
    std::map<int, EditedSheet> edited_;   // by BOUNDSHEET index
    bool unsaved_ = false;
    Stream savedStream_; // the stream as last saved, for revert(); only while unsaved_
    std::optional<QHash<QString, std::uint32_t>> stringIndex_;
};

} // namespace workbook::xls
