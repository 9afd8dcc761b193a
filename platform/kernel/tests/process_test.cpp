#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "helm/kernel/clock.h"
#include "helm/kernel/error.h"
#include "helm/kernel/files.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/process.h"
#include "helm/kernel/threads.h"
#include "helm/test/support.h"

namespace {

using helm::kernel::join_command_line;
using helm::kernel::ProcessStart;
using helm::kernel::ProcessStartOutcome;
using helm::kernel::split_command_line;
using Words = std::vector<std::string>;

std::string self_exe()
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

bool has(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

// ------------------------------------------------------------ command line

struct SplitCase {
    const char* line;
    Words words;
};

class SplitCommandLine : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLine, ReadsAsWindowsDoes)
{
    EXPECT_EQ(split_command_line(GetParam().line), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    WindowsRules, SplitCommandLine,
    ::testing::Values(
        SplitCase{"", {}},
        SplitCase{"   \t ", {}},
        SplitCase{"prog", {"prog"}},
        SplitCase{"  prog   a\tb  ", {"prog", "a", "b"}},
        // The program's name: quotes group, backslashes are plain.
        SplitCase{"\"C:\\Program Files\\Helm\\Portserver.exe\" /remote", {"C:\\Program Files\\Helm\\Portserver.exe", "/remote"}},
        SplitCase{"C:\\dir\\\"quoted part\"\\p.exe x", {"C:\\dir\\quoted part\\p.exe", "x"}},
        SplitCase{"\"C:\\dir\\\\\" x", {"C:\\dir\\\\", "x"}},
        // The C runtime's rules for the words after it.
        SplitCase{"p \"a b c\" d e", {"p", "a b c", "d", "e"}},
        SplitCase{"p \"ab\\\"c\" \"\\\\\" d", {"p", "ab\"c", "\\", "d"}},
        SplitCase{"p a\\\\\\b d\"e f\"g h", {"p", "a\\\\\\b", "de fg", "h"}},
        SplitCase{"p a\\\\\\\"b c d", {"p", "a\\\"b", "c", "d"}},
        SplitCase{"p a\\\\\\\\\"b c\" d e", {"p", "a\\\\b c", "d", "e"}},
        SplitCase{"p a\"b\"\" c d", {"p", "ab\" c d"}},
        SplitCase{"p \"\" \"\"", {"p", "", ""}},
        SplitCase{"p \"unterminated word", {"p", "unterminated word"}},
        SplitCase{"p trailing\\", {"p", "trailing\\"}},
        SplitCase{"p /remote/sleep", {"p", "/remote/sleep"}}));

TEST(CommandLine, JoinIsReadBackWordForWord)
{
    const Words cases[] = {
        {"prog"},
        {"/opt/with blank/prog", "plain", "two words", ""},
        {"p", "say \"hi\"", "back\\slash", "ends with\\", "ends with quote\\\"", "\\\\\"", "tab\there"},
    };
    for (const auto& words : cases) {
        std::string line = join_command_line(words);
        SCOPED_TRACE(line);
        EXPECT_EQ(split_command_line(line), words);
    }
    EXPECT_EQ(join_command_line({"/opt/a b/p", "x y", "z"}), "\"/opt/a b/p\" \"x y\" z");
}

TEST(CommandLine, GetCommandLineShowsThisProgramsArguments)
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    Words argv;
    std::string word;
    while (std::getline(in, word, '\0'))
        argv.push_back(word);
    ASSERT_NE(GetCommandLine(), nullptr);
    EXPECT_EQ(split_command_line(GetCommandLine()), argv);
    EXPECT_EQ(GetCommandLine(), GetCommandLine());
}

// ------------------------------------------------------------ modules

TEST(Modules, ProgramFileName)
{
    char buffer[MAX_PATH * 4];
    DWORD n = GetModuleFileName(nullptr, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, n), self_exe());
    EXPECT_EQ(GetModuleHandle(nullptr), helm_this_module());
    n = GetModuleFileName(GetModuleHandle(nullptr), buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, n), self_exe());
}

