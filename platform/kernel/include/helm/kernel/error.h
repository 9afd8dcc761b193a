// The calling thread's last-error code.
#pragma once

#include "helm/kernel/types.h"

DWORD GetLastError();
void SetLastError(DWORD code);

namespace helm::kernel {
// The Windows code closest to a POSIX errno value.
DWORD error_from_errno(int err);
// SetLastError(error_from_errno(errno)).
void set_last_error_from_errno();
}  // namespace helm::kernel
