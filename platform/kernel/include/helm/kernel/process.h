// Processes and modules: module handles and file names, the command line,
// starting programs (CreateProcess, ShellExecute, WinExec), waiting for
// them and their exit codes. A program is started without a shell; the
// process start is a seam that tests replace.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "helm/kernel/types.h"

// Show commands, passed to a started program as its first show state.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10
#define SW_FORCEMINIMIZE 11
#define SW_MAX 11

// Creation flags. A priority class above normal needs CAP_SYS_NICE here
// and is dropped without it; CREATE_NEW_PROCESS_GROUP gives the child a
// process group of its own. Console and debugging flags are accepted and
// have no effect; CREATE_SUSPENDED and CREATE_UNICODE_ENVIRONMENT are
// refused (ERROR_INVALID_PARAMETER).
#define DEBUG_PROCESS 0x00000001u
#define DEBUG_ONLY_THIS_PROCESS 0x00000002u
#define DETACHED_PROCESS 0x00000008u
#define CREATE_NEW_CONSOLE 0x00000010u
#define NORMAL_PRIORITY_CLASS 0x00000020u
#define IDLE_PRIORITY_CLASS 0x00000040u
#define HIGH_PRIORITY_CLASS 0x00000080u
#define REALTIME_PRIORITY_CLASS 0x00000100u
#define CREATE_NEW_PROCESS_GROUP 0x00000200u
#define CREATE_UNICODE_ENVIRONMENT 0x00000400u
#define BELOW_NORMAL_PRIORITY_CLASS 0x00004000u
#define ABOVE_NORMAL_PRIORITY_CLASS 0x00008000u
#define CREATE_NO_WINDOW 0x08000000u

#define STARTF_USESHOWWINDOW 0x00000001u
#define STARTF_USESIZE 0x00000002u
#define STARTF_USEPOSITION 0x00000004u
#define STARTF_USESTDHANDLES 0x00000100u

#define PROCESS_TERMINATE 0x0001u
#define PROCESS_QUERY_INFORMATION 0x0400u
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000u
#define PROCESS_ALL_ACCESS 0x001FFFFFu

// ShellExecute results of 32 and below that are not Windows error codes.
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_SHARE 26
#define SE_ERR_NOASSOC 31


struct STARTUPINFO {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};
typedef STARTUPINFO STARTUPINFOA;
typedef STARTUPINFO* LPSTARTUPINFO;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

// A module handle is the load address of the program or shared library.
// Null stands for the program. The name is the absolute path; a buffer too
// small gets the path cut to size - 1 characters and a zero, and the result
// is `size` with ERROR_INSUFFICIENT_BUFFER. An unknown module gives 0 and
// ERROR_MOD_NOT_FOUND.
DWORD GetModuleFileName(HMODULE module, LPSTR fileName, DWORD size);
#define GetModuleFileNameA GetModuleFileName
// Null: the program. Otherwise a loaded module by file name, compared
// without case, directory and ending ("Toolkit.dll" finds libtoolkit.so).
HMODULE GetModuleHandle(LPCSTR moduleName);
#define GetModuleHandleA GetModuleHandle

// The program and its arguments as one line, each argument that holds a
// blank or a quote quoted the way split_command_line reads it back.
LPSTR GetCommandLine();
#define GetCommandLineA GetCommandLine
// dwFlags has STARTF_USESHOWWINDOW and wShowWindow the show state when the
// starter of this program passed one.
void GetStartupInfo(LPSTARTUPINFO startupInfo);

// Without an application name the program is the first word of the command
// line; a name without a directory is looked for beside the calling
// program, in the current directory, then along $PATH; a name ending in
// ".exe" also finds the program without that ending. The environment block
// ("NAME=value" strings, then an empty one) replaces the caller's, except
// that the layer's own HELM_* variables that the block does not set are
// carried over (the child stays in the caller's station). Handles are
// never inherited and the child gets no descriptor beyond 0, 1 and 2.
BOOL CreateProcess(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                   LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                   LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFO startupInfo,
                   LPPROCESS_INFORMATION processInformation);
#define CreateProcessA CreateProcess
// Starts a program ("open" or a null verb) with `parameters`. A value above
// 32 means success; else ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// SE_ERR_ACCESSDENIED, ERROR_BAD_FORMAT, or SE_ERR_NOASSOC for a verb,
// document, directory or address the layer cannot open.
HINSTANCE ShellExecute(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                       INT showCommand);
#define ShellExecuteA ShellExecute
// Above 31 on success, else as ShellExecute.
UINT WinExec(LPCSTR commandLine, UINT showCommand);

// The handle that stands for this process.
HANDLE GetCurrentProcess();
// Any process of the machine by id (ERROR_INVALID_PARAMETER when there is
// none). Its handle is signalled when it ends.
HANDLE OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);
// Kills the process; its exit code becomes `exitCode` (only the low 8 bits
// cross processes). ERROR_ACCESS_DENIED when it has already ended.
BOOL TerminateProcess(HANDLE process, UINT exitCode);
// STILL_ACTIVE while it runs; then its exit code, or 128 + the signal that
// killed it. The code of a process that is not our child is not known
// here and reads 0.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
// Ends the program as exit() does: static objects and shared libraries
// are torn down first.
[[noreturn]] void ExitProcess(UINT exitCode);

namespace helm::kernel {

// The module whose image holds `address`, or null.
HMODULE module_of_address(const void* address);

// Windows' reading of a command line: the first word ends at a blank
// outside quotes and takes quotes without escapes; every later word follows
// the C runtime's rules (2n backslashes and a quote: n backslashes and a
// quote that opens or closes; 2n+1 and a quote: n backslashes and a
// literal quote; "" inside quotes: a literal quote).
std::vector<std::string> split_command_line(std::string_view line);
// The inverse: words joined with blanks, quoted where needed.
std::string join_command_line(const std::vector<std::string>& words);

// The show state passed to this program by its starter (SW_*), or -1.
int startup_show_state();

// One program start, as CreateProcess, ShellExecute and WinExec ask for it.
struct ProcessStart {
    std::string program;                   // native path as named, not yet looked up
    std::vector<std::string> arguments;    // the program's argv, its name first
    std::string command_line;              // as the caller gave it
    std::string directory;                 // empty: the caller's
    std::vector<std::string> environment;  // the child's, "NAME=value"
    DWORD creation_flags = 0;
    int show_state = -1;                   // SW_* passed on, or -1
};
struct ProcessStartOutcome {
    DWORD error = ERROR_SUCCESS;
    DWORD process_id = 0;
    // For a replaced starter: the returned handles stand for a process that
    // has already ended with this code (unless process_id is a child that
    // spawn_process started).
    DWORD exit_code = 0;
};
using ProcessStarter = std::function<ProcessStartOutcome(const ProcessStart&)>;

// Replaces every process start of this process; an empty function restores
// spawn_process.
void set_process_starter(ProcessStarter starter);
// The real start: looks the program up, spawns it, and keeps it for the
// handles that CreateProcess returns.
ProcessStartOutcome spawn_process(const ProcessStart& start);

// The variable that carries the show state to a started program.
inline constexpr const char* kShowStateVariable = "HELM_SHOW_STATE";

}  // namespace helm::kernel

// The module that holds the calling code: each translation unit has its
// own anchor, so a shared library gets its own handle.
static inline HMODULE helm_this_module()
{
    static const char anchor = 0;
    return helm::kernel::module_of_address(&anchor);
}
