#pragma once

#include "import/import_target.h"

#include <QString>
#include <vector>

namespace data {
class Progress;
class Query;
class Table;
}

namespace importer {

// What an import would do, found by reading only: the same walk, counter and duplicate test.
struct PlannedRecord {
    int recNo = 0;      // position in the sheet as the grid shows it
    QString key;
    qint64 number = 0;  // the ID1 it would get; 0 when its key is already present
};

struct ImportPlan {
    qint64 counter = 0;                 // T_SysID before the import
    std::vector<PlannedRecord> records; // every record but the first, in walk order
    int newRows() const;
};

// Raises as the import would for a missing key column, and for a sheet column the target
// lacks once some record would go in. Changes nothing in the database.
ImportPlan planImport(data::Table& atTable, data::Query& qryID, data::Query& qryCheck, const ImportTarget& target,
                      data::Progress& progress);

} // namespace importer
