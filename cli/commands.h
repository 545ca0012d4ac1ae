#pragma once

#include <QStringList>

namespace cli {

// One command of the companion: its name, a line of help, its usage text and its entry.
// Arguments exclude the program and command names. Returns the exit status.
struct Command {
    const char* name;
    const char* summary;
    const char* usage;
    int (*run)(const QStringList& args);
};

int runInitDb(const QStringList& args);
int runSettings(const QStringList& args);
int runSheets(const QStringList& args);
int runShow(const QStringList& args);
int runBackup(const QStringList& args);
int runClearProducts(const QStringList& args);
int runClearCustomers(const QStringList& args);
int runRecalcOrders(const QStringList& args);
int runSyncCustomerNames(const QStringList& args);
int runImport(const QStringList& args);

// True when args holds --help or -h.
bool wantsHelp(const QStringList& args);
// Prints "varnelo-excel-cli: <text>" to standard error and returns the failure status.
int fail(const QString& text);

} // namespace cli
