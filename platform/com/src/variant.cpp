#include "helm/com/variant.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "helm/com/dispatch.h"
#include "helm/com/oledate.h"
#include "variant_internal.h"

int helm::com::detail::scalar_size(VARTYPE vt)
{
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
        return 0;
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
    case VT_HRESULT:
        return 4;
    case VT_R8:
    case VT_DATE:
    case VT_I8:
    case VT_UI8:
    case VT_CY:
        return 8;
    default:
        return -1;
    }
}

namespace {

using helm::com::detail::scalar_size;

bool is_interface(VARTYPE vt) { return vt == VT_DISPATCH || vt == VT_UNKNOWN; }

bool known(VARTYPE vt) { return vt == VT_BSTR || is_interface(vt) || vt == VT_VARIANT || scalar_size(vt) >= 0; }

// The value a variant holds or points to, as a by-value variant that owns
// nothing (its string or interface is still the source's).
HRESULT shallow_value(const VARIANT* src, VARIANT& out)
{
    VariantInit(&out);
    if (!(src->vt & VT_BYREF)) {
        out = *src;
        return S_OK;
    }
    VARTYPE base = VARTYPE(src->vt & ~VT_BYREF);
    if (!src->byref)
        return E_INVALIDARG;
    if (base == VT_VARIANT) {
        const VARIANT* inner = src->pvarVal;
        if (inner->vt & VT_BYREF)
            return DISP_E_BADVARTYPE;
        out = *inner;
        return S_OK;
    }
    if (base == VT_BSTR) {
        out.vt = VT_BSTR;
        out.bstrVal = *src->pbstrVal;
        return S_OK;
    }
    if (is_interface(base)) {
        out.vt = base;
        out.punkVal = *src->ppunkVal;
        return S_OK;
    }
    int size = scalar_size(base);
    if (size <= 0)
        return DISP_E_BADVARTYPE;
    out.vt = base;
    std::memcpy(&out.llVal, src->byref, size_t(size));
    return S_OK;
}

// A deep copy of a by-value variant.
HRESULT deep_copy(VARIANT& dest, const VARIANT& value)
{
    dest = value;
    if (value.vt == VT_BSTR && value.bstrVal) {
        dest.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(value.bstrVal), SysStringByteLen(value.bstrVal));
        if (!dest.bstrVal) {
            VariantInit(&dest);
            return E_OUTOFMEMORY;
        }
    } else if (is_interface(value.vt) && value.punkVal) {
        value.punkVal->AddRef();
    }
    return S_OK;
}

// A number on its way between types. long double holds every 64-bit
// integer exactly.
struct Number {
    long double value = 0;
    bool fractional = false;  // came from a floating type or text: round
};

HRESULT number_of(const VARIANT& v, Number& n)
{
    switch (v.vt) {
    case VT_EMPTY: n.value = 0; return S_OK;
    case VT_I1: n.value = v.cVal; return S_OK;
    case VT_UI1: n.value = v.bVal; return S_OK;
    case VT_I2: n.value = v.iVal; return S_OK;
    case VT_UI2: n.value = v.uiVal; return S_OK;
    case VT_BOOL: n.value = v.boolVal ? -1 : 0; return S_OK;
    case VT_I4: n.value = v.lVal; return S_OK;
    case VT_UI4: n.value = v.ulVal; return S_OK;
    case VT_INT: n.value = v.intVal; return S_OK;
    case VT_UINT: n.value = v.uintVal; return S_OK;
    case VT_I8: n.value = v.llVal; return S_OK;
    case VT_UI8: n.value = v.ullVal; return S_OK;
    case VT_R4: n.value = v.fltVal; n.fractional = true; return S_OK;
    case VT_R8: n.value = v.dblVal; n.fractional = true; return S_OK;
    case VT_DATE: n.value = v.date; n.fractional = true; return S_OK;
    default: return DISP_E_TYPEMISMATCH;
    }
}

