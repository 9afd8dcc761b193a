#include "socket_channel.h"

#include <cstring>

#include "helm/outside/timestamper.h"

namespace helm::portserver {

using portlink::BlockKind;
using portlink::channel_messages;

namespace {

constexpr UINT kEndThread = 2;
constexpr DWORD kReceiveWaitMs = 200;
constexpr int kReceiveBlock = 1024;

net::Endpoint endpoint(const sSOCK_CONFIG& config)
{
    const BYTE* a = config.ip_address;
    return {static_cast<uint32_t>(a[0]) << 24 | static_cast<uint32_t>(a[1]) << 16 |
                static_cast<uint32_t>(a[2]) << 8 | a[3],
            static_cast<uint16_t>(config.ip_port)};
}

}  // namespace

SocketChannel::SocketChannel(int socket, const sSOCK_CONFIG& config, const sPORT_PROTOCOL& protocol,
                             const ChannelTrace& trace)
    : m_socket(socket), m_log(trace.log), m_dump(socket + 32, trace.dump_folder), m_config(config)
{
    m_raw_message = channel_messages().raw_serial_data;
    m_config.on_off = 0;
    copy_text_field(m_protocol.name, sizeof m_protocol.name, protocol.name);
    copy_text_field(m_protocol.options, sizeof m_protocol.options, protocol.options);
    P_UpdateFrame(&m_protocol);
    m_processing_thread = CreateThread(nullptr, 0, processing_thread, this, 0, &m_processing_thread_id);
    if (!m_processing_thread || !m_parsed.create(port(), BlockKind::parsed, m_protocol.name) ||
        !m_raw.create(port(), BlockKind::raw, m_protocol.name)) {
        m_parsed.close();
        m_raw.close();
        return;
    }
    reset_headers();
}

SocketChannel::~SocketChannel()
{
    close();
    if (m_processing_thread) {
        PostThreadMessage(m_processing_thread_id, kEndThread, 0, 0);
        WaitForSingleObject(m_processing_thread, 5000);
        CloseHandle(m_processing_thread);
    }
}

void SocketChannel::reset_headers()
{
    std::lock_guard lock(m_settings_mutex);
    m_parsed.reset(m_protocol.name, 0, m_on, m_processing_thread_id);
    m_raw.reset(m_protocol.name, 0, m_on, 0);
}

int SocketChannel::open()
{
    if (!present())
        return 0;
    if (m_on)
        return 1;
    const sSOCK_CONFIG config = this->config();
    bool ok = false;
    {
        std::lock_guard lock(m_net_mutex);
        switch (config.connection_mode) {
        case SOCK_MODE_TCP_SERVER:
            m_server = std::make_unique<net::TcpServer>();
            ok = m_server->listen({net::kAnyAddress, static_cast<uint16_t>(config.ip_port)});
            break;
        case SOCK_MODE_TCP_CLIENT:
            m_client = std::make_unique<net::TcpClient>();
            m_client->connect(endpoint(config), 200);
            ok = true;
            break;
        case SOCK_MODE_UDP_PEER:
            m_udp = std::make_unique<net::UdpPeer>();
            ok = m_udp->open({net::kAnyAddress, static_cast<uint16_t>(config.ip_port)}, endpoint(config));
            break;
        case SOCK_MODE_UDP_BROADCAST: {
            auto broadcast = std::make_unique<net::UdpBroadcast>();
            ok = broadcast->open({net::kAnyAddress, static_cast<uint16_t>(config.ip_port)}, endpoint(config));
            m_udp = std::move(broadcast);
            break;
        }
        default:
            break;
        }
        if (!ok) {
            m_server.reset();
            m_client.reset();
            m_udp.reset();
            return 0;
        }
    }
    m_raw_ring.reset();
    m_parser.restart();
    m_stop = false;
    m_raw_thread = CreateThread(nullptr, 0, raw_thread, this, 0, nullptr);
    if (!m_raw_thread) {
        std::lock_guard lock(m_net_mutex);
        m_server.reset();
        m_client.reset();
        m_udp.reset();
        return 0;
    }
    m_on = true;
    reset_headers();
    return 1;
}

int SocketChannel::close()
{
    if (!m_raw_thread)
        return 1;
    m_stop = true;
    wake();
    WaitForSingleObject(m_raw_thread, INFINITE);
    CloseHandle(m_raw_thread);
    m_raw_thread = nullptr;
    {
        std::lock_guard lock(m_net_mutex);
        m_server.reset();
        m_client.reset();
        m_udp.reset();
    }
    m_on = false;
    reset_headers();
    return 1;
}

void SocketChannel::configure(const sSOCK_CONFIG& config, const char* protocol)
{
    const bool was_on = m_on;
    if (was_on)
        close();
    {
        std::lock_guard lock(m_settings_mutex);
        const int32_t on_off = m_config.on_off;
        m_config = config;
        m_config.on_off = on_off;
        if (protocol && *protocol)
            copy_text_field(m_protocol.name, sizeof m_protocol.name, protocol);
        P_UpdateFrame(&m_protocol);
        m_parser.framing_changed();
    }
    reset_headers();
    if (was_on)
        open();
}

int SocketChannel::write_text_to_send()
{
    if (!m_on || !m_raw.valid())
        return -1;
    char text[MMF_TEXT_TO_SEND_SIZE];
    const char* area = m_raw.header()->text_to_send;
    const size_t length = strnlen(area, MMF_TEXT_TO_SEND_SIZE - 1);
    std::memcpy(text, area, length);
    if (length == 0)
        return 0;
    const int size = static_cast<int>(length);
    std::lock_guard lock(m_net_mutex);
    if (m_server)
        return m_server->send_to_all(text, size) > 0 ? size : -1;
    if (m_client)
        return m_client->send(text, size);
    if (m_udp)
        return m_udp->send(text, size);
    return -1;
}

sSOCK_CONFIG SocketChannel::config() const
{
    std::lock_guard lock(m_settings_mutex);
    sSOCK_CONFIG config = m_config;
    config.on_off = m_on ? 1 : 0;
    return config;
}

sPORT_PROTOCOL SocketChannel::protocol() const
{
    std::lock_guard lock(m_settings_mutex);
    return m_protocol;
}

// The socket objects live until close(), which stops this thread first, so
// they are used here without the lock.
int SocketChannel::receive(char* buffer, int size)
{
    if (m_server)
        return m_server->receive(buffer, size, kReceiveWaitMs);
    if (m_client)
        return m_client->receive(buffer, size, kReceiveWaitMs);
    if (m_udp)
        return m_udp->receive(buffer, size, kReceiveWaitMs);
    return -1;
}

void SocketChannel::wake()
{
    std::lock_guard lock(m_net_mutex);
    if (m_server)
        m_server->wake();
    if (m_client)
        m_client->wake();
    if (m_udp)
        m_udp->wake();
}

DWORD WINAPI SocketChannel::raw_thread(LPVOID self)
{
    static_cast<SocketChannel*>(self)->run_raw();
    return 0;
}

void SocketChannel::run_raw()
{
    char buffer[kReceiveBlock];
    while (!m_stop) {
        const int length = receive(buffer, sizeof buffer);
        if (m_stop)
            break;
        if (length <= 0) {
            if (length < 0)
                Sleep(10);  // a dropped connection: the client reconnects by itself
            continue;
        }
        const DWORD tick = F_GetTickCountEx();
        SYSTEMTIME local_time;
        GetLocalTime(&local_time);
        const int64_t at = m_raw_ring.write(m_raw, static_cast<double>(tick), local_time,
                                            reinterpret_cast<const BYTE*>(buffer), static_cast<uint32_t>(length));
        if (at < 0)
            continue;
        m_dump.raw(reinterpret_cast<const BYTE*>(buffer), static_cast<size_t>(length));
        const LPARAM offset = static_cast<LPARAM>(at) + MMF_HEADER_SIZE;
        PostThreadMessage(m_processing_thread_id, m_raw_message, static_cast<WPARAM>(offset), 0);
        m_raw.post(m_raw_message, static_cast<WPARAM>(port()), offset);
    }
}

DWORD WINAPI SocketChannel::processing_thread(LPVOID self)
{
    static_cast<SocketChannel*>(self)->run_processing();
    return 0;
}

void SocketChannel::run_processing()
{
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kEndThread)
            return;
        if (msg.message == m_raw_message && msg.wParam >= MMF_HEADER_SIZE)
            m_parser.on_raw_record(static_cast<DWORD>(msg.wParam - MMF_HEADER_SIZE));
    }
}

}  // namespace helm::portserver
