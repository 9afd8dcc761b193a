#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "sigproc/CScrollBuffer.h"

// The allocation-failure path of Init is exercised for real; under
// AddressSanitizer an impossible request must come back as null too.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}

namespace {

struct Sample {
    double time;
    double value;
};

Sample sample_at(const CScrollBuffer& ring, long index)
{
    Sample s{-1, -1};
    EXPECT_EQ(ring.GetTime_Value(index, &s.time, &s.value), 0) << "index " << index;
    return s;
}

// A ring of capacity 3 fed (1, 10) (2, 20) ... as the test needs.
class SmallRing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ring.Init(3, 1.0, false), 0); }
    void feed(int count)
    {
        for (int i = 1; i <= count; ++i)
            ASSERT_EQ(ring.add(i, 10.0 * i), 0);
    }
    CScrollBuffer ring;
};

TEST_F(SmallRing, LogicalIndexCountsFromTheOldestAndClampsBeforeFull)
{
    struct Case {
        int adds;
        long index;
        double value;
    };
    const Case cases[] = {
        {1, 0, 1}, {1, 2, 1},  // one sample: every index below the capacity reads it
        {2, 0, 1}, {2, 1, 2}, {2, 2, 2},
        {3, 0, 1}, {3, 2, 3},
        {4, 0, 2}, {4, 1, 3}, {4, 2, 4},  // wrapped: the oldest is the second sample
        {7, 0, 5}, {7, 2, 7},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(ring.Init(3, 1.0, false), 0);
        feed(c.adds);
        SCOPED_TRACE(::testing::Message() << c.adds << " adds, index " << c.index);
        Sample s = sample_at(ring, c.index);
        EXPECT_EQ(s.value, c.value);
        EXPECT_EQ(s.time, 10 * c.value);
        EXPECT_EQ(ring.GetNbPoint(), std::min(c.adds, 3));
    }
}

TEST_F(SmallRing, IndexOutsideTheCapacityFailsWithZeroedOutputs)
{
    for (int adds : {0, 2, 5}) {
        ASSERT_EQ(ring.Init(3, 1.0, false), 0);
        feed(adds);
        for (long index : {-1L, 3L, 4L, LONG_MAX, LONG_MIN}) {
            double time = 99, value = 99;
            EXPECT_EQ(ring.GetTime_Value(index, &time, &value), -1) << adds << " adds, index " << index;
            EXPECT_EQ(time, 0);
            EXPECT_EQ(value, 0);
            EXPECT_EQ(ring.GetTime(index), 0);
            EXPECT_EQ(ring.GetValue(index), 0);
        }
    }
}

TEST_F(SmallRing, NullOutputIsRefused)
{
    feed(2);
    double out = 99;
    EXPECT_EQ(ring.GetTime_Value(0, nullptr, &out), -1);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(ring.GetTime_Value(0, &out, nullptr), -1);
}

TEST_F(SmallRing, FirstAndLastFollowTheWraps)
{
    EXPECT_EQ(ring.GetFirstTime(), 0);
    EXPECT_EQ(ring.GetLastTime(), 0);
    EXPECT_EQ(ring.GetLastValue(), 0);
    feed(5);
    EXPECT_EQ(ring.GetFirstTime(), 30);
    EXPECT_EQ(ring.GetLastTime(), 50);
    EXPECT_EQ(ring.GetLastValue(), 5);
}

TEST_F(SmallRing, RazAndReinitDiscardSamples)
{
    feed(4);
    EXPECT_EQ(ring.RAZ(), 0);
    EXPECT_EQ(ring.GetNbPoint(), 0);
    EXPECT_EQ(ring.GetSize(), 3);
    EXPECT_EQ(ring.GetLastValue(), 0);
    ring.add(8, 80);
    EXPECT_EQ(sample_at(ring, 0).value, 8);
    EXPECT_EQ(sample_at(ring, 2).value, 8);

    ASSERT_EQ(ring.Init(5, 1.0, false), 0);
    EXPECT_EQ(ring.GetNbPoint(), 0);
    EXPECT_EQ(ring.GetSize(), 5);
}

