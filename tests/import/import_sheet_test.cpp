#include "import/import_sheet.h"
#include "import/import_target.h"
#include "tests/import/import_fixture.h"
#include "tests/support/qt_printers.h"
#include "tests/support/business_database.h"

#include "data/error.h"
#include "data/progress.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

using importtest::ImportObjects;
using importtest::ScriptedDialog;
using importtest::SheetSpec;
using testsupport::BusinessDatabase;

const QJsonValue none(QJsonValue::Null);

QJsonArray rows(std::initializer_list<std::initializer_list<QJsonValue>> lines)
{
    QJsonArray out;
    for (const auto& line : lines)
        out.append(QJsonArray(line));
    return out;
}

const QString counter41 = QStringLiteral("INSERT INTO T_SysID (ID1) VALUES (41)");
const QString productRows = QStringLiteral("ID1 || ':' || GoodsNO");
QString done(int n, const QString& subject = QStringLiteral("产品资料"))
{
    return QStringLiteral("提示|本次成功导入 %1 条%2！").arg(n).arg(subject);
}
const QString nothingNew = QStringLiteral("提示|产品资料已经存在无需导入！");

struct ImportCase {
    const char* name;
    QString list;         // the target list's text; empty: the sheet name decides
    SheetSpec sheet;
    QString seed;         // statements run before the import
    QString sort;         // the grid's order of the sheet
    QString filter;       // the grid's filter of the sheet
    bool answer;          // the answer to the question
    QString table;        // the table looked at afterwards
    QString columns;      // what of its rows is compared, ordered by ID1
    QStringList stored;
    QStringList counter;  // T_SysID afterwards
    QStringList reports;
    QString error;        // part of the error text; empty when none
};

