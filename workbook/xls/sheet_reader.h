#pragma once

#include "workbook/common/sheet_model.h"
#include "workbook/xls/workbook_globals.h"

#include <string_view>

namespace workbook::xls {

// Sends every cell with a value of the worksheet whose BOF is at `offset` to the sink:
// strings (shared or inline), numbers (RK, MULRK, NUMBER; dates by the cell's style),
// booleans, errors and the cached results of formulas. Raises data::Error on bad records.
void readSheetCells(std::string_view stream, std::size_t offset, const WorkbookGlobals& globals, CellSink& sink);

// Decodes an RK number.
double rkValue(std::uint32_t rk);

// The text of a BIFF error code such as 0x2A ("#N/A").
QString errorText(std::uint8_t code);

} // namespace workbook::xls
