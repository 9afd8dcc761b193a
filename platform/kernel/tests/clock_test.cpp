#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "helm/kernel/clock.h"
#include "helm/kernel/error.h"
#include "helm/kernel/threads.h"

namespace {

using helm::kernel::set_local_time_setter;
using helm::kernel::set_local_time_source;
using helm::kernel::set_tick_source;

// Every seam a test touches is put back, so one test cannot leak a fake
// clock into the next.
class ClockSeams : public ::testing::Test {
protected:
    void TearDown() override
    {
        set_tick_source({});
        set_local_time_source({});
        set_local_time_setter({});
    }
};

SYSTEMTIME make_time(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0, WORD ms = 0)
{
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = ms;
    return t;
}

ULONGLONG as_number(const FILETIME& ft) { return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

ULONGLONG file_time_of(const SYSTEMTIME& t)
{
    FILETIME ft{};
    EXPECT_TRUE(SystemTimeToFileTime(&t, &ft));
    return as_number(ft);
}

TEST_F(ClockSeams, ReplacedTickWrapsAndTheSixtyFourBitTickCarriesOn)
{
    DWORD now = 0xFFFFFFF0u;
    set_tick_source([&] { return now; });
    const DWORD start = GetTickCount();
    EXPECT_EQ(start, 0xFFFFFFF0u);
    EXPECT_EQ(GetTickCount64(), 0xFFFFFFF0ull);

    now = 0x10;
    EXPECT_EQ(GetTickCount(), 0x10u);
    // Elapsed time taken the usual way stays right across the wrap.
    EXPECT_EQ(static_cast<DWORD>(GetTickCount() - start), 0x20u);
    EXPECT_EQ(GetTickCount64(), 0x100000010ull);
    now = 0x20;
    EXPECT_EQ(GetTickCount64(), 0x100000020ull);
}

TEST_F(ClockSeams, EmptySourceRestoresTheRealTick)
{
    set_tick_source([] { return DWORD{7}; });
    ASSERT_EQ(GetTickCount(), 7u);
    set_tick_source({});
    ULONGLONG wide = GetTickCount64();
    DWORD narrow = GetTickCount();
    EXPECT_NE(narrow, 7u);
    // The 32-bit tick is the low half of the 64-bit one.
    EXPECT_LE(static_cast<DWORD>(narrow - static_cast<DWORD>(wide)), 1000u);
}

TEST(Clock, RealTickAndPerformanceCounterAdvanceWithSleep)
{
    LARGE_INTEGER frequency{}, before{}, after{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 10'000'000);
    ASSERT_TRUE(QueryPerformanceCounter(&before));
    ULONGLONG tick_before = GetTickCount64();
    Sleep(30);
    ASSERT_TRUE(QueryPerformanceCounter(&after));
    ULONGLONG tick_after = GetTickCount64();
    EXPECT_GE(tick_after - tick_before, 29u);
    EXPECT_GE(after.QuadPart - before.QuadPart, 30 * frequency.QuadPart / 1000 - frequency.QuadPart / 1000);
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ClockSeams, LocalTimeSourceIsWhatGetLocalTimeReturns)
{
    const SYSTEMTIME fake = make_time(2004, 2, 29, 23, 59, 58, 999);
    set_local_time_source([&] { return fake; });
    SYSTEMTIME got{};
    GetLocalTime(&got);
    EXPECT_EQ(file_time_of(got), file_time_of(fake));
    EXPECT_EQ(got.wMilliseconds, 999);

    set_local_time_source({});
    GetLocalTime(&got);
    EXPECT_GE(got.wYear, 2024);
}

// The local time and UTC differ by the zone's offset, whatever the date.
TEST(Clock, LocalTimeFollowsTheTimeZone)
{
    const char* old = std::getenv("TZ");
    std::string saved = old ? old : "";
    setenv("TZ", "XYZ-3", 1);  // three hours east of UTC, no daylight saving
    tzset();
    SYSTEMTIME local{}, utc{};
    GetSystemTime(&utc);
    GetLocalTime(&local);
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    const long long difference = static_cast<long long>(file_time_of(local)) - static_cast<long long>(file_time_of(utc));
    const long long three_hours = 3LL * 3600 * 10'000'000;
    EXPECT_NEAR(static_cast<double>(difference), static_cast<double>(three_hours), 10'000'000.0);
}

TEST_F(ClockSeams, SetLocalTimeIsRefusedWithoutASetter)
{
    const SYSTEMTIME t = make_time(2021, 6, 1, 12);
    SetLastError(0);
    EXPECT_FALSE(SetLocalTime(&t));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
}

TEST_F(ClockSeams, SetLocalTimeGoesThroughTheSetter)
{
    std::vector<ULONGLONG> asked;
    BOOL answer = TRUE;
    set_local_time_setter([&](const SYSTEMTIME& t) {
        asked.push_back(file_time_of(t));
        return answer;
    });
    const SYSTEMTIME t = make_time(2021, 6, 1, 12, 30, 15, 250);
    EXPECT_TRUE(SetLocalTime(&t));
    answer = FALSE;
    EXPECT_FALSE(SetLocalTime(&t));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], file_time_of(t));

