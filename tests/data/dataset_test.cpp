#include "data/connection.h"
#include "data/dataset.h"
#include "data/error.h"
#include "tests/support/business_database.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

using data::Connection;
using data::Query;
using testsupport::BusinessDatabase;

namespace {

class DatasetTest : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override
    {
        db = std::make_unique<BusinessDatabase>(GetParam());
        db->exec(QStringLiteral(
            "INSERT INTO T_Product (ID1, State, GoodsNO, GoodsName, Price) VALUES (1, TRUE, 'A1', 'apple', 2.5);"
            "INSERT INTO T_Product (ID1, State, GoodsNO, GoodsName, Price) VALUES (2, TRUE, 'b''2', 'Banana', NULL);"
            "INSERT INTO T_Product (ID1, State, GoodsNO, GoodsName, Price) VALUES (3, FALSE, 'C3', NULL, 10)"));
        conn.setConnectionString(db->connectionString());
    }

    void openProducts()
    {
        qry.setSql(QStringLiteral("select * from T_Product order by ID1"));
        qry.open();
    }

    QStringList goods(const QString& where = QString())
    {
        return db->column(QStringLiteral("select GoodsNO from T_Product %1 order by ID1").arg(where));
    }

    std::unique_ptr<BusinessDatabase> db;
    Connection conn{QStringLiteral("ConnADO")};
    Query qry{QStringLiteral("qryCheck"), &conn};
};

std::string backendName(const ::testing::TestParamInfo<QString>& info)
{
    return info.param.toStdString();
}

TEST_P(DatasetTest, WalksRowsAndReadsFields)
{
    EXPECT_FALSE(conn.connected());
    openProducts(); // connects first
    EXPECT_TRUE(conn.connected());
    EXPECT_EQ(qry.recordCount(), 3);
    QStringList seen;
    for (qry.first(); !qry.eof(); qry.next())
        seen << QStringLiteral("%1:%2:%3").arg(qry.recNo()).arg(qry.fieldByName(QStringLiteral("goodsno")).asText(),
                                                               qry.fieldByName(QStringLiteral("GoodsName")).asText());
    EXPECT_EQ(seen, (QStringList{"1:A1:apple", "2:b'2:Banana", "3:C3:"}));
    EXPECT_EQ(qry.recNo(), 3); // next on the last row stays there
    // Null reads as empty text, 0 and 0.
    qry.first();
    qry.next();
    EXPECT_EQ(qry.fieldByName(QStringLiteral("Price")).asText(), QString());
    EXPECT_EQ(qry.fieldByName(QStringLiteral("Price")).asFloat(), 0.0);
    EXPECT_EQ(qry.fieldByName(QStringLiteral("Price")).asInteger(), 0);
    qry.first();
    EXPECT_EQ(qry.fieldByName(QStringLiteral("Price")).asText(), QStringLiteral("2.5"));
    EXPECT_EQ(qry.fieldByName(QStringLiteral("State")).asText(), QStringLiteral("True"));
    try {
        qry.fieldByName(QStringLiteral("Nope"));
        FAIL() << "missing field";
    } catch (const data::Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("qryCheck: Field 'Nope' not found"));
    }
}

