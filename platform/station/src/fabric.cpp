#include "helm/station/fabric.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

#include "helm/kernel/station_path.h"
#include "helm/kernel/threads.h"
#include "helm/kernel/trace.h"
#include "process_info.h"
#include "unique_fd.h"

namespace helm::station {
namespace {

// Handlers are installed rarely and read for every packet, so each slot is
// an atomic pointer; a replaced handler is kept, as the receiver may be
// running it.
struct HandlerTable {
    std::array<std::atomic<const PacketHandler*>, packet_kind::limit> slots{};
    std::mutex retired_mutex;
    std::vector<std::unique_ptr<const PacketHandler>> owned;
};

HandlerTable& handlers()
{
    static auto* table = new HandlerTable;  // outlives the receiver thread
    return *table;
}

constexpr size_t max_links = 64;
constexpr int64_t receiver_poll_us = 50;

// The station's directory and sockets, found on first use rather than at
// load, so that a program can choose its station before it posts.
struct Fabric {
    std::once_flag located;
    std::string directory;
    UniqueFd directory_fd;  // for endpoint paths too long for sun_path

    // One connected socket per destination: no path lookup per packet, and
    // packets to one process leave through one socket, in order.
    std::mutex links_mutex;
    std::unordered_map<DWORD, std::shared_ptr<UniqueFd>> links;

    std::mutex endpoint_mutex;
    bool endpoint_open = false;
    UniqueFd receiver;
    pid_t owner_pid = 0;
    std::string endpoint_file;

