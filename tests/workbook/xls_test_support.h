#pragma once

// Helpers of the .xls tests: fixtures made by xlwt, xlrd's reading of a file, file bytes.
#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace xlstest {

// The folder the xlwt fixtures were written to (made once per test run).
QString fixtureDir();
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
// xlrd's reading of one file, as fixtures/xlrd_cells.py prints it.
QJsonObject xlrdReading(const QString& path);

} // namespace xlstest
