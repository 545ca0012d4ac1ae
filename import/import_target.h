#pragma once

#include <QString>
#include <optional>

namespace data {
class UserDialog;
}

namespace importer {

// A table the sheet can be imported into, with what the import asks and reports about it.
struct ImportTarget {
    QString table;      // T_Product, T_Customers, T_Deliveryorder_Item
    QString keyColumn;  // GoodsNO or CustomerID
    QString subject;    // the name of the rows in the report
    QString question;   // asked before the import starts
};

// The items of the target list cbbTable, in their order.
extern const QString productItem;
extern const QString customersItem;
extern const QString deliveryOrderItem;

// The target named by the target list's text, or else by the sheet name before its first '$';
// nothing when neither names one. Asks nothing.
std::optional<ImportTarget> findImportTarget(const QString& targetListText, const QString& sheetName);

// The decision of "导入数据": finds the target and asks its question under "提示"; nothing when
// no target is named (then nothing is shown) or the answer is not OK.
std::optional<ImportTarget> chooseImportTarget(const QString& targetListText, const QString& sheetName,
                                               data::UserDialog& dialog);

} // namespace importer
