#include "cli/commands.h"
#include "cli/workbook_options.h"

#include "data/connection.h"
#include "data/dataset.h"
#include "data/error.h"
#include "workbook/common/workbook_provider.h"

#include <cstdio>

namespace cli {
namespace {

// RFC 4180: a field with a comma, quote or line break is quoted, quotes doubled.
QByteArray csvField(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\n') && !utf8.contains('\r'))
        return utf8;
    utf8.replace("\"", "\"\"");
    return '"' + utf8 + '"';
}

void writeLine(const QStringList& fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            line += ',';
        line += csvField(fields[i]);
    }
    line += "\r\n";
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
}

} // namespace

// Prints a table as an import reads it: field names, then every record as read-as-text CSV.
int runShow(const QStringList& arguments)
{
    QStringList args = arguments;
    const auto office = takeOfficeOption(args);
    if (!office)
        return fail(QStringLiteral("--office takes 2003 or 2007"));
    if (args.size() != 2)
        return fail(QStringLiteral("usage: show FILE TABLE [--office 2003|2007]"));
    workbook::registerProviders();
    try {
        data::Connection connection(QStringLiteral("ConnExcel"));
        connection.setLoginPrompt(false);
        connection.setConnectionString(workbook::excelConnectionString(*office, args[0]));
        connection.connect();
        data::Table table(QStringLiteral("atTable"), &connection);
        table.setTableName(u'[' + args[1] + u']');
        table.open();
        QStringList names;
        for (int f = 0; f < table.fieldCount(); ++f)
            names << table.fields(f).fieldName();
        writeLine(names);
        for (table.first(); !table.eof(); table.next()) {
            QStringList values;
            for (int f = 0; f < table.fieldCount(); ++f)
                values << table.fields(f).asText();
            writeLine(values);
        }
        table.close();
    } catch (const data::Error& e) {
        return fail(e.message());
    }
    return 0;
}

} // namespace cli
