#pragma once

#include "workbook/xls/workbook_globals.h"

#include <string>
#include <string_view>
#include <vector>

namespace workbook::xls {

struct WrittenGlobals {
    std::string bytes;
    std::vector<std::size_t> boundSheetPositions; // where each BOUNDSHEET record landed, in order
};

// The globals of `stream` written afresh from the start of a new stream: every record copied
// as it was, except the shared string table (rebuilt from `globals.strings`, continued past
// 8224 bytes, with a fresh EXTSST) and `extraXfs` added after the last XF record.
// BOUNDSHEET offsets are left to the caller, who knows where the sheets will go.
WrittenGlobals writeGlobals(std::string_view stream, const WorkbookGlobals& globals,
                            const std::vector<std::string>& extraXfs);

// Appends one record, header included.
void appendRecord(std::string& out, std::uint16_t type, std::string_view body);

} // namespace workbook::xls
