#include "helm/com/dispatch.h"

#include <algorithm>
#include <cstring>

#include "variant_internal.h"

namespace helm::com {
namespace {

using detail::scalar_size;

// What one argument needed beyond the caller's own value: a converted copy
// (owned), and where to write a by-reference output back.
struct Holder {
    VARIANT value;
    VARIANT* write_back = nullptr;
    Holder() { VariantInit(&value); }
};

// By-reference parameters that may be converted both ways: plain numbers,
// but not the 8-bit bytes (VT_I1/VT_UI1 references are text buffers).
bool convertible_reference(VARTYPE base)
{
    return base != VT_I1 && base != VT_UI1 && base != VT_ERROR && base != VT_HRESULT && base != VT_CY &&
           scalar_size(base) > 0;
}

HRESULT coerce(VARTYPE declared, VARIANT& actual, VARIANT& value, Holder& holder)
{
    VariantInit(&value);
    if (declared == VT_VARIANT) {
        VARIANT* target = actual.vt == (VT_VARIANT | VT_BYREF) ? actual.pvarVal : &actual;
        if (!target)
            return DISP_E_TYPEMISMATCH;
        value.vt = VT_VARIANT | VT_BYREF;
        value.pvarVal = target;
        return S_OK;
    }
    if (declared & VT_BYREF) {
        VARTYPE base = VARTYPE(declared & ~VT_BYREF);
        if (actual.vt == declared) {
            value = actual;
            return S_OK;
        }
        if (actual.vt == (VT_VARIANT | VT_BYREF) && actual.pvarVal && actual.pvarVal->vt == base) {
            value.vt = declared;
            value.byref = &actual.pvarVal->llVal;
            return S_OK;
        }
        VARTYPE actual_base = VARTYPE(actual.vt & ~VT_BYREF);
        if ((actual.vt & VT_BYREF) && actual.byref && convertible_reference(base) &&
            convertible_reference(actual_base)) {
            HRESULT hr = VariantChangeType(&holder.value, &actual, 0, base);
            if (FAILED(hr))
                return hr;
            holder.write_back = &actual;
            value.vt = declared;
            value.byref = &holder.value.llVal;
            return S_OK;
        }
        return DISP_E_TYPEMISMATCH;
    }
    HRESULT hr = VariantChangeType(&holder.value, &actual, 0, declared);
    if (FAILED(hr))
        return hr == E_INVALIDARG ? DISP_E_TYPEMISMATCH : hr;
    value = holder.value;
    return S_OK;
}

HRESULT write_back(Holder& holder)
{
    VARIANT* target = holder.write_back;
    VARTYPE base = VARTYPE(target->vt & ~VT_BYREF);
    VARIANT converted;
    VariantInit(&converted);
    HRESULT hr = VariantChangeType(&converted, &holder.value, 0, base);
    if (FAILED(hr))
        return hr;
    std::memcpy(target->byref, &converted.llVal, size_t(scalar_size(base)));
    return S_OK;
}

bool same_name(const OLECHAR* wide, const char* name)
{
    auto fold = [](unsigned c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
    size_t i = 0;
    for (; wide[i] && name[i]; ++i)
        if (fold(unsigned(wide[i])) != fold(static_cast<unsigned char>(name[i])))
            return false;
    return !wide[i] && !name[i];
}

}  // namespace

HRESULT invoke_shape(const MemberShape* shapes, size_t count, DISPID id, WORD flags, DISPPARAMS* params,
                     VARIANT* result, UINT* argError, size_t* chosen,
                     HRESULT (*run)(void* context, size_t chosen, Arguments& args, VARIANT& result), void* context)
{
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    const MemberShape* member = nullptr;
    for (size_t i = 0; i < count && !member; ++i) {
        if (shapes[i].id != id)
            continue;
        bool fits = put ? (shapes[i].kind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0
                        : (shapes[i].kind & flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0;
        if (fits) {
            member = &shapes[i];
            *chosen = i;
        }
    }
    if (!member)
        return DISP_E_MEMBERNOTFOUND;

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!params)
        params = &none;
    if (put) {
        if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTOPTIONAL;
    } else if (params->cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    const std::vector<VARTYPE>& declared = *member->params;
    const size_t n = declared.size();
    if (params->cArgs != n)
        return DISP_E_BADPARAMCOUNT;
    if (n && !params->rgvarg)
        return E_INVALIDARG;

    std::vector<VARIANT> values(n);
    std::vector<Holder> holders(n);
    auto release = [&] {
        for (auto& h : holders)
            VariantClear(&h.value);
    };
    for (size_t i = 0; i < n; ++i) {
        // Declared order is left to right; the caller's is right to left.
        size_t slot = n - 1 - i;
        HRESULT hr = coerce(declared[i], params->rgvarg[slot], values[i], holders[i]);
        if (FAILED(hr)) {
            release();
            if (argError)
                *argError = UINT(slot);
            return hr;
        }
    }

    Arguments args(values.data(), n);
    VARIANT out;
    VariantInit(&out);
    HRESULT hr = run(context, *chosen, args, out);
    for (size_t i = 0; i < n; ++i) {
        if (!holders[i].write_back)
            continue;
        HRESULT wb = write_back(holders[i]);
        if (FAILED(wb) && SUCCEEDED(hr)) {
            hr = wb;
            if (argError)
                *argError = UINT(n - 1 - i);
        }
    }
    release();
    if (result) {
        VariantInit(result);
        *result = out;
    } else {
        VariantClear(&out);
    }
    return hr;
}

HRESULT ids_of_names(const MemberShape* shapes, size_t count, LPOLESTR* names, UINT n, DISPID* ids)
{
    if (!names || !ids)
        return E_POINTER;
    if (n == 0)
        return S_OK;
    for (UINT i = 0; i < n; ++i)
        ids[i] = DISPID_UNKNOWN;
    if (!names[0])
        return DISP_E_UNKNOWNNAME;
    for (size_t i = 0; i < count; ++i) {
        if (same_name(names[0], shapes[i].name)) {
            ids[0] = shapes[i].id;
            // Parameter names are not carried.
            return n == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

namespace {

VARIANT make(VARTYPE vt)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    return v;
}

}  // namespace

VARIANT arg_i2(SHORT x) { VARIANT v = make(VT_I2); v.iVal = x; return v; }
VARIANT arg_ui2(USHORT x) { VARIANT v = make(VT_UI2); v.uiVal = x; return v; }
VARIANT arg_i4(LONG x) { VARIANT v = make(VT_I4); v.lVal = x; return v; }
VARIANT arg_ui4(ULONG x) { VARIANT v = make(VT_UI4); v.ulVal = x; return v; }
VARIANT arg_r4(FLOAT x) { VARIANT v = make(VT_R4); v.fltVal = x; return v; }
VARIANT arg_r8(DOUBLE x) { VARIANT v = make(VT_R8); v.dblVal = x; return v; }
VARIANT arg_bool(bool x) { VARIANT v = make(VT_BOOL); v.boolVal = x ? VARIANT_TRUE : VARIANT_FALSE; return v; }
VARIANT arg_date(DATE x) { VARIANT v = make(VT_DATE); v.date = x; return v; }
VARIANT arg_bstr(BSTR x) { VARIANT v = make(VT_BSTR); v.bstrVal = x; return v; }
VARIANT arg_text(char* x) { VARIANT v = make(VT_I1 | VT_BYREF); v.pcVal = x; return v; }
VARIANT arg_ref(SHORT* p) { VARIANT v = make(VT_I2 | VT_BYREF); v.piVal = p; return v; }
VARIANT arg_ref(USHORT* p) { VARIANT v = make(VT_UI2 | VT_BYREF); v.puiVal = p; return v; }
VARIANT arg_ref(LONG* p) { VARIANT v = make(VT_I4 | VT_BYREF); v.plVal = p; return v; }
VARIANT arg_ref(ULONG* p) { VARIANT v = make(VT_UI4 | VT_BYREF); v.pulVal = p; return v; }
VARIANT arg_ref(DOUBLE* p) { VARIANT v = make(VT_R8 | VT_BYREF); v.pdblVal = p; return v; }
VARIANT arg_bool_ref(VARIANT_BOOL* p) { VARIANT v = make(VT_BOOL | VT_BYREF); v.pboolVal = p; return v; }
VARIANT arg_ref(BSTR* p) { VARIANT v = make(VT_BSTR | VT_BYREF); v.pbstrVal = p; return v; }
VARIANT arg_ref(VARIANT* p) { VARIANT v = make(VT_VARIANT | VT_BYREF); v.pvarVal = p; return v; }

HRESULT invoke_by_id(IDispatch* target, DISPID id, WORD flags, std::span<const VARIANT> args, VARIANT* result,
                     UINT* argError)
{
    if (!target)
        return E_POINTER;
    if (result)
        VariantClear(result);
    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), put ? &named : nullptr, UINT(reversed.size()),
                      put ? 1u : 0u};
    UINT slot = 0;
    HRESULT hr = target->Invoke(id, IID_NULL, 0x400, flags, &params, result, nullptr, &slot);
    if (FAILED(hr) && argError && slot < reversed.size())
        *argError = UINT(reversed.size() - 1 - slot);
    return hr;
}

}  // namespace helm::com
