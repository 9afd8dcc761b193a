#include "helm/net/sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"

int WSAGetLastError()
{
    return static_cast<int>(GetLastError());
}

void WSASetLastError(int error)
{
    SetLastError(static_cast<DWORD>(error));
}

namespace helm::net {

int wsa_error_from_errno(int err)
{
    switch (err) {
    case EINTR: return WSAEINTR;
    case EBADF: return WSAEBADF;
    case EACCES:
    case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE:
    case ENFILE: return WSAEMFILE;
    case EAGAIN: return WSAEWOULDBLOCK;
    case EINPROGRESS: return WSAEINPROGRESS;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET:
    case EPIPE: return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    default: return WSAEINVAL;
    }
}

namespace {

int fail(int wsa_error)
{
    WSASetLastError(wsa_error);
    return -1;
}

int fail_errno()
{
    return fail(wsa_error_from_errno(errno));
}

sockaddr_in to_sockaddr(Endpoint e)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(e.address);
    a.sin_port = htons(e.port);
    return a;
}

Endpoint from_sockaddr(const sockaddr_in& a)
{
    return {ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
}

int poll_ms(uint64_t deadline)
{
    uint64_t now = kernel::steady_ms();
    return now >= deadline ? 0 : static_cast<int>(std::min<uint64_t>(deadline - now, 60000));
}

}  // namespace

class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    static std::shared_ptr<Descriptor> make(int type)
    {
        int fd = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            fail_errno();
            return nullptr;
        }
        return std::make_shared<Descriptor>(fd);
    }

    uint16_t port() const
    {
        sockaddr_in a{};
        socklen_t length = sizeof a;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) != 0)
            return 0;
        return ntohs(a.sin_port);
    }

    // Sends all bytes, waiting for room up to the deadline.
    int send_all(const char* data, int size, uint64_t deadline)
    {
        int done = 0;
        while (done < size) {
            ssize_t n = ::send(fd, data + done, static_cast<size_t>(size - done), MSG_NOSIGNAL);
            if (n > 0) {
                done += static_cast<int>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN) {
                int wait = poll_ms(deadline);
                pollfd p{fd, POLLOUT, 0};
                if (wait == 0 || poll(&p, 1, wait) <= 0)
                    return fail(WSAETIMEDOUT);
                continue;
            }
            return fail_errno();
        }
        return done;
    }

    const int fd;
};

class Waker {
public:
    Waker() : fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~Waker()
    {
        if (fd >= 0)
            ::close(fd);
    }
    void wake()
    {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(fd, &one, sizeof one);
    }
    // True when woken since the last call.
    bool take()
    {
        uint64_t count = 0;
        return ::read(fd, &count, sizeof count) == static_cast<ssize_t>(sizeof count);
    }
    const int fd;
};

namespace {

enum class Readiness { readable, nothing_yet, timed_out, woken, failed };

// One wait for `fd` to be readable, the waker to ring or the deadline to
// pass; nothing_yet when poll came back early (a signal, its 60 s cap).
Readiness wait_readable(int fd, Waker& waker, uint64_t deadline)
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {waker.fd, POLLIN, 0}};
    int ready = poll(fds, 2, poll_ms(deadline));
    if (ready < 0 && errno != EINTR)
        return Readiness::failed;
    if (fds[1].revents && waker.take())
        return Readiness::woken;
    if (ready > 0 && fds[0].revents)
        return Readiness::readable;
    return kernel::steady_ms() >= deadline ? Readiness::timed_out : Readiness::nothing_yet;
}

}  // namespace

bool parse_ipv4(std::string_view text, uint32_t& address)
{
    uint32_t value = 0;
    int parts = 0;
    size_t i = 0;
    while (parts < 4) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return false;
        unsigned part = 0;
        size_t digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            part = part * 10 + static_cast<unsigned>(text[i] - '0');
            if (++digits > 3 || part > 255)
                return false;
            ++i;
        }
        value = (value << 8) | part;
        if (++parts < 4) {
            if (i >= text.size() || text[i] != '.')
                return false;
            ++i;
        }
    }
    if (i != text.size())
        return false;
    address = value;
    return true;
}

std::string format_ipv4(uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF, (address >> 8) & 0xFF,
                  address & 0xFF);
    return text;
}

// TCP server.

TcpServer::TcpServer(size_t max_clients) : m_max_clients(max_clients), m_waker(std::make_unique<Waker>()) {}

TcpServer::~TcpServer()
{
    close();
}

