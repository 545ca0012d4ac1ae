// The .xls engine on workbooks written by xlwt: what it reads, and what an edit, an append
// and a delete leave in the file as xlrd reads it afterwards.
#include "xls_test_support.h"

#include "data/error.h"
#include "workbook/common/engine.h"
#include "workbook/common/sheet_model.h"
#include "workbook/xls/compound_file.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

using namespace workbook;

namespace {

using CellTexts = std::map<std::pair<int, int>, QString>;

class CellMap : public CellSink {
public:
    void cell(int row, int column, data::Value&& value) override { cells[{row, column}] = value; }
    std::map<std::pair<int, int>, data::Value> cells;
};

CellMap readSheet(Workbook& book, int sheet)
{
    CellMap cells;
    book.readCells(sheet, cells);
    return cells;
}

// xlrd's reading of one sheet as text, empty cells left out.
CellTexts xlrdSheet(const QJsonObject& reading, const QString& sheet)
{
    CellTexts texts;
    for (const QJsonValue& s : reading[QStringLiteral("sheets")].toArray()) {
        if (s[QStringLiteral("name")].toString() != sheet)
            continue;
        for (const QJsonValue& c : s[QStringLiteral("cells")].toArray()) {
            const QJsonArray a = c.toArray();
            const QString kind = a[2].toString();
            QString text = kind == u"n" ? data::formatNumber(a[3].toDouble())
                         : kind == u"b" ? (a[3].toBool() ? QStringLiteral("True") : QStringLiteral("False"))
                                        : a[3].toString();
            if (kind == u"d" && text.endsWith(QLatin1String(" 00:00:00")))
                text.chop(9);
            texts[{a[0].toInt(), a[1].toInt()}] = text;
        }
    }
    return texts;
}

QString copyFixture(const QTemporaryDir& dir, const QString& name)
{
    const QString target = dir.filePath(name);
    QFile::remove(target);
    EXPECT_TRUE(QFile::copy(xlstest::fixtureDir() + u'/' + name, target));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

struct ExpectedRead {
    const char* file;
    int sheet;
    int row;
    int column;
    data::ValueKind kind;
    const char* text;
};

TEST(XlsEngine, ReadsWhatXlwtWrote)
{
    const ExpectedRead table[] = {
        {"mixed.xls", 0, 0, 0, data::ValueKind::Text, "GoodsNO"},
        {"mixed.xls", 0, 3, 1, data::ValueKind::Text, "商品3"},
        {"mixed.xls", 0, 3, 2, data::ValueKind::Float, "3.75"},            // RK scaled by 100
        {"mixed.xls", 0, 7, 3, data::ValueKind::Float, "7"},               // integer RK in a MULRK
        {"mixed.xls", 0, 1, 4, data::ValueKind::DateTime, "2020-01-02"},   // Chinese custom date format
        {"mixed.xls", 0, 41, 4, data::ValueKind::DateTime, "2021-03-04 05:06:07"},
        {"mixed.xls", 0, 9, 5, data::ValueKind::Text, "note 9"},
        {"mixed.xls", 1, 1, 0, data::ValueKind::Boolean, "True"},
        {"mixed.xls", 1, 2, 1, data::ValueKind::Float, "12345678901234"},
        {"mixed.xls", 2, 1, 0, data::ValueKind::Text, "上海"},
        {"dates1904.xls", 0, 1, 0, data::ValueKind::DateTime, "1999-12-31"},
        {"dates1904.xls", 0, 2, 0, data::ValueKind::DateTime, "2024-02-29"},
    };
    for (const ExpectedRead& e : table) {
        auto book = openXls(xlstest::fixtureDir() + u'/' + QString::fromLatin1(e.file));
        const CellMap cells = readSheet(*book, e.sheet);
        const auto it = cells.cells.find({e.row, e.column});
        ASSERT_NE(it, cells.cells.end()) << e.file << " " << e.row << "," << e.column;
        EXPECT_EQ(it->second.kind(), e.kind) << e.file << " " << e.row << "," << e.column;
        EXPECT_EQ(it->second.toText(), QString::fromUtf8(e.text)) << e.file << " " << e.row << "," << e.column;
    }
    // Long strings continued across records read whole.
    auto book = openXls(xlstest::fixtureDir() + QStringLiteral("/mixed.xls"));
    const QString longText = readSheet(*book, 0).cells.at({40, 5}).toText();
    EXPECT_EQ(longText, QStringLiteral("长文本").repeated(1500) + QStringLiteral("40"));
    std::vector<Worksheet> sheets = book->worksheets();
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(sheets[1].name, QStringLiteral("My Sheet"));
    EXPECT_EQ(sheets[2].name, QStringLiteral("中文表"));
}

std::map<QString, std::string> otherStreams(const QString& path)
{
    const QByteArray bytes = xlstest::readFile(path);
    const auto file = xls::CompoundFile::parse(std::string_view(bytes.constData(), size_t(bytes.size())));
    std::map<QString, std::string> streams;
    for (size_t i = 0; i < file.entries().size(); ++i)
        if (file.entries()[i].type == xls::DirectoryEntry::Stream && file.entries()[i].name != u"Workbook")
            streams[file.entries()[i].name] = file.streamData(int(i));
    return streams;
}

TEST(XlsEngine, EditAppendDeleteAreWhatXlrdReadsBack)
{
    QTemporaryDir dir;
    const QString path = copyFixture(dir, QStringLiteral("mixed.xls"));
    const QJsonObject before = xlstest::xlrdReading(path);
    const auto streamsBefore = otherStreams(path);
    const QString longText = QStringLiteral("新的长文本").repeated(3000);

    auto book = openXls(path);
    // Edit row 5: a number, a new Chinese text, a long text, an emptied cell, a date.
    const CellWrite edit[] = {{2, data::Value::number(99.5)},
                              {1, data::Value::text(QStringLiteral("改过的名字"))},
                              {5, data::Value::text(longText)},
                              {3, data::Value()},
                              {4, data::Value::dateTime(45000)}};
    book->writeCells(0, 5, edit);
    book->save();
    // Append after the last row, into a sheet row that has no cells yet.
    const CellWrite append[] = {{0, data::Value::text(QStringLiteral("G999"))}, {2, data::Value::number(1e-3)},
                                {4, data::Value::dateTime(45001.5)}};
    book->writeCells(0, 42, append);
    book->save();
    // Delete row 3: the rows below move up.
    book->deleteRow(0, 3);
    book->save();

    const QJsonObject after = xlstest::xlrdReading(path);
    ASSERT_TRUE(after.contains(QStringLiteral("sheets"))) << after[QStringLiteral("error")].toString().toStdString();
    CellTexts expected = xlrdSheet(before, QStringLiteral("Data"));
    expected[{5, 2}] = QStringLiteral("99.5");
    expected[{5, 1}] = QStringLiteral("改过的名字");
    expected[{5, 5}] = longText;
    expected.erase({5, 3});
    expected[{5, 4}] = QStringLiteral("2023-03-15");
    expected[{42, 0}] = QStringLiteral("G999");
    expected[{42, 2}] = QStringLiteral("0.001");
    expected[{42, 4}] = QStringLiteral("2023-03-16 12:00:00");
    CellTexts shifted;
    for (const auto& [at, text] : expected)
        if (at.first != 3)
            shifted[{at.first > 3 ? at.first - 1 : at.first, at.second}] = text;
    EXPECT_EQ(xlrdSheet(after, QStringLiteral("Data")), shifted);
    for (const char* other : {"My Sheet", "中文表"})
        EXPECT_EQ(xlrdSheet(after, QString::fromUtf8(other)), xlrdSheet(before, QString::fromUtf8(other))) << other;
    EXPECT_EQ(otherStreams(path), streamsBefore);

    // Our own reading of the saved file agrees with xlrd's.
    auto reopened = openXls(path);
    CellTexts ours;
    for (const auto& [at, value] : readSheet(*reopened, 0).cells)
        if (!value.toText().isEmpty())
            ours[at] = value.toText();
    EXPECT_EQ(ours, shifted);
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup),
              QFile::ReadOwner | QFile::WriteOwner);
}

