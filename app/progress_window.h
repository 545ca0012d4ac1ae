#pragma once

#include "data/progress.h"

#include <QElapsedTimer>
#include <memory>

class QProgressDialog;
class QWidget;

// Long commands' progress as a modal dialog that appears once the work has taken half a second;
// being modal, it keeps the window from starting anything else meanwhile. With `cancellable`
// it carries a Cancel button ("取消"), else none.
class ProgressWindow : public data::Progress {
public:
    ProgressWindow(QWidget* owner, bool cancellable);
    ~ProgressWindow() override;

    bool advance(int done, int total, const QString& subject) override;

private:
    QWidget* owner_;
    bool cancellable_;
    QElapsedTimer sinceStart_;
    std::unique_ptr<QProgressDialog> dialog_;
};
