#include "workbook/xls/biff_strings.h"

#include "data/error.h"
#include "workbook/xls/byte_order.h"
#include "workbook/xls/code_page.h"

namespace workbook::xls {

QString readUnicodeString(ContinuedReader& in, int countBytes)
{
    const std::size_t count = countBytes == 1 ? in.u8() : in.u16();
    const std::uint8_t flags = in.u8();
    const std::uint16_t runs = (flags & 0x08) ? in.u16() : 0;
    const std::uint32_t extension = (flags & 0x04) ? in.u32() : 0;
    QString text = in.characters(count, (flags & 0x01) != 0);
    in.skip(std::size_t(runs) * 4);
    in.skip(extension);
    return text;
}

QString readUnicodeString(std::string_view body, std::size_t offset, int countBytes)
{
    if (offset > body.size())
        throw data::Error(QStringLiteral("字符串超出记录范围"));
    ContinuedReader in({body.substr(offset)});
    return readUnicodeString(in, countBytes);
}

QString readByteString(std::string_view body, std::size_t offset, int countBytes, const CodePageDecoder& decoder)
{
    if (offset + countBytes > body.size())
        throw data::Error(QStringLiteral("字符串超出记录范围"));
    const std::size_t count = countBytes == 1 ? std::uint8_t(body[offset]) : readU16(body.data() + offset);
    if (offset + countBytes + count > body.size())
        throw data::Error(QStringLiteral("字符串超出记录范围"));
    return decoder.decode(body.substr(offset + countBytes, count));
}

void appendUnicodeString(std::string& out, const QString& text, int countBytes)
{
    bool wide = false;
    for (QChar c : text)
        if (c.unicode() > 0xFF) {
            wide = true;
            break;
        }
    if (countBytes == 1)
        out.push_back(char(text.size()));
    else
        appendU16(out, std::uint16_t(text.size()));
    out.push_back(wide ? 1 : 0);
    for (QChar c : text) {
        if (wide)
            appendU16(out, c.unicode());
        else
            out.push_back(char(c.unicode()));
    }
}

} // namespace workbook::xls
