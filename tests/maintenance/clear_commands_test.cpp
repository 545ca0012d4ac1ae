#include "data/error.h"
#include "maintenance/clear_commands.h"
#include "maintenance_fixture.h"
#include "tests/support/qt_printers.h"

#include <functional>

namespace {

using ClearCommandsTest = MaintenanceTest;

const QString askProducts = QStringLiteral("ask 警告: 您是否确定清除所有产品资料信息？");
const QString productsCleared = QStringLiteral("report 提示: 产品资料表已经被清除！");
const QString askCustomers = QStringLiteral("ask 警告: 您是否确定清除所有客户信息吗？");
const QString customersCleared = QStringLiteral("report 提示: 客户信息表已经被清除！");

enum class Command { Products, Customers };

TEST_P(ClearCommandsTest, AsksBacksUpDeletesAndReports)
{
    struct Case {
        const char* name;
        Command command;
        bool answer;
        bool seedRows;
        bool clientFileBeside;
        QStringList shown;
        int backups;
        // Rows left in T_Product, T_Product_Item, T_Customers.
        QStringList counts;
    };
    const Case cases[] = {
        {"products, cancel", Command::Products, false, true, true, {askProducts}, 0, {"2", "1", "1"}},
        {"products, ok", Command::Products, true, true, true, {askProducts, productsCleared}, 1, {"0", "0", "1"}},
        {"products, empty tables", Command::Products, true, false, true, {askProducts, productsCleared}, 1, {"0", "0", "0"}},
        {"products, backup fails, rows go all the same", Command::Products, true, true, false,
         {askProducts, backupFailed, productsCleared}, 0, {"0", "0", "1"}},
        {"customers, cancel", Command::Customers, false, true, true, {askCustomers}, 0, {"2", "1", "1"}},
        {"customers, ok", Command::Customers, true, true, true, {askCustomers, customersCleared}, 1, {"2", "1", "0"}},
        {"customers, empty table", Command::Customers, true, false, true, {askCustomers, customersCleared}, 1, {"0", "0", "0"}},
        {"customers, backup fails, rows go all the same", Command::Customers, true, true, false,
         {askCustomers, backupFailed, customersCleared}, 0, {"2", "1", "0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        freshDatabase();
        if (c.seedRows)
            db->exec(QStringLiteral(
                "INSERT INTO T_Product (ID1, GoodsNO) VALUES (1, 'A1');"
                "INSERT INTO T_Product (ID1, GoodsNO) VALUES (2, 'B2');"
                "INSERT INTO T_Product_Item (ItemID, ID1, GoodsNO) VALUES (1, 1, 'A1');"
                "INSERT INTO T_Customers (ID1, CustomerID, CustomerName) VALUES (1, 'C1', '张三')"));
        const QString folder = c.clientFileBeside ? folderWithClientFile() : folderWithoutClientFile();
        ScriptedDialog answers({c.answer});

        if (c.command == Command::Products)
            maintenance::ClearProducts(qryID, answers, progress, folder);
        else
            maintenance::ClearCustomers(qryID, answers, progress, folder);

        EXPECT_EQ(answers.shown, c.shown);
        EXPECT_EQ(backupsIn(folder), c.backups);
        EXPECT_EQ((QStringList{scalar("select count(*) from T_Product"), scalar("select count(*) from T_Product_Item"),
                               scalar("select count(*) from T_Customers")}),
                  c.counts);
        QDir(folder + QStringLiteral("/Data")).removeRecursively();
    }
}

TEST_P(ClearCommandsTest, AFailingProductStatementKeepsTheItemsAndShowsNoReport)
{
    db->exec(QStringLiteral("INSERT INTO T_Product_Item (ItemID, ID1, GoodsNO) VALUES (1, 1, 'A1');"
                            "INSERT INTO T_Product_Item (ItemID, ID1, GoodsNO) VALUES (2, 1, 'A2');"
                            "DROP TABLE T_Product"));

    EXPECT_THROW(maintenance::ClearProducts(qryID, dialog, progress, folderWithClientFile()), data::Error);

    EXPECT_EQ(dialog.shown, QStringList{askProducts});
    EXPECT_EQ(scalar("select count(*) from T_Product_Item"), "2");
    EXPECT_EQ(qryID.sql(), "delete  from T_Product ");
}

INSTANTIATE_TEST_SUITE_P(Backends, ClearCommandsTest, ::testing::ValuesIn(testsupport::backendNames().toVector()),
                         backendName);

} // namespace
