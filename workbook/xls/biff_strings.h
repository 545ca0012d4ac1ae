#pragma once

#include "workbook/xls/biff_records.h"

#include <QString>
#include <string_view>

namespace workbook::xls {

class CodePageDecoder;

// A BIFF8 string: a character count of `countBytes` bytes (1 or 2), a flag byte, and the
// characters with any rich-text runs and phonetic block after them (skipped).
QString readUnicodeString(ContinuedReader& in, int countBytes);
// The same over a plain record body.
QString readUnicodeString(std::string_view body, std::size_t offset, int countBytes);

// An Excel 95 string: a count of `countBytes` bytes, then bytes in the workbook's code page.
QString readByteString(std::string_view body, std::size_t offset, int countBytes, const CodePageDecoder& decoder);

// Encodes text as a BIFF8 string with a `countBytes` count: 8-bit when every character fits.
void appendUnicodeString(std::string& out, const QString& text, int countBytes);

} // namespace workbook::xls
