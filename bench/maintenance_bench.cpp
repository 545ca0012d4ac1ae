// Delivery-order recalculation ("数据分析") end to end on 10,000 orders of 5 items, against one
// set-based UPDATE computing the same values, on SQLite and (when VARNELO_TEST_PG names the test
// server) on PostgreSQL over ODBC. Usage: maintenance_bench [runs]
#include "data/connection.h"
#include "data/dataset.h"
#include "data/progress.h"
#include "data/user_dialog.h"
#include "maintenance/delivery_orders.h"
#include "tests/support/business_database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int orderCount = 10000;
constexpr int itemsPerOrder = 5;

class AnswerOk : public data::UserDialog {
public:
    bool askOkCancel(const QString&, const QString&) override { return true; }
    void report(const QString&, const QString&, data::ReportIcon) override {}
};

const char* setBasedUpdate =
    "UPDATE T_DeliveryOrder SET "
    "AmountMoney = COALESCE((SELECT SUM(SumMoney) FROM T_Deliveryorder_Item i WHERE i.ID1 = T_DeliveryOrder.ID1), 0)"
    " - COALESCE(CurrentMoney, 0), "
    "BalanceMoney = CASE WHEN State = '已收款' THEN 0 ELSE "
    "COALESCE((SELECT SUM(SumMoney) FROM T_Deliveryorder_Item i WHERE i.ID1 = T_DeliveryOrder.ID1), 0)"
    " - COALESCE(CurrentMoney, 0) END";

void seed(testsupport::BusinessDatabase& db)
{
    QStringList orders, items;
    int itemId = 1;
    for (int id = 1; id <= orderCount; ++id) {
        orders << QStringLiteral("(%1, 'C%2', %3, %4)")
                      .arg(id)
                      .arg(id % 300)
                      .arg(id % 7 * 10.25)
                      .arg(id % 3 == 0 ? QStringLiteral("'已收款'") : QStringLiteral("'未收款'"));
        for (int k = 0; k < itemsPerOrder; ++k)
            items << QStringLiteral("(%1, %2, 'G%3', %4)").arg(itemId++).arg(id).arg(k).arg(k * 12.5 + id % 11);
        if (orders.size() == 1000 || id == orderCount) {
            db.exec(QStringLiteral("INSERT INTO T_DeliveryOrder (ID1, CustomerID, CurrentMoney, State) VALUES ")
                    + orders.join(QLatin1Char(',')));
            db.exec(QStringLiteral("INSERT INTO T_Deliveryorder_Item (ItemID, ID1, GoodsNO, SumMoney) VALUES ")
                    + items.join(QLatin1Char(',')));
            orders.clear();
            items.clear();
        }
    }
}

QStringList amounts(testsupport::BusinessDatabase& db)
{
    return db.column(QStringLiteral("select AmountMoney || ':' || BalanceMoney from T_DeliveryOrder order by ID1"));
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void bench(const QString& backend, int runs)
{
    testsupport::BusinessDatabase db(backend);
    seed(db);
    // The program's folder: for the file backend the business database is its Client.sdb, so the
    // backup copy is part of the measure; for a server there is no file to copy.
    QTemporaryDir emptyFolder;
    const QString exeDir = db.sqlitePath().isEmpty() ? emptyFolder.path() : QFileInfo(db.sqlitePath()).absolutePath();

    std::vector<double> ours, setBased;
    QStringList oursResult, setBasedResult;
    for (int r = 0; r < runs; ++r) {
        db.exec(QStringLiteral("UPDATE T_DeliveryOrder SET AmountMoney = NULL, BalanceMoney = NULL"));
        {
            data::Connection ConnADO(QStringLiteral("ConnADO"));
            ConnADO.setConnectionString(db.connectionString());
            data::Query qryTable(QStringLiteral("qryTable"), &ConnADO);
            data::Query qryID(QStringLiteral("qryID"), &ConnADO);
            AnswerOk dialog;
            data::NoProgress progress;
            QElapsedTimer clock;
            clock.start();
            ConnADO.connect();
            maintenance::RecalcDeliveryOrders(qryID, qryTable, dialog, progress, exeDir);
            ours.push_back(clock.nsecsElapsed() / 1e9);
        }
        oursResult = amounts(db);

        db.exec(QStringLiteral("UPDATE T_DeliveryOrder SET AmountMoney = NULL, BalanceMoney = NULL"));
        {
            data::Connection conn(QStringLiteral("setBased"));
            conn.setConnectionString(db.connectionString());
            data::Query q(QStringLiteral("setBased"), &conn);
            QElapsedTimer clock;
            clock.start();
            conn.connect();
            q.setSql(QString::fromUtf8(setBasedUpdate));
            q.execSql();
            setBased.push_back(clock.nsecsElapsed() / 1e9);
        }
        setBasedResult = amounts(db);
    }
    const double a = median(ours), b = median(setBased);
    std::printf("%-10s recalc end to end %.3f s | set-based UPDATE %.3f s | ratio %.1fx | same values: %s\n",
                backend.toUtf8().constData(), a, b, a / b, oursResult == setBasedResult ? "yes" : "NO");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::printf("%d delivery orders x %d items, medians of %d runs\n", orderCount, itemsPerOrder, runs);
    for (const QString& backend : testsupport::backendNames())
        bench(backend, runs);
    return 0;
}
