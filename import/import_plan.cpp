#include "import/import_plan.h"

#include "import/sheet_walk.h"

#include "data/filter_expression.h"

#include <QSet>
#include <algorithm>

namespace importer {

int ImportPlan::newRows() const
{
    return static_cast<int>(std::count_if(records.begin(), records.end(), [](const PlannedRecord& r) { return r.number != 0; }));
}

ImportPlan planImport(data::Table& atTable, data::Query& qryID, data::Query& qryCheck, const ImportTarget& target,
                      data::Progress& progress)
{
    ImportPlan plan;
    plan.counter = openCounter(qryID);
    openTargetRows(qryCheck, target.table);
    qint64 counter = plan.counter;
    QSet<QString> added; // keys the import would have appended, as the filter compares them
    walkSheet(atTable, target, progress, [&](const QString& key) {
        PlannedRecord record{atTable.recNo(), key, 0};
        const QString folded = data::FilterExpression::equalityKey(data::Value::text(key));
        if (!keyPresent(qryCheck, keyFilter(target.keyColumn, key)) && !added.contains(folded)) {
            if (added.isEmpty())
                for (int c = 0; c < atTable.fieldCount(); ++c)
                    qryCheck.fieldByName(atTable.fields(c).fieldName());
            added.insert(folded);
            record.number = ++counter;
        }
        plan.records.push_back(record);
    });
    return plan;
}

} // namespace importer
