// Windows across the processes of a station.
//
// Each process with top-level windows keeps a file "w<pid>" in the station
// directory listing them (handle, class atom, class, title); FindWindow and
// the sender of a cross-process message read these files. A file counts
// only while its process lives (same pid and start time), so a crashed
// program's windows are never found. Messages travel as fabric packets:
// posts and broadcasts are put in the owner's queue on arrival; a send runs
// as sent work on the owner's thread and its result comes back as a reply.

#include <dirent.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unordered_map>

#include "helm/kernel/clock.h"
#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/station_path.h"
#include "helm/kernel/sync.h"
#include "helm/kernel/threads.h"
#include "helm/station/fabric.h"
#include "helm/station/handles.h"
#include "window_table.h"

using namespace helm::user;
namespace station = helm::station;

namespace {

namespace kind {
constexpr uint16_t window_post = 32;
constexpr uint16_t send_request = 33;
constexpr uint16_t send_reply = 34;
constexpr uint16_t broadcast = 35;
}  // namespace kind

// The largest WM_COPYDATA block that crosses processes.
constexpr size_t max_copy_data = 64 * 1024;
// Bounds on a registry file read from the station.
constexpr size_t max_registry_file = 512 * 1024;
constexpr size_t max_registry_lines = 4096;

struct PostPayload {
    uint32_t hwnd;
    uint32_t message;
    uint64_t wparam;
    int64_t lparam;
    uint32_t time;
    uint32_t reserved;
};
static_assert(sizeof(PostPayload) == 32);

struct SendRequest {
    uint32_t hwnd;
    uint32_t message;
    uint64_t wparam;
    int64_t lparam;
    uint64_t copy_tag;   // COPYDATASTRUCT.dwData
    uint32_t copy_size;  // bytes of data after this header
    uint32_t flags;
};
static_assert(sizeof(SendRequest) == 40);
constexpr uint32_t has_copy_data = 1;
constexpr uint32_t no_reply = 2;

struct SendReply {
    int64_t result;
    uint32_t status;  // reply_handled, reply_no_window or reply_refused
    uint32_t reserved;
};
static_assert(sizeof(SendReply) == 16);
constexpr uint32_t reply_handled = 0;
constexpr uint32_t reply_no_window = 1;
constexpr uint32_t reply_refused = 2;  // a control's own message, whose pointers cannot cross

// --- processes -----------------------------------------------------------

// The start time of a live process (field 22 of /proc/<pid>/stat), or 0
// when it is gone or a zombie.
uint64_t start_time_of(pid_t pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    char buffer[1024];
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    buffer[n] = '\0';
    const char* close_paren = std::strrchr(buffer, ')');
    if (!close_paren)
        return 0;
    std::istringstream fields(close_paren + 1);
    std::string state;
    fields >> state;
    if (state == "Z" || state == "X")
        return 0;
    std::string skip;
    for (int i = 0; i < 18 && fields >> skip; ++i) {
    }
    uint64_t start = 0;
    fields >> start;
    return start;
}

struct ProcessId {
    pid_t pid = 0;
    uint64_t start = 0;
    bool alive() const { return pid > 0 && start != 0 && start_time_of(pid) == start; }
};

const ProcessId& this_process()
{
    static const ProcessId self{getpid(), start_time_of(getpid())};
    return self;
}

// --- the registry ----------------------------------------------------------

// Text fields are written with bytes below 0x21, '%' and 0x7F as %XX, after
// a '=' so that an empty text is still a field.
std::string escape(std::string_view text)
{
    std::string out = "=";
    for (unsigned char c : text) {
        if (c < 0x21 || c == '%' || c == 0x7F) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool unescape(std::string_view field, std::string& out)
{
    if (field.empty() || field[0] != '=')
        return false;
    out.clear();
    for (size_t i = 1; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size())
            return false;
        int high = hex_digit(field[i + 1]);
        int low = hex_digit(field[i + 2]);
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

struct RegistryEntry {
    uint32_t hwnd = 0;
    ATOM atom = 0;
    std::string class_name;
    std::string title;
};

struct ProcessWindows {
    ProcessId process;
    std::vector<RegistryEntry> windows;
};

std::string registry_path(pid_t pid)
{
    std::string dir = helm::kernel::station_directory();
    return dir.empty() ? std::string() : dir + "/w" + std::to_string(pid);
}

std::mutex& publish_mutex()
{
    static auto* m = new std::mutex;
    return *m;
}

void remove_own_registry() { ::unlink(registry_path(getpid()).c_str()); }

// Reads one registry file; false when it is not one or damaged beyond use.
// Damaged lines are skipped.
bool read_registry(const std::string& path, pid_t expected_pid, ProcessWindows& out)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    std::string text(max_registry_file, '\0');
    size_t got = 0;
    while (got < text.size()) {
        ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    text.resize(got);
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line))
        return false;
    {
        std::istringstream header(line);
        std::string magic;
        long long pid = 0;
        unsigned long long start = 0;
        if (!(header >> magic >> pid >> start) || magic != "helm-windows" || pid != expected_pid)
            return false;
        out.process = {static_cast<pid_t>(pid), start};
    }
    while (out.windows.size() < max_registry_lines && std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string hwnd, atom, class_field, title_field;
        if (!(fields >> hwnd >> atom >> class_field >> title_field))
            continue;
        RegistryEntry e;
        char* end = nullptr;
        unsigned long h = std::strtoul(hwnd.c_str(), &end, 16);
        if (*end || h < station::first_station_handle || h > station::last_station_handle)
            continue;
        unsigned long a = std::strtoul(atom.c_str(), &end, 16);
        if (*end || a > 0xFFFF)
            continue;
        if (!unescape(class_field, e.class_name) || !unescape(title_field, e.title))
            continue;
        e.hwnd = static_cast<uint32_t>(h);
        e.atom = static_cast<ATOM>(a);
        out.windows.push_back(std::move(e));
    }
    return true;
}

// Calls `visit` with the windows of every other live process of the station
// until it returns true.
template <class F>
bool for_each_station_process(F visit)
{
    std::string dir = helm::kernel::station_directory();
    if (dir.empty())
        return false;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return false;
    std::vector<pid_t> pids;
    while (dirent* entry = ::readdir(d)) {
        const char* name = entry->d_name;
        if (name[0] != 'w' || !name[1] || std::strspn(name + 1, "0123456789") != std::strlen(name + 1) ||
            std::strlen(name) > 11)
            continue;
        long long pid = std::atoll(name + 1);
        if (pid > 0 && pid <= INT32_MAX && pid != getpid())
            pids.push_back(static_cast<pid_t>(pid));
    }
    ::closedir(d);
    for (pid_t pid : pids) {
        ProcessWindows windows;
        const std::string path = dir + "/w" + std::to_string(pid);
        if (!read_registry(path, pid, windows))
            continue;
        if (!windows.process.alive()) {
            if (::kill(pid, 0) != 0 && errno == ESRCH)
                ::unlink(path.c_str());  // a leftover of a process that is gone
            continue;
        }
        if (visit(windows))
            return true;
    }
    return false;
}

bool class_matches(LPCSTR wanted, ATOM atom, std::string_view name)
{
    if (!wanted)
        return true;
    if (IS_INTRESOURCE(wanted))
        return atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(wanted));
    return equal_ascii_nocase(name, wanted);
}

// Where windows of other processes live, as found in the registry.
struct RemoteWindows {
    std::mutex mutex;
    std::unordered_map<uint32_t, ProcessId> owner_of;
};

RemoteWindows& remote_windows()
{
    static auto* instance = new RemoteWindows;
    return *instance;
}

ProcessId find_remote_owner(uint32_t hwnd)
{
    RemoteWindows& r = remote_windows();
    {
        std::lock_guard lock(r.mutex);
        auto it = r.owner_of.find(hwnd);
        // Not checked for life here: a dead owner's endpoint refuses the
        // packet, and a waiting sender watches the owner.
        if (it != r.owner_of.end())
            return it->second;
    }
    ProcessId found;
    for_each_station_process([&](const ProcessWindows& p) {
        for (const RegistryEntry& e : p.windows)
            if (e.hwnd == hwnd) {
                found = p.process;
                return true;
            }
        return false;
    });
    if (found.pid) {
        std::lock_guard lock(r.mutex);
        r.owner_of[hwnd] = found;
    }
    return found;
}

void forget_remote_owner(uint32_t hwnd)
{
    RemoteWindows& r = remote_windows();
    std::lock_guard lock(r.mutex);
    r.owner_of.erase(hwnd);
}

// --- sends waiting for their reply ----------------------------------------------

struct PendingReply {
    pid_t pid = 0;
    HANDLE event = nullptr;
    bool done = false;
    SendReply reply{};
};

struct PendingReplies {
    std::mutex mutex;
    std::unordered_map<uint32_t, PendingReply> by_request;
};

PendingReplies& pending_replies()
{
    static auto* instance = new PendingReplies;
    return *instance;
}

template <class T>
bool read_exact(std::span<const std::byte> payload, T& out)
{
    if (payload.size() != sizeof out)
        return false;
    std::memcpy(&out, payload.data(), sizeof out);
    return true;
}

DWORD local_owner(uint32_t hwnd)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.get(hwnd);
    return w ? w->thread_id : 0;
}

