// The private-profile functions: settings kept in INI files of
// "[section]" headers and "key=value" lines, in Windows-1252 bytes.
//
// A file named without a directory lives in the Windows directory
// (GetWindowsDirectory); a null file name is "win.ini". Each call is atomic
// across threads and processes: readers see the file before or after a
// write, never a part of it, and concurrent writers lose nothing.
//
// Lists (section names, key names, section contents) are strings each
// ended by a zero, the whole ended by one more zero.
#pragma once

#include <cstddef>
#include <string>

#include "helm/kernel/types.h"


// section null: the section names; key null: the key names of the section.
// Otherwise the value, or `defaultValue` (null = "", trailing blanks
// dropped) when the key or the section is missing. Returns the length
// copied without the final zero: size - 1 for a value cut to the buffer,
// size - 2 for a list cut to it (still ended by two zeros), 0 for size 0.
DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                              LPCSTR fileName);
// The leading decimal number of the value (blanks, an optional sign, then
// digits; clamped to the int range); 0 for a value that starts otherwise;
// `defaultValue` for a missing key or an empty value.
UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);
// Adds or replaces "key=value". value null deletes the key, key null the
// section; all three null does nothing and succeeds.
BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

// The section's "key=value" entries as a list (cut like the lists above).
DWORD GetPrivateProfileSection(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR fileName);
// Replaces the section's lines with the list of "key=value" lines in
// `lines`; null deletes the section.
BOOL WritePrivateProfileSection(LPCSTR section, LPCSTR lines, LPCSTR fileName);
DWORD GetPrivateProfileSectionNames(LPSTR buffer, DWORD size, LPCSTR fileName);

// The same on "win.ini" in the Windows directory.
DWORD GetProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size);
UINT GetProfileInt(LPCSTR section, LPCSTR key, INT defaultValue);
BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value);

namespace helm::kernel {

// A profile file bigger than this is refused: it reads as empty and every
// write to it fails with ERROR_FILE_TOO_LARGE. A write that would make a
// file grow past it fails the same way.
inline constexpr std::size_t profile_file_limit = 16u * 1024u * 1024u;

// The file a profile name stands for, in native form ("" when the Windows
// directory cannot be had).
std::string profile_file_path(LPCSTR fileName);

}  // namespace helm::kernel
