#pragma once

#include <QByteArray>
#include <QString>
#include <ostream>

// Readable failure messages: byte strings as escaped text, Qt strings as UTF-8.
inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << '"';
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 0x20 && code < 0x7F && c != '"' && c != '\\')
            *os << c;
        else
            *os << "\\x" << QByteArray::number(code, 16).rightJustified(2, '0').constData();
    }
    *os << "\" (" << bytes.size() << " bytes)";
}

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
