#include "workbook/xls/compound_file.h"

#include "data/error.h"
#include "workbook/xls/byte_order.h"

#include <algorithm>

namespace workbook::xls {
namespace {

constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint32_t kMiniStreamCutoff = 4096;
constexpr int kMiniSectorSize = 64;
constexpr int kHeaderDifatEntries = 109;
constexpr unsigned char kMagic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

data::Error damaged(const QString& detail)
{
    return data::Error(QStringLiteral("工作簿文件已损坏：%1。").arg(detail));
}

// Sector access over the file image; the last sector may be cut short by the file's end.
class SectorFile {
public:
    SectorFile(std::string_view image, int shift)
        : image_(image), size_(std::size_t(1) << shift),
          count_(image.size() <= size_ ? 0 : (image.size() - size_ + size_ - 1) / size_) {}

    std::size_t sectorSize() const { return size_; }
    std::size_t count() const { return count_; }

    // Appends sector `index` to `out`, zero-padded when the file ends inside it.
    void append(std::uint32_t index, std::string& out) const
    {
        if (index >= count_)
            throw damaged(QStringLiteral("扇区编号 %1 超出文件范围").arg(index));
        const std::size_t start = (std::size_t(index) + 1) * size_;
        const std::size_t available = std::min(size_, image_.size() - start);
        out.append(image_.data() + start, available);
        out.append(size_ - available, '\0');
    }

private:
    std::string_view image_;
    std::size_t size_;
    std::size_t count_;
};

// Follows a chain through an allocation table; every link must stay in range and the chain
// may not revisit a sector.
std::vector<std::uint32_t> followChain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                                       std::size_t sectorCount, const QString& what)
{
    std::vector<std::uint32_t> chain;
    std::vector<bool> seen(sectorCount, false);
    std::uint32_t current = start;
    while (current != kEndOfChain) {
        if (current >= sectorCount || current >= table.size())
            throw damaged(QStringLiteral("%1的扇区链指向不存在的扇区 %2").arg(what).arg(current));
        if (seen[current])
            throw damaged(QStringLiteral("%1的扇区链有循环").arg(what));
        seen[current] = true;
        chain.push_back(current);
        current = table[current];
    }
    return chain;
}

std::vector<std::uint32_t> tableFromBytes(const std::string& bytes)
{
    std::vector<std::uint32_t> table(bytes.size() / 4);
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = readU32(bytes.data() + 4 * i);
    return table;
}

QString entryName(const char* raw)
{
    const std::uint16_t bytes = readU16(raw + 64);
    int chars = std::min<int>(bytes / 2, 32);
    QString name;
    for (int i = 0; i < chars; ++i) {
        const char16_t c = readU16(raw + 2 * i);
        if (c == 0)
            break;
        name.append(QChar(c));
    }
    return name;
}

} // namespace

