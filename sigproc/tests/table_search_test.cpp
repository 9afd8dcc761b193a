#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "sigproc/SignalToolbox.h"

namespace {

struct LocateCase {
    double v;
    int guess;
    int result;
    int j;
};

TEST(LocateValue, AscendingTable)
{
    const double table[] = {10, 20, 30, 40, 50};
    const LocateCase cases[] = {
        {5, 3, -2, 0},  {60, 3, -3, 0}, {10, 3, 0, 0},  {50, 0, 0, 4},   {25, 0, 0, 1},  {25, 4, 0, 1},
        {25, -3, 0, 1}, {25, 99, 0, 1}, {30, 0, 0, 2},  {49.9, 0, 0, 3}, {10.1, 4, 0, 0}, {45, 1, 0, 3},
    };
    for (const LocateCase& c : cases) {
        int j = c.guess;
        EXPECT_EQ(DllLocateValueDble(table, 5, c.v, &j), c.result) << c.v << " from " << c.guess;
        EXPECT_EQ(j, c.j) << c.v << " from " << c.guess;

        const unsigned utable[] = {10, 20, 30, 40, 50};
        if (c.v == std::floor(c.v)) {
            int uj = c.guess;
            EXPECT_EQ(DllLocateValue(utable, 5, static_cast<unsigned>(c.v), &uj), c.result) << c.v;
            EXPECT_EQ(uj, c.j) << c.v;
        }
    }
}

TEST(LocateValue, DescendingTable)
{
    const double table[] = {50, 40, 30, 20, 10};
    const LocateCase cases[] = {
        {60, 2, -2, 0}, {5, 2, -3, 0}, {50, 2, 0, 0}, {10, 0, 0, 4}, {25, 0, 0, 2}, {25, 4, 0, 2}, {45, 3, 0, 0},
    };
    for (const LocateCase& c : cases) {
        int j = c.guess;
        EXPECT_EQ(DllLocateValueDble(table, 5, c.v, &j), c.result) << c.v;
        EXPECT_EQ(j, c.j) << c.v;
    }
}

// Whatever the guess, the result brackets the value.
TEST(LocateValue, HuntFromAnyGuessEnclosesTheValue)
{
    std::mt19937 random(7);
    for (bool ascending : {true, false}) {
        std::vector<double> table(1000);
        double v = 0;
        for (double& t : table)
            t = (v += 0.5 + std::uniform_real_distribution<double>(0, 3)(random));
        if (!ascending)
            std::reverse(table.begin(), table.end());
        const double lo = std::min(table.front(), table.back()), hi = std::max(table.front(), table.back());
        for (int trial = 0; trial < 2000; ++trial) {
            double value = std::uniform_real_distribution<double>(lo, hi)(random);
            int guess = std::uniform_int_distribution<int>(-5, 1005)(random);
            int j = guess;
            ASSERT_EQ(DllLocateValueDble(table.data(), 1000, value, &j), 0);
            ASSERT_GE(j, 0);
            ASSERT_LT(j, 999);
            double a = table[static_cast<size_t>(j)], b = table[static_cast<size_t>(j) + 1];
            EXPECT_TRUE(std::min(a, b) <= value && value <= std::max(a, b))
                << value << " not within [" << a << ", " << b << "] from guess " << guess;
        }
    }
}

TEST(LocateValue, OneElementAndBadArguments)
{
    const double one[] = {4};
    int j = 7;
    EXPECT_EQ(DllLocateValueDble(one, 1, 4, &j), 0);
    EXPECT_EQ(j, 0);
    EXPECT_EQ(DllLocateValueDble(one, 1, 3, &j), -2);
    EXPECT_EQ(DllLocateValueDble(one, 1, 5, &j), -3);

    const double table[] = {1, 2, 3};
    const unsigned utable[] = {1, 2, 3};
    EXPECT_EQ(DllLocateValueDble(nullptr, 3, 2, &j), -1);
    EXPECT_EQ(DllLocateValueDble(table, 0, 2, &j), -1);
    EXPECT_EQ(DllLocateValueDble(table, 3, 2, nullptr), -1);
    EXPECT_EQ(DllLocateValueDble(table, 3, std::nan(""), &j), -1);
    EXPECT_EQ(DllLocateValue(nullptr, 3, 2, &j), -1);
    EXPECT_EQ(DllLocateValue(utable, -1, 2, &j), -1);
    EXPECT_EQ(DllLocateValue(utable, 3, 2, nullptr), -1);
}

// A record whose key is its third 32-bit field.
struct Segment {
    uint32_t id;
    uint32_t flags;
    uint32_t startKey;
    double payload;
};

class SegmentSearch : public ::testing::Test {
protected:
    SegmentSearch()
    {
        for (uint32_t k = 0; k < 6; ++k)
            segments.push_back({k, 0xFFFFFFFFu, 100 + 10 * k, -1});
        for (const Segment& s : segments)
            pointers.push_back(&s);
    }
    int locate(double v, int guess, int* j)
    {
        *j = guess;
        return DllLocateValueDsiSegment(pointers.data(), static_cast<int>(pointers.size()), v, j);
    }
    std::vector<Segment> segments;  // keys 100, 110 ... 150
    std::vector<const void*> pointers;
};

TEST_F(SegmentSearch, EndsAreResultsNotErrors)
{
    const LocateCase cases[] = {
        {50, 3, 0, 0},  {100, 3, 0, 0}, {150, 0, 0, 5}, {9e9, 0, 0, 5},
        {125, 0, 0, 2}, {125, 5, 0, 2}, {110, 4, 0, 1}, {149.5, -2, 0, 4},
    };
    for (const LocateCase& c : cases) {
        int j = -1;
        EXPECT_EQ(locate(c.v, c.guess, &j), c.result) << c.v;
        EXPECT_EQ(j, c.j) << c.v;
    }
}

TEST_F(SegmentSearch, RefusesEmptyOrBrokenArrays)
{
    int j = 0;
    EXPECT_EQ(DllLocateValueDsiSegment(pointers.data(), 0, 120, &j), -1);
    EXPECT_EQ(DllLocateValueDsiSegment(nullptr, 6, 120, &j), -1);
    EXPECT_EQ(DllLocateValueDsiSegment(pointers.data(), 6, 120, nullptr), -1);
    EXPECT_EQ(DllLocateValueDsiSegment(pointers.data(), 6, std::nan(""), &j), -1);
    pointers[3] = nullptr;
    EXPECT_EQ(locate(120, 0, &j), -1);
}

}  // namespace
