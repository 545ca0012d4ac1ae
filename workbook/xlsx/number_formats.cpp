#include "workbook/xlsx/number_formats.h"

namespace workbook::xlsx {

bool isBuiltInDateFormat(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

bool isDateFormatCode(const QString& code)
{
    // Only the first section (positive numbers) decides, as in the spreadsheet programs.
    bool inQuotes = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (inQuotes) {
            if (c == u'"')
                inQuotes = false;
            continue;
        }
        switch (c.unicode()) {
        case '"': inQuotes = true; break;
        case '\\':
        case '_':
        case '*': ++i; break; // the next character is literal (or a fill / spacing character)
        case ';': return false;
        case '[': {
            const qsizetype close = code.indexOf(u']', i);
            if (close < 0)
                return false;
            const QString inner = code.mid(i + 1, close - i - 1).toLower();
            // Elapsed time ([h], [mm], [ss]) is a time; colours, conditions and locales are not.
            if (!inner.isEmpty() && (inner[0] == u'h' || inner[0] == u'm' || inner[0] == u's') &&
                inner.count(inner[0]) == inner.size())
                return true;
            i = close;
            break;
        }
        default: {
            if (code.mid(i, 7).compare(QLatin1String("general"), Qt::CaseInsensitive) == 0) {
                i += 6;
                break;
            }
            const char16_t l = c.toLower().unicode();
            if (l == u'd' || l == u'm' || l == u'y' || l == u'h' || l == u's')
                return true;
            break;
        }
        }
    }
    return false;
}

} // namespace workbook::xlsx
