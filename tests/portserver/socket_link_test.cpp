// Socket 1 (port 33) of a real Portserver, as a TCP client of a listener in
// the test, as a TCP server, as a UDP peer and as UDP broadcast: sentences
// arrive as records of port 33 and text sent through Portlink comes out on
// the connection or as a datagram.
#include <array>
#include <cstring>

#include "helm/net/sockets.h"
#include "helm/outside/timestamper.h"
#include "server_fixture.h"

using namespace helm::portserver::testing;

namespace {

class SocketLink : public ServerTest {
protected:
    void start()
    {
        ASSERT_EQ(F_RunServerInSleepMode(0), 1);
        ASSERT_TRUE(helm::test::eventually(server_running, 10000));
        MSG msg;
        PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
        ASSERT_EQ(F_OpenSerialMMF(&m_client, 33), 1);
        ASSERT_EQ(F_ConnectThreadToMMF(&m_client, GetCurrentThreadId(), 0), 1);
    }
    void configure(BYTE mode, uint16_t port, std::array<BYTE, 4> address = {127, 0, 0, 1})
    {
        sSOCK_CONFIG config{0, 0, port, {address[0], address[1], address[2], address[3]}, 5000, mode};
        ASSERT_EQ(F_ConfigSockParam(33, &config, "NMEA0183"), 1);
        ASSERT_EQ(F_SetPortON(33), 1);
        ASSERT_EQ(F_GetPortOnOff(33), 1);
    }
    // The next parsed record's text, with its port byte and time stamp.
    void expect_record(const std::string& text, DWORD sentAt)
    {
        MSG msg;
        const UINT parsed = helm::portlink::channel_messages().new_parsed_data;
        do {
            ASSERT_TRUE(wait_for_message(&msg, 5000));
        } while (msg.message != parsed);
        EXPECT_EQ(msg.wParam, 33u);
        BYTE* record = nullptr;
        ASSERT_EQ(F_GetParsedMMFData(&m_client, msg.lParam, &record), 1);
        EXPECT_EQ(record[3], 33);
        sRAW_TEXT_RECORD head;
        std::memcpy(&head, record, sizeof head);
        EXPECT_GE(head.time_stamp_ms, sentAt);
        EXPECT_LE(head.time_stamp_ms, sentAt + 1000);
        char out[256];
        ASSERT_GT(helm::portlink::read_raw_text(m_client, msg.lParam, out, sizeof out), 0);
        EXPECT_EQ(std::string(out), text);
    }
    // Forgets the records still announced (a broadcast socket hears what
    // it sends).
    void drain_messages()
    {
        MSG msg;
        while (wait_for_message(&msg, 300)) {
        }
    }
    void finish()
    {
        F_DisconnectThreadToMMF(&m_client, GetCurrentThreadId());
        EXPECT_EQ(F_CloseSerialMMF(&m_client), 0);
        EXPECT_EQ(F_StopServer(), 1);
        EXPECT_TRUE(helm::test::eventually([] { return !server_running(); }, 10000));
    }

