// Windows-1252, the code page of every 8-bit string of the suite, against
// UTF-16. Shared by the resource compiler (script text to UTF-16) and the
// runtime (UTF-16 resource strings back to 8-bit text).
#pragma once

#include <cstdint>

namespace helm::user::codepage {

// 0x80 to 0x9F are the only bytes that differ from Latin-1. The five holes
// of the code page (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of
// the same number, so every byte goes there and back unchanged.
inline constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

inline char16_t to_unicode(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kHigh[byte - 0x80];
    return byte;
}

// The byte of a code point, or -1 when the code page has none.
inline int from_unicode(char32_t code)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<int>(code);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == code)
            return 0x80 + i;
    return -1;
}

}  // namespace helm::user::codepage
