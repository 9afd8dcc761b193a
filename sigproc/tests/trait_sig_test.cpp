#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "sigproc/C_TraitSig.h"
#include "sigproc/SignalToolbox.h"

namespace {

// One object of each kind over the same six samples.
class TraitSigKinds : public ::testing::Test {
protected:
    double d[6] = {350, 10, 20, 30, 170, -170};
    double d2[6] = {1, 2, 3, 4, 5, 6};
    float f[6] = {350, 10, 20, 30, 170, -170};
    C_TraitSig floats{f, 6, true};
    C_TraitSig doubles{d, 6, true};
    C_TraitSig pair{d, d2, 6, true};

    // Results of every operation on one object: 0 where its kind serves.
    std::vector<int> results(const C_TraitSig& s)
    {
        float fo[12], flo, fhi;
        double o[12], o2[12], lo, hi, ylo, yhi;
        return {s.MinMaxSignal(&flo, &fhi),       s.MinMaxSignal(&lo, &hi),         s.MinMaxSignal(&lo, &ylo, &hi, &yhi),
                s.Interpol(fo, 12),              s.Interpol(o, 12),                 s.Interpol(o, o2, 12),
                s.Decimation(E_DECIM_MEAN, fo, 3), s.Decimation(E_DECIM_MEAN, o, 3), s.Decimation(E_DECIM_MEAN, o, o2, 3)};
    }
};

TEST_F(TraitSigKinds, EachKindServesOnlyItsOwnOperations)
{
    EXPECT_EQ(results(floats), (std::vector<int>{0, -1, -1, 0, -1, -1, 0, -1, -1}));
    EXPECT_EQ(results(doubles), (std::vector<int>{-1, 0, -1, -1, 0, -1, -1, 0, -1}));
    EXPECT_EQ(results(pair), (std::vector<int>{-1, -1, 0, -1, -1, 0, -1, -1, 0}));
}

TEST_F(TraitSigKinds, ForwardsItsArraysCountAndAngularFlag)
{
    double viaObject[3], direct[3];
    ASSERT_EQ(doubles.Decimation(E_DECIM_MEAN, viaObject, 3), 0);
    ASSERT_EQ(F_DllDecimSignalD(d, 6, E_DECIM_MEAN, direct, 3, true), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(viaObject[i], direct[i]);
    EXPECT_NEAR(viaObject[0], 0, 1e-9);  // 350 and 10 averaged on the circle

    double x[11], y[11], xd[11], yd[11];
    ASSERT_EQ(pair.Interpol(x, y, 11), 0);
    ASSERT_EQ(F_DllInterpolSignalXY(d, d2, 6, xd, yd, 11, true), 0);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(x[i], xd[i]);
        EXPECT_EQ(y[i], yd[i]);
    }

    float lo = 0, hi = 0;
    ASSERT_EQ(floats.MinMaxSignal(&lo, &hi), 0);
    EXPECT_EQ(lo, -170);
    EXPECT_EQ(hi, 350);
    double dlo = 0, dhi = 0;
    ASSERT_EQ(doubles.MinMaxSignal(&dlo, &dhi), 0);
    EXPECT_EQ(dlo, -170);
    EXPECT_EQ(dhi, 350);
}

TEST(TraitSig, CountsTheToolboxCannotTakeAreRefused)
{
    double d[4] = {1, 2, 3, 4}, out[8];
    C_TraitSig huge(d, static_cast<long>(INT_MAX) + 1, false);
    double lo, hi;
    EXPECT_EQ(huge.MinMaxSignal(&lo, &hi), -1);
    EXPECT_EQ(huge.Interpol(out, 8), -1);
    C_TraitSig negative(d, -4, false);
    EXPECT_EQ(negative.MinMaxSignal(&lo, &hi), -1);
    C_TraitSig fine(d, 4, false);
    EXPECT_EQ(fine.Interpol(out, static_cast<long>(INT_MAX) + 8), -1);
    EXPECT_EQ(fine.Interpol(out, 8), 0);
    C_TraitSig missing(static_cast<double*>(nullptr), 4, false);
    EXPECT_EQ(missing.Interpol(out, 8), -1);
    C_TraitSig halfPair(d, nullptr, 4, false);
    EXPECT_EQ(halfPair.Decimation(E_DECIM_FIRST, out, out, 2), -1);
}

}  // namespace
