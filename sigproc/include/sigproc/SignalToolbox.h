// Operations on sampled signals: extremes, up-sampling by interpolation,
// down-sampling by decimation, a straight-line least-squares fit and the
// search of a monotonic table.
//
// Angles are in degrees. An angular signal holds directions, so its
// interpolations and means go through sine and cosine.
//
// Results: 0 success, -1 bad argument (a null array or output, a count out
// of range, a degenerate fit), -2 and -3 as each function says. Nothing here
// allocates; outputs belong to the caller.
#pragma once

#include <cstdint>

extern "C" {

// Extremes of x[0 .. n-1]; ties keep the first sample. The pair version
// also gives the y of the samples holding the extremes of x.
int F_DllMinMaxSignalD(const double* x, int n, double* min, double* max);
int F_DllMinMaxSignalF(const float* x, int n, float* min, float* max);
int F_DllMinMaxSignalXY(const double* x, const double* y, int n, double* xMin, double* yAtXMin, double* xMax,
                        double* yAtXMax);

// The value at x on the line through (x1, y1) and (x2, y2), or on the
// circle for angles (result in -180 .. 180); y1 when x1 and x2 are closer
// than 0.00001.
double F_InterpolData(double y1, double y2, double x1, double x2, double x, bool angular);

// Up-sampling from nIn to nOut >= nIn samples (both above 1): input i goes
// to output round(i * (nOut-1) / (nIn-1)) (the pair: rounded down) and the
// slots between are interpolated, so every output slot is written. The
// pair's second coordinate is interpolated linearly.
int F_DllInterpolSignalD(const double* in, int nIn, double* out, int nOut, bool angular);
int F_DllInterpolSignalF(const float* in, int nIn, float* out, int nOut, bool angular);
int F_DllInterpolSignalXY(const double* x, const double* y, int nIn, double* xOut, double* yOut, int nOut,
                          bool angular);

// Decimation modes: each output sample summarises one block of inputs.
enum E_DECIMATION {
    E_DECIM_MEAN = 0,   // angular: mean direction in 0 .. 360
    E_DECIM_MAX = 1,
    E_DECIM_MIN = 2,
    E_DECIM_FIRST = 3,  // first sample of the block
};

// Down-sampling from nIn to nOut < nIn samples (both above 1): input k
// belongs to block floor(k * nOut / nIn), so every output slot is written.
// The pair's second output is the second coordinate of each block's first
// sample.
int F_DllDecimSignalD(const double* in, int nIn, int mode, double* out, int nOut, bool angular);
int F_DllDecimSignalF(const float* in, int nIn, int mode, float* out, int nOut, bool angular);
int F_DllDecimSignalXY(const double* x, const double* y, int nIn, int mode, double* xOut, double* yOut, int nOut,
                       bool angular);

// Straight-line fit y = a + b*x. Weighted: sigma[i] > 0 is the standard
// deviation of y[i] (weight 1/sigma^2), n >= 2; unweighted (sigma may be
// null): n >= 3, and sigmaA and sigmaB are scaled by the scatter of the
// points. fourth receives the chi-square (the sum of squared residuals,
// each divided by its sigma when weighted); q is 1. -1 for a bad argument
// or when the x values are all equal (no line).
int F_LeastSquaresDetailed(const double* x, const double* y, int n, const double* sigma, bool weighted, double* b,
                           double* a, double* sigmaA, double* sigmaB, double* fourth, double* q);
// Ordinary least squares: slope b, intercept a; n >= 2.
int F_LeastSquares(const double* x, const double* y, int n, double* b, double* a);

// Position of v in a table sorted either way (the direction is read from
// its first and last elements); *j is the starting guess and receives the
// lower index of the two elements that enclose v. v equal to the first
// element gives 0, equal to the last n-1. Beyond the first element: -2, past
// the last: -3, with *j = 0 in both cases.
int DllLocateValue(const unsigned* table, int n, unsigned v, int* j);
int DllLocateValueDble(const double* table, int n, double v, int* j);

// The same over an array of n records by each record's 32-bit unsigned key,
// the record's third 32-bit field. v at or before the first key gives
// *j = 0 and v at or past the last key *j = n-1, both with result 0. -1 for
// an empty array or a null record.
int DllLocateValueDsiSegment(const void* const* records, int n, double v, int* j);
}
