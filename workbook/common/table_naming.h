#pragma once

#include "workbook/common/engine.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace workbook {

// How a worksheet is listed as a table: "Name$", or "'Name$'" when the name holds anything
// but letters, digits and '_' (an apostrophe inside is doubled).
QString worksheetTableName(const QString& sheetName);
// How a defined name is listed: "Name", or "Sheet$Name" for a name scoped to a sheet.
QString namedRangeTableName(const NamedRange& name, const std::vector<Worksheet>& sheets);

// The workbook's tables as the sheet list shows them: worksheets, then named ranges.
QStringList listTables(Workbook& workbook);

// The table a command text such as "[Sheet1$]" or "['My Sheet$']" names.
struct TableRef {
    QString name;                    // as listed
    int sheet = 0;
    std::optional<CellRange> range;  // set for a named range
};
// Raises data::Error for an empty name between the brackets or a name the workbook lacks
// (the message names it).
TableRef resolveTable(Workbook& workbook, const QString& commandText);

} // namespace workbook
