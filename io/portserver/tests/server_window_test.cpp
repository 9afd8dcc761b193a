// Portserver's window, run in this process: the list of ports with their
// state and settings, the spy view of the selected port that the monitor
// thread fills, the operator's choice of port, and the close, which asks
// the operator while client threads are subscribed.
#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "helm/gdi/pixel_checks.h"
#include "helm/portlink/channel_client.h"
#include "helm/portlink/port_settings.h"
#include "helm/portlink/server_client.h"
#include "helm/serial/comm.h"
#include "helm/serial/pty_port.h"
#include "helm/test/support.h"
#include "helm/user/common_dialogs.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"
#include "port_server.h"

using helm::portserver::PortServer;
using helm::portserver::ServerOptions;

namespace {

// Runs this thread's messages until `condition` holds.
template <class F>
bool pump_until(F condition, int timeout_ms = 10000)
{
    return helm::test::eventually(
        [&] {
            helm::user::testing::pump_until_idle();
            return condition();
        },
        timeout_ms);
}

std::string cell(HWND list, int row, int column)
{
    char text[256] = {};
    ListView_GetItemText(list, row, column, text, sizeof text);
    return text;
}

int row_of(HWND list, int port)
{
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        LVITEM item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (SendMessage(list, LVM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)) && item.lParam == port)
            return row;
    }
    return -1;
}

std::vector<std::string> spy_lines(HWND spy)
{
    std::vector<std::string> lines;
    const int count = static_cast<int>(SendMessage(spy, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char line[4096] = {};
        if (SendMessage(spy, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof line))
            SendMessage(spy, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        lines.push_back(line);
    }
    return lines;
}

class ServerWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("HELM_PORTLINK_INI", m_dir.file("Portserver.ini").c_str(), 1);
        sCOM_CONFIG com{0, 1, 19200, ODDPARITY, TWOSTOPBITS, 8, 0, 5000};
        sPORT_PROTOCOL protocol{};
        std::strcpy(protocol.name, "NMEA0183");
        ASSERT_EQ(F_WritePortConfig(&com, &protocol, 1), 1);
        ASSERT_TRUE(m_pty.ok());
    }
    void TearDown() override
    {
        helm::user::set_message_box_answer({});
        // The close posts the end of the loop: it is not left for the next test.
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    helm::test::TempDir m_dir;
    helm::serial::testing::PtyPort m_pty{1};
};

TEST_F(ServerWindow, PortsAndSpyViewOfTheSelectedPort)
{
    PortServer server(ServerOptions::parse("/remote"));
    ASSERT_TRUE(server.start());
    const HWND list = server.view().list();
    const int com1 = row_of(list, 1), socket1 = row_of(list, 33);
    ASSERT_GE(com1, 0);
    ASSERT_GE(socket1, 0);
    EXPECT_EQ(cell(list, com1, 0), "COM 1");
    EXPECT_EQ(cell(list, com1, 1), "On");
    EXPECT_EQ(cell(list, com1, 2), "19200,O,8,2");
    EXPECT_EQ(cell(list, com1, 3), "NMEA0183");
    EXPECT_EQ(cell(list, socket1, 0), "Socket 1");
    EXPECT_EQ(cell(list, socket1, 1), "Off");
    EXPECT_EQ(cell(list, socket1, 2), "TCP Server 0.0.0.0:0");

    // The first port is watched from the start.
    EXPECT_EQ(server.view().selected_port(), 1);
    ASSERT_TRUE(m_pty.write("\r\n"));  // the first block is not kept
    Sleep(200);
    ASSERT_TRUE(m_pty.write("$KVTRO,1*00\r\n"));
    ASSERT_TRUE(pump_until([&] { return !spy_lines(server.view().spy()).empty(); }));
    const std::string line = spy_lines(server.view().spy()).back();
    EXPECT_EQ(line.substr(line.find("  ") + 2), "$KVTRO,1*00<CR><LF>") << line;
    helm::gdi::testing::keep_png(*helm::user::snapshot_window(server.window()), "portserver_window");

    // A command through Portlink shows in the list.
    const sCOM_CONFIG slower{0, 0, 4800, NOPARITY, ONESTOPBIT, 7, 0, -1};
    ASSERT_EQ(F_ConfigPortParam2(1, &slower, "", "NOCLOCK"), 1);
    EXPECT_EQ(cell(list, row_of(list, 1), 2), "4800,N,7,1");
    EXPECT_EQ(cell(list, row_of(list, 1), 3), "NMEA0183 (NOCLOCK)");
    ASSERT_EQ(F_SetPortOFF(1), 1);
    EXPECT_EQ(cell(list, row_of(list, 1), 1), "Off");

    // The operator picks socket 1: the spy view starts over on that port.
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessage(list, LVM_GETITEMRECT, row_of(list, 33), reinterpret_cast<LPARAM>(&rect)));
    POINT point{rect.left + 10, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &point);
    helm::user::testing::click_at(point);
    EXPECT_EQ(server.view().selected_port(), 33);
    EXPECT_TRUE(spy_lines(server.view().spy()).empty());
}

