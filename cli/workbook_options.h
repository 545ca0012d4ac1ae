#pragma once

#include "workbook/common/excel_connection.h"

#include <QStringList>
#include <optional>

namespace cli {

// Takes "--office 2003|2007" out of args (default 2007); empty when the value is not one of them.
std::optional<workbook::OfficeFormat> takeOfficeOption(QStringList& args);

} // namespace cli