TEST(ScrollBufferState, UninitialisedRingRefusesWorkAndReportsNothing)
{
    CScrollBuffer ring;
    double v[4] = {}, t[4] = {}, lo = 0, hi = 0, tlo = 0, thi = 0, mean = 0;
    long count = 0;
    EXPECT_EQ(ring.GetSize(), 0);
    EXPECT_EQ(ring.GetNbPoint(), 0);
    EXPECT_EQ(ring.add(1, 1), -1);
    EXPECT_EQ(ring.RAZ(), 0);
    EXPECT_EQ(ring.GetTime_Value(0, &t[0], &v[0]), -1);
    EXPECT_EQ(ring.CpyLastValue_Sample(2, v, t, 4, &lo, &hi), -1);
    EXPECT_EQ(ring.CpyLastValue_Time(50, v, t, 4, &count, &lo, &hi, &tlo, &thi, &mean), -1);
    EXPECT_EQ(ring.CpyEndToBuffer(v, 4, 0, 2), -1);
    EXPECT_EQ(ring.GetLastTime(), 0);
}

TEST(ScrollBufferState, InitRefusesBadAndImpossibleCapacities)
{
    const long bad[] = {0, -1, LONG_MIN, LONG_MAX, static_cast<long>(PTRDIFF_MAX / sizeof(double))};
    for (long n : bad) {
        CScrollBuffer ring;
        ASSERT_EQ(ring.Init(4, 1.0, false), 0);
        ring.add(1, 1);
        EXPECT_EQ(ring.Init(n, 1.0, false), -1) << n;
        if (n > 0) {
            // The old samples went before the allocation was tried.
            EXPECT_EQ(ring.GetSize(), 0) << n;
            EXPECT_EQ(ring.add(1, 1), -1) << n;
        }
        EXPECT_EQ(ring.Init(2, 1.0, false), 0) << "a failed Init leaves the ring reusable";
    }
}

TEST(ScrollBufferState, MovedRingKeepsItsSamplesAndLeavesTheSourceEmpty)
{
    CScrollBuffer a;
    ASSERT_EQ(a.Init(4, 1.0, false), 0);
    for (int i = 0; i < 6; ++i)
        a.add(i, i);
    CScrollBuffer b(std::move(a));
    EXPECT_EQ(b.GetNbPoint(), 4);
    EXPECT_EQ(b.GetValue(0), 2);
    EXPECT_EQ(a.GetSize(), 0);  // the moved-from ring is left uninitialised
    CScrollBuffer c;
    ASSERT_EQ(c.Init(2, 1.0, false), 0);
    c = std::move(b);
    EXPECT_EQ(c.GetLastValue(), 5);
    EXPECT_EQ(c.GetSize(), 4);
}

// The ring keeps exactly the newest samples, oldest first, however many
// times it has wrapped.
class RingAcrossWraps : public ::testing::TestWithParam<long> {};

TEST_P(RingAcrossWraps, KeepsTheNewestSamplesInOrder)
{
    const long capacity = GetParam();
    CScrollBuffer ring;
    ASSERT_EQ(ring.Init(capacity, 1.0, false), 0);
    std::vector<double> values(static_cast<size_t>(capacity)), times(static_cast<size_t>(capacity));
    const long adds = capacity * 13 + 5;
    for (long i = 0; i < adds; ++i) {
        ASSERT_EQ(ring.add(static_cast<double>(i), 1000.0 + i), 0);
        const long stored = std::min(i + 1, capacity);
        ASSERT_EQ(ring.GetNbPoint(), stored);
        const long oldest = i + 1 - stored;
        for (long k = 0; k < stored; ++k)
            ASSERT_EQ(ring.GetValue(k), static_cast<double>(oldest + k)) << "after add " << i << ", index " << k;

        double lo = 0, hi = 0, tlo = 0, thi = 0;
        ASSERT_EQ(ring.CpyLastValue_Sample(capacity, values.data(), times.data(), capacity, &lo, &hi, &tlo, &thi), 0);
        for (long k = 0; k < stored; ++k) {
            ASSERT_EQ(values[static_cast<size_t>(k)], static_cast<double>(oldest + k));
            ASSERT_EQ(times[static_cast<size_t>(k)], 1000.0 + oldest + k);
        }
        EXPECT_EQ(lo, static_cast<double>(oldest));
        EXPECT_EQ(hi, static_cast<double>(i));
        EXPECT_EQ(tlo, 1000.0 + oldest);
        EXPECT_EQ(thi, 1000.0 + i);
    }
}

