// CScrollBuffer: a fixed-capacity ring of (value, time) samples. Plots read
// it from the oldest sample: the last n samples, the samples of the last t
// time units, or the values at given times.
//
// Every index a caller passes is logical: 0 is the oldest stored sample,
// GetNbPoint()-1 the newest. Before the ring is full an index past the
// newest sample (but below the capacity) reads the newest one.
//
// Times enter the ring as given and come back unscaled from GetTime_Value,
// GetTime, GetFirstTime and GetLastTime; wherever else they leave the ring
// (copied time arrays, time extremes) or meet a caller's time
// (GetSynchroValue) they are multiplied by the value ratio.
//
// Results are 0 for success and -1 for a bad argument or an uninitialised
// ring. One thread at a time; memory is allocated only by Init.
#pragma once

class CScrollBuffer {
public:
    CScrollBuffer() = default;
    ~CScrollBuffer();

    // A member-wise copy would give the arrays two owners; a ring moves.
    CScrollBuffer(const CScrollBuffer&) = delete;
    CScrollBuffer& operator=(const CScrollBuffer&) = delete;
    CScrollBuffer(CScrollBuffer&& other) noexcept;
    CScrollBuffer& operator=(CScrollBuffer&& other) noexcept;

    // Discards every sample and allocates n zeroed slots. -1 when n <= 0 or
    // the allocation fails; the ring is then left uninitialised.
    int Init(long n, double ratio = 1.0, bool angular = false);
    void SetValueRatio(double ratio);
    // Empties the ring and zeroes its slots; 0 in every case.
    int RAZ();

    long GetSize() const;     // capacity, 0 when uninitialised
    long GetNbPoint() const;  // stored samples, 0 when uninitialised

    // Stores a sample after the newest one, overwriting the oldest once
    // full. Times are not required to increase.
    int add(double value, double time);

    // Both outputs are zeroed first. -1 when uninitialised, empty, an
    // output is null, or index is outside 0 .. capacity-1.
    int GetTime_Value(long index, double* time, double* value) const;
    double GetTime(long index) const;   // 0 where GetTime_Value fails
    double GetValue(long index) const;  // 0 where GetTime_Value fails
    double GetFirstTime() const;
    double GetLastTime() const;
    double GetLastValue() const;

    // The last min(n, count, capacityOut) samples, oldest first. times,
    // minTime and maxTime may be null (the time extremes are written only
    // when both are given). An empty ring writes nothing and returns 0.
    int CpyLastValue_Sample(long n, double* values, double* times, long capacityOut, double* minValue,
                            double* maxValue, double* minTime = nullptr, double* maxTime = nullptr) const;

    // The newest samples back to the first one whose age plus 10 reaches
    // window (that one included; a window of 10 or less gives the newest
    // sample alone), oldest first, at most capacityOut of them. A sample
    // whose time is 0 or less ends the run and is left out.
    int CpyLastValue_Time(double window, double* values, double* times, long capacityOut, long* countOut,
                          double* minValue, double* maxValue, double* minTime, double* maxTime,
                          double* meanValue) const;

    // Writes the n newest values, oldest first, into a scrolling buffer so
    // that they end at buffer[position + n - 1], first shifting the buffer
    // left as far as needed to make them fit. When fewer than n samples are
    // stored the missing older ones are written as 0.
    int CpyEndToBuffer(double* buffer, long bufferLength, long position, long n) const;

    // values[k] = the ring's value at atTimes[k] (compared with the scaled
    // sample times): the oldest value before the first sample, the newest
    // after the last, else interpolated between the two samples around it
    // (on the circle for an angular ring). An empty ring leaves values
    // untouched.
    int GetSynchroValue(const double* atTimes, long n, double* values, double* minValue, double* maxValue) const;

private:
    bool initialised() const { return m_pValues != nullptr && m_pTimes != nullptr; }
    // Slot of a logical index in 0 .. capacity-1, clamped to the newest
    // sample before the ring is full. The ring must hold a sample.
    long slot_of(long index) const;
    void release();

    double* m_pValues = nullptr;
    double* m_pTimes = nullptr;
    long m_lWriteIndex = -1;
    long m_lCount = 0;
    long m_lCapacity = 0;
    bool m_bAngular = false;
    double m_dValueRatio = 1.0;
};
