#pragma once

#include <QString>
#include <QStringList>

// The workbook connection strings of the two Office formats, built from their fixed templates.
namespace excel_connection_string {

extern const QString office2003Template;
extern const QString office2007Template;

// Replaces each "%s" of the template, in order, by the next argument's text verbatim.
QString format(const QString& templ, const QStringList& args);

// The file name as it goes into "Data Source=": verbatim, unless it contains ';' or a quote or
// begins or ends with a blank. Such a name would split the string, or lose its blanks, and could
// open another file, so it alone is quoted by the connection-string rules.
QString dataSource(const QString& fileName);

QString office2003(const QString& password, const QString& userId, const QString& fileName,
                   const QString& dbPassword, const QString& newDbPassword);
QString office2007(const QString& fileName);

} // namespace excel_connection_string