    std::atomic<uint64_t> received{0};
    std::atomic<uint64_t> dropped{0};
    std::atomic<uint32_t> last_request_id{0};
};

Fabric& fabric()
{
    static auto* instance = new Fabric;  // outlives the receiver thread
    Fabric& f = *instance;
    std::call_once(f.located, [&] {
        f.directory = kernel::station_directory();
        if (!f.directory.empty())
            f.directory_fd.reset(::open(f.directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    });
    return f;
}

std::string endpoint_name(DWORD pid) { return "p" + std::to_string(pid); }

std::optional<sockaddr_un> endpoint_address(DWORD pid)
{
    Fabric& f = fabric();
    if (f.directory.empty())
        return std::nullopt;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = f.directory + "/" + endpoint_name(pid);
    if (path.size() >= sizeof address.sun_path) {
        if (!f.directory_fd)
            return std::nullopt;
        path = "/proc/self/fd/" + std::to_string(f.directory_fd.get()) + "/" + endpoint_name(pid);
        if (path.size() >= sizeof address.sun_path)
            return std::nullopt;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

void remove_endpoint_file(DWORD pid)
{
    Fabric& f = fabric();
    if (f.directory_fd)
        ::unlinkat(f.directory_fd.get(), endpoint_name(pid).c_str(), 0);
}

// Endpoints left by processes that died without closing them.
void sweep_stale_endpoints()
{
    Fabric& f = fabric();
    int dir_fd = ::openat(f.directory_fd.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd < 0)
        return;
    DIR* dir = ::fdopendir(dir_fd);
    if (!dir) {
        ::close(dir_fd);
        return;
    }
    const DWORD self = current_process_id();
    while (dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] != 'p' || name[1] == '\0' || std::strlen(name) > 11)
            continue;
        unsigned long pid = 0;
        bool digits = true;
        for (const char* c = name + 1; *c; ++c) {
            if (*c < '0' || *c > '9') {
                digits = false;
                break;
            }
            pid = pid * 10 + static_cast<unsigned long>(*c - '0');
        }
        if (!digits || pid == 0 || pid > 0xFFFFFFFFul || pid == self)
            continue;
        struct stat st {};
        if (::fstatat(f.directory_fd.get(), name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISSOCK(st.st_mode) &&
            !process_alive(static_cast<DWORD>(pid)))
            ::unlinkat(f.directory_fd.get(), name, 0);
    }
    ::closedir(dir);
}

// Checks a datagram and hands it to its handler; false when it is rejected.
bool dispatch(const std::byte* data, size_t length)
{
    PacketHeader header;
    if (length < sizeof header || length > max_packet)
        return false;
    std::memcpy(&header, data, sizeof header);
    if (header.magic != packet_magic || header.version != packet_version || header.size != length ||
        header.kind >= packet_kind::limit || header.sender_pid == 0 || header.reserved[0] != 0 ||
        header.reserved[1] != 0)
        return false;
    const PacketHandler* handler = handlers().slots[header.kind].load(std::memory_order_acquire);
    if (!handler)
        return false;
    return (*handler)(header, std::span<const std::byte>(data + sizeof header, length - sizeof header));
}

int64_t steady_us()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Datagrams taken per system call. The kernel queues only a few datagrams
// per socket (net.unix.max_dgram_qlen, often 10) before senders block, so
// draining them together wakes a blocked sender once per batch rather
// than once per message.
constexpr unsigned receive_batch = 16;

void receive_forever(int fd)
{
    Fabric& f = fabric();
    // Aligned so handlers may read the payload in place.
    constexpr size_t slot_words = max_packet / sizeof(std::max_align_t) + 1;
    auto buffer = std::make_unique<std::max_align_t[]>(slot_words * receive_batch);
    std::array<iovec, receive_batch> parts{};
    std::array<mmsghdr, receive_batch> messages{};
    for (unsigned i = 0; i < receive_batch; ++i) {
        parts[i] = {buffer.get() + i * slot_words, max_packet};
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    int64_t last_packet_us = 0;
    for (;;) {
        // MSG_TRUNC gives each datagram's real length, so an oversized one
        // is seen as such rather than cut to a plausible size.
        int n = ::recvmmsg(fd, messages.data(), receive_batch, MSG_TRUNC | MSG_DONTWAIT, nullptr);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Packets come in bursts; polling a little before sleeping saves
            // a wake-up per packet, which costs more than the packet.
            if (steady_us() - last_packet_us < receiver_poll_us)
                continue;
            n = ::recvmmsg(fd, messages.data(), receive_batch, MSG_TRUNC | MSG_WAITFORONE, nullptr);
        }
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            kernel::trace("station: endpoint receive failed: %s\n", std::strerror(errno));
            return;
        }
        for (int i = 0; i < n; ++i) {
            const size_t length = messages[i].msg_len;
            if (dispatch(static_cast<const std::byte*>(parts[i].iov_base), length)) {
                f.received.fetch_add(1, std::memory_order_relaxed);
            } else {
                f.dropped.fetch_add(1, std::memory_order_relaxed);
                kernel::trace("station: dropped a datagram of %zu bytes\n", length);
            }
        }
        last_packet_us = steady_us();
    }
}

void close_endpoint_at_exit()
{
    Fabric& f = fabric();
    if (f.owner_pid == ::getpid() && !f.endpoint_file.empty())
        ::unlink(f.endpoint_file.c_str());
}

SendResult connect_failure(DWORD pid, int err)
{
    switch (err) {
    case ECONNREFUSED:
        // A socket file nobody listens on: its process is gone, or has not
        // opened its endpoint yet.
        if (!process_alive(pid))
            remove_endpoint_file(pid);
        return SendResult::no_endpoint;
    case ENOENT:
    case ENOTDIR:
    case ENOTSOCK:
    case EPROTOTYPE:
        return SendResult::no_endpoint;
    default:
        return SendResult::failed;
    }
}

// The connected socket to `pid`'s endpoint, made when there is none (or
// `stale` is the one that failed); null with *failure set when unreachable.
std::shared_ptr<UniqueFd> link_to(DWORD pid, const std::shared_ptr<UniqueFd>& stale, SendResult* failure)
{
    Fabric& f = fabric();
    {
        std::lock_guard lock(f.links_mutex);
        auto it = f.links.find(pid);
        if (it != f.links.end()) {
            if (it->second != stale)
                return it->second;
            f.links.erase(it);
        }
    }
    auto address = endpoint_address(pid);
    if (!address) {
        *failure = SendResult::failed;
        return nullptr;
    }
    auto link = std::make_shared<UniqueFd>(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!*link) {
        *failure = SendResult::failed;
        return nullptr;
    }
    timeval timeout{send_timeout_ms / 1000, (send_timeout_ms % 1000) * 1000};
    ::setsockopt(link->get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (::connect(link->get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        *failure = connect_failure(pid, errno);
        return nullptr;
    }
    std::lock_guard lock(f.links_mutex);
    if (f.links.size() >= max_links)
        f.links.clear();
    auto [it, fresh] = f.links.emplace(pid, link);
    return it->second;
}

void drop_link(DWORD pid, const std::shared_ptr<UniqueFd>& link)
{
    Fabric& f = fabric();
    std::lock_guard lock(f.links_mutex);
    auto it = f.links.find(pid);
    if (it != f.links.end() && it->second == link)
        f.links.erase(it);
}

}  // namespace

bool register_packet_handler(uint16_t kind, PacketHandler handler)
{
    if (kind == 0 || kind >= packet_kind::limit || !handler)
        return false;
    HandlerTable& table = handlers();
    auto owned = std::make_unique<const PacketHandler>(std::move(handler));
    table.slots[kind].store(owned.get(), std::memory_order_release);
    std::lock_guard lock(table.retired_mutex);
    table.owned.push_back(std::move(owned));
    return true;
}

std::string endpoint_path(DWORD pid)
{
    Fabric& f = fabric();
    return f.directory.empty() ? std::string() : f.directory + "/" + endpoint_name(pid);
}

bool open_endpoint()
{
    Fabric& f = fabric();
    std::lock_guard lock(f.endpoint_mutex);
    if (f.endpoint_open)
        return true;
    const DWORD self = current_process_id();
    auto address = endpoint_address(self);
    if (!address) {
        kernel::trace("station: no station directory, so no endpoint\n");
        return false;
    }
    UniqueFd fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!fd)
        return false;
    auto bind_once = [&] {
        return ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
    };
    if (!bind_once()) {
        // Our pid is ours alone: whatever sits at our name is a dead
        // process's leftover.
        if (errno != EADDRINUSE)
            return false;
        remove_endpoint_file(self);
        if (!bind_once()) {
            kernel::trace("station: cannot bind %s: %s\n", address->sun_path, std::strerror(errno));
            return false;
        }
    }
    ::fchmodat(f.directory_fd.get(), endpoint_name(self).c_str(), 0600, 0);
    f.endpoint_file = endpoint_path(self);
    f.owner_pid = ::getpid();
    std::atexit(close_endpoint_at_exit);
    sweep_stale_endpoints();

    // The receiver takes no signal meant for the program's own threads.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    std::thread(receive_forever, fd.get()).detach();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    f.receiver = std::move(fd);
    f.endpoint_open = true;
    return true;
}

namespace {

SendResult send(DWORD pid, uint16_t kind, std::span<const std::byte> payload, uint32_t request_id, int flags)
{
    if (payload.size() > max_payload)
        return SendResult::too_large;
    if (pid == 0 || kind == 0 || kind >= packet_kind::limit)
        return SendResult::no_endpoint;

    PacketHeader header{};
    header.magic = packet_magic;
    header.version = packet_version;
    header.kind = kind;
    header.size = static_cast<uint32_t>(sizeof header + payload.size());
    header.sender_pid = current_process_id();
    header.sender_tid = GetCurrentThreadId();
    header.request_id = request_id;

    iovec parts[2] = {{&header, sizeof header}, {const_cast<std::byte*>(payload.data()), payload.size()}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = payload.empty() ? 1 : 2;

    std::shared_ptr<UniqueFd> link;
    // A cached link refused means its process closed that endpoint; a new
    // process with the same id may have opened another, so connect once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        SendResult failure = SendResult::failed;
        link = link_to(pid, link, &failure);
        if (!link)
            return failure;
        for (;;) {
            if (::sendmsg(link->get(), &message, MSG_NOSIGNAL | flags) >= 0)
                return SendResult::sent;
            if (errno != EINTR)
                break;
        }
        switch (errno) {
        case ECONNREFUSED:
        case ENOTCONN:
        case EPIPE:
            continue;
        case EAGAIN:
            return SendResult::busy;
        case EMSGSIZE:
        case ENOBUFS:
            return SendResult::too_large;
        default:
            drop_link(pid, link);
            return SendResult::failed;
        }
    }
    drop_link(pid, link);
    return connect_failure(pid, ECONNREFUSED);
}

}  // namespace

SendResult send_packet(DWORD pid, uint16_t kind, std::span<const std::byte> payload, uint32_t request_id)
{
    return send(pid, kind, payload, request_id, 0);
}

SendResult try_send_packet(DWORD pid, uint16_t kind, std::span<const std::byte> payload, uint32_t request_id)
{
    return send(pid, kind, payload, request_id, MSG_DONTWAIT);
}

uint32_t new_request_id()
{
    uint32_t id;
    do {
        id = fabric().last_request_id.fetch_add(1, std::memory_order_relaxed) + 1;
    } while (id == 0);
    return id;
}

FabricStats fabric_stats()
{
    Fabric& f = fabric();
    return {f.received.load(), f.dropped.load()};
}

}  // namespace helm::station
