#pragma once

#include <QDateTime>
#include <QString>

namespace data {
class UserDialog;
}

namespace maintenance {

// The backup file of a moment: exeDir/Data/<year month day hour minute>.sdb.
QString backupPath(const QString& exeDir, const QDateTime& moment);

// Copies Client.sdb of the program's folder `exeDir` (whatever the settings name as the business
// database) to backupPath(exeDir, moment). A failed copy is reported as "数据备份失败！" and the
// caller goes on all the same; the result tells only the companion whether the copy was made.
bool BackupDatabase(const QString& exeDir, data::UserDialog& dialog,
                    const QDateTime& moment = QDateTime::currentDateTime());

} // namespace maintenance
