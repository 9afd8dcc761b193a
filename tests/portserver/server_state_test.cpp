// The server's start with and without "/sleep", and the per-port time-out
// reported to subscribers of a quiet port.
#include "server_fixture.h"

using namespace helm::portserver::testing;

namespace {

class ServerState : public ServerTest {
protected:
    void stop()
    {
        ASSERT_EQ(F_StopServer(), 1);
        ASSERT_TRUE(helm::test::eventually([] { return !server_running(); }, 10000));
    }
    int header_on()
    {
        sMMF_CLIENT client{};
        if (F_OpenSerialMMF(&client, 1) != 1) {
            F_CloseSerialMMF(&client);
            return -1;
        }
        const int on = helm::portlink::raw_header(client)->on;
        F_CloseSerialMMF(&client);
        return on;
    }
};

TEST_F(ServerState, PortsOnInTheFileOpenAtStartButNotUnderSleep)
{
    sCOM_CONFIG com{0, 1, 38400, NOPARITY, ONESTOPBIT, 8, 0, 5000};
    sPORT_PROTOCOL protocol{};
    std::strcpy(protocol.name, "NMEA0183");
    ASSERT_EQ(F_WritePortConfig(&com, &protocol, 1), 1);

    ASSERT_EQ(F_RunServer(0), 1);
    ASSERT_TRUE(helm::test::eventually(server_running, 10000));
    EXPECT_EQ(header_on(), 1);
    EXPECT_EQ(m_pty->line().baud, 38400u);
    EXPECT_EQ(F_GetPortOnOff(1), 1);
    stop();
    EXPECT_EQ(F_GetPortOnOff(1), 1);

    ASSERT_EQ(F_RunServerInSleepMode(0), 1);
    ASSERT_TRUE(helm::test::eventually(server_running, 10000));
    EXPECT_EQ(header_on(), 0);
    // The file says so at once, so a client's switch-on goes through.
    EXPECT_EQ(F_GetPortOnOff(1), 0);
    EXPECT_EQ(F_SetPortON(1), 1);
    EXPECT_EQ(header_on(), 1);
    EXPECT_EQ(F_SetPortON(1), 0);
    stop();
}

TEST_F(ServerState, QuietPortReportsItsTimeOut)
{
    start_with_port_on();
    sCOM_CONFIG config{};
    config.baud = config.parity = config.stop_bits = config.data_bits = -1;
    config.timeout_ms = 300;
    ASSERT_EQ(F_ConfigPortParam(1, &config, ""), 1);

    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    sMMF_CLIENT client{};
    ASSERT_EQ(F_OpenSerialMMF(&client, 1), 1);
    // The protocol is unchanged by an empty name, and the header is reset.
    EXPECT_STREQ(helm::portlink::parsed_header(client)->protocol, "NMEA0183");
    ASSERT_EQ(F_ConnectThreadToMMF(&client, GetCurrentThreadId(), 2), 1);
    const UINT timeout = helm::portlink::channel_messages().serial_timeout;
    int reports = 0;
    const uint64_t start = GetTickCount64();
    while (reports < 2 && GetTickCount64() - start < 8000) {
        if (wait_for_message(&msg, 1000) && msg.message == timeout) {
            EXPECT_EQ(msg.wParam, 1u);
            EXPECT_EQ(msg.lParam, 0);
            ++reports;
        }
    }
    // Once to the raw list, once to the parsed list.
    EXPECT_EQ(reports, 2);
    F_DisconnectThreadToMMF(&client, GetCurrentThreadId());
    F_CloseSerialMMF(&client);
}

}  // namespace