INSTANTIATE_TEST_SUITE_P(Capacities, RingAcrossWraps, ::testing::Values(1L, 2L, 3L, 7L, 64L));

class CopiedRing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ring.Init(8, 1.0, false), 0);
        for (int i = 1; i <= 5; ++i)
            ring.add(i * 1.5, 1000.0 * i);  // times in milliseconds
    }
    CScrollBuffer ring;
};

TEST_F(CopiedRing, LastSamplesAreLimitedByCountAndOutputCapacity)
{
    struct Case {
        long n, capacityOut, copied;
    };
    for (Case c : {Case{3, 10, 3}, Case{9, 10, 5}, Case{5, 2, 2}}) {
        std::vector<double> v(12, -7), t(12, -7);
        double lo = 0, hi = 0;
        ASSERT_EQ(ring.CpyLastValue_Sample(c.n, v.data(), t.data(), c.capacityOut, &lo, &hi), 0);
        for (long k = 0; k < c.copied; ++k)
            EXPECT_EQ(v[static_cast<size_t>(k)], (5 - c.copied + 1 + k) * 1.5);
        EXPECT_EQ(v[static_cast<size_t>(c.copied)], -7) << "nothing past the copied samples";
        EXPECT_EQ(lo, (5 - c.copied + 1) * 1.5);
        EXPECT_EQ(hi, 7.5);
    }
}

TEST_F(CopiedRing, ValueRatioScalesOutgoingTimesOnly)
{
    ring.SetValueRatio(0.001);
    double v[5], t[5], lo, hi, tlo = -1, thi = -1;
    ASSERT_EQ(ring.CpyLastValue_Sample(5, v, t, 5, &lo, &hi, &tlo, &thi), 0);
    EXPECT_DOUBLE_EQ(t[0], 1.0);
    EXPECT_DOUBLE_EQ(t[4], 5.0);
    EXPECT_DOUBLE_EQ(tlo, 1.0);
    EXPECT_DOUBLE_EQ(thi, 5.0);
    EXPECT_EQ(ring.GetLastTime(), 5000.0);
    EXPECT_EQ(ring.GetFirstTime(), 1000.0);

    long count = 0;
    double mean;
    ASSERT_EQ(ring.CpyLastValue_Time(2500, v, t, 5, &count, &lo, &hi, &tlo, &thi, &mean), 0);
    EXPECT_DOUBLE_EQ(thi, 5.0);
    EXPECT_DOUBLE_EQ(t[count - 1], 5.0);
}

TEST_F(CopiedRing, TimeExtremesNeedBothOutputsAndTimesAreOptional)
{
    double v[5], lo, hi, tlo = -1;
    ASSERT_EQ(ring.CpyLastValue_Sample(5, v, nullptr, 5, &lo, &hi, &tlo, nullptr), 0);
    EXPECT_EQ(tlo, -1);
    EXPECT_EQ(v[4], 7.5);
}

