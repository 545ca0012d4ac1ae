// A worksheet edited through the data-access layer exactly as the window does it: a Table on a
// Connection with the "Office 2007" connection string; openpyxl reads the result back.
#include "data/connection.h"
#include "data/dataset.h"
#include "data/error.h"
#include "workbook/common/excel_connection.h"
#include "workbook/common/workbook_provider.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

QString runPython(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(VARNELO_PYTHON), args);
    p.waitForFinished(120000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// "A2" style cells of the first sheet as openpyxl reads them, "kind:text".
std::map<std::pair<int, int>, QString> openpyxlFirstSheet(const QString& path)
{
    const QJsonObject o =
        QJsonDocument::fromJson(runPython({QStringLiteral(FIXTURES_DIR "/openpyxl_cells.py"), path}).toUtf8()).object();
    EXPECT_TRUE(o.contains(QStringLiteral("sheets"))) << o[QStringLiteral("error")].toString().toStdString();
    std::map<std::pair<int, int>, QString> cells;
    for (const QJsonValue& c : o[QStringLiteral("sheets")].toArray().at(0)[QStringLiteral("cells")].toArray()) {
        const QJsonArray a = c.toArray();
        const QString kind = a[2].toString();
        cells[{a[0].toInt(), a[1].toInt()}] =
            kind + u':' + (kind == u"n" ? data::formatNumber(a[3].toDouble()) : a[3].toString());
    }
    return cells;
}

TEST(XlsxDataset, EditAppendAndDeleteThroughATableLandInTheWorkbook)
{
    workbook::registerProviders();
    QTemporaryDir dir;
    runPython({QStringLiteral(FIXTURES_DIR "/make_xlsx_hostile.py"), dir.path()});
    const QString path = dir.filePath(QStringLiteral("good.xlsx"));

    data::Connection connection(QStringLiteral("ConnExcel"));
    connection.setConnectionString(workbook::excelConnectionString(workbook::OfficeFormat::Office2007, path));
    connection.connect();
    data::Table table(QStringLiteral("atTable"), &connection);
    table.setTableName(QStringLiteral("[Sheet1$]"));
    table.open();
    ASSERT_EQ(table.recordCount(), 1);

    table.first();
    table.edit();
    table.fieldByName(QStringLiteral("名称")).setAsText(QStringLiteral("香蕉"));
    table.fieldByName(QStringLiteral("数量")).setAsText(QStringLiteral("7.5"));
    table.post();
    for (const auto& [name, count] : {std::pair{"梨", "2"}, std::pair{"桃", "4"}}) {
        table.append();
        table.fieldByName(QStringLiteral("名称")).setAsText(QString::fromUtf8(name));
        table.fieldByName(QStringLiteral("数量")).setAsText(QString::fromUtf8(count));
        table.post();
    }
    table.first();
    table.next(); // 梨
    ASSERT_EQ(table.fieldByName(QStringLiteral("名称")).asText(), QStringLiteral("梨"));
    table.remove();
    table.close();
    connection.disconnect();

    // Typed numbers in the number column are stored as numbers; the deleted row's place is
    // taken by the row below it.
    const std::map<std::pair<int, int>, QString> expected = {
        {{0, 0}, QStringLiteral("s:名称")}, {{0, 1}, QStringLiteral("s:数量")},
        {{1, 0}, QStringLiteral("s:香蕉")}, {{1, 1}, QStringLiteral("n:7.5")},
        {{2, 0}, QStringLiteral("s:桃")},   {{2, 1}, QStringLiteral("n:4")},
    };
    EXPECT_EQ(openpyxlFirstSheet(path), expected);
}

} // namespace
