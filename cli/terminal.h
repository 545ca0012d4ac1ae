#pragma once

#include "data/progress.h"
#include "data/user_dialog.h"

#include <QElapsedTimer>

namespace cli {

// The window's message boxes on a terminal: a question reads y/yes/ok from standard input
// (anything else is Cancel) unless --yes answers it; reports go to standard output.
class TerminalDialog : public data::UserDialog {
public:
    explicit TerminalDialog(bool yes) : yes_(yes) {}

    bool askOkCancel(const QString& text, const QString& caption) override;
    void report(const QString& text, const QString& caption, data::ReportIcon icon) override;

    // True once a question was answered with anything but OK.
    bool declined() const { return declined_; }

private:
    bool yes_;
    bool declined_ = false;
};

// "subject done/total" on one line of standard error when it is a terminal, a few times a second.
class TerminalProgress : public data::Progress {
public:
    TerminalProgress();
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool advance(int done, int total, const QString& subject) override;

private:
    bool shown_;
    bool drawn_ = false;
    QElapsedTimer clock_;
};

} // namespace cli
