// Toolbase: the maker's path, position, date and speed helpers.
//
// Path helpers accept both '\\' and '/' as separators. They write into a
// caller's buffer of `size` bytes; a result that does not fit leaves an empty
// string and sets ERROR_INSUFFICIENT_BUFFER, never a cut path.
#pragma once

#include <string>
#include <string_view>

#include "helm/kernel/types.h"

// The file part of `path`: "C:\\a\\b.exe" gives "b.exe"; a path ending with
// a separator gives "".
void P_ZQO_GetFileName(LPCSTR path, LPSTR fileName, DWORD size);
// `path` with its file part replaced by `newFile` (the directory kept with
// its separator): ("/opt/x/old", "new") gives "/opt/x/new".
void P_ZQO_ReplaceFile(LPCSTR path, LPCSTR newFile, LPSTR result, DWORD size);
// `path` with the extension of its file part replaced by `extension` (given
// with or without its dot); a file part without extension gets it added.
// A dot that starts the file name or lies in a directory is no extension.
void P_ZQO_ChangeExtension(LPCSTR path, LPCSTR extension, LPSTR result, DWORD size);

// Position formats.
#define ZQO_POS_DEGREES 0          // decimal degrees: (degrees, 0, 0)
#define ZQO_POS_DEGREES_MINUTES 1  // degrees, decimal minutes: (degrees, minutes, 0)
#define ZQO_POS_DMS 2              // degrees, minutes, seconds
// Room the text output of F_DllFormatPosition needs.
#define ZQO_POS_TEXT_SIZE 40

// Converts an angle between position formats. The input components carry
// the sign of the angle (any of them may bear it). Outputs: `sign` '+' or
// '-', then degrees, minutes and seconds of the target format, each signed
// as the angle (minutes and seconds are 0 where the format has none), and,
// when `text` is not null, the position as text (at least
// ZQO_POS_TEXT_SIZE bytes, degree sign 0xB0 of code page 1252). `decimals`
// (0 to 6, clamped) is the precision of the last component of the DMS form:
// its seconds are rounded to it and carried, so that 60 never shows.
// Returns 1, or 0 for an unknown format or a value that is not finite (all
// outputs zero, text empty). Null outputs are skipped.
int F_DllFormatPosition(int sourceFormat, int targetFormat, double degrees, double minutes, double seconds,
                        char* sign, double* outDegrees, double* outMinutes, double* outSeconds, char* text,
                        int decimals);

// `to` - `from` in milliseconds (negative when `to` is earlier); the days of
// week are not looked at. Returns 1, or 0 when either is not a real date
// and time (*milliseconds = 0).
int F_DllDateDifference(const SYSTEMTIME* from, const SYSTEMTIME* to, double* milliseconds);

// Speed units.
#define ZQO_SPEED_METRE_PER_SEC 0
#define ZQO_SPEED_KNOT 1
#define ZQO_SPEED_KM_PER_HOUR 2
#define ZQO_SPEED_MILE_PER_HOUR 3
#define ZQO_SPEED_FOOT_PER_SEC 4
// Converts a speed in `unit` to metres per second. Returns 1, or 0 for an
// unknown unit or a value that is not finite (*metresPerSecond = 0).
int F_DllVitesse_2_MetreParSec(double speed, int unit, double* metresPerSecond);

namespace helm::outside {
std::string_view file_name_part(std::string_view path);
std::string replace_file_part(std::string_view path, std::string_view new_file);
std::string change_extension(std::string_view path, std::string_view extension);
}  // namespace helm::outside