const std::vector<ImportCase>& importCases()
{
    static const std::vector<ImportCase> cases = {
        {"counter 41 and three new rows", importer::productItem,
         {"Case01", rows({{"GoodsNO", "GoodsName"}, {"X", "first"}, {"A", "a"}, {"B", "b"}, {"C", "c"}})},
         counter41, "", "", true, "T_Product", productRows, {"42:A", "43:B", "44:C"}, {"44"}, {done(3)}, ""},
        {"empty T_SysID starts at 1 and gets its row", importer::productItem,
         {"Case02", rows({{"GoodsNO"}, {"X"}, {"A"}, {"B"}})},
         "", "", "", true, "T_Product", productRows, {"1:A", "2:B"}, {"2"}, {done(2)}, ""},
        {"header line only", importer::productItem, {"Case03", rows({{"GoodsNO", "GoodsName"}})},
         counter41, "", "", true, "T_Product", productRows, {}, {"41"}, {nothingNew}, ""},
        {"a sheet with no cells", importer::productItem, {"Case04", rows({})},
         counter41, "", "", true, "T_Product", productRows, {}, {"41"}, {nothingNew}, ""},
        {"a single new record is never imported", importer::productItem, {"Case05", rows({{"GoodsNO"}, {"A"}})},
         counter41, "", "", true, "T_Product", productRows, {}, {"41"}, {nothingNew}, ""},
        {"a single record without the key column", importer::productItem, {"Case06", rows({{"Name"}, {"A"}})},
         counter41, "", "", true, "T_Product", productRows, {}, {"41"}, {nothingNew}, ""},
        {"every key present", importer::productItem, {"Case07", rows({{"GoodsNO"}, {"X"}, {"A"}, {"B"}})},
         counter41 + ";INSERT INTO T_Product (ID1, GoodsNO) VALUES (5, 'A');INSERT INTO T_Product (ID1, GoodsNO) VALUES (6, 'B')",
         "", "", true, "T_Product", productRows, {"5:A", "6:B"}, {"41"}, {nothingNew}, ""},
        {"a key repeated in the sheet goes in once", importer::productItem,
         {"Case08", rows({{"GoodsNO"}, {"X"}, {"A"}, {"B"}, {"A"}, {"B"}})},
         counter41, "", "", true, "T_Product", productRows, {"42:A", "43:B"}, {"43"}, {done(2)}, ""},
        {"headers match without regard to case", importer::productItem,
         {"Case09", rows({{"goodsno", "GOODSNAME", "price"}, {"X", "x", 1}, {"A", "Apple", 2.5}})},
         counter41, "", "", true, "T_Product", "ID1 || ':' || GoodsNO || ':' || GoodsName || ':' || Price",
         {"42:A:Apple:2.5"}, {"42"}, {done(1)}, ""},
        {"a sheet ID1 column replaces the number, the counter still advances", importer::productItem,
         {"Case10", rows({{"GoodsNO", "ID1"}, {"X", 1}, {"A", 100}, {"B", 101}})},
         counter41, "", "", true, "T_Product", productRows, {"100:A", "101:B"}, {"43"}, {done(2)}, ""},
        {"a sheet column the target lacks stores nothing", importer::productItem,
         {"Case11", rows({{"GoodsNO", "Colour"}, {"X", "red"}, {"A", "blue"}})},
         counter41, "", "", true, "T_Product", productRows, {}, {"41"}, {}, "qryCheck: Field 'Colour' not found"},
        {"a column the target lacks, nothing new", importer::productItem,
         {"Case12", rows({{"GoodsNO", "Colour"}, {"X", "red"}, {"A", "blue"}})},
         counter41 + ";INSERT INTO T_Product (ID1, GoodsNO) VALUES (5, 'A')", "", "", true, "T_Product", productRows,
         {"5:A"}, {"41"}, {nothingNew}, ""},
        {"the sheet lacks the key column", importer::productItem, {"Case13", rows({{"Name"}, {"X"}, {"A"}})},
         counter41, "", "", true, "T_Product", productRows, {}, {"41"}, {}, "atTable: Field 'GoodsNO' not found"},
        {"a value that does not convert stops after the rows before it", importer::productItem,
         {"Case14", rows({{"GoodsNO", "Price"}, {"X", 1}, {"A", 1.5}, {"B", 2}, {"C", "abc"}, {"D", 3}})},
         counter41, "", "", true, "T_Product", productRows, {"42:A", "43:B"}, {"43"}, {},
         "'abc' is not a valid floating point value"},
        {"quotes in key values", importer::productItem, {"Case15", rows({{"GoodsNO"}, {"X"}, {"O'Brien"}, {"A'B"}, {"'"}})},
         counter41 + ";INSERT INTO T_Product (ID1, GoodsNO) VALUES (5, 'O''Brien')", "", "", true, "T_Product", productRows,
         {"5:O'Brien", "42:A'B", "43:'"}, {"43"}, {done(2)}, ""},
        {"after a descending sort the first in that order is left out", importer::productItem,
         {"Case16", rows({{"GoodsNO"}, {"A"}, {"B"}, {"C"}})},
         counter41, "GoodsNO DESC", "", true, "T_Product", productRows, {"42:B", "43:A"}, {"43"}, {done(2)}, ""},
        {"under a filter only the matching records, the first left out", importer::productItem,
         {"Case17", rows({{"GoodsNO"}, {"A"}, {"B"}, {"C"}, {"D"}})},
         counter41, "", "GoodsNO='B' OR GoodsNO='D'", true, "T_Product", productRows, {"42:D"}, {"42"}, {done(1)}, ""},
        {"the list item wins over the sheet name", importer::customersItem,
         {"Products", rows({{"CustomerID", "CustomerName"}, {"X", "x"}, {"K1", "Kunde"}})},
         counter41, "", "", true, "T_Customers", "ID1 || ':' || CustomerID || ':' || CustomerName", {"42:K1:Kunde"}, {"42"},
         {done(1, QStringLiteral("客户信息"))}, ""},
        {"a DeliveryOrder$ sheet goes to the delivery items", "",
         {"DeliveryOrder", rows({{"GoodsNO", "GoodsName"}, {"X", "x"}, {"A", "Apple"}})},
         counter41, "", "", true, "T_Deliveryorder_Item", "ID1 || ':' || GoodsNO || ':' || GoodsName", {"42:A:Apple"}, {"42"},
         {done(1)}, ""},
        {"a Customer$ sheet names no target", "", {"Customer", rows({{"CustomerID"}, {"X"}, {"K1"}})},
         counter41, "", "", true, "T_Customers", "CustomerID", {}, {"41"}, {}, ""},
        {"cancel changes nothing", importer::productItem, {"Case21", rows({{"GoodsNO"}, {"X"}, {"A"}})},
         counter41, "", "", false, "T_Product", productRows, {}, {"41"}, {}, ""},
    };
    return cases;
}

