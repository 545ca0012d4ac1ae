#include "import/import_target.h"
#include "tests/import/import_fixture.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

using importer::chooseImportTarget;

struct TargetCase {
    const char* name;
    QString list;       // text of the target list
    QString sheet;      // text of the sheet list
    bool answer;        // the answer to the question
    QString table;      // chosen table; empty for none
    QString question;   // the question asked; empty when none is asked
};

const QString products = QStringLiteral("您确定导入产品资料吗？");
const QString customers = QStringLiteral("您确定客户信息吗？");

TEST(ImportTarget, ListItemOrSheetNameChoosesTheTable)
{
    const TargetCase cases[] = {
        {"list item wins over sheet name", importer::customersItem, "Products$", true, "T_Customers", customers},
        {"product item", importer::productItem, "Sheet1$", true, "T_Product", products},
        {"delivery item asks the products question", importer::deliveryOrderItem, "Sheet1$", true, "T_Deliveryorder_Item", products},
        {"sheet Products$", "", "Products$", true, "T_Product", products},
        {"sheet DeliveryOrder$", "", "DeliveryOrder$", true, "T_Deliveryorder_Item", products},
        {"sheet Customer$ names no target", "", "Customer$", true, "", ""},
        {"sheet Customers$", "", "Customers$", true, "T_Customers", customers},
        {"both keywords choose products", "", "DeliveryOrderProduct$", true, "T_Product", products},
        {"list with both keywords", "deliveryorder product", "Sheet1$", true, "T_Product", products},
        {"blank list falls back to the sheet", " \t", "PRODUCTS$", true, "T_Product", products},
        {"only the part before the first $", "", "Sheet$products$", true, "", ""},
        {"a named range has no $", "", "products", true, "", ""},
        {"quoted worksheet name", "", "'My Products$'", true, "T_Product", products},
        {"list text is searched unchanged", "  产品 Product ", "Customers$", true, "T_Product", products},
        {"only A-Z are lowered", "", QStringLiteral("ＰＲＯＤＵＣＴ$"), true, "", ""},
        {"cancel", "", "Products$", false, "", products},
    };
    for (const TargetCase& c : cases) {
        SCOPED_TRACE(c.name);
        importtest::ScriptedDialog dialog;
        dialog.answers = {c.answer};
        const auto target = chooseImportTarget(c.list, c.sheet, dialog);
        EXPECT_EQ(target ? target->table : QString(), c.table);
        EXPECT_EQ(dialog.questions, c.question.isEmpty() ? QStringList() : QStringList{QStringLiteral("提示|") + c.question});
        EXPECT_TRUE(dialog.reports.isEmpty());
    }
}

TEST(ImportTarget, KeyAndSubjectOfEachTable)
{
    const struct {
        QString item, key, subject;
    } cases[] = {
        {importer::productItem, "GoodsNO", "产品资料"},
        {importer::customersItem, "CustomerID", "客户信息"},
        {importer::deliveryOrderItem, "GoodsNO", "产品资料"},
    };
    for (const auto& c : cases) {
        const auto target = importer::findImportTarget(c.item, QString());
        ASSERT_TRUE(target);
        EXPECT_EQ(target->keyColumn, c.key);
        EXPECT_EQ(target->subject, c.subject);
    }
}

} // namespace
