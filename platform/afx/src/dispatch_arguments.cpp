#include "helm/afx/dispatch_arguments.h"

#include <cstring>
#include <vector>

#include "helm/afx/CWnd.h"
#include "helm/kernel/trace.h"
#include "control_container.h"

namespace helm::afx {
namespace {

// Whether a pointer to `pointee` may stand for a reference to `type`.
bool reference_fits(VARTYPE type, VARTYPE pointee)
{
    return type == pointee || (type == VT_BOOL && pointee == VT_I2) || (type == VT_DATE && pointee == VT_R8);
}

template <class T>
void put_number(VARIANT& out, VARTYPE vt, T value)
{
    out.vt = vt;
    switch (vt) {
    case VT_I1: out.cVal = static_cast<CHAR>(value); break;
    case VT_UI1: out.bVal = static_cast<BYTE>(value); break;
    case VT_I2: out.iVal = static_cast<SHORT>(value); break;
    case VT_UI2: out.uiVal = static_cast<USHORT>(value); break;
    case VT_I4: out.lVal = static_cast<LONG>(value); break;
    case VT_UI4: out.ulVal = static_cast<ULONG>(value); break;
    case VT_R4: out.fltVal = static_cast<FLOAT>(value); break;
    case VT_R8: out.dblVal = static_cast<DOUBLE>(value); break;
    case VT_DATE: out.date = static_cast<DATE>(value); break;
    default: out.vt = VT_EMPTY; break;
    }
}

bool is_integer_type(VARTYPE vt)
{
    return vt == VT_I1 || vt == VT_UI1 || vt == VT_I2 || vt == VT_UI2 || vt == VT_I4 || vt == VT_UI4;
}

// A call's result, converted to `vt`, into the caller's storage of that type.
void store_result(VARIANT& result, VARTYPE vt, void* out)
{
    if (vt == VT_VARIANT) {
        VariantCopy(static_cast<VARIANT*>(out), &result);
        return;
    }
    helm::com::Variant v;
    if (FAILED(VariantChangeType(&v, &result, 0, vt))) {
        helm::kernel::trace("InvokeHelper: the result is no %u\n", vt);
        return;
    }
    switch (vt) {
    case VT_I1: *static_cast<CHAR*>(out) = v.cVal; break;
    case VT_UI1: *static_cast<BYTE*>(out) = v.bVal; break;
    case VT_I2: *static_cast<SHORT*>(out) = v.iVal; break;
    case VT_UI2: *static_cast<USHORT*>(out) = v.uiVal; break;
    case VT_I4: *static_cast<LONG*>(out) = v.lVal; break;
    case VT_UI4: *static_cast<ULONG*>(out) = v.ulVal; break;
    case VT_R4: *static_cast<FLOAT*>(out) = v.fltVal; break;
    case VT_R8: *static_cast<DOUBLE*>(out) = v.dblVal; break;
    case VT_DATE: *static_cast<DATE*>(out) = v.date; break;
    case VT_BOOL: *static_cast<BOOL*>(out) = v.boolVal != 0; break;
    case VT_BSTR: *static_cast<CString*>(out) = helm::com::text_from_bstr(v.bstrVal).c_str(); break;
    default: helm::kernel::trace("InvokeHelper: results of type %u are not taken\n", vt); break;
    }
}

}  // namespace

bool DispatchArgument::to_variant(VARTYPE vt, VARIANT& out, helm::com::Bstr& keep) const
{
    VariantInit(&out);
    if (vt & VT_BYREF) {
        const VARTYPE type = vt & ~VT_BYREF;
        const bool fits = (type == VT_I1 && m_kind == Kind::text) ||
                          (m_kind == Kind::reference && (!m_pointer || reference_fits(type, m_pointee)));
        if (!fits)
            return false;
        out.vt = vt;
        out.byref = m_pointer;
        return true;
    }
    switch (m_kind) {
    case Kind::integer:
        if (vt == VT_BOOL) {
            out.vt = VT_BOOL;
            out.boolVal = m_integer ? VARIANT_TRUE : VARIANT_FALSE;
            return true;
        }
        if (vt == VT_VARIANT)
            vt = VT_I4;
        put_number(out, vt, m_integer);
        return out.vt != VT_EMPTY;
    case Kind::real:
        // A fraction is never cut to an integer unseen.
        if (is_integer_type(vt) || vt == VT_BOOL)
            return false;
        put_number(out, vt == VT_VARIANT ? VARTYPE{VT_R8} : vt, m_real);
        return out.vt != VT_EMPTY;
    case Kind::text:
        if (vt != VT_BSTR && vt != VT_VARIANT)
            return false;
        keep = helm::com::Bstr(std::string_view(m_pointer ? static_cast<const char*>(m_pointer) : ""));
        out.vt = VT_BSTR;
        out.bstrVal = keep.get();
        return true;
    case Kind::variant:
        if (vt != VT_VARIANT)
            return false;
        out = *static_cast<const VARIANT*>(m_pointer);  // the caller's value, not owned here
        return true;
    default:
        return false;
    }
}

}  // namespace helm::afx

void CWnd::invoke_helper(DISPID id, WORD flags, VARTYPE vtRet, void* pvRet, const BYTE* paramInfo,
                         const helm::afx::DispatchArgument* args, size_t count) const
{
    helm::afx::ControlSite* site = control_site();
    if (!site || !site->dispatch) {
        helm::kernel::trace("InvokeHelper: no control to call with %ld\n", static_cast<long>(id));
        return;
    }
    const size_t listed = paramInfo ? std::strlen(reinterpret_cast<const char*>(paramInfo)) : 0;
    if (listed != count) {
        helm::kernel::trace("InvokeHelper: %zu arguments for a list of %zu\n", count, listed);
        return;
    }
    std::vector<VARIANT> values(count);
    std::vector<helm::com::Bstr> kept(count);
    for (size_t i = 0; i < count; ++i) {
        if (!args[i].to_variant(helm::afx::vts_type(paramInfo[i]), values[i], kept[i])) {
            helm::kernel::trace("InvokeHelper: argument %zu of %ld does not fit its code\n", i + 1,
                                static_cast<long>(id));
            return;
        }
    }
    helm::com::Variant result;
    HRESULT hr = helm::com::invoke_by_id(site->dispatch.get(), id, flags, values, &result);
    if (FAILED(hr)) {
        helm::kernel::trace("InvokeHelper: the control refused %ld (0x%08X)\n", static_cast<long>(id),
                            static_cast<unsigned>(hr));
        return;
    }
    if (vtRet != VT_EMPTY && pvRet)
        helm::afx::store_result(result, vtRet, pvRet);
}

void CWnd::GetProperty(DISPID id, VARTYPE vtProp, void* pvProp) const
{
    invoke_helper(id, DISPATCH_PROPERTYGET, vtProp, pvProp, nullptr, nullptr, 0);
}
