#include "data/connection_string.h"

namespace data {

ConnectionString ConnectionString::parse(const QString& text)
{
    ConnectionString cs;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        // Key: up to '=' or ';'. "==" inside a key stands for one '='.
        QString key;
        while (i < n && text[i] != QLatin1Char(';')) {
            if (text[i] == QLatin1Char('=')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('=')) {
                    key += QLatin1Char('=');
                    i += 2;
                    continue;
                }
                break;
            }
            key += text[i++];
        }
        if (i >= n || text[i] == QLatin1Char(';')) {
            const QString bare = key.trimmed();
            if (!bare.isEmpty())
                cs.bare_.append(bare);
            ++i;
            continue;
        }
        ++i; // '='
        while (i < n && text[i] == QLatin1Char(' '))
            ++i;
        QString value;
        if (i < n && (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\''))) {
            const QChar quote = text[i++];
            bool closed = false;
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            // Whatever follows the closing quote up to the ';' is tolerated and ignored.
            while (i < n && text[i] != QLatin1Char(';'))
                ++i;
            if (!closed)
                value = quote + value;
        } else {
            while (i < n && text[i] != QLatin1Char(';'))
                value += text[i++];
            value = value.trimmed();
        }
        ++i; // ';'
        key = key.trimmed();
        if (key.isEmpty())
            continue;
        bool replaced = false;
        for (Item& item : cs.items_) {
            if (item.key.compare(key, Qt::CaseInsensitive) == 0) {
                item.value = value;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            cs.items_.append({key, value});
    }
    return cs;
}

QString ConnectionString::value(const QString& key) const
{
    for (const Item& item : items_)
        if (item.key.compare(key, Qt::CaseInsensitive) == 0)
            return item.value;
    return {};
}

bool ConnectionString::contains(const QString& key) const
{
    for (const Item& item : items_)
        if (item.key.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString ConnectionString::quoteValue(const QString& value)
{
    const bool plain = !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('"'))
                       && !value.contains(QLatin1Char('\'')) && value == value.trimmed();
    if (plain)
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace data