TEST(Modules, KernelLibraryIsAModuleOfItsOwn)
{
    HMODULE kernel = helm::kernel::module_of_address(reinterpret_cast<const void*>(&GetTickCount));
    ASSERT_NE(kernel, nullptr);
    EXPECT_NE(kernel, GetModuleHandle(nullptr));
    char buffer[MAX_PATH * 4];
    DWORD n = GetModuleFileName(kernel, buffer, sizeof buffer);
    std::string path(buffer, n);
    EXPECT_EQ(path.front(), '/');
    EXPECT_TRUE(path.ends_with("/libhelm_kernel.so")) << path;
    EXPECT_EQ(access(path.c_str(), R_OK), 0);

    for (const char* name : {"libhelm_kernel.so", "helm_kernel", "HELM_KERNEL.DLL", "C:\\Suite\\helm_kernel.dll"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(GetModuleHandle(name), kernel);
    }
}

TEST(Modules, UnknownModulesAreRefused)
{
    char buffer[MAX_PATH];
    int on_stack = 0;
    HMODULE kernel = helm::kernel::module_of_address(reinterpret_cast<const void*>(&GetTickCount));
    const HMODULE not_modules[] = {
        reinterpret_cast<HMODULE>(&on_stack),
        reinterpret_cast<HMODULE>(reinterpret_cast<char*>(kernel) + 16),  // inside, but not its start
    };
    for (HMODULE module : not_modules) {
        SetLastError(0);
        EXPECT_EQ(GetModuleFileName(module, buffer, sizeof buffer), 0u);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    }
    EXPECT_EQ(GetModuleHandle("no_such_library.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(helm::kernel::module_of_address(&on_stack), nullptr);
}

// A buffer too small gets size - 1 characters and a zero, and the result is
// the buffer's size with ERROR_INSUFFICIENT_BUFFER.
TEST(Modules, FileNameTruncation)
{
    const std::string full = self_exe();
    const DWORD length = static_cast<DWORD>(full.size());
    for (DWORD size : {1u, 2u, 5u, length, length + 1, length + 10}) {
        SCOPED_TRACE(size);
        std::vector<char> buffer(size + 1, '#');
        SetLastError(0);
        DWORD n = GetModuleFileName(nullptr, buffer.data(), size);
        if (size > length) {
            EXPECT_EQ(n, length);
            EXPECT_EQ(std::string(buffer.data()), full);
            EXPECT_EQ(GetLastError(), 0u);
        } else {
            EXPECT_EQ(n, size);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
            EXPECT_EQ(std::string(buffer.data()), full.substr(0, size - 1));
        }
        EXPECT_EQ(buffer[size], '#');  // nothing written past the end
    }
    char untouched = '#';
    EXPECT_EQ(GetModuleFileName(nullptr, &untouched, 0), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(untouched, '#');
}

// ------------------------------------------------------------ show state

TEST(StartupInfo, ShowStateFromTheStarter)
{
    struct Case {
        const char* value;  // null: unset
        int state;
    } cases[] = {{nullptr, -1}, {"1", 1}, {"2", 2}, {"10", 10}, {"11", 11}, {"12", -1}, {"", -1},
                 {"-1", -1}, {"x", -1}, {"007", -1}, {"1 ", -1}, {"99999999999999999999", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        if (c.value)
            setenv(helm::kernel::kShowStateVariable, c.value, 1);
        else
            unsetenv(helm::kernel::kShowStateVariable);
        EXPECT_EQ(helm::kernel::startup_show_state(), c.state);
        STARTUPINFO si;
        std::memset(&si, 0xAB, sizeof si);
        GetStartupInfo(&si);
        EXPECT_EQ(si.cb, sizeof si);
        EXPECT_EQ(si.dwFlags, c.state >= 0 ? STARTF_USESHOWWINDOW : 0u);
        EXPECT_EQ(si.wShowWindow, c.state >= 0 ? c.state : 0);
    }
    unsetenv(helm::kernel::kShowStateVariable);
}

// ------------------------------------------------------------ process start seam

// Records every start instead of running it.
class ReplacedStarter : public ::testing::Test {
protected:
    void SetUp() override
    {
        helm::kernel::set_process_starter([this](const ProcessStart& start) {
            starts.push_back(start);
            return outcome;
        });
    }
    void TearDown() override { helm::kernel::set_process_starter({}); }

    std::vector<ProcessStart> starts;
    ProcessStartOutcome outcome{ERROR_SUCCESS, 4242, 5};
};

TEST_F(ReplacedStarter, CreateProcessPassesTheServerStartAsAsked)
{
    setenv(helm::kernel::kShowStateVariable, "3", 1);  // our own show state is not the child's
    char line[] = "\"\\opt\\helm suite\\Portserver.exe\" /remote/sleep";
    STARTUPINFO si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcess(nullptr, line, nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP | HIGH_PRIORITY_CLASS,
                              nullptr, nullptr, &si, &pi));
    unsetenv(helm::kernel::kShowStateVariable);
    ASSERT_EQ(starts.size(), 1u);
    const ProcessStart& s = starts[0];
    EXPECT_EQ(s.program, "/opt/helm suite/Portserver.exe");
    EXPECT_EQ(s.arguments, (Words{"\\opt\\helm suite\\Portserver.exe", "/remote/sleep"}));
    EXPECT_EQ(s.command_line, line);
    EXPECT_EQ(s.creation_flags, CREATE_NEW_PROCESS_GROUP | HIGH_PRIORITY_CLASS);
    EXPECT_EQ(s.show_state, SW_SHOWMINIMIZED);
    EXPECT_TRUE(has(s.environment, "HELM_SHOW_STATE=2"));
    EXPECT_FALSE(has(s.environment, "HELM_SHOW_STATE=3"));
    EXPECT_TRUE(has(s.environment, std::string("HELM_STATION=") + std::getenv("HELM_STATION")));
    EXPECT_TRUE(s.directory.empty());

    // The handles stand for a process that has ended with the code given.
    EXPECT_EQ(pi.dwProcessId, 4242u);
    EXPECT_EQ(pi.dwThreadId, 4242u);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(pi.hThread, 0), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, 5u);
    EXPECT_FALSE(GetExitCodeProcess(pi.hThread, &code));
    EXPECT_TRUE(CloseHandle(pi.hThread));
    EXPECT_TRUE(CloseHandle(pi.hProcess));
}

TEST_F(ReplacedStarter, ApplicationNameDirectoryAndEnvironmentBlock)
{
    // A given block replaces the caller's environment but for the caller's
    // HELM_ variables that the block does not set.
    setenv("HELM_WINDIR", "/carried/over", 1);
    const char block[] = "A=1\0HELM_STATION=/chosen\0=C:=ignored\0noequals\0\0";
    Words expected{"A=1", "HELM_STATION=/chosen"};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "HELM_", 5) == 0 && std::strncmp(*e, "HELM_STATION=", 13) != 0)
            expected.emplace_back(*e);
    char line[] = "shown-name arg";
    STARTUPINFO si{};
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcess("\\usr\\bin\\real", line, nullptr, nullptr, FALSE, 0, const_cast<char*>(block),
                              "\\var\\tmp", &si, &pi));
    unsetenv("HELM_WINDIR");
    ASSERT_EQ(starts.size(), 1u);
    const ProcessStart& s = starts[0];
    EXPECT_EQ(s.program, "/usr/bin/real");
    EXPECT_EQ(s.arguments, (Words{"shown-name", "arg"}));
    EXPECT_EQ(s.directory, "/var/tmp");
    EXPECT_EQ(s.show_state, -1);
    EXPECT_EQ(s.environment, expected);
    EXPECT_TRUE(has(s.environment, "HELM_WINDIR=/carried/over"));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

TEST_F(ReplacedStarter, ShellExecuteQuotesTheFileAndAlwaysPassesTheShowState)
{
    HINSTANCE r = ShellExecute(nullptr, "open", "\\opt\\my suite\\app", "/rtfd", "\\opt", SW_SHOWNORMAL);
    EXPECT_GT(reinterpret_cast<INT_PTR>(r), 32);
    r = ShellExecute(nullptr, nullptr, "/opt/app", nullptr, nullptr, SW_HIDE);
    EXPECT_GT(reinterpret_cast<INT_PTR>(r), 32);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].program, "/opt/my suite/app");
    EXPECT_EQ(starts[0].command_line, "\"\\opt\\my suite\\app\" /rtfd");
    EXPECT_EQ(starts[0].arguments, (Words{"\\opt\\my suite\\app", "/rtfd"}));
    EXPECT_EQ(starts[0].directory, "/opt");
    EXPECT_EQ(starts[0].show_state, SW_SHOWNORMAL);
    EXPECT_EQ(starts[1].arguments, (Words{"/opt/app"}));
    EXPECT_EQ(starts[1].show_state, SW_HIDE);
    EXPECT_TRUE(has(starts[1].environment, "HELM_SHOW_STATE=0"));
}

