#include "helm/com/bstr.h"

#include <cstdlib>
#include <cstring>

namespace {

// Units beyond this are refused, so that a length in bytes always fits the
// 32-bit prefix with room to spare.
constexpr UINT max_units = 1u << 30;

// The block: 4 bytes of padding, the 32-bit byte length, the text, a
// 16-bit zero. The padding keeps the text 8-byte aligned.
constexpr size_t header = 8;

BSTR allocate_bytes(const void* bytes, UINT byteLength)
{
    if (byteLength > max_units * 2)
        return nullptr;
    auto* block = static_cast<char*>(std::malloc(header + size_t(byteLength) + 2));
    if (!block)
        return nullptr;
    uint32_t length = byteLength;
    std::memcpy(block + header - 4, &length, 4);
    if (bytes)
        std::memcpy(block + header, bytes, byteLength);
    else
        std::memset(block + header, 0, byteLength);
    block[header + byteLength] = 0;
    block[header + byteLength + 1] = 0;
    return reinterpret_cast<BSTR>(block + header);
}

size_t units_of(const OLECHAR* text)
{
    size_t n = 0;
    while (text[n])
        ++n;
    return n;
}

// 0x80 to 0x9F of Windows-1252; undefined bytes map to themselves.
constexpr char16_t high_1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char to_1252(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    for (int i = 0; i < 32; ++i)
        if (high_1252[i] == u)
            return char(0x80 + i);
    return '?';
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    size_t n = units_of(text);
    if (n > max_units)
        return nullptr;
    return allocate_bytes(text, UINT(n * 2));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    if (length > max_units)
        return nullptr;
    return allocate_bytes(text, length * 2);
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length) { return allocate_bytes(bytes, length); }

INT SysReAllocString(BSTR* target, const OLECHAR* text)
{
    if (!target)
        return FALSE;
    BSTR fresh = SysAllocString(text ? text : u"");
    if (!fresh)
        return FALSE;
    SysFreeString(*target);
    *target = fresh;
    return TRUE;
}

INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length)
{
    if (!target)
        return FALSE;
    BSTR fresh = SysAllocStringLen(text, length);
    if (!fresh)
        return FALSE;
    SysFreeString(*target);
    *target = fresh;
    return TRUE;
}

void SysFreeString(BSTR text)
{
    if (text)
        std::free(reinterpret_cast<char*>(text) - header);
}

UINT SysStringByteLen(BSTR text)
{
    if (!text)
        return 0;
    uint32_t length = 0;
    std::memcpy(&length, reinterpret_cast<char*>(text) - 4, 4);
    return length;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / 2; }

namespace helm::com {

std::u16string widen(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        out.push_back(b >= 0x80 && b < 0xA0 ? high_1252[b - 0x80] : char16_t(b));
    }
    return out;
}

std::string narrow(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t u : text)
        out.push_back(to_1252(u));
    return out;
}

BSTR bstr_from_text(std::string_view text)
{
    if (text.size() > max_units)
        return nullptr;
    std::u16string wide = widen(text);
    return SysAllocStringLen(wide.data(), UINT(wide.size()));
}

std::u16string_view view(BSTR text) { return text ? std::u16string_view(text, SysStringLen(text)) : u""; }

std::string text_from_bstr(BSTR text) { return narrow(view(text)); }

}  // namespace helm::com
