#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <ostream>
#include <cstdlib>
#include <limits>
#include <vector>

#include "sigproc/Graduation.h"

namespace {

struct StepCase {
    double min, max;
    int pixels, flag;
    double step;
    int spacing;
};

void PrintTo(const StepCase& c, std::ostream* os)
{
    *os << "[" << c.min << ", " << c.max << "] on " << c.pixels << " px, flag " << c.flag;
}

class GraduationStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(GraduationStep, ChoosesTheRoundedStepAndItsSpacing)
{
    const StepCase& c = GetParam();
    double step = -1;
    int spacing = -1;
    ASSERT_EQ(F_DllGetGraduationVal(c.min, c.max, c.pixels, c.flag, &step, &spacing), 0);
    EXPECT_DOUBLE_EQ(step, c.step);
    EXPECT_EQ(spacing, c.spacing);
}

INSTANTIATE_TEST_SUITE_P(
    RangesAndLengths, GraduationStep,
    ::testing::Values(
        // density 5 lies in (3, 7]: 35 / 7 = 5, kept by the 0.5 rule
        StepCase{0, 100, 500, 0, 5, 25},
        // 125 / 7 = 17.86 rounds to the nearest multiple of 5
        StepCase{0, 100, 500, 1, 20, 100},
        StepCase{0, 100, 500, 257, 20, 100},  // only the flag's low byte counts
        StepCase{0, 100, 500, 2, 5, 25},      // 2 aims like 0 ...
        StepCase{0, 1, 100, 2, 1, 100},       // ... but above 50 pixels per unit keeps step 1
        StepCase{0, 1, 100, 0, 0.35, 35},     // flag 0 derives it instead; 0.5 or less is not rounded
        StepCase{0, 10, 100, 0, 3, 30},       // density 10 in (7, 12]: 35 / 12 to a multiple of 0.5
        StepCase{0, 100, 700, 0, 5, 35},      // density 7 is the top of (3, 7]
        StepCase{0, 100, 600, 0, 5, 30},      // density 6 also uses 7: 6 never serves
        StepCase{0, 1000, 500, 0, 70, 35},    // density 0.5
        StepCase{0, 3600, 800, 1, 500, 111},  // density 0.22 in (0.125, 0.25]
        StepCase{0, 1e6, 100, 0, 35000, 4},   // (0, 0.001], with the table's single-precision 0.001
        StepCase{-5, 5, 1000, 0, 0.35, 35},
        StepCase{-60, 0, 300, 0, 5, 25}));

TEST(GraduationStep, EveryStepLiesOnItsRoundingGrid)
{
    for (double span : {0.001, 0.37, 1.0, 7.5, 60.0, 360.0, 3600.0, 86400.0, 1e7}) {
        for (int pixels : {1, 17, 100, 333, 800, 1920, 10000}) {
            for (int flag : {0, 1}) {
                double step = 0;
                int spacing = 0;
                ASSERT_EQ(F_DllGetGraduationVal(-span / 3, span * 2 / 3, pixels, flag, &step, &spacing), 0);
                SCOPED_TRACE(::testing::Message() << "span " << span << ", pixels " << pixels << ", flag " << flag);
                ASSERT_GT(step, 0);
                if (step > 5) {
                    EXPECT_EQ(std::fmod(step, 5.0), 0);
                } else if (step > 0.5) {
                    EXPECT_EQ(std::fmod(step, 0.5), 0);
                }
                EXPECT_EQ(spacing, static_cast<int>(std::floor(pixels / span * step + 0.5)));
            }
        }
    }
}

TEST(GraduationStep, BadRangeOrLengthLeavesOutputsUntouched)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    struct Case {
        double min, max;
        int pixels;
    };
    const Case cases[] = {{5, 5, 100}, {0, 0.000001, 100}, {10, 0, 100}, {0, 100, 0},  {0, 100, -5},
                          {nan, 1, 100}, {0, nan, 100},    {0, inf, 100}, {-inf, 0, 100}};
    for (const Case& c : cases) {
        double step = 42;
        int spacing = 42;
        EXPECT_EQ(F_DllGetGraduationVal(c.min, c.max, c.pixels, 0, &step, &spacing), -1)
            << c.min << " " << c.max << " " << c.pixels;
        EXPECT_EQ(step, 42);
        EXPECT_EQ(spacing, 42);
    }
    double step = 0;
    int spacing = 0;
    EXPECT_EQ(F_DllGetGraduationVal(0, 100, 500, 0, nullptr, &spacing), -1);
    EXPECT_EQ(F_DllGetGraduationVal(0, 100, 500, 0, &step, nullptr), -1);
}

