#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/workbook_options.h"

#include "data/business_connection.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "data/error.h"
#include "data/progress.h"
#include "data/user_dialog.h"
#include "import/import_plan.h"
#include "import/import_sheet.h"
#include "import/import_target.h"
#include "settings/data_set_settings.h"
#include "workbook/common/workbook_provider.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace cli {
namespace {

struct ImportOptions {
    QString file;
    QString sheet;        // empty: the first table, which the window opens at once
    QString targetItem;   // the chosen item of the target list, or empty
    QString settingsFile; // empty: DataSet.ini beside the program
    bool yes = false;
    bool dryRun = false;
    workbook::OfficeFormat office = workbook::OfficeFormat::Office2007;
};

bool parseOptions(QStringList args, ImportOptions& options, QString& error)
{
    const auto office = takeOfficeOption(args);
    if (!office) {
        error = QStringLiteral("--office takes 2003 or 2007");
        return false;
    }
    options.office = *office;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--yes")) {
            options.yes = true;
        } else if (a == QLatin1String("--dry-run")) {
            options.dryRun = true;
        } else if (a == QLatin1String("--sheet") && hasValue) {
            options.sheet = args[++i];
        } else if (a == QLatin1String("--settings") && hasValue) {
            options.settingsFile = args[++i];
        } else if (a == QLatin1String("--target") && hasValue) {
            const QString t = args[++i];
            if (t == QLatin1String("product"))
                options.targetItem = importer::productItem;
            else if (t == QLatin1String("customers"))
                options.targetItem = importer::customersItem;
            else if (t == QLatin1String("deliveryorder"))
                options.targetItem = importer::deliveryOrderItem;
            else {
                error = QStringLiteral("--target takes product, customers or deliveryorder");
                return false;
            }
        } else if (a.startsWith(QLatin1String("--"))) {
            error = QStringLiteral("import: unexpected argument '%1' (see --help)").arg(a);
            return false;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 1) {
        error = QStringLiteral("usage: import FILE [--sheet NAME] [--target product|customers|deliveryorder] "
                               "[--office 2003|2007] [--settings FILE] [--yes] [--dry-run]");
        return false;
    }
    options.file = positional.first();
    return true;
}

// The table the sheet list would show selected: the named one (with or without its "$"), else the first.
QString chooseSheet(data::Connection& ConnExcel, const QString& wanted)
{
    QStringList names;
    ConnExcel.getTableNames(names);
    if (names.isEmpty())
        throw data::Error(QStringLiteral("the workbook has no sheet"));
    QString name = names.first();
    if (!wanted.isEmpty()) {
        if (names.contains(wanted))
            name = wanted;
        else if (names.contains(wanted + u'$'))
            name = wanted + u'$';
        else
            throw data::Error(QStringLiteral("the workbook has no sheet '%1'; it has: %2").arg(wanted, names.join(QStringLiteral(", "))));
    }
    if (name.contains(QLatin1String("$_")))
        throw data::Error(QStringLiteral("the table '%1' is not a sheet that can be opened").arg(name));
    return name;
}

// Connects as the window's start-up connection does, but a failure is raised, not dropped.
void connectBusinessDatabase(data::Connection& ConnADO, const QString& settingsOption)
{
    const QString folder = QCoreApplication::applicationDirPath();
    const QString settingsFile = settingsOption.isEmpty() ? folder + QStringLiteral("/DataSet.ini") : settingsOption;
    if (!settingsOption.isEmpty() && !QFileInfo(settingsFile).isFile())
        throw data::Error(QStringLiteral("the settings file '%1' does not exist").arg(settingsFile));
    settings::TDataSetStr record;
    settings::ReadDataSetStr(settingsFile, QByteArrayLiteral("Database"), record);
    settings::DataSetInfo = record;
    ConnADO.setLoginPrompt(false);
    ConnADO.setConnectionString(data::businessConnectionString(settings::DataSetInfo, folder + QLatin1Char('/')));
    ConnADO.connect();
}

void printPlan(const importer::ImportPlan& plan, const importer::ImportTarget& target, const QString& sheet,
               int sheetRecords)
{
    std::printf("dry run: %s into %s (key %s), T_SysID %lld; nothing is changed\n", sheet.toUtf8().constData(),
                target.table.toUtf8().constData(), target.keyColumn.toUtf8().constData(),
                static_cast<long long>(plan.counter));
    if (sheetRecords > 0)
        std::printf("record 1: left out (the first record is never imported)\n");
    for (const importer::PlannedRecord& r : plan.records) {
        if (r.number != 0)
            std::printf("record %d: %s=%s -> ID1 %lld\n", r.recNo, target.keyColumn.toUtf8().constData(),
                        r.key.toUtf8().constData(), static_cast<long long>(r.number));
        else
            std::printf("record %d: %s=%s already present, skipped\n", r.recNo, target.keyColumn.toUtf8().constData(),
                        r.key.toUtf8().constData());
    }
    const int added = plan.newRows();
    std::printf("would import %d, skip %d as already present", added, static_cast<int>(plan.records.size()) - added);
    if (added > 0)
        std::printf("; T_SysID would become %lld", static_cast<long long>(plan.counter + added));
    std::printf("\n");
}

} // namespace

// Imports a workbook sheet into the business database through the window's own import.
int runImport(const QStringList& args)
{
    ImportOptions options;
    QString error;
    if (!parseOptions(args, options, error))
        return fail(error);
    workbook::registerProviders();
    try {
        data::Connection ConnExcel(QStringLiteral("ConnExcel"));
        ConnExcel.setLoginPrompt(false);
        ConnExcel.setConnectionString(workbook::excelConnectionString(options.office, options.file));
        ConnExcel.connect();
        const QString sheet = chooseSheet(ConnExcel, options.sheet);
        data::Table atTable(QStringLiteral("atTable"), &ConnExcel);
        atTable.setTableName(u'[' + sheet + u']');
        atTable.open();

        data::Connection ConnADO(QStringLiteral("ConnADO"));
        data::Query qryCheck(QStringLiteral("qryCheck"), &ConnADO);
        data::Query qryID(QStringLiteral("qryID"), &ConnADO);
        TerminalProgress progress;
        if (options.dryRun) {
            const auto target = importer::findImportTarget(options.targetItem, sheet);
            if (!target)
                return fail(QStringLiteral("the sheet name '%1' names no target; choose one with --target").arg(sheet));
            connectBusinessDatabase(ConnADO, options.settingsFile);
            const importer::ImportPlan plan = importer::planImport(atTable, qryID, qryCheck, *target, progress);
            printPlan(plan, *target, sheet, atTable.recordCount());
            return 0;
        }
        TerminalDialog dialog(options.yes);
        if (!importer::findImportTarget(options.targetItem, sheet))
            return fail(QStringLiteral("the sheet name '%1' names no target; choose one with --target").arg(sheet));
        const auto target = importer::chooseImportTarget(options.targetItem, sheet, dialog);
        if (!target)
            return 0; // the question was answered Cancel: nothing happens, as in the window
        connectBusinessDatabase(ConnADO, options.settingsFile);
        importer::ImportSheet(atTable, qryID, qryCheck, *target, dialog, progress);
    } catch (const data::Error& e) {
        return fail(e.message());
    }
    return 0;
}

} // namespace cli
