#include "data/error.h"
#include "maintenance/delivery_orders.h"
#include "maintenance_fixture.h"
#include "tests/support/qt_printers.h"

namespace {

using DeliveryOrdersTest = MaintenanceTest;

const QString askRecalc = QStringLiteral("ask 警告: 您是否确定数据分析？");
const QString recalcDone = QStringLiteral("report 提示: 处理完毕！");
const QString syncDone = QStringLiteral("report 提示: 客户编码同步处理完毕！");

// "ID1:AmountMoney:BalanceMoney" of every order, by ID1.
QString amountsOf(testsupport::BusinessDatabase& db)
{
    QStringList ids = db.column(QStringLiteral("select ID1 from T_DeliveryOrder order by ID1"));
    QStringList amounts = db.column(QStringLiteral("select AmountMoney from T_DeliveryOrder order by ID1"));
    QStringList balances = db.column(QStringLiteral("select BalanceMoney from T_DeliveryOrder order by ID1"));
    QStringList out;
    for (int i = 0; i < ids.size(); ++i)
        out << ids[i] + QLatin1Char(':') + amounts[i] + QLatin1Char(':') + balances[i];
    return out.join(QLatin1Char(' '));
}

QString insertOrders(int count)
{
    QStringList rows;
    for (int id = 1; id <= count; ++id)
        rows << QStringLiteral("(%1, 'C1', 10, 7, 7, '')").arg(id);
    return QStringLiteral("INSERT INTO T_DeliveryOrder (ID1, CustomerID, CurrentMoney, AmountMoney, BalanceMoney, State) VALUES ")
           + rows.join(QLatin1Char(','));
}

TEST_P(DeliveryOrdersTest, RecalcWritesItemTotalLessCurrentMoneyAndZeroBalanceOnlyWhenPaid)
{
    struct Order {
        int id;
        QString currentMoney; // SQL literal
        QString state;        // SQL literal
        QStringList itemMoney;
        QString expected;     // ID1:AmountMoney:BalanceMoney
    };
    const Order orders[] = {
        {1, "30", "'未收款'", {"100", "50.5"}, "1:120.5:120.5"},
        {2, "30", "'已收款'", {"100", "50.5"}, "2:120.5:0"},
        {3, "30", "'已收款 '", {"100", "50.5"}, "3:120.5:120.5"},  // a trailing blank is not paid
        {4, "30", "NULL", {}, "4:-30:-30"},                        // no items; no state is not paid
        {5, "NULL", "'已收款'", {"NULL", "20"}, "5:20:0"},          // nulls count as 0
        {6, "NULL", "''", {}, "6:0:0"},
        {7, "0.1", "''", {"0.2", "0.1"}, "7:0.2:0.2"},            // double arithmetic throughout
    };
    QStringList seed;
    int itemId = 1;
    QStringList expected;
    for (const Order& o : orders) {
        seed << QStringLiteral("INSERT INTO T_DeliveryOrder (ID1, CurrentMoney, AmountMoney, BalanceMoney, State) "
                               "VALUES (%1, %2, 999, 999, %3)").arg(o.id).arg(o.currentMoney, o.state);
        for (const QString& money : o.itemMoney)
            seed << QStringLiteral("INSERT INTO T_Deliveryorder_Item (ItemID, ID1, GoodsNO, SumMoney) VALUES (%1, %2, 'G', %3)")
                        .arg(itemId++).arg(o.id).arg(money);
        expected << o.expected;
    }
    seed << QStringLiteral("INSERT INTO T_Deliveryorder_Item (ItemID, ID1, GoodsNO, SumMoney) VALUES (%1, 99, 'G', 5)").arg(itemId);
    db->exec(seed.join(QLatin1Char(';')));

    maintenance::RecalcDeliveryOrders(qryID, qryTable, dialog, progress, folderWithClientFile());

    EXPECT_EQ(dialog.shown, (QStringList{askRecalc, recalcDone}));
    EXPECT_EQ(amountsOf(*db), expected.join(QLatin1Char(' ')));
    EXPECT_EQ(backupsIn(folderWithClientFile()), 1);
    ASSERT_FALSE(progress.steps.empty());
    EXPECT_EQ(progress.steps.front(), std::make_pair(0, 7));
    EXPECT_EQ(progress.steps.back(), std::make_pair(7, 7));
    // qryID stays open past its last row; qryTable is closed on the last update.
    EXPECT_TRUE(qryID.active());
    EXPECT_TRUE(qryID.eof());
    EXPECT_FALSE(qryTable.active());
    EXPECT_EQ(qryTable.sql(), "update  T_DeliveryOrder set AmountMoney=:AmountMoney,BalanceMoney=:BalanceMoney where ID1=:ID1 ");
}

TEST_P(DeliveryOrdersTest, RecalcCancelNoOrdersAndFailedBackup)
{
    struct Case {
        const char* name;
        bool answer;
        bool withOrder;
        bool clientFileBeside;
        QStringList shown;
        int backups;
        QString amounts;
    };
    const Case cases[] = {
        {"cancel changes nothing", false, true, true, {askRecalc}, 0, "1:7:7"},
        {"no orders", true, false, true, {askRecalc, recalcDone}, 1, ""},
        {"a failed backup does not stop it", true, true, false, {askRecalc, backupFailed, recalcDone}, 0, "1:-10:-10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        freshDatabase();
        if (c.withOrder)
            db->exec(insertOrders(1));
        const QString folder = c.clientFileBeside ? folderWithClientFile() : folderWithoutClientFile();
        ScriptedDialog answers({c.answer});

        maintenance::RecalcDeliveryOrders(qryID, qryTable, answers, progress, folder);

        EXPECT_EQ(answers.shown, c.shown);
        EXPECT_EQ(backupsIn(folder), c.backups);
        EXPECT_EQ(amountsOf(*db), c.amounts);
        QDir(folder + QStringLiteral("/Data")).removeRecursively();
    }
}

// Orders before the refused one keep their new values, it and those after keep their old ones,
// also when earlier orders were committed in an earlier group of updates.
TEST_P(DeliveryOrdersTest, AFailingUpdateStopsTheRecalcAtThatOrder)
{
    struct Case {
        int orders;
        int refused;
    };
    for (const Case c : {Case{5, 1}, Case{5, 3}, Case{1203, 1101}}) {
        SCOPED_TRACE(testing::Message() << c.orders << " orders, order " << c.refused << " refused");
        freshDatabase();
        db->exec(insertOrders(c.orders));
        refuseOrderUpdatesWhere(QStringLiteral("NEW.ID1 = %1").arg(c.refused));

        EXPECT_THROW(maintenance::RecalcDeliveryOrders(qryID, qryTable, dialog, progress, folderWithoutClientFile()),
                     data::Error);

        EXPECT_EQ(dialog.shown.last(), backupFailed); // no report after the error
        EXPECT_EQ(scalar(QStringLiteral("select count(*) from T_DeliveryOrder where ID1 < %1 and AmountMoney = -10").arg(c.refused)),
                  QString::number(c.refused - 1));
        EXPECT_EQ(scalar(QStringLiteral("select count(*) from T_DeliveryOrder where ID1 >= %1 and AmountMoney = 7").arg(c.refused)),
                  QString::number(c.orders - c.refused + 1));
        dialog.shown.clear();
    }
}

TEST_P(DeliveryOrdersTest, SyncCopiesNamesByCustomerIdTheLaterCustomerWinning)
{
    db->exec(QStringLiteral(
        "INSERT INTO T_Customers (ID1, CustomerID, CustomerName) VALUES (1, 'C1', '甲');"
        "INSERT INTO T_Customers (ID1, CustomerID, CustomerName) VALUES (2, 'C2', '乙');"
        "INSERT INTO T_Customers (ID1, CustomerID, CustomerName) VALUES (3, 'C2', '丙');"
        "INSERT INTO T_Customers (ID1, CustomerID, CustomerName) VALUES (4, 'C4', '');"
        "INSERT INTO T_Customers (ID1, CustomerID, CustomerName) VALUES (5, 'C5', NULL);"
        "INSERT INTO T_DeliveryOrder (ID1, CustomerID, CustomerName) VALUES (1, 'C1', 'old');"
        "INSERT INTO T_DeliveryOrder (ID1, CustomerID, CustomerName) VALUES (2, 'C2', 'old');"
        "INSERT INTO T_DeliveryOrder (ID1, CustomerID, CustomerName) VALUES (3, 'C4', 'old');"
        "INSERT INTO T_DeliveryOrder (ID1, CustomerID, CustomerName) VALUES (4, 'C5', 'old');"
        "INSERT INTO T_DeliveryOrder (ID1, CustomerID, CustomerName) VALUES (5, 'C9', 'kept');"
        "INSERT INTO T_DeliveryOrder (ID1, CustomerID, CustomerName) VALUES (6, NULL, 'kept');"
        "INSERT INTO T_DeliveryOrder (ID1, CustomerID, CustomerName) VALUES (7, 'C1', NULL)"));

    maintenance::SyncCustomerNames(qryID, qryTable, dialog, progress);

    EXPECT_EQ(dialog.shown, QStringList{syncDone});
    EXPECT_EQ(db->column(QStringLiteral("select CustomerName from T_DeliveryOrder order by ID1")),
              (QStringList{"甲", "丙", "", "", "kept", "kept", "甲"}));
    EXPECT_EQ(scalar("select count(*) from T_DeliveryOrder where CustomerName is null"), "0");
    EXPECT_EQ(progress.steps.back(), std::make_pair(5, 5));
    EXPECT_TRUE(qryID.eof());
    EXPECT_EQ(qryTable.sql(), "update  T_DeliveryOrder set CustomerName=:CustomerName where CustomerID=:CustomerID ");
}

TEST_P(DeliveryOrdersTest, SyncWithoutCustomersAndAFailingUpdate)
{
    maintenance::SyncCustomerNames(qryID, qryTable, dialog, progress);
    EXPECT_EQ(dialog.shown, QStringList{syncDone});

    dialog.shown.clear();
    db->exec(QStringLiteral(
        "INSERT INTO T_Customers (ID1, CustomerID, CustomerName) VALUES (1, 'C1', '甲');"
        "INSERT INTO T_Customers (ID1, CustomerID, CustomerName) VALUES (2, 'C2', '乙');"
        "INSERT INTO T_Customers (ID1, CustomerID, CustomerName) VALUES (3, 'C3', '丙');"
        "INSERT INTO T_DeliveryOrder (ID1, CustomerID, CustomerName) VALUES (1, 'C1', 'old');"
        "INSERT INTO T_DeliveryOrder (ID1, CustomerID, CustomerName) VALUES (2, 'C2', 'old');"
        "INSERT INTO T_DeliveryOrder (ID1, CustomerID, CustomerName) VALUES (3, 'C3', 'old')"));
    refuseOrderUpdatesWhere(QStringLiteral("NEW.CustomerID = 'C2'"));

    EXPECT_THROW(maintenance::SyncCustomerNames(qryID, qryTable, dialog, progress), data::Error);

    EXPECT_TRUE(dialog.shown.isEmpty());
    EXPECT_EQ(db->column(QStringLiteral("select CustomerName from T_DeliveryOrder order by ID1")),
              (QStringList{"甲", "old", "old"}));
}

INSTANTIATE_TEST_SUITE_P(Backends, DeliveryOrdersTest, ::testing::ValuesIn(testsupport::backendNames().toVector()),
                         backendName);

} // namespace
