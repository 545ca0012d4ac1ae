#include "cli/commands.h"

#include <QCoreApplication>
#include <cstdio>
#include <iterator>

namespace cli {
namespace {

const Command commands[] = {
    {"init-db", "create an empty business database file",
     "init-db [--demo] PATH\n  Creates an empty SQLite business database at PATH; an existing file is never replaced.\n"
     "  --demo  adds a few sample products, customers and delivery orders\n",
     runInitDb},
    {"settings", "write or show a DataSet.ini settings file",
     "settings write [--type SQL] [--source S] [--user U] [--password P] [--catalog C] [--path P] FILE\n"
     "       varnelo-excel-cli settings show FILE\n",
     runSettings},
    {"sheets", "list a workbook's tables as the sheet list shows them",
     "sheets FILE [--office 2003|2007]\n  One table name a line; --office picks the connection string (default 2007).\n",
     runSheets},
    {"show", "print a workbook table as CSV, as an import reads it",
     "show FILE TABLE [--office 2003|2007]\n  Field names, then every record, each value read as text (RFC 4180, UTF-8).\n",
     runShow},
    {"backup", "copy Client.sdb beside the program into Data/",
     "backup [--settings FILE] [--yes]\n  Copies Client.sdb beside the program to Data/<yyyyMMddhhmm>.sdb, whatever the settings name;\n"
     "  a backup of the same minute is never replaced. Prints the backup's path; exits 1 when no copy\n"
     "  was made. --settings and --yes are accepted like the other commands' and change nothing.\n",
     runBackup},
    {"clear-products", "empty T_Product and T_Product_Item after a backup",
     "clear-products [--settings FILE] [--yes]\n"
     "  Asks as the window does (--yes answers OK), backs up Client.sdb, empties the product tables.\n"
     "  --settings FILE  the settings to connect with (default: DataSet.ini beside the program)\n",
     runClearProducts},
    {"clear-customers", "empty T_Customers after a backup",
     "clear-customers [--settings FILE] [--yes]\n"
     "  Asks as the window does (--yes answers OK), backs up Client.sdb, empties the customer table.\n"
     "  --settings FILE  the settings to connect with (default: DataSet.ini beside the program)\n",
     runClearCustomers},
    {"recalc-orders", "recompute every delivery order's amount and balance (数据分析)",
     "recalc-orders [--settings FILE] [--yes]\n"
     "  Asks as the window does (--yes answers OK), backs up Client.sdb, recomputes the orders.\n"
     "  --settings FILE  the settings to connect with (default: DataSet.ini beside the program)\n",
     runRecalcOrders},
    {"sync-customer-names", "copy customer names into the delivery orders (客户编码同步)",
     "sync-customer-names [--settings FILE]\n"
     "  Writes each customer's name into the delivery orders of its code; asks nothing.\n"
     "  --settings FILE  the settings to connect with (default: DataSet.ini beside the program)\n",
     runSyncCustomerNames},
    {"import", "import a sheet into the business database (导入数据)",
     "import FILE [--sheet NAME] [--target product|customers|deliveryorder] [--office 2003|2007]\n"
     "       [--settings FILE] [--yes] [--dry-run]\n"
     "  Imports the sheet (default: the first) into the table its name or --target names, asking as\n"
     "  the window does (--yes answers OK), and prints the window's report.\n"
     "  --dry-run         lists the records that would go in, with their numbers, and those skipped;\n"
     "                    changes nothing\n"
     "  --settings FILE   the settings to connect with (default: DataSet.ini beside the program)\n",
     runImport},
};

void printOverview()
{
    std::printf("usage: varnelo-excel-cli COMMAND [ARGS]\n\ncommands:\n");
    for (const Command& c : commands)
        std::printf("  %-22s %s\n", c.name, c.summary);
    std::printf("\n'varnelo-excel-cli COMMAND --help' describes one command.\n");
}

} // namespace

bool wantsHelp(const QStringList& args)
{
    return args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"));
}

int fail(const QString& text)
{
    std::fprintf(stderr, "varnelo-excel-cli: %s\n", text.toUtf8().constData());
    return 1;
}

} // namespace cli

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == QStringLiteral("--help") || args.first() == QStringLiteral("-h")) {
        cli::printOverview();
        return args.isEmpty() ? 2 : 0;
    }
    const QString name = args.takeFirst();
    for (const cli::Command& c : cli::commands) {
        if (name != QLatin1String(c.name))
            continue;
        if (cli::wantsHelp(args)) {
            std::printf("usage: varnelo-excel-cli %s", c.usage);
            return 0;
        }
        return c.run(args);
    }
    return cli::fail(QStringLiteral("unknown command '%1' (see --help)").arg(name));
}
