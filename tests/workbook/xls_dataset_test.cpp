// The .xls engine as the program reaches it: a table dataset on the "Office 2003" workbook
// connection, and the companion's sheets and show commands with both Office choices.
#include "xls_test_support.h"

#include "data/connection.h"
#include "data/dataset.h"
#include "workbook/common/excel_connection.h"
#include "workbook/common/workbook_provider.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

using Cells = std::map<std::pair<int, int>, QString>;

// xlrd's reading of the sheet "Data" as text (numbers in general notation, dates as yyyy-MM-dd).
Cells xlrdDataSheet(const QString& path)
{
    const QJsonObject reading = xlstest::xlrdReading(path);
    Cells cells;
    for (const QJsonValue& s : reading[QStringLiteral("sheets")].toArray()) {
        if (s[QStringLiteral("name")].toString() != u"Data")
            continue;
        for (const QJsonValue& c : s[QStringLiteral("cells")].toArray()) {
            const QJsonArray a = c.toArray();
            QString text = a[2].toString() == u"n" ? data::formatNumber(a[3].toDouble()) : a[3].toString();
            if (a[2].toString() == u"d" && text.endsWith(QLatin1String(" 00:00:00")))
                text.chop(9);
            cells[{a[0].toInt(), a[1].toInt()}] = text;
        }
    }
    return cells;
}

QString copyMixed(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("mixed.xls"));
    EXPECT_TRUE(QFile::copy(xlstest::fixtureDir() + QStringLiteral("/mixed.xls"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

TEST(XlsDataset, EditAppendDeleteThroughATableOnTheOffice2003Connection)
{
    workbook::registerProviders();
    QTemporaryDir dir;
    const QString path = copyMixed(dir);
    const Cells before = xlrdDataSheet(path);
    ASSERT_FALSE(before.empty());

    {
        data::Connection connection(QStringLiteral("ConnExcel"));
        connection.setLoginPrompt(false);
        connection.setConnectionString(workbook::excelConnectionString(workbook::OfficeFormat::Office2003, path));
        connection.connect();
        data::Table table(QStringLiteral("atTable"), &connection);
        table.setTableName(QStringLiteral("[Data$]"));
        table.open();
        ASSERT_EQ(table.recordCount(), 41);

        // Record 3 is sheet row 3: new name, typed number, typed date.
        table.setRecNo(3);
        table.edit();
        table.fields(table.fieldIndex(QStringLiteral("Name"))).setAsText(QStringLiteral("改名"));
        table.fields(table.fieldIndex(QStringLiteral("Price"))).setAsText(QStringLiteral("8.5"));
        table.fields(table.fieldIndex(QStringLiteral("Born"))).setAsText(QStringLiteral("2024-05-06"));
        table.post();

        table.append();
        table.fields(table.fieldIndex(QStringLiteral("GoodsNO"))).setAsText(QStringLiteral("G900"));
        table.fields(table.fieldIndex(QStringLiteral("Qty"))).setAsText(QStringLiteral("12"));
        table.post();

        // Record 1 is sheet row 1; the rows below it move up.
        table.setRecNo(1);
        table.remove();
        table.close();
    }

    Cells expected = before;
    expected[{3, 1}] = QStringLiteral("改名");
    expected[{3, 2}] = QStringLiteral("8.5");
    expected[{3, 4}] = QStringLiteral("2024-05-06");
    expected[{42, 0}] = QStringLiteral("G900");
    expected[{42, 3}] = QStringLiteral("12");
    Cells shifted;
    for (const auto& [at, text] : expected)
        if (at.first != 1)
            shifted[{at.first > 1 ? at.first - 1 : at.first, at.second}] = text;
    EXPECT_EQ(xlrdDataSheet(path), shifted);
}

QString runCli(const QStringList& args, int* exitCode)
{
    QProcess cli;
    cli.start(QStringLiteral(VARNELO_CLI), args);
    cli.waitForFinished(60000);
    *exitCode = cli.exitCode();
    return QString::fromUtf8(cli.readAllStandardOutput());
}

TEST(XlsDataset, CompanionListsAndShowsAnXlsFileWithBothOfficeChoices)
{
    QTemporaryDir dir;
    const QString path = copyMixed(dir);
    QString sheetsOutput;
    QString showOutput;
    for (const char* office : {"2003", "2007"}) {
        int code = -1;
        const QString sheets = runCli({QStringLiteral("sheets"), path, QStringLiteral("--office"), QString::fromLatin1(office)}, &code);
        EXPECT_EQ(code, 0) << office;
        EXPECT_EQ(sheets.split(u'\n', Qt::SkipEmptyParts),
                  QStringList({QStringLiteral("Data$"), QStringLiteral("'My Sheet$'"), QStringLiteral("中文表$")}))
            << office << ": " << sheets.toStdString();
        const QString show = runCli({QStringLiteral("show"), path, QStringLiteral("Data$"), QStringLiteral("--office"),
                                     QString::fromLatin1(office)}, &code);
        EXPECT_EQ(code, 0) << office;
        EXPECT_TRUE(show.startsWith(QStringLiteral("GoodsNO"))) << office << ": " << show.left(200).toStdString();
        EXPECT_TRUE(show.contains(QStringLiteral("商品40"))) << office;
        EXPECT_EQ(show.count(u'\n'), 42) << office; // header and 41 records
        if (sheetsOutput.isNull()) {
            sheetsOutput = sheets;
            showOutput = show;
        } else {
            EXPECT_EQ(sheets, sheetsOutput);
            EXPECT_EQ(show, showOutput);
        }
    }
}

} // namespace
