#include "workbook/xlsx/xml_scan.h"

#include "data/error.h"

#include <cstring>

namespace workbook::xlsx {
namespace {

data::Error malformed(const char* why)
{
    return data::Error(QStringLiteral("XML 格式有误（%1）。").arg(QLatin1String(why)));
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isNameChar(char c) { return !isSpace(c) && c != '>' && c != '/' && c != '='; }

} // namespace

XmlScanner::Token XmlScanner::next()
{
    const size_t n = xml_.size();
    for (;;) {
        tokenBegin_ = pos_;
        if (pos_ >= n)
            return Token::End;
        if (xml_[pos_] != '<') {
            const size_t lt = xml_.find('<', pos_);
            const size_t end = lt == std::string_view::npos ? n : lt;
            text_ = xml_.substr(pos_, end - pos_);
            pos_ = end;
            return Token::Text;
        }
        if (xml_.compare(pos_, 4, "<!--") == 0) {
            const size_t end = xml_.find("-->", pos_ + 4);
            if (end == std::string_view::npos)
                throw malformed("comment not closed");
            pos_ = end + 3;
            continue;
        }
        if (xml_.compare(pos_, 9, "<![CDATA[") == 0) {
            const size_t end = xml_.find("]]>", pos_ + 9);
            if (end == std::string_view::npos)
                throw malformed("CDATA not closed");
            // CDATA is returned as text; it holds no references, so callers decode it harmlessly
            // unless it contains '&', which is rare enough in workbooks to accept.
            text_ = xml_.substr(pos_ + 9, end - pos_ - 9);
            pos_ = end + 3;
            return Token::Text;
        }
        if (xml_.compare(pos_, 2, "<?") == 0) {
            const size_t end = xml_.find("?>", pos_ + 2);
            if (end == std::string_view::npos)
                throw malformed("processing instruction not closed");
            pos_ = end + 2;
            continue;
        }
        if (xml_.compare(pos_, 2, "<!") == 0)
            throw malformed("document type declarations are not accepted");

        const bool isEnd = pos_ + 1 < n && xml_[pos_ + 1] == '/';
        size_t p = pos_ + (isEnd ? 2 : 1);
        const size_t nameBegin = p;
        while (p < n && isNameChar(xml_[p]))
            ++p;
        if (p == nameBegin)
            throw malformed("empty element name");
        name_ = localName(xml_.substr(nameBegin, p - nameBegin));
        // Find the closing '>' outside attribute quotes.
        const size_t attrBegin = p;
        char quote = 0;
        while (p < n) {
            const char c = xml_[p];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            } else if (c == '<') {
                throw malformed("'<' inside a tag");
            }
            ++p;
        }
        if (p >= n)
            throw malformed("tag not closed");
        selfClosing_ = !isEnd && p > attrBegin && xml_[p - 1] == '/';
        attributes_ = xml_.substr(attrBegin, p - attrBegin - (selfClosing_ ? 1 : 0));
        pos_ = p + 1;
        return isEnd ? Token::EndTag : Token::StartTag;
    }
}

std::string_view XmlScanner::attribute(std::string_view wanted) const
{
    const std::string_view a = attributes_;
    size_t p = 0;
    const size_t n = a.size();
    while (p < n) {
        while (p < n && isSpace(a[p]))
            ++p;
        const size_t nameBegin = p;
        while (p < n && a[p] != '=' && !isSpace(a[p]))
            ++p;
        const std::string_view name = a.substr(nameBegin, p - nameBegin);
        while (p < n && isSpace(a[p]))
            ++p;
        if (p >= n || a[p] != '=')
            return {};
        ++p;
        while (p < n && isSpace(a[p]))
            ++p;
        if (p >= n || (a[p] != '"' && a[p] != '\''))
            return {};
        const char quote = a[p++];
        const size_t valueBegin = p;
        const size_t valueEnd = a.find(quote, p);
        if (valueEnd == std::string_view::npos)
            return {};
        p = valueEnd + 1;
        if (localName(name) == wanted && name.substr(0, 5) != "xmlns")
            return a.substr(valueBegin, valueEnd - valueBegin);
    }
    return {};
}

bool XmlScanner::hasAttribute(std::string_view wanted) const
{
    // An attribute present with an empty value is rare; treat both the same except here.
    const std::string_view a = attributes_;
    size_t p = 0;
    while ((p = a.find(wanted, p)) != std::string_view::npos) {
        const size_t after = p + wanted.size();
        const bool startOk = p == 0 || isSpace(a[p - 1]) || a[p - 1] == ':';
        size_t q = after;
        while (q < a.size() && isSpace(a[q]))
            ++q;
        if (startOk && q < a.size() && a[q] == '=')
            return true;
        p = after;
    }
    return false;
}

void XmlScanner::skipElement()
{
    if (selfClosing_)
        return;
    int depth = 1;
    while (depth > 0) {
        switch (next()) {
        case Token::StartTag:
            if (!selfClosing_)
                ++depth;
            break;
        case Token::EndTag: --depth; break;
        case Token::Text: break;
        case Token::End: throw malformed("element not closed");
        }
    }
}

bool appendXmlText(std::string_view raw, QString& out)
{
    size_t p = 0;
    const size_t n = raw.size();
    while (p < n) {
        const size_t amp = raw.find('&', p);
        const size_t end = amp == std::string_view::npos ? n : amp;
        if (end > p)
            out.append(QString::fromUtf8(raw.data() + p, qsizetype(end - p)));
        if (amp == std::string_view::npos)
            break;
        const size_t semi = raw.find(';', amp);
        if (semi == std::string_view::npos || semi - amp > 12)
            return false;
        const std::string_view ref = raw.substr(amp + 1, semi - amp - 1);
        if (ref == "lt") out.append(u'<');
        else if (ref == "gt") out.append(u'>');
        else if (ref == "amp") out.append(u'&');
        else if (ref == "quot") out.append(u'"');
        else if (ref == "apos") out.append(u'\'');
        else if (ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x' || ref[1] == 'X';
            const QByteArray digits(ref.data() + (hex ? 2 : 1), qsizetype(ref.size() - (hex ? 2 : 1)));
            bool ok = false;
            const uint code = digits.toUInt(&ok, hex ? 16 : 10);
            if (!ok || code > 0x10FFFF || code == 0)
                return false;
            const char32_t c = code;
            out.append(QString::fromUcs4(&c, 1));
        } else {
            return false;
        }
        p = semi + 1;
    }
    return true;
}

QString xmlText(std::string_view raw)
{
    QString out;
    if (!appendXmlText(raw, out))
        return {};
    return out;
}

QString escapeXml(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '&': out += QLatin1String("&amp;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\r': out += QLatin1String("&#13;"); break;
        default:
            // Control characters other than tab and newline cannot stand in XML 1.0.
            if (c.unicode() < 0x20 && c != u'\t' && c != u'\n')
                out += QStringLiteral("_x%1_").arg(c.unicode(), 4, 16, QChar('0'));
            else
                out += c;
        }
    }
    return out;
}

} // namespace workbook::xlsx