TEST_F(ReplacedStarter, AFailedStartReportsItsError)
{
    const DWORD errors[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_BAD_EXE_FORMAT};
    const INT_PTR shell_codes[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, SE_ERR_ACCESSDENIED, ERROR_BAD_FORMAT};
    for (size_t i = 0; i < std::size(errors); ++i) {
        SCOPED_TRACE(errors[i]);
        outcome = {errors[i], 0, 0};
        char line[] = "/opt/app";
        STARTUPINFO si{};
        PROCESS_INFORMATION pi{};
        EXPECT_FALSE(CreateProcess(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        EXPECT_EQ(GetLastError(), errors[i]);
        EXPECT_EQ(pi.hProcess, nullptr);
        EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecute(nullptr, "open", "/opt/app", nullptr, nullptr, SW_SHOW)),
                  shell_codes[i]);
        EXPECT_EQ(WinExec("/opt/app", SW_SHOW), static_cast<UINT>(shell_codes[i]));
    }
}

// ------------------------------------------------------------ real starts that fail

class FailedStarts : public ::testing::Test {
protected:
    void SetUp() override
    {
        helm::test::write_file(not_a_program, "just text");
        chmod(not_a_program.c_str(), 0644);
    }
    helm::test::TempDir dir;
    const std::string not_a_program = dir.file("notes.txt");
};

