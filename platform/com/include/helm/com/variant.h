// Automation values: a type tag and a value, by value or by reference.
#pragma once

#include "helm/com/bstr.h"
#include "helm/com/unknown.h"

typedef unsigned short VARTYPE;
typedef short VARIANT_BOOL;
typedef double DATE;
typedef LONG DISPID;
typedef DWORD LCID;
typedef double DOUBLE;

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

struct IDispatch;

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        FLOAT* pfltVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        VARIANT* pvarVal;
        PVOID byref;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        CHAR* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
    };
};
typedef VARIANT VARIANTARG;
typedef VARIANT* LPVARIANT;
typedef VARIANT* LPVARIANTARG;

#define V_VT(v) ((v)->vt)
#define V_ISBYREF(v) (V_VT(v) & VT_BYREF)
#define V_I1(v) ((v)->cVal)
#define V_I2(v) ((v)->iVal)
#define V_I4(v) ((v)->lVal)
#define V_UI1(v) ((v)->bVal)
#define V_UI2(v) ((v)->uiVal)
#define V_UI4(v) ((v)->ulVal)
#define V_R4(v) ((v)->fltVal)
#define V_R8(v) ((v)->dblVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_DATE(v) ((v)->date)
#define V_BSTR(v) ((v)->bstrVal)
#define V_UNKNOWN(v) ((v)->punkVal)
#define V_DISPATCH(v) ((v)->pdispVal)
#define V_BYREF(v) ((v)->byref)

// VariantChangeType flags.
#define VARIANT_NOVALUEPROP 0x01
#define VARIANT_ALPHABOOL 0x02
#define VARIANT_NOUSEROVERRIDE 0x04
#define VARIANT_LOCALBOOL 0x10

void VariantInit(VARIANTARG* v);
// Frees what the value owns (a string, an interface reference) and leaves
// it empty; a by-reference value owns nothing.
HRESULT VariantClear(VARIANTARG* v);
// A deep copy: strings are duplicated, interfaces gain a reference.
HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src);
// The same, taking the value a reference points to.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* src);
// Converts to `type` (never a by-reference type). Numbers follow the C
// locale; fractions round half to even into integers; a value out of the
// target's range is DISP_E_OVERFLOW; text that is not a value, and null, are
// DISP_E_TYPEMISMATCH. dest may be src.
HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE type);
HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* src, LCID locale, USHORT flags, VARTYPE type);

namespace helm::com {

// Owns one VARIANT and clears it when it goes.
class Variant : public VARIANT {
public:
    Variant() { VariantInit(this); }
    Variant(const Variant& other)
    {
        VariantInit(this);
        VariantCopy(this, &other);
    }
    Variant& operator=(const Variant& other)
    {
        if (this != &other)
            VariantCopy(this, &other);
        return *this;
    }
    ~Variant() { VariantClear(this); }
};

}  // namespace helm::com