// Text to a number: optional blanks and sign, digits with at most one
// point, an optional exponent. No hexadecimal, infinity or NaN.
HRESULT parse_number(std::string_view s, Number& n)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    if (s.empty() || s.size() > 400)
        return DISP_E_TYPEMISMATCH;
    size_t i = 0, digits = 0;
    if (s[i] == '+' || s[i] == '-')
        ++i;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9')
            ++digits;
        else if (s[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0)
        return DISP_E_TYPEMISMATCH;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1, exp_digits = 0;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        for (; j < s.size() && s[j] >= '0' && s[j] <= '9'; ++j)
            ++exp_digits;
        if (exp_digits == 0)
            return DISP_E_TYPEMISMATCH;
        i = j;
    }
    if (i != s.size())
        return DISP_E_TYPEMISMATCH;
    std::string copy(s);
    n.value = std::strtold(copy.c_str(), nullptr);
    if (!std::isfinite(n.value))
        return DISP_E_OVERFLOW;
    n.fractional = true;
    return S_OK;
}

bool equals_ignoring_case(std::string_view a, const char* b)
{
    size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char c = a[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
        if (c != b[i])
            return false;
    }
    return true;
}

template <class T>
HRESULT to_integer(const Number& n, T& out)
{
    long double v = n.fractional ? std::nearbyintl(n.value) : n.value;
    if (!(v >= static_cast<long double>(std::numeric_limits<T>::min()) &&
          v <= static_cast<long double>(std::numeric_limits<T>::max())))
        return DISP_E_OVERFLOW;
    out = static_cast<T>(v);
    return S_OK;
}

HRESULT from_number(const Number& n, VARTYPE type, VARIANT& out)
{
    out.vt = type;
    switch (type) {
    case VT_I1: return to_integer(n, out.cVal);
    case VT_UI1: return to_integer(n, out.bVal);
    case VT_I2: return to_integer(n, out.iVal);
    case VT_UI2: return to_integer(n, out.uiVal);
    case VT_I4: return to_integer(n, out.lVal);
    case VT_UI4: return to_integer(n, out.ulVal);
    case VT_INT: return to_integer(n, out.intVal);
    case VT_UINT: return to_integer(n, out.uintVal);
    case VT_I8: return to_integer(n, out.llVal);
    case VT_UI8: return to_integer(n, out.ullVal);
    case VT_BOOL: out.boolVal = n.value != 0 ? VARIANT_TRUE : VARIANT_FALSE; return S_OK;
    case VT_R4:
        if (std::isnan(n.value) || std::fabs(n.value) > FLT_MAX)
            return DISP_E_OVERFLOW;
        out.fltVal = float(n.value);
        return S_OK;
    case VT_R8:
        if (std::isnan(n.value) || std::fabs(n.value) > DBL_MAX)
            return DISP_E_OVERFLOW;
        out.dblVal = double(n.value);
        return S_OK;
    case VT_DATE:
        if (!(n.value > -657435.0L && n.value < 2958466.0L))
            return DISP_E_OVERFLOW;
        out.date = double(n.value);
        return S_OK;
    default: return DISP_E_BADVARTYPE;
    }
}

std::string text_of_number(const VARIANT& v, USHORT flags)
{
    char buf[64];
    switch (v.vt) {
    case VT_BOOL:
        if (flags & VARIANT_ALPHABOOL)
            return v.boolVal ? "True" : "False";
        return v.boolVal ? "-1" : "0";
    case VT_R4: std::snprintf(buf, sizeof buf, "%.7G", double(v.fltVal)); return buf;
    case VT_R8: std::snprintf(buf, sizeof buf, "%.15G", v.dblVal); return buf;
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UINT: case VT_UI8: {
        Number n;
        number_of(v, n);
        std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(n.value));
        return buf;
    }
    default: {
        Number n;
        number_of(v, n);
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(n.value));
        return buf;
    }
    }
}

