// The commands Portlink sends, as a window of the server's class in this
// process receives them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

#include "helm/portlink/channel_block.h"
#include "helm/portlink/channel_client.h"
#include "helm/portlink/port_settings.h"
#include "helm/portlink/serial_com.h"
#include "helm/portlink/server_client.h"
#include "helm/kernel/process.h"
#include "helm/test/support.h"
#include "helm/user/common_dialogs.h"

using namespace helm::portlink;

namespace {

struct Received {
    ULONG_PTR code;
    std::vector<BYTE> block;
};
std::vector<Received> g_received;
int g_close_requests = 0;
constexpr LRESULT kAnswer = 77;

LRESULT CALLBACK fake_server(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const BYTE* bytes = static_cast<const BYTE*>(data->lpData);
        g_received.push_back({data->dwData, std::vector<BYTE>(bytes, bytes + data->cbData)});
        return kAnswer;
    }
    if (message == channel_messages().notify_onclose) {
        ++g_close_requests;
        return 0;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

class ServerClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("HELM_PORTLINK_INI", m_dir.file("Portserver.ini").c_str(), 1);
        static bool registered = [] {
            WNDCLASS wc{};
            wc.lpfnWndProc = fake_server;
            wc.lpszClassName = PORTSERVER_WINDOW_CLASS;
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        m_window = CreateWindowEx(0, PORTSERVER_WINDOW_CLASS, "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                  nullptr);
        ASSERT_NE(m_window, nullptr);
        g_received.clear();
        g_close_requests = 0;
    }
    void TearDown() override
    {
        if (m_window)
            DestroyWindow(m_window);
        unsetenv("HELM_PORTLINK_INI");
    }
    static sCOM_CMD com_command(size_t i)
    {
        sCOM_CMD command{};
        EXPECT_EQ(g_received.at(i).block.size(), sizeof command);
        std::memcpy(&command, g_received.at(i).block.data(), sizeof command);
        return command;
    }

    helm::test::TempDir m_dir;
    HWND m_window = nullptr;
};

TEST_F(ServerClient, ConfigureCommands)
{
    // Stop bits come before parity; the time-out is left as it is and the
    // options are cleared.
    EXPECT_EQ(F_ConfigPort(3, 4800, 2, 1, 7, "TSS(Tss1)"), kAnswer);
    sCOM_CONFIG config{1, 1, 19200, 2, 0, 8, 'x', 700};
    EXPECT_EQ(F_ConfigPortParam2(40, &config, nullptr, "NOCLOCK"), kAnswer);  // no upper check
    EXPECT_EQ(F_ConfigPortParam2(0, &config, "NMEA0183", nullptr), 0);
    ASSERT_EQ(g_received.size(), 2u);

    EXPECT_EQ(g_received[0].code, SRV_CMD_COM_CONFIG);
    sCOM_CMD first = com_command(0);
    EXPECT_EQ(first.port, 3);
    EXPECT_EQ(first.config.baud, 4800);
    EXPECT_EQ(first.config.stop_bits, 2);
    EXPECT_EQ(first.config.parity, 1);
    EXPECT_EQ(first.config.data_bits, 7);
    EXPECT_EQ(+first.config.timeout_ms, -1);
    EXPECT_STREQ(first.protocol.name, "TSS(Tss1)");
    EXPECT_STREQ(first.protocol.options, "");

    // Present, on/off and trigger are not carried.
    sCOM_CMD second = com_command(1);
    EXPECT_EQ(second.port, 40);
    EXPECT_EQ(second.config.present, 0);
    EXPECT_EQ(second.config.on_off, 0);
    EXPECT_EQ(second.config.trigger, 0);
    EXPECT_EQ(+second.config.timeout_ms, 700);
    EXPECT_STREQ(second.protocol.name, "");
    EXPECT_STREQ(second.protocol.options, "NOCLOCK");

    sSOCK_CONFIG sock{1, 2, 8110, {10, 0, 0, 2}, 900, SOCK_MODE_TCP_CLIENT};
    EXPECT_EQ(F_ConfigSockParam(37, &sock, "NMEA0183"), kAnswer);
    EXPECT_EQ(F_ConfigSockParam(32, &sock, "NMEA0183"), 0);
    EXPECT_EQ(F_ConfigSockParam(38, &sock, "NMEA0183"), 0);
    ASSERT_EQ(g_received.size(), 3u);
    EXPECT_EQ(g_received[2].code, SRV_CMD_SOCK_CONFIG);
    sSOCK_CMD command;
    ASSERT_EQ(g_received[2].block.size(), sizeof command);
    std::memcpy(&command, g_received[2].block.data(), sizeof command);
    EXPECT_EQ(command.port, 37);
    EXPECT_EQ(std::memcmp(&command.config, &sock, sizeof sock), 0);
    EXPECT_STREQ(command.protocol.name, "NMEA0183");
}

TEST_F(ServerClient, OnOffIsSentOnlyWhenTheFileDiffers)
{
    sCOM_CONFIG com{};
    sPORT_PROTOCOL protocol{};
    F_ReadPortConfig(&com, &protocol, 2);
    com.on_off = 1;
    F_WritePortConfig(&com, &protocol, 2);
    sSOCK_CONFIG sock{};
    sock.on_off = 1;
    F_WriteSockConfig(&sock, &protocol, 1);

    struct Case {
        int port, on;
        LRESULT result;
        ULONG_PTR code;
        size_t size;
    };
    const Case cases[] = {
        {1, 1, kAnswer, SRV_CMD_COM_ON, sizeof(sCOM_CMD)},
        {1, 0, 0, 0, 0},
        {2, 1, 0, 0, 0},
        {2, 0, kAnswer, SRV_CMD_COM_OFF, sizeof(sCOM_CMD)},
        {33, 1, 0, 0, 0},
        {33, 0, kAnswer, SRV_CMD_SOCK_OFF, sizeof(sSOCK_CMD)},
        {37, 5, kAnswer, SRV_CMD_SOCK_ON, sizeof(sSOCK_CMD)},
        {0, 1, 0, 0, 0},
        {38, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        g_received.clear();
        EXPECT_EQ(F_SetPortState(c.port, c.on), c.result) << c.port << " " << c.on;
        if (c.code == 0) {
            EXPECT_TRUE(g_received.empty()) << c.port;
            continue;
        }
        ASSERT_EQ(g_received.size(), 1u);
        EXPECT_EQ(g_received[0].code, c.code);
        ASSERT_EQ(g_received[0].block.size(), c.size);
        int32_t port;
        std::memcpy(&port, g_received[0].block.data(), 4);
        EXPECT_EQ(port, c.port);
        // Nothing but the port is set.
        for (size_t i = 4; i < c.size; ++i)
            ASSERT_EQ(g_received[0].block[i], 0) << i;
    }
    EXPECT_EQ(F_GetPortOnOff(2), 1);
    EXPECT_EQ(F_GetPortOnOff(33), 1);
    EXPECT_EQ(F_GetPortOnOff(34), 0);
}

TEST_F(ServerClient, TextToSendGoesToTheBlockBeforeTheCommand)
{
    ChannelBlock serial_parsed, serial_raw, socket_parsed, socket_raw;
    ASSERT_TRUE(serial_parsed.create(4, BlockKind::parsed, "NMEA0183"));
    ASSERT_TRUE(serial_raw.create(4, BlockKind::raw, "NMEA0183"));
    ASSERT_TRUE(socket_parsed.create(33, BlockKind::parsed, "NMEA0183"));
    ASSERT_TRUE(socket_raw.create(33, BlockKind::raw, "NMEA0183"));
    sMMF_CLIENT serial{}, socket{}, closed{};
    ASSERT_EQ(F_OpenSerialMMF(&serial, 4), 1);
    ASSERT_EQ(F_OpenSerialMMF(&socket, 33), 1);
    closed.port = 5;

    EXPECT_EQ(F_WriteDataToPort(&serial, "$KVCNF*00\r\n"), kAnswer);
    EXPECT_STREQ(serial_parsed.header()->text_to_send, "$KVCNF*00\r\n");
    EXPECT_EQ(F_WriteDataToPort(&socket, "hello"), kAnswer);
    EXPECT_STREQ(socket_raw.header()->text_to_send, "hello");
    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_EQ(g_received[0].code, SRV_CMD_COM_WRITE);
    EXPECT_EQ(g_received[0].block.size(), sizeof(sCOM_CMD));
    EXPECT_EQ(g_received[1].code, SRV_CMD_SOCK_WRITE);
    EXPECT_EQ(g_received[1].block.size(), sizeof(sSOCK_CMD));

    // Refused without touching the block or sending: too long, not open.
    g_received.clear();
    const std::string longest(1023, 'a'), too_long(1024, 'b');
    EXPECT_EQ(F_WriteDataToPort(&serial, too_long.c_str()), 0);
    EXPECT_EQ(F_ConnectWriteDataToPort(4, too_long.c_str()), 0);
    EXPECT_STREQ(serial_parsed.header()->text_to_send, "$KVCNF*00\r\n");
    EXPECT_EQ(F_WriteDataToPort(&closed, "x"), 0);
    EXPECT_EQ(F_WriteDataToPort(&serial, ""), 1);
    EXPECT_TRUE(g_received.empty());
    EXPECT_EQ(F_WriteDataToPort(&serial, longest.c_str()), kAnswer);
    EXPECT_EQ(std::string(serial_parsed.header()->text_to_send), longest);

    // Without the window: the text and a message to the port's thread.
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    serial_parsed.reset("NMEA0183", 0.5, true, GetCurrentThreadId());
    EXPECT_EQ(F_ConnectWriteDataToPort(4, "$A*00\r\n"), 1);
    EXPECT_STREQ(serial_parsed.header()->text_to_send, "$A*00\r\n");
    ASSERT_TRUE(PeekMessage(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, channel_messages().write_serial_data);
    EXPECT_EQ(msg.wParam, 8u);
    EXPECT_EQ(F_ConnectWriteDataToPort(9, "$A*00\r\n"), 0);  // no such block
    EXPECT_EQ(F_ConnectWriteDataToPort(33, "$A*00\r\n"), 0);  // serial ports only

    EXPECT_EQ(F_CloseSerialMMF(&serial), 0);
    EXPECT_EQ(F_CloseSerialMMF(&socket), 0);
}

TEST_F(ServerClient, StopAndPortOwnership)
{
    EXPECT_EQ(F_StopServer(), 1);
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&msg);
    EXPECT_EQ(g_close_requests, 1);
    // Already running: nothing is started.
    EXPECT_EQ(F_RunServer(0), 1);

    EXPECT_EQ(F_IsPortDispo(6), 0);
    {
        ChannelBlock raw;
        ASSERT_TRUE(raw.create(6, BlockKind::raw, "NMEA0183"));
        EXPECT_EQ(F_IsPortDispo(6), 1);
        ChannelBlock socket_raw;
        ASSERT_TRUE(socket_raw.create(34, BlockKind::raw, "NMEA0183"));
        EXPECT_EQ(F_IsPortDispo(34), 1);
        EXPECT_EQ(F_IsPortDispo(33), 0);
        DestroyWindow(m_window);
        m_window = nullptr;
        EXPECT_EQ(F_IsPortDispo(6), 0);  // no server window, no owner
    }
    EXPECT_EQ(F_IsPortDispo(0), 0);
    EXPECT_EQ(F_IsPortDispo(38), 0);

    // With no server every command is 0.
    sCOM_CONFIG config{};
    EXPECT_EQ(F_ConfigPortParam(1, &config, "NMEA0183"), 0);
    EXPECT_EQ(F_SetPortON(1), 0);
    EXPECT_EQ(F_StopServer(), 0);
}

// Waits for a message posted to `window`, serving what other threads send
// to this one meanwhile.
bool wait_for_window_message(HWND window, UINT message, MSG* msg)
{
    return helm::test::eventually([&] {
        while (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg->hwnd == window && msg->message == message)
                return true;
            DispatchMessage(msg);
        }
        return false;
    });
}

// The client with a thread of its own: it subscribes to both blocks,
// forwards their records to the notify window, sends what it is given to
// transmit, and leaves both lists when stopped.
TEST_F(ServerClient, SerialComForwardsRecordsAndTransmits)
{
    ChannelBlock parsed, raw;
    ASSERT_TRUE(parsed.create(4, BlockKind::parsed, "NMEA0183"));
    ASSERT_TRUE(raw.create(4, BlockKind::raw, "NMEA0183"));
    const HWND notify = CreateWindowEx(0, "Static", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(notify, nullptr);

    CZQOSerialCom com;
    EXPECT_EQ(com.F_Start(9), 0);  // no such port
    EXPECT_FALSE(com.F_GetConnected());
    EXPECT_EQ(com.F_Transmit("x"), 0);
    com.F_NotifyMe(notify);
    EXPECT_EQ(com.F_GetNotify(), notify);
    ASSERT_EQ(com.F_Start(4), 1);
    EXPECT_EQ(com.F_Start(4), 0);  // already running
    EXPECT_TRUE(com.F_GetConnected());
    EXPECT_EQ(+parsed.header()->subscriber_count, 1);
    EXPECT_EQ(+raw.header()->subscriber_count, 1);

    sPARSED_RECORD record{};
    record.magic = PARSED_RECORD_MAGIC;
    record.kind = REC_ATTITUDE;
    record.length = 128;
    std::memcpy(parsed.record_area() + 200, &record, sizeof record);
    parsed.post(channel_messages().new_parsed_data, 4, MMF_HEADER_SIZE + 200);
    MSG msg;
    ASSERT_TRUE(wait_for_window_message(notify, CZQOSerialCom::F_GetMsg_Out_ParsedData(), &msg));
    EXPECT_EQ(msg.wParam, 4u);
    const auto* forwarded = reinterpret_cast<const sPARSED_RECORD*>(msg.lParam);
    EXPECT_EQ(forwarded->kind, REC_ATTITUDE);

    helm::portlink::RawRingWriter ring(helm::portlink::RawRing::serial);
    const int64_t at = ring.write(raw, 12.5, SYSTEMTIME{}, reinterpret_cast<const BYTE*>("$AB"), 3);
    ASSERT_GE(at, 0);
    raw.post(channel_messages().raw_serial_data, 4, static_cast<LPARAM>(at) + MMF_HEADER_SIZE);
    ASSERT_TRUE(wait_for_window_message(notify, CZQOSerialCom::F_GetMsg_Out_RawData(), &msg));
    EXPECT_EQ(std::memcmp(reinterpret_cast<const BYTE*>(msg.lParam) + RAW_RECORD_HEAD_SIZE, "$AB", 3), 0);
    // A record the block cannot hold is not forwarded.
    parsed.post(channel_messages().new_parsed_data, 4, MMF_BLOCK_SIZE - 4);

    EXPECT_EQ(com.F_Transmit("$KVCNF*00\r\n"), 1);
    ASSERT_TRUE(helm::test::eventually([&] {
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            EXPECT_NE(msg.message, CZQOSerialCom::F_GetMsg_Out_ParsedData());
            DispatchMessage(&msg);
        }
        return !g_received.empty();
    }));
    EXPECT_EQ(g_received[0].code, SRV_CMD_COM_WRITE);
    EXPECT_STREQ(parsed.header()->text_to_send, "$KVCNF*00\r\n");

    EXPECT_EQ(com.F_Stop(), 1);
    EXPECT_EQ(com.F_Stop(), 0);
    EXPECT_FALSE(com.F_GetConnected());
    EXPECT_EQ(+parsed.header()->subscriber_count, 0);
    EXPECT_EQ(+raw.header()->subscriber_count, 0);
    DestroyWindow(notify);
}

// With no server window, the server is started beside this program with
// the caller's arguments after the quoted path; a start that fails is told
// to the operator.
TEST(ServerStart, CommandLineAndFailure)
{
    ASSERT_EQ(FindWindow(PORTSERVER_WINDOW_CLASS, nullptr), nullptr);
    std::vector<helm::kernel::ProcessStart> starts;
    DWORD refuse = ERROR_SUCCESS;
    helm::kernel::set_process_starter([&](const helm::kernel::ProcessStart& start) {
        starts.push_back(start);
        return helm::kernel::ProcessStartOutcome{refuse};
    });
    std::vector<helm::user::MessageBoxQuestion> boxes;
    helm::user::set_message_box_answer([&](const helm::user::MessageBoxQuestion& question) {
        boxes.push_back(question);
        return IDOK;
    });

    char self[MAX_PATH];
    const std::string program(self, GetModuleFileName(nullptr, self, sizeof self));
    const std::string server = program.substr(0, program.find_last_of('/') + 1) + "Portserver.exe";
    EXPECT_EQ(F_RunServerInSleepMode(1), 1);
    refuse = ERROR_ACCESS_DENIED;
    EXPECT_EQ(F_RunServer(0), 0);
    helm::kernel::set_process_starter({});
    helm::user::set_message_box_answer({});

    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].command_line, "\"" + server + "\" /remote/sleep");
    EXPECT_EQ(starts[0].creation_flags, static_cast<DWORD>(CREATE_NEW_PROCESS_GROUP | HIGH_PRIORITY_CLASS));
    EXPECT_EQ(starts[0].show_state, SW_SHOWNORMAL);
    EXPECT_EQ(starts[1].command_line, "\"" + server + "\" /remote");
    EXPECT_EQ(starts[1].show_state, SW_SHOWMINIMIZED);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unable to  load the server  Portserver.");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONQUESTION));
}

TEST(PortNumbers, ValidIndexes)
{
    for (int index : {-1, 0, 31, 32, 36, 37}) {
        EXPECT_EQ(F_getValidCom(index), index >= 0 && index <= 31) << index;
        EXPECT_EQ(F_getValidSock(index), index >= 32 && index <= 36) << index;
        EXPECT_EQ(F_getValidPort(index), index >= 0 && index <= 36) << index;
    }
}

}  // namespace
