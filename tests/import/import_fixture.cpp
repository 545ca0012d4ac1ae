#include "tests/import/import_fixture.h"

#include "workbook/common/excel_connection.h"
#include "workbook/common/workbook_provider.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <stdexcept>

namespace importtest {

QString writeWorkbook(const QString& path, const std::vector<SheetSpec>& sheets)
{
    QJsonArray spec;
    for (const SheetSpec& s : sheets)
        spec.append(QJsonObject{{QStringLiteral("name"), s.name}, {QStringLiteral("rows"), s.rows}});
    const QString specPath = path + QStringLiteral(".json");
    QFile file(specPath);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the workbook spec");
    file.write(QJsonDocument(spec).toJson());
    file.close();
    QProcess python;
    python.start(QStringLiteral(VARNELO_PYTHON), {QStringLiteral(WRITE_WORKBOOK), specPath, path});
    if (!python.waitForFinished(120000) || python.exitCode() != 0)
        throw std::runtime_error("openpyxl failed: " + python.readAllStandardError().toStdString());
    return path;
}

bool ScriptedDialog::askOkCancel(const QString& text, const QString& caption)
{
    questions << caption + u'|' + text;
    if (answers.empty())
        return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedDialog::report(const QString& text, const QString& caption, data::ReportIcon icon)
{
    reports << caption + u'|' + text + (icon == data::ReportIcon::None ? QString() : QStringLiteral("|icon"));
}

ImportObjects::ImportObjects(const QString& workbookPath, const QString& businessConnectionString)
{
    static const bool registered = (workbook::registerProviders(), true);
    (void)registered;
    ConnExcel.setLoginPrompt(false);
    ConnExcel.setConnectionString(workbook::excelConnectionString(workbook::OfficeFormat::Office2007, workbookPath));
    ConnExcel.connect();
    ConnADO.setLoginPrompt(false);
    ConnADO.setConnectionString(businessConnectionString);
    ConnADO.connect();
}

void ImportObjects::openSheet(const QString& tableName)
{
    atTable.close();
    atTable.setTableName(u'[' + tableName + u']');
    atTable.open();
}

} // namespace importtest
