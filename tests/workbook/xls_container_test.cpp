// The compound file container and the BIFF reader under damaged and hostile input: every
// fault ends in a clear data::Error, and a file written back keeps every stream.
#include "xls_test_support.h"

#include "data/error.h"
#include "workbook/common/engine.h"
#include "workbook/xls/byte_order.h"
#include "workbook/xls/compound_file.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

using namespace workbook;
using namespace workbook::xls;

namespace {

std::string bytesOf(const QByteArray& a) { return std::string(a.constData(), size_t(a.size())); }

// A compound file with 4096-byte sectors: a 5000-byte stream in sectors of its own and a
// 100-byte stream in the mini stream.
std::string version4File(const std::string& big, const std::string& small)
{
    const size_t S = 4096;
    std::string img(S * 7, '\0');
    char* h = img.data();
    const unsigned char magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(h, magic, 8);
    writeU16(h + 24, 0x3E);
    writeU16(h + 26, 4);
    writeU16(h + 28, 0xFFFE);
    writeU16(h + 30, 12);
    writeU16(h + 32, 6);
    writeU32(h + 40, 1);          // directory sectors
    writeU32(h + 44, 1);          // FAT sectors
    writeU32(h + 48, 1);          // first directory sector
    writeU32(h + 56, 4096);
    writeU32(h + 60, 4);          // first miniFAT sector
    writeU32(h + 64, 1);
    writeU32(h + 68, 0xFFFFFFFE); // no DIFAT sectors
    writeU32(h + 76, 0);
    for (int i = 1; i < 109; ++i)
        writeU32(h + 76 + 4 * i, 0xFFFFFFFF);
    auto sector = [&](int s) { return img.data() + (s + 1) * S; };
    const uint32_t fat[] = {0xFFFFFFFD, 0xFFFFFFFE, 3, 0xFFFFFFFE, 0xFFFFFFFE, 0xFFFFFFFE};
    for (uint32_t i = 0; i < S / 4; ++i)
        writeU32(sector(0) + 4 * i, i < 6 ? fat[i] : 0xFFFFFFFF);
    auto entry = [&](int i, const char16_t* name, uint8_t type, uint32_t child, uint32_t right, uint32_t start,
                     uint32_t size) {
        char* e = sector(1) + 128 * i;
        int n = 0;
        for (; name[n]; ++n)
            writeU16(e + 2 * n, name[n]);
        writeU16(e + 64, uint16_t(2 * n + 2));
        e[66] = char(type);
        writeU32(e + 68, 0xFFFFFFFF);
        writeU32(e + 72, right);
        writeU32(e + 76, child);
        writeU32(e + 116, start);
        writeU32(e + 120, size);
    };
    entry(0, u"Root Entry", 5, 1, 0xFFFFFFFF, 5, 128);
    entry(1, u"Workbook", 2, 0xFFFFFFFF, 2, 2, uint32_t(big.size()));
    entry(2, u"Small", 2, 0xFFFFFFFF, 0xFFFFFFFF, 0, uint32_t(small.size()));
    for (int i = 3; i < int(S / 128); ++i)
        for (int k : {68, 72, 76})
            writeU32(sector(1) + 128 * i + k, 0xFFFFFFFF);
    std::memcpy(sector(2), big.data(), big.size());
    for (uint32_t i = 0; i < S / 4; ++i)
        writeU32(sector(4) + 4 * i, i == 0 ? 1 : i == 1 ? 0xFFFFFFFE : 0xFFFFFFFF);
    std::memcpy(sector(5), small.data(), small.size());
    return img;
}

TEST(XlsContainer, ReadsAndWritesBothSectorSizesKeepingEveryStream)
{
    std::string big(5000, 'b');
    big[4999] = 'e';
    const std::string small(100, 's');
    const std::string v4 = version4File(big, small);
    CompoundFile file = CompoundFile::parse(v4);
    ASSERT_EQ(file.streamData(file.findRootStream(QStringLiteral("workbook"))), big);
    ASSERT_EQ(file.streamData(file.findRootStream(QStringLiteral("Small"))), small);
    const std::string written = file.serialize();
    EXPECT_EQ(readU16(written.data() + 30), 12);
    const CompoundFile again = CompoundFile::parse(written);
    EXPECT_EQ(again.streamData(again.findRootStream(QStringLiteral("Workbook"))), big);
    EXPECT_EQ(again.streamData(again.findRootStream(QStringLiteral("Small"))), small);

    // Every corpus workbook (512-byte sectors) written back holds the same entries and streams.
    QDirIterator it(QStringLiteral(VARNELO_CORPUS "/sheetjs"), {QStringLiteral("*.xls")}, QDir::Files,
                    QDirIterator::Subdirectories);
    int checked = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        const std::string image = bytesOf(xlstest::readFile(path));
        std::optional<CompoundFile> original;
        try {
            original = CompoundFile::parse(image);
        } catch (const data::Error&) {
            continue;
        }
        const CompoundFile copy = CompoundFile::parse(original->serialize());
        ASSERT_EQ(copy.entries().size(), original->entries().size()) << path.toStdString();
        for (size_t i = 0; i < copy.entries().size(); ++i) {
            const auto& a = original->entries()[i];
            const auto& b = copy.entries()[i];
            EXPECT_EQ(a.name, b.name) << path.toStdString();
            // Name, type, links, class id, state bits and times: everything but where the data lies.
            if (i > 0)
                EXPECT_EQ(std::memcmp(a.raw.data(), b.raw.data(), 116), 0) << path.toStdString() << " entry " << i;
            EXPECT_EQ(copy.streamData(int(i)), original->streamData(int(i))) << path.toStdString() << " entry " << i;
        }
        ++checked;
    }
    EXPECT_GT(checked, 60);
}

