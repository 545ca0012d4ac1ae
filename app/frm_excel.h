#pragma once

#include "app/message_boxes.h"
#include "app/sheet_table.h"
#include "data/connection.h"
#include "data/dataset.h"

#include <QWidget>
#include <memory>

class FilterDialog;
namespace importer {
struct ImportTarget;
}
class Panel;
class QComboBox;
class QFileDialog;
class QLabel;
class QPushButton;
class QRadioButton;
class QToolButton;
class SheetGrid;
class SheetModel;
class StatusBar;
class ToolbarFrame;

// The main window: the toolbar, the sheet bar, the grid of the open sheet and the status bar.
// It owns every data-access object; its handlers only call the commands.
class Tfrm_Excel : public QWidget {
    Q_OBJECT
public:
    Tfrm_Excel();
    ~Tfrm_Excel() override;

    // The data-access objects, by their names, for the window's whole life.
    data::Connection ConnExcel{QStringLiteral("ConnExcel")};
    SheetTable atTable{QStringLiteral("atTable"), &ConnExcel};
    data::Connection ConnADO{QStringLiteral("ConnADO")};
    data::Query qryTable{QStringLiteral("qryTable"), &ConnADO};
    data::Query qryCheck{QStringLiteral("qryCheck"), &ConnADO};
    data::Query qryID{QStringLiteral("qryID"), &ConnADO};

    // The commands' questions and reports.
    MessageBoxes messages{this};

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar();
    void buildSheetArea();
    void buildStatusBar();
    void setTabOrder();
    void connectHandlers();
    template <class Button>
    void onClick(Button* button, void (Tfrm_Excel::*handler)());

    void FormShow();
    void FormClose();
    void BtnOpenClick();
    void ConnectExcel();
    void btnOpenTableClick();
    void gdTableTitleButtonClick(const QString& fieldName);
    void BtnSaveClick();
    void BtnInsertRecordClick();
    void BtnDeleteRecordClick();
    void BtnViewClick();
    void BtnExitClick();
    void btnExecClick();
    void ImportSheet(const importer::ImportTarget& target);
    void btnDeleteClick();
    void btn1Click();
    void Button1Click();
    void Button2Click();

    void openSheet(const QString& sheetName);

    std::unique_ptr<SheetModel> dsTable;

    ToolbarFrame* Toolbar1 = nullptr;
    QToolButton* BtnOpen = nullptr;
    QToolButton* BtnSave = nullptr;
    QToolButton* BtnInsertRecord = nullptr;
    QToolButton* BtnDeleteRecord = nullptr;
    QToolButton* BtnView = nullptr;
    QToolButton* BtnExit = nullptr;
    QRadioButton* rb2003 = nullptr;
    QRadioButton* rb2007 = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* btn1 = nullptr;
    Panel* Panel1 = nullptr;
    Panel* Panel2 = nullptr;
    QComboBox* cbTableName = nullptr;
    QPushButton* btnOpenTable = nullptr;
    QPushButton* btnExec = nullptr;
    QComboBox* cbbTable = nullptr;
    QLabel* Image1 = nullptr;
    SheetGrid* gdTable = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;
    FilterDialog* FilterDialog1 = nullptr;
};
