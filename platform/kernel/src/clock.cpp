#include "helm/kernel/clock.h"

#include <time.h>

#include <atomic>
#include <cerrno>
#include <mutex>

#include "helm/kernel/error.h"

namespace helm::kernel {
namespace {

struct Seams {
    std::mutex mutex;
    std::function<DWORD()> tick;
    std::function<SYSTEMTIME()> local_time;
    std::function<BOOL(const SYSTEMTIME&)> set_local_time;
    // A replaced 32-bit tick seen as 64 bits: the wraps counted so far.
    DWORD last_tick = 0;
    ULONGLONG tick_high = 0;
};

Seams& seams()
{
    static auto* instance = new Seams;  // reachable from static destructors
    return *instance;
}

// Lets the real tick skip the mutex while no test has replaced it.
std::atomic<bool> g_tick_replaced{false};

constexpr ULONGLONG kTicksPerSecond = 10'000'000;  // FILETIME and performance counter
// Days from 1601-01-01 to 1970-01-01.
constexpr long long kDays1601To1970 = 134774;

ULONGLONG clock_ns(clockid_t clock)
{
    struct timespec ts {};
    clock_gettime(clock, &ts);
    return static_cast<ULONGLONG>(ts.tv_sec) * 1'000'000'000ull + static_cast<ULONGLONG>(ts.tv_nsec);
}

// Windows counts the time the machine slept.
ULONGLONG boot_ms() { return clock_ns(CLOCK_BOOTTIME) / 1'000'000; }

bool is_leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap(year) ? 29 : days[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date.
long long days_from_civil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civil_from_days(long long z, long long& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
}

SYSTEMTIME from_tm(const struct tm& tm, long nanoseconds)
{
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(tm.tm_year + 1900);
    st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    st.wDay = static_cast<WORD>(tm.tm_mday);
    st.wHour = static_cast<WORD>(tm.tm_hour);
    st.wMinute = static_cast<WORD>(tm.tm_min);
    st.wSecond = static_cast<WORD>(tm.tm_sec > 59 ? 59 : tm.tm_sec);  // a leap second stays in its minute
    st.wMilliseconds = static_cast<WORD>(nanoseconds / 1'000'000);
    return st;
}

SYSTEMTIME real_time(bool local)
{
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm tm {};
    if (local)
        localtime_r(&ts.tv_sec, &tm);
    else
        gmtime_r(&ts.tv_sec, &tm);
    return from_tm(tm, ts.tv_nsec);
}

}  // namespace

void set_tick_source(std::function<DWORD()> source)
{
    Seams& s = seams();
    std::lock_guard lock(s.mutex);
    g_tick_replaced = static_cast<bool>(source);
    s.tick = std::move(source);
    s.last_tick = 0;
    s.tick_high = 0;
}

void set_local_time_source(std::function<SYSTEMTIME()> source)
{
    Seams& s = seams();
    std::lock_guard lock(s.mutex);
    s.local_time = std::move(source);
}

void set_local_time_setter(std::function<BOOL(const SYSTEMTIME&)> setter)
{
    Seams& s = seams();
    std::lock_guard lock(s.mutex);
    s.set_local_time = std::move(setter);
}

bool is_valid_system_time(const SYSTEMTIME& t)
{
    return t.wYear >= 1601 && t.wYear <= 30827 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
           t.wDay <= days_in_month(t.wYear, t.wMonth) && t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 &&
           t.wMilliseconds < 1000;
}

BOOL set_system_clock_from_local_time(const SYSTEMTIME& time)
{
    if (!is_valid_system_time(time)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct tm tm {};
    tm.tm_year = time.wYear - 1900;
    tm.tm_mon = time.wMonth - 1;
    tm.tm_mday = time.wDay;
    tm.tm_hour = time.wHour;
    tm.tm_min = time.wMinute;
    tm.tm_sec = time.wSecond;
    tm.tm_isdst = -1;
    errno = 0;
    time_t seconds = mktime(&tm);
    if (seconds == static_cast<time_t>(-1) && errno != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct timespec ts {};
    ts.tv_sec = seconds;
    ts.tv_nsec = static_cast<long>(time.wMilliseconds) * 1'000'000;
    if (clock_settime(CLOCK_REALTIME, &ts) != 0) {
        SetLastError(errno == EPERM ? ERROR_PRIVILEGE_NOT_HELD : error_from_errno(errno));
        return FALSE;
    }
    return TRUE;
}

}  // namespace helm::kernel

using helm::kernel::seams;

DWORD GetTickCount()
{
    if (!helm::kernel::g_tick_replaced.load(std::memory_order_relaxed))
        return static_cast<DWORD>(helm::kernel::boot_ms());
    auto& s = seams();
    std::lock_guard lock(s.mutex);
    return s.tick ? s.tick() : static_cast<DWORD>(helm::kernel::boot_ms());
}

ULONGLONG GetTickCount64()
{
    if (!helm::kernel::g_tick_replaced.load(std::memory_order_relaxed))
        return helm::kernel::boot_ms();
    auto& s = seams();
    std::lock_guard lock(s.mutex);
    if (!s.tick)
        return helm::kernel::boot_ms();
    DWORD tick = s.tick();
    if (tick < s.last_tick)
        s.tick_high += 1ull << 32;
    s.last_tick = tick;
    return s.tick_high | tick;
}

void GetLocalTime(LPSYSTEMTIME time)
{
    if (!time)
        return;
    std::function<SYSTEMTIME()> source;
    {
        auto& s = seams();
        std::lock_guard lock(s.mutex);
        source = s.local_time;
    }
    *time = source ? source() : helm::kernel::real_time(true);
}

void GetSystemTime(LPSYSTEMTIME time)
{
    if (time)
        *time = helm::kernel::real_time(false);
}

BOOL SetLocalTime(const SYSTEMTIME* time)
{
    if (!time || !helm::kernel::is_valid_system_time(*time)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::function<BOOL(const SYSTEMTIME&)> setter;
    {
        auto& s = seams();
        std::lock_guard lock(s.mutex);
        setter = s.set_local_time;
    }
    if (!setter) {
        SetLastError(ERROR_PRIVILEGE_NOT_HELD);
        return FALSE;
    }
    return setter(*time);
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (!count) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    count->QuadPart = static_cast<LONGLONG>(helm::kernel::clock_ns(CLOCK_MONOTONIC) / 100);
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    frequency->QuadPart = static_cast<LONGLONG>(helm::kernel::kTicksPerSecond);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime)
{
    if (!systemTime || !fileTime || !helm::kernel::is_valid_system_time(*systemTime)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SYSTEMTIME& t = *systemTime;
    long long days = helm::kernel::days_from_civil(t.wYear, t.wMonth, t.wDay) + helm::kernel::kDays1601To1970;
    ULONGLONG seconds = static_cast<ULONGLONG>(days) * 86400ull + t.wHour * 3600ull + t.wMinute * 60ull + t.wSecond;
    ULONGLONG value = seconds * helm::kernel::kTicksPerSecond + t.wMilliseconds * 10'000ull;
    fileTime->dwLowDateTime = static_cast<DWORD>(value);
    fileTime->dwHighDateTime = static_cast<DWORD>(value >> 32);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime)
{
    if (!fileTime || !systemTime || (fileTime->dwHighDateTime & 0x80000000u)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ULONGLONG value = (static_cast<ULONGLONG>(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
    ULONGLONG seconds = value / helm::kernel::kTicksPerSecond;
    long long days = static_cast<long long>(seconds / 86400);
    ULONGLONG in_day = seconds % 86400;
    long long year = 0;
    unsigned month = 0, day = 0;
    helm::kernel::civil_from_days(days - helm::kernel::kDays1601To1970, year, month, day);
    SYSTEMTIME& t = *systemTime;
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
    t.wHour = static_cast<WORD>(in_day / 3600);
    t.wMinute = static_cast<WORD>(in_day % 3600 / 60);
    t.wSecond = static_cast<WORD>(in_day % 60);
    t.wMilliseconds = static_cast<WORD>(value % helm::kernel::kTicksPerSecond / 10'000);
    return TRUE;
}
