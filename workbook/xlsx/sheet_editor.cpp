#include "workbook/xlsx/sheet_editor.h"

#include "workbook/common/messages.h"
#include "workbook/common/sheet_model.h"
#include "workbook/xlsx/sheet_reader.h"
#include "workbook/xlsx/xml_scan.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace workbook::xlsx {
namespace {

using Token = XmlScanner::Token;

struct RowSpan {
    size_t begin = 0;       // '<' of the start tag
    size_t tagEnd = 0;      // just after the start tag
    size_t end = 0;         // just after the element
    int row = 0;
    bool selfClosing = false;
};

struct CellSpan {
    size_t begin = 0;
    size_t end = 0;
    int column = 0;
    int style = -1;
    bool formula = false;
    bool anchorsOthers = false; // master of a shared formula, or an array formula over several cells
};

struct SheetLayout {
    QByteArray prefix;            // namespace prefix of the elements, "x:" or empty
    size_t dataBegin = 0;         // start tag of sheetData
    size_t dataTagEnd = 0;
    size_t dataEnd = 0;           // '<' of </sheetData>, or of the self-closed tag
    bool dataSelfClosing = false;
    std::vector<RowSpan> rows;
};

std::string_view view(const QByteArray& b) { return {b.constData(), size_t(b.size())}; }

int toInt(std::string_view s, int fallback)
{
    int v = fallback;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() ? v : fallback;
}

SheetLayout scanLayout(const QByteArray& xml)
{
    SheetLayout layout;
    XmlScanner scan(view(xml));
    bool found = false;
    for (Token t = scan.next(); t != Token::End; t = scan.next()) {
        if (t == Token::StartTag && scan.name() == "sheetData") {
            found = true;
            layout.dataBegin = scan.tokenBegin();
            layout.dataTagEnd = scan.tokenEnd();
            const std::string_view raw = view(xml).substr(scan.tokenBegin() + 1);
            const size_t colon = raw.find(':');
            const size_t nameEnd = raw.find_first_of(" \t\r\n/>");
            if (colon != std::string_view::npos && colon < nameEnd)
                layout.prefix = QByteArray(raw.data(), qsizetype(colon + 1));
            layout.dataSelfClosing = scan.selfClosing();
            if (layout.dataSelfClosing)
                layout.dataEnd = scan.tokenBegin();
            break;
        }
    }
    if (!found)
        throw writeRefused(QStringLiteral("工作表没有数据区（sheetData）。"));
    if (layout.dataSelfClosing)
        return layout;
    int previous = -1;
    for (Token t = scan.next(); t != Token::End; t = scan.next()) {
        if (t == Token::EndTag && scan.name() == "sheetData") {
            layout.dataEnd = scan.tokenBegin();
            return layout;
        }
        if (t != Token::StartTag)
            continue;
        if (scan.name() != "row") {
            scan.skipElement();
            continue;
        }
        RowSpan r;
        r.begin = scan.tokenBegin();
        r.tagEnd = scan.tokenEnd();
        r.selfClosing = scan.selfClosing();
        r.row = toInt(scan.attribute("r"), previous + 2) - 1;
        previous = r.row;
        scan.skipElement();
        r.end = scan.tokenEnd();
        layout.rows.push_back(r);
    }
    throw writeRefused(QStringLiteral("工作表的数据区没有结束。"));
}

std::vector<CellSpan> scanCells(const QByteArray& xml, const RowSpan& row)
{
    std::vector<CellSpan> cells;
    if (row.selfClosing)
        return cells;
    XmlScanner scan(view(xml).substr(0, row.end));
    scan.seek(row.tagEnd);
    int column = -1;
    for (Token t = scan.next(); t != Token::End; t = scan.next()) {
        if (t != Token::StartTag)
            continue;
        if (scan.name() != "c") {
            scan.skipElement();
            continue;
        }
        CellSpan c;
        c.begin = scan.tokenBegin();
        int r = 0;
        if (!parseRef(scan.attribute("r"), &r, &c.column))
            c.column = column + 1;
        column = c.column;
        c.style = toInt(scan.attribute("s"), -1);
        if (!scan.selfClosing()) {
            int depth = 1;
            while (depth > 0) {
                const Token u = scan.next();
                if (u == Token::End)
                    break;
                if (u == Token::EndTag) {
                    --depth;
                } else if (u == Token::StartTag) {
                    if (scan.name() == "f") {
                        c.formula = true;
                        const std::string_view type = scan.attribute("t");
                        const std::string_view ref = scan.attribute("ref");
                        if ((type == "shared" && !ref.empty()) ||
                            (type == "array" && !ref.empty() && ref.find(':') != std::string_view::npos))
                            c.anchorsOthers = true;
                    }
                    if (!scan.selfClosing())
                        ++depth;
                }
            }
        }
        c.end = scan.tokenEnd();
        cells.push_back(c);
    }
    return cells;
}

QByteArray cellXml(const QByteArray& prefix, int row, const CellText& cell, int style)
{
    QByteArray out = '<' + prefix + "c r=\"" + cellReference(row, cell.column).toLatin1() + '"';
    if (style >= 0)
        out += " s=\"" + QByteArray::number(style) + '"';
    switch (cell.kind) {
    case CellText::Empty: return out + "/>";
    case CellText::SharedString: out += " t=\"s\""; break;
    case CellText::InlineString:
        return out + " t=\"inlineStr\"><" + prefix + "is><" + prefix + "t xml:space=\"preserve\">" +
               escapeXml(cell.value).toUtf8() + "</" + prefix + "t></" + prefix + "is></" + prefix + "c>";
    case CellText::Number:
    case CellText::Date: break;
    case CellText::Boolean: out += " t=\"b\""; break;
    case CellText::ErrorCode: out += " t=\"e\""; break;
    }
    return out + "><" + prefix + "v>" + escapeXml(cell.value).toUtf8() + "</" + prefix + "v></" + prefix + "c>";
}

// A start tag with the attribute set to a new value (added when missing), or removed when
// value is empty.
QByteArray withAttribute(QByteArray tag, const QByteArray& name, const QByteArray& value)
{
    const bool selfClosing = tag.endsWith("/>");
    qsizetype pos = -1;
    for (qsizetype p = tag.indexOf(name + '='); p >= 0; p = tag.indexOf(name + '=', p + 1)) {
        const char before = tag.at(p - 1);
        if (before == ' ' || before == '\t' || before == '\n' || before == '\r') {
            pos = p;
            break;
        }
    }
    if (pos >= 0) {
        const qsizetype quoteAt = pos + name.size() + 1;
        const char quote = tag.at(quoteAt);
        const qsizetype close = tag.indexOf(quote, quoteAt + 1);
        if (value.isEmpty())
            tag.remove(pos - 1, close + 1 - (pos - 1));
        else
            tag.replace(quoteAt + 1, close - quoteAt - 1, value);
        return tag;
    }
    if (value.isEmpty())
        return tag;
    tag.insert(tag.size() - (selfClosing ? 2 : 1), ' ' + name + "=\"" + value + '"');
    return tag;
}

std::optional<CellRange> dimensionOf(const QByteArray& xml, size_t* begin, size_t* end)
{
    XmlScanner scan(view(xml));
    for (Token t = scan.next(); t != Token::End; t = scan.next()) {
        if (t != Token::StartTag)
            continue;
        if (scan.name() == "sheetData")
            return std::nullopt;
        if (scan.name() == "dimension") {
            *begin = scan.tokenBegin();
            *end = scan.tokenEnd();
            const std::string_view ref = scan.attribute("ref");
            CellRange range;
            if (parseRangeReference(QString::fromLatin1(ref.data(), qsizetype(ref.size())), &range))
                return range;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

QByteArray rangeText(const CellRange& r)
{
    const QString a = cellReference(r.firstRow, r.firstColumn);
    if (r.firstRow == r.lastRow && r.firstColumn == r.lastColumn)
        return a.toLatin1();
    return (a + u':' + cellReference(r.lastRow, r.lastColumn)).toLatin1();
}

// Rows referred to by the formula text: every A1-style reference, and whole columns as "all".
bool formulaReachesRow(std::string_view f, int row)
{
    for (size_t i = 0; i < f.size(); ++i) {
        const char c = f[i];
        if (c == '"') { // string literal
            const size_t close = f.find('"', i + 1);
            if (close == std::string_view::npos)
                return true;
            i = close;
            continue;
        }
        const bool startsWord = i == 0 || !(std::isalnum(static_cast<unsigned char>(f[i - 1])) || f[i - 1] == '_' || f[i - 1] == '.');
        if (!startsWord)
            continue;
        size_t p = i;
        if (p < f.size() && f[p] == '$')
            ++p;
        const size_t lettersBegin = p;
        while (p < f.size() && std::isalpha(static_cast<unsigned char>(f[p])))
            ++p;
        const size_t letters = p - lettersBegin;
        if (letters == 0 && p < f.size() && std::isdigit(static_cast<unsigned char>(f[p]))) {
            // whole rows "3:5"
            size_t q = p;
            while (q < f.size() && std::isdigit(static_cast<unsigned char>(f[q])))
                ++q;
            if (q < f.size() && f[q] == ':')
                return true;
            i = q;
            continue;
        }
        if (letters == 0 || letters > 3)
            continue;
        if (p < f.size() && f[p] == ':' && letters > 0)
            return true; // whole columns "A:C"
        if (p < f.size() && f[p] == '$')
            ++p;
        const size_t digitsBegin = p;
        while (p < f.size() && std::isdigit(static_cast<unsigned char>(f[p])))
            ++p;
        if (p == digitsBegin || (p < f.size() && (std::isalpha(static_cast<unsigned char>(f[p])) || f[p] == '(')))
            continue;
        if (toInt(f.substr(digitsBegin, p - digitsBegin), 0) - 1 >= row)
            return true;
        i = p - 1;
    }
    return false;
}

} // namespace

std::vector<QString> SheetEditor::setCells(int row, const std::vector<CellText>& cells, const StylePicker& pickStyle)
{
    const QByteArray& xml = xml_;
    const SheetLayout layout = scanLayout(xml);
    const auto found = std::find_if(layout.rows.begin(), layout.rows.end(), [&](const RowSpan& r) { return r.row >= row; });
    const bool exists = found != layout.rows.end() && found->row == row;
    const RowSpan* above = found != layout.rows.begin() && !layout.rows.empty() ? &*(found - 1) : nullptr;

    std::vector<CellSpan> existing = exists ? scanCells(xml, *found) : std::vector<CellSpan>();
    std::vector<CellSpan> cellsAbove = above ? scanCells(xml, *above) : std::vector<CellSpan>();
    std::vector<QString> dropped;

    std::vector<CellText> sorted = cells;
    std::sort(sorted.begin(), sorted.end(), [](const CellText& a, const CellText& b) { return a.column < b.column; });

    // Merge the existing cells with the written ones, in column order.
    QByteArray content;
    size_t e = 0;
    auto copyExisting = [&](const CellSpan& c) { content += QByteArray(xml.constData() + c.begin, qsizetype(c.end - c.begin)); };
    for (const CellText& w : sorted) {
        while (e < existing.size() && existing[e].column < w.column)
            copyExisting(existing[e++]);
        int style = -1;
        if (e < existing.size() && existing[e].column == w.column) {
            const CellSpan& old = existing[e++];
            if (old.anchorsOthers)
                throw writeRefused(QStringLiteral("单元格 %1 是其他单元格共用公式的起点，不能修改。")
                                       .arg(cellReference(row, w.column)));
            if (old.formula)
                dropped.push_back(cellReference(row, w.column));
            style = old.style;
        } else {
            for (const CellSpan& c : cellsAbove)
                if (c.column == w.column)
                    style = c.style;
        }
        if (w.kind == CellText::Date)
            style = pickStyle(style, true);
        if (w.kind == CellText::Empty && style < 0)
            continue;
        content += cellXml(layout.prefix, row, w, style);
    }
    while (e < existing.size())
        copyExisting(existing[e++]);

    // The new row replaces a span of the text in place: a large sheet is not copied whole.
    QByteArray replacement;
    size_t at = 0, length = 0;
    const QByteArray rowNumber = QByteArray::number(row + 1);
    if (exists) {
        // The start tag keeps its attributes, less the span hint that may no longer hold.
        QByteArray tag(xml.constData() + found->begin, qsizetype(found->tagEnd - found->begin));
        tag = withAttribute(tag, "spans", QByteArray());
        if (tag.endsWith("/>"))
            tag = tag.left(tag.size() - 2) + '>';
        replacement = tag + content + "</" + layout.prefix + "row>";
        at = found->begin;
        length = found->end - found->begin;
    } else if (layout.dataSelfClosing) {
        QByteArray tag(xml.constData() + layout.dataBegin, qsizetype(layout.dataTagEnd - layout.dataBegin));
        tag = tag.left(tag.size() - 2) + '>';
        replacement = tag + '<' + layout.prefix + "row r=\"" + rowNumber + "\">" + content + "</" + layout.prefix +
                      "row></" + layout.prefix + "sheetData>";
        at = layout.dataBegin;
        length = layout.dataTagEnd - layout.dataBegin;
    } else {
        at = found != layout.rows.end() ? found->begin : layout.dataEnd;
        replacement = '<' + layout.prefix + "row r=\"" + rowNumber + "\">" + content + "</" + layout.prefix + "row>";
    }
    QByteArray& out = xml_;
    out.replace(qsizetype(at), qsizetype(length), replacement);

    // The dimension grows to take the row in.
    size_t dimBegin = 0, dimEnd = 0;
    if (std::optional<CellRange> dim = dimensionOf(out, &dimBegin, &dimEnd); dim && !sorted.empty()) {
        CellRange grown = *dim;
        grown.firstRow = std::min(grown.firstRow, row);
        grown.lastRow = std::max(grown.lastRow, row);
        grown.firstColumn = std::min(grown.firstColumn, sorted.front().column);
        grown.lastColumn = std::max(grown.lastColumn, sorted.back().column);
        if (grown.firstRow != dim->firstRow || grown.lastRow != dim->lastRow || grown.firstColumn != dim->firstColumn ||
            grown.lastColumn != dim->lastColumn) {
            QByteArray tag = out.mid(qsizetype(dimBegin), qsizetype(dimEnd - dimBegin));
            out.replace(qsizetype(dimBegin), qsizetype(dimEnd - dimBegin), withAttribute(tag, "ref", rangeText(grown)));
        }
    }
    return dropped;
}

void SheetEditor::deleteRow(int row)
{
    const QByteArray& xml = xml_;
    const std::string_view text = view(xml);

    // First make sure nothing on the sheet would end up pointing at the wrong cells.
    std::vector<std::pair<CellRange, std::pair<size_t, size_t>>> merges; // range, tag span
    {
        XmlScanner scan(text);
        int currentRow = -1;
        for (Token t = scan.next(); t != Token::End; t = scan.next()) {
            if (t != Token::StartTag)
                continue;
            const std::string_view name = scan.name();
            if (name == "row") {
                currentRow = toInt(scan.attribute("r"), currentRow + 2) - 1;
            } else if (name == "f") {
                const std::string_view ref = scan.attribute("ref");
                bool reaches = currentRow >= row;
                CellRange r;
                if (!ref.empty() && parseRangeReference(QString::fromLatin1(ref.data(), qsizetype(ref.size())), &r))
                    reaches = reaches || r.lastRow >= row;
                if (!reaches && !scan.selfClosing() && scan.next() == Token::Text)
                    reaches = formulaReachesRow(xmlText(scan.rawText()).toStdString(), row);
                if (reaches)
                    throw deleteRefused(QStringLiteral("工作表中有公式引用了该行或其下方的单元格。"));
            } else if (name == "mergeCell") {
                const std::string_view ref = scan.attribute("ref");
                CellRange r;
                if (!parseRangeReference(QString::fromLatin1(ref.data(), qsizetype(ref.size())), &r))
                    throw deleteRefused(QStringLiteral("合并单元格的范围无效。"));
                if (r.firstRow <= row && r.lastRow >= row)
                    throw deleteRefused(QStringLiteral("该行含有合并单元格 %1。").arg(QString::fromLatin1(ref.data(), qsizetype(ref.size()))));
                merges.push_back({r, {scan.tokenBegin(), scan.tokenEnd()}});
            } else {
                static const char* const unsafe[][2] = {
                    {"tableParts", "表格（列表）"}, {"conditionalFormatting", "条件格式"},
                    {"dataValidations", "数据有效性"}, {"hyperlinks", "超链接"},
                    {"autoFilter", "自动筛选"}, {"legacyDrawing", "批注"},
                    {"drawing", "图片或图表"}, {"sortState", "排序设置"},
                    {"protectedRanges", "受保护区域"}, {"oleObjects", "嵌入对象"},
                    {"controls", "控件"}, {"scenarios", "方案"},
                };
                for (const auto& u : unsafe)
                    if (name == u[0])
                        throw deleteRefused(QStringLiteral("工作表含有%1，删除行后它们会指向错误的单元格。").arg(QString::fromUtf8(u[1])));
            }
        }
    }

    const SheetLayout layout = scanLayout(xml);
    QByteArray out;
    out.reserve(xml.size());
    size_t copied = 0;
    auto copyTo = [&](size_t offset) {
        out.append(xml.constData() + copied, qsizetype(offset - copied));
        copied = offset;
    };
    for (const RowSpan& r : layout.rows) {
        if (r.row < row)
            continue;
        if (r.row == row) {
            copyTo(r.begin);
            copied = r.end;
            continue;
        }
        // A row below: its number and its cells' references move up by one.
        XmlScanner scan(text.substr(0, r.end));
        scan.seek(r.begin);
        for (Token t = scan.next(); t != Token::End; t = scan.next()) {
            if (t != Token::StartTag)
                continue;
            const std::string_view name = scan.name();
            if (name != "row" && name != "c")
                continue;
            const std::string_view ref = scan.attribute("r");
            if (ref.empty())
                continue;
            QByteArray value;
            if (name == "row") {
                value = QByteArray::number(toInt(ref, r.row + 1) - 1);
            } else {
                int cr = 0, cc = 0;
                if (!parseRef(ref, &cr, &cc))
                    continue;
                value = cellReference(cr - 1, cc).toLatin1();
            }
            copyTo(scan.tokenBegin());
            out += withAttribute(QByteArray(xml.constData() + scan.tokenBegin(), qsizetype(scan.tokenEnd() - scan.tokenBegin())),
                                 "r", value);
            copied = scan.tokenEnd();
        }
    }
    // Merged cells below move up too.
    for (const auto& [range, span] : merges) {
        if (range.firstRow <= row)
            continue;
        copyTo(span.first);
        CellRange moved = range;
        --moved.firstRow;
        --moved.lastRow;
        out += withAttribute(QByteArray(xml.constData() + span.first, qsizetype(span.second - span.first)), "ref", rangeText(moved));
        copied = span.second;
    }
    copyTo(size_t(xml.size()));

    size_t dimBegin = 0, dimEnd = 0;
    if (std::optional<CellRange> dim = dimensionOf(out, &dimBegin, &dimEnd); dim && dim->lastRow >= row && dim->lastRow > dim->firstRow) {
        CellRange shrunk = *dim;
        --shrunk.lastRow;
        QByteArray tag = out.mid(qsizetype(dimBegin), qsizetype(dimEnd - dimBegin));
        out.replace(qsizetype(dimBegin), qsizetype(dimEnd - dimBegin), withAttribute(tag, "ref", rangeText(shrunk)));
    }
    xml_ = std::move(out);
}

bool sheetReferredToBy(const QByteArray& xml, const QString& sheetName)
{
    const QByteArray plain = escapeXml(sheetName).toUtf8() + '!';
    QString q = sheetName;
    q.replace(u'\'', QStringLiteral("''"));
    const QByteArray quoted = escapeXml(u'\'' + q + QStringLiteral("'!")).toUtf8();
    const QByteArray quotedApos = QByteArray(quoted).replace("'", "&apos;");
    return xml.contains(plain) || xml.contains(quoted) || xml.contains(quotedApos);
}

QString formatXmlNumber(double d)
{
    char buffer[32];
    auto [p, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
    return QString::fromLatin1(buffer, p - buffer);
}

void appendSharedStrings(QByteArray& sst, const std::vector<QString>& strings, size_t from)
{
    XmlScanner scan(view(sst));
    size_t tagBegin = 0, tagEnd = 0, closeAt = 0;
    bool selfClosing = false;
    QByteArray prefix;
    for (Token t = scan.next(); t != Token::End; t = scan.next()) {
        if (t == Token::StartTag && scan.name() == "sst") {
            tagBegin = scan.tokenBegin();
            tagEnd = scan.tokenEnd();
            selfClosing = scan.selfClosing();
            const std::string_view raw = view(sst).substr(tagBegin + 1, 8);
            const size_t colon = raw.find(':');
            if (colon != std::string_view::npos && colon < raw.find_first_of(" />"))
                prefix = QByteArray(raw.data(), qsizetype(colon + 1));
            if (selfClosing)
                break;
        } else if (t == Token::EndTag && scan.name() == "sst") {
            closeAt = scan.tokenBegin();
        } else if (t == Token::StartTag && !selfClosing && scan.name() == "si") {
            scan.skipElement();
        }
    }
    QByteArray items;
    for (size_t i = from; i < strings.size(); ++i)
        items += '<' + prefix + "si><" + prefix + "t xml:space=\"preserve\">" + escapeXml(strings[i]).toUtf8() + "</" +
                 prefix + "t></" + prefix + "si>";
    QByteArray tag = sst.mid(qsizetype(tagBegin), qsizetype(tagEnd - tagBegin));
    const QByteArray unique = QByteArray::number(qulonglong(strings.size()));
    tag = withAttribute(tag, "uniqueCount", unique);
    XmlScanner tagScan(view(tag));
    tagScan.next();
    const int count = toInt(tagScan.attribute("count"), 0);
    tag = withAttribute(tag, "count", QByteArray::number(std::max<qulonglong>(count + (strings.size() - from), strings.size())));
    if (selfClosing) {
        tag = tag.left(tag.size() - 2) + '>';
        sst.replace(qsizetype(tagBegin), qsizetype(tagEnd - tagBegin), tag + items + "</" + prefix + "sst>");
    } else {
        sst.insert(qsizetype(closeAt), items);
        sst.replace(qsizetype(tagBegin), qsizetype(tagEnd - tagBegin), tag);
    }
}

} // namespace workbook::xlsx
