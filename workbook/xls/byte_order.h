#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// Little-endian reads and writes over raw byte buffers; the caller has checked the bounds.
namespace workbook::xls {

inline std::uint16_t readU16(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint16_t(b[0] | (b[1] << 8));
}

inline std::uint32_t readU32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16)
        | (std::uint32_t(b[3]) << 24);
}

inline double readF64(const char* p)
{
    std::uint64_t bits = std::uint64_t(readU32(p)) | (std::uint64_t(readU32(p + 4)) << 32);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

inline void writeU16(char* p, std::uint16_t v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

inline void writeU32(char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

inline void appendU16(std::string& out, std::uint16_t v)
{
    char b[2];
    writeU16(b, v);
    out.append(b, 2);
}

inline void appendU32(std::string& out, std::uint32_t v)
{
    char b[4];
    writeU32(b, v);
    out.append(b, 4);
}

inline void appendF64(std::string& out, double d)
{
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof d);
    appendU32(out, std::uint32_t(bits));
    appendU32(out, std::uint32_t(bits >> 32));
}

} // namespace workbook::xls
