#include "workbook/xls/number_formats.h"

#include <QStringList>

namespace workbook::xls {
namespace {

// Built-in formats that show dates: the Western ones and those of the Chinese, Japanese,
// Korean and Thai editions (27-36, 50-58, 71-81).
bool isBuiltInDate(std::uint16_t id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47)
        || (id >= 50 && id <= 58) || (id >= 71 && id <= 81);
}

// Ids below 164 belong to the built-in set, whatever text a FORMAT record gives them.
constexpr std::uint16_t kFirstCustomFormat = 164;

} // namespace

bool isDateFormatText(const QString& format)
{
    // Drop quoted literals, escaped characters, fill/space codes and [bracketed] parts.
    QString kept;
    enum { Plain, Quoted, SkipNext, Bracket } state = Plain;
    for (QChar c : format) {
        switch (state) {
        case Plain:
            if (c == u'"')
                state = Quoted;
            else if (c == u'\\' || c == u'_' || c == u'*')
                state = SkipNext;
            else if (c == u'[')
                state = Bracket;
            else
                kept.append(c);
            break;
        case Quoted:
            if (c == u'"')
                state = Plain;
            break;
        case SkipNext:
            state = Plain;
            break;
        case Bracket:
            if (c == u']')
                state = Plain;
            break;
        }
    }
    static const QStringList notDates = {QStringLiteral("General"), QStringLiteral("GENERAL"),
                                         QStringLiteral("general"), QStringLiteral("@"),
                                         QStringLiteral("0.00E+00"), QStringLiteral("##0.0E+0")};
    if (notDates.contains(kept))
        return false;
    int dateCodes = 0;
    int digitCodes = 0;
    for (QChar c : kept) {
        const char16_t u = c.toLower().unicode();
        if (u == u'y' || u == u'm' || u == u'd' || u == u'h' || u == u's')
            ++dateCodes;
        else if (u == u'0' || u == u'#' || u == u'?')
            ++digitCodes;
    }
    return dateCodes > digitCodes;
}

bool DateStyles::isDateFormat(std::uint16_t formatId) const
{
    if (formatId < kFirstCustomFormat)
        return isBuiltInDate(formatId);
    const auto it = formats_.find(formatId);
    return it != formats_.end() && isDateFormatText(it->second);
}

void DateStyles::finish()
{
    dateXf_.assign(xfFormats_.size(), false);
    for (std::size_t i = 0; i < xfFormats_.size(); ++i)
        dateXf_[i] = isDateFormat(xfFormats_[i]);
}

} // namespace workbook::xls
