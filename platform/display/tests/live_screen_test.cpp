// The screen a program gets: chosen by its environment, the monitor layout
// the X server has, and a program that outlives its X server.
#include <gtest/gtest.h>

#include "helm/display/testing/x_client.h"
#include "helm/test/support.h"
#include "helm/user/screen.h"
#include "helm/user/testing/driver.h"
#include "live_fixture.h"

namespace {

using helm::display::testing::pump_until;
using helm::display::testing::Xvfb;
using live_test::LiveDisplayTest;

// A program's first window: exits with 1 added when it shows on an X
// display, 2 when the screen has an operator (a display, or tests that drive
// the windows headless).
HELM_TEST_CHILD(first_window)
{
    HWND w = CreateWindowEx(0, "Static", "First", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr,
                            nullptr, nullptr);
    helm::user::testing::pump_until_idle();
    auto live = std::dynamic_pointer_cast<helm::display::LiveScreen>(helm::user::screen());
    const bool shown = live && live->sync() && live->x_window_of(w) != 0;
    DestroyWindow(w);
    return (shown ? 1 : 0) + (helm::user::screen()->has_operator() ? 2 : 0);
}

using LiveScreenTest = LiveDisplayTest;

TEST_F(LiveScreenTest, TheEnvironmentChoosesTheScreen)
{
    const struct {
        const char* display;  // "" leaves DISPLAY out
        const char* headless;
        int shown;
        int with_operator;
    } cases[] = {
        {"test", "", 1, 2},
        {"test", "0", 1, 2},
        {"test", "1", 0, 2},
        {"", "", 0, 0},
        {":4093", "", 0, 0},  // no server there
    };
    for (const auto& c : cases) {
        const std::string display = std::string(c.display) == "test" ? display_name() : c.display;
        auto child = helm::test::spawn_child("first_window", {}, {{"DISPLAY", display}, {"HELM_HEADLESS", c.headless}});
        EXPECT_EQ(child.wait(), c.shown + c.with_operator) << "DISPLAY=" << display << " HELM_HEADLESS=" << c.headless;
    }
}

TEST_F(LiveScreenTest, MonitorsAndTheWorkAreaComeFromTheServer)
{
    auto monitors = m_screen->monitors();
    ASSERT_EQ(monitors.size(), 1u);
    EXPECT_TRUE(EqualRect(&monitors[0].area, &(const RECT&)RECT{0, 0, 1024, 768}));
    EXPECT_TRUE(monitors[0].primary);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);

    // A panel along the top, as a window manager publishes it.
    auto& client = *m_client;
    client.set_values_property(client.root(), "_NET_WORKAREA", "CARDINAL", {0, 24, 1024, 744});
    client.sync();
    ASSERT_TRUE(m_screen->sync());
    monitors = m_screen->monitors();
    EXPECT_TRUE(EqualRect(&monitors[0].work_area, &(const RECT&)RECT{0, 24, 1024, 768}));
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfo(MonitorFromPoint({10, 10}, MONITOR_DEFAULTTOPRIMARY), &info));
    EXPECT_EQ(info.rcWork.top, 24);
    client.set_values_property(client.root(), "_NET_WORKAREA", "CARDINAL", {});
    client.sync();
    ASSERT_TRUE(m_screen->sync());
    EXPECT_EQ(m_screen->monitors()[0].work_area.top, 0);
}

TEST_F(LiveScreenTest, AProgramOutlivesItsXServer)
{
    Xvfb own;
    ASSERT_TRUE(own.started()) << own.failure();
    auto screen = helm::display::open_x11_screen(own.name().c_str());
    ASSERT_NE(screen, nullptr);
    helm::user::set_screen(screen);
    HWND w = keep(CreateWindowEx(0, "Edit", "Before", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr));
    helm::user::testing::pump_until_idle();
    ASSERT_TRUE(screen->sync());
    ASSERT_NE(screen->x_window_of(w), 0u);

    own.stop();
    ASSERT_TRUE(pump_until([&] { return !screen->sync(500); }));
    // Windows go on as they would headless.
    SetWindowText(w, "After");
    MoveWindow(w, 20, 20, 320, 220, TRUE);
    InvalidateRect(w, nullptr, TRUE);
    UpdateWindow(w);
    ShowWindow(w, SW_HIDE);
    ShowWindow(w, SW_SHOW);
    ASSERT_TRUE(helm::user::clipboard_put_text(w, "after"));
    std::string text;
    EXPECT_TRUE(helm::user::clipboard_take_text(w, text));
    EXPECT_EQ(text, "after");
    HWND later = keep(CreateWindowEx(0, "Static", "Later", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                     nullptr, nullptr, nullptr, nullptr));
    helm::user::testing::pump_until_idle();
    EXPECT_TRUE(IsWindow(later));
    EXPECT_EQ(screen->monitors().size(), 1u) << "the last layout stays";
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    // No one sees a box now: it fails at once instead of waiting.
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBox(w, "Lost the screen", "After", MB_OK), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Lost the screen"), std::string::npos);
    DestroyWindow(later);
    DestroyWindow(w);
    helm::user::testing::pump_until_idle();
    helm::user::set_screen(m_screen);
}

}  // namespace
