#pragma once
// Windows-1252 as a plain table, for the parts that run before (or without) Qt.

#include <array>
#include <string>

namespace zimbrel {

// 0x80..0x9F are the only bytes that differ from Latin-1; the five bytes Windows leaves
// undefined map to the C1 control characters of the same number, so all 256 bytes round-trip.
inline constexpr std::array<char16_t, 32> kCp1252HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

inline char16_t cp1252ToUnicode(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kCp1252HighControls[byte - 0x80] : char16_t(byte);
}

// The UTF-8 form of Windows-1252 bytes.
inline std::string cp1252ToUtf8(const std::string &bytes)
{
    std::string utf8;
    utf8.reserve(bytes.size() * 3);
    for (char b : bytes) {
        const char16_t u = cp1252ToUnicode(static_cast<unsigned char>(b));
        if (u < 0x80) {
            utf8 += char(u);
        } else if (u < 0x800) {
            utf8 += char(0xC0 | (u >> 6));
            utf8 += char(0x80 | (u & 0x3F));
        } else {
            utf8 += char(0xE0 | (u >> 12));
            utf8 += char(0x80 | ((u >> 6) & 0x3F));
            utf8 += char(0x80 | (u & 0x3F));
        }
    }
    return utf8;
}

} // namespace zimbrel
