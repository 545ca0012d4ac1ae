#include "maintenance/clear_commands.h"

#include "data/dataset.h"
#include "data/progress.h"
#include "data/user_dialog.h"
#include "maintenance/backup.h"

#include <QStringList>

namespace maintenance {

namespace {

const QString warning = QStringLiteral("警告");
const QString notice = QStringLiteral("提示");

// The statements run one after the other, each on its own; no transaction around them.
void clearTables(data::Query& qryID, const QStringList& statements, data::UserDialog& dialog,
                 data::Progress& progress, const QString& exeDir, const QString& question,
                 const QString& doneReport, const QString& subject)
{
    if (!dialog.askOkCancel(question, warning))
        return;
    BackupDatabase(exeDir, dialog);
    const int total = static_cast<int>(statements.size());
    // The commands cannot be stopped halfway: the progress answer is not asked for.
    progress.advance(0, total, subject);
    for (int i = 0; i < total; ++i) {
        qryID.close();
        qryID.setSql(statements[i]);
        qryID.execSql();
        progress.advance(i + 1, total, subject);
    }
    dialog.report(doneReport, notice, data::ReportIcon::None);
}

} // namespace

void ClearProducts(data::Query& qryID, data::UserDialog& dialog, data::Progress& progress, const QString& exeDir)
{
    clearTables(qryID, {QStringLiteral("delete  from T_Product "), QStringLiteral("delete  from T_Product_Item ")},
                dialog, progress, exeDir, QStringLiteral("您是否确定清除所有产品资料信息？"),
                QStringLiteral("产品资料表已经被清除！"), QStringLiteral("清除所有产品资料"));
}

void ClearCustomers(data::Query& qryID, data::UserDialog& dialog, data::Progress& progress, const QString& exeDir)
{
    // The customer rows live in T_Customers: the customer import fills it and the name sync reads it.
    clearTables(qryID, {QStringLiteral("delete  from T_Customers ")}, dialog, progress, exeDir,
                QStringLiteral("您是否确定清除所有客户信息吗？"), QStringLiteral("客户信息表已经被清除！"),
                QStringLiteral("清除所有客户信息"));
}

} // namespace maintenance