struct Refusal {
    const char* what;
    std::function<void(Workbook&)> action;
    const char* mentions;
};

TEST(XlsEngine, RefusesWritesItCannotMakeSafely)
{
    QTemporaryDir dir;
    const QString path = copyFixture(dir, QStringLiteral("mixed.xls"));
    const QByteArray original = xlstest::readFile(path);
    const Refusal table[] = {
        {"append beyond 65536 rows", [](Workbook& b) {
             const CellWrite w[] = {{0, data::Value::text(QStringLiteral("x"))}};
             b.writeCells(0, 65536, w);
         }, "65536"},
        {"column beyond 256", [](Workbook& b) {
             const CellWrite w[] = {{256, data::Value::number(1)}};
             b.writeCells(0, 1, w);
         }, "256"},
        {"changed on disk", [&](Workbook& b) {
             xlstest::writeFile(path, original + QByteArray(512, '\0'));
             const CellWrite w[] = {{0, data::Value::number(1)}};
             b.writeCells(0, 1, w);
             b.save();
         }, "修改"},
    };
    for (const Refusal& r : table) {
        xlstest::writeFile(path, original);
        auto book = openXls(path);
        try {
            r.action(*book);
            ADD_FAILURE() << r.what << ": not refused";
        } catch (const data::Error& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(r.mentions))) << r.what << ": " << e.message().toStdString();
        }
        if (QByteArray(r.what) != "changed on disk")
            EXPECT_EQ(xlstest::readFile(path), original) << r.what;
    }
}

