#include "app/filter_criteria.h"

#include "data/value.h"

#include <QRegularExpression>
#include <QStringList>

namespace filter_criteria {
namespace {

// Numbers are compared as numbers, within this distance for an exact match.
constexpr double Epsilon = 0.0001;

QString fieldRef(const QString& name)
{
    return QLatin1Char('[') + name + QLatin1Char(']');
}

QString quoted(const QString& text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

QString literal(const QString& text)
{
    double number = 0;
    return data::parseNumber(text, &number) ? data::formatNumber(number) : quoted(text);
}

QString matchTerm(const QString& field, const QString& text, Match match)
{
    static const QRegularExpression comparison(QStringLiteral("^(>=|<=|<>|>|<|=)\\s*(.*)$"));
    const QRegularExpressionMatch m = comparison.match(text);
    if (m.hasMatch())
        return field + QLatin1Char(' ') + m.captured(1) + QLatin1Char(' ') + literal(m.captured(2));
    if (text.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0)
        return field + QStringLiteral(" IS NULL");
    switch (match) {
    case Match::Exact: {
        double number = 0;
        if (data::parseNumber(text, &number))
            return QStringLiteral("(%1 >= %2 AND %1 <= %3)")
                .arg(field, data::formatNumber(number - Epsilon), data::formatNumber(number + Epsilon));
        return field + QStringLiteral(" = ") + quoted(text);
    }
    case Match::Start: return field + QStringLiteral(" LIKE ") + quoted(text + QLatin1Char('%'));
    case Match::Anywhere: return field + QStringLiteral(" LIKE ") + quoted(QLatin1Char('%') + text + QLatin1Char('%'));
    }
    return {};
}

// Splits a smart value on the operator word ("or", "and") standing between blanks.
QStringList splitOn(const QString& text, const char* word)
{
    const QRegularExpression separator(QStringLiteral("\\s+%1\\s+").arg(QLatin1String(word)),
                                       QRegularExpression::CaseInsensitiveOption);
    QStringList parts = text.split(separator, Qt::SkipEmptyParts);
    for (QString& part : parts)
        part = part.trimmed();
    return parts;
}

QString valueTerm(const QString& field, const Criterion& c)
{
    QStringList alternatives;
    for (const QString& alternative : splitOn(c.value.trimmed(), "or")) {
        QStringList all;
        for (const QString& part : splitOn(alternative, "and"))
            all.append(matchTerm(field, part, c.match));
        alternatives.append(all.size() == 1 ? all.first() : QLatin1Char('(') + all.join(QStringLiteral(" AND ")) + QLatin1Char(')'));
    }
    return alternatives.size() == 1 ? alternatives.first()
                                    : QLatin1Char('(') + alternatives.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

QString rangeTerm(const QString& field, const Criterion& c)
{
    QStringList bounds;
    if (!c.rangeStart.trimmed().isEmpty())
        bounds.append(field + QStringLiteral(" >= ") + literal(c.rangeStart.trimmed()));
    if (!c.rangeEnd.trimmed().isEmpty())
        bounds.append(field + QStringLiteral(" <= ") + literal(c.rangeEnd.trimmed()));
    return bounds.size() == 1 ? bounds.first() : QLatin1Char('(') + bounds.join(QStringLiteral(" AND ")) + QLatin1Char(')');
}

} // namespace

bool Criterion::isEmpty() const
{
    if (by == FilterBy::Value)
        return value.trimmed().isEmpty();
    return rangeStart.trimmed().isEmpty() && rangeEnd.trimmed().isEmpty();
}

QString filterText(const std::vector<Criterion>& criteria)
{
    QStringList terms;
    for (const Criterion& c : criteria) {
        if (c.isEmpty())
            continue;
        const QString field = fieldRef(c.fieldName);
        const QString term = c.by == FilterBy::Value ? valueTerm(field, c) : rangeTerm(field, c);
        terms.append(c.nonMatching ? QStringLiteral("NOT ") + (term.startsWith(QLatin1Char('(')) ? term : QLatin1Char('(') + term + QLatin1Char(')'))
                                   : term);
    }
    return terms.join(QStringLiteral(" AND "));
}

} // namespace filter_criteria
