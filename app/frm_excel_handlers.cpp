// The window's handlers and the workbook commands they run.
#include "app/frm_excel.h"

#include "app/application.h"
#include "app/excel_connection_string.h"
#include "app/filter_dialog.h"
#include "app/loading_indicator.h"
#include "app/panels.h"
#include "app/sheet_grid.h"
#include "app/sheet_model.h"
#include "app/workbook_settings.h"
#include "data/business_connection.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QToolButton>


void Tfrm_Excel::showEvent(QShowEvent* event)
{
    // Runs before the window appears on the screen.
    if (!event->spontaneous())
        FormShow();
    QWidget::showEvent(event);
}

void Tfrm_Excel::closeEvent(QCloseEvent* event)
{
    runHandler([this] { FormClose(); });
    event->accept();
}

void Tfrm_Excel::FormShow()
{
    // Reads DataSet.ini and connects the business database; every failure is dropped there.
    data::startUpConnection(ConnADO, QCoreApplication::applicationDirPath());
}

void Tfrm_Excel::FormClose()
{
    // An edit not yet posted is dropped, not written.
    gdTable->discardEdit();
    atTable.setActive(false);
}

void Tfrm_Excel::BtnExitClick()
{
    close();
}

void Tfrm_Excel::BtnOpenClick()
{
    if (!ExcelFileName.isEmpty())
        OpenDialog1->selectFile(ExcelFileName);
    if (OpenDialog1->exec() != QDialog::Accepted)
        return;
    const QStringList chosen = OpenDialog1->selectedFiles();
    if (chosen.isEmpty())
        return;
    ExcelFileName = chosen.first();
    ConnectExcel();

    QStringList names;
    ConnExcel.getTableNames(names);
    cbTableName->clear();
    cbTableName->addItems(names);
    cbTableName->setCurrentIndex(0);
    btnOpenTable->setEnabled(true);
    btnOpenTable->click();
}

void Tfrm_Excel::ConnectExcel()
{
    ExcelPassword = QString();
    ExcelUserID = QStringLiteral("Admin");
    ExcelDbPassword = QStringLiteral("pkm314782");
    ExcelNewDbPassword = QString();
    ConnExcel.setConnected(false);
    if (rb2003->isChecked())
        ConnExcel.setConnectionString(excel_connection_string::office2003(
            ExcelPassword, ExcelUserID, ExcelFileName, ExcelDbPassword, ExcelNewDbPassword));
    else if (rb2007->isChecked())
        ConnExcel.setConnectionString(excel_connection_string::office2007(ExcelFileName));
    ConnExcel.setConnected(true);
}

void Tfrm_Excel::btnOpenTableClick()
{
    const QString sheetName = cbTableName->currentText();
    if (sheetName.contains(QLatin1String("$_")))
        return;
    gdTable->discardEdit();
    atTable.setActive(false);
    atTable.setTableName(QLatin1Char('[') + sheetName + QLatin1Char(']'));
    openSheet(sheetName);

    // The grid is shown before its columns are fitted so that it has its size and knows how
    // many rows it has room for; nothing is painted in between.
    gdTable->setVisible(true);
    layout()->activate();
    Panel1->layout()->activate();
    gdTable->resetColumnWidths();
    gdTable->fitColumns();
    for (QWidget* button : std::initializer_list<QWidget*>{BtnSave, BtnInsertRecord, BtnDeleteRecord, BtnView, btnExec})
        button->setEnabled(true);
}

// Opens the sheet table; a sheet that takes a while to read shows the loading notice.
void Tfrm_Excel::openSheet(const QString& sheetName)
{
    LoadingIndicator indicator(sheetName, this);
    struct LoadScope {
        SheetTable& table;
        SheetModel& model;
        LoadScope(SheetTable& t, SheetModel& m, LoadingIndicator& indicator) : table(t), model(m)
        {
            model.beginLoad();
            table.setReadProgress([&indicator](qint64 rows) { indicator.rowsRead(rows); });
        }
        ~LoadScope()
        {
            table.setReadProgress(nullptr);
            model.endLoad();
        }
    } scope(atTable, *dsTable, indicator);
    atTable.setActive(true);
}

void Tfrm_Excel::gdTableTitleButtonClick(const QString& fieldName)
{
    gdTable->commitEdit();
    if (atTable.sort() == fieldName + QStringLiteral(" ASC"))
        atTable.setSort(fieldName + QStringLiteral(" DESC"));
    else
        atTable.setSort(fieldName + QStringLiteral(" ASC"));
}

void Tfrm_Excel::BtnSaveClick()
{
    gdTable->commitEdit();
    atTable.next();
    atTable.prior();
}

void Tfrm_Excel::BtnInsertRecordClick()
{
    gdTable->commitEdit();
    atTable.append();
}

void Tfrm_Excel::BtnDeleteRecordClick()
{
    gdTable->discardEdit();
    atTable.remove();
}

void Tfrm_Excel::BtnViewClick()
{
    gdTable->commitEdit();
    FilterDialog1->execute();
}
