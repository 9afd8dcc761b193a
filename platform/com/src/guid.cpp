#include "helm/com/guid.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "helm/com/bstr.h"
#include "helm/com/registry.h"
#include "helm/com/unknown.h"

namespace helm::com {
namespace {

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads `digits` hexadecimal digits at `pos`; false on any other byte.
bool read_hex(std::string_view text, size_t pos, int digits, uint64_t& value)
{
    value = 0;
    for (int i = 0; i < digits; ++i) {
        int d = hex_digit(text[pos + size_t(i)]);
        if (d < 0)
            return false;
        value = value << 4 | uint64_t(d);
    }
    return true;
}

std::optional<GUID> parse_wide(LPCOLESTR text)
{
    if (!text)
        return std::nullopt;
    std::string narrow_text;
    for (size_t i = 0; text[i] && i < 64; ++i)
        narrow_text.push_back(text[i] < 0x80 ? char(text[i]) : '?');
    return parse_guid(narrow_text);
}

}  // namespace

std::string format_guid(const GUID& g)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", unsigned(g.Data1),
                  unsigned(g.Data2), unsigned(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

std::optional<GUID> parse_guid(std::string_view text)
{
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' ||
        text[19] != '-' || text[24] != '-')
        return std::nullopt;
    GUID g{};
    uint64_t v = 0;
    if (!read_hex(text, 1, 8, v))
        return std::nullopt;
    g.Data1 = DWORD(v);
    if (!read_hex(text, 10, 4, v))
        return std::nullopt;
    g.Data2 = WORD(v);
    if (!read_hex(text, 15, 4, v))
        return std::nullopt;
    g.Data3 = WORD(v);
    static constexpr size_t byte_pos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!read_hex(text, byte_pos[i], 2, v))
            return std::nullopt;
        g.Data4[i] = BYTE(v);
    }
    return g;
}

bool GuidLess::operator()(const GUID& a, const GUID& b) const
{
    if (a.Data1 != b.Data1)
        return a.Data1 < b.Data1;
    if (a.Data2 != b.Data2)
        return a.Data2 < b.Data2;
    if (a.Data3 != b.Data3)
        return a.Data3 < b.Data3;
    return std::memcmp(a.Data4, b.Data4, 8) < 0;
}

}  // namespace helm::com

int StringFromGUID2(REFGUID guid, LPOLESTR text, int size)
{
    if (!text || size < 39)
        return 0;
    std::string s = helm::com::format_guid(guid);
    for (size_t i = 0; i < s.size(); ++i)
        text[i] = OLECHAR(s[i]);
    text[s.size()] = 0;
    return 39;
}

HRESULT IIDFromString(LPCOLESTR text, LPIID iid)
{
    if (!iid)
        return E_INVALIDARG;
    auto g = helm::com::parse_wide(text);
    if (!g)
        return CO_E_CLASSSTRING;
    *iid = *g;
    return S_OK;
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid)
{
    if (!clsid)
        return E_INVALIDARG;
    if (auto g = helm::com::parse_wide(text)) {
        *clsid = *g;
        return S_OK;
    }
    if (text) {
        if (auto entry = helm::com::find_prog_id(helm::com::narrow(text))) {
            *clsid = entry->clsid;
            return S_OK;
        }
    }
    *clsid = CLSID_NULL;
    return CO_E_CLASSSTRING;
}

HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text)
{
    if (!text)
        return E_INVALIDARG;
    *text = static_cast<LPOLESTR>(CoTaskMemAlloc(39 * sizeof(OLECHAR)));
    if (!*text)
        return E_OUTOFMEMORY;
    StringFromGUID2(clsid, *text, 39);
    return S_OK;
}

LPVOID CoTaskMemAlloc(SIZE_T size) { return std::malloc(size ? size : 1); }
void CoTaskMemFree(LPVOID memory) { std::free(memory); }

HRESULT CoInitialize(LPVOID) { return S_OK; }
HRESULT CoInitializeEx(LPVOID, DWORD) { return S_OK; }
void CoUninitialize() {}
HRESULT OleInitialize(LPVOID) { return S_OK; }
void OleUninitialize() {}
