#pragma once

#include <QApplication>
#include <exception>

// The application object. Its event dispatch is the default exception handler: an error that
// leaves a handler is shown in an error box and the program goes on.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the error's text with an error icon and OK under the application's title.
void showUncaughtError(const std::exception& error);

// Runs a handler of the window; an error that leaves it goes to the default exception handler
// here, so it never unwinds through the widget library.
template <class Handler>
void runHandler(Handler&& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        showUncaughtError(error);
    }
}