void reply(pid_t pid, uint32_t request_id, int64_t result, uint32_t status)
{
    if (request_id == 0)
        return;
    SendReply r{result, status, 0};
    station::send_packet(static_cast<DWORD>(pid), kind::send_reply, std::as_bytes(std::span(&r, 1)), request_id);
}

bool on_window_post(const station::PacketHeader&, std::span<const std::byte> payload)
{
    PostPayload p;
    if (!read_exact(payload, p) || p.reserved != 0 || carries_pointer(p.message) ||
        foreign_control_message(p.hwnd, p.message))
        return false;
    DWORD owner = local_owner(p.hwnd);
    if (!owner)
        return false;
    MSG msg{};
    msg.hwnd = WindowTable::hwnd_of(p.hwnd);
    msg.message = p.message;
    msg.wParam = static_cast<WPARAM>(p.wparam);
    msg.lParam = static_cast<LPARAM>(p.lparam);
    msg.time = p.time;
    return helm::kernel::post_to_local_thread(owner, msg) == helm::kernel::LocalPost::delivered;
}

bool on_broadcast(const station::PacketHeader&, std::span<const std::byte> payload)
{
    PostPayload p;
    if (!read_exact(payload, p) || p.reserved != 0 || p.hwnd != 0xFFFF || carries_pointer(p.message))
        return false;
    post_to_local_top_level(p.message, static_cast<WPARAM>(p.wparam), static_cast<LPARAM>(p.lparam));
    return true;
}

