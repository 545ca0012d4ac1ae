#include "maintenance/delivery_orders.h"

#include "data/business_tables.h"
#include "data/dataset.h"
#include "data/progress.h"
#include "data/user_dialog.h"
#include "maintenance/backup.h"
#include "maintenance/batched_steps.h"

namespace maintenance {

namespace {

using namespace data::business;

const QString paidState = QStringLiteral("已收款");

// One order: its item total less its current money, written as amount and (unless paid) balance.
void recalcOrder(data::Query& qryTable, const QString& id, double currentMoney, const QString& state)
{
    qryTable.close();
    qryTable.setSql(QStringLiteral("select  *  from T_DeliveryOrder_Item where ID1=:ID1"));
    qryTable.setParamText(ID1, id);
    qryTable.open();
    double total = 0;
    for (qryTable.first(); !qryTable.eof(); qryTable.next())
        total += qryTable.fieldByName(SumMoney).asFloat();
    total -= currentMoney;
    const double balance = state == paidState ? 0.0 : total;

    qryTable.close();
    qryTable.setSql(QStringLiteral(
        "update  T_DeliveryOrder set AmountMoney=:AmountMoney,BalanceMoney=:BalanceMoney where ID1=:ID1 "));
    qryTable.setParamText(ID1, id);
    qryTable.setParamFloat(AmountMoney, total);
    qryTable.setParamFloat(BalanceMoney, balance);
    qryTable.execSql();
}

void syncCustomer(data::Query& qryTable, const QString& customerId, const QString& customerName)
{
    qryTable.close();
    qryTable.setSql(QStringLiteral("update  T_DeliveryOrder set CustomerName=:CustomerName where CustomerID=:CustomerID "));
    qryTable.setParamText(CustomerID, customerId);
    qryTable.setParamText(CustomerName, customerName);
    qryTable.execSql();
}

void openOuterRows(data::Query& qryID, const QString& statement)
{
    qryID.close();
    qryID.setSql(statement);
    qryID.open();
    qryID.first();
}

} // namespace

void RecalcDeliveryOrders(data::Query& qryID, data::Query& qryTable, data::UserDialog& dialog,
                          data::Progress& progress, const QString& exeDir)
{
    if (!dialog.askOkCancel(QStringLiteral("您是否确定数据分析？"), QStringLiteral("警告")))
        return;
    BackupDatabase(exeDir, dialog);
    openOuterRows(qryID, QStringLiteral("select  *  from T_DeliveryOrder"));
    const int total = qryID.recordCount();
    const QString subject = QStringLiteral("数据分析");
    // The command cannot be stopped halfway: the progress answer is not asked for.
    progress.advance(0, total, subject);
    BatchedSteps steps(qryTable.connection());
    for (int done = 1; !qryID.eof(); ++done) {
        const QString id = qryID.fieldByName(ID1).asText();
        const double currentMoney = qryID.fieldByName(CurrentMoney).asFloat();
        const QString state = qryID.fieldByName(State).asText();
        steps.run([&qryTable, id, currentMoney, state] { recalcOrder(qryTable, id, currentMoney, state); });
        progress.advance(done, total, subject);
        qryID.next();
    }
    steps.finish();
    dialog.report(QStringLiteral("处理完毕！"), QStringLiteral("提示"), data::ReportIcon::None);
}

void SyncCustomerNames(data::Query& qryID, data::Query& qryTable, data::UserDialog& dialog, data::Progress& progress)
{
    openOuterRows(qryID, QStringLiteral("select  CustomerID,CustomerName  from T_Customers"));
    const int total = qryID.recordCount();
    const QString subject = QStringLiteral("客户编码同步");
    progress.advance(0, total, subject);
    BatchedSteps steps(qryTable.connection());
    for (int done = 1; !qryID.eof(); ++done) {
        const QString customerId = qryID.fieldByName(CustomerID).asText();
        const QString customerName = qryID.fieldByName(CustomerName).asText();
        steps.run([&qryTable, customerId, customerName] { syncCustomer(qryTable, customerId, customerName); });
        progress.advance(done, total, subject);
        qryID.next();
    }
    steps.finish();
    dialog.report(QStringLiteral("客户编码同步处理完毕！"), QStringLiteral("提示"), data::ReportIcon::None);
}

} // namespace maintenance
