#pragma once

#include "data/dataset.h"

#include <QElapsedTimer>
#include <vector>

namespace importer {

// How much one commit holds at most: rows, and the time since its first row.
struct BatchLimits {
    int rows = 5000;
    qint64 milliseconds = 250;
};

// Commits the new rows of an import in bounded transactions, each holding its rows and the
// counter that covers them, so that one commit per row is not paid while what can be observed
// stays the same: after an error every row posted before it is stored, the failing row is not,
// and T_SysID covers every stored row.
class ImportBatch {
public:
    // `assigned` marks the fields of qryCheck that every new row sets.
    ImportBatch(data::Query& qryID, data::Query& qryCheck, const QString& table, std::vector<bool> assigned,
                BatchLimits limits);
    ~ImportBatch(); // an unfinished batch is rolled back
    ImportBatch(const ImportBatch&) = delete;
    ImportBatch& operator=(const ImportBatch&) = delete;

    // Before the first write of a new row.
    void begin();
    // After a new row numbered `counter` was posted: the row is current in qryCheck.
    void rowStored(qint64 counter);
    // Commits when the batch is full or old enough.
    void commitWhenDue();
    // Writes the counter (when rows were stored) and commits.
    void finish();
    // After an error: the transaction may be spoilt (a server aborts it on a failed statement),
    // so it is rolled back and the rows posted before the error are written again with their counter.
    void recoverAfterError() noexcept;

private:
    void writeCounter();
    void commit();
    void replay();

    data::Query& qryID_;
    data::Query& qryCheck_;
    QString table_;
    std::vector<bool> assigned_;
    BatchLimits limits_;
    data::Provider* provider_ = nullptr;
    bool open_ = false;
    qint64 stored_ = -1;              // number of the last stored row, -1 before the first
    std::vector<std::vector<data::Value>> pending_; // rows of the open batch
    QElapsedTimer age_;
};

} // namespace importer
