#include "helm/kernel/files.h"

#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "helm/kernel/error.h"
#include "helm/kernel/station_path.h"
#include "helm/kernel/trace.h"

namespace helm::kernel {
namespace {

// Longest environment value taken as a directory; longer ones are ignored.
constexpr size_t kMaxEnvPath = 4096;

bool fail(DWORD code)
{
    SetLastError(code);
    return false;
}

bool fail_on_path(int err, const std::string& path) { return fail(error_for_path(err, path)); }

std::string parent_of(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return trimmed.substr(0, slash);
}

bool is_directory(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Windows' read-only attribute is the absence of every write permission bit,
// so it means the same whoever runs the program (root included).
bool is_read_only(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

// An absolute directory from the environment, or empty when the variable
// is unset, relative or unreasonably long.
std::string env_directory(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return {};
    size_t length = strnlen(value, kMaxEnvPath + 1);
    if (length > kMaxEnvPath)
        return {};
    std::string path(value, length);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string home_directory()
{
    std::string home = env_directory("HOME");
    if (!home.empty())
        return home;
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return "/tmp";
}

// Creates `path` and its missing parents (mode 0700 for the ones made).
bool make_directories(const std::string& path)
{
    if (is_directory(path))
        return true;
    std::string parent = parent_of(path);
    if (parent != path && !make_directories(parent))
        return false;
    return mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && is_directory(path));
}

// Copies a string result the Windows way: the length on success, the size
// needed (with the terminating zero) when it does not fit.
DWORD copy_out(const std::string& value, DWORD bufferLength, LPSTR buffer)
{
    if (value.size() + 1 > bufferLength || !buffer)
        return static_cast<DWORD>(value.size() + 1);
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return static_cast<DWORD>(value.size());
}

bool write_all(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

struct FileDescriptor {
    int fd = -1;
    ~FileDescriptor()
    {
        if (fd >= 0)
            close(fd);
    }
};

bool copy_file(const std::string& from, const std::string& to, bool failIfExists)
{
    FileDescriptor source{open(from.c_str(), O_RDONLY | O_CLOEXEC)};
    if (source.fd < 0)
        return fail_on_path(errno == EISDIR ? EACCES : errno, from);
    struct stat st {};
    if (fstat(source.fd, &st) != 0)
        return fail_on_path(errno, from);
    if (S_ISDIR(st.st_mode))
        return fail(ERROR_ACCESS_DENIED);

    struct stat target {};
    if (stat(to.c_str(), &target) == 0) {
        if (failIfExists)
            return fail(ERROR_FILE_EXISTS);
        if (S_ISDIR(target.st_mode) || is_read_only(target))
            return fail(ERROR_ACCESS_DENIED);
        // Opening the target for truncation would destroy the source.
        if (target.st_dev == st.st_dev && target.st_ino == st.st_ino)
            return fail(ERROR_SHARING_VIOLATION);
    }
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
    FileDescriptor sink{open(to.c_str(), flags, 0666)};
    if (sink.fd < 0)
        return fail(errno == EEXIST ? ERROR_FILE_EXISTS : error_for_path(errno, to));

    char chunk[65536];
    for (;;) {
        ssize_t n = read(source.fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(ERROR_READ_FAULT);
        }
        if (n == 0)
            break;
        if (!write_all(sink.fd, chunk, static_cast<size_t>(n)))
            return fail(error_from_errno(errno));
    }
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(sink.fd, times);
    fchmod(sink.fd, st.st_mode & 07777);
    if (close(sink.fd) != 0) {
        sink.fd = -1;
        return fail(ERROR_WRITE_FAULT);
    }
    sink.fd = -1;
    return true;
}

// Lexical normalisation of an absolute path: "." and ".." resolved, runs of
// '/' made one; a trailing '/' is kept.
std::string normalise(const std::string& absolute)
{
    std::vector<std::string_view> parts;
    std::string_view rest(absolute);
    while (!rest.empty()) {
        size_t slash = rest.find('/');
        std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (auto part : parts) {
        out += '/';
        out += part;
    }
    if (out.empty())
        return "/";
    std::string_view last = absolute;
    while (!last.empty() && last.back() == '/')
        last.remove_suffix(1);
    bool trailing = absolute.back() == '/' && !last.ends_with("/.") && !last.ends_with("/..") && last != "." &&
                    last != "..";
    if (trailing)
        out += '/';
    return out;
}

std::string current_directory()
{
    std::vector<char> buffer(4096);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()))
            return buffer.data();
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

DWORD error_for_path(int err, const std::string& path)
{
    if (err == ENOENT && !is_directory(parent_of(path)))
        return ERROR_PATH_NOT_FOUND;
    return error_from_errno(err);
}

std::string existing_program_path(const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) == 0)
        return path;
    constexpr std::string_view ending = ".exe";
    if (path.size() <= ending.size() || strcasecmp(path.c_str() + path.size() - ending.size(), ending.data()) != 0)
        return path;
    std::string stem = path.substr(0, path.size() - ending.size());
    if (stat(stem.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)))
        return stem;
    return path;
}

}  // namespace helm::kernel

using helm::kernel::error_for_path;
using helm::kernel::native_path;

BOOL DeleteFile(LPCSTR fileName)
{
    if (!fileName)
        return helm::kernel::fail(ERROR_INVALID_PARAMETER);
    std::string path = native_path(fileName);
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return helm::kernel::fail_on_path(errno, path);
    if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && helm::kernel::is_read_only(st)))
        return helm::kernel::fail(ERROR_ACCESS_DENIED);
    if (unlink(path.c_str()) != 0)
        return helm::kernel::fail_on_path(errno, path);
    return TRUE;
}

