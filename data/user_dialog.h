#pragma once

#include <QString>

namespace data {

enum class ReportIcon { None, Information, Error };

// How a command below the window talks to the user: the window answers with message boxes,
// tests with a script of answers. Every box is modal and holds the command until answered.
class UserDialog {
public:
    virtual ~UserDialog() = default;

    // A question with the buttons OK and Cancel; true when the answer is OK.
    virtual bool askOkCancel(const QString& text, const QString& caption) = 0;
    // A report with the button OK alone.
    virtual void report(const QString& text, const QString& caption, ReportIcon icon) = 0;
};

} // namespace data
