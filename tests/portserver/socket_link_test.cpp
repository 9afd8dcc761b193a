// Socket 1 (port 33) of a real Portserver, as a TCP client of a listener in
// the test and as a TCP server: sentences arrive as records of port 33 and
// text sent through Portlink comes out on the connection.
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
    void configure(BYTE mode, uint16_t port)
    {
        sSOCK_CONFIG config{0, 0, port, {127, 0, 0, 1}, 5000, mode};
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

}  // namespace
