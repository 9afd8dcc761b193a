#include "helm/kernel/process.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/auxv.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "helm/kernel/error.h"
#include "helm/kernel/files.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/station_path.h"
#include "helm/kernel/threads.h"

extern char** environ;

namespace helm::kernel {
namespace {

// Windows' limit for a command line.
constexpr size_t kMaxCommandLine = 32767;
// An environment block longer than this is taken as unterminated.
constexpr size_t kMaxEnvironmentBlock = 1u << 24;
// What ShellExecute returns on success: any value above 32.
constexpr INT_PTR kShellExecuteSuccess = 42;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string read_link(const char* path)
{
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        ssize_t n = readlink(path, buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        if (buffer.size() >= (1u << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string program_path() { return read_link("/proc/self/exe"); }

std::string directory_of(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

// ---------------------------------------------------------------- modules

HMODULE program_module()
{
    static HMODULE base = [] {
        Dl_info info{};
        auto headers = reinterpret_cast<const void*>(getauxval(AT_PHDR));
        return headers && dladdr(headers, &info) ? static_cast<HMODULE>(info.dli_fbase) : nullptr;
    }();
    return base;
}

// The file of the mapping that holds `address`, from /proc/self/maps, for
// a module whose loader name is relative.
std::string mapped_file(const void* address)
{
    std::ifstream maps("/proc/self/maps");
    auto wanted = reinterpret_cast<uintptr_t>(address);
    std::string line;
    while (std::getline(maps, line)) {
        uintptr_t start = 0, end = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx", &start, &end) != 2 || wanted < start || wanted >= end)
            continue;
        size_t slash = line.find('/');
        return slash == std::string::npos ? std::string() : line.substr(slash);
    }
    return {};
}

std::string module_path(HMODULE module)
{
    if (!module || module == program_module())
        return program_path();
    Dl_info info{};
    if (!dladdr(module, &info) || info.dli_fbase != module)
        return {};
    if (info.dli_fname && info.dli_fname[0] == '/')
        return info.dli_fname;
    return mapped_file(module);
}

// A module name as the system's code writes it, reduced to compare with a
// loaded file: no directory, no ending, no "lib" prefix, lower case.
std::string module_stem(std::string_view name, bool loaded)
{
    size_t cut = name.find_last_of("/\\");
    if (cut != std::string_view::npos)
        name.remove_prefix(cut + 1);
    std::string stem(name);
    for (char& c : stem)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (size_t so = stem.find(".so"); loaded && so != std::string::npos)
        stem.erase(so);
    else if (size_t dot = stem.rfind('.'); dot != std::string::npos)
        stem.erase(dot);
    if (loaded && stem.starts_with("lib"))
        stem.erase(0, 3);
    return stem;
}

struct ModuleSearch {
    std::string stem;
    HMODULE found = nullptr;
};

int match_module(struct dl_phdr_info* info, size_t, void* data)
{
    auto* search = static_cast<ModuleSearch*>(data);
    if (!info->dlpi_name || !info->dlpi_name[0])
        return 0;
    std::string loaded = module_stem(info->dlpi_name, true);
    if (loaded != search->stem && module_stem(info->dlpi_name, false) != search->stem)
        return 0;
    search->found = module_of_address(info->dlpi_phdr);
    return search->found ? 1 : 0;
}

// ----------------------------------------------------------- child state

// What is known of one process: its pidfd for waits and, for a child we
// started, its exit code once reaped.
class ProcessState {
public:
    ProcessState(pid_t pid, int pidfd, bool child) : m_pid(pid), m_pidfd(pidfd), m_child(child) {}
    // A stand-in for a start that a replaced starter reported.
    ProcessState(DWORD pid, DWORD exit_code) : m_pid(static_cast<pid_t>(pid)), m_ended(true), m_exit_code(exit_code) {}
    ~ProcessState();
    ProcessState(const ProcessState&) = delete;
    ProcessState& operator=(const ProcessState&) = delete;

    pid_t pid() const { return m_pid; }
    // Waits up to `milliseconds` (INFINITE for ever) for the end.
    bool wait_end(DWORD milliseconds);
    bool ended()
    {
        std::lock_guard lock(m_mutex);
        return settle_locked();
    }
    DWORD exit_code()
    {
        std::lock_guard lock(m_mutex);
        return settle_locked() ? m_exit_code : STILL_ACTIVE;
    }
    bool terminate(UINT exit_code);

private:
    bool settle_locked();

    std::mutex m_mutex;
    pid_t m_pid;
    int m_pidfd = -1;
    bool m_child = false;
    bool m_ended = false;
    DWORD m_exit_code = STILL_ACTIVE;
    bool m_terminated = false;
    DWORD m_terminate_code = 0;
};

// Children started here that no handle has claimed yet, and every process
// any handle of ours follows, by id.
struct ProcessRegistry {
    std::mutex mutex;
    std::map<pid_t, std::shared_ptr<ProcessState>> unclaimed;
    std::map<pid_t, std::weak_ptr<ProcessState>> followed;
    ProcessStarter starter;
};

ProcessRegistry& registry()
{
    static auto* instance = new ProcessRegistry;
    return *instance;
}

int pidfd_open(pid_t pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }

ProcessState::~ProcessState()
{
    if (m_child && !m_ended) {
        // No handle is left, but the child still runs: reap it when it ends,
        // so that it never lingers as a zombie.
        pid_t pid = m_pid;
        try {
            std::thread([pid] {
                siginfo_t info{};
                while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED) != 0 && errno == EINTR) {
                }
            }).detach();
        } catch (...) {
        }
    }
    if (m_pidfd >= 0)
        close(m_pidfd);
}

bool ProcessState::settle_locked()
{
    if (m_ended)
        return true;
    siginfo_t info{};
    if (m_child) {
        // A child of ours holds its id until reaped here, so the id is safe.
        if (waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG) != 0 || info.si_pid == 0)
            return false;
        m_ended = true;
        if (info.si_code == CLD_EXITED)
            m_exit_code = static_cast<DWORD>(info.si_status);
        else if (m_terminated && info.si_status == SIGKILL)
            m_exit_code = m_terminate_code;
        else
            m_exit_code = 128u + static_cast<DWORD>(info.si_status);
        return true;
    }
    struct pollfd p{m_pidfd, POLLIN, 0};
    if (m_pidfd < 0 || poll(&p, 1, 0) <= 0)
        return false;
    m_ended = true;
    // Someone else's child (one the test support started, say) can be read
    // without reaping it; any other process's code is not ours to know.
    if (waitid(P_PIDFD, static_cast<id_t>(m_pidfd), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0)
        m_exit_code = info.si_code == CLD_EXITED ? static_cast<DWORD>(info.si_status)
                                                 : 128u + static_cast<DWORD>(info.si_status);
    else
        m_exit_code = 0;
    return true;
}

bool ProcessState::wait_end(DWORD milliseconds)
{
    uint64_t deadline = deadline_after(milliseconds);
    for (;;) {
        if (ended())
            return true;
        uint64_t now = steady_ms();
        if (now >= deadline)
            return false;
        int slice = deadline == UINT64_MAX ? -1 : static_cast<int>(std::min<uint64_t>(deadline - now, INT_MAX));
        if (m_pidfd < 0) {
            slice = slice < 0 ? 5 : std::min(slice, 5);
            std::this_thread::sleep_for(std::chrono::milliseconds(slice));
            continue;
        }
        struct pollfd p{m_pidfd, POLLIN, 0};
        poll(&p, 1, slice);
    }
}

bool ProcessState::terminate(UINT exit_code)
{
    std::lock_guard lock(m_mutex);
    if (settle_locked() || m_pidfd < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    m_terminated = true;
    m_terminate_code = exit_code;
    if (syscall(SYS_pidfd_send_signal, m_pidfd, SIGKILL, nullptr, 0) != 0) {
        m_terminated = false;
        SetLastError(errno == ESRCH ? ERROR_ACCESS_DENIED : error_from_errno(errno));
        return false;
    }
    return true;
}

// A process handle; the thread handle of a started process waits for the
// same end, since the main thread and the process end together.
class ProcessObject : public KernelObject {
public:
    explicit ProcessObject(std::shared_ptr<ProcessState> state) : m_state(std::move(state)) {}
    bool waitable() const override { return true; }
    DWORD try_wait() override { return m_state->ended() ? WAIT_OBJECT_0 : WAIT_TIMEOUT; }
    DWORD wait(DWORD milliseconds) override { return m_state->wait_end(milliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT; }
    bool changes_elsewhere() const override { return true; }
    ProcessState& state() { return *m_state; }

private:
    std::shared_ptr<ProcessState> m_state;
};

class ProcessMainThreadObject : public ProcessObject {
public:
    using ProcessObject::ProcessObject;
};

std::shared_ptr<ProcessState> follow(std::shared_ptr<ProcessState> state)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    std::erase_if(r.followed, [](const auto& entry) { return entry.second.expired(); });
    r.followed[state->pid()] = state;
    return state;
}

std::shared_ptr<ProcessState> claim_started(DWORD pid)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.unclaimed.find(static_cast<pid_t>(pid));
    if (it == r.unclaimed.end())
        return nullptr;
    auto state = std::move(it->second);
    r.unclaimed.erase(it);
    return state;
}

// ------------------------------------------------------------- starting

bool is_executable_file(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The child changes directory before it starts the program, which Windows
// finds from the caller's directory.
std::string absolute(const std::string& path)
{
    if (path.empty() || path.front() == '/')
        return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd))
        return path;
    return std::string(cwd) + "/" + path;
}

// Where Windows looks for a program named without a directory.
std::string search_program(const std::string& name)
{
    std::vector<std::string> places{directory_of(program_path()), "."};
    if (const char* path = std::getenv("PATH")) {
        std::string_view rest(path, strnlen(path, kMaxEnvironmentBlock));
        while (!rest.empty()) {
            size_t colon = rest.find(':');
            std::string_view entry = rest.substr(0, colon);
            if (!entry.empty())
                places.emplace_back(entry);
            rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        }
    }
    for (const auto& place : places) {
        std::string candidate = existing_program_path(place + "/" + name);
        if (is_executable_file(candidate))
            return absolute(candidate);
    }
    return {};
}

DWORD check_program(const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return error_for_path(errno, path);
    if (!S_ISREG(st.st_mode) || access(path.c_str(), X_OK) != 0)
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

// A Windows priority class as a nice value; only lowering works without
// privilege, so raising is tried and may quietly fail.
int nice_for(DWORD flags)
{
    if (flags & REALTIME_PRIORITY_CLASS)
        return -15;
    if (flags & HIGH_PRIORITY_CLASS)
        return -10;
    if (flags & ABOVE_NORMAL_PRIORITY_CLASS)
        return -5;
    if (flags & BELOW_NORMAL_PRIORITY_CLASS)
        return 5;
    if (flags & IDLE_PRIORITY_CLASS)
        return 19;
    return 0;
}

std::string variable_name(const std::string& entry) { return entry.substr(0, entry.find('=')); }

// The child's environment: the block or ours, the layer's variables
// carried over, the show state replaced.
std::vector<std::string> child_environment(const char* block, int show_state)
{
    std::vector<std::string> out;
    std::vector<std::string> ours;
    for (char** e = environ; *e; ++e)
        ours.emplace_back(*e);
    if (block) {
        size_t used = 0;
        while (*block && used < kMaxEnvironmentBlock) {
            size_t length = strnlen(block, kMaxEnvironmentBlock - used);
            if (std::memchr(block, '=', length) != nullptr && block[0] != '=')
                out.emplace_back(block, length);
            block += length + 1;
            used += length + 1;
        }
        for (const auto& entry : ours) {
            std::string name = variable_name(entry);
            bool set = std::any_of(out.begin(), out.end(), [&](const std::string& e) { return variable_name(e) == name; });
            if (name.starts_with("HELM_") && !set)
                out.push_back(entry);
        }
    } else {
        out = std::move(ours);
    }
    std::erase_if(out, [](const std::string& e) { return variable_name(e) == kShowStateVariable; });
    if (show_state >= 0)
        out.push_back(std::string(kShowStateVariable) + "=" + std::to_string(show_state));
    return out;
}

struct SpawnAttributes {
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    SpawnAttributes()
    {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnAttributes()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
};

DWORD start_error(int err, const std::string& program)
{
    if (err == ENOEXEC)
        return ERROR_BAD_EXE_FORMAT;
    return error_for_path(err, program);
}

// The words of a command line, cut at the first blank outside quotes for
// the program (no escapes there), as Windows reads a program name.
size_t read_program_word(std::string_view line, size_t i, std::string& word)
{
    bool quoted = false;
    for (; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && is_blank(c))
            break;
        word += c;
    }
    return i;
}

ProcessStartOutcome start(const ProcessStart& request)
{
    ProcessStarter starter;
    {
        auto& r = registry();
        std::lock_guard lock(r.mutex);
        starter = r.starter;
    }
    return starter ? starter(request) : spawn_process(request);
}

// Turns an outcome into the handles of PROCESS_INFORMATION.
bool fill_information(const ProcessStartOutcome& outcome, LPPROCESS_INFORMATION information)
{
    auto state = claim_started(outcome.process_id);
    if (!state)
        state = std::make_shared<ProcessState>(outcome.process_id, outcome.exit_code);
    state = follow(std::move(state));
    HANDLE process = insert_handle(std::make_shared<ProcessObject>(state));
    HANDLE thread = process ? insert_handle(std::make_shared<ProcessMainThreadObject>(state)) : nullptr;
    if (!thread) {
        if (process)
            CloseHandle(process);
        return false;
    }
    information->hProcess = process;
    information->hThread = thread;
    information->dwProcessId = outcome.process_id;
    // The main thread of a Linux process has the process's id.
    information->dwThreadId = outcome.process_id;
    return true;
}

// Runs a start request and closes what it gives back; 0 or the error.
DWORD start_and_release(const ProcessStart& request)
{
    ProcessStartOutcome outcome = start(request);
    if (outcome.error != ERROR_SUCCESS)
        return outcome.error;
    PROCESS_INFORMATION information{};
    if (fill_information(outcome, &information)) {
        CloseHandle(information.hThread);
        CloseHandle(information.hProcess);
    }
    return ERROR_SUCCESS;
}

// The small codes of ShellExecute and WinExec.
UINT shell_result(DWORD error)
{
    switch (error) {
    case ERROR_SUCCESS: return static_cast<UINT>(kShellExecuteSuccess);
    case ERROR_FILE_NOT_FOUND: return ERROR_FILE_NOT_FOUND;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY: return ERROR_PATH_NOT_FOUND;
    case ERROR_ACCESS_DENIED: return SE_ERR_ACCESSDENIED;
    case ERROR_BAD_EXE_FORMAT: return ERROR_BAD_FORMAT;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return SE_ERR_OOM;
    default: return SE_ERR_NOASSOC;
    }
}

bool has_scheme(std::string_view file)
{
    size_t colon = file.find(':');
    if (colon == std::string_view::npos || colon < 2)  // "C:" is a drive, not a scheme
        return false;
    return std::all_of(file.begin(), file.begin() + static_cast<ptrdiff_t>(colon), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

}  // namespace

HMODULE module_of_address(const void* address)
{
    Dl_info info{};
    if (!address || !dladdr(address, &info) || !info.dli_fbase) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HMODULE>(info.dli_fbase);
}

std::vector<std::string> split_command_line(std::string_view line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size() && is_blank(line[i]))
        ++i;
    if (i == line.size())
        return words;
    std::string program;
    i = read_program_word(line, i, program);
    words.push_back(std::move(program));
    for (;;) {
        while (i < line.size() && is_blank(line[i]))
            ++i;
        if (i >= line.size())
            return words;
        std::string word;
        bool quoted = false;
        while (i < line.size()) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                word.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    word += '"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    word += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
                continue;
            }
            word.append(backslashes, '\\');
            if (i >= line.size() || (!quoted && is_blank(line[i])))
                break;
            word += line[i++];
        }
        words.push_back(std::move(word));
    }
}

std::string join_command_line(const std::vector<std::string>& words)
{
    std::string line;
    for (size_t n = 0; n < words.size(); ++n) {
        const std::string& word = words[n];
        if (n > 0)
            line += ' ';
        bool needs_quotes = word.empty() || word.find_first_of(" \t\"") != std::string::npos;
        if (n == 0) {
            // The program's name knows no escapes; a quote cannot be in it.
            if (needs_quotes)
                line += '"' + word + '"';
            else
                line += word;
            continue;
        }
        if (!needs_quotes) {
            line += word;
            continue;
        }
        line += '"';
        size_t backslashes = 0;
        for (char c : word) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            if (c == '"')
                line.append(backslashes * 2 + 1, '\\');
            else
                line.append(backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

int startup_show_state()
{
    const char* value = std::getenv(kShowStateVariable);
    if (!value || !std::isdigit(static_cast<unsigned char>(value[0])))
        return -1;
    if (value[1] && (!std::isdigit(static_cast<unsigned char>(value[1])) || value[2]))
        return -1;
    int state = std::atoi(value);
    return state <= SW_MAX ? state : -1;
}

void set_process_starter(ProcessStarter starter)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.starter = std::move(starter);
}

ProcessStartOutcome spawn_process(const ProcessStart& request)
{
    ProcessStartOutcome outcome;
    if (request.program.empty() || request.arguments.empty()) {
        outcome.error = ERROR_INVALID_PARAMETER;
        return outcome;
    }
    std::string program;
    if (request.program.find('/') == std::string::npos) {
        program = search_program(request.program);
        if (program.empty()) {
            outcome.error = ERROR_FILE_NOT_FOUND;
            return outcome;
        }
    } else {
        program = absolute(existing_program_path(request.program));
    }
    if ((outcome.error = check_program(program)) != ERROR_SUCCESS)
        return outcome;
    struct stat st {};
    if (!request.directory.empty() && (stat(request.directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))) {
        outcome.error = ERROR_DIRECTORY;
        return outcome;
    }

    SpawnAttributes spawn;
    sigset_t signals;
    sigemptyset(&signals);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    posix_spawnattr_setsigmask(&spawn.attributes, &signals);
    for (int sig : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD, SIGUSR1, SIGUSR2, SIGALRM})
        sigaddset(&signals, sig);
    posix_spawnattr_setsigdefault(&spawn.attributes, &signals);
    if (request.creation_flags & CREATE_NEW_PROCESS_GROUP) {
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&spawn.attributes, 0);
    }
    posix_spawnattr_setflags(&spawn.attributes, flags);
    if (!request.directory.empty())
        posix_spawn_file_actions_addchdir_np(&spawn.actions, request.directory.c_str());
    // Windows children get no handles unless asked; here no descriptor
    // either, so a child never keeps our sockets and locks alive.
    posix_spawn_file_actions_addclosefrom_np(&spawn.actions, 3);

    std::vector<char*> argv;
    for (const auto& a : request.arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : request.environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    pid_t pid = -1;
    int err = posix_spawn(&pid, program.c_str(), &spawn.actions, &spawn.attributes, argv.data(), envp.data());
    if (err != 0) {
        outcome.error = start_error(err, program);
        return outcome;
    }
    if (int nice = nice_for(request.creation_flags); nice != 0)
        setpriority(PRIO_PROCESS, static_cast<id_t>(pid), nice);

    auto state = std::make_shared<ProcessState>(pid, pidfd_open(pid), true);
    {
        auto& r = registry();
        std::lock_guard lock(r.mutex);
        r.unclaimed[pid] = state;
    }
    outcome.process_id = static_cast<DWORD>(pid);
    return outcome;
}

}  // namespace helm::kernel

using namespace helm::kernel;

DWORD GetModuleFileName(HMODULE module, LPSTR fileName, DWORD size)
{
    std::string path = module_path(module);
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (!fileName || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= size) {
        std::memcpy(fileName, path.data(), size - 1);
        fileName[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

HMODULE GetModuleHandle(LPCSTR moduleName)
{
    if (!moduleName)
        return program_module();
    ModuleSearch search{module_stem(moduleName, false)};
    if (search.stem == module_stem(program_path(), false))
        return program_module();
    dl_iterate_phdr(match_module, &search);
    if (!search.found)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return search.found;
}

LPSTR GetCommandLine()
{
    static std::string line = [] {
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        std::vector<std::string> words;
        std::string word;
        while (std::getline(in, word, '\0') && words.size() < kMaxCommandLine)
            words.push_back(word);
        std::string joined = join_command_line(words);
        if (joined.size() > kMaxCommandLine)
            joined.resize(kMaxCommandLine);
        return joined;
    }();
    return line.data();
}

void GetStartupInfo(LPSTARTUPINFO startupInfo)
{
    if (!startupInfo)
        return;
    *startupInfo = STARTUPINFO{};
    startupInfo->cb = sizeof(STARTUPINFO);
    if (int show = startup_show_state(); show >= 0) {
        startupInfo->dwFlags = STARTF_USESHOWWINDOW;
        startupInfo->wShowWindow = static_cast<WORD>(show);
    }
}

BOOL CreateProcess(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                   DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFO startupInfo,
                   LPPROCESS_INFORMATION processInformation)
{
    const char* line = commandLine ? commandLine : applicationName;
    if (!line || !processInformation || (creationFlags & (CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT)) ||
        strnlen(line, kMaxCommandLine + 1) > kMaxCommandLine) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ProcessStart request;
    request.command_line = line;
    request.arguments = split_command_line(request.command_line);
    if (request.arguments.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    request.program = native_path(applicationName ? std::string_view(applicationName) : request.arguments.front());
    if (currentDirectory)
        request.directory = native_path(currentDirectory);
    request.creation_flags = creationFlags;
    if (startupInfo && (startupInfo->dwFlags & STARTF_USESHOWWINDOW))
        request.show_state = startupInfo->wShowWindow;
    request.environment = child_environment(static_cast<const char*>(environment), request.show_state);

    ProcessStartOutcome outcome = start(request);
    if (outcome.error != ERROR_SUCCESS) {
        SetLastError(outcome.error);
        return FALSE;
    }
    return fill_information(outcome, processInformation) ? TRUE : FALSE;
}

HINSTANCE ShellExecute(HWND, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT showCommand)
{
    auto result = [](UINT code) { return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(code)); };
    if (!file || !*file) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return result(ERROR_FILE_NOT_FOUND);
    }
    if ((operation && strcasecmp(operation, "open") != 0) || has_scheme(file)) {
        SetLastError(ERROR_NO_ASSOCIATION);
        return result(SE_ERR_NOASSOC);
    }
    std::string path = native_path(file);
    struct stat st {};
    if (path.find('/') != std::string::npos && stat(existing_program_path(path).c_str(), &st) == 0 &&
        (S_ISDIR(st.st_mode) || (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0)) {
        SetLastError(ERROR_NO_ASSOCIATION);
        return result(SE_ERR_NOASSOC);
    }
    ProcessStart request;
    request.program = path;
    request.command_line = join_command_line({file});
    if (parameters && *parameters) {
        if (strnlen(parameters, kMaxCommandLine + 1) + request.command_line.size() >= kMaxCommandLine) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return result(SE_ERR_NOASSOC);
        }
        request.command_line += ' ';
        request.command_line += parameters;
    }
    request.arguments = split_command_line(request.command_line);
    if (directory && *directory)
        request.directory = native_path(directory);
    request.show_state = showCommand >= 0 && showCommand <= SW_MAX ? showCommand : SW_SHOWNORMAL;
    request.environment = child_environment(nullptr, request.show_state);
    DWORD error = start_and_release(request);
    SetLastError(error);
    return result(shell_result(error));
}

UINT WinExec(LPCSTR commandLine, UINT showCommand)
{
    if (!commandLine || strnlen(commandLine, kMaxCommandLine + 1) > kMaxCommandLine)
        return ERROR_FILE_NOT_FOUND;
    ProcessStart request;
    request.command_line = commandLine;
    request.arguments = split_command_line(request.command_line);
    if (request.arguments.empty())
        return ERROR_FILE_NOT_FOUND;
    request.program = native_path(request.arguments.front());
    request.show_state = showCommand <= SW_MAX ? static_cast<int>(showCommand) : SW_SHOWNORMAL;
    request.environment = child_environment(nullptr, request.show_state);
    DWORD error = start_and_release(request);
    SetLastError(error);
    return error == ERROR_SUCCESS ? 33u : shell_result(error);
}

HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)); }

HANDLE OpenProcess(DWORD, BOOL, DWORD processId)
{
    pid_t pid = static_cast<pid_t>(processId);
    if (processId == 0 || pid < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<ProcessState> state;
    {
        auto& r = registry();
        std::lock_guard lock(r.mutex);
        if (auto it = r.followed.find(pid); it != r.followed.end())
            state = it->second.lock();
        if (!state)
            if (auto it = r.unclaimed.find(pid); it != r.unclaimed.end())
                state = it->second;
    }
    if (!state || state->ended()) {
        int fd = pidfd_open(pid);
        if (fd < 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        state = follow(std::make_shared<ProcessState>(pid, fd, false));
    }
    return insert_handle(std::make_shared<ProcessObject>(std::move(state)));
}

BOOL TerminateProcess(HANDLE process, UINT exitCode)
{
    if (process == GetCurrentProcess())
        _exit(static_cast<int>(exitCode));
    auto object = lookup_handle_as<ProcessObject>(process);
    if (!object || std::dynamic_pointer_cast<ProcessMainThreadObject>(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return object->state().terminate(exitCode) ? TRUE : FALSE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode)
{
    if (!exitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (process == GetCurrentProcess()) {
        *exitCode = STILL_ACTIVE;
        return TRUE;
    }
    auto object = lookup_handle_as<ProcessObject>(process);
    if (!object || std::dynamic_pointer_cast<ProcessMainThreadObject>(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = object->state().exit_code();
    return TRUE;
}

void ExitProcess(UINT exitCode) { std::exit(static_cast<int>(exitCode)); }
