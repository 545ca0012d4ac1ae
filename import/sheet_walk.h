#pragma once

#include "import/import_target.h"

#include "data/dataset.h"
#include "data/progress.h"

namespace importer {

// Opens the counter row of T_SysID and returns the last number handed out (0 without a row).
qint64 openCounter(data::Query& qryID);

// Loads the whole target table, ordered by its numbers, for the duplicate test.
void openTargetRows(data::Query& qryCheck, const QString& table);

// The record filter that finds a key: Key='value', quotes inside the value doubled.
QString keyFilter(const QString& keyColumn, const QString& value);

// True when the loaded target rows, with those this import added, hold a row passing the filter.
bool keyPresent(data::Query& qryCheck, const QString& filterText);

// Walks the sheet as the grid shows it (current order and filter) from its first record, which
// is never imported, and hands every later record's key text to `compare`. Reports each record to
// `progress`; returns false when the user cancelled (after the record at hand).
template <class Compare>
bool walkSheet(data::Table& sheet, const ImportTarget& target, data::Progress& progress, Compare&& compare)
{
    const int total = sheet.recordCount();
    int done = 0;
    for (sheet.first(); !sheet.eof(); sheet.next()) {
        if (sheet.recNo() > 1)
            compare(sheet.fieldByName(target.keyColumn).asText());
        if (!progress.advance(++done, total, target.subject))
            return false;
    }
    return true;
}

} // namespace importer
