#include "import/import_batch.h"

#include "data/business_tables.h"
#include "data/connection.h"
#include "data/error.h"

namespace importer {

ImportBatch::ImportBatch(data::Query& qryID, data::Query& qryCheck, const QString& table, std::vector<bool> assigned,
                         BatchLimits limits)
    : qryID_(qryID), qryCheck_(qryCheck), table_(table), assigned_(std::move(assigned)), limits_(limits)
{
}

ImportBatch::~ImportBatch()
{
    if (open_)
        provider_->rollbackBatch();
}

void ImportBatch::begin()
{
    if (open_)
        return;
    provider_ = &qryCheck_.connection()->provider();
    provider_->beginBatch();
    open_ = true;
    age_.start();
}

void ImportBatch::rowStored(qint64 counter)
{
    stored_ = counter;
    std::vector<data::Value> row(assigned_.size());
    for (size_t f = 0; f < assigned_.size(); ++f)
        if (assigned_[f])
            row[f] = qryCheck_.fields(static_cast<int>(f)).value();
    pending_.push_back(std::move(row));
}

void ImportBatch::commitWhenDue()
{
    if (open_ && (static_cast<int>(pending_.size()) >= limits_.rows || age_.elapsed() >= limits_.milliseconds))
        finish();
}

void ImportBatch::finish()
{
    if (!open_)
        return;
    writeCounter();
    commit();
}

void ImportBatch::writeCounter()
{
    if (stored_ < 0)
        return;
    qryID_.edit(); // on an empty T_SysID this inserts its row
    qryID_.fieldByName(data::business::ID1).setAsInteger(stored_);
    qryID_.post();
}

void ImportBatch::commit()
{
    open_ = false;
    pending_.clear();
    provider_->commitBatch();
}

void ImportBatch::recoverAfterError() noexcept
{
    qryCheck_.cancel();
    qryID_.cancel();
    if (!open_)
        return;
    open_ = false;
    provider_->rollbackBatch();
    try {
        // The counter row may have been inserted by the batch just undone: read it again.
        qryID_.close();
        qryID_.open();
        provider_->beginBatch();
        open_ = true;
        replay();
        writeCounter();
        commit();
    } catch (const std::exception&) {
        // The database refuses even the rows it took before: leave it as the last commit left
        // it, rows and counter in step. The caller reports the first error.
        if (open_) {
            open_ = false;
            provider_->rollbackBatch();
        }
        pending_.clear();
    }
}

void ImportBatch::replay()
{
    if (pending_.empty())
        return;
    data::Query rows(qryCheck_.objectName(), qryCheck_.connection());
    rows.setSql(QStringLiteral("select * from ") + table_ + QStringLiteral(" where 1=0"));
    rows.open();
    std::vector<int> fieldOf(assigned_.size(), -1);
    for (size_t f = 0; f < assigned_.size(); ++f)
        if (assigned_[f])
            fieldOf[f] = rows.fieldByName(qryCheck_.fields(static_cast<int>(f)).fieldName()).index();
    for (const std::vector<data::Value>& row : pending_) {
        rows.append();
        for (size_t f = 0; f < row.size(); ++f)
            if (fieldOf[f] >= 0)
                rows.fields(fieldOf[f]).setValue(row[f]);
        rows.post();
    }
}

} // namespace importer