TEST_P(DatasetTest, PostsAppendsEditsAndDeletesAtOnce)
{
    openProducts();
    qry.append();
    qry.fieldByName(QStringLiteral("ID1")).setAsInteger(4);
    qry.fieldByName(QStringLiteral("State")).setAsBoolean(true);
    qry.fieldByName(QStringLiteral("GoodsNO")).setAsText(QStringLiteral("D4"));
    qry.fieldByName(QStringLiteral("Price")).setAsText(QStringLiteral("7.25"));
    qry.post();
    EXPECT_EQ(goods(), (QStringList{"A1", "b'2", "C3", "D4"}));
    EXPECT_EQ(db->column(QStringLiteral("select Price from T_Product where ID1=4")), QStringList{"7.25"});

    // Edit changes exactly the row it was read from.
    qry.first();
    qry.next();
    qry.edit();
    qry.fieldByName(QStringLiteral("GoodsName")).setAsText(QStringLiteral("香蕉"));
    qry.post();
    EXPECT_EQ(db->column(QStringLiteral("select GoodsName from T_Product order by ID1")),
              (QStringList{"apple", "香蕉", "", ""}));

    // Append posts a changed open row and drops an unchanged one.
    qry.edit();
    qry.fieldByName(QStringLiteral("GoodsNO")).setAsText(QStringLiteral("B2"));
    qry.append();
    EXPECT_EQ(goods(QStringLiteral("where ID1=2")), QStringList{"B2"});
    qry.append(); // the untouched new row is dropped
    qry.cancel();
    EXPECT_EQ(qry.recordCount(), 4);

    // Delete drops an unposted new row without writing, then deletes the current row.
    qry.append();
    qry.fieldByName(QStringLiteral("GoodsNO")).setAsText(QStringLiteral("X"));
    qry.remove();
    EXPECT_EQ(goods().size(), 4);
    qry.first();
    qry.remove();
    EXPECT_EQ(goods(), (QStringList{"B2", "C3", "D4"}));
    EXPECT_EQ(qry.recordCount(), 3);
    EXPECT_EQ(qry.fieldByName(QStringLiteral("GoodsNO")).asText(), QStringLiteral("B2"));
}

TEST_P(DatasetTest, EmptySetEditInsertsAndDeleteRaises)
{
    qry.setSql(QStringLiteral("select * from T_SysID "));
    qry.open();
    EXPECT_TRUE(qry.eof());
    EXPECT_THROW(qry.remove(), data::Error);
    qry.edit(); // on an empty set this inserts
    qry.fieldByName(QStringLiteral("ID1")).setAsInteger(41);
    qry.post();
    EXPECT_EQ(db->column(QStringLiteral("select ID1 from T_SysID")), QStringList{"41"});
    qry.edit();
    qry.fieldByName(QStringLiteral("ID1")).setAsInteger(44);
    qry.post();
    EXPECT_EQ(db->column(QStringLiteral("select ID1 from T_SysID")), QStringList{"44"});
}

TEST_P(DatasetTest, AnUpdateThatWouldTouchSeveralRowsIsRefused)
{
    db->exec(QStringLiteral("INSERT INTO T_SysID (ID1) VALUES (7);INSERT INTO T_SysID (ID1) VALUES (7)"));
    qry.setSql(QStringLiteral("select ID1 from T_SysID "));
    qry.open();
    qry.edit();
    qry.fieldByName(QStringLiteral("ID1")).setAsInteger(8);
    EXPECT_THROW(qry.post(), data::Error);
    EXPECT_EQ(db->column(QStringLiteral("select ID1 from T_SysID")), (QStringList{"7", "7"}));
}

TEST_P(DatasetTest, TextIsConvertedToTheColumnType)
{
    openProducts();
    qry.append();
    struct Case {
        const char* field;
        const char* text;
        const char* error; // nullptr: accepted
    } cases[] = {
        {"ID1", "12", nullptr},
        {"ID1", "12.0", nullptr},
        {"ID1", "12.5", "qryCheck: '12.5' is not a valid integer value for field 'ID1'"},
        {"Price", "abc", "qryCheck: 'abc' is not a valid floating point value for field 'Price'"},
        {"Price", "", nullptr},
        {"State", "maybe", "qryCheck: 'maybe' is not a valid boolean value for field 'State'"},
    };
    for (const Case& c : cases) {
        const QString field = QString::fromLatin1(c.field);
        try {
            qry.fieldByName(field).setAsText(QString::fromUtf8(c.text));
            EXPECT_EQ(c.error, nullptr) << c.field << " " << c.text;
        } catch (const data::Error& e) {
            ASSERT_NE(c.error, nullptr) << c.field << " " << c.text;
            EXPECT_EQ(e.message().toLower(), QString::fromUtf8(c.error).toLower());
        }
    }
    EXPECT_TRUE(qry.fieldByName(QStringLiteral("Price")).isNull()); // empty text stores null
    // A text column keeps at most its width.
    qry.fieldByName(QStringLiteral("GoodsNO")).setAsText(QString(60, QLatin1Char('x')));
    EXPECT_EQ(qry.fieldByName(QStringLiteral("GoodsNO")).asText().size(), 50);
}

