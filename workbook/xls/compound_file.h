#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace workbook::xls {

// One entry of a compound file's directory. Everything but the stream content is kept as read,
// so that writing the file back carries every storage and stream with its class id and times.
struct DirectoryEntry {
    enum Type : std::uint8_t { Unused = 0, Storage = 1, Stream = 2, Root = 5 };

    QString name;
    Type type = Unused;
    std::uint32_t left = 0xFFFFFFFF;
    std::uint32_t right = 0xFFFFFFFF;
    std::uint32_t child = 0xFFFFFFFF;
    std::array<char, 128> raw{}; // the entry as stored (name, colour, class id, state bits, times)
};

// An OLE2 compound file held in memory: its directory and the content of every stream.
// Parsing validates every sector chain (loops, sectors out of range, sizes longer than their
// chain); any fault ends in a data::Error that says the file is damaged.
class CompoundFile {
public:
    static CompoundFile parse(std::string_view image);

    const std::vector<DirectoryEntry>& entries() const { return entries_; }

    // The index of the stream named `name` (case-insensitive) directly below the root, or -1.
    int findRootStream(const QString& name) const;

    const std::string& streamData(int entry) const { return streams_[entry]; }
    void setStreamData(int entry, std::string data) { streams_[entry] = std::move(data); }
    std::string takeStreamData(int entry) { return std::exchange(streams_[entry], {}); }

    // The whole file laid out afresh, with the sector size it was read with; the stream
    // `replaced`, if given, with `replacement` as its content.
    std::string serialize(int replaced = -1, std::string_view replacement = {}) const;

private:
    int sectorShift_ = 9;
    std::vector<DirectoryEntry> entries_;
    std::vector<std::string> streams_; // by entry; empty for storages
};

} // namespace workbook::xls
