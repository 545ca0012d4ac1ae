#pragma once

#include <QString>

namespace workbook::xlsx {

// Whether a number format shows a date or time, for the built-in format ids (including the
// Chinese, Japanese and Korean date formats 27-36 and 50-58) and for format codes.
bool isBuiltInDateFormat(int id);
bool isDateFormatCode(const QString& code);

} // namespace workbook::xlsx