TEST(XlsEngine, ARefusedWriteLeavesNoPartOfItForTheNextSave)
{
    QTemporaryDir dir;
    const QString path = copyFixture(dir, QStringLiteral("mixed.xls"));
    auto book = openXls(path);
    const auto before = readSheet(*book, 0).cells;
    const CellWrite first[] = {{1, data::Value::text(QStringLiteral("保存过"))}};
    book->writeCells(0, 2, first);
    book->save();
    // The first cell of this write is fine, the second is refused: neither may reach the file.
    const CellWrite refused[] = {{0, data::Value::text(QStringLiteral("不该出现"))}, {256, data::Value::number(1)}};
    EXPECT_THROW(book->writeCells(0, 2, refused), data::Error);
    const CellWrite next[] = {{2, data::Value::number(42)}};
    book->writeCells(0, 2, next);
    book->save();

    auto expected = before;
    expected[{2, 1}] = data::Value::text(QStringLiteral("保存过"));
    expected[{2, 2}] = data::Value::number(42);
    auto reopened = openXls(path);
    const auto after = readSheet(*reopened, 0).cells;
    ASSERT_EQ(after.size(), expected.size());
    for (const auto& [at, value] : expected)
        EXPECT_EQ(after.at(at).toText(), value.toText()) << at.first << "," << at.second;
}

TEST(XlsEngine, ExcelNinetyFiveIsReadOnlyAndDeleteRefusesOverFormulas)
{
    auto biff5 = openXls(QStringLiteral(VARNELO_CORPUS "/sheetjs/biff5/text_and_numbers.xls"));
    EXPECT_FALSE(readSheet(*biff5, 0).cells.empty());
    const CellWrite w[] = {{0, data::Value::number(1)}};
    EXPECT_THROW(biff5->writeCells(0, 1, w), data::Error);

    // A formula that refers to the rows below keeps the row from being deleted.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("formulas.xls"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VARNELO_CORPUS "/sheetjs/formulae_test_simple.xls"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    auto book = openXls(path);
    try {
        book->deleteRow(0, 0);
        ADD_FAILURE() << "delete not refused";
    } catch (const data::Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("公式"))) << e.message().toStdString();
    }
}

} // namespace
