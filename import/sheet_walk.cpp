#include "import/sheet_walk.h"

#include "data/business_tables.h"

namespace importer {

qint64 openCounter(data::Query& qryID)
{
    qryID.close();
    qryID.setSql(QStringLiteral("select ID1 from T_SysID "));
    qryID.open();
    if (qryID.isEmpty())
        return 0;
    return qryID.fieldByName(data::business::ID1).asInteger();
}

void openTargetRows(data::Query& qryCheck, const QString& table)
{
    qryCheck.close();
    qryCheck.setSql(QStringLiteral("select * from ") + table + QStringLiteral(" order by ID1"));
    qryCheck.open();
}

QString keyFilter(const QString& keyColumn, const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return keyColumn + QStringLiteral("='") + quoted + QLatin1Char('\'');
}

bool keyPresent(data::Query& qryCheck, const QString& filterText)
{
    // Replacing the text while filtering stays on re-filters through the equality index;
    // switching filtering off first would rebuild the view of every loaded row for each key.
    qryCheck.setFilter(filterText);
    qryCheck.setFiltered(true);
    return qryCheck.recordCount() != 0;
}

} // namespace importer
