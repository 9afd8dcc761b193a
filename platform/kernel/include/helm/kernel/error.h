// The calling thread's last-error code.
#pragma once

#include <cstdarg>

#include "helm/kernel/types.h"

DWORD GetLastError();
void SetLastError(DWORD code);

#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define ERROR_MR_MID_NOT_FOUND 317L
// The system's text of an error code (FORMAT_MESSAGE_FROM_SYSTEM, with or
// without FORMAT_MESSAGE_IGNORE_INSERTS; no other flag) in English (language
// 0 or any English one), ending with CR LF, into `buffer`: its length, or 0
// with ERROR_MR_MID_NOT_FOUND for a code without a text,
// ERROR_INSUFFICIENT_BUFFER when the text and its NUL do not fit.
DWORD FormatMessage(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                    va_list* arguments);
#define FormatMessageA FormatMessage

namespace helm::kernel {
// The Windows code closest to a POSIX errno value.
DWORD error_from_errno(int err);
// SetLastError(error_from_errno(errno)).
void set_last_error_from_errno();
}  // namespace helm::kernel