TEST_F(CopiedRing, LastSamplesRefuseBadArguments)
{
    double v[5], t[5], lo, hi;
    EXPECT_EQ(ring.CpyLastValue_Sample(0, v, t, 5, &lo, &hi), -1);
    EXPECT_EQ(ring.CpyLastValue_Sample(-2, v, t, 5, &lo, &hi), -1);
    EXPECT_EQ(ring.CpyLastValue_Sample(2, nullptr, t, 5, &lo, &hi), -1);
    EXPECT_EQ(ring.CpyLastValue_Sample(2, v, t, 0, &lo, &hi), -1);
    EXPECT_EQ(ring.CpyLastValue_Sample(2, v, t, 5, nullptr, &hi), -1);
    EXPECT_EQ(ring.CpyLastValue_Sample(2, v, t, 5, &lo, nullptr), -1);
}

TEST(ScrollBufferCopy, EmptyRingCopiesNothing)
{
    CScrollBuffer ring;
    ASSERT_EQ(ring.Init(4, 1.0, false), 0);
    double v[2] = {5, 5}, t[2] = {5, 5}, lo = 5, hi = 5, tlo = 5, thi = 5, mean = 5;
    EXPECT_EQ(ring.CpyLastValue_Sample(2, v, t, 2, &lo, &hi, &tlo, &thi), 0);
    for (double x : {v[0], v[1], t[0], t[1], lo, hi, tlo, thi})
        EXPECT_EQ(x, 5);
    long count = 9;
    EXPECT_EQ(ring.CpyLastValue_Time(50, v, t, 2, &count, &lo, &hi, &tlo, &thi, &mean), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(v[0], 5);
}

TEST(ScrollBufferCopy, TimeWindowTakesSamplesUntilAgePlusTenReachesIt)
{
    CScrollBuffer ring;
    ASSERT_EQ(ring.Init(16, 1.0, false), 0);
    for (double t : {0.0, 5.0, 10.0, 15.0, 20.0})
        ring.add(t / 5, t);

    struct Case {
        double window;
        long capacityOut;
        long count;
        double oldestTime;
    };
    const Case cases[] = {
        {10, 8, 1, 20},  // 10 or less: the newest alone
        {0.5, 8, 1, 20},
        {10.5, 8, 2, 15},  // age 5 + 10 reaches 10.5: 15 is taken and ends the run
        {25, 8, 4, 5},     // age of 5 is 15, 15 + 10 >= 25 and 5 is included
        {26, 8, 4, 5},     // the sample at time 0 stops the run and is left out
        {1e9, 8, 4, 5},
        {25, 2, 2, 15},  // output capacity
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "window " << c.window << ", capacity " << c.capacityOut);
        double v[8], t[8], lo, hi, tlo, thi, mean;
        long count = -1;
        ASSERT_EQ(ring.CpyLastValue_Time(c.window, v, t, c.capacityOut, &count, &lo, &hi, &tlo, &thi, &mean), 0);
        ASSERT_EQ(count, c.count);
        EXPECT_EQ(t[0], c.oldestTime);
        EXPECT_EQ(t[count - 1], 20);
        EXPECT_EQ(tlo, c.oldestTime);
        EXPECT_EQ(thi, 20);
        EXPECT_EQ(lo, c.oldestTime / 5);
        EXPECT_EQ(hi, 4);
        double sum = 0;
        for (long k = 0; k < count; ++k)
            sum += v[k];
        EXPECT_DOUBLE_EQ(mean, sum / count);
    }
}

