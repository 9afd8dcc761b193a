// Straight-line least-squares fit y = a + b*x.
#include <cmath>
#include <initializer_list>

#include "sigproc/SignalToolbox.h"

namespace {

struct LineFit {
    double a = 0, b = 0, sigmaA = 0, sigmaB = 0, chiSquare = 0;
};

// The fit of x and y with per-sample standard deviations sigma(i), centred
// on the weighted mean of x to keep the slope's sum well conditioned.
template <class Sigma>
int fit_line(const double* x, const double* y, int n, Sigma sigma, bool scaleByScatter, LineFit& fit)
{
    bool spread = false;
    for (int i = 1; i < n && !spread; ++i)
        spread = x[i] != x[0];
    if (!spread)
        return -1;

    double s = 0, sx = 0, sy = 0;
    for (int i = 0; i < n; ++i) {
        double w = 1.0 / (sigma(i) * sigma(i));
        s += w;
        sx += w * x[i];
        sy += w * y[i];
    }
    const double meanX = sx / s;
    double stt = 0, b = 0;
    for (int i = 0; i < n; ++i) {
        double t = (x[i] - meanX) / sigma(i);
        stt += t * t;
        b += t * y[i] / sigma(i);
    }
    if (!(stt > 0))
        return -1;
    b /= stt;
    const double a = (sy - sx * b) / s;

    double chi2 = 0;
    for (int i = 0; i < n; ++i) {
        double r = (y[i] - a - b * x[i]) / sigma(i);
        chi2 += r * r;
    }
    fit.a = a;
    fit.b = b;
    fit.sigmaA = std::sqrt((1.0 + sx * sx / (s * stt)) / s);
    fit.sigmaB = std::sqrt(1.0 / stt);
    fit.chiSquare = chi2;
    if (scaleByScatter) {
        double scatter = std::sqrt(chi2 / (n - 2));
        fit.sigmaA *= scatter;
        fit.sigmaB *= scatter;
    }
    for (double v : {fit.a, fit.b, fit.sigmaA, fit.sigmaB, fit.chiSquare})
        if (!std::isfinite(v))
            return -1;
    return 0;
}

}  // namespace

extern "C" {

int F_LeastSquaresDetailed(const double* x, const double* y, int n, const double* sigma, bool weighted, double* b,
                           double* a, double* sigmaA, double* sigmaB, double* fourth, double* q)
{
    if (!x || !y || !b || !a || !sigmaA || !sigmaB || !fourth || !q)
        return -1;
    LineFit fit;
    int result;
    if (weighted) {
        if (!sigma || n < 2)
            return -1;
        for (int i = 0; i < n; ++i)
            if (!(sigma[i] > 0) || !std::isfinite(sigma[i]))
                return -1;
        result = fit_line(x, y, n, [sigma](int i) { return sigma[i]; }, false, fit);
    } else {
        if (n < 3)
            return -1;
        result = fit_line(x, y, n, [](int) { return 1.0; }, true, fit);
    }
    if (result != 0)
        return result;
    *b = fit.b;
    *a = fit.a;
    *sigmaA = fit.sigmaA;
    *sigmaB = fit.sigmaB;
    *fourth = fit.chiSquare;
    *q = 1;
    return 0;
}

int F_LeastSquares(const double* x, const double* y, int n, double* b, double* a)
{
    if (!x || !y || n < 2 || !b || !a)
        return -1;
    LineFit fit;
    if (int result = fit_line(x, y, n, [](int) { return 0.5; }, false, fit); result != 0)
        return result;
    *b = fit.b;
    *a = fit.a;
    return 0;
}
}
