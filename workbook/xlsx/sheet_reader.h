#pragma once

#include "workbook/common/sheet_model.h"
#include "workbook/xlsx/package_info.h"

#include <string_view>

namespace workbook::xlsx {

// What cell values need besides the sheet: shared strings, which formats are dates, and the
// date system.
struct CellContext {
    const std::vector<QString>* sharedStrings = nullptr;
    const StyleInfo* styles = nullptr;
    bool date1904 = false;
};

// Days since 1899-12-30 for a serial number of the workbook's date system (1900 with its
// phantom 29 February, or 1904).
double oleDateFromSerial(double serial, bool date1904);
double serialFromOleDate(double oleDate, bool date1904);

// Sends every cell with a value of the worksheet XML to the sink, with its own type: the
// cached value of a formula, shared or inline strings as plain text, dates by their format.
// Raises data::Error (plain reason, without the file name) for references out of range.
void readSheetCells(std::string_view xml, const CellContext& context, CellSink& sink);

// Parses a cell reference such as "AB12" (0-based); false when it is not one.
bool parseRef(std::string_view ref, int* row, int* column);

} // namespace workbook::xlsx
