#include "sigproc/CScrollBuffer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "sigproc/SignalToolbox.h"

CScrollBuffer::~CScrollBuffer()
{
    release();
}

CScrollBuffer::CScrollBuffer(CScrollBuffer&& other) noexcept
    : m_pValues(std::exchange(other.m_pValues, nullptr)),
      m_pTimes(std::exchange(other.m_pTimes, nullptr)),
      m_lWriteIndex(std::exchange(other.m_lWriteIndex, -1)),
      m_lCount(std::exchange(other.m_lCount, 0)),
      m_lCapacity(std::exchange(other.m_lCapacity, 0)),
      m_bAngular(std::exchange(other.m_bAngular, false)),
      m_dValueRatio(std::exchange(other.m_dValueRatio, 1.0))
{
}

CScrollBuffer& CScrollBuffer::operator=(CScrollBuffer&& other) noexcept
{
    if (this != &other) {
        release();
        m_pValues = std::exchange(other.m_pValues, nullptr);
        m_pTimes = std::exchange(other.m_pTimes, nullptr);
        m_lWriteIndex = std::exchange(other.m_lWriteIndex, -1);
        m_lCount = std::exchange(other.m_lCount, 0);
        m_lCapacity = std::exchange(other.m_lCapacity, 0);
        m_bAngular = std::exchange(other.m_bAngular, false);
        m_dValueRatio = std::exchange(other.m_dValueRatio, 1.0);
    }
    return *this;
}

void CScrollBuffer::release()
{
    std::free(m_pValues);
    std::free(m_pTimes);
    m_pValues = nullptr;
    m_pTimes = nullptr;
    m_lWriteIndex = -1;
    m_lCount = 0;
    m_lCapacity = 0;
}

int CScrollBuffer::Init(long n, double ratio, bool angular)
{
    if (n <= 0)
        return -1;
    release();
    // calloc checks n * sizeof(double) for overflow; the explicit bound keeps
    // the request within what an allocator is asked to consider at all.
    if (static_cast<unsigned long>(n) > PTRDIFF_MAX / sizeof(double))
        return -1;
    m_pValues = static_cast<double*>(std::calloc(static_cast<size_t>(n), sizeof(double)));
    m_pTimes = static_cast<double*>(std::calloc(static_cast<size_t>(n), sizeof(double)));
    if (!initialised()) {
        release();
        return -1;
    }
    m_dValueRatio = ratio;
    m_lCapacity = n;
    m_bAngular = angular;
    m_lWriteIndex = -1;
    m_lCount = 0;
    return 0;
}

void CScrollBuffer::SetValueRatio(double ratio)
{
    m_dValueRatio = ratio;
}

int CScrollBuffer::RAZ()
{
    if (initialised()) {
        std::memset(m_pValues, 0, static_cast<size_t>(m_lCapacity) * sizeof(double));
        std::memset(m_pTimes, 0, static_cast<size_t>(m_lCapacity) * sizeof(double));
        m_lWriteIndex = -1;
        m_lCount = 0;
    }
    return 0;
}

long CScrollBuffer::GetSize() const
{
    return initialised() ? m_lCapacity : 0;
}

long CScrollBuffer::GetNbPoint() const
{
    return initialised() ? m_lCount : 0;
}

int CScrollBuffer::add(double value, double time)
{
    if (!initialised())
        return -1;
    m_lWriteIndex = (m_lWriteIndex + 1 >= m_lCapacity) ? 0 : m_lWriteIndex + 1;
    m_pValues[m_lWriteIndex] = value;
    m_pTimes[m_lWriteIndex] = time;
    if (m_lCount < m_lCapacity)
        ++m_lCount;
    return 0;
}

long CScrollBuffer::slot_of(long index) const
{
    if (m_lCount < m_lCapacity)
        return std::min(index, m_lCount - 1);
    long slot = m_lWriteIndex + 1 + index;
    return slot >= m_lCapacity ? slot - m_lCapacity : slot;
}

int CScrollBuffer::GetTime_Value(long index, double* time, double* value) const
{
    if (time)
        *time = 0;
    if (value)
        *value = 0;
    if (!time || !value || !initialised() || m_lCount == 0 || index < 0 || index > m_lCapacity - 1)
        return -1;
    long slot = slot_of(index);
    *time = m_pTimes[slot];
    *value = m_pValues[slot];
    return 0;
}

double CScrollBuffer::GetTime(long index) const
{
    double time = 0, value = 0;
    GetTime_Value(index, &time, &value);
    return time;
}

double CScrollBuffer::GetValue(long index) const
{
    double time = 0, value = 0;
    GetTime_Value(index, &time, &value);
    return value;
}

double CScrollBuffer::GetFirstTime() const
{
    return GetTime(0);
}

double CScrollBuffer::GetLastTime() const
{
    return GetTime(GetNbPoint() - 1);
}

double CScrollBuffer::GetLastValue() const
{
    return GetValue(GetNbPoint() - 1);
}

