#include "cli/commands.h"
#include "cli/workbook_options.h"

#include "data/connection.h"
#include "data/error.h"
#include "workbook/common/workbook_provider.h"

#include <cstdio>

namespace cli {

// Lists the workbook's tables as the sheet list shows them, one a line.
int runSheets(const QStringList& arguments)
{
    QStringList args = arguments;
    const auto office = takeOfficeOption(args);
    if (!office)
        return fail(QStringLiteral("--office takes 2003 or 2007"));
    if (args.size() != 1)
        return fail(QStringLiteral("usage: sheets FILE [--office 2003|2007]"));
    workbook::registerProviders();
    try {
        data::Connection connection(QStringLiteral("ConnExcel"));
        connection.setLoginPrompt(false);
        connection.setConnectionString(workbook::excelConnectionString(*office, args[0]));
        connection.connect();
        QStringList names;
        connection.getTableNames(names);
        for (const QString& name : names)
            std::printf("%s\n", name.toUtf8().constData());
    } catch (const data::Error& e) {
        return fail(e.message());
    }
    return 0;
}

} // namespace cli