    set_local_time_setter({});
    EXPECT_FALSE(SetLocalTime(&t));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
    EXPECT_EQ(asked.size(), 2u);
}

// A time that is no date never reaches the setter, and has no FILETIME.
TEST_F(ClockSeams, InvalidTimesAreRefused)
{
    int calls = 0;
    set_local_time_setter([&](const SYSTEMTIME&) {
        ++calls;
        return TRUE;
    });
    const SYSTEMTIME invalid[] = {
        make_time(2023, 2, 29),            // not a leap year
        make_time(1900, 2, 29),            // centuries are not, unless by 400
        make_time(2023, 13, 1),            // month
        make_time(2023, 0, 1),             // month
        make_time(2023, 4, 31),            // day
        make_time(2023, 1, 0),             // day
        make_time(2023, 1, 1, 24),         // hour
        make_time(2023, 1, 1, 0, 60),      // minute
        make_time(2023, 1, 1, 0, 0, 60),   // second
        make_time(2023, 1, 1, 0, 0, 0, 1000),
        make_time(1600, 12, 31),           // before FILETIME's epoch
    };
    for (const auto& t : invalid) {
        SCOPED_TRACE(testing::Message() << t.wYear << "-" << t.wMonth << "-" << t.wDay << " " << t.wHour << ":"
                                        << t.wMinute << ":" << t.wSecond << "." << t.wMilliseconds);
        EXPECT_FALSE(SetLocalTime(&t));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        FILETIME ft{};
        EXPECT_FALSE(SystemTimeToFileTime(&t, &ft));
        // Refused before the system clock is touched.
        EXPECT_FALSE(helm::kernel::set_system_clock_from_local_time(t));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(SetLocalTime(nullptr));
}

struct FileTimeCase {
    SYSTEMTIME time;
    ULONGLONG value;
    WORD day_of_week;
};

TEST(Clock, FileTimeConversionsBothWays)
{
    const FileTimeCase cases[] = {
        {make_time(1601, 1, 1), 0, 1},
        {make_time(1900, 3, 1), 94405824000000000ull, 4},
        {make_time(1970, 1, 1), 116444736000000000ull, 4},
        {make_time(2000, 2, 29, 12, 34, 56, 789), 125963012967890000ull, 2},
        {make_time(2038, 1, 19, 3, 14, 8), 137919572480000000ull, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(file_time_of(c.time), c.value);
        FILETIME ft{static_cast<DWORD>(c.value), static_cast<DWORD>(c.value >> 32)};
        SYSTEMTIME back{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        EXPECT_EQ(back.wYear, c.time.wYear);
        EXPECT_EQ(back.wMonth, c.time.wMonth);
        EXPECT_EQ(back.wDay, c.time.wDay);
        EXPECT_EQ(back.wHour, c.time.wHour);
        EXPECT_EQ(back.wMinute, c.time.wMinute);
        EXPECT_EQ(back.wSecond, c.time.wSecond);
        EXPECT_EQ(back.wMilliseconds, c.time.wMilliseconds);
        EXPECT_EQ(back.wDayOfWeek, c.day_of_week);
    }
    FILETIME too_large{0, 0x80000000u};
    SYSTEMTIME out{};
    EXPECT_FALSE(FileTimeToSystemTime(&too_large, &out));
    FILETIME largest{0xFFFFFFFFu, 0x7FFFFFFFu};
    ASSERT_TRUE(FileTimeToSystemTime(&largest, &out));
    EXPECT_EQ(out.wYear, 30828);
}

}  // namespace
