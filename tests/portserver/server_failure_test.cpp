// What the server does when clients, the line or the server itself go
// wrong: refused commands, a client killed while subscribed, a device that
// goes away, a server killed under its clients.
#include <signal.h>

#include <cstring>

#include "server_fixture.h"

using namespace helm::portserver::testing;

namespace {

LRESULT send_command(ULONG_PTR code, const void* block, DWORD size)
{
    HWND window = FindWindow(PORTSERVER_WINDOW_CLASS, nullptr);
    COPYDATASTRUCT data{code, size, const_cast<void*>(block)};
    return SendMessage(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

class ServerFailures : public ServerTest {};

TEST_F(ServerFailures, CommandsWithABadPortOrBlockAreRefused)
{
    start_with_port_on();
    sCOM_CMD command{};
    struct Case {
        const char* what;
        ULONG_PTR code;
        int port;
        DWORD size;
    };
    const Case cases[] = {
        {"port 0", SRV_CMD_COM_OFF, 0, sizeof command},
        {"socket port on a serial code", SRV_CMD_COM_OFF, 33, sizeof command},
        {"port beyond the last", SRV_CMD_COM_WRITE, 38, sizeof command},
        {"port not present", SRV_CMD_COM_ON, 7, sizeof command},
        {"short block", SRV_CMD_COM_OFF, 1, sizeof command - 1},
        {"long block", SRV_CMD_COM_OFF, 1, sizeof command + 1},
        {"socket code with a serial block", SRV_CMD_SOCK_OFF, 33, sizeof command},
        {"unknown code", 104, 1, sizeof command},
    };
    std::vector<char> block(sizeof command + 1, 0);
    for (const Case& c : cases) {
        command.port = c.port;
        std::memcpy(block.data(), &command, sizeof command);
        EXPECT_EQ(send_command(c.code, block.data(), c.size), 0) << c.what;
    }
    // A configuration no line can take changes nothing (-1 leaves a value).
    struct Bad {
        const char* what;
        sCOM_CONFIG config;  // present, on, baud, parity, stop code, data bits, trigger, time-out
    };
    const Bad bad[] = {
        {"parity 9", {0, 0, -1, 9, -1, -1, 0, -1}},
        {"1 baud", {0, 0, 1, -1, -1, -1, 0, -1}},
        {"INT_MAX baud", {0, 0, 0x7FFFFFFF, -1, -1, -1, 0, -1}},
        {"baud 0", {0, 0, 0, -1, -1, -1, 0, -1}},
        {"4 data bits", {0, 0, -1, -1, -1, 4, 0, -1}},
        {"1.5 stop bits with 8 data bits", {0, 0, -1, -1, ONE5STOPBITS, -1, 0, -1}},
    };
    for (const Bad& b : bad) {
        sCOM_CMD config{};
        config.port = 1;
        config.config = b.config;
        EXPECT_EQ(send_command(SRV_CMD_COM_CONFIG, &config, sizeof config), 0) << b.what;
        EXPECT_EQ(F_ConfigPort(1, b.config.baud, b.config.stop_bits, b.config.parity, b.config.data_bits, "NMEA0183"),
                  0)
            << b.what;
    }
    // The port is still on and answers.
    EXPECT_EQ(F_IsPortDispo(1), 1);
    EXPECT_EQ(F_GetPortOnOff(1), 1);
    EXPECT_EQ(F_ConnectWriteDataToPort(1, "ok\r\n"), 1);
    EXPECT_EQ(m_pty->read(4), "ok\r\n");
}

HELM_TEST_CHILD(subscribe_and_wait)
{
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    sMMF_CLIENT client{};
    if (F_OpenSerialMMF(&client, 1) != 1 || F_ConnectThreadToMMF(&client, GetCurrentThreadId(), 2) != 1)
        return 2;
    for (;;)
        wait_for_message(&msg, 1000);
}

TEST_F(ServerFailures, AKilledSubscriberDoesNotKeepTheServerAlive)
{
    start_with_port_on();
    sMMF_CLIENT client{};
    ASSERT_EQ(F_OpenSerialMMF(&client, 1), 1);
    {
        helm::test::Child child = helm::test::spawn_child("subscribe_and_wait");
        // The parsed list: the raw list of the port the server's window
        // watches also holds the window's own monitor thread.
        ASSERT_TRUE(helm::test::eventually(
            [&] { return helm::portlink::parsed_header(client)->subscriber_count == 1; }, 10000));
        // While it lives, the close request is refused.
        EXPECT_EQ(F_StopServer(), 1);
        Sleep(300);
        EXPECT_TRUE(server_running());
        child.kill();
    }
    // Data on the line: the posts to the dead thread fail and take it off.
    m_pty->write("\r\n");
    Sleep(100);
    m_pty->write(sentence("KVTRO,1,2,3"));
    EXPECT_TRUE(helm::test::eventually([&] { return helm::portlink::parsed_header(client)->subscriber_count == 0; }));
    EXPECT_EQ(F_CloseSerialMMF(&client), 0);
    EXPECT_EQ(F_StopServer(), 1);
    EXPECT_TRUE(helm::test::eventually([] { return !server_running(); }, 10000));
}

TEST_F(ServerFailures, ASubscriberKilledOnAQuietLineIsNotCountedAtClose)
{
    start_with_port_on();
    helm::test::Child child = helm::test::spawn_child("subscribe_and_wait");
    sMMF_CLIENT client{};
    ASSERT_EQ(F_OpenSerialMMF(&client, 1), 1);
    ASSERT_TRUE(helm::test::eventually(
        [&] { return helm::portlink::parsed_header(client)->subscriber_count == 1; }, 10000));
    EXPECT_EQ(F_CloseSerialMMF(&client), 0);
    child.kill();
    EXPECT_EQ(F_StopServer(), 1);
    EXPECT_TRUE(helm::test::eventually([] { return !server_running(); }, 10000));
}

TEST_F(ServerFailures, DeviceGoneWhileThePortIsOn)
{
    start_with_port_on();
    m_pty->unplug();
    Sleep(300);
    // The server goes on: it answers commands, switches the port off and
    // closes on request.
    EXPECT_TRUE(server_running());
    EXPECT_EQ(F_SetPortOFF(1), 1);
    EXPECT_EQ(F_GetPortOnOff(1), 0);
    EXPECT_EQ(F_SetPortON(1), 0);  // the device is gone: the port does not open
    EXPECT_EQ(F_GetPortOnOff(1), 0);
    EXPECT_EQ(F_StopServer(), 1);
    EXPECT_TRUE(helm::test::eventually([] { return !server_running(); }, 10000));
}

TEST_F(ServerFailures, ServerKilledUnderASubscribedClient)
{
    start_with_port_on();
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    sMMF_CLIENT client{};
    ASSERT_EQ(F_OpenSerialMMF(&client, 1), 1);
    ASSERT_EQ(F_ConnectThreadToMMF(&client, GetCurrentThreadId(), 2), 1);
    const pid_t pid = server_pid();
    ASSERT_NE(pid, 0);
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    EXPECT_TRUE(helm::test::eventually([] { return F_IsPortDispo(1) == 0; }, 10000));
    EXPECT_TRUE(helm::test::eventually([] { return !server_running(); }, 10000));
    EXPECT_EQ(F_StopServer(), 0);
    EXPECT_EQ(F_SetPortOFF(1), 0);
    // The client's view stays readable until it lets go.
    EXPECT_EQ(+helm::portlink::parsed_header(client)->port, 1);
    F_DisconnectThreadToMMF(&client, GetCurrentThreadId());
    EXPECT_EQ(F_CloseSerialMMF(&client), 0);
}

}  // namespace