TEST(GraduationStep, SpacingBeyondAnIntIsOutOfRange)
{
    double step = 42;
    int spacing = 42;
    // Step 1 kept on an axis of 2e13 pixels per unit.
    EXPECT_EQ(F_DllGetGraduationVal(0, 0.0001, INT_MAX, 1, &step, &spacing), -3);
    EXPECT_EQ(step, 42);
    EXPECT_EQ(spacing, 42);
}

// The caller's two tick arrays, freed like the caller would.
struct Ticks {
    ~Ticks()
    {
        std::free(pixels);
        std::free(values);
    }
    std::vector<double> value_list() const { return std::vector<double>(values, values + count); }
    std::vector<int> pixel_list() const { return std::vector<int>(pixels, pixels + count); }
    int* pixels = nullptr;
    double* values = nullptr;
    int count = 0;
};

struct TickCase {
    double min, max;
    int pixels;
    double step;
    std::vector<double> values;
    std::vector<int> pixelOffsets;
};

void PrintTo(const TickCase& c, std::ostream* os)
{
    *os << "[" << c.min << ", " << c.max << "] on " << c.pixels << " px, step " << c.step;
}

class GraduationTicks : public ::testing::TestWithParam<TickCase> {};

TEST_P(GraduationTicks, PlacesTicksInsideTheAxis)
{
    const TickCase& c = GetParam();
    Ticks ticks;
    ASSERT_EQ(F_DllGetGraduationBuff2(c.min, c.max, c.pixels, c.step, &ticks.pixels, &ticks.values, &ticks.count), 0);
    ASSERT_EQ(ticks.count, static_cast<int>(c.values.size()));
    for (int i = 0; i < ticks.count; ++i)
        EXPECT_NEAR(ticks.values[i], c.values[static_cast<size_t>(i)], 1e-12) << i;
    EXPECT_EQ(ticks.pixel_list(), c.pixelOffsets);
}

INSTANTIATE_TEST_SUITE_P(
    Axes, GraduationTicks,
    ::testing::Values(
        // Ends on whole steps: neither end nor its neighbour step carries a tick.
        TickCase{0, 20, 100, 5, {5, 10, 15}, {25, 50, 75}},
        // Ends between steps: the nearest whole step inside each end is skipped.
        TickCase{2, 28, 26, 5, {10, 15, 20}, {8, 13, 18}},
        TickCase{-10, 10, 200, 5, {-5, 0, 5}, {50, 100, 150}},
        // Decimal steps whose quotients do not come out whole in binary.
        TickCase{0.2, 1.0, 80, 0.1, {0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9}, {10, 20, 30, 40, 50, 60, 70}},
        TickCase{0, 0.7, 70, 0.1, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6}, {10, 20, 30, 40, 50, 60}},
        // No room between the ends: one tick in the middle.
        TickCase{0, 10, 100, 6, {5}, {50}}));

