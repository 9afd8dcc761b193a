// Automation strings: UTF-16 with their length in bytes stored just before
// the first character, and a terminating zero that the length leaves out.
// A null BSTR is the empty string for every function here.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "helm/com/guid.h"

typedef OLECHAR* BSTR;
typedef BSTR* LPBSTR;

// Null when the memory cannot be had or the length is beyond 2^30 units.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);  // null text: zeros
BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length);     // bytes as they are
INT SysReAllocString(BSTR* target, const OLECHAR* text);
INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

namespace helm::com {

// The system's 8-bit text is Windows-1252. Every byte maps to one UTF-16
// unit (the five bytes 1252 leaves undefined map to the control characters
// of the same number); a unit with no 1252 byte becomes '?'.
std::u16string widen(std::string_view text);
std::string narrow(std::u16string_view text);
BSTR bstr_from_text(std::string_view text);
std::string text_from_bstr(BSTR text);
std::u16string_view view(BSTR text);

// Owns one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::string_view text) : m_s(bstr_from_text(text)) {}
    explicit Bstr(std::u16string_view text)
        : m_s(SysAllocStringLen(text.data(), UINT(text.size())))
    {
    }
    Bstr(const Bstr& other) : m_s(SysAllocStringLen(other.m_s, SysStringLen(other.m_s))) {}
    Bstr(Bstr&& other) noexcept : m_s(other.m_s) { other.m_s = nullptr; }
    Bstr& operator=(Bstr other) noexcept
    {
        std::swap(m_s, other.m_s);
        return *this;
    }
    ~Bstr() { SysFreeString(m_s); }

    static Bstr adopt(BSTR s)
    {
        Bstr b;
        b.m_s = s;
        return b;
    }
    BSTR get() const { return m_s; }
    BSTR* put()
    {
        SysFreeString(m_s);
        m_s = nullptr;
        return &m_s;
    }
    BSTR detach() { return std::exchange(m_s, nullptr); }
    std::string text() const { return text_from_bstr(m_s); }
    UINT length() const { return SysStringLen(m_s); }

private:
    BSTR m_s = nullptr;
};

}  // namespace helm::com
