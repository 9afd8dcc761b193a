// Calls to hosted controls by dispatch id, as the class library writes
// them: a parameter list of VTS_ codes (one byte per argument: the VT_
// type, with 0x40 for by reference) and the arguments themselves. Each
// argument keeps its C++ type until the call reads it by its code, so a
// list and arguments that do not agree are refused instead of read wrongly.
#pragma once

#include <cstddef>
#include <type_traits>

#include <windows.h>

#include "helm/afx/CString.h"

#define VTS_NONE ""
#define VTS_I2 "\x02"
#define VTS_I4 "\x03"
#define VTS_R4 "\x04"
#define VTS_R8 "\x05"
#define VTS_DATE "\x07"
#define VTS_BSTR "\x08"  // 8-bit text, passed as a BSTR
#define VTS_BOOL "\x0B"  // non-zero becomes VARIANT_TRUE (-1)
#define VTS_VARIANT "\x0C"
#define VTS_I1 "\x10"
#define VTS_UI1 "\x11"
#define VTS_UI2 "\x12"
#define VTS_UI4 "\x13"
#define VTS_PI2 "\x42"
#define VTS_PI4 "\x43"
#define VTS_PR4 "\x44"
#define VTS_PR8 "\x45"
#define VTS_PDATE "\x47"
#define VTS_PBSTR "\x48"
#define VTS_PBOOL "\x4B"
#define VTS_PVARIANT "\x4C"
#define VTS_PI1 "\x50"  // 8-bit text the callee may write: VT_I1 | VT_BYREF
#define VTS_PUI1 "\x51"
#define VTS_PUI2 "\x52"
#define VTS_PUI4 "\x53"
#define VTS_COLOR VTS_I4
#define VTS_HANDLE VTS_I4

namespace helm::afx {

// The VARTYPE a VTS_ code stands for.
constexpr VARTYPE vts_type(BYTE code)
{
    return static_cast<VARTYPE>((code & 0x3F) | ((code & 0x40) ? VT_BYREF : 0));
}

class DispatchArgument {
public:
    DispatchArgument() = default;
    template <class T>
        requires std::is_integral_v<T> || std::is_enum_v<T>
    DispatchArgument(T value) : m_kind(Kind::integer), m_integer(static_cast<long long>(value))
    {
    }
    template <class T>
        requires std::is_floating_point_v<T>
    DispatchArgument(T value) : m_kind(Kind::real), m_real(static_cast<double>(value))
    {
    }
    DispatchArgument(char* text) : m_kind(Kind::text), m_pointer(text) {}
    DispatchArgument(const char* text) : m_kind(Kind::text), m_pointer(const_cast<char*>(text)) {}
    DispatchArgument(const CString& text) : DispatchArgument(static_cast<LPCSTR>(text)) {}
    // A null reference, for any by-reference parameter.
    DispatchArgument(std::nullptr_t) : m_kind(Kind::reference) {}
    DispatchArgument(const VARIANT& value) : m_kind(Kind::variant), m_pointer(const_cast<VARIANT*>(&value)) {}
    // A pointer to the caller's storage for a by-reference parameter.
    template <class T>
        requires(!std::is_same_v<std::remove_cv_t<T>, char>)
    DispatchArgument(T* storage)
        : m_kind(Kind::reference), m_pointer(const_cast<void*>(static_cast<const void*>(storage))),
          m_pointee(pointee<std::remove_cv_t<T>>())
    {
    }

    // The argument as a parameter of type `vt` wants it, written into
    // `out` (a BSTR made for it goes into `keep`); false when it cannot be.
    bool to_variant(VARTYPE vt, VARIANT& out, helm::com::Bstr& keep) const;

private:
    enum class Kind { none, integer, real, text, variant, reference };

    // The VARTYPE a pointer's target is, VT_EMPTY for one no parameter takes.
    template <class T>
    static constexpr VARTYPE pointee()
    {
        if constexpr (std::is_same_v<T, SHORT>)
            return VT_I2;  // also VARIANT_BOOL
        else if constexpr (std::is_same_v<T, USHORT>)
            return VT_UI2;
        else if constexpr (std::is_same_v<T, LONG>)
            return VT_I4;
        else if constexpr (std::is_same_v<T, ULONG>)
            return VT_UI4;
        else if constexpr (std::is_same_v<T, BYTE>)
            return VT_UI1;
        else if constexpr (std::is_same_v<T, FLOAT>)
            return VT_R4;
        else if constexpr (std::is_same_v<T, DOUBLE>)
            return VT_R8;  // also DATE
        else if constexpr (std::is_same_v<T, BSTR>)
            return VT_BSTR;
        else if constexpr (std::is_same_v<T, VARIANT>)
            return VT_VARIANT;
        else
            return VT_EMPTY;
    }

    Kind m_kind = Kind::none;
    long long m_integer = 0;
    double m_real = 0;
    void* m_pointer = nullptr;
    VARTYPE m_pointee = VT_EMPTY;
};

}  // namespace helm::afx