bool TcpServer::listen(Endpoint local)
{
    close();
    auto socket = Descriptor::make(SOCK_STREAM);
    if (!socket)
        return false;
    int on = 1;
    setsockopt(socket->fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a = to_sockaddr(local);
    if (::bind(socket->fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(socket->fd, 16) != 0) {
        fail_errno();
        return false;
    }
    m_listener = socket;
    return true;
}

uint16_t TcpServer::local_port() const
{
    return m_listener ? m_listener->port() : 0;
}

void TcpServer::accept_pending()
{
    for (;;) {
        int fd = ::accept4(m_listener->fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        auto socket = std::make_shared<Descriptor>(fd);
        std::lock_guard lock(m_mutex);
        if (m_clients.size() >= m_max_clients)
            continue;  // closed as it goes out of scope
        int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        m_clients.push_back({m_next_id++, socket});
    }
}

void TcpServer::drop(int id)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_clients, [id](const Client& c) { return c.id == id; });
}

int TcpServer::receive(char* buffer, int size, DWORD timeout_ms, int* client)
{
    if (!m_listener)
        return fail(WSAENOTSOCK);
    if (!buffer || size <= 0)
        return fail(WSAEFAULT);
    const uint64_t deadline = kernel::deadline_after(timeout_ms);
    for (;;) {
        std::vector<Client> clients;
        {
            std::lock_guard lock(m_mutex);
            clients = m_clients;
        }
        std::vector<pollfd> fds;
        fds.push_back({m_waker->fd, POLLIN, 0});
        fds.push_back({m_listener->fd, POLLIN, 0});
        for (const Client& c : clients)
            fds.push_back({c.socket->fd, POLLIN, 0});
        int ready = poll(fds.data(), fds.size(), poll_ms(deadline));
        if (ready < 0 && errno != EINTR)
            return fail_errno();
        if (ready <= 0) {
            if (kernel::steady_ms() >= deadline)
                return 0;
            continue;
        }
        if (fds[0].revents && m_waker->take())
            return 0;
        if (fds[1].revents)
            accept_pending();
        for (size_t i = 0; i < clients.size(); ++i) {
            if (!fds[i + 2].revents)
                continue;
            ssize_t n = ::recv(clients[i].socket->fd, buffer, static_cast<size_t>(size), 0);
            if (n > 0) {
                if (client)
                    *client = clients[i].id;
                return static_cast<int>(n);
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            drop(clients[i].id);  // gone: closed, reset or failed
        }
    }
}

int TcpServer::send_to_all(const char* data, int size)
{
    if (!data || size < 0)
        return fail(WSAEFAULT);
    std::vector<Client> clients;
    {
        std::lock_guard lock(m_mutex);
        clients = m_clients;
    }
    int reached = 0;
    for (const Client& c : clients) {
        if (c.socket->send_all(data, size, kernel::deadline_after(200)) == size)
            ++reached;
        else
            drop(c.id);
    }
    return reached;
}

bool TcpServer::send_to(int client, const char* data, int size)
{
    if (!data || size < 0) {
        fail(WSAEFAULT);
        return false;
    }
    std::shared_ptr<Descriptor> socket;
    {
        std::lock_guard lock(m_mutex);
        for (const Client& c : m_clients)
            if (c.id == client)
                socket = c.socket;
    }
    if (!socket) {
        fail(WSAENOTCONN);
        return false;
    }
    if (socket->send_all(data, size, kernel::deadline_after(200)) == size)
        return true;
    drop(client);
    return false;
}

size_t TcpServer::client_count() const
{
    std::lock_guard lock(m_mutex);
    return m_clients.size();
}

void TcpServer::wake()
{
    m_waker->wake();
}

void TcpServer::close()
{
    std::lock_guard lock(m_mutex);
    m_clients.clear();
    m_listener.reset();
}

// TCP client.

TcpClient::TcpClient() : m_waker(std::make_unique<Waker>()) {}

TcpClient::~TcpClient()
{
    close();
}

bool TcpClient::connect(Endpoint remote, DWORD timeout_ms)
{
    {
        std::lock_guard lock(m_mutex);
        m_remote = remote;
        m_has_remote = true;
        m_socket.reset();
    }
    return try_connect(timeout_ms);
}

bool TcpClient::try_connect(DWORD timeout_ms)
{
    m_attempted = true;
    m_last_attempt = kernel::steady_ms();
    auto socket = Descriptor::make(SOCK_STREAM);
    if (!socket)
        return false;
    sockaddr_in a = to_sockaddr(m_remote);
    if (::connect(socket->fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        if (errno != EINPROGRESS) {
            fail_errno();
            return false;
        }
        pollfd fds[2] = {{socket->fd, POLLOUT, 0}, {m_waker->fd, POLLIN, 0}};
        int ready = poll(fds, 2, static_cast<int>(std::min<DWORD>(timeout_ms, 60000)));
        if (ready <= 0 || !(fds[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
            fail(WSAETIMEDOUT);
            return false;
        }
        int error = 0;
        socklen_t length = sizeof error;
        getsockopt(socket->fd, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0) {
            fail(wsa_error_from_errno(error));
            return false;
        }
    }
    int on = 1;
    setsockopt(socket->fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::lock_guard lock(m_mutex);
    m_socket = socket;
    return true;
}

int TcpClient::receive(char* buffer, int size, DWORD timeout_ms)
{
    if (!buffer || size <= 0)
        return fail(WSAEFAULT);
    const uint64_t deadline = kernel::deadline_after(timeout_ms);
    for (;;) {
        std::shared_ptr<Descriptor> socket;
        {
            std::lock_guard lock(m_mutex);
            if (!m_has_remote)
                return fail(WSAENOTCONN);
            socket = m_socket;
        }
        if (!socket) {
            uint64_t now = kernel::steady_ms();
            uint64_t next = m_attempted ? m_last_attempt + m_retry_ms : now;
            if (next <= now) {
                if (try_connect(static_cast<DWORD>(std::max(poll_ms(deadline), 1))))
                    continue;
                next = now + m_retry_ms;
            }
            // Wait for the next attempt, a wake-up or the end of the time-out.
            pollfd p{m_waker->fd, POLLIN, 0};
            int wait = static_cast<int>(std::min<uint64_t>(next > now ? next - now : 0, poll_ms(deadline)));
            if (poll(&p, 1, wait) > 0 && m_waker->take())
                return 0;
            if (kernel::steady_ms() >= deadline)
                return 0;
            continue;
        }
        switch (wait_readable(socket->fd, *m_waker, deadline)) {
        case Readiness::failed: return fail_errno();
        case Readiness::woken:
        case Readiness::timed_out: return 0;
        case Readiness::nothing_yet: continue;
        case Readiness::readable: break;
        }
        ssize_t n = ::recv(socket->fd, buffer, static_cast<size_t>(size), 0);
        if (n > 0)
            return static_cast<int>(n);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        {
            std::lock_guard lock(m_mutex);
            if (m_socket == socket)
                m_socket.reset();
        }
        m_last_attempt = kernel::steady_ms();
        return fail(WSAECONNRESET);
    }
}

int TcpClient::send(const char* data, int size)
{
    if (!data || size < 0)
        return fail(WSAEFAULT);
    std::shared_ptr<Descriptor> socket;
    {
        std::lock_guard lock(m_mutex);
        socket = m_socket;
    }
    if (!socket)
        return fail(WSAENOTCONN);
    int sent = socket->send_all(data, size, kernel::deadline_after(1000));
    if (sent < 0 && WSAGetLastError() != WSAETIMEDOUT) {
        std::lock_guard lock(m_mutex);
        if (m_socket == socket)
            m_socket.reset();
    }
    return sent;
}

bool TcpClient::is_connected() const
{
    std::lock_guard lock(m_mutex);
    return m_socket != nullptr;
}

void TcpClient::wake()
{
    m_waker->wake();
}

void TcpClient::close()
{
    std::lock_guard lock(m_mutex);
    m_socket.reset();
    m_has_remote = false;
}

// UDP.

UdpPeer::UdpPeer() : m_waker(std::make_unique<Waker>()) {}

UdpPeer::~UdpPeer()
{
    close();
}

bool UdpPeer::open(Endpoint local, Endpoint remote)
{
    return open_socket(local, remote, false);
}

bool UdpPeer::open_socket(Endpoint local, Endpoint remote, bool broadcast)
{
    close();
    auto socket = Descriptor::make(SOCK_DGRAM);
    if (!socket)
        return false;
    int on = 1;
    setsockopt(socket->fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (broadcast && setsockopt(socket->fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        fail_errno();
        return false;
    }
    sockaddr_in a = to_sockaddr(local);
    if (::bind(socket->fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        fail_errno();
        return false;
    }
    m_remote = remote;
    m_socket = socket;
    return true;
}

uint16_t UdpPeer::local_port() const
{
    return m_socket ? m_socket->port() : 0;
}

int UdpPeer::send(const char* data, int size)
{
    return send_to(m_remote, data, size);
}

int UdpPeer::send_to(Endpoint to, const char* data, int size)
{
    if (!m_socket)
        return fail(WSAENOTSOCK);
    if (!data || size < 0)
        return fail(WSAEFAULT);
    sockaddr_in a = to_sockaddr(to);
    ssize_t n = ::sendto(m_socket->fd, data, static_cast<size_t>(size), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&a),
                         sizeof a);
    return n < 0 ? fail_errno() : static_cast<int>(n);
}

int UdpPeer::receive(char* buffer, int size, DWORD timeout_ms, Endpoint* from)
{
    if (!m_socket)
        return fail(WSAENOTSOCK);
    if (!buffer || size <= 0)
        return fail(WSAEFAULT);
    const uint64_t deadline = kernel::deadline_after(timeout_ms);
    for (;;) {
        switch (wait_readable(m_socket->fd, *m_waker, deadline)) {
        case Readiness::failed: return fail_errno();
        case Readiness::woken:
        case Readiness::timed_out: return 0;
        case Readiness::nothing_yet: continue;
        case Readiness::readable: break;
        }
        sockaddr_in a{};
        socklen_t length = sizeof a;
        ssize_t n = ::recvfrom(m_socket->fd, buffer, static_cast<size_t>(size), MSG_TRUNC,
                               reinterpret_cast<sockaddr*>(&a), &length);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n < 0)
            return fail_errno();  // e.g. the ICMP of an earlier send to a closed port
        if (from)
            *from = from_sockaddr(a);
        if (n > size)
            return fail(WSAEMSGSIZE);
        return static_cast<int>(n);
    }
}

void UdpPeer::wake()
{
    m_waker->wake();
}

void UdpPeer::close()
{
    m_socket.reset();
}

}  // namespace helm::net
