#pragma once

#include <QString>
#include <stdexcept>

namespace data {

// The one error type of the system: its text is what the user reads in the error box.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}

    const QString& message() const { return message_; }

private:
    QString message_;
};

// Errors raised by a named data-access object read "<name>: <text>".
inline Error objectError(const QString& objectName, const QString& text)
{
    return Error(objectName.isEmpty() ? text : objectName + QStringLiteral(": ") + text);
}

} // namespace data
