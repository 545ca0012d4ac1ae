#pragma once

#include "settings/data_set_settings.h"

#include <QString>

namespace data {

class Connection;

// The business connection string chosen from the settings: the server form when DataType is
// exactly "SQL", else the database file named by DataPath, else Client.sdb in exeDirWithSeparator.
QString businessConnectionString(const settings::TDataSetStr& s, const QString& exeDirWithSeparator);

// The start-up connection: reads DataSet.ini beside the executable into DataSetInfo, sets the
// connection string of ConnADO and connects it. Every failure is dropped; the connection keeps
// its string so that the next command over it connects again.
void startUpConnection(Connection& ConnADO, const QString& exeDir);

} // namespace data
