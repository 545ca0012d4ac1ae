#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

class QFileDialog;

// Answers the modal boxes and dialogs a command shows, in order, as a user would, and keeps what
// each box said. A modal window with no answer left is closed and counted as unexpected.
class ModalScript : public QObject {
public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString className;
    };
    using Answer = std::function<void(QWidget*)>;

    ModalScript();
    ~ModalScript() override;

    ModalScript& then(Answer answer)
    {
        answers_.push_back(std::move(answer));
        return *this;
    }

    static Answer press(QMessageBox::StandardButton button);
    static Answer chooseFile(const QString& path);
    static Answer cancel();

    const std::vector<Seen>& seen() const { return seen_; }
    int unexpected() const { return unexpected_; }
    bool done() const { return answers_.empty(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void poll();

    QTimer timer_;
    std::deque<Answer> answers_;
    std::vector<Seen> seen_;
    int unexpected_ = 0;
};
