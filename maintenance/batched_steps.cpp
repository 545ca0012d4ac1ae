#include "maintenance/batched_steps.h"

#include "data/connection.h"

namespace maintenance {

BatchedSteps::BatchedSteps(data::Connection* connection, int stepsPerCommit)
    : connection_(connection), stepsPerCommit_(stepsPerCommit)
{
}

BatchedSteps::~BatchedSteps()
{
    try {
        finish();
    } catch (...) {
        // Only reached while another error ends the command; that error is the one shown.
    }
}

void BatchedSteps::run(std::function<void()> step)
{
    if (!connection_) {
        step();
        return;
    }
    if (!open_) {
        connection_->provider().beginBatch();
        open_ = true;
    }
    try {
        step();
    } catch (...) {
        // Undo the transaction (a server may have aborted it already) and run its steps again
        // one by one, the failing one last: its error, if it fails alone too, is the one raised.
        open_ = false;
        connection_->provider().rollbackBatch();
        uncommitted_.push_back(std::move(step));
        replayAlone();
        return;
    }
    uncommitted_.push_back(std::move(step));
    if (static_cast<int>(uncommitted_.size()) >= stepsPerCommit_)
        commitOrReplay();
}

void BatchedSteps::finish()
{
    if (open_)
        commitOrReplay();
}

void BatchedSteps::commitOrReplay()
{
    open_ = false;
    try {
        connection_->provider().commitBatch();
    } catch (...) {
        // The commit was refused and rolled back: run the steps again, each on its own, so that
        // the first of them that cannot be stored raises and those before it stay stored.
        replayAlone();
        return;
    }
    uncommitted_.clear();
}

void BatchedSteps::replayAlone()
{
    std::vector<std::function<void()>> steps;
    steps.swap(uncommitted_);
    for (const auto& step : steps)
        step();
}

} // namespace maintenance
