// The window's import and maintenance commands: each handler only calls its command with the
// window's data-access objects, its message boxes and a progress dialog.
#include "app/frm_excel.h"
#include "app/progress_window.h"
#include "app/sheet_grid.h"
#include "import/import_sheet.h"
#include "import/import_target.h"
#include "maintenance/clear_commands.h"
#include "maintenance/delivery_orders.h"

#include <QComboBox>
#include <QCoreApplication>

void Tfrm_Excel::btnExecClick()
{
    gdTable->commitEdit(); // a cell being typed into belongs to the row the import reads
    const auto target = importer::chooseImportTarget(cbbTable->currentText(), cbTableName->currentText(), messages);
    if (target)
        ImportSheet(*target);
}

void Tfrm_Excel::ImportSheet(const importer::ImportTarget& target)
{
    ProgressWindow progress(this, true);
    importer::ImportSheet(atTable, qryID, qryCheck, target, messages, progress);
}

void Tfrm_Excel::btnDeleteClick()
{
    ProgressWindow progress(this, false);
    maintenance::ClearProducts(qryID, messages, progress, QCoreApplication::applicationDirPath());
}

void Tfrm_Excel::btn1Click()
{
    ProgressWindow progress(this, false);
    maintenance::ClearCustomers(qryID, messages, progress, QCoreApplication::applicationDirPath());
}

void Tfrm_Excel::Button1Click()
{
    ProgressWindow progress(this, false);
    maintenance::RecalcDeliveryOrders(qryID, qryTable, messages, progress, QCoreApplication::applicationDirPath());
}

void Tfrm_Excel::Button2Click()
{
    ProgressWindow progress(this, false);
    maintenance::SyncCustomerNames(qryID, qryTable, messages, progress);
}
