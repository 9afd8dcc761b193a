#include "helm/afx/COleDateTime.h"

#include <cmath>

namespace {

// Before day 0 the fraction counts forward from midnight: -1.25 is
// 06:00 of 1899-12-29, later than -1.0, that day's midnight.
double time_line(DATE date)
{
    if (date >= 0)
        return date;
    const double day = std::trunc(date);
    return day - (date - day);
}

}  // namespace

COleDateTime::COleDateTime(const SYSTEMTIME& time)
{
    if (!SystemTimeToVariantTime(&time, &m_dt)) {
        m_dt = 0.0;
        m_status = invalid;
    }
}

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second)
{
    SetDateTime(year, month, day, hour, minute, second);
}

COleDateTime COleDateTime::GetCurrentTime()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    now.wMilliseconds = 0;
    return COleDateTime(now);
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second)
{
    const auto fits = [](int value, int low, int high) { return value >= low && value <= high; };
    SYSTEMTIME time{};
    if (fits(year, 100, 9999) && fits(month, 1, 12) && fits(day, 1, 31) && fits(hour, 0, 23) && fits(minute, 0, 59) &&
        fits(second, 0, 59)) {
        time.wYear = WORD(year);
        time.wMonth = WORD(month);
        time.wDay = WORD(day);
        time.wHour = WORD(hour);
        time.wMinute = WORD(minute);
        time.wSecond = WORD(second);
        if (SystemTimeToVariantTime(&time, &m_dt)) {
            m_status = valid;
            return 0;
        }
    }
    m_dt = 0.0;
    m_status = invalid;
    return 1;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& time) const
{
    return m_status == valid && VariantTimeToSystemTime(m_dt, &time);
}

CString COleDateTime::Format(DWORD flags, LCID locale) const
{
    if (m_status == null)
        return CString();
    helm::com::Bstr text;
    if (m_status != valid || FAILED(VarBstrFromDate(m_dt, locale, flags, text.put())))
        return CString("Invalid DateTime");
    return CString(text.text().c_str());
}

bool COleDateTime::ParseDateTime(LPCSTR text, DWORD flags, LCID locale)
{
    const std::u16string wide = helm::com::widen(text ? text : "");
    const HRESULT hr = VarDateFromStr(wide.c_str(), locale, flags, &m_dt);
    if (FAILED(hr)) {
        m_dt = hr == DISP_E_OVERFLOW ? -1.0 : 0.0;
        m_status = invalid;
        return false;
    }
    m_status = valid;
    return true;
}

bool COleDateTime::operator<(const COleDateTime& other) const
{
    return time_line(m_dt) < time_line(other.m_dt);
}
