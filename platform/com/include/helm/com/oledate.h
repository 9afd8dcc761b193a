// Automation dates: days since 1899-12-30 00:00 as a double, the fraction
// being the time of day. Before that day the fraction still counts forward
// from midnight (-1.25 is 1899-12-29 06:00). Years 100 to 9999.
//
// Text is US English as Windows writes it, "12/10/2026 1:05:07 PM", for
// every locale but the French ones (primary language 0x0C, such as 1036),
// which write the day first and a 24-hour time: "10/12/2026 13:05:07". A
// value without time gives the date alone and a value on day 0 the time
// alone. Reading takes the locale's order of day and month, 24-hour times
// in either, and ISO dates ("2026-12-10 13:05:07").
#pragma once

#include "helm/com/variant.h"

#define VAR_TIMEVALUEONLY 0x00000001
#define VAR_DATEVALUEONLY 0x00000002
#ifndef LOCALE_NOUSEROVERRIDE
#define LOCALE_NOUSEROVERRIDE 0x80000000
#endif
#ifndef LOCALE_USER_DEFAULT
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_SYSTEM_DEFAULT 0x0800
#endif

// Milliseconds are ignored; a field out of its range fails (FALSE).
INT SystemTimeToVariantTime(const SYSTEMTIME* time, DOUBLE* date);
// Rounds to the nearest second and fills the day of the week.
INT VariantTimeToSystemTime(DOUBLE date, LPSYSTEMTIME time);

// Flags VAR_DATEVALUEONLY and
// VAR_TIMEVALUEONLY pick one half. DISP_E_OVERFLOW out of range.
HRESULT VarBstrFromDate(DATE date, LCID locale, ULONG flags, BSTR* out);
// DISP_E_TYPEMISMATCH when the text is not a date or a time.
HRESULT VarDateFromStr(LPCOLESTR text, LCID locale, ULONG flags, DATE* out);