TEST_P(DatasetTest, FiltersSeeAppendedRowsAndIgnoreCase)
{
    openProducts();
    struct Case {
        const char* filter;
        int count;
    } cases[] = {
        {"GoodsNO='a1'", 1},          {"GoodsNO='B''2'", 1},   {"GoodsNO='Z'", 0},
        {"Price>5", 1},               {"Price IS NULL", 1},    {"GoodsName LIKE 'ba%'", 1},
        {"GoodsName LIKE '*an*'", 1}, {"ID1>=2 AND (GoodsNO='C3' OR GoodsNO='b''2')", 2},
        {"NOT GoodsNO='A1'", 2},      {"[GoodsName]<>'apple'", 1},
    };
    for (const Case& c : cases) {
        qry.setFiltered(false);
        qry.setFilter(QString());
        qry.setFilter(QString::fromUtf8(c.filter));
        qry.setFiltered(true);
        EXPECT_EQ(qry.recordCount(), c.count) << c.filter;
    }
    // The import's pattern: a key appended after the filter was first used is found next time.
    qry.setFiltered(false);
    qry.setFilter(QStringLiteral("GoodsNO='E5'"));
    qry.setFiltered(true);
    EXPECT_EQ(qry.recordCount(), 0);
    qry.append();
    qry.fieldByName(QStringLiteral("ID1")).setAsInteger(5);
    qry.fieldByName(QStringLiteral("GoodsNO")).setAsText(QStringLiteral("E5"));
    qry.post();
    qry.setFiltered(false);
    qry.setFilter(QString());
    qry.setFilter(QStringLiteral("GoodsNO='e5'"));
    qry.setFiltered(true);
    EXPECT_EQ(qry.recordCount(), 1);
    EXPECT_THROW(qry.setFilter(QStringLiteral("Missing='x'")), data::Error);
}

TEST_P(DatasetTest, SortTextReordersAndReadsBack)
{
    openProducts();
    EXPECT_EQ(qry.sort(), QString());
    qry.setSort(QStringLiteral("GoodsName DESC"));
    EXPECT_EQ(qry.sort(), QStringLiteral("GoodsName DESC"));
    QStringList order;
    for (qry.first(); !qry.eof(); qry.next())
        order << qry.fieldByName(QStringLiteral("ID1")).asText();
    EXPECT_EQ(order, (QStringList{"2", "1", "3"})); // texts ignore case, nulls sort first
    qry.setSort(QStringLiteral("State ASC, Price DESC"));
    qry.first();
    EXPECT_EQ(qry.fieldByName(QStringLiteral("ID1")).asText(), QStringLiteral("3"));
    EXPECT_THROW(qry.setSort(QStringLiteral("Nope ASC")), data::Error);
}

TEST_P(DatasetTest, ParametersBindAsTextAndDouble)
{
    Query upd(QStringLiteral("qryTable"), &conn);
    upd.setSql(QStringLiteral("update  T_Product set Price=:Price where GoodsNO=:GoodsNO "));
    upd.setParamText(QStringLiteral("GoodsNO"), QStringLiteral("b'2"));
    upd.setParamFloat(QStringLiteral("Price"), 120.5);
    EXPECT_EQ(upd.execSql(), 1);
    EXPECT_EQ(db->column(QStringLiteral("select Price from T_Product where ID1=2")), QStringList{"120.5"});
    EXPECT_THROW(upd.setParamText(QStringLiteral("Other"), QString()), data::Error);
}

TEST_P(DatasetTest, ListsTablesWithoutSystemTables)
{
    QStringList names;
    conn.getTableNames(names);
    QStringList lower;
    for (const QString& n : names)
        lower << n.toLower();
    lower.sort();
    EXPECT_EQ(lower, (QStringList{"t_customers", "t_deliveryorder", "t_deliveryorder_item", "t_product",
                                  "t_product_item", "t_sysid"}));
}

INSTANTIATE_TEST_SUITE_P(Backends, DatasetTest, ::testing::ValuesIn(testsupport::backendNames().toVector()), backendName);

} // namespace
