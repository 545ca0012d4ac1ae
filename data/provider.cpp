#include "data/provider.h"

#include "data/error.h"

#include <cmath>

namespace data {

namespace {

Error notValid(const QString& text, const char* what, const QString& field)
{
    return Error(QStringLiteral("'%1' is not a valid %2 for field '%3'").arg(text, QLatin1String(what), field));
}

} // namespace

Value RowSource::fromText(int field, const QString& text) const
{
    const FieldInfo& info = fields()[static_cast<size_t>(field)];
    if (info.type == FieldType::Text || info.type == FieldType::Variant) {
        if (info.width > 0 && text.size() > info.width)
            return Value::text(text.left(info.width));
        return Value::text(text);
    }
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    switch (info.type) {
    case FieldType::Integer: {
        bool ok = false;
        const qint64 i = t.toLongLong(&ok);
        if (ok)
            return Value::integer(i);
        double d = 0;
        if (parseNumber(t, &d) && d == std::floor(d) && std::fabs(d) < 9.2e18)
            return Value::integer(static_cast<qint64>(d));
        throw notValid(text, "integer value", info.name);
    }
    case FieldType::Float: {
        double d = 0;
        if (parseNumber(t, &d))
            return Value::number(d);
        throw notValid(text, "floating point value", info.name);
    }
    case FieldType::Boolean: {
        static const QStringList yes = {QStringLiteral("true"), QStringLiteral("yes"), QStringLiteral("1"),
                                        QStringLiteral("-1"), QStringLiteral("是"), QStringLiteral("t"), QStringLiteral("y")};
        static const QStringList no = {QStringLiteral("false"), QStringLiteral("no"), QStringLiteral("0"),
                                       QStringLiteral("否"), QStringLiteral("f"), QStringLiteral("n")};
        if (yes.contains(t, Qt::CaseInsensitive))
            return Value::boolean(true);
        if (no.contains(t, Qt::CaseInsensitive))
            return Value::boolean(false);
        throw notValid(text, "boolean value", info.name);
    }
    case FieldType::DateTime: {
        double ole = 0;
        if (parseDateTime(t, &ole))
            return Value::dateTime(ole);
        throw notValid(text, "date and time", info.name);
    }
    default: return Value::text(text);
    }
}

} // namespace data