bool on_send_request(const station::PacketHeader& header, std::span<const std::byte> payload)
{
    SendRequest r;
    if (payload.size() < sizeof r)
        return false;
    std::memcpy(&r, payload.data(), sizeof r);
    if (r.copy_size > max_copy_data || payload.size() != sizeof r + r.copy_size || (r.flags & ~(has_copy_data | no_reply)))
        return false;
    const bool copy = (r.flags & has_copy_data) != 0;
    if (copy != (r.message == WM_COPYDATA) || (!copy && (r.copy_size != 0 || carries_pointer(r.message))))
        return false;
    const uint32_t request_id = (r.flags & no_reply) ? 0 : header.request_id;
    const pid_t sender = static_cast<pid_t>(header.sender_pid);
    if (foreign_control_message(r.hwnd, r.message)) {
        reply(sender, request_id, 0, reply_refused);
        return true;
    }
    DWORD owner = local_owner(r.hwnd);
    auto data = std::make_shared<std::vector<std::byte>>(payload.begin() + sizeof r, payload.end());
    bool queued = owner && helm::kernel::queue_sent_work(owner, [r, data, sender, request_id] {
        HWND window = WindowTable::hwnd_of(r.hwnd);
        if (!IsWindow(window)) {
            reply(sender, request_id, 0, reply_no_window);
            return;
        }
        LRESULT result;
        if (r.message == WM_COPYDATA) {
            COPYDATASTRUCT cds{static_cast<ULONG_PTR>(r.copy_tag), r.copy_size, data->empty() ? nullptr : data->data()};
            result = call_procedure(window, WM_COPYDATA, static_cast<WPARAM>(r.wparam), reinterpret_cast<LPARAM>(&cds));
        } else {
            result = call_procedure(window, r.message, static_cast<WPARAM>(r.wparam), static_cast<LPARAM>(r.lparam));
        }
        reply(sender, request_id, result, reply_handled);
    });
    if (!queued)
        reply(sender, request_id, 0, reply_no_window);
    return true;
}

