// The .xlsx engine on fixtures written by other programs: what it reads, how edits, appends and
// deletes land in the file (read back by openpyxl), and how it refuses unsafe changes.
#include "data/error.h"
#include "workbook/common/engine.h"
#include "workbook/common/sheet_source.h"
#include "workbook/common/table_naming.h"
#include "workbook/xlsx/zip_package.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace workbook;

namespace {

QString runPython(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(VARNELO_PYTHON), args);
    p.waitForFinished(120000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

class XlsxFixtures : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new QTemporaryDir();
        runPython({QStringLiteral(FIXTURES_DIR "/make_xlsx_fixtures.py"), dir_->path()});
    }
    static void TearDownTestSuite() { delete dir_; }

    // A fresh copy of a fixture that a test may change.
    QString copyOf(const QString& name)
    {
        const QString target = work_.filePath(name);
        QFile::remove(target);
        EXPECT_TRUE(QFile::copy(dir_->filePath(name), target));
        QFile(target).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
        return target;
    }
    static QString fixture(const QString& name) { return dir_->filePath(name); }

    static QTemporaryDir* dir_;
    QTemporaryDir work_;
};
QTemporaryDir* XlsxFixtures::dir_ = nullptr;

struct Rows : data::RowSink {
    std::vector<std::pair<data::RowKey, std::vector<data::Value>>> rows;
    void addRow(data::RowKey key, std::vector<data::Value>&& values) override { rows.emplace_back(key, std::move(values)); }
};

TableContent readTable(Workbook& book, const QString& commandText)
{
    const TableRef ref = resolveTable(book, commandText);
    TableBuilder builder(ref.range);
    book.readCells(ref.sheet, builder);
    return builder.finish();
}

// Cells of one sheet as openpyxl reads them: "B3" -> read-as-text form.
std::map<QString, QString> openpyxlSheet(const QString& path, const QString& sheet)
{
    const QString out = runPython({QStringLiteral(FIXTURES_DIR "/openpyxl_cells.py"), path});
    const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_FALSE(o.contains(QStringLiteral("error"))) << o[QStringLiteral("error")].toString().toStdString();
    std::map<QString, QString> cells;
    for (const QJsonValue& s : o[QStringLiteral("sheets")].toArray()) {
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
            cells[cellReference(a[0].toInt(), a[1].toInt())] = kind + u':' + text;
        }
    }
    return cells;
}

