// Clocks: the millisecond tick, local and UTC time, setting the clock, the
// performance counter and the FILETIME conversions. The tick, the local
// time and the clock setting are seams that tests replace.
#pragma once

#include <functional>

#include "helm/kernel/types.h"

// Milliseconds since boot (sleep included); wraps at 2^32, after 49.7 days.
DWORD GetTickCount();
// The same clock without the wrap.
ULONGLONG GetTickCount64();
void GetLocalTime(LPSYSTEMTIME time);
void GetSystemTime(LPSYSTEMTIME time);
// Sets the clock from a local time through the clock setter, which is off
// by default: without one, FALSE and ERROR_PRIVILEGE_NOT_HELD. A time that
// is not a valid date gives ERROR_INVALID_PARAMETER.
BOOL SetLocalTime(const SYSTEMTIME* time);
// A monotonic counter at 10 MHz.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// wDayOfWeek is ignored going in and filled in coming out. FILETIME values
// from 0x8000000000000000 up are refused, as on Windows.
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);
BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);

namespace helm::kernel {

// Each replaces one clock for the whole process; an empty function brings
// the real one back.
void set_tick_source(std::function<DWORD()> source);
void set_local_time_source(std::function<SYSTEMTIME()> source);
void set_local_time_setter(std::function<BOOL(const SYSTEMTIME&)> setter);

// A setter that really sets the system clock (it needs CAP_SYS_TIME, else
// ERROR_PRIVILEGE_NOT_HELD): a program allowed to set the clock installs
// it with set_local_time_setter.
BOOL set_system_clock_from_local_time(const SYSTEMTIME& time);

// True when the fields form a real date and time (day of week not looked at).
bool is_valid_system_time(const SYSTEMTIME& time);

}  // namespace helm::kernel
