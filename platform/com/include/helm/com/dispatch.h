// Calls by dispatch id. Arguments travel right to left: rgvarg[0] is the
// last argument, rgvarg[cArgs - 1] the first. A property put passes its new
// value in rgvarg[0], named DISPID_PROPERTYPUT, with any index arguments
// after it (still right to left), so an indexed put (mask, value) arrives
// as rgvarg = {value, mask}. Invoke returns the member's own result as it
// stands, S_FALSE included. As on Windows, the caller's result variant must
// be empty on entry: Invoke writes over it.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "helm/com/variant.h"

#define DISPATCH_METHOD 0x1
#define DISPATCH_PROPERTYGET 0x2
#define DISPATCH_PROPERTYPUT 0x4
#define DISPATCH_PROPERTYPUTREF 0x8

#define DISPID_UNKNOWN ((DISPID)-1)
#define DISPID_VALUE ((DISPID)0)
#define DISPID_PROPERTYPUT ((DISPID)-3)

struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    PVOID pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

// Type information is not carried: GetTypeInfoCount gives 0.
struct ITypeInfo;

struct IDispatch : IUnknown {
    static constexpr IID iid = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    using base_interface = IUnknown;
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID member, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argError) = 0;

protected:
    ~IDispatch() = default;
};
typedef IDispatch* LPDISPATCH;
inline constexpr IID IID_IDispatch = IDispatch::iid;

namespace helm::com {

// The arguments of one call, coerced to the member's declared types and in
// declared order (left to right). 8-bit text is VT_I1 | VT_BYREF: a pointer
// to the caller's zero-terminated buffer, which the member may write.
class Arguments {
public:
    Arguments(VARIANT* values, size_t count) : m_values(values), m_count(count) {}
    size_t size() const { return m_count; }
    VARIANT& operator[](size_t i) { return m_values[i]; }

    SHORT i2(size_t i) const { return m_values[i].iVal; }
    USHORT ui2(size_t i) const { return m_values[i].uiVal; }
    LONG i4(size_t i) const { return m_values[i].lVal; }
    ULONG ui4(size_t i) const { return m_values[i].ulVal; }
    FLOAT r4(size_t i) const { return m_values[i].fltVal; }
    DOUBLE r8(size_t i) const { return m_values[i].dblVal; }
    VARIANT_BOOL boolean(size_t i) const { return m_values[i].boolVal; }
    DATE date(size_t i) const { return m_values[i].date; }
    BSTR bstr(size_t i) const { return m_values[i].bstrVal; }
    char* text(size_t i) const { return m_values[i].pcVal; }
    // A VT_VARIANT parameter: the caller's value.
    VARIANT* variant(size_t i) const { return m_values[i].pvarVal; }
    // Any by-reference parameter, as the pointer it is.
    template <class T>
    T* ref(size_t i) const
    {
        return static_cast<T*>(m_values[i].byref);
    }

private:
    VARIANT* m_values;
    size_t m_count;
};

// One member of a dispatch interface: its id, how it is called, and the
// declared types of its parameters, left to right (a put's value last).
// `result` is the type a get returns (VT_EMPTY for none); the handler
// writes the result with that type.
template <class Interface>
struct DispatchMember {
    DISPID id;
    WORD kind;
    const char* name;
    std::vector<VARTYPE> params;
    VARTYPE result;
    HRESULT (*call)(Interface& self, Arguments& args, VARIANT& result);
};

// The untyped core of a dispatch table.
struct MemberShape {
    DISPID id;
    WORD kind;
    const char* name;
    const std::vector<VARTYPE>* params;
    VARTYPE result;
};
// Finds the member for (id, flags), coerces the arguments, calls `run`
// with them and writes outputs back; the result of `run` is Invoke's.
HRESULT invoke_shape(const MemberShape* shapes, size_t count, DISPID id, WORD flags, DISPPARAMS* params,
                     VARIANT* result, UINT* argError, size_t* chosen,
                     HRESULT (*run)(void* context, size_t chosen, Arguments& args, VARIANT& result), void* context);
HRESULT ids_of_names(const MemberShape* shapes, size_t count, LPOLESTR* names, UINT n, DISPID* ids);

// A dispatch interface's table of members.
template <class Interface>
class DispatchTable {
public:
    explicit DispatchTable(std::vector<DispatchMember<Interface>> members) : m_members(std::move(members))
    {
        for (const auto& m : m_members)
            m_shapes.push_back({m.id, m.kind, m.name, &m.params, m.result});
    }
    HRESULT invoke(Interface& self, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                   UINT* argError) const
    {
        Context c{this, &self};
        size_t chosen = 0;
        return invoke_shape(m_shapes.data(), m_shapes.size(), id, flags, params, result, argError, &chosen,
                            &Context::run, &c);
    }
    HRESULT names(LPOLESTR* names, UINT n, DISPID* ids) const
    {
        return ids_of_names(m_shapes.data(), m_shapes.size(), names, n, ids);
    }

private:
    struct Context {
        const DispatchTable* table;
        Interface* self;
        static HRESULT run(void* context, size_t chosen, Arguments& args, VARIANT& result)
        {
            auto* c = static_cast<Context*>(context);
            return c->table->m_members[chosen].call(*c->self, args, result);
        }
    };
    std::vector<DispatchMember<Interface>> m_members;
    std::vector<MemberShape> m_shapes;
};

// IDispatch's type information, for objects that carry none: a dual
// interface's implementation, an event sink that answers Invoke itself.
template <class Interface>
class WithoutTypeInfo : public Interface {
public:
    HRESULT GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
};

// Implements IDispatch for a dual interface from its table, so a host can
// call the object either way and reach the same code. `table` gives the
// interface's one table.
template <class Dual, const DispatchTable<Dual>& (*table)()>
class DispatchImpl : public WithoutTypeInfo<Dual> {
public:
    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        return table().names(names, count, ids);
    }
    HRESULT Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   UINT* argError) override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        return table().invoke(*this, member, flags, params, result, argError);
    }
};