TEST_F(XlsxFixtures, ReadsEveryKindOfCellAsText)
{
    struct Case {
        const char* file;
        const char* table;
        int record; // -1: the field names
        int field;
        const char* text;
    };
    const Case cases[] = {
        {"styled.xlsx", "[Data$]", -1, 1, "名称"},
        {"styled.xlsx", "[Data$]", 0, 1, "苹果"},
        {"styled.xlsx", "[Data$]", 0, 2, "3.5"},          // number with a format of its own
        {"styled.xlsx", "[Data$]", 1, 2, "10"},           // integer without fraction
        {"styled.xlsx", "[Data$]", 0, 3, "2024-01-02"},   // date at midnight
        {"styled.xlsx", "[Data$]", 1, 3, "2024-02-03 14:30:00"},
        {"styled.xlsx", "[Data$]", 1, 4, "False"},
        {"styled.xlsx", "['My Sheet$']", -1, 1, "F2"},    // blank header
        {"styled.xlsx", "['My Sheet$']", -1, 2, "Name1"}, // repeated header
        {"styled.xlsx", "[My Sheet$]", 0, 2, "c"},        // unquoted form of a quoted name
        {"styled.xlsx", "[产品$]", 0, 1, "螺丝"},
        {"styled.xlsx", "[Prices]", 0, 1, "螺丝"},         // defined name: its own range
        {"handmade.xlsx", "[Hand$]", 0, 0, "inline"},
        {"handmade.xlsx", "[Hand$]", 0, 1, "inline rich"},
        {"handmade.xlsx", "[Hand$]", 1, 0, "rich text"},  // phonetic run left out
        {"handmade.xlsx", "[Hand$]", 1, 1, "a & b <c>"},
        {"handmade.xlsx", "[Hand$]", 2, 0, "2"},          // cached formula values
        {"handmade.xlsx", "[Hand$]", 2, 1, "xy"},
        {"handmade.xlsx", "[Hand$]", 3, 0, "True"},
        {"handmade.xlsx", "[Hand$]", 3, 1, "#N/A"},
        {"handmade.xlsx", "[Hand$]", 4, 0, "2024-01-02"}, // built-in Chinese date format, 1904 system
        {"handmade.xlsx", "[Hand$]", 4, 1, "2024-01-02 12:00:00"},
        {"handmade.xlsx", "[Hand$]", 5, 0, "1904-01-01 18:00:00"},
        {"handmade.xlsx", "[Hand$]", 5, 1, "1904-01-01"},
        {"handmade.xlsx", "[Hand$]", 6, 0, ""},           // blank row inside the box
        {"handmade.xlsx", "[Hand$]", 7, 0, "123456789012345"},
        {"handmade.xlsx", "[Hand$]", 7, 1, "0.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.table);
        auto book = openXlsx(fixture(QString::fromUtf8(c.file)));
        const TableContent t = readTable(*book, QString::fromUtf8(c.table));
        if (c.record < 0) {
            ASSERT_LT(size_t(c.field), t.fieldNames.size());
            EXPECT_EQ(t.fieldNames[size_t(c.field)], QString::fromUtf8(c.text));
        } else {
            ASSERT_LT(size_t(c.record), t.records.size());
            EXPECT_EQ(t.records[size_t(c.record)][size_t(c.field)].toText(), QString::fromUtf8(c.text));
        }
    }
    EXPECT_EQ(listTables(*openXlsx(fixture("styled.xlsx"))),
              (QStringList{"Data$", "Other$", "'My Sheet$'", "产品$", "Prices"}));
    EXPECT_EQ(readTable(*openXlsx(fixture("handmade.xlsx")), "[Hand$]").records.size(), 8u) << "empty styled row 10 is no record";
}

TEST_F(XlsxFixtures, UnknownOrEmptyTableNamesAreRefusedByName)
{
    auto book = openXlsx(fixture("styled.xlsx"));
    for (const char* text : {"[]", "[Nope$]", "[Data]"}) {
        try {
            resolveTable(*book, QString::fromUtf8(text));
            ADD_FAILURE() << text << " was accepted";
        } catch (const data::Error& e) {
            const QString inner = QString::fromUtf8(text).mid(1).chopped(1);
            EXPECT_TRUE(inner.isEmpty() ? e.message().contains(QStringLiteral("为空")) : e.message().contains(inner))
                << e.message().toStdString();
        }
    }
}

TEST_F(XlsxFixtures, TypedTextFollowsTheColumn)
{
    const QString path = copyOf("styled.xlsx");
    auto book = openXlsx(path);
    SheetSource source(*book, resolveTable(*book, "[Data$]"));
    struct Case { int field; const char* text; data::ValueKind kind; const char* read; };
    const Case cases[] = {
        {2, "12.5", data::ValueKind::Float, "12.5"},     // number column, number text
        {2, "abc", data::ValueKind::Text, "abc"},        // number column, other text
        {3, "2024-05-06", data::ValueKind::DateTime, "2024-05-06"},
        {1, "42", data::ValueKind::Text, "42"},          // text column keeps text
        {2, "", data::ValueKind::Null, ""},              // empty text empties the cell
    };
    for (const Case& c : cases) {
        const data::Value v = source.fromText(c.field, QString::fromUtf8(c.text));
        EXPECT_EQ(v.kind(), c.kind) << c.text;
        EXPECT_EQ(v.toText(), QString::fromUtf8(c.read)) << c.text;
    }
}

TEST_F(XlsxFixtures, EditAppendDeleteLandInTheFileAndNothingElseChanges)
{
    const QString path = copyOf("styled.xlsx");
    QFile f(path);
    const auto permissionsBefore = f.permissions();
    QByteArray before;
    {
        f.open(QIODevice::ReadOnly);
        before = f.readAll();
        f.close();
    }
    {
        auto book = openXlsx(path);
        SheetSource source(*book, resolveTable(*book, "[Data$]"));
        Rows rows;
        source.readRows(rows);
        ASSERT_EQ(rows.rows.size(), 3u);

        // Edit record 2: a new text (a new shared string) and a typed number.
        std::vector<data::Value> edited = rows.rows[1].second;
        edited[1] = source.fromText(1, QStringLiteral("改过的梨"));
        edited[2] = source.fromText(2, QStringLiteral("99.5"));
        source.updateRow(rows.rows[1].first, rows.rows[1].second, edited, {false, true, true, false, false});

        // Append a record with a date typed as text.
        std::vector<data::Value> added{source.fromText(0, "4"), source.fromText(1, "李子"), source.fromText(2, "1.25"),
                                       source.fromText(3, "2024-06-07 08:09:10"), data::Value::boolean(true)};
        source.insertRow(added, {true, true, true, true, true});

        // Delete the first record: the rows below move up.
        source.deleteRow(rows.rows[0].first, rows.rows[0].second);
    }
    const std::map<QString, QString> cells = openpyxlSheet(path, "Data");
    const std::map<QString, QString> expected{
        {"A1", "s:ID"}, {"B1", "s:名称"}, {"C1", "s:Amount"}, {"D1", "s:When"}, {"E1", "s:Flag"},
        {"A2", "n:2"}, {"B2", "s:改过的梨"}, {"C2", "n:99.5"}, {"D2", "d:2024-02-03 14:30:00"}, {"E2", "b:False"},
        {"A3", "n:3"}, {"B3", "s:桃"}, {"C3", "n:7.25"}, {"D3", "d:2024-03-04"}, {"E3", "b:True"},
        {"A4", "n:4"}, {"B4", "s:李子"}, {"C4", "n:1.25"}, {"D4", "d:2024-06-07 08:09:10"}, {"E4", "b:True"},
    };
    EXPECT_EQ(cells, expected);

    // Every part but the edited sheet and the shared strings is as it was, byte for byte.
    QFile after(path);
    after.open(QIODevice::ReadOnly);
    const QByteArray afterBytes = after.readAll();
    xlsx::ZipPackage old(path, before), now(path, afterBytes);
    for (const char* part : {"xl/styles.xml", "xl/workbook.xml", "xl/worksheets/sheet2.xml", "xl/worksheets/sheet3.xml",
                             "xl/worksheets/sheet4.xml", "[Content_Types].xml", "xl/_rels/workbook.xml.rels", "docProps/app.xml"})
        EXPECT_EQ(old.read(part), now.read(part)) << part;
    EXPECT_NE(old.read("xl/worksheets/sheet1.xml"), now.read("xl/worksheets/sheet1.xml"));
    // The edited cells kept their style: the number format of the amount column.
    EXPECT_TRUE(now.read("xl/worksheets/sheet1.xml").contains("<c r=\"C2\" s=\""));
    EXPECT_EQ(after.permissions(), permissionsBefore);
    EXPECT_EQ(QDir(work_.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file left";
}

TEST_F(XlsxFixtures, FormulaCellEditDropsItsCalcChainEntry)
{
    const QString path = copyOf("handmade.xlsx");
    auto book = openXlsx(path);
    book->writeCells(0, 3, std::vector<CellWrite>{{0, data::Value::number(7)}}); // A4 held =1+1
    book->save();
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    xlsx::ZipPackage zip(path, bytes);
    const QByteArray chain = zip.read("xl/calcChain.xml");
    EXPECT_FALSE(chain.contains("r=\"A4\""));
    EXPECT_TRUE(chain.contains("<c r=\"B4\" i=\"1\""));
    const QByteArray sheet = zip.read("xl/worksheets/sheet1.xml");
    EXPECT_TRUE(sheet.contains("<c r=\"A4\"><v>7</v></c>")) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains("<f>\"x\"&amp;\"y\"</f>")) << "the formula next to it stays";
    EXPECT_EQ(openpyxlSheet(path, "Hand").at("A4"), "n:7");
}

TEST_F(XlsxFixtures, UnsafeDeletesAreRefusedAndChangeNothing)
{
    const QString path = copyOf("styled.xlsx");
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray before = f.readAll();
    f.close();
    auto book = openXlsx(path);
    struct Case { int sheet; int row; const char* why; };
    const Case cases[] = {
        {1, 0, "公式"},     // Other: A2 = A1*2 refers to the moved rows
        {3, 0, "名称"},     // 产品: the name Prices covers the row
    };
    for (const Case& c : cases) {
        try {
            book->deleteRow(c.sheet, c.row);
            ADD_FAILURE() << "delete accepted on sheet " << c.sheet;
        } catch (const data::Error& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.why))) << e.message().toStdString();
        }
    }
    book->save();
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), before);
}

TEST_F(XlsxFixtures, AFileChangedByAnotherProgramIsNotOverwritten)
{
    const QString path = copyOf("styled.xlsx");
    auto book = openXlsx(path);
    SheetSource source(*book, resolveTable(*book, "['My Sheet$']"));
    Rows rows;
    source.readRows(rows);
    {
        QFile f(path);
        f.open(QIODevice::Append);
        f.write("someone else");
    }
    std::vector<data::Value> edited = rows.rows[0].second;
    edited[0] = data::Value::text("x");
    try {
        source.updateRow(rows.rows[0].first, rows.rows[0].second, edited, {true, false, false});
        ADD_FAILURE() << "overwrote a changed file";
    } catch (const data::Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("其他程序修改"))) << e.message().toStdString();
    }
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    EXPECT_TRUE(f.readAll().endsWith("someone else"));
}

} // namespace
