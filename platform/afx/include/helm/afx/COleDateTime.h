// COleDateTime: an Automation date (days since 1899-12-30 as a double, the
// fraction the time of day) with a status. Text goes through the component
// layer's date conversions for the locale given (VarBstrFromDate,
// VarDateFromStr); text that is no date leaves the value 0.0 and the status
// invalid. Comparisons follow the time line, also before day 0, where the
// fraction still counts forward from midnight.
#pragma once

#include <windows.h>

#include "helm/afx/CString.h"

class COleDateTime {
public:
    enum DateTimeStatus { error = -1, valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default;
    COleDateTime(DATE date) : m_dt(date) {}
    explicit COleDateTime(const SYSTEMTIME& time);
    COleDateTime(int year, int month, int day, int hour, int minute, int second);

    // The local time now (the kernel's clock, which tests may replace).
    static COleDateTime GetCurrentTime();

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    // 0 when the date and time exist; otherwise the status becomes invalid.
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    // False for a date that is not valid or out of range.
    bool GetAsSystemTime(SYSTEMTIME& time) const;

    // "" for a null date, "Invalid DateTime" for an invalid one.
    CString Format(DWORD flags = 0, LCID locale = LOCALE_USER_DEFAULT) const;
    // True and valid when the text is a date, a time or both in the
    // locale's form; else 0.0 and invalid.
    bool ParseDateTime(LPCSTR text, DWORD flags = 0, LCID locale = LOCALE_USER_DEFAULT);

    operator DATE() const { return m_dt; }
    bool operator==(const COleDateTime& other) const { return m_dt == other.m_dt && m_status == other.m_status; }
    bool operator!=(const COleDateTime& other) const { return !(*this == other); }
    bool operator<(const COleDateTime& other) const;
    bool operator>(const COleDateTime& other) const { return other < *this; }
    bool operator<=(const COleDateTime& other) const { return !(other < *this); }
    bool operator>=(const COleDateTime& other) const { return !(*this < other); }

    DATE m_dt = 0.0;
    DateTimeStatus m_status = valid;
};
