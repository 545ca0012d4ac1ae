#pragma once

#include "import/import_batch.h"
#include "import/import_target.h"

namespace data {
class Progress;
class UserDialog;
}

namespace importer {

// "导入数据" once the target is chosen: appends every sheet record after the first whose key the
// target table does not hold yet, numbered from the counter in T_SysID, and reports how many
// went in. The sheet is walked as the grid shows it. New rows are committed in batches within
// `limits`. Errors of the data layer pass to the caller, with every row posted before the error
// stored and T_SysID covering it. A cancel through `progress` stops after the record at hand
// and reports what went in.
void ImportSheet(data::Table& atTable, data::Query& qryID, data::Query& qryCheck, const ImportTarget& target,
                 data::UserDialog& dialog, data::Progress& progress, BatchLimits limits = {});

} // namespace importer