class ImportSheetTest : public ::testing::TestWithParam<QString> {
protected:
    static void SetUpTestSuite()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        std::vector<SheetSpec> sheets;
        for (const ImportCase& c : importCases())
            sheets.push_back(c.sheet);
        sheets.push_back({"Continue", rows({{"GoodsNO"}, {"X"}, {"B"}, {"E"}, {"F"}})});
        sheets.push_back({"Many", manyRows()});
        workbook_ = importtest::writeWorkbook(dir_->filePath(QStringLiteral("import.xlsx")), sheets);
    }
    static void TearDownTestSuite() { dir_.reset(); }

    // A header, a first record, 5,200 new products, one whose number is taken, and two more.
    static QJsonArray manyRows()
    {
        QJsonArray out = rows({{"GoodsNO", "ID1"}, {"X", none}});
        for (int i = 1; i <= 5200; ++i)
            out.append(QJsonArray{QStringLiteral("G%1").arg(i), 1000 + i});
        out.append(QJsonArray{"Taken", 7});
        out.append(QJsonArray{"After1", 9001});
        out.append(QJsonArray{"After2", 9002});
        return out;
    }

    static std::unique_ptr<QTemporaryDir> dir_;
    static QString workbook_;
};

std::unique_ptr<QTemporaryDir> ImportSheetTest::dir_;
QString ImportSheetTest::workbook_;

// What "导入数据" does: choose the target, ask, import; the error is what the error box would show.
QString runImport(ImportObjects& w, const QString& list, const QString& sheetName, ScriptedDialog& dialog,
                  data::Progress& progress)
{
    try {
        if (const auto target = importer::chooseImportTarget(list, sheetName, dialog))
            importer::ImportSheet(w.atTable, w.qryID, w.qryCheck, *target, dialog, progress);
    } catch (const data::Error& e) {
        return e.message();
    }
    return {};
}

TEST_P(ImportSheetTest, Cases)
{
    for (const ImportCase& c : importCases()) {
        SCOPED_TRACE(c.name);
        BusinessDatabase db(GetParam());
        if (!c.seed.isEmpty())
            db.exec(c.seed);
        ImportObjects w(workbook_, db.connectionString());
        w.openSheet(c.sheet.name + u'$');
        if (!c.sort.isEmpty())
            w.atTable.setSort(c.sort);
        if (!c.filter.isEmpty()) {
            w.atTable.setFilter(c.filter);
            w.atTable.setFiltered(true);
        }
        ScriptedDialog dialog;
        dialog.answers = {c.answer};
        data::NoProgress progress;
        const QString error = runImport(w, c.list, c.sheet.name + u'$', dialog, progress);
        if (c.error.isEmpty()) {
            EXPECT_EQ(error, QString());
        } else {
            EXPECT_TRUE(error.contains(c.error)) << error.toStdString();
        }
        EXPECT_EQ(dialog.reports, c.reports);
        EXPECT_EQ(db.column(QStringLiteral("select %1 from %2 order by ID1").arg(c.columns, c.table)), c.stored);
        EXPECT_EQ(db.column(QStringLiteral("select ID1 from T_SysID")), c.counter);
        EXPECT_EQ(db.column(QStringLiteral("select count(*) from %1 where not State").arg(c.table)), QStringList{"0"});
    }
}

