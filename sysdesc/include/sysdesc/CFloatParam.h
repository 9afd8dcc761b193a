// One float value, copied by value everywhere (an offset of the sensor
// geometry).
#pragma once

#include "afxwin.h"

class CFloatParam {
public:
    CFloatParam() = default;
    CFloatParam(const float& value) : m_fValue(value) {}
    CFloatParam(const CFloatParam& other) = default;
    virtual ~CFloatParam() = default;

    // No range is kept: every value is accepted.
    bool F_check(float) const { return true; }
    bool F_set(float value)
    {
        m_fValue = value;
        return true;
    }
    float F_get() const { return m_fValue; }
    // The value with `digits` decimals ("%.0<digits>lf"), into `out`;
    // returns out's text.
    const char* F_getAsString(CString& out, unsigned short digits) const;

    CFloatParam operator=(const CFloatParam& other)
    {
        m_fValue = other.m_fValue;
        return *this;
    }
    CFloatParam operator=(const float& value)
    {
        m_fValue = value;
        return *this;
    }

private:
    float m_fValue = 0.0f;
};
