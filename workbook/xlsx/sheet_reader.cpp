#include "workbook/xlsx/sheet_reader.h"

#include "data/error.h"
#include "workbook/xlsx/xml_scan.h"

#include <QDateTime>
#include <charconv>
#include <cmath>

namespace workbook::xlsx {
namespace {

using Token = XmlScanner::Token;

data::Error bad(const QString& why) { return data::Error(why); }

bool parseInt(std::string_view s, int* out)
{
    int v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size())
        return false;
    *out = v;
    return true;
}

bool parseDouble(std::string_view s, double* out)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\n' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\n' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
    return ec == std::errc() && p == s.data() + s.size();
}

// ISO 8601 date, date-time or time as written in cells of type "d".
bool parseIsoDate(const QString& text, double* oleDate)
{
    static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    QString t = text.trimmed();
    if (t.endsWith(u'Z'))
        t.chop(1);
    QDateTime dt;
    if (t.contains(u'-')) {
        dt = QDateTime::fromString(t, Qt::ISODateWithMs);
        if (!dt.isValid())
            dt = QDateTime(QDate::fromString(t, Qt::ISODate), QTime(0, 0));
    } else {
        dt = QDateTime(QDate(1899, 12, 30), QTime::fromString(t, Qt::ISODateWithMs));
    }
    if (!dt.isValid())
        return false;
    dt.setTimeSpec(Qt::UTC);
    *oleDate = double(epoch.msecsTo(dt)) / 86400000.0;
    return true;
}

// The text of an inline string: its <t> children and rich runs, without phonetic runs.
QString readInlineString(XmlScanner& scan)
{
    QString s;
    int depth = 1;
    bool inText = false;
    int phonetic = 0;
    while (depth > 0) {
        switch (scan.next()) {
        case Token::StartTag:
            if (scan.name() == "rPh")
                ++phonetic;
            if (scan.name() == "t" && !scan.selfClosing())
                inText = phonetic == 0;
            if (!scan.selfClosing())
                ++depth;
            break;
        case Token::EndTag:
            if (scan.name() == "rPh")
                --phonetic;
            inText = false;
            --depth;
            break;
        case Token::Text:
            if (inText && !appendXmlText(scan.rawText(), s))
                throw bad(QStringLiteral("字符串中有无效的字符引用。"));
            break;
        case Token::End: throw bad(QStringLiteral("内联字符串没有结束。"));
        }
    }
    return s;
}

} // namespace

// Before 1899-12-30 the two encodings part: a serial counts days and fractions on one line,
// while an OLE date keeps the day's time as a positive fraction ("-1.25" is 1899-12-29 06:00).
static double oleFromLinear(double linear)
{
    const double day = std::floor(linear);
    const double time = linear - day;
    return linear < 0 && time > 0 ? day - time : linear;
}

static double linearFromOle(double ole)
{
    const double day = std::trunc(ole);
    const double time = ole - day;
    return ole < 0 && time < 0 ? day - time : ole;
}

double oleDateFromSerial(double serial, bool date1904)
{
    if (date1904)
        return oleFromLinear(serial + 1462);
    // Serial 60 is the phantom 29 February 1900; the days before it are one day off.
    return oleFromLinear(serial > 0 && serial < 60 ? serial + 1 : serial);
}

double serialFromOleDate(double oleDate, bool date1904)
{
    const double linear = linearFromOle(oleDate);
    if (date1904)
        return linear - 1462;
    return linear >= 1 && linear < 61 ? linear - 1 : linear;
}

bool parseRef(std::string_view ref, int* row, int* column)
{
    size_t i = 0;
    int col = 0;
    while (i < ref.size() && i < 4 && ref[i] >= 'A' && ref[i] <= 'Z')
        col = col * 26 + (ref[i++] - 'A' + 1);
    if (i == 0 || i > 3 || col > kMaxColumns)
        return false;
    int r = 0;
    const size_t digitsBegin = i;
    for (; i < ref.size(); ++i) {
        if (ref[i] < '0' || ref[i] > '9' || i - digitsBegin >= 7)
            return false;
        r = r * 10 + (ref[i] - '0');
    }
    if (i == digitsBegin || r < 1 || r > kMaxRows)
        return false;
    *row = r - 1;
    *column = col - 1;
    return true;
}

