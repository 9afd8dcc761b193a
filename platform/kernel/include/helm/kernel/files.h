// Files and directories by name: delete, copy, move, directories,
// attributes, the current, temporary and "Windows" directories, and the C
// runtime's _access. Every path may use backslashes; it goes through
// helm::kernel::native_path first.
#pragma once

#include <string>

#include "helm/kernel/types.h"

#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_COPY_ALLOWED 0x00000002u
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004u
#define MOVEFILE_WRITE_THROUGH 0x00000008u


// Fails with ERROR_ACCESS_DENIED for a directory or a read-only file.
BOOL DeleteFile(LPCSTR fileName);
// Copies the bytes, the read-only state and the last write time. An
// existing target is replaced unless failIfExists (ERROR_FILE_EXISTS); a
// read-only target is not (ERROR_ACCESS_DENIED).
BOOL CopyFile(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists);
// Never replaces (ERROR_ALREADY_EXISTS); a file may cross file systems.
BOOL MoveFile(LPCSTR existingFileName, LPCSTR newFileName);
// MOVEFILE_REPLACE_EXISTING, MOVEFILE_COPY_ALLOWED (a file crosses file
// systems by copy and delete) and MOVEFILE_WRITE_THROUGH are honoured;
// MOVEFILE_DELAY_UNTIL_REBOOT is refused (ERROR_NOT_SUPPORTED).
BOOL MoveFileEx(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags);
BOOL CreateDirectory(LPCSTR pathName, LPSECURITY_ATTRIBUTES attributes);
BOOL RemoveDirectory(LPCSTR pathName);
// FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_READONLY (no write permission
// bit at all), or FILE_ATTRIBUTE_NORMAL for a file with neither.
DWORD GetFileAttributes(LPCSTR fileName);

// The directory functions below return the length written (without the
// terminating zero), or, when the buffer is too small, the size needed
// (with it) and leave the buffer untouched; 0 on failure.
DWORD GetCurrentDirectory(DWORD bufferLength, LPSTR buffer);
BOOL SetCurrentDirectory(LPCSTR pathName);
// $TMPDIR when it is an absolute path, else /tmp; always ends with '/'.
DWORD GetTempPath(DWORD bufferLength, LPSTR buffer);
// Where a profile file named without a directory lives: $HELM_WINDIR when
// it is an absolute path, else $XDG_CONFIG_HOME/helm, else
// ~/.config/helm; created on first use.
UINT GetWindowsDirectory(LPSTR buffer, UINT size);
// The absolute, lexically normalised form of `fileName` ("." and ".."
// resolved, doubled slashes removed); *filePart, when asked for, points at
// the last component in `buffer` (null when the path ends with '/').
DWORD GetFullPathName(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart);

// The C runtime's check: mode 0 existence, 2 write, 4 read, 6 both. Returns
// 0, or -1 with errno ENOENT, EACCES (also writing to a read-only file, as
// GetFileAttributes reports it) or EINVAL (another mode).
int _access(const char* path, int mode);

namespace helm::kernel {

// The Windows code for an errno met on `path` (native form): ENOENT is
// ERROR_PATH_NOT_FOUND when the directory that should hold the path is
// missing too, ERROR_FILE_NOT_FOUND otherwise.
DWORD error_for_path(int err, const std::string& path);

// The suite's programs carry no ".exe" on Linux, while the system's code
// names them with it: `path` itself when it exists, else, for a name
// ending in ".exe" (any case), that name without the ending when such a
// file exists, else `path` unchanged. _access, GetFileAttributes and the
// process start look programs up through it.
std::string existing_program_path(const std::string& path);

}  // namespace helm::kernel
