// Sockets for the I/O server's socket channels: a TCP server for several
// clients, a TCP client that reconnects, a UDP peer and UDP broadcast, all
// IPv4.
//
// Every socket is non-blocking underneath. receive() waits with poll up to
// its time-out and returns the byte count, 0 when the time ran out or
// wake() was called (from any thread), or -1 with a WSAE* code as last
// error. One thread receives while others send; close() and destruction
// must not race a receive() of another thread (stop that thread first).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "helm/kernel/types.h"
#include "helm/net/socket_error.h"

namespace helm::net {

// An IPv4 address and port, both in host order.
struct Endpoint {
    uint32_t address = 0;
    uint16_t port = 0;
    bool operator==(const Endpoint&) const = default;
};

// "a.b.c.d" with four decimal parts 0 to 255 and nothing else.
bool parse_ipv4(std::string_view text, uint32_t& address);
std::string format_ipv4(uint32_t address);
inline constexpr uint32_t kLoopback = 0x7F000001u;
inline constexpr uint32_t kAnyAddress = 0;

class Descriptor;  // an open socket, shared by the calls that use it
class Waker;       // ends a poll from another thread

class TcpServer {
public:
    explicit TcpServer(size_t max_clients = 8);
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    // Listens on `local` (port 0: any free port, see local_port()); the
    // address may be reused at once after a restart.
    bool listen(Endpoint local);
    uint16_t local_port() const;
    // Accepts the clients that come (beyond max_clients they are closed at
    // once) and gives the bytes of whichever client spoke, with its id in
    // *client. A client that leaves is dropped and the wait goes on.
    int receive(char* buffer, int size, DWORD timeout_ms, int* client = nullptr);
    // Sends to every client; one that cannot take the bytes within 200 ms
    // or has gone is dropped. Returns how many clients got them.
    int send_to_all(const char* data, int size);
    bool send_to(int client, const char* data, int size);
    size_t client_count() const;
    void wake();
    void close();

private:
    struct Client {
        int id;
        std::shared_ptr<Descriptor> socket;
    };
    void accept_pending();
    void drop(int id);

    size_t m_max_clients;
    std::shared_ptr<Descriptor> m_listener;
    std::unique_ptr<Waker> m_waker;
    mutable std::mutex m_mutex;  // the client list
    std::vector<Client> m_clients;
    int m_next_id = 1;
};

class TcpClient {
public:
    TcpClient();
    ~TcpClient();
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    // Sets the server and tries once, waiting up to `timeout_ms`. True when
    // connected; either way receive() keeps trying.
    bool connect(Endpoint remote, DWORD timeout_ms = 1000);
    // While disconnected, tries again at most once per retry interval
    // (default 1000 ms), within the time-out. A connection that ends gives
    // -1 with WSAECONNRESET once; the next calls reconnect.
    int receive(char* buffer, int size, DWORD timeout_ms);
    // -1 with WSAENOTCONN while disconnected.
    int send(const char* data, int size);
    bool is_connected() const;
    void set_retry_interval(DWORD ms) { m_retry_ms = ms; }
    void wake();
    void close();

private:
    bool try_connect(DWORD timeout_ms);

    Endpoint m_remote;
    bool m_has_remote = false;
    std::atomic<DWORD> m_retry_ms{1000};
    std::atomic<uint64_t> m_last_attempt{0};
    std::atomic<bool> m_attempted{false};
    std::unique_ptr<Waker> m_waker;
    mutable std::mutex m_mutex;
    std::shared_ptr<Descriptor> m_socket;
};

class UdpPeer {
public:
    UdpPeer();
    virtual ~UdpPeer();
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    // Binds `local` (port 0: any) and sends to `remote` by default.
    bool open(Endpoint local, Endpoint remote);
    uint16_t local_port() const;
    int send(const char* data, int size);
    int send_to(Endpoint to, const char* data, int size);
    // One datagram. One larger than `size` gives its first `size` bytes
    // and -1 with WSAEMSGSIZE, as recvfrom does.
    int receive(char* buffer, int size, DWORD timeout_ms, Endpoint* from = nullptr);
    void wake();
    void close();

protected:
    bool open_socket(Endpoint local, Endpoint remote, bool broadcast);

private:
    Endpoint m_remote;
    std::unique_ptr<Waker> m_waker;
    std::shared_ptr<Descriptor> m_socket;
};

// A UDP peer allowed to send to a broadcast address, which it uses as its
// default destination; it receives what is broadcast to its port.
class UdpBroadcast : public UdpPeer {
public:
    bool open(Endpoint local, Endpoint broadcast) { return open_socket(local, broadcast, true); }
};

}  // namespace helm::net
