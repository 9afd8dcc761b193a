#include "helm/kernel/error.h"

#include <cerrno>

namespace {
thread_local DWORD t_last_error = ERROR_SUCCESS;
}

DWORD GetLastError() { return t_last_error; }
void SetLastError(DWORD code) { t_last_error = code; }

namespace helm::kernel {

DWORD error_from_errno(int err)
{
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENAMETOOLONG: return ERROR_INVALID_NAME;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EAGAIN: return ERROR_LOCK_VIOLATION;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ENOSYS:
    case EOPNOTSUPP: return ERROR_NOT_SUPPORTED;
    case ENOSPC:
    case EIO: return ERROR_WRITE_FAULT;
    default: return ERROR_INVALID_FUNCTION;
    }
}

void set_last_error_from_errno() { SetLastError(error_from_errno(errno)); }

}  // namespace helm::kernel
