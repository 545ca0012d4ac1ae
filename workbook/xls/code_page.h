#pragma once

#include <QString>
#include <string_view>

namespace workbook::xls {

// Turns the byte strings of an Excel 95 workbook into text, by the workbook's CODEPAGE
// (936 is GBK, 10000 Mac Roman, 1252 Western when the workbook names none).
class CodePageDecoder {
public:
    explicit CodePageDecoder(int codePage = 1252);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    QString decode(std::string_view bytes) const;

private:
    void* converter_ = nullptr; // iconv_t, or null when the code page is unknown: bytes read as Latin-1
};

} // namespace workbook::xls
