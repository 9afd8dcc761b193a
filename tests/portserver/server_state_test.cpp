// The server's start with and without "/sleep", the traces of "/logging",
// and the per-port time-out reported to subscribers of a quiet port.
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

// Under "/logging" each frame is logged, the line's bytes go to the port's
// serial dump as they were read and each parsed record to its parsed dump,
// all beside the settings file.
TEST_F(ServerState, LoggingWritesTheLogAndThePortDumps)
{
    ASSERT_EQ(F_RunServerWithCmdLine("/remote/logging/sleep", 0), 1);
    ASSERT_TRUE(helm::test::eventually(server_running, 10000));
    ASSERT_EQ(F_ConfigPort(1, 19200, TWOSTOPBITS, ODDPARITY, 8, "NMEA0183"), 1);
    ASSERT_EQ(F_SetPortON(1), 1);
    // The first block after the port opens is not kept: lines go until one
    // is dumped (on a loaded machine two may come as one block).
    const std::string dump = m_dir.file("ZQO_SerialDump1.txt");
    for (int i = 0; i < 100 && helm::test::read_file(dump).empty(); ++i) {
        ASSERT_TRUE(m_pty->write("\r\n"));
        Sleep(100);
    }
    Sleep(100);
    const std::string before = helm::test::read_file(dump);
    ASSERT_FALSE(before.empty());
    const std::string first = sentence("KVTRO,1,2,3"), second = sentence("HEHDT,123.4,T");
    ASSERT_TRUE(m_pty->write(first));
    Sleep(100);
    ASSERT_TRUE(m_pty->write(second));
    const std::string expected = before + first + second;
    ASSERT_TRUE(helm::test::eventually([&] { return helm::test::read_file(dump).size() >= expected.size(); }, 10000));
    stop();

    EXPECT_EQ(helm::test::read_file(dump), expected);
    const std::string log = helm::test::read_file(m_dir.file("Portserver.log"));
    EXPECT_NE(log.find("P=1,T="), std::string::npos) << log;
    EXPECT_NE(log.find("," + first + "\r\n"), std::string::npos) << log;
    const std::string parsed = helm::test::read_file(m_dir.file("ZQO_ParsedDump1.txt"));
    // A raw text record, then a heading record right behind it.
    const size_t text = parsed.find(",K=6,L=64,O=");
    ASSERT_NE(text, std::string::npos) << parsed;
    const int offset = std::atoi(parsed.c_str() + text + 12);
    EXPECT_NE(parsed.find(",K=23,L=64,O=" + std::to_string(offset + 64) + "\r\n"), std::string::npos) << parsed;
    EXPECT_NE(access(m_dir.file("ZQO_SerialDump2.txt").c_str(), F_OK), 0);  // a port without data has none
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
