#pragma once

#include "data/user_dialog.h"

class QWidget;

// The commands' questions and reports as modal message boxes over the window.
class MessageBoxes : public data::UserDialog {
public:
    explicit MessageBoxes(QWidget* owner) : owner_(owner) {}

    bool askOkCancel(const QString& text, const QString& caption) override;
    void report(const QString& text, const QString& caption, data::ReportIcon icon) override;

private:
    QWidget* owner_;
};
