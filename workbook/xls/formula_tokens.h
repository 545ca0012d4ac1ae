#pragma once

#include <string_view>

namespace workbook::xls {

// Whether a BIFF8 formula (its token bytes) refers to row `row` or a row below it, through a
// cell or area reference (2-D or 3-D, or only 3-D when asked) or a shared/array formula
// anchor. A token this scanner does not know counts as reaching, so the answer errs on the
// side of "yes".
bool formulaReachesRow(std::string_view tokens, int row, bool threeDimensionalOnly);

} // namespace workbook::xls
