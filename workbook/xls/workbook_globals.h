#pragma once

#include "workbook/common/engine.h"
#include "workbook/xls/number_formats.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace workbook::xls {

class CodePageDecoder;

enum class BiffVersion { Biff5, Biff8 };

struct SheetEntry {
    QString name;
    std::uint8_t visibility = 0; // 0 visible, 1 hidden, 2 very hidden
    std::uint8_t kind = 0;       // 0 worksheet, 1 macro sheet, 2 chart, 6 module
    std::uint32_t offset = 0;    // stream offset of the sheet's BOF
    std::size_t recordOffset = 0; // stream offset of its BOUNDSHEET record
};

// One shared string with what it carries besides its characters (rich-text runs and the
// phonetic block), kept so that the table can be written back unchanged.
struct SharedString {
    QString text;
    std::uint16_t runCount = 0;
    std::string runs;
    std::string extension;
};

// What the workbook-wide part of the stream says.
struct WorkbookGlobals {
    BiffVersion version = BiffVersion::Biff8;
    int codePage = 1200;
    bool date1904 = false;
    bool encrypted = false;
    std::vector<SheetEntry> sheets;       // every BOUNDSHEET, in order
    std::vector<SharedString> strings;
    std::uint32_t stringReferences = 0;   // the SST's count of cells that use its strings
    DateStyles styles;
    std::vector<NamedRange> names;        // defined names that refer to one range (sheet = BOUNDSHEET index)
    std::size_t end = 0;                  // stream offset just after the globals' EOF
    std::shared_ptr<CodePageDecoder> decoder; // for Excel 95 byte strings
};

// Reads the workbook globals from the start of the workbook stream. Raises data::Error for
// content that is not a readable BIFF5/BIFF8 workbook.
WorkbookGlobals readGlobals(std::string_view stream);

// Serial number of the workbook's date system -> OLE date, and back.
double oleDateFromSerial(double serial, bool date1904);
double serialFromOleDate(double oleDate, bool date1904);

} // namespace workbook::xls
