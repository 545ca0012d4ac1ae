#pragma once

#include "data/value.h"

#include <cstdint>
#include <string>

namespace workbook::xls {

// Complete BIFF8 cell records (header included) for values written into a sheet.
std::string numberRecord(int row, int column, std::uint16_t xf, double value);
std::string sharedStringRecord(int row, int column, std::uint16_t xf, std::uint32_t stringIndex);
std::string booleanRecord(int row, int column, std::uint16_t xf, bool value);
std::string errorRecord(int row, int column, std::uint16_t xf, const QString& errorText);
std::string blankRecord(int row, int column, std::uint16_t xf);

} // namespace workbook::xls