// Converts a by-value, unowned `value` into a fresh owned variant.
HRESULT convert(const VARIANT& value, USHORT flags, VARTYPE type, VARIANT& out)
{
    VariantInit(&out);
    if (type == value.vt)
        return deep_copy(out, value);
    if (type == VT_EMPTY)
        return S_OK;
    if (type == VT_NULL) {
        out.vt = VT_NULL;
        return S_OK;
    }
    if (value.vt == VT_NULL || value.vt == VT_ERROR)
        return DISP_E_TYPEMISMATCH;
    if (is_interface(type) || is_interface(value.vt)) {
        if (type == VT_UNKNOWN && value.vt == VT_DISPATCH) {
            out.vt = VT_UNKNOWN;
            out.punkVal = value.punkVal;
            if (out.punkVal)
                out.punkVal->AddRef();
            return S_OK;
        }
        return DISP_E_TYPEMISMATCH;
    }
    if (type == VT_BSTR) {
        std::string text;
        if (value.vt == VT_DATE) {
            HRESULT hr = VarBstrFromDate(value.date, 0, 0, &out.bstrVal);
            if (SUCCEEDED(hr))
                out.vt = VT_BSTR;
            return hr;
        }
        if (value.vt != VT_EMPTY)
            text = text_of_number(value, flags);
        out.bstrVal = helm::com::bstr_from_text(text);
        if (!out.bstrVal)
            return E_OUTOFMEMORY;
        out.vt = VT_BSTR;
        return S_OK;
    }
    Number n;
    if (value.vt == VT_BSTR) {
        std::string text = helm::com::text_from_bstr(value.bstrVal);
        if (type == VT_DATE) {
            out.vt = VT_DATE;
            std::u16string wide = helm::com::widen(text);
            return VarDateFromStr(wide.c_str(), 0, 0, &out.date);
        }
        if (type == VT_BOOL) {
            std::string_view t = text;
            while (!t.empty() && t.front() == ' ')
                t.remove_prefix(1);
            while (!t.empty() && t.back() == ' ')
                t.remove_suffix(1);
            if (equals_ignoring_case(t, "TRUE") || equals_ignoring_case(t, "FALSE")) {
                out.vt = VT_BOOL;
                out.boolVal = equals_ignoring_case(t, "TRUE") ? VARIANT_TRUE : VARIANT_FALSE;
                return S_OK;
            }
        }
        HRESULT hr = parse_number(text, n);
        if (FAILED(hr))
            return hr;
    } else {
        HRESULT hr = number_of(value, n);
        if (FAILED(hr))
            return hr;
    }
    HRESULT hr = from_number(n, type, out);
    if (FAILED(hr))
        VariantInit(&out);
    return hr;
}

}  // namespace

void VariantInit(VARIANTARG* v)
{
    if (!v)
        return;
    std::memset(v, 0, sizeof *v);
    v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* v)
{
    if (!v)
        return E_INVALIDARG;
    if (!(v->vt & VT_BYREF)) {
        if (!known(v->vt) || v->vt == VT_VARIANT)
            return DISP_E_BADVARTYPE;
        if (v->vt == VT_BSTR)
            SysFreeString(v->bstrVal);
        else if (is_interface(v->vt) && v->punkVal)
            v->punkVal->Release();
    } else if (!known(VARTYPE(v->vt & ~VT_BYREF))) {
        return DISP_E_BADVARTYPE;
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (dest == src)
        return S_OK;
    VARTYPE base = VARTYPE(src->vt & ~VT_BYREF);
    if (!known(base) || (base == VT_VARIANT && !(src->vt & VT_BYREF)))
        return DISP_E_BADVARTYPE;
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr))
        return hr;
    if (src->vt & VT_BYREF) {
        *dest = *src;
        return S_OK;
    }
    return deep_copy(*dest, *src);
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    VARIANT value;
    HRESULT hr = shallow_value(src, value);
    if (FAILED(hr))
        return hr;
    VARIANT copy;
    hr = deep_copy(copy, value);
    if (FAILED(hr))
        return hr;
    if (dest != src) {
        hr = VariantClear(dest);
        if (FAILED(hr)) {
            VariantClear(&copy);
            return hr;
        }
    } else if (!(src->vt & VT_BYREF)) {
        VariantClear(dest);
    }
    *dest = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE type)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if ((type & (VT_BYREF | VT_ARRAY)) || type == VT_VARIANT || !known(type))
        return DISP_E_BADVARTYPE;
    VARIANT value;
    HRESULT hr = shallow_value(src, value);
    if (FAILED(hr))
        return hr;
    if (!known(value.vt) || value.vt == VT_VARIANT)
        return DISP_E_BADVARTYPE;
    VARIANT out;
    hr = convert(value, flags, type, out);
    if (FAILED(hr))
        return hr;
    // Only now may the source go, as dest may be src.
    if (dest == src && (src->vt & VT_BYREF))
        VariantInit(dest);
    else
        VariantClear(dest);
    *dest = out;
    return S_OK;
}

HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* src, LCID, USHORT flags, VARTYPE type)
{
    return VariantChangeType(dest, src, flags, type);
}
