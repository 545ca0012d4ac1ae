#include "app/progress_window.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {

constexpr int showAfterMs = 500;

} // namespace

ProgressWindow::ProgressWindow(QWidget* owner, bool cancellable) : owner_(owner), cancellable_(cancellable)
{
    sinceStart_.start();
}

ProgressWindow::~ProgressWindow() = default;

bool ProgressWindow::advance(int done, int total, const QString& subject)
{
    if (!dialog_) {
        if (sinceStart_.elapsed() < showAfterMs)
            return true;
        dialog_ = std::make_unique<QProgressDialog>(owner_);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setCancelButtonText(cancellable_ ? QStringLiteral("取消") : QString());
        dialog_->show();
    }
    dialog_->setMaximum(total > 0 ? total : 0);
    dialog_->setValue(total > 0 ? std::min(done, total) : 0);
    dialog_->setLabelText(QStringLiteral("%1：%2 / %3").arg(subject).arg(done).arg(total));
    QCoreApplication::processEvents();
    return !dialog_->wasCanceled();
}