    sMMF_CLIENT m_client{};
};

TEST_F(SocketLink, TcpClientOfAListener)
{
    helm::net::TcpServer listener;
    ASSERT_TRUE(listener.listen({helm::net::kLoopback, 0}));
    start();
    configure(SOCK_MODE_TCP_CLIENT, listener.local_port());
    char buffer[256];
    ASSERT_TRUE(helm::test::eventually([&] {
        listener.receive(buffer, sizeof buffer, 10);
        return listener.client_count() == 1;
    }));
    for (const std::string& s : {sentence("KVTRO,1,2,3"), sentence("KVINF,A")}) {
        const DWORD now = F_GetTickCountEx();
        ASSERT_EQ(listener.send_to_all(s.data(), static_cast<int>(s.size())), 1);
        expect_record(s, now);
    }
    const std::string command = sentence("KVCNF,GET");
    EXPECT_EQ(F_WriteDataToPort(&m_client, command.c_str()), 1);
    std::string got;
    while (got.size() < command.size()) {
        const int n = listener.receive(buffer, sizeof buffer, 2000);
        ASSERT_GT(n, 0);
        got.append(buffer, n);
    }
    EXPECT_EQ(got, command);
    finish();
    sSOCK_CONFIG config{};
    ASSERT_EQ(F_ReadSockConfig(&config, nullptr, 1), 1);
    EXPECT_EQ(config.on_off, 1);
    EXPECT_EQ(config.connection_mode, SOCK_MODE_TCP_CLIENT);
    EXPECT_EQ(config.ip_port, listener.local_port());
    EXPECT_EQ(config.ip_address[0], 127);
}

TEST_F(SocketLink, TcpServer)
{
    uint16_t port;
    {
        helm::net::TcpServer probe;
        ASSERT_TRUE(probe.listen({helm::net::kLoopback, 0}));
        port = probe.local_port();
    }
    start();
    configure(SOCK_MODE_TCP_SERVER, port);
    helm::net::TcpClient peer;
    ASSERT_TRUE(peer.connect({helm::net::kLoopback, port}, 2000));
    Sleep(300);  // the server accepts while it waits for data
    const std::string s = sentence("KVTRO,4,5,6");
    const DWORD now = F_GetTickCountEx();
    ASSERT_EQ(peer.send(s.data(), static_cast<int>(s.size())), static_cast<int>(s.size()));
    expect_record(s, now);
    const std::string command = sentence("KVCNF,SET");
    EXPECT_EQ(F_WriteDataToPort(&m_client, command.c_str()), 1);
    std::string got;
    char buffer[256];
    while (got.size() < command.size()) {
        const int n = peer.receive(buffer, sizeof buffer, 2000);
        ASSERT_GT(n, 0);
        got.append(buffer, n);
    }
    EXPECT_EQ(got, command);
    finish();
}

// A free UDP port of the loopback.
uint16_t free_udp_port()
{
    helm::net::UdpPeer probe;
    EXPECT_TRUE(probe.open({helm::net::kLoopback, 0}, {helm::net::kLoopback, 9}));
    return probe.local_port();
}

// The server's socket listens on every address of its port and sends to
// the configured one. The test's peer holds that port on 127.0.0.1 only
// (which takes what is sent there) and reaches the server through
// 127.0.0.2. A broadcast reaches every socket of the port, the sender's too.
TEST_F(SocketLink, UdpPeerAndBroadcast)
{
    struct Case {
        BYTE mode;
        std::array<BYTE, 4> server_sends_to;
        uint32_t test_binds;
        uint32_t test_sends_to;
    };
    const Case cases[] = {
        {SOCK_MODE_UDP_PEER, {127, 0, 0, 1}, helm::net::kLoopback, 0x7F000002u},
        {SOCK_MODE_UDP_BROADCAST, {127, 255, 255, 255}, helm::net::kAnyAddress, 0x7FFFFFFFu},
    };
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        const uint16_t port = free_udp_port();
        configure(c.mode, port, c.server_sends_to);
        std::unique_ptr<helm::net::UdpPeer> peer = c.mode == SOCK_MODE_UDP_BROADCAST
                                                       ? std::make_unique<helm::net::UdpBroadcast>()
                                                       : std::make_unique<helm::net::UdpPeer>();
        if (c.mode == SOCK_MODE_UDP_BROADCAST)
            ASSERT_TRUE(static_cast<helm::net::UdpBroadcast&>(*peer).open({c.test_binds, port}, {c.test_sends_to, port}));
        else
            ASSERT_TRUE(peer->open({c.test_binds, port}, {c.test_sends_to, port}));

        const std::string s = sentence("KVTRO,7,8,9");
        const DWORD now = F_GetTickCountEx();
        ASSERT_EQ(peer->send(s.data(), static_cast<int>(s.size())), static_cast<int>(s.size()));
        expect_record(s, now);

        // The text goes out as one datagram; a broadcast peer also hears
        // its own sentence first.
        const std::string command = sentence("KVCNF,UDP");
        EXPECT_EQ(F_WriteDataToPort(&m_client, command.c_str()), 1);
        char buffer[256];
        std::string got;
        do {
            const int n = peer->receive(buffer, sizeof buffer, 2000);
            ASSERT_GT(n, 0);
            got.assign(buffer, n);
        } while (got == s);
        EXPECT_EQ(got, command);
        ASSERT_EQ(F_SetPortOFF(33), 1);
        drain_messages();
    }
    finish();
}

}  // namespace
