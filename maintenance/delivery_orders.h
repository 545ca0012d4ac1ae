#pragma once

#include <QString>

namespace data {
class Progress;
class Query;
class UserDialog;
}

namespace maintenance {

// "数据分析": asks, backs up Client.sdb of exeDir, then for every delivery order (qryID, in the
// database's order) sums the SumMoney of its items (qryTable), writes AmountMoney = that sum less
// CurrentMoney and BalanceMoney = the same, or 0 when State is exactly "已收款"; reports
// "处理完毕！". A failing statement raises: orders before it keep their new values, the rest
// stay as they were, and no report follows.
void RecalcDeliveryOrders(data::Query& qryID, data::Query& qryTable, data::UserDialog& dialog,
                          data::Progress& progress, const QString& exeDir);

// "客户编码同步": for every customer (qryID, in the database's order) writes its CustomerName into
// the delivery orders of its CustomerID (qryTable); asks nothing, makes no backup, and reports
// "客户编码同步处理完毕！". Failures as for RecalcDeliveryOrders.
void SyncCustomerNames(data::Query& qryID, data::Query& qryTable, data::UserDialog& dialog, data::Progress& progress);

} // namespace maintenance
