#include "maintenance/backup.h"

#include "data/user_dialog.h"
#include "maintenance/database_copy.h"
#include "maintenance/date_time_text.h"

namespace maintenance {

QString backupPath(const QString& exeDir, const QDateTime& moment)
{
    return exeDir + QStringLiteral("/Data/") + GetDateTimeText(1, moment) + QStringLiteral(".sdb");
}

bool BackupDatabase(const QString& exeDir, data::UserDialog& dialog, const QDateTime& moment)
{
    const QString source = exeDir + QStringLiteral("/Client.sdb");
    if (copyDatabaseFile(source, backupPath(exeDir, moment)) == 0)
        return true;
    dialog.report(QStringLiteral("数据备份失败！"), QStringLiteral("提示"), data::ReportIcon::Information);
    return false;
}

} // namespace maintenance
