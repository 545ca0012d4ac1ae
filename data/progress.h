#pragma once

#include <QString>

namespace data {

// How long work reports its progress and learns of a cancel: the window shows a modal progress
// dialog (after about half a second), the companion a line on a terminal, tests record it.
class Progress {
public:
    virtual ~Progress() = default;

    // `done` of `total` steps of the work named by `subject`; returns false when the user cancelled.
    virtual bool advance(int done, int total, const QString& subject) = 0;
};

// Progress for work that nobody watches.
class NoProgress : public Progress {
public:
    bool advance(int, int, const QString&) override { return true; }
};

} // namespace data
