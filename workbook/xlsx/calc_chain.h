#pragma once

#include "workbook/xlsx/zip_package.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <set>
#include <utility>

namespace workbook::xlsx {

// Removes the calculation-chain entries of cells that are no formulas any more, given as
// (sheetId, "B7"). Every remaining entry is written with its sheet id. Returns false when no
// entry is left, in which case the part must go.
bool removeCalcChainEntries(QByteArray& chain, const std::set<std::pair<int, QString>>& cells);

// Removes the relationship from the workbook to `part` and its content-type override, adding
// the changed parts to `replaced`.
void dropPartReferences(const ZipPackage& zip, const QString& workbookPart, const QString& part,
                        QHash<QString, QByteArray>& replaced);

} // namespace workbook::xlsx