int CScrollBuffer::CpyLastValue_Sample(long n, double* values, double* times, long capacityOut, double* minValue,
                                       double* maxValue, double* minTime, double* maxTime) const
{
    if (!initialised() || n <= 0 || !values || capacityOut <= 0 || !minValue || !maxValue)
        return -1;
    if (m_lCount == 0)
        return 0;
    n = std::min({n, m_lCount, capacityOut});

    long newest = slot_of(m_lCount - 1);
    double vMin = m_pValues[newest], vMax = vMin;
    double tMin = m_pTimes[newest], tMax = tMin;
    for (long i = 0; i < n; ++i) {
        long slot = slot_of(m_lCount - 1 - i);
        double value = m_pValues[slot], time = m_pTimes[slot];
        values[n - 1 - i] = value;
        if (times)
            times[n - 1 - i] = time * m_dValueRatio;
        vMin = std::min(vMin, value);
        vMax = std::max(vMax, value);
        tMin = std::min(tMin, time);
        tMax = std::max(tMax, time);
    }
    *minValue = vMin;
    *maxValue = vMax;
    if (minTime && maxTime) {
        *minTime = tMin * m_dValueRatio;
        *maxTime = tMax * m_dValueRatio;
    }
    return 0;
}

int CScrollBuffer::CpyLastValue_Time(double window, double* values, double* times, long capacityOut, long* countOut,
                                     double* minValue, double* maxValue, double* minTime, double* maxTime,
                                     double* meanValue) const
{
    for (double* out : {minValue, maxValue, minTime, maxTime, meanValue})
        if (out)
            *out = 0;
    if (!initialised() || !countOut || !values || !times || capacityOut <= 0 || !minValue || !maxValue ||
        !minTime || !maxTime || !meanValue)
        return -1;
    if (!(window > 0))
        return -1;
    if (m_lCount == 0) {
        *countOut = 0;
        return 0;
    }

    long newest = slot_of(m_lCount - 1);
    double newestTime = m_pTimes[newest];
    long k = 1;
    if (window > 10) {
        // The run takes the sample k places back while it is still younger
        // than the window (less the 10-unit margin) and stops on the first
        // one that is not, which is kept.
        double t = 0;
        do {
            if (k > m_lCount - 1)
                break;
            t = m_pTimes[slot_of(m_lCount - 1 - k)];
            if (t <= 0)
                break;
            ++k;
        } while (newestTime - t + 10 < window);
    }
    long count = std::min({k, m_lCount, capacityOut});

    double vMin = m_pValues[newest], vMax = vMin;
    double tMin = newestTime, tMax = tMin;
    double sum = 0;
    for (long i = 0; i < count; ++i) {
        long slot = slot_of(m_lCount - 1 - i);
        double value = m_pValues[slot], time = m_pTimes[slot];
        values[count - 1 - i] = value;
        times[count - 1 - i] = time * m_dValueRatio;
        sum += value;
        vMin = std::min(vMin, value);
        vMax = std::max(vMax, value);
        tMin = std::min(tMin, time);
        tMax = std::max(tMax, time);
    }
    *countOut = count;
    *minValue = vMin;
    *maxValue = vMax;
    *minTime = tMin * m_dValueRatio;
    *maxTime = tMax * m_dValueRatio;
    *meanValue = sum / static_cast<double>(count);
    return 0;
}

int CScrollBuffer::CpyEndToBuffer(double* buffer, long bufferLength, long position, long n) const
{
    if (!initialised() || !buffer || bufferLength <= 0 || n <= 0 || n >= bufferLength || position < 0 ||
        position > bufferLength)
        return -1;
    if (position + n - 1 > bufferLength - 1) {
        long shift = position + n - bufferLength;
        std::memmove(buffer, buffer + shift, static_cast<size_t>(bufferLength - shift) * sizeof(double));
        position = bufferLength - n;
    }
    for (long i = 0; i < n; ++i) {
        double value = i < m_lCount ? m_pValues[slot_of(m_lCount - 1 - i)] : 0.0;
        long at = std::clamp(position + n - 1 - i, 0L, bufferLength - 1);
        buffer[at] = value;
    }
    return 0;
}

int CScrollBuffer::GetSynchroValue(const double* atTimes, long n, double* values, double* minValue,
                                   double* maxValue) const
{
    if (minValue)
        *minValue = 0;
    if (maxValue)
        *maxValue = 0;
    if (!atTimes || !values || n <= 0 || !minValue || !maxValue)
        return -1;
    if (!initialised() || m_lCount == 0)
        return 0;

    auto scaledTime = [this](long index) { return m_pTimes[slot_of(index)] * m_dValueRatio; };
    auto value = [this](long index) { return m_pValues[slot_of(index)]; };
    const long newest = m_lCount - 1;
    const double firstTime = scaledTime(0), lastTime = scaledTime(newest);

    for (long k = n - 1; k >= 0; --k) {
        double t = atTimes[k];
        double result;
        if (t < firstTime) {
            result = value(0);
        } else if (t > lastTime) {
            result = value(newest);
        } else if (newest == 0) {
            // A single sample: there is no pair to interpolate between.
            result = value(0);
        } else {
            long d = newest;
            while (d >= 0 && !(scaledTime(d) <= t))
                --d;
            // A time no sample precedes (NaN, or times stored out of order)
            // takes the first pair rather than reading before the ring.
            if (d < 0)
                d = 0;
            if (d == newest)
                d = newest - 1;
            result = F_InterpolData(value(d), value(d + 1), scaledTime(d), scaledTime(d + 1), t, m_bAngular);
        }
        values[k] = result;
        if (k == n - 1) {
            *minValue = result;
            *maxValue = result;
        } else {
            *minValue = std::min(*minValue, result);
            *maxValue = std::max(*maxValue, result);
        }
    }
    return 0;
}
