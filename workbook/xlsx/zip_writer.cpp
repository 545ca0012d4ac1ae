#include "workbook/xlsx/zip_writer.h"

#include "workbook/common/messages.h"

#include <QDateTime>
#include <QSet>
#include <libdeflate.h>

#include <memory>
#include <vector>

namespace workbook::xlsx {
namespace {

constexpr quint32 kLocalHeader = 0x04034b50;
constexpr quint32 kCentralHeader = 0x02014b50;
constexpr quint32 kEndOfCentral = 0x06054b50;
constexpr quint16 kDeflated = 8;
constexpr quint16 kDataDescriptorFlag = 1 << 3;
constexpr quint16 kUtf8NameFlag = 1 << 11;
// Deflate level for rewritten parts: a large sheet must be stored within a fraction of a second.
constexpr int kDeflateLevel = 1;

struct CompressorFree {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

data::Error damaged() { return writeRefused(QStringLiteral("工作簿的 zip 目录已损坏，无法写回。")); }

quint16 u16(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        throw damaged();
    const auto* p = reinterpret_cast<const uchar*>(b.constData() + at);
    return quint16(p[0] | (p[1] << 8));
}

quint32 u32(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        throw damaged();
    const auto* p = reinterpret_cast<const uchar*>(b.constData() + at);
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

void put16(QByteArray& out, quint16 v)
{
    const char b[2] = {char(v & 0xff), char(v >> 8)};
    out.append(b, 2);
}

void put32(QByteArray& out, quint32 v)
{
    const char b[4] = {char(v & 0xff), char((v >> 8) & 0xff), char((v >> 16) & 0xff), char(v >> 24)};
    out.append(b, 4);
}

// One entry of the package as the central directory describes it.
struct Entry {
    QByteArray name;
    quint16 versionMadeBy = 20;
    quint16 versionNeeded = 20;
    quint16 flags = 0;
    quint16 method = kDeflated;
    quint16 time = 0;
    quint16 date = 0;
    quint32 crc = 0;
    quint32 compressedSize = 0;
    quint32 size = 0;
    quint16 internalAttributes = 0;
    quint32 externalAttributes = 0;
    qsizetype dataOffset = -1; // compressed bytes in the original, or -1 for new content
    QByteArray content;        // compressed bytes of new content
};

QString partKey(QString name)
{
    if (name.startsWith(u'/'))
        name.remove(0, 1);
    return name.toLower();
}

std::vector<Entry> readCentralDirectory(const QByteArray& zip)
{
    // The end record sits in the last 64 KiB + 22 bytes (its comment is at most 64 KiB).
    qsizetype end = -1;
    for (qsizetype at = zip.size() - 22; at >= 0 && at >= zip.size() - 22 - 0xffff; --at)
        if (u32(zip, at) == kEndOfCentral) {
            end = at;
            break;
        }
    if (end < 0)
        throw damaged();
    const quint16 count = u16(zip, end + 10);
    const quint32 directorySize = u32(zip, end + 12);
    const quint32 directoryOffset = u32(zip, end + 16);
    if (count == 0xffff || directoryOffset == 0xffffffff)
        throw writeRefused(QStringLiteral("不支持写回 zip64 格式的工作簿。"));
    if (qint64(directoryOffset) + directorySize > end)
        throw damaged();
    std::vector<Entry> entries;
    entries.reserve(count);
    qsizetype at = directoryOffset;
    for (quint16 i = 0; i < count; ++i) {
        if (u32(zip, at) != kCentralHeader)
            throw damaged();
        Entry e;
        e.versionMadeBy = u16(zip, at + 4);
        e.versionNeeded = u16(zip, at + 6);
        e.flags = u16(zip, at + 8);
        e.method = u16(zip, at + 10);
        e.time = u16(zip, at + 12);
        e.date = u16(zip, at + 14);
        e.crc = u32(zip, at + 16);
        e.compressedSize = u32(zip, at + 20);
        e.size = u32(zip, at + 24);
        const quint16 nameLength = u16(zip, at + 28);
        const quint16 extraLength = u16(zip, at + 30);
        const quint16 commentLength = u16(zip, at + 32);
        e.internalAttributes = u16(zip, at + 36);
        e.externalAttributes = u32(zip, at + 38);
        const quint32 localOffset = u32(zip, at + 42);
        if (e.compressedSize == 0xffffffff || e.size == 0xffffffff || localOffset == 0xffffffff)
            throw writeRefused(QStringLiteral("不支持写回 zip64 格式的工作簿。"));
        if (e.flags & 1)
            throw writeRefused(QStringLiteral("工作簿已加密，无法写回。"));
        if (at + 46 + nameLength > zip.size())
            throw damaged();
        e.name = zip.mid(at + 46, nameLength);
        if (u32(zip, localOffset) != kLocalHeader)
            throw damaged();
        e.dataOffset = qsizetype(localOffset) + 30 + u16(zip, localOffset + 26) + u16(zip, localOffset + 28);
        if (qint64(e.dataOffset) + e.compressedSize > directoryOffset)
            throw damaged();
        // Sizes and CRC now live in the headers themselves.
        e.flags &= quint16(~kDataDescriptorFlag);
        entries.push_back(std::move(e));
        at += 46 + nameLength + extraLength + commentLength;
    }
    return entries;
}

void deflateInto(Entry& e, const QByteArray& content)
{
    e.size = quint32(content.size());
    e.crc = libdeflate_crc32(0, content.constData(), size_t(content.size()));
    const std::unique_ptr<libdeflate_compressor, CompressorFree> compressor(libdeflate_alloc_compressor(kDeflateLevel));
    if (!compressor)
        throw writeRefused(QStringLiteral("内存不足。"));
    e.content.resize(qsizetype(libdeflate_deflate_compress_bound(compressor.get(), size_t(content.size()))));
    const size_t written = libdeflate_deflate_compress(compressor.get(), content.constData(), size_t(content.size()),
                                                       e.content.data(), size_t(e.content.size()));
    if (written == 0)
        throw writeRefused(QStringLiteral("无法压缩工作簿部件。"));
    e.content.resize(qsizetype(written));
    e.compressedSize = quint32(written);
    e.method = kDeflated;
    e.versionNeeded = std::max<quint16>(e.versionNeeded, 20);
    e.dataOffset = -1;
}

void nowInDos(Entry& e)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    e.date = quint16(((d.year() - 1980) << 9) | (d.month() << 5) | d.day());
    e.time = quint16((t.hour() << 11) | (t.minute() << 5) | (t.second() / 2));
}

} // namespace

QByteArray rewriteZip(const QByteArray& original, const QHash<QString, QByteArray>& replaced,
                      const QStringList& removed)
{
    std::vector<Entry> entries = readCentralDirectory(original);
    QHash<QString, const QByteArray*> pending;
    for (auto it = replaced.begin(); it != replaced.end(); ++it)
        pending.insert(partKey(it.key()), &it.value());
    QSet<QString> gone;
    for (const QString& part : removed)
        gone.insert(partKey(part));

    std::vector<Entry> kept;
    kept.reserve(entries.size() + size_t(pending.size()));
    for (Entry& e : entries) {
        const QString key = partKey(QString::fromUtf8(e.name));
        if (gone.contains(key))
            continue;
        if (const auto found = pending.constFind(key); found != pending.constEnd()) {
            deflateInto(e, **found);
            nowInDos(e);
            pending.erase(found);
        }
        kept.push_back(std::move(e));
    }
    for (auto it = replaced.begin(); it != replaced.end(); ++it) {
        if (!pending.contains(partKey(it.key())))
            continue;
        Entry e;
        QString name = it.key();
        if (name.startsWith(u'/'))
            name.remove(0, 1);
        e.name = name.toUtf8();
        e.flags = kUtf8NameFlag;
        deflateInto(e, it.value());
        nowInDos(e);
        kept.push_back(std::move(e));
    }
    if (kept.size() > 0xfffe)
        throw writeRefused(QStringLiteral("工作簿部件过多。"));

    qint64 total = 22;
    for (const Entry& e : kept)
        total += 30 + 46 + 2 * e.name.size() + e.compressedSize;
    if (total >= 0xffffffffLL)
        throw writeRefused(QStringLiteral("工作簿过大，无法写回。"));
    QByteArray out;
    out.reserve(qsizetype(total));
    std::vector<quint32> offsets;
    offsets.reserve(kept.size());
    for (const Entry& e : kept) {
        offsets.push_back(quint32(out.size()));
        put32(out, kLocalHeader);
        put16(out, e.versionNeeded);
        put16(out, e.flags);
        put16(out, e.method);
        put16(out, e.time);
        put16(out, e.date);
        put32(out, e.crc);
        put32(out, e.compressedSize);
        put32(out, e.size);
        put16(out, quint16(e.name.size()));
        put16(out, 0);
        out.append(e.name);
        if (e.dataOffset >= 0)
            out.append(original.constData() + e.dataOffset, e.compressedSize);
        else
            out.append(e.content);
    }
    const quint32 directoryOffset = quint32(out.size());
    for (size_t i = 0; i < kept.size(); ++i) {
        const Entry& e = kept[i];
        put32(out, kCentralHeader);
        put16(out, e.versionMadeBy);
        put16(out, e.versionNeeded);
        put16(out, e.flags);
        put16(out, e.method);
        put16(out, e.time);
        put16(out, e.date);
        put32(out, e.crc);
        put32(out, e.compressedSize);
        put32(out, e.size);
        put16(out, quint16(e.name.size()));
        put16(out, 0); // extra
        put16(out, 0); // comment
        put16(out, 0); // disk
        put16(out, e.internalAttributes);
        put32(out, e.externalAttributes);
        put32(out, offsets[i]);
        out.append(e.name);
    }
    const quint32 directorySize = quint32(out.size()) - directoryOffset;
    put32(out, kEndOfCentral);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(kept.size()));
    put16(out, quint16(kept.size()));
    put32(out, directorySize);
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

} // namespace workbook::xlsx
