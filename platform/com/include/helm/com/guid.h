// Class and interface identities: 128-bit GUIDs, read and written in the
// registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "helm/com/hresult.h"

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef IID* LPIID;
typedef CLSID* LPCLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;
typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

constexpr bool operator==(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}
inline BOOL IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
inline BOOL IsEqualIID(REFIID a, REFIID b) { return a == b; }
inline BOOL IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr CLSID CLSID_NULL = GUID_NULL;

// Text forms, wide as on Windows. StringFromGUID2 writes 39 characters with
// the terminator and returns that count, or 0 when the buffer is smaller.
int StringFromGUID2(REFGUID guid, LPOLESTR text, int size);
// The registry form only (braces required); CO_E_CLASSSTRING otherwise.
HRESULT IIDFromString(LPCOLESTR text, LPIID iid);
// The registry form, or a ProgID of a registered class.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
// Allocates the text with CoTaskMemAlloc; the caller frees it.
HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text);
#define StringFromIID StringFromCLSID

namespace helm::com {

// "{...}" with upper-case hexadecimal digits.
std::string format_guid(const GUID& guid);
// Exactly the registry form, in either case; anything else is nullopt.
std::optional<GUID> parse_guid(std::string_view text);

// A strict weak order, for maps keyed by identity.
struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const;
};

}  // namespace helm::com
