#include "workbook/xls/cell_records.h"

#include "workbook/xls/biff_records.h"
#include "workbook/xls/byte_order.h"
#include "workbook/xls/globals_writer.h"

namespace workbook::xls {
namespace {

std::string cellHead(int row, int column, std::uint16_t xf)
{
    std::string b;
    appendU16(b, std::uint16_t(row));
    appendU16(b, std::uint16_t(column));
    appendU16(b, xf);
    return b;
}

std::string record(std::uint16_t type, const std::string& body)
{
    std::string r;
    appendRecord(r, type, body);
    return r;
}

std::uint8_t errorCode(const QString& text)
{
    static const std::pair<const char*, std::uint8_t> codes[] = {
        {"#NULL!", 0x00}, {"#DIV/0!", 0x07}, {"#VALUE!", 0x0F}, {"#REF!", 0x17},
        {"#NAME?", 0x1D}, {"#NUM!", 0x24},   {"#N/A", 0x2A}};
    for (const auto& [name, code] : codes)
        if (text == QLatin1String(name))
            return code;
    return 0x2A;
}

} // namespace

std::string numberRecord(int row, int column, std::uint16_t xf, double value)
{
    std::string b = cellHead(row, column, xf);
    appendF64(b, value);
    return record(rec::Number, b);
}

std::string sharedStringRecord(int row, int column, std::uint16_t xf, std::uint32_t stringIndex)
{
    std::string b = cellHead(row, column, xf);
    appendU32(b, stringIndex);
    return record(rec::LabelSst, b);
}

std::string booleanRecord(int row, int column, std::uint16_t xf, bool value)
{
    std::string b = cellHead(row, column, xf);
    b.push_back(value ? 1 : 0);
    b.push_back(0);
    return record(rec::BoolErr, b);
}

std::string errorRecord(int row, int column, std::uint16_t xf, const QString& errorText)
{
    std::string b = cellHead(row, column, xf);
    b.push_back(char(errorCode(errorText)));
    b.push_back(1);
    return record(rec::BoolErr, b);
}

std::string blankRecord(int row, int column, std::uint16_t xf)
{
    return record(rec::Blank, cellHead(row, column, xf));
}

} // namespace workbook::xls
