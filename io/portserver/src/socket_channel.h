// One socket of Portserver (sockets 1 to 5, ports 33 to 37): a TCP server,
// TCP client, UDP peer or UDP broadcast as its settings say, its two shared
// blocks, the raw thread that receives into the raw ring, and the
// processing thread that cuts frames and parses them into the parsed ring.
// Text that clients leave in the raw block is sent out on the socket.
#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>

#include <windows.h>

#include "channel_parser.h"
#include "helm/net/sockets.h"
#include "helm/portlink/channel_block.h"
#include "helm/portlink/protocol_dispatch.h"
#include "helm/portlink/server_interface.h"

namespace helm::portserver {

class SocketChannel {
public:
    SocketChannel(int socket, const sSOCK_CONFIG& config, const sPORT_PROTOCOL& protocol, const ChannelTrace& trace);
    ~SocketChannel();
    SocketChannel(const SocketChannel&) = delete;
    SocketChannel& operator=(const SocketChannel&) = delete;

    int port() const { return m_socket + 32; }
    // The blocks exist (their mutexes were not taken by someone else).
    bool present() const { return m_parsed.valid() && m_raw.valid(); }
    bool is_on() const { return m_on; }

    // 1 when the socket is set up (a TCP client also when its server is not
    // there yet: it keeps trying), else 0.
    int open();
    int close();
    // Code 900: the whole record; an empty protocol name leaves the
    // protocol. An open socket is set up again with the new settings.
    void configure(const sSOCK_CONFIG& config, const char* protocol);
    // Sends the text a client left in the raw block; -1 when nothing went.
    int write_text_to_send();

    sSOCK_CONFIG config() const;
    sPORT_PROTOCOL protocol() const;
    portlink::ChannelBlock& parsed_block() { return m_parsed; }
    portlink::ChannelBlock& raw_block() { return m_raw; }

private:
    static DWORD WINAPI raw_thread(LPVOID self);
    static DWORD WINAPI processing_thread(LPVOID self);
    void run_raw();
    void run_processing();
    int receive(char* buffer, int size);
    void wake();
    void reset_headers();

    const int m_socket;
    std::FILE* m_log;
    PortDump m_dump;
    std::atomic<bool> m_on{false};
    std::atomic<bool> m_stop{false};

    mutable std::mutex m_settings_mutex;
    sSOCK_CONFIG m_config{};
    sPORT_PROTOCOL m_protocol{};

    std::mutex m_net_mutex;  // which socket object is in use
    std::unique_ptr<net::TcpServer> m_server;
    std::unique_ptr<net::TcpClient> m_client;
    std::unique_ptr<net::UdpPeer> m_udp;

    portlink::ChannelBlock m_parsed;
    portlink::ChannelBlock m_raw;
    portlink::RawRingWriter m_raw_ring{portlink::RawRing::socket};
    HANDLE m_raw_thread = nullptr;
    HANDLE m_processing_thread = nullptr;
    DWORD m_processing_thread_id = 0;
    ChannelParser m_parser{port(), m_log, m_dump, m_raw, m_parsed, m_settings_mutex, m_protocol};
    UINT m_raw_message;
};

}  // namespace helm::portserver
