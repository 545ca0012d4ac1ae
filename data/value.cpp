#include "data/value.h"

#include <QDate>
#include <QRegularExpression>
#include <cmath>
#include <cstdio>

namespace data {

Value Value::text(QString s)
{
    Value v;
    v.kind_ = ValueKind::Text;
    v.text_ = std::move(s);
    return v;
}

Value Value::integer(qint64 i)
{
    Value v;
    v.kind_ = ValueKind::Integer;
    v.i_ = i;
    return v;
}

Value Value::number(double d)
{
    Value v;
    v.kind_ = ValueKind::Float;
    v.d_ = d;
    return v;
}

Value Value::boolean(bool b)
{
    Value v;
    v.kind_ = ValueKind::Boolean;
    v.b_ = b;
    return v;
}

Value Value::dateTime(double oleDate)
{
    Value v;
    v.kind_ = ValueKind::DateTime;
    v.d_ = oleDate;
    return v;
}

Value Value::error(QString code)
{
    Value v;
    v.kind_ = ValueKind::Error;
    v.text_ = std::move(code);
    return v;
}

QString Value::toText() const
{
    switch (kind_) {
    case ValueKind::Null: return {};
    case ValueKind::Text:
    case ValueKind::Error: return text_;
    case ValueKind::Integer: return QString::number(i_);
    case ValueKind::Float: return formatNumber(d_);
    case ValueKind::Boolean: return b_ ? QStringLiteral("True") : QStringLiteral("False");
    case ValueKind::DateTime: return formatOleDate(d_);
    }
    return {};
}

qint64 Value::toInteger() const
{
    switch (kind_) {
    case ValueKind::Integer: return i_;
    case ValueKind::Float:
    case ValueKind::DateTime: return std::isfinite(d_) ? static_cast<qint64>(std::llround(d_)) : 0;
    case ValueKind::Boolean: return b_ ? 1 : 0;
    case ValueKind::Text: {
        bool ok = false;
        const qint64 i = text_.trimmed().toLongLong(&ok);
        if (ok)
            return i;
        double d = 0;
        return parseNumber(text_, &d) ? static_cast<qint64>(std::llround(d)) : 0;
    }
    default: return 0;
    }
}

double Value::toFloat() const
{
    switch (kind_) {
    case ValueKind::Integer: return static_cast<double>(i_);
    case ValueKind::Float:
    case ValueKind::DateTime: return d_;
    case ValueKind::Boolean: return b_ ? 1.0 : 0.0;
    case ValueKind::Text: {
        double d = 0;
        return parseNumber(text_, &d) ? d : 0.0;
    }
    default: return 0.0;
    }
}

bool Value::toBool() const
{
    switch (kind_) {
    case ValueKind::Boolean: return b_;
    case ValueKind::Integer: return i_ != 0;
    case ValueKind::Float:
    case ValueKind::DateTime: return d_ != 0;
    case ValueKind::Text: return text_.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
    default: return false;
    }
}

bool Value::operator==(const Value& other) const
{
    if (kind_ != other.kind_)
        return false;
    switch (kind_) {
    case ValueKind::Null: return true;
    case ValueKind::Text:
    case ValueKind::Error: return text_ == other.text_;
    case ValueKind::Integer: return i_ == other.i_;
    case ValueKind::Boolean: return b_ == other.b_;
    default: return d_ == other.d_ || (std::isnan(d_) && std::isnan(other.d_));
    }
}

QString formatNumber(double d)
{
    if (std::isnan(d))
        return QStringLiteral("NaN");
    if (std::isinf(d))
        return d > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (d == 0)
        return QStringLiteral("0");
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", d);
    QString s = QString::fromLatin1(buf);
    // "%G" pads the exponent to two digits as the general format does ("1E-05"), and drops a
    // '+' only where we do not: keep "1E+20" as written.
    return s;
}

namespace {

constexpr qint64 msPerDay = 86400000;
const QDate oleEpoch(1899, 12, 30);

} // namespace

QString formatOleDate(double oleDate)
{
    if (!std::isfinite(oleDate) || std::fabs(oleDate) > 3.0e6)
        return formatNumber(oleDate);
    // Round to the millisecond, then to the second as the text shows seconds.
    const qint64 totalMs = static_cast<qint64>(std::llround(oleDate * msPerDay));
    qint64 days = totalMs / msPerDay;
    qint64 ms = totalMs % msPerDay;
    if (ms < 0) { // before 1899-12-30 the fraction still counts forwards within the day
        ms = -ms;
    }
    qint64 secs = (ms + 500) / 1000;
    if (secs >= 86400) {
        secs -= 86400;
        days += totalMs >= 0 ? 1 : -1;
    }
    const QDate date = oleEpoch.addDays(days);
    QString text = date.toString(QStringLiteral("yyyy-MM-dd"));
    if (secs != 0) {
        text += QStringLiteral(" %1:%2:%3")
                    .arg(secs / 3600, 2, 10, QLatin1Char('0'))
                    .arg((secs / 60) % 60, 2, 10, QLatin1Char('0'))
                    .arg(secs % 60, 2, 10, QLatin1Char('0'));
    }
    return text;
}

bool parseNumber(const QString& text, double* out)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    const QString t = text.trimmed();
    if (t.isEmpty() || !pattern.match(t).hasMatch())
        return false;
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return false;
    *out = d;
    return true;
}

bool parseDateTime(const QString& text, double* oleDate)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3}))?)?)?$"));
    const auto m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return false;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return false;
    const int h = m.captured(4).toInt(), mi = m.captured(5).toInt(), s = m.captured(6).toInt();
    if (h > 23 || mi > 59 || s > 59)
        return false;
    const QString msText = m.captured(7);
    const int ms = msText.isEmpty() ? 0 : msText.leftJustified(3, QLatin1Char('0')).toInt();
    const double days = static_cast<double>(oleEpoch.daysTo(date));
    const double fraction = (h * 3600000.0 + mi * 60000.0 + s * 1000.0 + ms) / msPerDay;
    *oleDate = days + fraction;
    return true;
}

} // namespace data
