#include "process_info.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "unique_fd.h"

namespace helm::station {
namespace {

struct TaskStatus {
    DWORD tgid = 0;
    char state = '?';
    unsigned long threads = 0;
};

// The value after "<key>:\t" on a line of a status file.
std::optional<std::string_view> status_field(std::string_view text, std::string_view key)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t eol = text.find('\n', at);
        std::string_view line = text.substr(at, eol == std::string_view::npos ? std::string_view::npos : eol - at);
        if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == ':') {
            line.remove_prefix(key.size() + 1);
            while (!line.empty() && (line.front() == '\t' || line.front() == ' '))
                line.remove_prefix(1);
            return line;
        }
        if (eol == std::string_view::npos)
            break;
        at = eol + 1;
    }
    return std::nullopt;
}

unsigned long parse_number(std::string_view text)
{
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > 0xFFFFFFFFul)
            break;
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    return value;
}

// The first 2 KiB of a /proc file: the fields wanted sit in the first
// lines (a name line is at most 64 bytes).
std::string read_text(const std::string& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return {};
    char buffer[2048];
    const ssize_t got = pread_all(fd.get(), buffer, sizeof buffer, 0);
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

std::optional<TaskStatus> read_status(DWORD id)
{
    if (id == 0)
        return std::nullopt;
    const std::string bytes = read_text("/proc/" + std::to_string(id) + "/status");
    if (bytes.empty())
        return std::nullopt;
    std::string_view text(bytes);
    auto tgid = status_field(text, "Tgid");
    auto state = status_field(text, "State");
    auto threads = status_field(text, "Threads");
    if (!tgid || !state || state->empty())
        return std::nullopt;
    TaskStatus status;
    status.tgid = static_cast<DWORD>(parse_number(*tgid));
    status.state = state->front();
    status.threads = threads ? parse_number(*threads) : 1;
    if (status.tgid == 0)
        return std::nullopt;
    return status;
}

bool ended(char state) { return state == 'Z' || state == 'X' || state == 'x'; }

// The fields of /proc/<path>/stat after the command, which may hold blanks
// and parentheses: [0] is the state, [6] the task's flags, [49] its exit
// code (as waitpid reports it).
std::vector<std::string> stat_fields(const std::string& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return {};
    char buffer[1024];
    const ssize_t got = pread_all(fd.get(), buffer, sizeof buffer - 1, 0);
    if (got <= 0)
        return {};
    const std::string_view text(buffer, static_cast<size_t>(got));
    const size_t close = text.rfind(')');
    if (close == std::string_view::npos)
        return {};
    std::vector<std::string> fields;
    size_t at = close + 1;
    while (at < text.size()) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\n'))
            ++at;
        const size_t end = text.find_first_of(" \n", at);
        if (at < text.size())
            fields.emplace_back(text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
        at = end == std::string_view::npos ? text.size() : end;
    }
    return fields;
}

// A process that is killed, or whose thread called exit, ends as a group:
// the leader's exit code is the group's, and it is not 0 for a signal or a
// non-zero exit. (A thread that ends alone, as pthread_exit, gives 0.)
bool group_exiting(DWORD pid)
{
    const auto fields = stat_fields("/proc/" + std::to_string(pid) + "/stat");
    return fields.size() > 49 && parse_number(fields[49]) != 0;
}

constexpr unsigned long pf_exiting = 0x4;  // the task has begun to exit
constexpr unsigned long sigkill_bit = 1ul << (SIGKILL - 1);

// Whether a thread other than the leader still runs its code: not ended,
// not exiting, and not about to (a SIGKILL waiting, as a group exit sends
// to every thread).
bool any_other_task_running(DWORD pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = ::opendir(tasks.c_str());
    if (!dir)
        return false;
    bool running = false;
    while (dirent* entry = ::readdir(dir)) {
        const unsigned long tid = parse_number(entry->d_name);
        if (tid == 0 || tid == pid || entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        const std::string task = tasks + "/" + entry->d_name;
        const auto fields = stat_fields(task + "/stat");
        if (fields.size() <= 6 || fields[0].empty() || ended(fields[0][0]) ||
            (std::strtoul(fields[6].c_str(), nullptr, 10) & pf_exiting))
            continue;
        const auto status = read_text(task + "/status");
        const auto pending = status_field(status, "SigPnd");
        if (pending && (std::strtoul(std::string(*pending).c_str(), nullptr, 16) & sigkill_bit))
            continue;
        running = true;
        break;
    }
    ::closedir(dir);
    return running;
}

// Signal 0 to a thread of a thread group checks, without a file lookup,
// that the thread is still in that process.
bool is_task_of(DWORD pid, DWORD threadId)
{
    return ::syscall(SYS_tgkill, static_cast<pid_t>(pid), static_cast<pid_t>(threadId), 0) == 0 || errno == EPERM;
}

struct Owner {
    DWORD pid = 0;
    uint64_t checked_us = 0;
};

struct ThreadCache {
    std::mutex mutex;
    std::unordered_map<DWORD, Owner> owner;
};

ThreadCache& cache()
{
    static auto* instance = new ThreadCache;
    return *instance;
}

constexpr size_t cache_limit = 1024;
// An ended thread is told by its process or by a failed send, so posts cost
// no check. Once a second the remembered process is checked all the same:
// an id the system has given again, to a thread of another process, must
// not stay taken for the old one.
constexpr uint64_t recheck_after_us = 1000000;

uint64_t steady_us()
{
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

}  // namespace

DWORD process_of_thread(DWORD threadId)
{
    auto status = read_status(threadId);
    if (!status || ended(status->state))
        return 0;
    return status->tgid;
}

DWORD process_of_thread_cached(DWORD threadId)
{
    ThreadCache& c = cache();
    const uint64_t now = steady_us();
    std::unique_lock lock(c.mutex);
    auto it = c.owner.find(threadId);
    if (it != c.owner.end()) {
        Owner known = it->second;
        if (now - known.checked_us < recheck_after_us)
            return known.pid;
        lock.unlock();
        bool still = is_task_of(known.pid, threadId);
        lock.lock();
        if (still) {
            c.owner[threadId] = {known.pid, now};
            return known.pid;
        }
        c.owner.erase(threadId);
    }
    lock.unlock();
    DWORD pid = process_of_thread(threadId);
    if (pid) {
        lock.lock();
        if (c.owner.size() >= cache_limit)
            c.owner.clear();
        c.owner[threadId] = {pid, now};
    }
    return pid;
}

void forget_thread(DWORD threadId)
{
    ThreadCache& c = cache();
    std::lock_guard lock(c.mutex);
    c.owner.erase(threadId);
}

void forget_thread_of(DWORD threadId, DWORD pid)
{
    ThreadCache& c = cache();
    std::lock_guard lock(c.mutex);
    auto it = c.owner.find(threadId);
    if (it != c.owner.end() && it->second.pid == pid)
        c.owner.erase(it);
}

DWORD current_process_id()
{
    static std::atomic<DWORD> cached{0};
    static std::once_flag hooked;
    std::call_once(hooked, [] { pthread_atfork(nullptr, nullptr, [] { cached.store(0); }); });
    DWORD pid = cached.load(std::memory_order_relaxed);
    if (pid == 0) {
        pid = static_cast<DWORD>(::getpid());
        cached.store(pid, std::memory_order_relaxed);
    }
    return pid;
}

bool process_alive(DWORD pid)
{
    auto status = read_status(pid);
    if (!status || status->tgid != pid)
        return false;
    if (!ended(status->state))
        return true;
    // The leader has ended. Its process lives on while another of its
    // threads runs (a main thread that called pthread_exit), but not while
    // the others are only on their way out: a killed process's leader is a
    // zombie a moment before its last thread has gone.
    return status->threads > 1 && !group_exiting(pid) && any_other_task_running(pid);
}

}  // namespace helm::station