CompoundFile CompoundFile::parse(std::string_view image)
{
    if (image.size() < 512 || std::memcmp(image.data(), kMagic, 8) != 0)
        throw data::Error(QStringLiteral("外部表不是预期的格式。"));
    const char* header = image.data();
    const std::uint16_t major = readU16(header + 26);
    const std::uint16_t shift = readU16(header + 30);
    if (readU16(header + 28) != 0xFFFE || !((major == 3 && shift == 9) || (major == 4 && shift == 12))
        || readU16(header + 32) != 6)
        throw damaged(QStringLiteral("复合文件头无效"));

    CompoundFile file;
    file.sectorShift_ = shift;
    const SectorFile sectors(image, shift);
    const std::size_t perSector = sectors.sectorSize() / 4;

    // The allocation table's own sectors: 109 listed in the header, the rest in DIFAT sectors.
    const std::uint32_t fatCount = readU32(header + 44);
    if (fatCount > sectors.count())
        throw damaged(QStringLiteral("分配表扇区数超出文件范围"));
    std::vector<std::uint32_t> fatSectors;
    for (int i = 0; i < kHeaderDifatEntries && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(readU32(header + 76 + 4 * i));
    std::uint32_t difat = readU32(header + 68);
    std::vector<bool> difatSeen(sectors.count(), false);
    while (fatSectors.size() < fatCount) {
        if (difat >= sectors.count())
            throw damaged(QStringLiteral("DIFAT 扇区链指向不存在的扇区 %1").arg(difat));
        if (difatSeen[difat])
            throw damaged(QStringLiteral("DIFAT 扇区链有循环"));
        difatSeen[difat] = true;
        std::string block;
        sectors.append(difat, block);
        for (std::size_t i = 0; i + 1 < perSector && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(readU32(block.data() + 4 * i));
        difat = readU32(block.data() + 4 * (perSector - 1));
    }
    std::string fatBytes;
    fatBytes.reserve(fatSectors.size() * sectors.sectorSize());
    for (std::uint32_t s : fatSectors)
        sectors.append(s, fatBytes);
    const std::vector<std::uint32_t> fat = tableFromBytes(fatBytes);

    auto readBig = [&](std::uint32_t start, const QString& what) {
        std::string out;
        for (std::uint32_t s : followChain(fat, start, sectors.count(), what))
            sectors.append(s, out);
        return out;
    };

    // Directory.
    const std::string directory = readBig(readU32(header + 48), QStringLiteral("目录"));
    const std::size_t entryCount = directory.size() / 128;
    if (entryCount == 0)
        throw damaged(QStringLiteral("目录为空"));
    file.entries_.resize(entryCount);
    for (std::size_t i = 0; i < entryCount; ++i) {
        const char* raw = directory.data() + 128 * i;
        DirectoryEntry& e = file.entries_[i];
        std::memcpy(e.raw.data(), raw, 128);
        const auto type = std::uint8_t(raw[66]);
        e.type = (type == 1 || type == 2 || type == 5) ? DirectoryEntry::Type(type) : DirectoryEntry::Unused;
        if (e.type == DirectoryEntry::Unused)
            continue;
        e.name = entryName(raw);
        e.left = readU32(raw + 68);
        e.right = readU32(raw + 72);
        e.child = readU32(raw + 76);
    }
    if (file.entries_[0].type != DirectoryEntry::Root)
        throw damaged(QStringLiteral("目录缺少根项"));

    // Walk the tree once: every link in range, no entry reached twice.
    std::vector<bool> reached(entryCount, false);
    std::vector<std::uint32_t> pending{0};
    reached[0] = true;
    while (!pending.empty()) {
        const DirectoryEntry& e = file.entries_[pending.back()];
        pending.pop_back();
        for (std::uint32_t link : {e.left, e.right, e.child}) {
            if (link == kNoStream)
                continue;
            if (link >= entryCount || file.entries_[link].type == DirectoryEntry::Unused
                || file.entries_[link].type == DirectoryEntry::Root)
                throw damaged(QStringLiteral("目录项链接无效"));
            if (reached[link])
                throw damaged(QStringLiteral("目录树有循环"));
            reached[link] = true;
            pending.push_back(link);
        }
    }

    // The mini stream lives in the root's chain; small streams are addressed in 64-byte pieces.
    const DirectoryEntry& root = file.entries_[0];
    auto entrySize = [&](const DirectoryEntry& e) {
        const std::uint64_t low = readU32(e.raw.data() + 120);
        return major == 3 ? low : low | (std::uint64_t(readU32(e.raw.data() + 124)) << 32);
    };
    const std::uint64_t miniStreamSize = entrySize(root);
    std::string miniStream;
    if (miniStreamSize > 0) {
        miniStream = readBig(readU32(root.raw.data() + 116), QStringLiteral("小流容器"));
        if (miniStreamSize > miniStream.size())
            throw damaged(QStringLiteral("小流容器的长度大于其扇区链"));
        miniStream.resize(miniStreamSize);
        miniStream.append((kMiniSectorSize - miniStream.size() % kMiniSectorSize) % kMiniSectorSize, '\0');
    }
    const std::size_t miniSectorCount = miniStream.size() / kMiniSectorSize;
    std::vector<std::uint32_t> miniFat;
    if (readU32(header + 64) > 0 && readU32(header + 60) != kEndOfChain)
        miniFat = tableFromBytes(readBig(readU32(header + 60), QStringLiteral("小分配表")));

    file.streams_.resize(entryCount);
    for (std::size_t i = 1; i < entryCount; ++i) {
        const DirectoryEntry& e = file.entries_[i];
        if (e.type != DirectoryEntry::Stream || !reached[i])
            continue;
        const std::uint64_t size = entrySize(e);
        if (size == 0)
            continue;
        if (size > image.size())
            throw damaged(QStringLiteral("流“%1”的长度大于文件").arg(e.name));
        const std::uint32_t start = readU32(e.raw.data() + 116);
        if (size < kMiniStreamCutoff) {
            const auto chain = followChain(miniFat, start, miniSectorCount, e.name);
            if (size > std::uint64_t(chain.size()) * kMiniSectorSize)
                throw damaged(QStringLiteral("流“%1”的长度大于其扇区链").arg(e.name));
            std::string data;
            data.reserve(size);
            for (std::uint32_t s : chain)
                data.append(miniStream.data() + std::size_t(s) * kMiniSectorSize, kMiniSectorSize);
            data.resize(size);
            file.streams_[i] = std::move(data);
        } else {
            const auto chain = followChain(fat, start, sectors.count(), e.name);
            std::string data;
            data.reserve(size);
            if (size > std::uint64_t(chain.size()) * sectors.sectorSize())
                throw damaged(QStringLiteral("流“%1”的长度大于其扇区链").arg(e.name));
            for (std::uint32_t s : chain) {
                if (data.size() >= size)
                    break;
                sectors.append(s, data);
            }
            data.resize(size);
            file.streams_[i] = std::move(data);
        }
    }
    // Entries outside the tree carry nothing; they are written back empty.
    for (std::size_t i = 1; i < entryCount; ++i)
        if (!reached[i] && file.entries_[i].type != DirectoryEntry::Unused) {
            writeU32(file.entries_[i].raw.data() + 116, kEndOfChain);
            writeU32(file.entries_[i].raw.data() + 120, 0);
            writeU32(file.entries_[i].raw.data() + 124, 0);
        }
    return file;
}

int CompoundFile::findRootStream(const QString& name) const
{
    // The root's children form a tree through left/right links; search it without recursion.
    std::vector<std::uint32_t> pending;
    if (entries_[0].child != kNoStream)
        pending.push_back(entries_[0].child);
    while (!pending.empty()) {
        const std::uint32_t i = pending.back();
        pending.pop_back();
        const DirectoryEntry& e = entries_[i];
        if (e.type == DirectoryEntry::Stream && e.name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
        for (std::uint32_t link : {e.left, e.right})
            if (link != kNoStream)
                pending.push_back(link);
    }
    return -1;
}

std::string CompoundFile::serialize(int replaced, std::string_view replacement) const
{
    auto content = [&](std::size_t i) {
        return int(i) == replaced ? replacement : std::string_view(streams_[i]);
    };
    const std::size_t sectorSize = std::size_t(1) << sectorShift_;
    const std::size_t perSector = sectorSize / 4;
    auto sectorsFor = [&](std::size_t bytes, std::size_t unit) { return (bytes + unit - 1) / unit; };

    // Small streams go into the mini stream, the rest into sectors of their own.
    std::string miniStream;
    std::vector<std::uint32_t> miniFat;
    std::vector<std::uint32_t> miniStart(entries_.size(), kEndOfChain);
    std::size_t bigSectors = 0;
    for (std::size_t i = 1; i < entries_.size(); ++i) {
        if (entries_[i].type != DirectoryEntry::Stream || content(i).empty())
            continue;
        const std::string_view data = content(i);
        if (data.size() >= kMiniStreamCutoff) {
            bigSectors += sectorsFor(data.size(), sectorSize);
            continue;
        }
        const std::size_t pieces = sectorsFor(data.size(), kMiniSectorSize);
        miniStart[i] = std::uint32_t(miniFat.size());
        for (std::size_t k = 0; k < pieces; ++k)
            miniFat.push_back(k + 1 == pieces ? kEndOfChain : std::uint32_t(miniFat.size() + 1));
        miniStream.append(data);
        miniStream.append(pieces * kMiniSectorSize - data.size(), '\0');
    }
    const std::size_t miniStreamSectors = sectorsFor(miniStream.size(), sectorSize);
    const std::size_t miniFatSectors = sectorsFor(miniFat.size() * 4, sectorSize);
    const std::size_t dirSectors = sectorsFor(entries_.size() * 128, sectorSize);
    const std::size_t dataSectors = dirSectors + miniFatSectors + miniStreamSectors + bigSectors;

    std::size_t fatSectors = 0;
    std::size_t difatSectors = 0;
    for (;;) {
        const std::size_t total = dataSectors + fatSectors + difatSectors;
        const std::size_t needFat = sectorsFor(total, perSector);
        const std::size_t needDifat =
            needFat > std::size_t(kHeaderDifatEntries) ? sectorsFor(needFat - kHeaderDifatEntries, perSector - 1) : 0;
        if (needFat == fatSectors && needDifat == difatSectors)
            break;
        fatSectors = needFat;
        difatSectors = needDifat;
    }

    std::vector<std::uint32_t> fat(fatSectors * perSector, kFreeSector);
    std::uint32_t next = 0;
    auto allocate = [&](std::size_t count, std::uint32_t mark) {
        const std::uint32_t first = next;
        for (std::size_t k = 0; k < count; ++k, ++next)
            fat[next] = mark != 0 ? mark : (k + 1 == count ? kEndOfChain : next + 1);
        return count == 0 ? kEndOfChain : first;
    };
    const std::uint32_t firstFat = allocate(fatSectors, kFatSector);
    const std::uint32_t firstDifat = allocate(difatSectors, kDifatSector);
    const std::uint32_t firstDir = allocate(dirSectors, 0);
    const std::uint32_t firstMiniFat = allocate(miniFatSectors, 0);
    const std::uint32_t firstMiniStream = allocate(miniStreamSectors, 0);
    std::vector<std::uint32_t> bigStart(entries_.size(), kEndOfChain);
    for (std::size_t i = 1; i < entries_.size(); ++i)
        if (entries_[i].type == DirectoryEntry::Stream && content(i).size() >= kMiniStreamCutoff)
            bigStart[i] = allocate(sectorsFor(content(i).size(), sectorSize), 0);

    std::string out;
    out.reserve((next + 1) * sectorSize);
    // Header, padded to one sector.
    out.append(reinterpret_cast<const char*>(kMagic), 8);
    out.append(16, '\0');
    appendU16(out, 0x003E);
    appendU16(out, sectorShift_ == 9 ? 3 : 4);
    appendU16(out, 0xFFFE);
    appendU16(out, std::uint16_t(sectorShift_));
    appendU16(out, 6);
    out.append(6, '\0');
    appendU32(out, sectorShift_ == 9 ? 0 : std::uint32_t(dirSectors));
    appendU32(out, std::uint32_t(fatSectors));
    appendU32(out, firstDir);
    appendU32(out, 0);
    appendU32(out, kMiniStreamCutoff);
    appendU32(out, miniFatSectors ? firstMiniFat : kEndOfChain);
    appendU32(out, std::uint32_t(miniFatSectors));
    appendU32(out, difatSectors ? firstDifat : kEndOfChain);
    appendU32(out, std::uint32_t(difatSectors));
    for (int i = 0; i < kHeaderDifatEntries; ++i)
        appendU32(out, std::size_t(i) < fatSectors ? firstFat + i : kFreeSector);
    out.append(sectorSize - out.size(), '\0');

    for (std::uint32_t v : fat)
        appendU32(out, v);
    for (std::size_t d = 0; d < difatSectors; ++d) {
        for (std::size_t k = 0; k + 1 < perSector; ++k) {
            const std::size_t fatIndex = kHeaderDifatEntries + d * (perSector - 1) + k;
            appendU32(out, fatIndex < fatSectors ? firstFat + std::uint32_t(fatIndex) : kFreeSector);
        }
        appendU32(out, d + 1 < difatSectors ? firstDifat + std::uint32_t(d + 1) : kEndOfChain);
    }

    const std::size_t dirStart = out.size();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        std::array<char, 128> raw = entries_[i].raw;
        if (i == 0) {
            writeU32(raw.data() + 116, miniStream.empty() ? kEndOfChain : firstMiniStream);
            writeU32(raw.data() + 120, std::uint32_t(miniStream.size()));
            writeU32(raw.data() + 124, 0);
        } else if (entries_[i].type == DirectoryEntry::Stream) {
            const std::string_view data = content(i);
            const std::uint32_t start = data.empty() ? kEndOfChain
                                        : data.size() < kMiniStreamCutoff ? miniStart[i] : bigStart[i];
            writeU32(raw.data() + 116, start);
            writeU32(raw.data() + 120, std::uint32_t(data.size()));
            writeU32(raw.data() + 124, sectorShift_ == 9 ? 0 : std::uint32_t(std::uint64_t(data.size()) >> 32));
        }
        out.append(raw.data(), raw.size());
    }
    // Fill the last directory sector with empty entries.
    while (out.size() < dirStart + dirSectors * sectorSize) {
        std::array<char, 128> empty{};
        writeU32(empty.data() + 68, kNoStream);
        writeU32(empty.data() + 72, kNoStream);
        writeU32(empty.data() + 76, kNoStream);
        out.append(empty.data(), empty.size());
    }

    auto padSector = [&] { out.append((sectorSize - out.size() % sectorSize) % sectorSize, '\0'); };
    for (std::uint32_t v : miniFat)
        appendU32(out, v);
    for (std::size_t k = miniFat.size(); k < miniFatSectors * perSector; ++k)
        appendU32(out, kFreeSector);
    out.append(miniStream);
    padSector();
    for (std::size_t i = 1; i < entries_.size(); ++i)
        if (entries_[i].type == DirectoryEntry::Stream && content(i).size() >= kMiniStreamCutoff) {
            out.append(content(i));
            padSector();
        }
    return out;
}

} // namespace workbook::xls
