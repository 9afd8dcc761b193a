#include "helm/outside/toolbase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "helm/kernel/error.h"

namespace {

struct PathCase {
    const char* path;
    const char* file_name;
    const char* replaced_by_new;
    const char* with_ini;
};

const PathCase kPathCases[] = {
    {"C:\\Program Files\\Helm\\Helmsight.exe", "Helmsight.exe", "C:\\Program Files\\Helm\\new",
     "C:\\Program Files\\Helm\\Helmsight.ini"},
    {"/opt/helm/bin/Helmsight", "Helmsight", "/opt/helm/bin/new", "/opt/helm/bin/Helmsight.ini"},
    {"/opt/v1.2/prog", "prog", "/opt/v1.2/new", "/opt/v1.2/prog.ini"},
    {"mixed/dir\\file.tar.gz", "file.tar.gz", "mixed/dir\\new", "mixed/dir\\file.tar.ini"},
    {"plain.exe", "plain.exe", "new", "plain.ini"},
    {"/home/op/.profile", ".profile", "/home/op/new", "/home/op/.profile.ini"},
    {"/dir/", "", "/dir/new", "/dir/.ini"},
    {"", "", "new", ".ini"},
};

TEST(ToolbasePaths, SplitReplaceAndChangeExtension)
{
    for (const PathCase& c : kPathCases) {
        SCOPED_TRACE(c.path);
        char out[MAX_PATH];
        P_ZQO_GetFileName(c.path, out, sizeof out);
        EXPECT_STREQ(out, c.file_name);
        P_ZQO_ReplaceFile(c.path, "new", out, sizeof out);
        EXPECT_STREQ(out, c.replaced_by_new);
        P_ZQO_ChangeExtension(c.path, ".ini", out, sizeof out);
        EXPECT_STREQ(out, c.with_ini);
        P_ZQO_ChangeExtension(c.path, "ini", out, sizeof out);
        EXPECT_STREQ(out, c.with_ini) << "extension given without its dot";
    }
}

// The application object builds its profile path from these three calls.
TEST(ToolbasePaths, ProfilePathBesideTheProgram)
{
    char file[MAX_PATH], replaced[MAX_PATH], profile[MAX_PATH];
    P_ZQO_GetFileName("Helmsight.exe", file, sizeof file);
    P_ZQO_ReplaceFile("/srv/helm/install/helmsight_bin", file, replaced, sizeof replaced);
    P_ZQO_ChangeExtension(replaced, ".ini", profile, sizeof profile);
    EXPECT_STREQ(profile, "/srv/helm/install/Helmsight.ini");
}

TEST(ToolbasePaths, ResultThatDoesNotFitIsEmptyNotCut)
{
    char out[8];
    std::memset(out, 'x', sizeof out);
    SetLastError(0);
    P_ZQO_ReplaceFile("/a/b/c", "longname", out, sizeof out);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    char exact[9];  // "/a/b/new" and its zero
    P_ZQO_ReplaceFile("/a/b/c", "new", exact, sizeof exact);
    EXPECT_STREQ(exact, "/a/b/new");

    P_ZQO_GetFileName(nullptr, exact, sizeof exact);
    EXPECT_STREQ(exact, "");
    P_ZQO_GetFileName("/a/b", nullptr, 0);  // no buffer: nothing written, no crash
}

struct PositionCase {
    int target;
    double value;
    double degrees, minutes, seconds;
    char sign;
    const char* text;
};

const PositionCase kPositionCases[] = {
    {ZQO_POS_DMS, 48.5, 48, 30, 0, '+', "48\xB0" "30'00.00\""},
    {ZQO_POS_DMS, -12.5, -12, -30, 0, '-', "-12\xB0" "30'00.00\""},
    {ZQO_POS_DMS, 45.2625, 45, 15, 45, '+', "45\xB0" "15'45.00\""},
    // Just below a whole degree: the seconds would show 60.00 unless carried.
    {ZQO_POS_DMS, 12.9999999, 13, 0, 0, '+', "13\xB0" "00'00.00\""},
    {ZQO_POS_DMS, -0.0002, -0.0, -0.0, -0.72, '-', "-0\xB0" "00'00.72\""},
    {ZQO_POS_DEGREES_MINUTES, 48.5, 48, 30, 0, '+', "48\xB0" "30.0000'"},
    {ZQO_POS_DEGREES_MINUTES, -3.25, -3, -15, 0, '-', "-3\xB0" "15.0000'"},
    {ZQO_POS_DEGREES, -7.125, -7.125, 0, 0, '-', "-7.125000\xB0"},
};

TEST(ToolbasePosition, FromDecimalDegreesToEachFormat)
{
    for (const PositionCase& c : kPositionCases) {
        SCOPED_TRACE(testing::Message() << c.value << " to format " << c.target);
        char sign = 0;
        double d = 99, m = 99, s = 99;
        char text[ZQO_POS_TEXT_SIZE];
        ASSERT_EQ(F_DllFormatPosition(ZQO_POS_DEGREES, c.target, c.value, 0.0, 0.0, &sign, &d, &m, &s, text, 2), 1);
        EXPECT_NEAR(d, c.degrees, 1e-9);
        EXPECT_NEAR(m, c.minutes, 1e-6);
        EXPECT_NEAR(s, c.seconds, 1e-6);
        EXPECT_EQ(sign, c.sign);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(ToolbasePosition, SecondsNeverReachSixtyAtAnyPrecision)
{
    for (int decimals = 0; decimals <= 6; ++decimals) {
        for (double v = 0.0; v < 2.0; v += 0.0001237) {
            double d, m, s;
            ASSERT_EQ(F_DllFormatPosition(ZQO_POS_DEGREES, ZQO_POS_DMS, v, 0, 0, nullptr, &d, &m, &s, nullptr, decimals), 1);
            char shown[32];
            std::snprintf(shown, sizeof shown, "%.*f", decimals, s);
            ASSERT_LT(std::atof(shown), 60.0) << v << " decimals " << decimals;
            ASSERT_LT(m, 60.0);
            ASSERT_NEAR(d + m / 60.0 + s / 3600.0, v, 0.5 * std::pow(10.0, -decimals) / 3600.0 + 1e-12);
        }
    }
}

TEST(ToolbasePosition, RoundTripBetweenFormats)
{
    double d, m, s;
    ASSERT_EQ(F_DllFormatPosition(ZQO_POS_DMS, ZQO_POS_DEGREES, -45, 15, 45, nullptr, &d, &m, &s, nullptr, 2), 1);
    EXPECT_NEAR(d, -45.2625, 1e-12);
    ASSERT_EQ(F_DllFormatPosition(ZQO_POS_DEGREES_MINUTES, ZQO_POS_DMS, 10, 30.5, 99, nullptr, &d, &m, &s, nullptr, 2), 1);
    EXPECT_DOUBLE_EQ(d, 10);
    EXPECT_DOUBLE_EQ(m, 30);
    EXPECT_DOUBLE_EQ(s, 30) << "the seconds argument is not part of format 1";
}

TEST(ToolbasePosition, RefusesUnknownFormatsAndNonFiniteValues)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct {
        int source, target;
        double value;
    } bad[] = {{3, 2, 1.0}, {0, -1, 1.0}, {0, 2, nan}, {0, 2, inf}, {0, 1, -inf}, {0, 2, 1e300}};
    for (auto& b : bad) {
        double d = 5, m = 5, s = 5;
        char text[ZQO_POS_TEXT_SIZE] = "old";
        EXPECT_EQ(F_DllFormatPosition(b.source, b.target, b.value, 0, 0, nullptr, &d, &m, &s, text, 2), 0);
        EXPECT_EQ(d, 0.0);
        EXPECT_EQ(m, 0.0);
        EXPECT_EQ(s, 0.0);
        EXPECT_STREQ(text, "");
    }
}

SYSTEMTIME at(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, WORD ms)
{
    SYSTEMTIME t{};
    t.wYear = y;
    t.wMonth = mo;
    t.wDay = d;
    t.wHour = h;
    t.wMinute = mi;
    t.wSecond = s;
    t.wMilliseconds = ms;
    return t;
}

TEST(ToolbaseDates, DifferenceInMilliseconds)
{
    struct {
        SYSTEMTIME from, to;
        double ms;
    } cases[] = {
        {at(2024, 1, 1, 0, 0, 0, 0), at(2024, 1, 1, 0, 0, 1, 500), 1500.0},
        {at(2024, 2, 28, 23, 59, 59, 999), at(2024, 3, 1, 0, 0, 0, 0), 86400000.0 + 1.0},  // leap day
        {at(2023, 12, 31, 23, 0, 0, 0), at(2024, 1, 1, 1, 0, 0, 0), 7200000.0},
        {at(2024, 1, 1, 0, 0, 1, 0), at(2024, 1, 1, 0, 0, 0, 0), -1000.0},
        {at(1980, 1, 6, 0, 0, 0, 0), at(2024, 1, 1, 0, 0, 0, 0), 1388102400000.0},
    };
    for (auto& c : cases) {
        double ms = -1;
        ASSERT_EQ(F_DllDateDifference(&c.from, &c.to, &ms), 1);
        EXPECT_DOUBLE_EQ(ms, c.ms);
    }
}

TEST(ToolbaseDates, InvalidDatesAreRefused)
{
    SYSTEMTIME good = at(2024, 1, 1, 0, 0, 0, 0);
    SYSTEMTIME bad[] = {at(2023, 2, 29, 0, 0, 0, 0), at(2024, 13, 1, 0, 0, 0, 0), at(2024, 1, 1, 24, 0, 0, 0),
                        at(2024, 1, 1, 0, 0, 0, 1000), at(2024, 1, 0, 0, 0, 0, 0)};
    for (auto& b : bad) {
        double ms = 7;
        EXPECT_EQ(F_DllDateDifference(&good, &b, &ms), 0);
        EXPECT_EQ(ms, 0.0);
        EXPECT_EQ(F_DllDateDifference(&b, &good, &ms), 0);
    }
    double ms;
    EXPECT_EQ(F_DllDateDifference(nullptr, &good, &ms), 0);
    EXPECT_EQ(F_DllDateDifference(&good, &good, nullptr), 0);
}

TEST(ToolbaseSpeed, ConversionsToMetresPerSecond)
{
    struct {
        int unit;
        double speed, mps;
    } cases[] = {{ZQO_SPEED_METRE_PER_SEC, 3.5, 3.5},
                 {ZQO_SPEED_KNOT, 10.0, 5.144444444444445},
                 {ZQO_SPEED_KM_PER_HOUR, 36.0, 10.0},
                 {ZQO_SPEED_MILE_PER_HOUR, 1.0, 0.44704},
                 {ZQO_SPEED_FOOT_PER_SEC, -2.0, -0.6096}};
    for (auto& c : cases) {
        double v = 0;
        ASSERT_EQ(F_DllVitesse_2_MetreParSec(c.speed, c.unit, &v), 1);
        EXPECT_NEAR(v, c.mps, 1e-12);
    }
    double v = 9;
    EXPECT_EQ(F_DllVitesse_2_MetreParSec(1.0, 5, &v), 0);
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(F_DllVitesse_2_MetreParSec(1.0, -1, &v), 0);
    EXPECT_EQ(F_DllVitesse_2_MetreParSec(std::nan(""), ZQO_SPEED_KNOT, &v), 0);
    EXPECT_EQ(F_DllVitesse_2_MetreParSec(1.0, ZQO_SPEED_KNOT, nullptr), 0);
}

}  // namespace
