#pragma once

#include <QString>

namespace workbook {

enum class OfficeFormat { Office2003, Office2007 };

// The workbook connection string the two Office choices build, filled in exactly as the
// window fills it: nothing in the path is quoted or escaped.
QString excelConnectionString(OfficeFormat office, const QString& path);

} // namespace workbook
