#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "helm/kernel/error.h"
#include "helm/kernel/files.h"
#include "helm/test/support.h"

namespace {

using helm::test::read_file;
using helm::test::write_file;

// Sets or removes an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// The system writes its paths with backslashes.
std::string windows_style(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

mode_t mode_of(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// A directory with a file, a read-only file, an empty and a full
// directory, and the name of a directory that does not exist.
struct Sandbox {
    Sandbox()
    {
        write_file(file, "contents");
        write_file(other, "other file, longer than the first");
        write_file(read_only, "locked");
        chmod(read_only.c_str(), 0444);
        mkdir(empty_dir.c_str(), 0755);
        mkdir(full_dir.c_str(), 0755);
        write_file(full_dir + "/inside", "x");
    }

    helm::test::TempDir dir;
    const std::string file = dir.file("file.txt");
    const std::string other = dir.file("other.txt");
    const std::string read_only = dir.file("readonly.txt");
    const std::string empty_dir = dir.file("empty");
    const std::string full_dir = dir.file("full");
    const std::string missing = dir.file("missing.txt");
    const std::string in_missing_dir = dir.file("nodir/file.txt");
    const std::string fresh = dir.file("fresh.txt");
};

class Files : public ::testing::Test, public Sandbox {};

struct FileCall {
    const char* what;
    std::function<BOOL(const Sandbox&)> call;
    DWORD error;  // ERROR_SUCCESS when the call succeeds
};

std::string w(const std::string& path) { return windows_style(path); }

const FileCall kFileCalls[] = {
    {"delete a file", [](const Sandbox& f) { return DeleteFile(w(f.file).c_str()); }, ERROR_SUCCESS},
    {"delete a missing file", [](const Sandbox& f) { return DeleteFile(w(f.missing).c_str()); }, ERROR_FILE_NOT_FOUND},
    {"delete in a missing directory", [](const Sandbox& f) { return DeleteFile(w(f.in_missing_dir).c_str()); },
     ERROR_PATH_NOT_FOUND},
    {"delete a directory", [](const Sandbox& f) { return DeleteFile(w(f.empty_dir).c_str()); }, ERROR_ACCESS_DENIED},
    {"delete a read-only file", [](const Sandbox& f) { return DeleteFile(w(f.read_only).c_str()); },
     ERROR_ACCESS_DENIED},

    {"copy to a new file", [](const Sandbox& f) { return CopyFile(w(f.file).c_str(), w(f.fresh).c_str(), TRUE); },
     ERROR_SUCCESS},
    {"copy over a file", [](const Sandbox& f) { return CopyFile(w(f.file).c_str(), w(f.other).c_str(), FALSE); },
     ERROR_SUCCESS},
    {"copy over a file, refused", [](const Sandbox& f) { return CopyFile(w(f.file).c_str(), w(f.other).c_str(), TRUE); },
     ERROR_FILE_EXISTS},
    {"copy a missing file", [](const Sandbox& f) { return CopyFile(w(f.missing).c_str(), w(f.fresh).c_str(), TRUE); },
     ERROR_FILE_NOT_FOUND},
    {"copy into a missing directory",
     [](const Sandbox& f) { return CopyFile(w(f.file).c_str(), w(f.in_missing_dir).c_str(), TRUE); },
     ERROR_PATH_NOT_FOUND},
    {"copy over a read-only file",
     [](const Sandbox& f) { return CopyFile(w(f.file).c_str(), w(f.read_only).c_str(), FALSE); }, ERROR_ACCESS_DENIED},
    {"copy over a directory", [](const Sandbox& f) { return CopyFile(w(f.file).c_str(), w(f.empty_dir).c_str(), FALSE); },
     ERROR_ACCESS_DENIED},
    {"copy a directory", [](const Sandbox& f) { return CopyFile(w(f.empty_dir).c_str(), w(f.fresh).c_str(), FALSE); },
     ERROR_ACCESS_DENIED},
    {"copy a file onto itself", [](const Sandbox& f) { return CopyFile(w(f.file).c_str(), w(f.file).c_str(), FALSE); },
     ERROR_SHARING_VIOLATION},

    {"move to a new name", [](const Sandbox& f) { return MoveFile(w(f.file).c_str(), w(f.fresh).c_str()); },
     ERROR_SUCCESS},
    {"move onto a file", [](const Sandbox& f) { return MoveFile(w(f.file).c_str(), w(f.other).c_str()); },
     ERROR_ALREADY_EXISTS},
    {"move a missing file", [](const Sandbox& f) { return MoveFile(w(f.missing).c_str(), w(f.fresh).c_str()); },
     ERROR_FILE_NOT_FOUND},
    {"move into a missing directory",
     [](const Sandbox& f) { return MoveFile(w(f.file).c_str(), w(f.in_missing_dir).c_str()); }, ERROR_PATH_NOT_FOUND},
    {"move a directory", [](const Sandbox& f) { return MoveFile(w(f.full_dir).c_str(), w(f.fresh).c_str()); },
     ERROR_SUCCESS},
    {"move replacing a file",
     [](const Sandbox& f) { return MoveFileEx(w(f.file).c_str(), w(f.other).c_str(), MOVEFILE_REPLACE_EXISTING); },
     ERROR_SUCCESS},
    {"move replacing a directory",
     [](const Sandbox& f) { return MoveFileEx(w(f.file).c_str(), w(f.empty_dir).c_str(), MOVEFILE_REPLACE_EXISTING); },
     ERROR_ACCESS_DENIED},
    {"move replacing a read-only file",
     [](const Sandbox& f) { return MoveFileEx(w(f.file).c_str(), w(f.read_only).c_str(), MOVEFILE_REPLACE_EXISTING); },
     ERROR_ACCESS_DENIED},
    {"move at the next boot",
     [](const Sandbox& f) { return MoveFileEx(w(f.file).c_str(), w(f.fresh).c_str(), MOVEFILE_DELAY_UNTIL_REBOOT); },
     ERROR_NOT_SUPPORTED},

    {"create a directory", [](const Sandbox& f) { return CreateDirectory(w(f.fresh).c_str(), nullptr); }, ERROR_SUCCESS},
    {"create an existing directory", [](const Sandbox& f) { return CreateDirectory(w(f.empty_dir).c_str(), nullptr); },
     ERROR_ALREADY_EXISTS},
    {"create a directory over a file", [](const Sandbox& f) { return CreateDirectory(w(f.file).c_str(), nullptr); },
     ERROR_ALREADY_EXISTS},
    {"create in a missing directory",
     [](const Sandbox& f) { return CreateDirectory(w(f.in_missing_dir).c_str(), nullptr); }, ERROR_PATH_NOT_FOUND},

    {"remove an empty directory", [](const Sandbox& f) { return RemoveDirectory(w(f.empty_dir).c_str()); },
     ERROR_SUCCESS},
    {"remove a full directory", [](const Sandbox& f) { return RemoveDirectory(w(f.full_dir).c_str()); },
     ERROR_DIR_NOT_EMPTY},
    {"remove a missing directory", [](const Sandbox& f) { return RemoveDirectory(w(f.missing).c_str()); },
     ERROR_FILE_NOT_FOUND},
    {"remove a file as a directory", [](const Sandbox& f) { return RemoveDirectory(w(f.file).c_str()); },
     ERROR_DIRECTORY},
    {"remove in a missing directory", [](const Sandbox& f) { return RemoveDirectory(w(f.in_missing_dir).c_str()); },
     ERROR_PATH_NOT_FOUND},

    {"enter a missing directory", [](const Sandbox& f) { return SetCurrentDirectory(w(f.missing).c_str()); },
     ERROR_FILE_NOT_FOUND},
    {"enter a file", [](const Sandbox& f) { return SetCurrentDirectory(w(f.file).c_str()); }, ERROR_DIRECTORY},
};

TEST(FileCalls, ResultAndLastErrorOfEachCall)
{
    for (const auto& c : kFileCalls) {
        SCOPED_TRACE(c.what);
        Sandbox sandbox;
        SetLastError(0xDEAD);
        BOOL ok = c.call(sandbox);
        if (c.error == ERROR_SUCCESS) {
            EXPECT_TRUE(ok);
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(GetLastError(), c.error);
        }
    }
}

TEST_F(Files, CopyTakesBytesReadOnlyStateAndWriteTime)
{
    struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    utimensat(AT_FDCWD, read_only.c_str(), times, 0);
    ASSERT_TRUE(CopyFile(read_only.c_str(), fresh.c_str(), TRUE));
    EXPECT_EQ(read_file(fresh), "locked");
    EXPECT_EQ(GetFileAttributes(fresh.c_str()), FILE_ATTRIBUTE_READONLY);
    struct stat st {};
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    chmod(fresh.c_str(), 0644);

    // A longer target is cut to the source's length.
    ASSERT_TRUE(CopyFile(file.c_str(), other.c_str(), FALSE));
    EXPECT_EQ(read_file(other), "contents");
    EXPECT_EQ(read_file(file), "contents");
}

TEST_F(Files, MoveReplacesOnlyWhenAsked)
{
    ASSERT_FALSE(MoveFile(file.c_str(), other.c_str()));
    EXPECT_EQ(read_file(other), "other file, longer than the first");
    ASSERT_TRUE(MoveFileEx(file.c_str(), other.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(read_file(other), "contents");
    EXPECT_EQ(GetFileAttributes(file.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Files, AttributesOfEachKind)
{
    struct Case {
        std::string path;
        DWORD attributes;
        DWORD error;
    } cases[] = {
        {file, FILE_ATTRIBUTE_NORMAL, 0},
        {read_only, FILE_ATTRIBUTE_READONLY, 0},
        {empty_dir, FILE_ATTRIBUTE_DIRECTORY, 0},
        {windows_style(file), FILE_ATTRIBUTE_NORMAL, 0},
        {missing, INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
        {in_missing_dir, INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(GetFileAttributes(c.path.c_str()), c.attributes);
        if (c.error) {
            EXPECT_EQ(GetLastError(), c.error);
        }
    }
}

TEST_F(Files, AccessModes)
{
    struct Case {
        std::string path;
        int mode;
        int result;
        int error;
    } cases[] = {
        {file, 0, 0, 0},           {file, 2, 0, 0},           {file, 4, 0, 0},
        {file, 6, 0, 0},           {read_only, 0, 0, 0},      {read_only, 4, 0, 0},
        {read_only, 2, -1, EACCES}, {read_only, 6, -1, EACCES}, {empty_dir, 0, 0, 0},
        {missing, 0, -1, ENOENT},  {windows_style(file), 0, 0, 0}, {file, 1, -1, EINVAL},
        {file, 3, -1, EINVAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " mode " + std::to_string(c.mode));
        errno = 0;
        EXPECT_EQ(_access(c.path.c_str(), c.mode), c.result);
        if (c.result != 0) {
            EXPECT_EQ(errno, c.error);
        }
    }
}

// "Portserver.exe" is the program "Portserver" here; a file that is not a
// program keeps its name.
TEST_F(Files, ProgramsAreFoundWithoutTheirExeEnding)
{
    const std::string program = dir.file("Portserver");
    write_file(program, "#!/bin/sh\n");
    chmod(program.c_str(), 0755);
    EXPECT_EQ(_access(windows_style(program + ".exe").c_str(), 0), 0);
    EXPECT_EQ(_access((program + ".EXE").c_str(), 0), 0);
    EXPECT_EQ(GetFileAttributes((program + ".exe").c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(helm::kernel::existing_program_path(program + ".exe"), program);

    chmod(program.c_str(), 0644);
    EXPECT_EQ(_access((program + ".exe").c_str(), 0), -1);
    EXPECT_EQ(helm::kernel::existing_program_path(program + ".exe"), program + ".exe");
    write_file(program + ".exe", "real");
    EXPECT_EQ(helm::kernel::existing_program_path(program + ".exe"), program + ".exe");
}

// Each directory query returns the length, or the size needed (with the
// zero) and an untouched buffer when it does not fit.
void expect_windows_string_result(const std::function<DWORD(DWORD, LPSTR)>& query, const std::string& expected)
{
    char buffer[4096];
    ASSERT_LT(expected.size(), sizeof buffer);
    EXPECT_EQ(query(sizeof buffer, buffer), expected.size());
    EXPECT_EQ(std::string(buffer), expected);
    char small[4] = {'k', 'e', 'e', 'p'};
    EXPECT_EQ(query(sizeof small, small), expected.size() + 1);
    EXPECT_EQ(std::string(small, 4), "keep");
    EXPECT_EQ(query(static_cast<DWORD>(expected.size()), buffer), expected.size() + 1);
    EXPECT_EQ(query(0, nullptr), expected.size() + 1);
}

TEST_F(Files, CurrentDirectoryRoundTrip)
{
    char before[4096];
    ASSERT_GT(GetCurrentDirectory(sizeof before, before), 0u);
    ASSERT_TRUE(SetCurrentDirectory(windows_style(full_dir).c_str()));
    char real[4096];
    ASSERT_TRUE(realpath(full_dir.c_str(), real));
    expect_windows_string_result([](DWORD n, LPSTR b) { return GetCurrentDirectory(n, b); }, real);
    EXPECT_EQ(_access("inside", 0), 0);
    ASSERT_TRUE(SetCurrentDirectory(before));
}

TEST_F(Files, TempPathEndsWithASlashAndIgnoresABadTmpdir)
{
    auto query = [](DWORD n, LPSTR b) { return GetTempPath(n, b); };
    {
        ScopedEnv tmp("TMPDIR", dir.path());
        expect_windows_string_result(query, dir.path() + "/");
    }
    {
        ScopedEnv tmp("TMPDIR", std::string("relative/tmp"));
        expect_windows_string_result(query, "/tmp/");
    }
    {
        ScopedEnv tmp("TMPDIR", "/" + std::string(10000, 'x'));
        expect_windows_string_result(query, "/tmp/");
    }
}

TEST_F(Files, WindowsDirectoryComesFromTheEnvironmentAndIsCreated)
{
    auto query = [](DWORD n, LPSTR b) { return static_cast<DWORD>(GetWindowsDirectory(b, n)); };
    const std::string chosen = dir.file("win/nested");
    const std::string config = dir.file("config");
    const std::string home = dir.file("home");
    {
        ScopedEnv windir("HELM_WINDIR", chosen + "/");
        ScopedEnv xdg("XDG_CONFIG_HOME", config);
        expect_windows_string_result(query, chosen);
        EXPECT_EQ(GetFileAttributes(chosen.c_str()), FILE_ATTRIBUTE_DIRECTORY);
    }
    {
        ScopedEnv windir("HELM_WINDIR", std::string("not/absolute"));
        ScopedEnv xdg("XDG_CONFIG_HOME", config);
        expect_windows_string_result(query, config + "/helm");
        EXPECT_EQ(GetFileAttributes((config + "/helm").c_str()), FILE_ATTRIBUTE_DIRECTORY);
    }
    {
        ScopedEnv windir("HELM_WINDIR", std::nullopt);
        ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
        ScopedEnv home_var("HOME", home);
        expect_windows_string_result(query, home + "/.config/helm");
        EXPECT_EQ(mode_of(home + "/.config/helm") & 0077, 0u);
    }
}

TEST_F(Files, FullPathNamesAreAbsoluteAndNormalised)
{
    char before[4096];
    ASSERT_GT(GetCurrentDirectory(sizeof before, before), 0u);
    ASSERT_TRUE(SetCurrentDirectory("/usr/lib"));
    struct Case {
        const char* name;
        const char* full;
        const char* file_part;  // null: none
    } cases[] = {
        {"app.ini", "/usr/lib/app.ini", "app.ini"},
        {"..\\share\\app.ini", "/usr/share/app.ini", "app.ini"},
        {".\\a\\.\\b\\..\\c", "/usr/lib/a/c", "c"},
        {"\\\\etc\\\\\\hosts", "/etc/hosts", "hosts"},
        {"/../../etc", "/etc", "etc"},
        {"sub\\", "/usr/lib/sub/", nullptr},
        {"..", "/usr", "usr"},
        {"/", "/", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        char buffer[MAX_PATH];
        LPSTR file_part = buffer;
        DWORD n = GetFullPathName(c.name, sizeof buffer, buffer, &file_part);
        EXPECT_EQ(std::string(buffer, n), c.full);
        if (c.file_part)
            EXPECT_STREQ(file_part, c.file_part);
        else
            EXPECT_EQ(file_part, nullptr);
    }
    char tiny[3];
    EXPECT_EQ(GetFullPathName("app.ini", sizeof tiny, tiny, nullptr), sizeof "/usr/lib/app.ini");
    ASSERT_TRUE(SetCurrentDirectory(before));
}

}  // namespace