TEST(ScrollBufferCopy, TimeWindowRefusesBadArgumentsAndZeroesExtremes)
{
    CScrollBuffer ring;
    ASSERT_EQ(ring.Init(4, 1.0, false), 0);
    ring.add(3, 30);
    double v[4], t[4], lo = 9, hi = 9, tlo = 9, thi = 9, mean = 9;
    long count = 0;
    EXPECT_EQ(ring.CpyLastValue_Time(0, v, t, 4, &count, &lo, &hi, &tlo, &thi, &mean), -1);
    for (double x : {lo, hi, tlo, thi, mean})
        EXPECT_EQ(x, 0);
    EXPECT_EQ(ring.CpyLastValue_Time(std::nan(""), v, t, 4, &count, &lo, &hi, &tlo, &thi, &mean), -1);
    EXPECT_EQ(ring.CpyLastValue_Time(20, v, t, 0, &count, &lo, &hi, &tlo, &thi, &mean), -1);
    EXPECT_EQ(ring.CpyLastValue_Time(20, nullptr, t, 4, &count, &lo, &hi, &tlo, &thi, &mean), -1);
    EXPECT_EQ(ring.CpyLastValue_Time(20, v, nullptr, 4, &count, &lo, &hi, &tlo, &thi, &mean), -1);
    EXPECT_EQ(ring.CpyLastValue_Time(20, v, t, 4, nullptr, &lo, &hi, &tlo, &thi, &mean), -1);
    EXPECT_EQ(ring.CpyLastValue_Time(20, v, t, 4, &count, &lo, &hi, &tlo, &thi, nullptr), -1);
    EXPECT_EQ(ring.CpyLastValue_Time(20, v, t, 4, &count, nullptr, &hi, &tlo, &thi, &mean), -1);
}

class SynchroRing : public ::testing::Test {
protected:
    double synchro(double at)
    {
        double value = -999, lo, hi;
        EXPECT_EQ(ring.GetSynchroValue(&at, 1, &value, &lo, &hi), 0);
        return value;
    }
    CScrollBuffer ring;
};

TEST_F(SynchroRing, AngularRingInterpolatesOnTheCircle)
{
    ASSERT_EQ(ring.Init(4, 1.0, true), 0);
    ring.add(350, 0);
    ring.add(10, 2);
    EXPECT_NEAR(synchro(1), 0, 1e-9);
}

TEST_F(SynchroRing, ValuesAtTimesAroundAndBetweenSamples)
{
    ASSERT_EQ(ring.Init(4, 0.5, false), 0);  // times stored in half units
    for (int i = 0; i < 6; ++i)
        ring.add(i * 10, i * 2);  // kept: values 20..50 at scaled times 2..5
    struct Case {
        double at, value;
    };
    const Case cases[] = {{0, 20}, {1.99, 20}, {2, 20}, {2.5, 25}, {4.25, 42.5}, {5, 50}, {7, 50}};
    std::vector<double> at, values(std::size(cases), -1);
    for (const Case& c : cases)
        at.push_back(c.at);
    double lo = 0, hi = 0;
    ASSERT_EQ(ring.GetSynchroValue(at.data(), static_cast<long>(at.size()), values.data(), &lo, &hi), 0);
    for (size_t k = 0; k < std::size(cases); ++k)
        EXPECT_DOUBLE_EQ(values[k], cases[k].value) << "at " << cases[k].at;
    EXPECT_EQ(lo, 20);
    EXPECT_EQ(hi, 50);
}

TEST_F(SynchroRing, OneSampleRingGivesItsValueAtItsOwnTime)
{
    ASSERT_EQ(ring.Init(3, 1.0, false), 0);
    ring.add(42, 7);
    for (double at : {6.0, 7.0, 8.0})
        EXPECT_EQ(synchro(at), 42) << at;
    ASSERT_EQ(ring.Init(1, 1.0, false), 0);  // a ring of one slot, full
    ring.add(1, 3);
    ring.add(43, 7);
    EXPECT_EQ(synchro(7.0), 43);
}

TEST_F(SynchroRing, UnorderedOrMissingTimesStayInsideTheRing)
{
    ASSERT_EQ(ring.Init(4, 1.0, false), 0);
    ring.add(1, 0);
    ring.add(2, 10);
    ring.add(3, 5);  // times out of order: allowed by add
    ring.add(4, 20);
    double nan = std::nan("");
    double lo, hi;
    double value = -1;
    EXPECT_EQ(ring.GetSynchroValue(&nan, 1, &value, &lo, &hi), 0);
    for (double at : {0.0, 4.0, 7.0, 12.0, 20.0})
        EXPECT_TRUE(std::isfinite(synchro(at))) << at;
}

