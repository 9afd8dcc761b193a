#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sigproc/SignalToolbox.h"

namespace {

struct Fit {
    double b = -99, a = -99, sigmaA = -99, sigmaB = -99, fourth = -99, q = -99;
};

int fit(const std::vector<double>& x, const std::vector<double>& y, const double* sigma, bool weighted, Fit& f)
{
    return F_LeastSquaresDetailed(x.data(), y.data(), static_cast<int>(x.size()), sigma, weighted, &f.b, &f.a,
                                  &f.sigmaA, &f.sigmaB, &f.fourth, &f.q);
}

TEST(LeastSquares, ExactLinesComeBackExactly)
{
    struct Case {
        std::vector<double> x;
        double slope, intercept;
    };
    for (const Case& c : {Case{{0, 1, 2, 3, 4}, 3, 2}, Case{{-5, 2, 7}, -0.5, 10}, Case{{1e6, 1e6 + 1}, 2, -1}}) {
        std::vector<double> y;
        for (double xi : c.x)
            y.push_back(c.intercept + c.slope * xi);
        double b = 0, a = 0;
        ASSERT_EQ(F_LeastSquares(c.x.data(), y.data(), static_cast<int>(c.x.size()), &b, &a), 0);
        EXPECT_NEAR(b, c.slope, 1e-9);
        EXPECT_NEAR(a, c.intercept, 1e-6);
    }
}

TEST(LeastSquares, UnweightedFitGivesScatterScaledSigmasAndChiSquare)
{
    // Points on both sides of the line: negative residuals give numbers too.
    const std::vector<double> x = {1, 2, 3, 4, 5}, y = {2.1, 3.9, 6.2, 7.8, 10.1};
    Fit f;
    ASSERT_EQ(fit(x, y, nullptr, false, f), 0);
    EXPECT_NEAR(f.b, 1.99, 1e-12);
    EXPECT_NEAR(f.a, 0.05, 1e-12);
    EXPECT_NEAR(f.fourth, 0.107, 1e-12);
    EXPECT_NEAR(f.sigmaB, 0.05972157622389639, 1e-12);
    EXPECT_NEAR(f.sigmaA, 0.1980740602232744, 1e-12);
    EXPECT_EQ(f.q, 1);

    double b = 0, a = 0;
    ASSERT_EQ(F_LeastSquares(x.data(), y.data(), 5, &b, &a), 0);
    EXPECT_NEAR(b, f.b, 1e-12);
    EXPECT_NEAR(a, f.a, 1e-12);
}

TEST(LeastSquares, WeightIsTheInverseVarianceOfEachPoint)
{
    // A point whose sigma is 1/sqrt(2) counts as that point twice with sigma 1.
    const std::vector<double> x = {0, 1, 2, 3}, y = {0, 1, 5, 3};
    const double sigma[] = {1, 1 / std::sqrt(2.0), 1, 1};
    const std::vector<double> x2 = {0, 1, 1, 2, 3}, y2 = {0, 1, 1, 5, 3};
    const double ones[] = {1, 1, 1, 1, 1};
    Fit weighted, doubled;
    ASSERT_EQ(fit(x, y, sigma, true, weighted), 0);
    ASSERT_EQ(fit(x2, y2, ones, true, doubled), 0);
    EXPECT_NEAR(weighted.b, doubled.b, 1e-12);
    EXPECT_NEAR(weighted.a, doubled.a, 1e-12);
    EXPECT_NEAR(weighted.sigmaA, doubled.sigmaA, 1e-12);
    EXPECT_NEAR(weighted.sigmaB, doubled.sigmaB, 1e-12);
    EXPECT_NEAR(weighted.fourth, doubled.fourth, 1e-12);
    EXPECT_GT(weighted.fourth, 0);
}

TEST(LeastSquares, EqualSigmasGiveTheOrdinaryLine)
{
    const std::vector<double> x = {3, 1, 4, 1.5, 9, 2.6}, y = {5, 3, 5.8, 9, 7, 9.3};
    Fit ordinary, weighted;
    const std::vector<double> sigma(x.size(), 0.25);
    ASSERT_EQ(fit(x, y, nullptr, false, ordinary), 0);
    ASSERT_EQ(fit(x, y, sigma.data(), true, weighted), 0);
    EXPECT_NEAR(weighted.b, ordinary.b, 1e-12);
    EXPECT_NEAR(weighted.a, ordinary.a, 1e-12);
    // chi-square in units of sigma: the plain residual sum over sigma^2
    EXPECT_NEAR(weighted.fourth, ordinary.fourth / (0.25 * 0.25), 1e-9);
}

TEST(LeastSquares, AllEqualXHasNoLine)
{
    // 0.1 three times: the mean of x is not exactly 0.1 in binary.
    for (const std::vector<double>& x : {std::vector<double>{2, 2, 2}, std::vector<double>{0.1, 0.1, 0.1}}) {
        const std::vector<double> y = {1, 2, 3};
        const double sigma[] = {0.5, 0.5, 0.5};
        Fit f;
        EXPECT_EQ(fit(x, y, nullptr, false, f), -1);
        EXPECT_EQ(fit(x, y, sigma, true, f), -1);
        EXPECT_EQ(f.b, -99) << "outputs untouched";
        double b = -99, a = -99;
        EXPECT_EQ(F_LeastSquares(x.data(), y.data(), 3, &b, &a), -1);
        EXPECT_EQ(b, -99);
    }
}

TEST(LeastSquares, RefusesBadArguments)
{
    const std::vector<double> x = {0, 1, 2}, y = {1, 2, 4};
    const double sigma[] = {1, 1, 1}, badSigma[] = {1, 0, 1}, nanSigma[] = {1, std::nan(""), 1};
    double o[6];
    EXPECT_EQ(F_LeastSquaresDetailed(x.data(), y.data(), 2, nullptr, false, &o[0], &o[1], &o[2], &o[3], &o[4], &o[5]),
              -1);  // two points leave no scatter to scale the sigmas by
    EXPECT_EQ(F_LeastSquaresDetailed(x.data(), y.data(), 1, sigma, true, &o[0], &o[1], &o[2], &o[3], &o[4], &o[5]), -1);
    EXPECT_EQ(F_LeastSquaresDetailed(x.data(), y.data(), 2, sigma, true, &o[0], &o[1], &o[2], &o[3], &o[4], &o[5]), 0);
    EXPECT_EQ(F_LeastSquaresDetailed(x.data(), y.data(), 3, nullptr, true, &o[0], &o[1], &o[2], &o[3], &o[4], &o[5]),
              -1);
    EXPECT_EQ(F_LeastSquaresDetailed(x.data(), y.data(), 3, badSigma, true, &o[0], &o[1], &o[2], &o[3], &o[4], &o[5]),
              -1);
    EXPECT_EQ(F_LeastSquaresDetailed(x.data(), y.data(), 3, nanSigma, true, &o[0], &o[1], &o[2], &o[3], &o[4], &o[5]),
              -1);
    EXPECT_EQ(F_LeastSquaresDetailed(nullptr, y.data(), 3, sigma, true, &o[0], &o[1], &o[2], &o[3], &o[4], &o[5]), -1);
    EXPECT_EQ(F_LeastSquaresDetailed(x.data(), nullptr, 3, sigma, true, &o[0], &o[1], &o[2], &o[3], &o[4], &o[5]), -1);
    for (int missing = 0; missing < 6; ++missing) {
        double* out[6] = {&o[0], &o[1], &o[2], &o[3], &o[4], &o[5]};
        out[missing] = nullptr;
        EXPECT_EQ(F_LeastSquaresDetailed(x.data(), y.data(), 3, sigma, true, out[0], out[1], out[2], out[3], out[4],
                                         out[5]),
                  -1)
            << "output " << missing;
    }
    EXPECT_EQ(F_LeastSquares(x.data(), y.data(), 1, &o[0], &o[1]), -1);
    EXPECT_EQ(F_LeastSquares(x.data(), y.data(), 3, nullptr, &o[1]), -1);
    EXPECT_EQ(F_LeastSquares(x.data(), y.data(), 3, &o[0], nullptr), -1);
    EXPECT_EQ(F_LeastSquares(nullptr, y.data(), 3, &o[0], &o[1]), -1);
}

}  // namespace
