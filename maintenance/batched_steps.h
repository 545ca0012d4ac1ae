#pragma once

#include <functional>
#include <vector>

namespace data {
class Connection;
}

namespace maintenance {

// Runs the per-row steps of a command (each a few statements) in transactions of a bounded
// number of steps, for speed, while what anyone finds afterwards is what one commit per
// statement gives. When a step or a commit fails, the transaction is rolled back (a server may
// have aborted it already) and its steps are run again, each committed on its own: those before
// the failing one keep their changes, and the first that fails alone raises its error to the
// caller, so that it and the rest change nothing. Steps therefore run at most twice and must
// capture what they write.
class BatchedSteps {
public:
    // Without a connection the steps run as they are (each raises its own error).
    explicit BatchedSteps(data::Connection* connection, int stepsPerCommit = 500);
    // Commits the steps run so far, also when an error outside a step ends the command.
    ~BatchedSteps();
    BatchedSteps(const BatchedSteps&) = delete;
    BatchedSteps& operator=(const BatchedSteps&) = delete;

    void run(std::function<void()> step);
    // Commits the last open transaction; raises as a failing step does.
    void finish();

private:
    void commitOrReplay();
    void replayAlone();

    data::Connection* connection_;
    int stepsPerCommit_;
    bool open_ = false;
    std::vector<std::function<void()>> uncommitted_;
};

} // namespace maintenance
