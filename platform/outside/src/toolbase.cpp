#include "helm/outside/toolbase.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "helm/kernel/clock.h"
#include "helm/kernel/error.h"

namespace helm::outside {

namespace {

size_t file_part_start(std::string_view path)
{
    size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? 0 : separator + 1;
}

}  // namespace

std::string_view file_name_part(std::string_view path)
{
    return path.substr(file_part_start(path));
}

std::string replace_file_part(std::string_view path, std::string_view new_file)
{
    std::string result(path.substr(0, file_part_start(path)));
    result += new_file;
    return result;
}

std::string change_extension(std::string_view path, std::string_view extension)
{
    size_t start = file_part_start(path);
    size_t dot = path.find_last_of('.');
    size_t end = (dot != std::string_view::npos && dot > start) ? dot : path.size();
    std::string result(path.substr(0, end));
    if (!extension.empty() && extension.front() != '.')
        result += '.';
    result += extension;
    return result;
}

}  // namespace helm::outside

namespace {

void copy_out(const std::string& text, LPSTR out, DWORD size)
{
    if (!out || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return;
    }
    if (text.size() >= size) {
        out[0] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return;
    }
    std::memcpy(out, text.c_str(), text.size() + 1);
}

std::string_view view(LPCSTR text)
{
    return text ? std::string_view(text) : std::string_view();
}

}  // namespace

void P_ZQO_GetFileName(LPCSTR path, LPSTR fileName, DWORD size)
{
    copy_out(std::string(helm::outside::file_name_part(view(path))), fileName, size);
}

void P_ZQO_ReplaceFile(LPCSTR path, LPCSTR newFile, LPSTR result, DWORD size)
{
    copy_out(helm::outside::replace_file_part(view(path), view(newFile)), result, size);
}

void P_ZQO_ChangeExtension(LPCSTR path, LPCSTR extension, LPSTR result, DWORD size)
{
    copy_out(helm::outside::change_extension(view(path), view(extension)), result, size);
}

int F_DllFormatPosition(int sourceFormat, int targetFormat, double degrees, double minutes, double seconds,
                        char* sign, double* outDegrees, double* outMinutes, double* outSeconds, char* text,
                        int decimals)
{
    auto give = [&](char s, double d, double m, double sec) {
        if (sign)
            *sign = s;
        if (outDegrees)
            *outDegrees = d;
        if (outMinutes)
            *outMinutes = m;
        if (outSeconds)
            *outSeconds = sec;
    };
    give('+', 0.0, 0.0, 0.0);
    if (text)
        text[0] = '\0';

    bool known_source = sourceFormat >= ZQO_POS_DEGREES && sourceFormat <= ZQO_POS_DMS;
    bool known_target = targetFormat >= ZQO_POS_DEGREES && targetFormat <= ZQO_POS_DMS;
    if (!known_source || !known_target || !std::isfinite(degrees) || !std::isfinite(minutes) ||
        !std::isfinite(seconds))
        return 0;
    if (sourceFormat < ZQO_POS_DMS)
        seconds = 0.0;
    if (sourceFormat < ZQO_POS_DEGREES_MINUTES)
        minutes = 0.0;

    bool negative = degrees < 0.0 || minutes < 0.0 || seconds < 0.0;
    double total = std::fabs(degrees) + std::fabs(minutes) / 60.0 + std::fabs(seconds) / 3600.0;
    if (!std::isfinite(total) || total > 1.0e9)
        return 0;
    double s = negative ? -1.0 : 1.0;
    char sign_char = negative ? '-' : '+';
    if (decimals < 0)
        decimals = 0;
    if (decimals > 6)
        decimals = 6;

    double d = 0.0, m = 0.0, sec = 0.0;
    switch (targetFormat) {
    case ZQO_POS_DEGREES:
        d = total;
        break;
    case ZQO_POS_DEGREES_MINUTES:
        d = std::floor(total);
        m = (total - d) * 60.0;
        if (m >= 60.0) {  // only from rounding of the subtraction
            m = 0.0;
            d += 1.0;
        }
        break;
    default: {
        // Work in units of the last shown digit of the seconds, so that a
        // value a hair below a whole minute does not read as 60 seconds.
        double scale = std::pow(10.0, decimals);
        double units = std::round(total * 3600.0 * scale);
        double units_per_minute = 60.0 * scale;
        double whole_minutes = std::floor(units / units_per_minute);
        sec = (units - whole_minutes * units_per_minute) / scale;
        d = std::floor(whole_minutes / 60.0);
        m = whole_minutes - d * 60.0;
        break;
    }
    }
    give(sign_char, s * d, s * m, s * sec);
    if (text) {
        const char* minus = negative ? "-" : "";
        if (targetFormat == ZQO_POS_DEGREES)
            std::snprintf(text, ZQO_POS_TEXT_SIZE, "%s%.6f\xB0", minus, d);
        else if (targetFormat == ZQO_POS_DEGREES_MINUTES)
            std::snprintf(text, ZQO_POS_TEXT_SIZE, "%s%.0f\xB0%07.4f'", minus, d, m);
        else
            std::snprintf(text, ZQO_POS_TEXT_SIZE, "%s%.0f\xB0%02.0f'%0*.*f\"", minus, d, m,
                          decimals + (decimals > 0 ? 3 : 2), decimals, sec);
    }
    return 1;
}

int F_DllDateDifference(const SYSTEMTIME* from, const SYSTEMTIME* to, double* milliseconds)
{
    if (milliseconds)
        *milliseconds = 0.0;
    if (!from || !to || !milliseconds)
        return 0;
    FILETIME a, b;
    if (!helm::kernel::is_valid_system_time(*from) || !helm::kernel::is_valid_system_time(*to) ||
        !SystemTimeToFileTime(from, &a) || !SystemTimeToFileTime(to, &b))
        return 0;
    auto ticks = [](const FILETIME& f) {
        return static_cast<int64_t>((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
    };
    // FILETIME counts 100 ns; both fit well below 2^63, so the difference
    // cannot overflow.
    *milliseconds = static_cast<double>(ticks(b) - ticks(a)) / 10000.0;
    return 1;
}

int F_DllVitesse_2_MetreParSec(double speed, int unit, double* metresPerSecond)
{
    static constexpr double kFactor[] = {
        1.0,              // m/s
        1852.0 / 3600.0,  // knot: one nautical mile an hour
        1000.0 / 3600.0,  // km/h
        1609.344 / 3600.0,
        0.3048,  // ft/s
    };
    if (metresPerSecond)
        *metresPerSecond = 0.0;
    if (!metresPerSecond || unit < 0 || unit >= static_cast<int>(std::size(kFactor)) || !std::isfinite(speed))
        return 0;
    *metresPerSecond = speed * kFactor[unit];
    return 1;
}
