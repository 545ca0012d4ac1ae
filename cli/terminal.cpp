#include "cli/terminal.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace cli {

bool TerminalDialog::askOkCancel(const QString& text, const QString& caption)
{
    std::printf("%s: %s (y/N) ", caption.toUtf8().constData(), text.toUtf8().constData());
    if (yes_) {
        std::printf("y\n");
        return true;
    }
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    if (::isatty(STDIN_FILENO) != 1) // a terminal echoes the answer; show a piped one too
        std::printf("%s\n", line.c_str());
    const QString answer = QString::fromStdString(line).trimmed().toLower();
    const bool ok = answer == QLatin1String("y") || answer == QLatin1String("yes") || answer == QLatin1String("ok");
    declined_ = declined_ || !ok;
    return ok;
}

void TerminalDialog::report(const QString& text, const QString& caption, data::ReportIcon)
{
    std::printf("%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
    std::fflush(stdout);
}

TerminalProgress::TerminalProgress() : shown_(::isatty(STDERR_FILENO) == 1)
{
    clock_.start();
}

TerminalProgress::~TerminalProgress()
{
    if (drawn_)
        std::fprintf(stderr, "\n");
}

bool TerminalProgress::advance(int done, int total, const QString& subject)
{
    if (!shown_ || (done != total && clock_.elapsed() < 200))
        return true;
    clock_.restart();
    std::fprintf(stderr, "\r%s %d/%d", subject.toUtf8().constData(), done, total);
    drawn_ = true;
    return true;
}

} // namespace cli
