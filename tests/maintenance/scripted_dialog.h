#pragma once

#include "data/user_dialog.h"

#include <QStringList>
#include <deque>

// Answers questions from a script (OK once the script runs out) and records every box shown,
// as "ask 警告: text" or "report 提示 i: text" (i: the information icon).
class ScriptedDialog : public data::UserDialog {
public:
    explicit ScriptedDialog(std::deque<bool> answers = {}) : answers_(std::move(answers)) {}

    bool askOkCancel(const QString& text, const QString& caption) override
    {
        shown << QStringLiteral("ask %1: %2").arg(caption, text);
        if (answers_.empty())
            return true;
        const bool ok = answers_.front();
        answers_.pop_front();
        return ok;
    }

    void report(const QString& text, const QString& caption, data::ReportIcon icon) override
    {
        const QString mark = icon == data::ReportIcon::Information ? QStringLiteral(" i")
                             : icon == data::ReportIcon::Error     ? QStringLiteral(" e")
                                                                   : QString();
        shown << QStringLiteral("report %1%2: %3").arg(caption, mark, text);
    }

    QStringList shown;

private:
    std::deque<bool> answers_;
};

inline const QString backupFailed = QStringLiteral("report 提示 i: 数据备份失败！");
