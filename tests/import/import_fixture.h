#pragma once

#include "data/connection.h"
#include "data/dataset.h"
#include "data/user_dialog.h"

#include <QJsonArray>
#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

namespace importtest {

struct SheetSpec {
    QString name;      // the worksheet's name, listed with "$" after it
    QJsonArray rows;   // header line first; each cell text, a number or null
};

// Writes the sheets into a new .xlsx file with openpyxl and returns its path.
QString writeWorkbook(const QString& path, const std::vector<SheetSpec>& sheets);

// Answers questions from a script (OK when it runs out) and keeps every box shown.
class ScriptedDialog : public data::UserDialog {
public:
    std::deque<bool> answers;
    QStringList questions; // "caption|text"
    QStringList reports;   // "caption|text"

    bool askOkCancel(const QString& text, const QString& caption) override;
    void report(const QString& text, const QString& caption, data::ReportIcon icon) override;
};

// The objects the window owns for an import: the workbook with its open sheet and the business
// connection with its queries.
struct ImportObjects {
    data::Connection ConnExcel{QStringLiteral("ConnExcel")};
    data::Table atTable{QStringLiteral("atTable"), &ConnExcel};
    data::Connection ConnADO{QStringLiteral("ConnADO")};
    data::Query qryID{QStringLiteral("qryID"), &ConnADO};
    data::Query qryCheck{QStringLiteral("qryCheck"), &ConnADO};

    ImportObjects(const QString& workbookPath, const QString& businessConnectionString);
    // Opens a worksheet as the sheet list names it ("Products$").
    void openSheet(const QString& tableName);
};

} // namespace importtest
