#pragma once

#include <QString>

// The tables and columns of the business database that the commands name. Names resolve
// without regard to case: T_Deliveryorder_Item and T_DeliveryOrder_Item are one table.
namespace data::business {

inline const QString T_SysID = QStringLiteral("T_SysID");
inline const QString T_Product = QStringLiteral("T_Product");
inline const QString T_Product_Item = QStringLiteral("T_Product_Item");
inline const QString T_Customers = QStringLiteral("T_Customers");
inline const QString T_Deliveryorder_Item = QStringLiteral("T_Deliveryorder_Item");
inline const QString T_DeliveryOrder = QStringLiteral("T_DeliveryOrder");

inline const QString ID1 = QStringLiteral("ID1");
inline const QString State = QStringLiteral("State");
inline const QString GoodsNO = QStringLiteral("GoodsNO");
inline const QString CustomerID = QStringLiteral("CustomerID");
inline const QString CustomerName = QStringLiteral("CustomerName");
inline const QString SumMoney = QStringLiteral("SumMoney");
inline const QString CurrentMoney = QStringLiteral("CurrentMoney");
inline const QString AmountMoney = QStringLiteral("AmountMoney");
inline const QString BalanceMoney = QStringLiteral("BalanceMoney");

} // namespace data::business
