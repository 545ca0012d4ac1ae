#include "import/import_sheet.h"

#include "import/import_batch.h"
#include "import/sheet_walk.h"

#include "data/business_tables.h"
#include "data/user_dialog.h"

#include <optional>

namespace importer {

namespace {

// Where each sheet column goes in the target rows, resolved at the first new row: a column the
// target lacks fails there, as its first append would.
struct ColumnMap {
    int id1 = -1;
    int state = -1;
    std::vector<int> targetOf; // per sheet column
    std::vector<bool> assigned;

    ColumnMap(data::Table& sheet, data::Query& target)
    {
        id1 = target.fieldByName(data::business::ID1).index();
        state = target.fieldByName(data::business::State).index();
        for (int c = 0; c < sheet.fieldCount(); ++c)
            targetOf.push_back(target.fieldByName(sheet.fields(c).fieldName()).index());
        assigned.assign(static_cast<size_t>(target.fieldCount()), false);
        assigned[static_cast<size_t>(id1)] = assigned[static_cast<size_t>(state)] = true;
        for (int f : targetOf)
            assigned[static_cast<size_t>(f)] = true;
    }
};

} // namespace

void ImportSheet(data::Table& atTable, data::Query& qryID, data::Query& qryCheck, const ImportTarget& target,
                 data::UserDialog& dialog, data::Progress& progress, BatchLimits limits)
{
    qint64 counter = openCounter(qryID);
    int added = 0;
    openTargetRows(qryCheck, target.table);

    std::optional<ColumnMap> columns;
    std::optional<ImportBatch> batch;
    try {
        walkSheet(atTable, target, progress, [&](const QString& key) {
            if (keyPresent(qryCheck, keyFilter(target.keyColumn, key)))
                return;
            ++counter;
            qryCheck.append();
            if (!columns) {
                columns.emplace(atTable, qryCheck);
                batch.emplace(qryID, qryCheck, target.table, columns->assigned, limits);
            }
            batch->begin();
            qryCheck.fields(columns->id1).setAsInteger(counter);
            qryCheck.fields(columns->state).setAsBoolean(true);
            for (int c = 0; c < atTable.fieldCount(); ++c)
                qryCheck.fields(columns->targetOf[static_cast<size_t>(c)]).setAsText(atTable.fields(c).asText());
            qryCheck.post();
            ++added;
            batch->rowStored(counter);
            batch->commitWhenDue();
        });
        if (batch)
            batch->finish();
    } catch (...) {
        if (batch)
            batch->recoverAfterError();
        else
            qryCheck.cancel();
        throw;
    }

    if (added == 0) {
        dialog.report(target.subject + QStringLiteral("已经存在无需导入！"), QStringLiteral("提示"), data::ReportIcon::None);
        return;
    }
    dialog.report(QStringLiteral("本次成功导入 %1 条").arg(added) + target.subject + QStringLiteral("！"),
                  QStringLiteral("提示"), data::ReportIcon::None);
}

} // namespace importer