BOOL CopyFile(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists)
{
    if (!existingFileName || !newFileName)
        return helm::kernel::fail(ERROR_INVALID_PARAMETER);
    return helm::kernel::copy_file(native_path(existingFileName), native_path(newFileName), failIfExists != FALSE);
}

BOOL MoveFile(LPCSTR existingFileName, LPCSTR newFileName)
{
    return MoveFileEx(existingFileName, newFileName, MOVEFILE_COPY_ALLOWED);
}

BOOL MoveFileEx(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags)
{
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT)
        return helm::kernel::fail(ERROR_NOT_SUPPORTED);
    if (!existingFileName || !newFileName)
        return helm::kernel::fail(ERROR_INVALID_PARAMETER);
    std::string from = native_path(existingFileName);
    std::string to = native_path(newFileName);
    struct stat source {};
    if (lstat(from.c_str(), &source) != 0)
        return helm::kernel::fail_on_path(errno, from);

    const bool replace = flags & MOVEFILE_REPLACE_EXISTING;
    struct stat target {};
    if (lstat(to.c_str(), &target) == 0 && !(target.st_dev == source.st_dev && target.st_ino == source.st_ino)) {
        if (!replace)
            return helm::kernel::fail(ERROR_ALREADY_EXISTS);
        if (S_ISDIR(target.st_mode) || helm::kernel::is_read_only(target))
            return helm::kernel::fail(ERROR_ACCESS_DENIED);
    }
    int result = replace ? rename(from.c_str(), to.c_str())
                         : renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (result != 0 && !replace && errno == EINVAL) {
        // A file system without RENAME_NOREPLACE: the look above must do.
        result = rename(from.c_str(), to.c_str());
    }
    if (result != 0) {
        int err = errno;
        if (err == EEXIST)
            return helm::kernel::fail(ERROR_ALREADY_EXISTS);
        if (err != EXDEV)
            return helm::kernel::fail_on_path(err, err == ENOENT ? to : from);
        if (!(flags & MOVEFILE_COPY_ALLOWED) || S_ISDIR(source.st_mode))
            return helm::kernel::fail(ERROR_NOT_SAME_DEVICE);
        if (!helm::kernel::copy_file(from, to, !replace))
            return FALSE;
        if (unlink(from.c_str()) != 0)
            return helm::kernel::fail_on_path(errno, from);
    }
    if (flags & MOVEFILE_WRITE_THROUGH) {
        helm::kernel::FileDescriptor directory{open(helm::kernel::parent_of(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
        if (directory.fd >= 0)
            fsync(directory.fd);
    }
    return TRUE;
}

BOOL CreateDirectory(LPCSTR pathName, LPSECURITY_ATTRIBUTES)
{
    if (!pathName)
        return helm::kernel::fail(ERROR_INVALID_PARAMETER);
    std::string path = native_path(pathName);
    if (mkdir(path.c_str(), 0777) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return helm::kernel::fail(ERROR_PATH_NOT_FOUND);
        return helm::kernel::fail(helm::kernel::error_from_errno(errno));
    }
    return TRUE;
}

BOOL RemoveDirectory(LPCSTR pathName)
{
    if (!pathName)
        return helm::kernel::fail(ERROR_INVALID_PARAMETER);
    std::string path = native_path(pathName);
    if (rmdir(path.c_str()) != 0) {
        if (errno == ENOTDIR)
            return helm::kernel::fail(helm::kernel::is_directory(helm::kernel::parent_of(path)) ? ERROR_DIRECTORY
                                                                                              : ERROR_PATH_NOT_FOUND);
        if (errno == EEXIST)
            return helm::kernel::fail(ERROR_DIR_NOT_EMPTY);
        return helm::kernel::fail_on_path(errno, path);
    }
    return TRUE;
}

DWORD GetFileAttributes(LPCSTR fileName)
{
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string path = helm::kernel::existing_program_path(native_path(fileName));
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        SetLastError(error_for_path(errno, path));
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (helm::kernel::is_read_only(st))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

DWORD GetCurrentDirectory(DWORD bufferLength, LPSTR buffer)
{
    std::string cwd = helm::kernel::current_directory();
    if (cwd.empty()) {
        helm::kernel::set_last_error_from_errno();
        return 0;
    }
    return helm::kernel::copy_out(cwd, bufferLength, buffer);
}

BOOL SetCurrentDirectory(LPCSTR pathName)
{
    if (!pathName)
        return helm::kernel::fail(ERROR_INVALID_PARAMETER);
    std::string path = native_path(pathName);
    if (chdir(path.c_str()) != 0) {
        if (errno == ENOTDIR)
            return helm::kernel::fail(ERROR_DIRECTORY);
        return helm::kernel::fail_on_path(errno, path);
    }
    return TRUE;
}

DWORD GetTempPath(DWORD bufferLength, LPSTR buffer)
{
    std::string path = helm::kernel::env_directory("TMPDIR");
    if (path.empty())
        path = "/tmp";
    if (path.back() != '/')
        path += '/';
    return helm::kernel::copy_out(path, bufferLength, buffer);
}

UINT GetWindowsDirectory(LPSTR buffer, UINT size)
{
    std::string path = helm::kernel::env_directory("HELM_WINDIR");
    if (path.empty()) {
        std::string config = helm::kernel::env_directory("XDG_CONFIG_HOME");
        if (config.empty())
            config = helm::kernel::home_directory() + "/.config";
        path = config + "/helm";
    }
    // Windows always has this directory; a failure shows later, when a file
    // in it is written.
    if (!helm::kernel::make_directories(path))
        helm::kernel::trace("GetWindowsDirectory: cannot create %s: %s\n", path.c_str(), std::strerror(errno));
    return helm::kernel::copy_out(path, size, buffer);
}

DWORD GetFullPathName(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    std::string path = native_path(fileName);
    if (path.front() != '/') {
        std::string cwd = helm::kernel::current_directory();
        if (cwd.empty()) {
            helm::kernel::set_last_error_from_errno();
            return 0;
        }
        path = cwd + "/" + path;
    }
    std::string full = helm::kernel::normalise(path);
    DWORD result = helm::kernel::copy_out(full, bufferLength, buffer);
    if (filePart && result < bufferLength && buffer) {
        size_t slash = full.rfind('/');
        *filePart = slash + 1 < full.size() ? buffer + slash + 1 : nullptr;
    }
    return result;
}

int _access(const char* path, int mode)
{
    if (!path || (mode != 0 && mode != 2 && mode != 4 && mode != 6)) {
        errno = EINVAL;
        return -1;
    }
    std::string native = helm::kernel::existing_program_path(native_path(path));
    struct stat st {};
    if (stat(native.c_str(), &st) != 0)
        return -1;
    int wanted = ((mode & 2) ? W_OK : 0) | ((mode & 4) ? R_OK : 0);
    if (wanted && access(native.c_str(), wanted) != 0)
        return -1;
    if ((mode & 2) && helm::kernel::is_read_only(st)) {
        errno = EACCES;
        return -1;
    }
    return 0;
}