bool on_send_reply(const station::PacketHeader& header, std::span<const std::byte> payload)
{
    SendReply r;
    if (!read_exact(payload, r) || r.reserved != 0 || header.request_id == 0)
        return false;
    PendingReplies& p = pending_replies();
    std::lock_guard lock(p.mutex);
    auto it = p.by_request.find(header.request_id);
    if (it == p.by_request.end() || it->second.pid != static_cast<pid_t>(header.sender_pid))
        return false;  // late (the sender gave up) or not from the process asked
    it->second.reply = r;
    it->second.done = true;
    SetEvent(it->second.event);
    return true;
}

const bool installed = [] {
    station::register_packet_handler(kind::window_post, on_window_post);
    station::register_packet_handler(kind::send_request, on_send_request);
    station::register_packet_handler(kind::send_reply, on_send_reply);
    station::register_packet_handler(kind::broadcast, on_broadcast);
    return true;
}();

}  // namespace

namespace helm::user {

void publish_top_level_windows()
{
    std::ostringstream text;
    size_t count = 0;
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        text << "helm-windows " << this_process().pid << ' ' << this_process().start << '\n';
        for (uint32_t h : t.top_level) {
            Window* w = t.get(h);
            if (!w || w->destroying)
                continue;
            char head[32];
            std::snprintf(head, sizeof head, "%08X %04X ", h, w->window_class->atom);
            text << head << escape(w->window_class->name) << ' ' << escape(w->text) << '\n';
            ++count;
        }
    }
    const std::string path = registry_path(getpid());
    if (path.empty())
        return;
    std::lock_guard lock(publish_mutex());
    static const bool cleanup_registered = [] { return std::atexit(remove_own_registry) == 0; }();
    (void)cleanup_registered;
    if (count == 0) {
        ::unlink(path.c_str());
        return;
    }
    const std::string temporary = path + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    const std::string bytes = text.str();
    bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    if (written)
        ::rename(temporary.c_str(), path.c_str());
    else
        ::unlink(temporary.c_str());
}