// After an import stopped on a value, the stored rows are covered by the counter, and the next
// import goes on with the next number instead of handing the same ones out again.
TEST_P(ImportSheetTest, NumberingGoesOnAfterAnError)
{
    BusinessDatabase db(GetParam());
    db.exec(counter41);
    ImportObjects w(workbook_, db.connectionString());
    data::NoProgress progress;
    ScriptedDialog dialog;
    w.openSheet(QStringLiteral("Case14$"));
    EXPECT_FALSE(runImport(w, importer::productItem, {}, dialog, progress).isEmpty());
    w.openSheet(QStringLiteral("Continue$"));
    EXPECT_EQ(runImport(w, importer::productItem, {}, dialog, progress), QString());
    EXPECT_EQ(db.column("select " + productRows + " from T_Product order by ID1"),
              (QStringList{"42:A", "43:B", "44:E", "45:F"}));
    EXPECT_EQ(db.column("select ID1 from T_SysID"), QStringList{"45"});
    EXPECT_EQ(dialog.reports, QStringList{done(2)});
}

// A row the database refuses after more rows than one commit holds: everything before it is
// stored (a server drops the whole open transaction on a failed statement), nothing after it.
TEST_P(ImportSheetTest, DatabaseRefusalKeepsEveryRowBeforeIt)
{
    BusinessDatabase db(GetParam());
    db.exec(counter41 + ";INSERT INTO T_Product (ID1, GoodsNO) VALUES (7, 'Seven')");
    ImportObjects w(workbook_, db.connectionString());
    w.openSheet(QStringLiteral("Many$"));
    ScriptedDialog dialog;
    data::NoProgress progress;
    EXPECT_FALSE(runImport(w, importer::productItem, {}, dialog, progress).isEmpty());
    EXPECT_TRUE(dialog.reports.isEmpty());
    EXPECT_EQ(db.column("select count(*) from T_Product"), QStringList{"5201"});
    EXPECT_EQ(db.column("select max(ID1) from T_Product"), QStringList{"6200"});
    EXPECT_EQ(db.column("select count(*) from T_Product where GoodsNO like 'After%'"), QStringList{"0"});
    EXPECT_EQ(db.column("select ID1 from T_SysID"), QStringList{QString::number(41 + 5200)});
}

// Stops when the user cancels after the fourth record; reports the rows that went in.
class CancelAfter : public data::Progress {
public:
    explicit CancelAfter(int records) : records_(records) {}
    bool advance(int done, int total, const QString& subject) override
    {
        seen << QStringLiteral("%1/%2 %3").arg(done).arg(total).arg(subject);
        return done < records_;
    }
    QStringList seen;

private:
    int records_;
};

TEST_P(ImportSheetTest, CancelKeepsWhatIsStoredAndReportsIt)
{
    BusinessDatabase db(GetParam());
    db.exec(counter41);
    ImportObjects w(workbook_, db.connectionString());
    w.openSheet(QStringLiteral("Case01$"));
    ScriptedDialog dialog;
    CancelAfter progress(3);
    EXPECT_EQ(runImport(w, importer::productItem, {}, dialog, progress), QString());
    EXPECT_EQ(progress.seen, (QStringList{"1/4 产品资料", "2/4 产品资料", "3/4 产品资料"}));
    EXPECT_EQ(db.column("select " + productRows + " from T_Product order by ID1"), (QStringList{"42:A", "43:B"}));
    EXPECT_EQ(db.column("select ID1 from T_SysID"), QStringList{"43"});
    EXPECT_EQ(dialog.reports, QStringList{done(2)});
}

INSTANTIATE_TEST_SUITE_P(Backends, ImportSheetTest, ::testing::ValuesIn(testsupport::backendNames()),
                         [](const auto& info) { return info.param.toStdString(); });

} // namespace