// For callers: argument values in left-to-right order. None of them owns
// anything; by-reference ones point at the caller's storage.
VARIANT arg_i2(SHORT v);
VARIANT arg_ui2(USHORT v);
VARIANT arg_i4(LONG v);
VARIANT arg_ui4(ULONG v);
VARIANT arg_r4(FLOAT v);
VARIANT arg_r8(DOUBLE v);
VARIANT arg_bool(bool v);
VARIANT arg_date(DATE v);
VARIANT arg_bstr(BSTR v);
VARIANT arg_text(char* text);  // VT_I1 | VT_BYREF
VARIANT arg_ref(SHORT* p);
VARIANT arg_ref(USHORT* p);
VARIANT arg_ref(LONG* p);
VARIANT arg_ref(ULONG* p);
VARIANT arg_ref(DOUBLE* p);
VARIANT arg_bool_ref(VARIANT_BOOL* p);  // VT_BOOL | VT_BYREF (VARIANT_BOOL is a short)
VARIANT arg_ref(BSTR* p);
VARIANT arg_ref(VARIANT* p);

// Invoke by id with the arguments left to right (reversed for the call;
// a put names its last argument DISPID_PROPERTYPUT). `argError` gets the
// left-to-right position of an argument that was refused. `result`, when
// given, must hold a valid value: it is cleared first. Null `target` gives
// E_POINTER.
HRESULT invoke_by_id(IDispatch* target, DISPID id, WORD flags, std::span<const VARIANT> args,
                     VARIANT* result = nullptr, UINT* argError = nullptr);
inline HRESULT invoke_by_id(IDispatch* target, DISPID id, WORD flags, std::initializer_list<VARIANT> args,
                            VARIANT* result = nullptr, UINT* argError = nullptr)
{
    return invoke_by_id(target, id, flags, std::span<const VARIANT>(args.begin(), args.size()), result, argError);
}

}  // namespace helm::com
