#include "data/sort_text.h"

#include "data/error.h"

namespace data {

std::vector<SortKey> parseSortText(const QString& text, const std::vector<FieldInfo>& fields)
{
    std::vector<SortKey> keys;
    for (QString part : text.split(QLatin1Char(','))) {
        part = part.trimmed();
        if (part.isEmpty())
            continue;
        bool descending = false;
        const qsizetype blank = part.lastIndexOf(QLatin1Char(' '));
        if (blank > 0) {
            const QString word = part.mid(blank + 1);
            if (word.compare(QStringLiteral("DESC"), Qt::CaseInsensitive) == 0
                || word.compare(QStringLiteral("ASC"), Qt::CaseInsensitive) == 0) {
                descending = word.compare(QStringLiteral("DESC"), Qt::CaseInsensitive) == 0;
                part = part.left(blank).trimmed();
            }
        }
        if (part.startsWith(QLatin1Char('[')) && part.endsWith(QLatin1Char(']')))
            part = part.mid(1, part.size() - 2);
        int found = -1;
        for (size_t i = 0; i < fields.size() && found < 0; ++i)
            if (fields[i].name.compare(part, Qt::CaseInsensitive) == 0)
                found = static_cast<int>(i);
        if (found < 0)
            throw Error(QStringLiteral("Field '%1' not found (sort '%2')").arg(part, text));
        keys.push_back({found, descending});
    }
    return keys;
}

int compareForSort(const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    const bool an = a.isNumeric() || a.kind() == ValueKind::Boolean;
    const bool bn = b.isNumeric() || b.kind() == ValueKind::Boolean;
    if (an && bn) {
        const double x = a.toFloat(), y = b.toFloat();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (an != bn) // numbers before texts, as a column of mixed cells sorts
        return an ? -1 : 1;
    return a.textValue().compare(b.textValue(), Qt::CaseInsensitive);
}

} // namespace data