void readSheetCells(std::string_view xml, const CellContext& context, CellSink& sink)
{
    XmlScanner scan(xml);
    const std::vector<QString>& strings = *context.sharedStrings;
    const std::vector<bool>& dateXf = context.styles->dateFormat;
    bool inSheetData = false;
    int row = -1;
    int column = -1;
    QString scratch;
    for (;;) {
        const Token token = scan.next();
        if (token == Token::End)
            break;
        if (token == Token::EndTag && scan.name() == "sheetData")
            break;
        if (token != Token::StartTag)
            continue;
        const std::string_view name = scan.name();
        if (!inSheetData) {
            if (name == "sheetData") {
                if (scan.selfClosing())
                    break;
                inSheetData = true;
            }
            continue;
        }
        if (name == "row") {
            const std::string_view r = scan.attribute("r");
            int n = row + 2;
            if (!r.empty() && (!parseInt(r, &n) || n < 1 || n > kMaxRows))
                throw bad(QStringLiteral("行号“%1”无效。").arg(QString::fromUtf8(r.data(), r.size())));
            row = n - 1;
            column = -1;
            continue;
        }
        if (name != "c") {
            scan.skipElement();
            continue;
        }
        const std::string_view ref = scan.attribute("r");
        if (!ref.empty()) {
            int refRow;
            if (!parseRef(ref, &refRow, &column))
                throw bad(QStringLiteral("单元格引用“%1”无效。").arg(QString::fromUtf8(ref.data(), ref.size())));
            row = refRow;
        } else {
            if (row < 0)
                row = 0;
            if (++column >= kMaxColumns)
                throw bad(QStringLiteral("一行中的单元格过多。"));
        }
        const std::string_view type = scan.attribute("t");
        int style = 0;
        const std::string_view s = scan.attribute("s");
        if (!s.empty() && !parseInt(s, &style))
            style = 0;
        if (scan.selfClosing())
            continue;

        std::string_view rawValue;
        bool haveValue = false;
        QString inlineText;
        bool haveInline = false;
        int depth = 1;
        while (depth > 0) {
            const Token t = scan.next();
            if (t == Token::End)
                throw bad(QStringLiteral("单元格没有结束。"));
            if (t == Token::EndTag) {
                --depth;
                continue;
            }
            if (t != Token::StartTag)
                continue;
            if (scan.name() == "v" && !scan.selfClosing()) {
                if (scan.next() == Token::Text) {
                    rawValue = scan.rawText();
                    haveValue = true;
                    scan.next(); // </v>
                } else {
                    haveValue = true; // <v></v>
                }
            } else if (scan.name() == "is" && !scan.selfClosing()) {
                inlineText = readInlineString(scan);
                haveInline = true;
            } else {
                scan.skipElement();
            }
        }

        data::Value value;
        if (type == "inlineStr") {
            if (!haveInline)
                continue;
            value = data::Value::text(std::move(inlineText));
        } else if (!haveValue || rawValue.empty()) {
            continue; // a formula never calculated, or a cell with formatting only
        } else if (type == "s") {
            int index = -1;
            if (!parseInt(rawValue, &index) || index < 0 || size_t(index) >= strings.size())
                throw bad(QStringLiteral("单元格 %1 引用了不存在的共享字符串。")
                              .arg(QString::fromUtf8(ref.data(), ref.size())));
            value = data::Value::text(strings[size_t(index)]);
        } else if (type == "str" || type == "e") {
            scratch.clear();
            if (!appendXmlText(rawValue, scratch))
                throw bad(QStringLiteral("字符串中有无效的字符引用。"));
            value = type == "e" ? data::Value::error(scratch) : data::Value::text(scratch);
        } else if (type == "b") {
            value = data::Value::boolean(rawValue == "1" || rawValue == "true");
        } else if (type == "d") {
            double ole = 0;
            if (!parseIsoDate(xmlText(rawValue), &ole))
                continue;
            value = data::Value::dateTime(ole);
        } else {
            double d = 0;
            if (!parseDouble(rawValue, &d))
                throw bad(QStringLiteral("单元格 %1 的数值无效。").arg(QString::fromUtf8(ref.data(), ref.size())));
            if (size_t(style) < dateXf.size() && dateXf[size_t(style)])
                value = data::Value::dateTime(oleDateFromSerial(d, context.date1904));
            else
                value = data::Value::number(d);
        }
        sink.cell(row, column, std::move(value));
    }
}

} // namespace workbook::xlsx
