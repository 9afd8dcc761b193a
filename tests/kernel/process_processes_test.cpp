// Programs started through CreateProcess and ShellExecute: this test
// program again, in a child role, so that what the child saw can be checked.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "helm/kernel/error.h"
#include "helm/kernel/files.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/process.h"
#include "helm/kernel/threads.h"
#include "helm/test/support.h"

namespace {

using helm::test::eventually;
using helm::test::read_file;
using helm::test::write_file;

constexpr int kReportExitCode = 7;
constexpr DWORD kWaitMs = 30000;

int count_open_descriptors()
{
    int count = 0;
    if (DIR* fds = opendir("/proc/self/fd")) {
        while (dirent* entry = readdir(fds))
            if (entry->d_name[0] != '.')
                ++count;
        closedir(fds);
    }
    return count - 1;  // the listing's own descriptor
}

// Writes what the child was given, in one step so that a reader never sees
// half of it: args[0] is the report file, the rest are echoed.
HELM_TEST_CHILD(report)
{
    if (args.empty())
        return 99;
    std::ostringstream out;
    for (size_t i = 1; i < args.size(); ++i)
        out << "arg=" << args[i] << "\n";
    STARTUPINFO si{};
    GetStartupInfo(&si);
    char cwd[4096] = "";
    GetCurrentDirectory(sizeof cwd, cwd);
    const char* station = std::getenv("HELM_STATION");
    out << "show=" << helm::kernel::startup_show_state() << "\n"
        << "startup=" << si.dwFlags << "," << si.wShowWindow << "\n"
        << "cwd=" << cwd << "\n"
        << "own_group=" << (getpgrp() == getpid()) << "\n"
        << "station=" << (station ? station : "") << "\n"
        << "descriptors=" << count_open_descriptors() << "\n"
        << "pid=" << getpid() << "\n"
        << "command_line=" << GetCommandLine() << "\n";
    write_file(args[0] + ".tmp", out.str());
    rename((args[0] + ".tmp").c_str(), args[0].c_str());
    return kReportExitCode;
}

// Runs until args[0] exists, then ends with code 3.
HELM_TEST_CHILD(hold)
{
    if (args.empty())
        return 99;
    eventually([&] { return access(args[0].c_str(), F_OK) == 0; }, 60000);
    return 3;
}

std::string this_program()
{
    char path[4096];
    DWORD n = GetModuleFileName(nullptr, path, sizeof path);
    return std::string(path, n);
}

std::string windows_style(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::vector<std::string> lines_with(const std::string& report, const std::string& key)
{
    std::vector<std::string> found;
    std::istringstream in(report);
    std::string line;
    while (std::getline(in, line))
        if (line.starts_with(key + "="))
            found.push_back(line.substr(key.size() + 1));
    return found;
}

std::string value_of(const std::string& report, const std::string& key)
{
    auto found = lines_with(report, key);
    return found.empty() ? std::string("(none)") : found.front();
}

class StartedPrograms : public ::testing::Test {
protected:
    // Starts this program in `role` through CreateProcess with `tail` after
    // the role on the command line.
    PROCESS_INFORMATION start(const std::string& role, const std::string& tail, DWORD flags = 0,
                              int show = -1, const char* directory = nullptr, const std::string& program = {})
    {
        std::string line = "\"" + (program.empty() ? this_program() : program) + "\" --helm-child " + role + " " + tail;
        STARTUPINFO si{};
        si.cb = sizeof si;
        if (show >= 0) {
            si.dwFlags = STARTF_USESHOWWINDOW;
            si.wShowWindow = static_cast<WORD>(show);
        }
        PROCESS_INFORMATION pi{};
        EXPECT_TRUE(CreateProcess(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, directory, &si, &pi))
            << "error " << GetLastError();
        return pi;
    }

    // Waits for the end through the handle and returns the exit code.
    DWORD finish(const PROCESS_INFORMATION& pi)
    {
        EXPECT_EQ(WaitForSingleObject(pi.hProcess, kWaitMs), WAIT_OBJECT_0);
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return code;
    }

    helm::test::TempDir dir;
    const std::string report = dir.file("report");
};

TEST_F(StartedPrograms, ArgumentsShowStateAndExitCodeReachTheirPlaces)
{
    PROCESS_INFORMATION pi = start("report", "\"" + report + "\" /remote \"two words\" \"say \\\"hi\\\"\" back\\slash",
                                   CREATE_NEW_PROCESS_GROUP | HIGH_PRIORITY_CLASS, SW_SHOWMINIMIZED);
    ASSERT_NE(pi.hProcess, nullptr);
    EXPECT_NE(pi.dwProcessId, 0u);
    EXPECT_EQ(pi.dwThreadId, pi.dwProcessId);
    EXPECT_EQ(finish(pi), static_cast<DWORD>(kReportExitCode));

    const std::string r = read_file(report);
    EXPECT_EQ(lines_with(r, "arg"), (std::vector<std::string>{"/remote", "two words", "say \"hi\"", "back\\slash"}));
    EXPECT_EQ(value_of(r, "show"), std::to_string(SW_SHOWMINIMIZED));
    EXPECT_EQ(value_of(r, "startup"), "1," + std::to_string(SW_SHOWMINIMIZED));
    EXPECT_EQ(value_of(r, "own_group"), "1");
    EXPECT_EQ(value_of(r, "station"), std::getenv("HELM_STATION"));
    EXPECT_EQ(value_of(r, "pid"), std::to_string(pi.dwProcessId));
    EXPECT_EQ(helm::kernel::split_command_line(value_of(r, "command_line")).size(), 8u);
}

TEST_F(StartedPrograms, NoShowStateNoGroupAndOnlyTheStandardDescriptors)
{
    // A descriptor of ours without close-on-exec must not reach the child.
    int leaked = open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 3);
    setenv(helm::kernel::kShowStateVariable, "3", 1);
    PROCESS_INFORMATION pi = start("report", "\"" + report + "\"", 0, -1, dir.path().c_str());
    unsetenv(helm::kernel::kShowStateVariable);
    close(leaked);
    EXPECT_EQ(finish(pi), static_cast<DWORD>(kReportExitCode));

    const std::string r = read_file(report);
    EXPECT_EQ(value_of(r, "show"), "-1");
    EXPECT_EQ(value_of(r, "startup"), "0,0");
    EXPECT_EQ(value_of(r, "own_group"), "0");
    EXPECT_LE(std::stoi(value_of(r, "descriptors")), 3);
    char real[4096];
    ASSERT_TRUE(realpath(dir.path().c_str(), real));
    EXPECT_EQ(value_of(r, "cwd"), real);
}

// The system names its programs "....exe"; here they carry no ending.
TEST_F(StartedPrograms, ProgramNamedWithExeEndingIsFound)
{
    PROCESS_INFORMATION pi = start("report", "\"" + report + "\"", 0, SW_SHOWNORMAL, nullptr,
                                   windows_style(this_program()) + ".exe");
    ASSERT_NE(pi.hProcess, nullptr);
    EXPECT_EQ(finish(pi), static_cast<DWORD>(kReportExitCode));
    EXPECT_EQ(value_of(read_file(report), "show"), "1");
}

TEST_F(StartedPrograms, RunningUntilReleasedThenWaitableByEitherHandle)
{
    const std::string release = dir.file("release");
    PROCESS_INFORMATION pi = start("hold", "\"" + release + "\"");
    ASSERT_NE(pi.hProcess, nullptr);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 50), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(pi.hThread, 0), WAIT_TIMEOUT);

    write_file(release, "");
    EXPECT_EQ(WaitForSingleObject(pi.hThread, kWaitMs), WAIT_OBJECT_0);
    EXPECT_EQ(finish(pi), 3u);
}

