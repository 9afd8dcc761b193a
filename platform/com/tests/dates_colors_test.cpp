// Dates between their number, SYSTEMTIME and text forms, and colours as
// properties carry them.

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <string>

namespace {

struct DateCase {
    double date;
    WORD year, month, day, hour, minute, second, day_of_week;
    const char* text;
};

constexpr double at(long day, int h, int m, int s) { return day + (h * 3600 + m * 60 + s) / 86400.0; }

const DateCase date_cases[] = {
    {0.0, 1899, 12, 30, 0, 0, 0, 6, "12/30/1899"},
    {1.0, 1899, 12, 31, 0, 0, 0, 0, "12/31/1899"},
    {0.5, 1899, 12, 30, 12, 0, 0, 6, "12:00:00 PM"},
    // Before day 0 the fraction still counts forward from midnight.
    {-1.25, 1899, 12, 29, 6, 0, 0, 5, "12/29/1899 6:00:00 AM"},
    {36585.75, 2000, 2, 29, 18, 0, 0, 2, "2/29/2000 6:00:00 PM"},
    {at(46366, 13, 5, 7), 2026, 12, 10, 13, 5, 7, 4, "12/10/2026 1:05:07 PM"},
    {at(46366, 0, 0, 1), 2026, 12, 10, 0, 0, 1, 4, "12/10/2026 12:00:01 AM"},
    {-657434.0, 100, 1, 1, 0, 0, 0, 5, "1/1/100"},
    {at(2958465, 23, 59, 59), 9999, 12, 31, 23, 59, 59, 5, "12/31/9999 11:59:59 PM"},
};

TEST(OleDate, ConvertsBothWaysAndToText)
{
    for (const auto& c : date_cases) {
        SCOPED_TRACE(c.text);
        SYSTEMTIME t{};
        ASSERT_TRUE(VariantTimeToSystemTime(c.date, &t));
        EXPECT_EQ(t.wYear, c.year);
        EXPECT_EQ(t.wMonth, c.month);
        EXPECT_EQ(t.wDay, c.day);
        EXPECT_EQ(t.wHour, c.hour);
        EXPECT_EQ(t.wMinute, c.minute);
        EXPECT_EQ(t.wSecond, c.second);
        EXPECT_EQ(t.wDayOfWeek, c.day_of_week);

        t.wMilliseconds = 999;  // ignored
        double back = 0;
        ASSERT_TRUE(SystemTimeToVariantTime(&t, &back));
        EXPECT_NEAR(back, c.date, 1e-9);

        helm::com::Bstr text;
        ASSERT_EQ(VarBstrFromDate(c.date, LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE, text.put()), S_OK);
        EXPECT_EQ(text.text(), c.text);
        DATE parsed = -1;
        ASSERT_EQ(VarDateFromStr(text.get(), LOCALE_USER_DEFAULT, 0, &parsed), S_OK);
        EXPECT_NEAR(parsed, c.date, 1e-9);
    }
}

TEST(OleDate, RoundsToTheSecondAcrossMidnight)
{
    SYSTEMTIME t{};
    ASSERT_TRUE(VariantTimeToSystemTime(1 + 0.4 / 86400, &t));
    EXPECT_EQ(t.wSecond, 0);
    ASSERT_TRUE(VariantTimeToSystemTime(1 + 0.6 / 86400, &t));
    EXPECT_EQ(t.wSecond, 1);
    ASSERT_TRUE(VariantTimeToSystemTime(0.9999999, &t));
    EXPECT_EQ(t.wDay, 31);
    EXPECT_EQ(t.wHour, 0);
    ASSERT_TRUE(VariantTimeToSystemTime(-1.9999999, &t));  // 1899-12-29 23:59:59.99
    EXPECT_EQ(t.wDay, 30);
    EXPECT_EQ(t.wHour, 0);
}

TEST(OleDate, RefusesWhatIsNoDate)
{
    SYSTEMTIME t{};
    for (double bad : {-657435.0, 2958466.0, at(2958465, 23, 59, 59) + 0.9 / 86400, double(NAN), double(INFINITY)})
        EXPECT_FALSE(VariantTimeToSystemTime(bad, &t)) << bad;

    const SYSTEMTIME bad_times[] = {
        {2026, 13, 0, 1, 0, 0, 0, 0}, {2026, 2, 0, 29, 0, 0, 0, 0}, {1900, 2, 0, 29, 0, 0, 0, 0},
        {2026, 1, 0, 0, 0, 0, 0, 0},  {2026, 1, 0, 1, 24, 0, 0, 0}, {2026, 1, 0, 1, 0, 60, 0, 0},
        {99, 1, 0, 1, 0, 0, 0, 0},    {10000, 1, 0, 1, 0, 0, 0, 0},
    };
    for (const auto& s : bad_times) {
        double d = 0;
        EXPECT_FALSE(SystemTimeToVariantTime(&s, &d)) << s.wYear << "-" << s.wMonth << "-" << s.wDay;
    }

    helm::com::Bstr text;
    EXPECT_EQ(VarBstrFromDate(3e6, 0, 0, text.put()), DISP_E_OVERFLOW);
    EXPECT_EQ(text.get(), nullptr);
}

TEST(OleDate, ReadsTheTextFormsAndRefusesOthers)
{
    struct {
        const char16_t* text;
        double date;
    } good[] = {
        {u"2026-12-10 13:05:07", at(46366, 13, 5, 7)},
        {u"2026-12-10T13:05", at(46366, 13, 5, 0)},
        {u"  12/10/2026  ", 46366},
        {u"13:05:07", at(0, 13, 5, 7)},
        {u"12:00 am", 0},
        {u"12:30:00 PM", at(0, 12, 30, 0)},
    };
    for (const auto& g : good) {
        DATE d = -1;
        EXPECT_EQ(VarDateFromStr(g.text, 0, 0, &d), S_OK) << helm::com::narrow(g.text);
        EXPECT_NEAR(d, g.date, 1e-9) << helm::com::narrow(g.text);
    }
    for (const char16_t* bad : {u"", u"tomorrow", u"13/01/2026", u"2/30/2026", u"12/10/26", u"1:5", u"25:00",
                                u"13:05 PM", u"12/10/2026 13:05:07 x", u"2026-12-10 1", u"\u00B012:00"}) {
        DATE d = -1;
        EXPECT_EQ(VarDateFromStr(bad, 0, 0, &d), DISP_E_TYPEMISMATCH) << helm::com::narrow(bad);
    }
    std::u16string long_text(100, u'1');
    DATE d = 0;
    EXPECT_EQ(VarDateFromStr(long_text.c_str(), 0, 0, &d), DISP_E_TYPEMISMATCH);
}

// The French locale (1036 and its other sub-languages) writes the day
// first with a 24-hour time and reads that order back; an order that only
// the other locale takes is refused.
TEST(OleDate, FrenchLocaleWritesAndReadsDayFirst)
{
    constexpr LCID french = 1036, french_swiss = 0x100C;
    struct {
        double date;
        const char* text;
    } cases[] = {
        {at(46366, 13, 5, 7), "10/12/2026 13:05:07"},
        {at(46366, 0, 0, 1), "10/12/2026 00:00:01"},
        {46366, "10/12/2026"},
        {at(0, 9, 3, 0), "09:03:00"},
        {-1.25, "29/12/1899 06:00:00"},
    };
    for (const auto& c : cases) {
        for (LCID locale : {french, french_swiss}) {
            SCOPED_TRACE(c.text);
            helm::com::Bstr text;
            ASSERT_EQ(VarBstrFromDate(c.date, locale, 0, text.put()), S_OK);
            EXPECT_EQ(text.text(), c.text);
            DATE parsed = -1;
            ASSERT_EQ(VarDateFromStr(text.get(), locale, 0, &parsed), S_OK);
            EXPECT_NEAR(parsed, c.date, 1e-9);
        }
    }
    DATE d = -1;
    EXPECT_EQ(VarDateFromStr(u"3/1/2026 8:00", french, 0, &d), S_OK);
    EXPECT_NEAR(d, at(46025, 8, 0, 0), 1e-9);  // 3 January
    EXPECT_EQ(VarDateFromStr(u"12/31/2026", french, 0, &d), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VarDateFromStr(u"10/12/2026 1:05:07 PM", french, 0, &d), S_OK);
    EXPECT_NEAR(d, at(46366, 13, 5, 7), 1e-9);
}

TEST(OleColor, TranslatesEachForm)
{
    struct {
        OLE_COLOR color;
        HRESULT result;
        COLORREF rgb;
    } cases[] = {
        {0x00000000, S_OK, 0x000000},
        {0x00A9A9A9, S_OK, 0xA9A9A9},
        {0x00123456, S_OK, 0x123456},
        {0x02123456, S_OK, 0x123456},  // nearest palette colour on a true-colour surface
        {0x80000000 | COLOR_WINDOW, S_OK, RGB(255, 255, 255)},
        {0x80000000 | COLOR_BTNFACE, S_OK, RGB(212, 208, 200)},
        {0x80000000 | COLOR_HIGHLIGHT, S_OK, RGB(10, 36, 106)},
        {0x80000000 | COLOR_MENUBAR, S_OK, RGB(212, 208, 200)},
        {0x80000000 | 31, E_INVALIDARG, 0},
        {0x80010005, E_INVALIDARG, 0},  // index beyond the table, not index 5
        {0x01000003, E_INVALIDARG, 0},  // palette index, and no palettes
        {0x03000000, E_INVALIDARG, 0},
        {0xFF000000, E_INVALIDARG, 0},
    };
    for (const auto& c : cases) {
        COLORREF out = 0xDEADBEEF;
        EXPECT_EQ(OleTranslateColor(c.color, nullptr, &out), c.result) << std::hex << c.color;
        EXPECT_EQ(out, SUCCEEDED(c.result) ? c.rgb : 0xDEADBEEF) << std::hex << c.color;
        EXPECT_EQ(OleTranslateColor(c.color, nullptr, nullptr), c.result) << std::hex << c.color;
    }
}

}  // namespace