// A minimised window shows nothing: its monitor leaves the port until the
// window is restored.
TEST_F(ServerWindow, MinimisedWindowWatchesNothing)
{
    PortServer server(ServerOptions::parse("/remote"));
    ASSERT_TRUE(server.start());
    sMMF_CLIENT client{};
    ASSERT_EQ(F_OpenSerialMMF(&client, 1), 1);
    const sMMF_HEADER* raw = helm::portlink::raw_header(client);
    EXPECT_TRUE(helm::test::eventually([&] { return raw->subscriber_count == 1; }));
    ShowWindow(server.window(), SW_MINIMIZE);
    EXPECT_TRUE(helm::test::eventually([&] { return raw->subscriber_count == 0; }));
    ShowWindow(server.window(), SW_RESTORE);
    EXPECT_TRUE(helm::test::eventually([&] { return raw->subscriber_count == 1; }));
    EXPECT_EQ(+raw->subscribers[0], server.view().monitor_thread());
    F_CloseSerialMMF(&client);
}

TEST_F(ServerWindow, SpyLinesShowControlBytes)
{
    helm::portserver::MonitoredRecord record;
    record.local_time.wHour = 9;
    record.local_time.wMinute = 5;
    record.local_time.wSecond = 7;
    record.local_time.wMilliseconds = 42;
    record.bytes = std::string("$A\x01\x7F\xE9\r\n", 7);
    EXPECT_EQ(helm::portserver::PortsView::spy_line(record), "09:05:07.042  $A<01><7F>\xE9<CR><LF>");
}

TEST_F(ServerWindow, OperatorCloseAsksWhileClientsAreSubscribed)
{
    std::vector<helm::user::MessageBoxQuestion> questions;
    int answer = IDNO;
    helm::user::set_message_box_answer([&](const helm::user::MessageBoxQuestion& q) {
        questions.push_back(q);
        return answer;
    });
    {
        // No client: the window closes at once, its own monitor not counted.
        PortServer server(ServerOptions::parse("/remote"));
        ASSERT_TRUE(server.start());
        ASSERT_EQ(server.view().selected_port(), 1);
        EXPECT_TRUE(server.close_by_operator());
        EXPECT_TRUE(questions.empty());
        EXPECT_EQ(F_IsPortDispo(1), 0);
    }

    PortServer server(ServerOptions::parse("/remote"));
    ASSERT_TRUE(server.start());
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    sMMF_CLIENT client{};
    ASSERT_EQ(F_OpenSerialMMF(&client, 33), 1);
    ASSERT_EQ(F_ConnectThreadToMMF(&client, GetCurrentThreadId(), 0), 1);

    SendMessage(server.window(), WM_CLOSE, 0, 0);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(questions[0].owner, server.window());
    EXPECT_EQ(questions[0].caption, "Portserver");
    EXPECT_NE(questions[0].text.find("Close it anyway?"), std::string::npos);
    EXPECT_EQ(F_IsPortDispo(33), 1);

    // A client's close request is refused without a question.
    EXPECT_EQ(F_StopServer(), 1);
    helm::user::testing::pump_until_idle();
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_EQ(F_IsPortDispo(33), 1);

    answer = IDYES;
    SendMessage(server.window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(F_IsPortDispo(33), 0);
    EXPECT_EQ(FindWindow(PORTSERVER_WINDOW_CLASS, nullptr), nullptr);
    F_CloseSerialMMF(&client);
}

}  // namespace