TEST_F(SynchroRing, EmptyRingLeavesValuesAndBadArgumentsFail)
{
    ASSERT_EQ(ring.Init(3, 1.0, false), 0);
    double at[2] = {1, 2}, values[2] = {5, 5}, lo = 9, hi = 9;
    EXPECT_EQ(ring.GetSynchroValue(at, 2, values, &lo, &hi), 0);
    EXPECT_EQ(values[0], 5);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);
    ring.add(1, 1);
    EXPECT_EQ(ring.GetSynchroValue(nullptr, 2, values, &lo, &hi), -1);
    EXPECT_EQ(ring.GetSynchroValue(at, 2, nullptr, &lo, &hi), -1);
    EXPECT_EQ(ring.GetSynchroValue(at, 0, values, &lo, &hi), -1);
    EXPECT_EQ(ring.GetSynchroValue(at, 2, values, nullptr, &hi), -1);
    EXPECT_EQ(ring.GetSynchroValue(at, 2, values, &lo, nullptr), -1);
}

class EndBuffer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ring.Init(4, 1.0, false), 0); }
    CScrollBuffer ring;
    double buffer[6] = {1, 2, 3, 4, 5, 6};
};

TEST_F(EndBuffer, AppendsNewestValuesAtThePositionOldestFirst)
{
    for (int i = 1; i <= 6; ++i)
        ring.add(i * 10, i);  // newest 60, 50, 40, 30
    ASSERT_EQ(ring.CpyEndToBuffer(buffer, 6, 1, 3), 0);
    EXPECT_EQ(std::vector<double>(buffer, buffer + 6), (std::vector<double>{1, 40, 50, 60, 5, 6}));
}

TEST_F(EndBuffer, ShiftsLeftWhenTheValuesWouldPassTheEnd)
{
    for (int i = 1; i <= 6; ++i)
        ring.add(i * 10, i);
    // 3 values at 5 would end at 7: shift by 2, then write at 3 .. 5.
    ASSERT_EQ(ring.CpyEndToBuffer(buffer, 6, 5, 3), 0);
    EXPECT_EQ(std::vector<double>(buffer, buffer + 6), (std::vector<double>{3, 4, 5, 40, 50, 60}));
    ASSERT_EQ(ring.CpyEndToBuffer(buffer, 6, 6, 1), 0);
    EXPECT_EQ(std::vector<double>(buffer, buffer + 6), (std::vector<double>{4, 5, 40, 50, 60, 60}));
}

TEST_F(EndBuffer, MissingOlderSamplesAreZero)
{
    ring.add(10, 1);
    ring.add(20, 2);
    ASSERT_EQ(ring.CpyEndToBuffer(buffer, 6, 0, 4), 0);
    EXPECT_EQ(std::vector<double>(buffer, buffer + 6), (std::vector<double>{0, 0, 10, 20, 5, 6}));
}

TEST_F(EndBuffer, RefusesBadArgumentsWithoutTouchingTheBuffer)
{
    ring.add(10, 1);
    struct Case {
        long length, position, n;
    };
    for (Case c : {Case{0, 0, 1}, Case{6, 0, 0}, Case{6, 0, 6}, Case{6, -1, 2}, Case{6, 7, 2}, Case{-3, 0, 1}}) {
        EXPECT_EQ(ring.CpyEndToBuffer(buffer, c.length, c.position, c.n), -1)
            << c.length << " " << c.position << " " << c.n;
    }
    EXPECT_EQ(ring.CpyEndToBuffer(nullptr, 6, 0, 2), -1);
    EXPECT_EQ(std::vector<double>(buffer, buffer + 6), (std::vector<double>{1, 2, 3, 4, 5, 6}));
}

}  // namespace
