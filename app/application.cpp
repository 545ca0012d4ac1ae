#include "app/application.h"

#include "data/error.h"

#include <QMessageBox>

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showUncaughtError(error);
        return false;
    }
}

void showUncaughtError(const std::exception& error)
{
    const auto* dataError = dynamic_cast<const data::Error*>(&error);
    const QString text = dataError ? dataError->message() : QString::fromLocal8Bit(error.what());
    // The title is the platform's default: the executable's file name.
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}
