#pragma once

#include <QString>
#include <string_view>

namespace workbook::xlsx {

// A forward-only tokenizer over one XML part held in memory. It knows elements, attributes,
// text, comments, CDATA and processing instructions; a document type declaration is refused,
// so no entity can expand. Only the five predefined entities and character references are
// decoded. Names are compared without their namespace prefix.
class XmlScanner {
public:
    enum class Token { StartTag, EndTag, Text, End };

    explicit XmlScanner(std::string_view xml) : xml_(xml) {}

    // Advances to the next token. Raises data::Error with a short reason on malformed input.
    Token next();

    // For StartTag / EndTag: the local name; for StartTag whether it closes itself ("<c/>").
    std::string_view name() const { return name_; }
    bool selfClosing() const { return selfClosing_; }
    // For StartTag: the raw value of an attribute (still escaped), or an empty view.
    std::string_view attribute(std::string_view localName) const;
    bool hasAttribute(std::string_view localName) const;
    // For Text: the raw text (still escaped).
    std::string_view rawText() const { return text_; }

    // Byte offsets of the current token in the part: [tokenBegin, tokenEnd).
    size_t tokenBegin() const { return tokenBegin_; }
    size_t tokenEnd() const { return pos_; }
    // Moves on to just after the end tag that matches the current start tag.
    void skipElement();
    // Repositions the scanner (an offset of a token start).
    void seek(size_t offset) { pos_ = offset; }

private:
    std::string_view xml_;
    size_t pos_ = 0;
    size_t tokenBegin_ = 0;
    std::string_view name_;
    std::string_view attributes_;
    std::string_view text_;
    bool selfClosing_ = false;
};

// Decodes entities and character references of raw XML text (or an attribute value) into
// `out`, appended. Returns false for a malformed reference.
bool appendXmlText(std::string_view raw, QString& out);
QString xmlText(std::string_view raw); // empty on malformed input
// Escapes text for an element's content or an attribute value.
QString escapeXml(const QString& text);

// Strips the namespace prefix of a name.
inline std::string_view localName(std::string_view name)
{
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

} // namespace workbook::xlsx
