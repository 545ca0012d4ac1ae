#include "modal_script.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>

ModalScript::ModalScript()
{
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, &ModalScript::poll);
    timer_.start();
}

ModalScript::~ModalScript() = default;

void ModalScript::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal->property("scriptAnswered").toBool())
        return;
    modal->setProperty("scriptAnswered", true);
    // A dialog the window keeps is answered again the next time it shows.
    modal->installEventFilter(this);
    Seen s;
    s.title = modal->windowTitle();
    s.className = QString::fromLatin1(modal->metaObject()->className());
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        s.text = box->text();
        s.icon = box->icon();
    }
    seen_.push_back(s);
    if (answers_.empty()) {
        ++unexpected_;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->done(QDialog::Rejected);
        return;
    }
    // Answered from the event loop, not from the timer, so that boxes the answer itself opens
    // are seen by the next poll.
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    QMetaObject::invokeMethod(this, [answer, target = QPointer<QWidget>(modal)] {
        if (target)
            answer(target);
    }, Qt::QueuedConnection);
}

bool ModalScript::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide)
        watched->setProperty("scriptAnswered", false);
    return false;
}

ModalScript::Answer ModalScript::press(QMessageBox::StandardButton button)
{
    return [button](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box && box->button(button))
            box->button(button)->click();
        else if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->done(QDialog::Rejected);
    };
}

ModalScript::Answer ModalScript::chooseFile(const QString& path)
{
    return [path](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        // The name field has the focus, so the path is typed into it as a user would.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        name->setText(path);
        QMetaObject::invokeMethod(dialog, "accept");
    };
}

ModalScript::Answer ModalScript::cancel()
{
    return [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); };
}