// Minimal BIFF8 workbook streams for the reader's bad-input cases.
std::string record(uint16_t type, const std::string& body)
{
    std::string r;
    appendU16(r, type);
    appendU16(r, uint16_t(body.size()));
    return r + body;
}

std::string bof(uint16_t kind, uint16_t version = 0x0600)
{
    std::string b;
    appendU16(b, version);
    appendU16(b, kind);
    b.append(12, '\0');
    return record(0x0809, b);
}

std::string cell(uint16_t row, uint16_t col) // row, column and the default style
{
    std::string b;
    appendU16(b, row);
    appendU16(b, col);
    appendU16(b, 15);
    return b;
}

// Globals (with `globals` records before the sheet list) and one sheet holding `cells`.
std::string workbookStream(const std::string& globals, const std::string& cells, uint16_t version = 0x0600)
{
    std::string head = bof(0x0005, version) + globals;
    std::string sheetName;
    sheetName.push_back(6);
    sheetName.push_back(0);
    sheetName += "Sheet1";
    const std::string eof = record(0x000A, "");
    std::string boundSheet(4, '\0');
    boundSheet += std::string("\0\0", 2) + sheetName;
    const size_t sheetAt = head.size() + 4 + boundSheet.size() + eof.size();
    writeU32(boundSheet.data(), uint32_t(sheetAt));
    return head + record(0x0085, boundSheet) + eof + bof(0x0010, version) + cells + eof;
}

std::string sst(uint32_t unique, const std::string& text)
{
    std::string b;
    appendU32(b, 1);
    appendU32(b, unique);
    appendU16(b, uint16_t(text.size()));
    b.push_back(0);
    return record(0x00FC, b + text);
}

struct BadInput {
    const char* what;
    std::function<std::string(std::string)> damage; // from the xlwt fixture's bytes
    const char* mentions;                             // a word the error must carry; empty: it opens
};

std::string withWorkbookStream(const std::string& image, const std::string& stream)
{
    CompoundFile file = CompoundFile::parse(image);
    file.setStreamData(file.findRootStream(QStringLiteral("Workbook")), stream);
    return file.serialize();
}

uint32_t u32At(const std::string& s, size_t at) { return readU32(s.data() + at); }
size_t fatEntry(const std::string& img, uint32_t sector) { return (u32At(img, 76) + 1) * 512 + 4 * sector; }
size_t dirEntry(const std::string& img, int index) { return (u32At(img, 48) + 1) * 512 + 128 * index; }

