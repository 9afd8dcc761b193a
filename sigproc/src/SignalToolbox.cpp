// Extremes, up-sampling and decimation of float, double and paired signals.
#include "sigproc/SignalToolbox.h"

#include <cmath>
#include <cstdint>

#include "AngleMath.h"

using helm::sigproc::kDegToRad;
using helm::sigproc::kRadToDeg;

namespace {

template <class T>
int min_max(const T* x, int n, T* min, T* max)
{
    if (!x || n <= 0 || !min || !max)
        return -1;
    T lo = x[0], hi = x[0];
    for (int i = 1; i < n; ++i) {
        if (x[i] < lo)
            lo = x[i];
        if (x[i] > hi)
            hi = x[i];
    }
    *min = lo;
    *max = hi;
    return 0;
}

// Output slot of input i when nIn inputs spread over nOut >= nIn outputs,
// in exact integer arithmetic so that the last input lands on the last slot.
int64_t spread_position(int64_t i, int nIn, int nOut, bool rounded)
{
    const int64_t num = i * (nOut - 1);
    const int64_t den = nIn - 1;
    int64_t p = rounded ? (2 * num + den) / (2 * den) : num / den;
    return p > nOut - 1 ? nOut - 1 : p;
}

bool valid_upsampling(const void* in, int nIn, const void* out, int nOut)
{
    return in && out && nIn > 1 && nOut > 1 && nOut >= nIn;
}

template <class T>
int interpolate(const T* in, int nIn, T* out, int nOut, bool angular)
{
    if (!valid_upsampling(in, nIn, out, nOut))
        return -1;
    int64_t q = 0;
    for (int i = 0; i < nIn; ++i) {
        int64_t p = spread_position(i, nIn, nOut, true);
        out[p] = in[i];
        for (int64_t slot = q + 1; slot < p; ++slot)
            out[slot] = static_cast<T>(F_InterpolData(out[q], out[p], static_cast<double>(q), static_cast<double>(p),
                                                      static_cast<double>(slot), angular));
        q = p;
    }
    return 0;
}

// One block of decimation input, summarised as a mean, extreme or first.
struct Block {
    double first = 0, min = 0, max = 0, sum = 0, sumSin = 0, sumCos = 0;
    int64_t count = 0;

    void add(double v, bool angular)
    {
        if (count == 0)
            first = min = max = v;
        if (v < min)
            min = v;
        if (v > max)
            max = v;
        if (angular) {
            sumSin += std::sin(v * kDegToRad);
            sumCos += std::cos(v * kDegToRad);
        } else {
            sum += v;
        }
        ++count;
    }

    double result(int mode, bool angular) const
    {
        switch (mode) {
        case E_DECIM_MAX: return max;
        case E_DECIM_MIN: return min;
        case E_DECIM_FIRST: return first;
        default: break;
        }
        double n = static_cast<double>(count > 0 ? count : 1);
        if (!angular)
            return sum / n;
        double deg = std::atan2(sumSin / n, sumCos / n) * kRadToDeg;
        if (deg < 0)
            deg += 360;
        // -0.0000001 + 360 rounds to 360, which is 0 on the circle.
        return deg >= 360 ? deg - 360 : deg;
    }
};

bool valid_decimation(const void* in, int nIn, int mode, const void* out, int nOut)
{
    return in && out && nIn > 1 && nOut > 1 && mode >= E_DECIM_MEAN && mode <= E_DECIM_FIRST && nOut < nIn;
}

// Calls close(o, k) when the block ending at input k fills output o. Block
// boundaries are exact: input k belongs to output floor(k * nOut / nIn), so
// with nOut < nIn every output closes exactly once, the last on the last
// input.
template <class Close>
void for_each_block_end(int nIn, int nOut, Close close)
{
    int64_t o = 0;
    for (int64_t k = 0; k < nIn; ++k) {
        int64_t next = (k + 1) * nOut / nIn;
        if (next > o) {
            close(o, k);
            o = next > nOut - 1 ? nOut - 1 : next;
        }
    }
}

template <class T>
int decimate(const T* in, int nIn, int mode, T* out, int nOut, bool angular)
{
    if (!valid_decimation(in, nIn, mode, out, nOut))
        return -1;
    Block block;
    int64_t k = 0;
    for_each_block_end(nIn, nOut, [&](int64_t o, int64_t end) {
        for (; k <= end; ++k)
            block.add(static_cast<double>(in[k]), angular);
        out[o] = static_cast<T>(block.result(mode, angular));
        block = Block{};
    });
    return 0;
}

}  // namespace

