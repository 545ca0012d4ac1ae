#include "cli/commands.h"
#include "cli/terminal.h"

#include "data/business_connection.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "data/error.h"
#include "data/progress.h"
#include "data/user_dialog.h"
#include "maintenance/backup.h"
#include "maintenance/clear_commands.h"
#include "maintenance/delivery_orders.h"
#include "settings/data_set_settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <functional>
#include <iostream>
#include <string>
#include <unistd.h>

namespace cli {
namespace {

struct MaintenanceOptions {
    QString settingsFile; // empty: DataSet.ini beside the program
    bool yes = false;
};

bool parseOptions(const char* command, const QStringList& args, MaintenanceOptions& options, QString& error)
{
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--yes")) {
            options.yes = true;
        } else if (args[i] == QLatin1String("--settings") && i + 1 < args.size()) {
            options.settingsFile = args[++i];
        } else {
            error = QStringLiteral("%1: unexpected argument '%2' (see --help)").arg(QLatin1String(command), args[i]);
            return false;
        }
    }
    return true;
}

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

// Connects as the window's start-up connection does, but a failure is raised, not dropped.
void connectBusinessDatabase(data::Connection& ConnADO, const MaintenanceOptions& options)
{
    const QString folder = programFolder();
    const QString settingsFile = options.settingsFile.isEmpty() ? folder + QStringLiteral("/DataSet.ini") : options.settingsFile;
    if (!options.settingsFile.isEmpty() && !QFileInfo(settingsFile).isFile())
        throw data::Error(QStringLiteral("the settings file '%1' does not exist").arg(settingsFile));
    settings::TDataSetStr record;
    settings::ReadDataSetStr(settingsFile, QByteArrayLiteral("Database"), record);
    settings::DataSetInfo = record;
    ConnADO.setLoginPrompt(false);
    ConnADO.setConnectionString(data::businessConnectionString(settings::DataSetInfo, folder + QLatin1Char('/')));
    ConnADO.connect();
}

// The business queries of the window, and a command run over them.
struct BusinessQueries {
    data::Connection ConnADO{QStringLiteral("ConnADO")};
    data::Query qryTable{QStringLiteral("qryTable"), &ConnADO};
    data::Query qryID{QStringLiteral("qryID"), &ConnADO};
};
using MaintenanceCommand = std::function<void(BusinessQueries&, data::UserDialog&, data::Progress&)>;

int runOverBusinessDatabase(const char* name, const QStringList& args, const MaintenanceCommand& command)
{
    MaintenanceOptions options;
    QString error;
    if (!parseOptions(name, args, options, error))
        return fail(error);
    TerminalDialog dialog(options.yes);
    try {
        BusinessQueries queries;
        connectBusinessDatabase(queries.ConnADO, options);
        TerminalProgress progress;
        command(queries, dialog, progress);
    } catch (const data::Error& e) {
        return fail(QStringLiteral("%1: %2").arg(QLatin1String(name), e.message()));
    }
    if (dialog.declined())
        return fail(QStringLiteral("%1: cancelled, nothing was changed").arg(QLatin1String(name)));
    return 0;
}

} // namespace

int runBackup(const QStringList& args)
{
    MaintenanceOptions options;
    QString error;
    if (!parseOptions("backup", args, options, error))
        return fail(error);
    TerminalDialog dialog(options.yes);
    const QDateTime moment = QDateTime::currentDateTime();
    if (!maintenance::BackupDatabase(programFolder(), dialog, moment))
        return 1;
    std::printf("%s\n", maintenance::backupPath(programFolder(), moment).toUtf8().constData());
    return 0;
}

int runClearProducts(const QStringList& args)
{
    return runOverBusinessDatabase("clear-products", args, [](BusinessQueries& q, data::UserDialog& d, data::Progress& p) {
        maintenance::ClearProducts(q.qryID, d, p, programFolder());
    });
}

int runClearCustomers(const QStringList& args)
{
    return runOverBusinessDatabase("clear-customers", args, [](BusinessQueries& q, data::UserDialog& d, data::Progress& p) {
        maintenance::ClearCustomers(q.qryID, d, p, programFolder());
    });
}

int runRecalcOrders(const QStringList& args)
{
    return runOverBusinessDatabase("recalc-orders", args, [](BusinessQueries& q, data::UserDialog& d, data::Progress& p) {
        maintenance::RecalcDeliveryOrders(q.qryID, q.qryTable, d, p, programFolder());
    });
}

int runSyncCustomerNames(const QStringList& args)
{
    return runOverBusinessDatabase("sync-customer-names", args, [](BusinessQueries& q, data::UserDialog& d, data::Progress& p) {
        maintenance::SyncCustomerNames(q.qryID, q.qryTable, d, p);
    });
}

} // namespace cli