TEST(XlsContainer, EveryBadInputEndsInAClearError)
{
    const BadInput table[] = {
        {"not a workbook", [](std::string) { return std::string("GoodsNO,Name\nG1,x\n"); }, "外部表不是预期的格式"},
        {"truncated container", [](std::string s) { return s.substr(0, 1500); }, "扇区"},
        {"sector chain loop", [](std::string s) {
             const uint32_t dir = u32At(s, 48);
             writeU32(s.data() + fatEntry(s, dir), dir);
             return s;
         }, "循环"},
        {"sector out of range", [](std::string s) {
             writeU32(s.data() + fatEntry(s, u32At(s, 48)), 0x00FFFFFF);
             return s;
         }, "不存在的扇区"},
        {"stream size longer than its chain", [](std::string s) {
             for (int i = 1; i < 4; ++i)
                 if (s[dirEntry(s, i) + 66] == 2 && s[dirEntry(s, i)] == 'W')
                     writeU32(s.data() + dirEntry(s, i) + 120, 1u << 20);
             return s;
         }, "长度"},
        {"directory tree loop", [](std::string s) {
             writeU32(s.data() + dirEntry(s, 1) + 68, 1);
             return s;
         }, "循环"},
        {"DIFAT chain loop", [](std::string s) {
             const size_t sectors = 300;
             s.resize((sectors + 1) * 512, '\0');
             writeU32(s.data() + 44, 250);
             writeU32(s.data() + 68, uint32_t(sectors - 1));
             writeU32(s.data() + sectors * 512 + 508, uint32_t(sectors - 1));
             return s;
         }, "DIFAT"},
        {"no workbook stream", [](std::string s) {
             for (int i = 1; i < 4; ++i)
                 if (s[dirEntry(s, i)] == 'W')
                     s[dirEntry(s, i)] = 'X';
             return s;
         }, "外部表不是预期的格式"},
        {"Excel 4 workbook", [](std::string s) { return withWorkbookStream(s, workbookStream("", "", 0x0400)); },
         "外部表不是预期的格式"},
        {"encrypted", [](std::string s) {
             return withWorkbookStream(s, workbookStream(record(0x002F, std::string(6, '\1')), ""));
         }, "密码"},
        {"record length past the stream", [](std::string s) {
             std::string stream = workbookStream("", record(0x0203, cell(0, 0) + std::string(8, '\0')));
             writeU16(stream.data() + stream.size() - 4 - 18 + 2, 0x4000);
             return withWorkbookStream(s, stream);
         }, "长度"},
        {"shared string count that lies", [](std::string s) {
             std::string labelSst = cell(0, 0);
             appendU32(labelSst, 0);
             return withWorkbookStream(s, workbookStream(sst(0xFFFFFFFF, "abc"), record(0x00FD, labelSst)));
         }, ""},
        {"shared string index beyond the table", [](std::string s) {
             std::string labelSst = cell(0, 0);
             appendU32(labelSst, 7);
             return withWorkbookStream(s, workbookStream(sst(1, "abc"), record(0x00FD, labelSst)));
         }, "共享字符串"},
        {"string length that lies", [](std::string s) {
             std::string label = cell(0, 0);
             appendU16(label, 60000);
             label += std::string("\0abc", 4);
             return withWorkbookStream(s, workbookStream("", record(0x0204, label)));
         }, "长度"},
        {"MULRK with a huge last column", [](std::string s) {
             std::string mulrk;
             appendU16(mulrk, 0);
             appendU16(mulrk, 0);
             appendU16(mulrk, 15);
             appendU32(mulrk, 2);
             appendU16(mulrk, 0xFFFF);
             return withWorkbookStream(s, workbookStream("", record(0x00BD, mulrk)));
         }, "0x00bd"},
        {"column beyond the sheet", [](std::string s) {
             return withWorkbookStream(s, workbookStream("", record(0x0203, cell(65535, 300) + std::string(8, '\0'))));
         }, "列号"},
    };
    QTemporaryDir dir;
    const std::string fixture = bytesOf(xlstest::readFile(xlstest::fixtureDir() + QStringLiteral("/mixed.xls")));
    for (const BadInput& bad : table) {
        const QString path = dir.filePath(QStringLiteral("bad.xls"));
        const std::string damaged = bad.damage(fixture);
        xlstest::writeFile(path, QByteArray(damaged.data(), qsizetype(damaged.size())));
        try {
            auto book = openXls(path);
            for (int i = 0; i < int(book->worksheets().size()); ++i) {
                struct Discard : CellSink {
                    void cell(int, int, data::Value&&) override {}
                } sink;
                book->readCells(i, sink);
            }
            EXPECT_STREQ(bad.mentions, "") << bad.what << ": read without an error";
        } catch (const data::Error& e) {
            EXPECT_STRNE(bad.mentions, "") << bad.what << ": " << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(bad.mentions), Qt::CaseInsensitive))
                << bad.what << ": " << e.message().toStdString();
        }
    }
}

} // namespace
