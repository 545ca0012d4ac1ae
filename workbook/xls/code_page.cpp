#include "workbook/xls/code_page.h"

#include <iconv.h>
#include <string>
#include <vector>

namespace workbook::xls {
namespace {

std::string iconvName(int codePage)
{
    switch (codePage) {
    case 367: return "ASCII";
    case 936: return "GBK";
    case 950: return "BIG5";
    case 10000:
    case 32768: return "MACINTOSH";
    case 32769:
    case 0:
    case 1200: return "CP1252";
    default: return "CP" + std::to_string(codePage);
    }
}

} // namespace

CodePageDecoder::CodePageDecoder(int codePage)
{
    iconv_t cd = iconv_open("UTF-16LE", iconvName(codePage).c_str());
    if (cd == iconv_t(-1))
        cd = iconv_open("UTF-16LE", "CP1252");
    if (cd != iconv_t(-1))
        converter_ = cd;
}

CodePageDecoder::~CodePageDecoder()
{
    if (converter_)
        iconv_close(iconv_t(converter_));
}

QString CodePageDecoder::decode(std::string_view bytes) const
{
    if (!converter_)
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    iconv(iconv_t(converter_), nullptr, nullptr, nullptr, nullptr);
    std::vector<char16_t> out(bytes.size() + 4);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* dst = reinterpret_cast<char*>(out.data());
    std::size_t outLeft = out.size() * 2;
    while (inLeft > 0) {
        if (iconv(iconv_t(converter_), &in, &inLeft, &dst, &outLeft) != std::size_t(-1))
            break;
        // A byte the code page does not define becomes U+FFFD; the rest still reads.
        if (outLeft < 2)
            break;
        *reinterpret_cast<char16_t*>(dst) = u'\uFFFD';
        dst += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
    }
    // Some code pages (1258) hold back the last character until told the input has ended.
    iconv(iconv_t(converter_), nullptr, nullptr, &dst, &outLeft);
    const std::size_t produced = (out.size() * 2 - outLeft) / 2;
    return QString(reinterpret_cast<const QChar*>(out.data()), qsizetype(produced));
}

} // namespace workbook::xls