TEST_F(FailedStarts, CreateProcessErrors)
{
    struct Case {
        std::string line;
        const char* directory;
        DWORD flags;
        DWORD error;
    } cases[] = {
        {dir.file("missing"), nullptr, 0, ERROR_FILE_NOT_FOUND},
        {dir.file("missing.exe"), nullptr, 0, ERROR_FILE_NOT_FOUND},
        {dir.file("nodir/missing"), nullptr, 0, ERROR_PATH_NOT_FOUND},
        {"helm-no-such-program-anywhere", nullptr, 0, ERROR_FILE_NOT_FOUND},
        {not_a_program, nullptr, 0, ERROR_ACCESS_DENIED},
        {dir.path(), nullptr, 0, ERROR_ACCESS_DENIED},
        {"/bin/true", "/no/such/directory", 0, ERROR_DIRECTORY},
        {"/bin/true", nullptr, CREATE_SUSPENDED, ERROR_INVALID_PARAMETER},
        {"/bin/true", nullptr, CREATE_UNICODE_ENVIRONMENT, ERROR_INVALID_PARAMETER},
        {"   ", nullptr, 0, ERROR_INVALID_PARAMETER},
        {"/bin/true " + std::string(40000, 'x'), nullptr, 0, ERROR_INVALID_PARAMETER},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 80));
        STARTUPINFO si{};
        PROCESS_INFORMATION pi{};
        SetLastError(0);
        EXPECT_FALSE(
            CreateProcess(nullptr, c.line.data(), nullptr, nullptr, FALSE, c.flags, nullptr, c.directory, &si, &pi));
        EXPECT_EQ(GetLastError(), c.error);
    }
    char line[] = "/bin/true";
    EXPECT_FALSE(CreateProcess(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(FailedStarts, ShellExecuteAnswersThirtyTwoOrLess)
{
    struct Case {
        const char* verb;
        std::string file;
        INT_PTR result;
    } cases[] = {
        {"open", dir.file("missing"), ERROR_FILE_NOT_FOUND},
        {"open", dir.file("nodir/missing"), ERROR_PATH_NOT_FOUND},
        {"open", "", ERROR_FILE_NOT_FOUND},
        {"open", not_a_program, SE_ERR_NOASSOC},
        {"open", dir.path(), SE_ERR_NOASSOC},
        {"open", "https://example.invalid/", SE_ERR_NOASSOC},
        {"print", "/bin/true", SE_ERR_NOASSOC},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        HINSTANCE r = ShellExecute(nullptr, c.verb, c.file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        EXPECT_EQ(reinterpret_cast<INT_PTR>(r), c.result);
    }
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecute(nullptr, "open", nullptr, nullptr, nullptr, SW_SHOW)),
              ERROR_FILE_NOT_FOUND);
}

TEST(Processes, OpenProcessOfNoProcess)
{
    EXPECT_EQ(OpenProcess(PROCESS_ALL_ACCESS, FALSE, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, 0x3FFFFFF0u), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Processes, CurrentProcessHandle)
{
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(GetCurrentProcess(), &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    HANDLE self = OpenProcess(SYNCHRONIZE, FALSE, GetCurrentProcessId());
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(WaitForSingleObject(self, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(self));
    EXPECT_FALSE(GetExitCodeProcess(nullptr, &code));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
