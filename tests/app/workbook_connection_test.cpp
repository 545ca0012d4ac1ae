// "打开Excel": the dialog, the two connection strings, the sheet list and the automatic open.
#include "app/excel_connection_string.h"
#include "app/workbook_settings.h"
#include "data/connection_string.h"
#include "sheet_fixture.h"
#include "tests/support/qt_printers.h"

#include <QFileDialog>

namespace {

const QString rows = QStringLiteral(R"([["Name","Price"],["apple",3],["pear",5]])");

TEST(ExcelConnectionString, BuiltFromTheTemplatesWithTheNameMendedOnlyWhereItWouldSplit)
{
    struct Case {
        QString fileName;
        QString dataSource; // as it stands in the string
    };
    const Case cases[] = {
        {"/home/u/价格表.xls", "/home/u/价格表.xls"},
        {"/home/u/a=b.xls", "/home/u/a=b.xls"},
        {"/home/u/with blanks inside.xls", "/home/u/with blanks inside.xls"},
        {"", ""},
        {"/home/u/a;Data Source=/etc/other.xls", "\"/home/u/a;Data Source=/etc/other.xls\""},
        {"/home/u/it's.xls", "\"/home/u/it's.xls\""},
        {"/home/u/say \"hi\".xls", "\"/home/u/say \"\"hi\"\".xls\""},
        {" /home/u/lead.xls", "\" /home/u/lead.xls\""},
        {"/home/u/trail.xls ", "\"/home/u/trail.xls \""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName.toStdString());
        const QString s2003 = excel_connection_string::office2003(QString(), "Admin", c.fileName, "pkm314782", QString());
        EXPECT_EQ(s2003, "Provider=Microsoft.Jet.OLEDB.4.0;Extended Properties=excel 8.0;Password=;User ID=Admin;Data Source="
                             + c.dataSource + ";Jet OLEDB:Database Password=pkm314782;Jet OLEDB:New Database Password=;");
        const QString s2007 = excel_connection_string::office2007(c.fileName);
        EXPECT_EQ(s2007, "Provider=Microsoft.ACE.OLEDB.12.0;Password=\"\";Data Source=" + c.dataSource
                             + ";Extended Properties='';Excel 12.0;IMEX=1;HDR=YES''Persist Security Info=True;");
        // Every name reads back as itself, so the connection opens the chosen file and no other.
        EXPECT_EQ(data::ConnectionString::parse(s2003).value("Data Source"), c.fileName);
        EXPECT_EQ(data::ConnectionString::parse(s2007).value("Data Source"), c.fileName);
    }
    EXPECT_EQ(excel_connection_string::office2003Template.size(), 167);
    EXPECT_EQ(excel_connection_string::office2007Template.size(), 138);
}

using WorkbookConnection = SheetWindow;

TEST_F(WorkbookConnection, DialogSettingsAndCancelChangesNothing)
{
    auto* dialog = child<QFileDialog>("OpenDialog1");
    EXPECT_EQ(dialog->nameFilters(), QStringList({"*.xls", "*.xlsx"}));
    EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("*.xls"));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(QFileInfo(dialog->selectedFiles().value(0)).fileName(), QStringLiteral("EXCEL文件"));

    ModalScript script;
    script.then(ModalScript::cancel());
    click("BtnOpen");
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(window.ConnExcel.connectionString().isEmpty());
    EXPECT_FALSE(window.ConnExcel.connected());
    EXPECT_EQ(child<QComboBox>("cbTableName")->count(), 0);
    EXPECT_FALSE(child("btnOpenTable")->isEnabled());
}

TEST_F(WorkbookConnection, OpensTheWorkbookListsItsSheetsAndShowsTheFirst)
{
    const QString path = writeXlsx("stock.xlsx", {"Goods", "Other"}, rows);
    openWorkbook(path, true);
    EXPECT_EQ(window.ConnExcel.connectionString(), excel_connection_string::office2007(path));
    EXPECT_TRUE(window.ConnExcel.connected());
    EXPECT_EQ(ExcelFileName, path);
    auto* list = child<QComboBox>("cbTableName");
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names.append(list->itemText(i));
    EXPECT_EQ(names, QStringList({"Goods$", "Other$"}));
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_EQ(window.atTable.tableName(), QStringLiteral("[Goods$]"));
    EXPECT_TRUE(window.atTable.active());
    EXPECT_TRUE(grid()->isVisible());
    EXPECT_EQ(gridColumn(0), QStringList({"apple", "pear"}));
    for (const char* name : {"btnOpenTable", "BtnSave", "BtnInsertRecord", "BtnDeleteRecord", "BtnView", "btnExec"})
        EXPECT_TRUE(child(name)->isEnabled()) << name;

    // The next use of the dialog starts from the file chosen last.
    ModalScript script;
    script.then([&](QWidget* w) {
        EXPECT_EQ(qobject_cast<QFileDialog*>(w)->selectedFiles().value(0), path);
        qobject_cast<QDialog*>(w)->reject();
    });
    click("BtnOpen");
    EXPECT_TRUE(script.done());
}

TEST_F(WorkbookConnection, AFailedConnectionIsShownAndLeavesTheStateThePartSays)
{
    const QString first = writeXlsx("first.xlsx", {"Goods"}, rows);
    openWorkbook(first, true);
    // The radio button alone chooses the provider: an .xlsx through the Office 2003 string is refused.
    const QString second = writeXlsx("second.xlsx", {"Fresh"}, rows);
    openWorkbook(second, false, {ModalScript::press(QMessageBox::Ok)});
    ASSERT_EQ(lastSeen.size(), 2u);
    EXPECT_EQ(lastSeen[1].icon, QMessageBox::Critical);
    EXPECT_EQ(lastSeen[1].title, QCoreApplication::applicationName());
    EXPECT_FALSE(lastSeen[1].text.isEmpty());
    EXPECT_EQ(window.ConnExcel.connectionString(),
              excel_connection_string::office2003("", "Admin", second, "pkm314782", ""));
    EXPECT_FALSE(window.ConnExcel.connected());
    EXPECT_EQ(ExcelFileName, second);
    EXPECT_EQ(child<QComboBox>("cbTableName")->currentText(), QStringLiteral("Goods$"));
    EXPECT_TRUE(child("btnOpenTable")->isEnabled());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(WorkbookConnection, FilterWithoutAnOpenSheetShowsTheComponentsError)
{
    {
        ModalScript script;
        script.then(ModalScript::press(QMessageBox::Ok));
        click("BtnView");
        ASSERT_EQ(script.seen().size(), 1u);
        EXPECT_EQ(script.seen()[0].text,
                  QStringLiteral("Dataset must be active to perform local filtering (FilterMethod=fdByFilter)."));
        EXPECT_EQ(script.seen()[0].icon, QMessageBox::Critical);
        EXPECT_EQ(script.seen()[0].title, QCoreApplication::applicationName());
    }
    // The window stays usable: the next command runs.
    const QString path = writeXlsx("after.xlsx", {"Goods"}, rows);
    openWorkbook(path, true);
    EXPECT_TRUE(window.atTable.active());
}

} // namespace
