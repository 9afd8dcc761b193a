// COleDateTime: text both ways in the French and US forms, what is no date,
// and the order of dates along the time line.

#include <gtest/gtest.h>

#include "afxdisp.h"
#include "helm/kernel/clock.h"

namespace {

TEST(OleDateTime, FormatsAndParsesInTheLocaleGiven)
{
    const COleDateTime date(2026, 12, 10, 13, 5, 7);
    ASSERT_EQ(date.GetStatus(), COleDateTime::valid);
    EXPECT_STREQ(date.Format(0, 1036), "10/12/2026 13:05:07");
    EXPECT_STREQ(date.Format(0, 0x409), "12/10/2026 1:05:07 PM");

    COleDateTime back;
    ASSERT_TRUE(back.ParseDateTime("10/12/2026 13:05:07", 0, 1036));
    EXPECT_EQ(back, date);
    SYSTEMTIME t{};
    ASSERT_TRUE(back.GetAsSystemTime(t));
    EXPECT_EQ(t.wMonth, 12);
    EXPECT_EQ(t.wDay, 10);

    struct {
        const char* text;
        double value;  // after a failed parse
    } bad[] = {{" ", 0.0}, {"", 0.0}, {"31/02/2026", 0.0}, {nullptr, 0.0}};
    for (const auto& b : bad) {
        COleDateTime parsed(1234.5);
        EXPECT_FALSE(parsed.ParseDateTime(b.text, 0, 1036)) << (b.text ? b.text : "null");
        EXPECT_EQ(parsed.GetStatus(), COleDateTime::invalid);
        EXPECT_EQ(parsed.m_dt, b.value);
        EXPECT_STREQ(parsed.Format(0, 1036), "Invalid DateTime");
        EXPECT_FALSE(parsed.GetAsSystemTime(t));
    }
    COleDateTime none;
    none.SetStatus(COleDateTime::null);
    EXPECT_STREQ(none.Format(), "");

    EXPECT_EQ(COleDateTime(2026, 2, 29, 0, 0, 0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(SYSTEMTIME{2026, 13, 0, 1, 0, 0, 0, 0}).GetStatus(), COleDateTime::invalid);
}

TEST(OleDateTime, OrdersDatesAlongTheTimeLine)
{
    // Before day 0, -1.25 (06:00 on 1899-12-29) is later than -1.0 (its
    // midnight) although the number is smaller; -0.5 is noon of day 0.
    struct {
        double earlier, later;
    } pairs[] = {{-1.0, -1.25}, {-1.75, -0.5}, {0.0, -0.5}, {-0.5, 0.75}, {0.25, 1.0}, {46366.5, 46366.75}};
    for (const auto& p : pairs) {
        const COleDateTime a(p.earlier), b(p.later);
        EXPECT_TRUE(a < b) << p.earlier << " " << p.later;
        EXPECT_TRUE(b > a);
        EXPECT_TRUE(a <= b);
        EXPECT_FALSE(a >= b);
        EXPECT_TRUE(a <= a);
    }
}

TEST(OleDateTime, CurrentTimeIsTheKernelsLocalTime)
{
    helm::kernel::set_local_time_source([] { return SYSTEMTIME{2025, 6, 0, 3, 8, 30, 15, 640}; });
    const COleDateTime now = COleDateTime::GetCurrentTime();
    helm::kernel::set_local_time_source(nullptr);
    EXPECT_STREQ(now.Format(0, 1036), "03/06/2025 08:30:15");
}

}  // namespace
