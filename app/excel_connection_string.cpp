#include "app/excel_connection_string.h"

#include "data/connection_string.h"

namespace excel_connection_string {

const QString office2003Template = QStringLiteral(
    "Provider=Microsoft.Jet.OLEDB.4.0;Extended Properties=excel 8.0;Password=%s;User ID=%s;"
    "Data Source=%s;Jet OLEDB:Database Password=%s;Jet OLEDB:New Database Password=%s;");

const QString office2007Template = QStringLiteral(
    "Provider=Microsoft.ACE.OLEDB.12.0;Password=\"\";Data Source=%s;Extended Properties=%s;"
    "Excel 12.0;IMEX=1;HDR=YES%sPersist Security Info=True;");

QString format(const QString& templ, const QStringList& args)
{
    QString result;
    qsizetype next = 0;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = templ.indexOf(QLatin1String("%s"), from);
        if (at < 0 || next >= args.size())
            break;
        result += QStringView(templ).mid(from, at - from);
        result += args.at(next++);
        from = at + 2;
    }
    result += QStringView(templ).mid(from);
    return result;
}

QString dataSource(const QString& fileName)
{
    const bool splits = fileName.contains(QLatin1Char(';')) || fileName.contains(QLatin1Char('"'))
                        || fileName.contains(QLatin1Char('\''));
    const bool losesBlanks = !fileName.isEmpty()
                              && (fileName.front() == QLatin1Char(' ') || fileName.back() == QLatin1Char(' '));
    return splits || losesBlanks ? data::ConnectionString::quoteValue(fileName) : fileName;
}

QString office2003(const QString& password, const QString& userId, const QString& fileName,
                   const QString& dbPassword, const QString& newDbPassword)
{
    return format(office2003Template, {password, userId, dataSource(fileName), dbPassword, newDbPassword});
}

QString office2007(const QString& fileName)
{
    const QString apostrophes = QStringLiteral("''");
    return format(office2007Template, {dataSource(fileName), apostrophes, apostrophes});
}

} // namespace excel_connection_string