TEST_F(StartedPrograms, MultipleWaitReportsTheProgramThatEnded)
{
    const std::string never = dir.file("never");
    PROCESS_INFORMATION holding = start("hold", "\"" + never + "\"");
    PROCESS_INFORMATION reporting = start("report", "\"" + report + "\"");
    HANDLE both[] = {holding.hProcess, reporting.hProcess};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, kWaitMs), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(finish(reporting), static_cast<DWORD>(kReportExitCode));

    ASSERT_TRUE(TerminateProcess(holding.hProcess, 42));
    EXPECT_EQ(finish(holding), 42u);
}

TEST_F(StartedPrograms, TerminateGivesTheCodeAndRefusesAnEndedProcess)
{
    PROCESS_INFORMATION pi = start("hold", "\"" + dir.file("never") + "\"");
    ASSERT_TRUE(TerminateProcess(pi.hProcess, 1234));
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, kWaitMs), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, 1234u);
    SetLastError(0);
    EXPECT_FALSE(TerminateProcess(pi.hProcess, 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(TerminateProcess(pi.hThread, 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

TEST_F(StartedPrograms, OpenProcessFollowsOurChildAndAnotherStartersChild)
{
    const std::string release = dir.file("release");
    PROCESS_INFORMATION pi = start("hold", "\"" + release + "\"");
    HANDLE again = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pi.dwProcessId);
    ASSERT_NE(again, nullptr);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    // A child that the test support started and will reap itself.
    helm::test::Child other = helm::test::spawn_child("hold", {release});
    HANDLE foreign = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(other.pid()));
    ASSERT_NE(foreign, nullptr);
    EXPECT_EQ(WaitForSingleObject(foreign, 0), WAIT_TIMEOUT);

    write_file(release, "");
    EXPECT_EQ(WaitForSingleObject(again, kWaitMs), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(again, &code));
    EXPECT_EQ(code, 3u);
    EXPECT_EQ(WaitForSingleObject(foreign, kWaitMs), WAIT_OBJECT_0);
    ASSERT_TRUE(GetExitCodeProcess(foreign, &code));
    EXPECT_EQ(code, 3u);
    // Watching it did not take its end away from its own starter.
    EXPECT_EQ(other.wait(), 3);
    CloseHandle(again);
    CloseHandle(foreign);
}

// A program whose handles are closed at once is still reaped when it ends.
TEST_F(StartedPrograms, ClosedHandlesLeaveNoZombie)
{
    const std::string release = dir.file("release");
    PROCESS_INFORMATION pi = start("hold", "\"" + release + "\"");
    const std::string proc = "/proc/" + std::to_string(pi.dwProcessId);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    write_file(release, "");
    EXPECT_TRUE(eventually([&] { return access(proc.c_str(), F_OK) != 0; }, static_cast<int>(kWaitMs)));
}

TEST_F(StartedPrograms, ShellExecuteStartsTheProgramWithParametersAndShowState)
{
    HINSTANCE r = ShellExecute(nullptr, "open", this_program().c_str(),
                               ("--helm-child report \"" + report + "\" /rtfd").c_str(), dir.path().c_str(),
                               SW_SHOWNORMAL);
    ASSERT_GT(reinterpret_cast<INT_PTR>(r), 32);
    ASSERT_TRUE(eventually([&] { return access(report.c_str(), F_OK) == 0; }, static_cast<int>(kWaitMs)));
    const std::string text = read_file(report);
    EXPECT_EQ(lines_with(text, "arg"), std::vector<std::string>{"/rtfd"});
    EXPECT_EQ(value_of(text, "show"), std::to_string(SW_SHOWNORMAL));

    std::string line = "\"" + this_program() + "\" --helm-child report \"" + report + "2\" x";
    EXPECT_GT(WinExec(line.c_str(), SW_SHOWMAXIMIZED), 31u);
    ASSERT_TRUE(eventually([&] { return access((report + "2").c_str(), F_OK) == 0; }, static_cast<int>(kWaitMs)));
    EXPECT_EQ(value_of(read_file(report + "2"), "show"), std::to_string(SW_SHOWMAXIMIZED));
}

}  // namespace
