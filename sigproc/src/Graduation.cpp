// Axis graduation: a tick step from an axis's density in pixels per unit.
#include "sigproc/Graduation.h"

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>

namespace {

// Densities (pixels per unit) that pick the step, in their historical
// single precision and order: 7 before 6, so (3, 7] uses 7, (7, 12] uses
// 12 and 6 never serves.
constexpr float kDensities[] = {0.0f, 0.001f, 0.005f, 0.01f, 0.025f, 0.062f, 0.125f, 0.25f, 0.5f,
                                1.0f, 2.0f,   3.0f,   7.0f,  6.0f,   12.0f,  20.0f,  50.0f};

constexpr double kMinSpan = 0.00001;

// No axis has more ticks than this; a range and step asking for more are
// out of range rather than a giant allocation.
constexpr double kMaxTicks = 1 << 20;

// A quotient this close to a whole number of steps is that number: it
// absorbs the rounding of the division (0.7 / 0.1 is 6.9999999999999991).
constexpr double kWholeStepTolerance = 1e-9;

bool valid_range(double min, double max)
{
    return std::isfinite(min) && std::isfinite(max) && min < max && max - min >= kMinSpan;
}

double snap_to_whole(double quotient)
{
    double whole = std::round(quotient);
    return std::fabs(quotient - whole) < kWholeStepTolerance * std::fmax(1.0, std::fabs(whole)) ? whole : quotient;
}

// Pixel positions are offsets from the axis start; they stay within the
// axis give or take a pixel, but are clamped before conversion whatever.
int to_pixel(double offset)
{
    constexpr double lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    if (std::isnan(offset))
        return 0;
    return static_cast<int>(offset < lo ? lo : offset > hi ? hi : offset);
}

// Replaces *array with one of count elements, keeping the caller's
// allocation when it can be grown. False when out of memory; *array is then
// still the caller's.
template <class T>
bool resize_caller_array(T** array, int count)
{
    void* grown = *array ? std::realloc(*array, sizeof(T) * static_cast<size_t>(count))
                         : std::calloc(static_cast<size_t>(count), sizeof(T));
    if (!grown)
        return false;
    *array = static_cast<T*>(grown);
    return true;
}

int make_ticks(double min, double max, int pixels, double step, int** pixelPositions, double** tickValues,
               int* count)
{
    const double density = pixels / (max - min);

    // Neither end carries a tick, nor does the nearest whole step inside it.
    double first = step * std::ceil(snap_to_whole(min / step));
    if (first <= min)
        first = min;
    if (first - min < step)
        first += step;
    double last = step * std::floor(snap_to_whole(max / step));
    if (last >= max)
        last = max;
    if (max - last < step)
        last -= step;

    const double ticks = std::floor(snap_to_whole((std::fmax(last, first) - first) / step)) + 1;
    if (!(ticks <= kMaxTicks) || !std::isfinite(first))
        return -3;
    const int n = static_cast<int>(ticks);

    if (!resize_caller_array(pixelPositions, n) || !resize_caller_array(tickValues, n))
        return -2;

    const double start = n == 1 ? (min + max) * 0.5 : first;
    const double origin = std::floor(min * density + 0.5);
    for (int i = 0; i < n; ++i) {
        double value = start + step * i;
        (*tickValues)[i] = value;
        (*pixelPositions)[i] = to_pixel(std::floor(density * value + 0.5) - origin);
    }
    *count = n;
    return 0;
}

}  // namespace

extern "C" {

int F_DllGetGraduationVal(double min, double max, int pixels, int flag, double* step, int* spacing)
{
    if (!step || !spacing || pixels < 1 || !valid_range(min, max))
        return -1;
    const unsigned char mode = static_cast<unsigned char>(flag);
    const double density = pixels / (max - min);
    const double base = mode == 1 ? 125.0 : 35.0;

    double chosen = mode == 0 ? base / density : 1.0;
    for (size_t i = 0; i + 1 < std::size(kDensities); ++i) {
        if (kDensities[i] < density && density <= kDensities[i + 1]) {
            chosen = base / kDensities[i + 1];
            break;
        }
    }
    if (chosen > 5)
        chosen = std::floor(chosen * 0.2 + 0.5) * 5;
    else if (chosen > 0.5)
        chosen = std::floor(chosen * 2 + 0.5) * 0.5;

    const double pixelsApart = std::floor(density * chosen + 0.5);
    // Only a step kept at 1 on a very dense axis gets here.
    if (!(pixelsApart <= std::numeric_limits<int>::max()))
        return -3;
    *step = chosen;
    *spacing = static_cast<int>(pixelsApart);
    return 0;
}

int F_DllGetGraduationBuff(double min, double max, int pixels, int flag, int** pixelPositions, double** tickValues,
                           int* count)
{
    if (!pixelPositions || !tickValues || !count)
        return -1;
    double step = 0;
    int spacing = 0;
    if (int result = F_DllGetGraduationVal(min, max, pixels, flag, &step, &spacing); result != 0)
        return result;
    return make_ticks(min, max, pixels, step, pixelPositions, tickValues, count);
}

int F_DllGetGraduationBuff2(double min, double max, int pixels, double step, int** pixelPositions,
                            double** tickValues, int* count)
{
    if (!pixelPositions || !tickValues || !count || pixels < 1 || !std::isfinite(min) || !std::isfinite(max) ||
        !(min < max) || !(step > 0) || !std::isfinite(step))
        return -1;
    return make_ticks(min, max, pixels, step, pixelPositions, tickValues, count);
}
}