TEST(GraduationTicksFromStep, FollowTheChosenStep)
{
    Ticks ticks;
    ASSERT_EQ(F_DllGetGraduationBuff(0, 100, 500, 0, &ticks.pixels, &ticks.values, &ticks.count), 0);
    ASSERT_EQ(ticks.count, 19);  // step 5: ticks 5 .. 95
    EXPECT_EQ(ticks.values[0], 5);
    EXPECT_EQ(ticks.values[18], 95);
    EXPECT_EQ(ticks.pixels[0], 25);
    EXPECT_EQ(ticks.pixels[18], 475);
}

TEST(GraduationTicksFromStep, GrowsTheCallersArrays)
{
    Ticks ticks;
    ticks.pixels = static_cast<int*>(std::malloc(2 * sizeof(int)));
    ticks.values = static_cast<double*>(std::malloc(2 * sizeof(double)));
    ASSERT_EQ(F_DllGetGraduationBuff2(0, 100, 500, 5, &ticks.pixels, &ticks.values, &ticks.count), 0);
    ASSERT_EQ(ticks.count, 19);
    EXPECT_EQ(ticks.values[18], 95);  // written past the old two elements
    ASSERT_EQ(F_DllGetGraduationBuff2(0, 20, 100, 5, &ticks.pixels, &ticks.values, &ticks.count), 0);
    EXPECT_EQ(ticks.count, 3);
}

TEST(GraduationTicksFromStep, FailuresAllocateNothing)
{
    const double nan = std::nan("");
    Ticks ticks;
    EXPECT_EQ(F_DllGetGraduationBuff(5, 5, 100, 0, &ticks.pixels, &ticks.values, &ticks.count), -1);
    EXPECT_EQ(F_DllGetGraduationBuff(0, 100, 0, 0, &ticks.pixels, &ticks.values, &ticks.count), -1);
    EXPECT_EQ(F_DllGetGraduationBuff(0, 0.0001, INT_MAX, 1, &ticks.pixels, &ticks.values, &ticks.count), -3);
    for (double step : {0.0, -5.0, nan, std::numeric_limits<double>::infinity()})
        EXPECT_EQ(F_DllGetGraduationBuff2(0, 100, 500, step, &ticks.pixels, &ticks.values, &ticks.count), -1) << step;
    EXPECT_EQ(F_DllGetGraduationBuff2(10, 0, 500, 5, &ticks.pixels, &ticks.values, &ticks.count), -1);
    EXPECT_EQ(F_DllGetGraduationBuff2(0, nan, 500, 5, &ticks.pixels, &ticks.values, &ticks.count), -1);
    EXPECT_EQ(F_DllGetGraduationBuff2(0, 100, 0, 5, &ticks.pixels, &ticks.values, &ticks.count), -1);
    // A step so small that the ticks could not be counted, let alone drawn.
    EXPECT_EQ(F_DllGetGraduationBuff2(0, 1e9, 100, 1e-3, &ticks.pixels, &ticks.values, &ticks.count), -3);
    EXPECT_EQ(F_DllGetGraduationBuff2(-1e308, 1e308, 100, 1e-300, &ticks.pixels, &ticks.values, &ticks.count), -3);
    EXPECT_EQ(ticks.pixels, nullptr);
    EXPECT_EQ(ticks.values, nullptr);
    EXPECT_EQ(ticks.count, 0);

    int* pixels = nullptr;
    double* values = nullptr;
    int count = 0;
    EXPECT_EQ(F_DllGetGraduationBuff(0, 100, 500, 0, nullptr, &values, &count), -1);
    EXPECT_EQ(F_DllGetGraduationBuff(0, 100, 500, 0, &pixels, nullptr, &count), -1);
    EXPECT_EQ(F_DllGetGraduationBuff(0, 100, 500, 0, &pixels, &values, nullptr), -1);
    EXPECT_EQ(F_DllGetGraduationBuff2(0, 100, 500, 5, nullptr, &values, &count), -1);
    EXPECT_EQ(F_DllGetGraduationBuff2(0, 100, 500, 5, &pixels, &values, nullptr), -1);
}

}  // namespace