extern "C" {

int F_DllMinMaxSignalD(const double* x, int n, double* min, double* max)
{
    return min_max(x, n, min, max);
}

int F_DllMinMaxSignalF(const float* x, int n, float* min, float* max)
{
    return min_max(x, n, min, max);
}

int F_DllMinMaxSignalXY(const double* x, const double* y, int n, double* xMin, double* yAtXMin, double* xMax,
                        double* yAtXMax)
{
    if (!x || !y || n <= 0 || !xMin || !yAtXMin || !xMax || !yAtXMax)
        return -1;
    int lo = 0, hi = 0;
    for (int i = 1; i < n; ++i) {
        if (x[i] < x[lo])
            lo = i;
        if (x[i] > x[hi])
            hi = i;
    }
    *xMin = x[lo];
    *yAtXMin = y[lo];
    *xMax = x[hi];
    *yAtXMax = y[hi];
    return 0;
}

double F_InterpolData(double y1, double y2, double x1, double x2, double x, bool angular)
{
    if (std::fabs(x2 - x1) < 0.00001)
        return y1;
    double f = (x - x1) / (x2 - x1);
    if (!angular)
        return y1 + (y2 - y1) * f;
    double s1 = std::sin(y1 * kDegToRad), s2 = std::sin(y2 * kDegToRad);
    double c1 = std::cos(y1 * kDegToRad), c2 = std::cos(y2 * kDegToRad);
    return std::atan2(s1 + f * (s2 - s1), c1 + f * (c2 - c1)) * kRadToDeg;
}

int F_DllInterpolSignalD(const double* in, int nIn, double* out, int nOut, bool angular)
{
    return interpolate(in, nIn, out, nOut, angular);
}

int F_DllInterpolSignalF(const float* in, int nIn, float* out, int nOut, bool angular)
{
    return interpolate(in, nIn, out, nOut, angular);
}

int F_DllInterpolSignalXY(const double* x, const double* y, int nIn, double* xOut, double* yOut, int nOut,
                          bool angular)
{
    if (!valid_upsampling(x, nIn, xOut, nOut) || !y || !yOut)
        return -1;
    int64_t q = 0;
    for (int i = 0; i < nIn; ++i) {
        int64_t p = spread_position(i, nIn, nOut, false);
        xOut[p] = x[i];
        yOut[p] = y[i];
        const double dq = static_cast<double>(q), dp = static_cast<double>(p);
        for (int64_t slot = q + 1; slot < p; ++slot) {
            xOut[slot] = F_InterpolData(xOut[q], xOut[p], dq, dp, static_cast<double>(slot), angular);
            yOut[slot] = yOut[q] + static_cast<double>(slot - q) * (y[i] - yOut[q]) / (dp - dq);
        }
        q = p;
    }
    return 0;
}

int F_DllDecimSignalD(const double* in, int nIn, int mode, double* out, int nOut, bool angular)
{
    return decimate(in, nIn, mode, out, nOut, angular);
}

int F_DllDecimSignalF(const float* in, int nIn, int mode, float* out, int nOut, bool angular)
{
    return decimate(in, nIn, mode, out, nOut, angular);
}

int F_DllDecimSignalXY(const double* x, const double* y, int nIn, int mode, double* xOut, double* yOut, int nOut,
                       bool angular)
{
    if (!valid_decimation(x, nIn, mode, xOut, nOut) || !y || !yOut)
        return -1;
    Block block;
    int64_t k = 0;
    for_each_block_end(nIn, nOut, [&](int64_t o, int64_t end) {
        const int64_t start = k;
        for (; k <= end; ++k)
            block.add(x[k], angular);
        xOut[o] = block.result(mode, angular);
        yOut[o] = y[start];
        block = Block{};
    });
    return 0;
}
}
