#include "workbook/xls/formula_tokens.h"

#include "workbook/xls/byte_order.h"

#include <cstdint>

namespace workbook::xls {

bool formulaReachesRow(std::string_view tokens, int row, bool threeDOnly)
{
    std::size_t pos = 0;
    auto has = [&](std::size_t n) { return pos + n <= tokens.size(); };
    while (pos < tokens.size()) {
        const std::uint8_t ptg = std::uint8_t(tokens[pos++]);
        if (ptg == 0x01 || ptg == 0x02) { // shared or array formula member: its anchor row
            if (!has(4) || readU16(tokens.data() + pos) >= row)
                return true;
            pos += 4;
            continue;
        }
        if (ptg >= 0x03 && ptg <= 0x16)
            continue; // operators, parentheses, missing argument
        if (ptg == 0x17) { // string constant
            if (!has(2))
                return true;
            const std::size_t count = std::uint8_t(tokens[pos]);
            const bool wide = tokens[pos + 1] & 0x01;
            pos += 2 + count * (wide ? 2 : 1);
            continue;
        }
        if (ptg == 0x19) { // attributes; a CHOOSE carries its jump table
            if (!has(3))
                return true;
            const std::uint8_t kind = std::uint8_t(tokens[pos]);
            const std::uint16_t data = readU16(tokens.data() + pos + 1);
            pos += 3;
            if (kind & 0x04)
                pos += 2 * (std::size_t(data) + 1);
            continue;
        }
        if (ptg == 0x1C || ptg == 0x1D) { pos += 1; continue; }
        if (ptg == 0x1E) { pos += 2; continue; }
        if (ptg == 0x1F) { pos += 8; continue; }
        if (ptg < 0x20)
            return true;
        switch ((ptg & 0x1F) | 0x20) {
        case 0x20: pos += 7; break;            // array constant (values follow the tokens)
        case 0x21: pos += 2; break;            // function
        case 0x22: pos += 3; break;            // function with argument count
        case 0x23: pos += 4; break;            // defined name
        case 0x24:                             // cell reference
            if (!has(4) || (!threeDOnly && readU16(tokens.data() + pos) >= row))
                return true;
            pos += 4;
            break;
        case 0x25:                             // area reference
            if (!has(8) || (!threeDOnly && readU16(tokens.data() + pos + 2) >= row))
                return true;
            pos += 8;
            break;
        case 0x26: case 0x27: case 0x28: pos += 6; break; // memory areas; their tokens follow
        case 0x29: pos += 2; break;
        case 0x2A: case 0x2C: pos += 4; break; // deleted or relative cell reference
        case 0x2B: case 0x2D: pos += 8; break;
        case 0x39: pos += 6; break;            // external name
        case 0x3A:                             // 3-D cell reference
            if (!has(6) || readU16(tokens.data() + pos + 2) >= row)
                return true;
            pos += 6;
            break;
        case 0x3B:                             // 3-D area reference
            if (!has(10) || readU16(tokens.data() + pos + 4) >= row)
                return true;
            pos += 10;
            break;
        case 0x3C: pos += 6; break;
        case 0x3D: pos += 10; break;
        default: return true;
        }
    }
    return false;
}

} // namespace workbook::xls
