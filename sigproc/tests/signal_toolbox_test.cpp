#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <limits>
#include <numeric>
#include <vector>

#include "sigproc/SignalToolbox.h"

namespace {

constexpr double kUnwritten = -12345;

double circular_distance(double a, double b)
{
    double d = std::fmod(std::fabs(a - b), 360.0);
    return std::min(d, 360 - d);
}

TEST(SignalExtremes, TiesKeepTheFirstSampleAndPairsFollowX)
{
    const double x[] = {1, 4, -2, 4, -2, 3};
    const double y[] = {10, 20, 30, 40, 50, 60};
    double lo = 0, hi = 0, yLo = 0, yHi = 0;
    ASSERT_EQ(F_DllMinMaxSignalD(x, 6, &lo, &hi), 0);
    EXPECT_EQ(lo, -2);
    EXPECT_EQ(hi, 4);
    ASSERT_EQ(F_DllMinMaxSignalXY(x, y, 6, &lo, &yLo, &hi, &yHi), 0);
    EXPECT_EQ(yLo, 30);
    EXPECT_EQ(yHi, 20);

    const double first[] = {-1, 0, 5};
    ASSERT_EQ(F_DllMinMaxSignalXY(first, y, 3, &lo, &yLo, &hi, &yHi), 0);
    EXPECT_EQ(yLo, y[0]);  // smallest x at sample 0

    const float f[] = {2.5f, -1.5f, 7.0f};
    float flo = 0, fhi = 0;
    ASSERT_EQ(F_DllMinMaxSignalF(f, 3, &flo, &fhi), 0);
    EXPECT_EQ(flo, -1.5f);
    EXPECT_EQ(fhi, 7.0f);
}

TEST(SignalExtremes, RefuseBadArguments)
{
    const double x[] = {1, 2};
    double a = 0, b = 0, c = 0, d = 0;
    float fa = 0, fb = 0;
    const float f[] = {1, 2};
    EXPECT_EQ(F_DllMinMaxSignalD(nullptr, 2, &a, &b), -1);
    EXPECT_EQ(F_DllMinMaxSignalD(x, 0, &a, &b), -1);
    EXPECT_EQ(F_DllMinMaxSignalD(x, 2, nullptr, &b), -1);
    EXPECT_EQ(F_DllMinMaxSignalD(x, 2, &a, nullptr), -1);
    EXPECT_EQ(F_DllMinMaxSignalF(f, -1, &fa, &fb), -1);
    EXPECT_EQ(F_DllMinMaxSignalF(f, 2, &fa, nullptr), -1);
    EXPECT_EQ(F_DllMinMaxSignalXY(x, nullptr, 2, &a, &b, &c, &d), -1);
    EXPECT_EQ(F_DllMinMaxSignalXY(x, x, 2, &a, nullptr, &c, &d), -1);
    EXPECT_EQ(F_DllMinMaxSignalXY(x, x, 2, &a, &b, &c, nullptr), -1);
}

TEST(InterpolData, LinearAngularAndDegenerate)
{
    struct Case {
        double y1, y2, x1, x2, x;
        bool angular;
        double expected;
    };
    const Case cases[] = {
        {0, 10, 0, 2, 1, false, 5},
        {0, 10, 0, 2, 3, false, 15},  // extrapolates
        {350, 10, 0, 2, 1, true, 0},  // through north, not 180
        {10, 350, 0, 2, 1, true, 0},
        {170, -170, 0, 1, 0.5, true, 180},
        {90, 90, 0, 1, 0.25, true, 90},
        {7, 9, 1, 1.000001, 5, false, 7},  // times too close: the left value
        {7, 9, 1, 1.000001, 5, true, 7},
    };
    for (const Case& c : cases) {
        double got = F_InterpolData(c.y1, c.y2, c.x1, c.x2, c.x, c.angular);
        if (c.angular)
            EXPECT_NEAR(circular_distance(got, c.expected), 0, 1e-9) << c.y1 << " " << c.y2;
        else
            EXPECT_DOUBLE_EQ(got, c.expected);
    }
}

// Up-sampling: inputs land on their rounded positions and every slot
// between is written.
struct UpCase {
    int nIn, nOut;
    std::vector<int> positions;  // where input i lands
};

void PrintTo(const UpCase& c, std::ostream* os)
{
    *os << c.nIn << " to " << c.nOut;
}

class UpSampling : public ::testing::TestWithParam<UpCase> {};

TEST_P(UpSampling, WritesEverySlotWithInputsAtTheirPositions)
{
    const UpCase& c = GetParam();
    std::vector<double> in(static_cast<size_t>(c.nIn));
    std::iota(in.begin(), in.end(), 1.0);
    std::vector<double> out(static_cast<size_t>(c.nOut), kUnwritten);
    ASSERT_EQ(F_DllInterpolSignalD(in.data(), c.nIn, out.data(), c.nOut, false), 0);
    for (size_t i = 0; i < c.positions.size(); ++i)
        EXPECT_EQ(out[static_cast<size_t>(c.positions[i])], in[i]) << "input " << i;
    for (int s = 0; s < c.nOut; ++s)
        EXPECT_NE(out[static_cast<size_t>(s)], kUnwritten) << "slot " << s;
    // A ramp stays a ramp: interpolated slots are between their neighbours.
    for (int s = 1; s < c.nOut; ++s)
        EXPECT_GE(out[static_cast<size_t>(s)], out[static_cast<size_t>(s - 1)]);

    std::vector<float> fin(in.begin(), in.end()), fout(static_cast<size_t>(c.nOut), kUnwritten);
    ASSERT_EQ(F_DllInterpolSignalF(fin.data(), c.nIn, fout.data(), c.nOut, false), 0);
    for (int s = 0; s < c.nOut; ++s)
        EXPECT_FLOAT_EQ(fout[static_cast<size_t>(s)], static_cast<float>(out[static_cast<size_t>(s)]));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, UpSampling,
    ::testing::Values(UpCase{3, 5, {0, 2, 4}},   // r = 2: 1 and 3 interpolated
                      UpCase{3, 6, {0, 3, 5}},   // r = 2.5: 2.5 rounds up
                      UpCase{4, 4, {0, 1, 2, 3}},  // r = 1: a copy
                      UpCase{2, 2, {0, 1}},
                      UpCase{11, 1001, {0, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}},
                      UpCase{4, 11, {0, 3, 7, 10}},
                      // 16.5 * 3 = 49.5 rounds up, 16.5 * 2 = 33 stays
                      UpCase{7, 100, {0, 17, 33, 50, 66, 83, 99}}));

// Where (nOut-1)/(nIn-1) is not a whole number a ratio rounded to single
// precision can fall short of the last slot (4 -> 11: 3.3333333 * 3 =
// 9.9999998); positions are computed exactly, so it never does.
TEST(UpSampling, LastInputAlwaysLandsOnTheLastSlot)
{
    for (int nIn = 2; nIn <= 60; ++nIn) {
        for (int nOut = nIn; nOut <= 400; nOut += 7) {
            SCOPED_TRACE(::testing::Message() << nIn << " -> " << nOut);
            std::vector<double> in(static_cast<size_t>(nIn), 1.0), out(static_cast<size_t>(nOut), kUnwritten);
            in.back() = 2.0;
            ASSERT_EQ(F_DllInterpolSignalD(in.data(), nIn, out.data(), nOut, false), 0);
            ASSERT_EQ(out.back(), 2.0);
            for (double v : out)
                ASSERT_NE(v, kUnwritten);

            std::vector<double> xo(out.size(), kUnwritten), yo(out.size(), kUnwritten);
            ASSERT_EQ(F_DllInterpolSignalXY(in.data(), in.data(), nIn, xo.data(), yo.data(), nOut, false), 0);
            ASSERT_EQ(xo.back(), 2.0);
            ASSERT_EQ(yo.back(), 2.0);
            for (size_t s = 0; s < xo.size(); ++s) {
                ASSERT_NE(xo[s], kUnwritten) << "slot " << s;
                ASSERT_NE(yo[s], kUnwritten) << "slot " << s;
            }
        }
    }
}

TEST(UpSampling, AngularSignalTurnsThroughNorth)
{
    const double in[] = {350, 10};
    double out[3];
    ASSERT_EQ(F_DllInterpolSignalD(in, 2, out, 3, true), 0);
    EXPECT_NEAR(circular_distance(out[1], 0), 0, 1e-9);
}

TEST(UpSampling, PairPlacesByFloorAndInterpolatesTheSecondLinearly)
{
    const double x[] = {0, 10, 20};
    const double y[] = {100, 200, 400};
    std::vector<double> xo(6, kUnwritten), yo(6, kUnwritten);
    // r = 2.5: inputs at floor(0) = 0, floor(2.5) = 2, 5.
    ASSERT_EQ(F_DllInterpolSignalXY(x, y, 3, xo.data(), yo.data(), 6, false), 0);
    const double xExpected[] = {0, 5, 10, 40.0 / 3, 50.0 / 3, 20};
    for (size_t s = 0; s < 6; ++s)
        EXPECT_NEAR(xo[s], xExpected[s], 1e-12) << s;
    EXPECT_EQ(yo[0], 100);
    EXPECT_EQ(yo[1], 150);
    EXPECT_EQ(yo[2], 200);
    EXPECT_NEAR(yo[3], 200 + 200.0 / 3, 1e-12);
    EXPECT_NEAR(yo[4], 200 + 400.0 / 3, 1e-12);
    EXPECT_EQ(yo[5], 400);
}

TEST(UpSampling, RefusesBadArguments)
{
    double in[4] = {1, 2, 3, 4}, out[8];
    float fin[4] = {1, 2, 3, 4}, fout[8];
    EXPECT_EQ(F_DllInterpolSignalD(in, 4, out, 3, false), -1);  // fewer outputs than inputs
    EXPECT_EQ(F_DllInterpolSignalD(in, 1, out, 8, false), -1);
    EXPECT_EQ(F_DllInterpolSignalD(in, 4, out, 1, false), -1);
    EXPECT_EQ(F_DllInterpolSignalD(nullptr, 4, out, 8, false), -1);
    EXPECT_EQ(F_DllInterpolSignalD(in, 4, nullptr, 8, false), -1);
    EXPECT_EQ(F_DllInterpolSignalF(fin, 4, fout, 2, false), -1);
    EXPECT_EQ(F_DllInterpolSignalF(fin, -4, fout, 8, false), -1);
    EXPECT_EQ(F_DllInterpolSignalXY(in, nullptr, 4, out, out, 8, false), -1);
    EXPECT_EQ(F_DllInterpolSignalXY(in, in, 4, out, nullptr, 8, false), -1);
    EXPECT_EQ(F_DllInterpolSignalXY(in, in, 4, out, out, 3, false), -1);
}

// Decimation: blocks split exactly, every output written once.
struct DecimCase {
    int nIn, nOut;
    std::vector<int> blockSizes;
};

void PrintTo(const DecimCase& c, std::ostream* os)
{
    *os << c.nIn << " to " << c.nOut;
}

class Decimation : public ::testing::TestWithParam<DecimCase> {};

TEST_P(Decimation, BlocksSplitTheInputExactly)
{
    const DecimCase& c = GetParam();
    std::vector<double> in(static_cast<size_t>(c.nIn));
    std::iota(in.begin(), in.end(), 0.0);
    std::vector<double> first(static_cast<size_t>(c.nOut), kUnwritten), last(first), mean(first);
    ASSERT_EQ(F_DllDecimSignalD(in.data(), c.nIn, E_DECIM_FIRST, first.data(), c.nOut, false), 0);
    ASSERT_EQ(F_DllDecimSignalD(in.data(), c.nIn, E_DECIM_MAX, last.data(), c.nOut, false), 0);
    ASSERT_EQ(F_DllDecimSignalD(in.data(), c.nIn, E_DECIM_MEAN, mean.data(), c.nOut, false), 0);
    int start = 0;
    for (size_t o = 0; o < c.blockSizes.size(); ++o) {
        int size = c.blockSizes[o];
        EXPECT_EQ(first[o], start) << "block " << o;
        EXPECT_EQ(last[o], start + size - 1) << "block " << o;
        EXPECT_DOUBLE_EQ(mean[o], start + (size - 1) / 2.0) << "block " << o;
        start += size;
    }
    for (int o = 0; o < c.nOut; ++o)
        EXPECT_NE(first[static_cast<size_t>(o)], kUnwritten) << "slot " << o;
}

INSTANTIATE_TEST_SUITE_P(Sizes, Decimation,
                         ::testing::Values(DecimCase{10, 3, {4, 3, 3}}, DecimCase{4, 2, {2, 2}},
                                           DecimCase{5, 4, {2, 1, 1, 1}}, DecimCase{7, 2, {4, 3}},
                                           DecimCase{1000, 999, {}}, DecimCase{100, 7, {15, 14, 14, 15, 14, 14, 14}}));

TEST(Decimation, EveryOutputSlotIsWrittenForAnySizes)
{
    for (int nIn = 3; nIn <= 300; nIn += 1) {
        for (int nOut = 2; nOut < nIn; nOut += 5) {
            std::vector<double> in(static_cast<size_t>(nIn), 1.0), out(static_cast<size_t>(nOut), kUnwritten);
            in.back() = 9.0;
            ASSERT_EQ(F_DllDecimSignalD(in.data(), nIn, E_DECIM_MAX, out.data(), nOut, false), 0);
            ASSERT_EQ(out.back(), 9.0) << nIn << " -> " << nOut << ": the last block holds the last input";
            for (double v : out)
                ASSERT_NE(v, kUnwritten) << nIn << " -> " << nOut;
        }
    }
}

TEST(Decimation, ModesOnOneSignal)
{
    const double in[] = {3, -1, 8, 2, 5, 5};
    struct Case {
        int mode;
        std::vector<double> expected;
    };
    for (const Case& c : {Case{E_DECIM_MEAN, {10.0 / 3, 4}}, Case{E_DECIM_MAX, {8, 5}}, Case{E_DECIM_MIN, {-1, 2}},
                          Case{E_DECIM_FIRST, {3, 2}}}) {
        std::vector<double> out(2, kUnwritten);
        ASSERT_EQ(F_DllDecimSignalD(in, 6, c.mode, out.data(), 2, false), 0);
        EXPECT_DOUBLE_EQ(out[0], c.expected[0]) << "mode " << c.mode;
        EXPECT_DOUBLE_EQ(out[1], c.expected[1]) << "mode " << c.mode;

        const float fin[] = {3, -1, 8, 2, 5, 5};
        float fout[2] = {};
        ASSERT_EQ(F_DllDecimSignalF(fin, 6, c.mode, fout, 2, false), 0);
        EXPECT_FLOAT_EQ(fout[1], static_cast<float>(c.expected[1]));
    }
}

TEST(Decimation, AngularMeanGoesThroughSineAndCosine)
{
    const double in[] = {350, 10, 170, -170};
    double out[2];
    ASSERT_EQ(F_DllDecimSignalD(in, 4, E_DECIM_MEAN, out, 2, true), 0);
    EXPECT_NEAR(circular_distance(out[0], 0), 0, 1e-9);
    EXPECT_NEAR(out[1], 180, 1e-9);
    for (double v : out) {
        EXPECT_GE(v, 0);
        EXPECT_LT(v, 360);
    }
    const double south[] = {-100, -80, -95, -85};  // mean -90 comes out as 270
    ASSERT_EQ(F_DllDecimSignalD(south, 4, E_DECIM_MEAN, out, 2, true), 0);
    EXPECT_NEAR(out[0], 270, 1e-9);
}

TEST(Decimation, PairTakesTheSecondCoordinateOfEachBlocksFirstSample)
{
    const double x[] = {1, 5, 3, 9, 7, 2};
    const double y[] = {10, 20, 30, 40, 50, 60};
    for (int mode : {E_DECIM_MEAN, E_DECIM_MAX, E_DECIM_MIN, E_DECIM_FIRST}) {
        double xo[2] = {}, yo[2] = {};
        ASSERT_EQ(F_DllDecimSignalXY(x, y, 6, mode, xo, yo, 2, false), 0);
        EXPECT_EQ(yo[0], 10) << mode;
        EXPECT_EQ(yo[1], 40) << mode;
        if (mode == E_DECIM_MAX) {
            EXPECT_EQ(xo[0], 5);
            EXPECT_EQ(xo[1], 9);
        }
    }
}

TEST(Decimation, RefusesBadArguments)
{
    double in[6] = {1, 2, 3, 4, 5, 6}, out[6];
    EXPECT_EQ(F_DllDecimSignalD(in, 6, 0, out, 6, false), -1);  // not fewer outputs
    EXPECT_EQ(F_DllDecimSignalD(in, 6, 0, out, 1, false), -1);
    EXPECT_EQ(F_DllDecimSignalD(in, 1, 0, out, 2, false), -1);
    EXPECT_EQ(F_DllDecimSignalD(in, 6, 4, out, 2, false), -1);
    EXPECT_EQ(F_DllDecimSignalD(in, 6, -1, out, 2, false), -1);
    EXPECT_EQ(F_DllDecimSignalD(nullptr, 6, 0, out, 2, false), -1);
    EXPECT_EQ(F_DllDecimSignalD(in, 6, 0, nullptr, 2, false), -1);
    EXPECT_EQ(F_DllDecimSignalXY(in, nullptr, 6, 0, out, out, 2, false), -1);
    EXPECT_EQ(F_DllDecimSignalXY(in, in, 6, 0, out, nullptr, 2, false), -1);
    float fin[6] = {}, fout[6];
    EXPECT_EQ(F_DllDecimSignalF(fin, 6, 0, fout, 7, false), -1);
}

}  // namespace
