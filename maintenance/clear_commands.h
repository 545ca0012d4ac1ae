#pragma once

#include <QString>

namespace data {
class Progress;
class Query;
class UserDialog;
}

namespace maintenance {

// "清除所有产品资料": asks, backs up Client.sdb of exeDir, empties T_Product and then
// T_Product_Item through qryID, and reports. A failing statement raises; the rest does not run.
void ClearProducts(data::Query& qryID, data::UserDialog& dialog, data::Progress& progress, const QString& exeDir);

// "清除所有客户信息": asks, backs up, empties T_Customers through qryID, and reports.
void ClearCustomers(data::Query& qryID, data::UserDialog& dialog, data::Progress& progress, const QString& exeDir);

} // namespace maintenance