BOOL post_to_station_window(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const uint32_t hwnd = WindowTable::value_of(window);
    ProcessId owner = find_remote_owner(hwnd);
    if (!owner.pid) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    PostPayload p{hwnd, message, static_cast<uint64_t>(wParam), static_cast<int64_t>(lParam), GetTickCount(), 0};
    switch (station::send_packet(static_cast<DWORD>(owner.pid), kind::window_post, std::as_bytes(std::span(&p, 1)))) {
    case station::SendResult::sent: return TRUE;
    case station::SendResult::busy: SetLastError(ERROR_NOT_ENOUGH_QUOTA); return FALSE;
    default:
        forget_remote_owner(hwnd);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
}

void broadcast_to_station(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostPayload p{0xFFFF, message, static_cast<uint64_t>(wParam), static_cast<int64_t>(lParam), GetTickCount(), 0};
    for_each_station_process([&](const ProcessWindows& process) {
        station::send_packet(static_cast<DWORD>(process.process.pid), kind::broadcast, std::as_bytes(std::span(&p, 1)));
        return false;
    });
}

bool send_to_station_window(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeout, bool wait,
                            LRESULT* result)
{
    *result = 0;
    const uint32_t hwnd = WindowTable::value_of(window);
    SendRequest r{hwnd, message, static_cast<uint64_t>(wParam), static_cast<int64_t>(lParam), 0, 0, wait ? 0u : no_reply};
    const COPYDATASTRUCT* cds = nullptr;
    if (message == WM_COPYDATA) {
        cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!cds || cds->cbData > max_copy_data || (cds->cbData && !cds->lpData)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        r.lparam = 0;
        r.copy_tag = cds->dwData;
        r.copy_size = cds->cbData;
        r.flags |= has_copy_data;
    } else if (carries_pointer(message)) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return false;
    }
    ProcessId owner = find_remote_owner(hwnd);
    if (!owner.pid) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    std::vector<std::byte> bytes(sizeof r + r.copy_size);
    std::memcpy(bytes.data(), &r, sizeof r);
    if (r.copy_size)
        std::memcpy(bytes.data() + sizeof r, cds->lpData, r.copy_size);
    // The reply comes to this process's endpoint.
    helm::kernel::ensure_current_queue();
    station::open_endpoint();
    const uint32_t request_id = wait ? station::new_request_id() : 0;
    PendingReplies& pending = pending_replies();
    if (wait) {
        std::lock_guard lock(pending.mutex);
        pending.by_request[request_id] = PendingReply{owner.pid, current_reply_event(), false, {}};
    }
    auto forget_request = [&] {
        std::lock_guard lock(pending.mutex);
        auto it = pending.by_request.find(request_id);
        PendingReply answer = it == pending.by_request.end() ? PendingReply{} : it->second;
        if (it != pending.by_request.end())
            pending.by_request.erase(it);
        return answer;
    };
    station::SendResult sent = station::send_packet(static_cast<DWORD>(owner.pid), kind::send_request, bytes, request_id);
    if (sent != station::SendResult::sent) {
        if (wait)
            forget_request();
        if (sent != station::SendResult::busy)
            forget_remote_owner(hwnd);
        SetLastError(sent == station::SendResult::busy ? ERROR_NOT_ENOUGH_QUOTA : ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (!wait)
        return true;
    auto done = [&] {
        std::lock_guard lock(pending.mutex);
        auto it = pending.by_request.find(request_id);
        return it != pending.by_request.end() && it->second.done;
    };
    WaitEnd end = wait_serving_sent(done, [&] { return owner.alive(); }, helm::kernel::deadline_after(timeout));
    PendingReply answer = forget_request();
    if (answer.done && answer.reply.status == reply_handled) {
        *result = static_cast<LRESULT>(answer.reply.result);
        return true;
    }
    if (!answer.done && end == WaitEnd::gone)
        forget_remote_owner(hwnd);
    if (answer.done && answer.reply.status == reply_refused)
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
    else
        SetLastError(!answer.done && end == WaitEnd::timed_out ? ERROR_TIMEOUT : ERROR_INVALID_WINDOW_HANDLE);
    return false;
}

}  // namespace helm::user

HWND FindWindow(LPCSTR className, LPCSTR windowName)
{
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        for (uint32_t h : t.top_level) {
            Window* w = t.get(h);
            if (w && !w->destroying && class_matches(className, w->window_class->atom, w->window_class->name) &&
                (!windowName || equal_ascii_nocase(w->text, windowName)))
                return WindowTable::hwnd_of(h);
        }
    }
    uint32_t found = 0;
    for_each_station_process([&](const ProcessWindows& p) {
        for (const RegistryEntry& e : p.windows) {
            if (class_matches(className, e.atom, e.class_name) && (!windowName || equal_ascii_nocase(e.title, windowName))) {
                found = e.hwnd;
                RemoteWindows& r = remote_windows();
                std::lock_guard lock(r.mutex);
                r.owner_of[e.hwnd] = p.process;
                return true;
            }
        }
        return false;
    });
    if (!found)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return found ? WindowTable::hwnd_of(found) : nullptr;
}
