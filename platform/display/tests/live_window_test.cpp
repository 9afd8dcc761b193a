// Top-level windows on a live X screen: what another client sees of them,
// and what the window manager and the operator do to them coming back as
// the layer's messages.
#include <gtest/gtest.h>

#include "helm/display/testing/x_client.h"
#include "helm/gdi/pixel_checks.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"
#include "live_fixture.h"

namespace {

using helm::display::testing::pump_until;
using helm::user::testing::MessageLog;
using live_test::LiveDisplayTest;

// Answers WM_GETMINMAXINFO with a smallest size of 200 x 150.
LRESULT CALLBACK limited_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_GETMINMAXINFO) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize = {200, 150};
        return 0;
    }
    return DefWindowProc(w, m, wp, lp);
}

class LiveWindowTest : public LiveDisplayTest {
protected:
    void SetUp() override
    {
        LiveDisplayTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(live_test::register_test_class("LiveTestWindow", limited_proc, CS_DBLCLKS));
    }
    HWND make(DWORD style, RECT r, const char* title = "Plain", HWND owner = nullptr, DWORD ex_style = 0)
    {
        HWND w = keep(CreateWindowEx(ex_style, "LiveTestWindow", title, style, r.left, r.top, r.right - r.left,
                                     r.bottom - r.top, owner, nullptr, nullptr, nullptr));
        helm::user::testing::pump_until_idle();
        return w;
    }
    unsigned long shown(HWND window)
    {
        if (!m_screen->sync())
            return 0;
        return m_screen->x_window_of(window);
    }
};

std::vector<UINT> sizes_and_moves(const MessageLog& log)
{
    return log.only({WM_GETMINMAXINFO, WM_SIZE, WM_MOVE});
}

TEST_F(LiveWindowTest, MovesAndSizesFromOutsideArriveAsTheLayersMessages)
{
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 60, 450, 360});
    const unsigned long xid = shown(w);
    ASSERT_NE(xid, 0u);
    // Without a window manager the X window is the whole window.
    auto g = m_client->geometry(xid);
    EXPECT_EQ(g.x, 50);
    EXPECT_EQ(g.y, 60);
    EXPECT_EQ(g.width, 400);
    EXPECT_EQ(g.height, 300);
    EXPECT_TRUE(g.viewable);

    MessageLog log(w);
    m_client->move_resize(xid, 120, 100, 500, 350);
    m_client->sync();
    ASSERT_TRUE(pump_until([&] {
        RECT r{};
        GetWindowRect(w, &r);
        return r.left == 120 && r.top == 100 && r.right == 620 && r.bottom == 450;
    }));
    EXPECT_EQ(sizes_and_moves(log), (std::vector<UINT>{WM_GETMINMAXINFO, WM_SIZE, WM_MOVE}));

    // Smaller than WM_GETMINMAXINFO allows: the layer keeps its smallest size
    // and the X window follows it.
    log.clear();
    m_client->move_resize(xid, 120, 100, 80, 40);
    m_client->sync();
    ASSERT_TRUE(pump_until([&] { return !log.only({WM_SIZE}).empty(); }));
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(r.bottom - r.top, 150);
    ASSERT_TRUE(pump_until([&] {
        m_screen->sync();
        const auto now = m_client->geometry(xid);
        return now.width == 200 && now.height == 150;
    }));

    // The program's own moves reach the X window.
    MoveWindow(w, 30, 40, 300, 200, TRUE);
    ASSERT_NE(shown(w), 0u);
    g = m_client->geometry(xid);
    EXPECT_EQ(g.x, 30);
    EXPECT_EQ(g.y, 40);
    EXPECT_EQ(g.width, 300);
    EXPECT_EQ(g.height, 200);
}

}  // namespace

namespace {

TEST_F(LiveWindowTest, MinimiseMaximiseAndRestoreGoBothWays)
{
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 60, 450, 360});
    const unsigned long xid = shown(w);
    ASSERT_NE(xid, 0u);
    MessageLog log(w);
    auto sizes = [&] {
        std::vector<WPARAM> kinds;
        for (const auto& m : log.messages())
            if (m.message == WM_SIZE)
                kinds.push_back(m.wParam);
        return kinds;
    };

    // The window manager iconifies it, maximises it, gives it back.
    m_client->set_values_property(xid, "WM_STATE", "WM_STATE", {3 /* iconic */, 0});
    m_client->sync();
    ASSERT_TRUE(pump_until([&] { return IsIconic(w) != FALSE; }));
    m_client->set_values_property(xid, "WM_STATE", "WM_STATE", {1 /* normal */, 0});
    m_client->sync();
    ASSERT_TRUE(pump_until([&] { return IsIconic(w) == FALSE; }));
    m_client->set_atoms_property(xid, "_NET_WM_STATE",
                                 {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"});
    m_client->move_resize(xid, 0, 0, 1024, 768);
    m_client->sync();
    ASSERT_TRUE(pump_until([&] {
        RECT r{};
        GetWindowRect(w, &r);
        return IsZoomed(w) && r.right - r.left == 1024;
    }));
    m_client->set_atoms_property(xid, "_NET_WM_STATE", {});
    m_client->move_resize(xid, 50, 60, 400, 300);
    m_client->sync();
    ASSERT_TRUE(pump_until([&] { return IsZoomed(w) == FALSE && IsIconic(w) == FALSE; }));
    EXPECT_EQ(sizes().front(), static_cast<WPARAM>(SIZE_MINIMIZED));
    EXPECT_NE(std::find(sizes().begin(), sizes().end(), static_cast<WPARAM>(SIZE_MAXIMIZED)), sizes().end());
    EXPECT_EQ(sizes().back(), static_cast<WPARAM>(SIZE_RESTORED));

    // The program's own changes are asked of the window manager.
    m_client->watch_window_manager_requests();
    ShowWindow(w, SW_MINIMIZE);
    ASSERT_NE(shown(w), 0u);
    auto request = m_client->next_request(5000);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->first, "WM_CHANGE_STATE");
    EXPECT_EQ(request->second[0], 3) << "iconic";
    ShowWindow(w, SW_RESTORE);
    ShowWindow(w, SW_MAXIMIZE);
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_NE(shown(w), 0u);
    std::vector<std::pair<std::string, long>> states;
    while (auto next = m_client->next_request(500))
        if (next->first == "_NET_WM_STATE")
            states.emplace_back(next->first, next->second[0]);
    EXPECT_EQ(states.size(), 3u) << "two for maximised, one for always on top";
    for (const auto& s : states)
        EXPECT_EQ(s.second, 1) << "added";
}

TEST_F(LiveWindowTest, TitleIconOwnerAndClassAreHintsOfTheWindow)
{
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 60, 450, 360}, "Cap 012\xB0");
    const unsigned long xid = shown(w);
    ASSERT_NE(xid, 0u);
    EXPECT_EQ(m_client->text_property(xid, "_NET_WM_NAME"), "Cap 012\xC2\xB0");
    const std::string wm_class = m_client->text_property(xid, "WM_CLASS");
    EXPECT_NE(wm_class.find("LiveTestWindow"), std::string::npos) << wm_class;
    EXPECT_EQ(m_client->values_property(xid, "_NET_WM_PID"), (std::vector<long>{getpid()}));

    SetWindowText(w, "Roll and pitch");
    SendMessage(w, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIcon(nullptr, IDI_APPLICATION)));
    ASSERT_NE(shown(w), 0u);
    EXPECT_EQ(m_client->text_property(xid, "_NET_WM_NAME"), "Roll and pitch");
    const auto icon = m_client->values_property(xid, "_NET_WM_ICON");
    ASSERT_GE(icon.size(), 2u);
    EXPECT_EQ(icon[0], 32);
    EXPECT_EQ(icon[1], 32);
    EXPECT_EQ(icon.size(), 2u + 32 * 32);

    HWND owned = make(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, {100, 100, 300, 200}, "Owned", w);
    const unsigned long owned_xid = shown(owned);
    ASSERT_NE(owned_xid, 0u);
    EXPECT_EQ(m_client->values_property(owned_xid, "WM_TRANSIENT_FOR"), (std::vector<long>{static_cast<long>(xid)}));
    EXPECT_EQ(m_client->atoms_property(owned_xid, "_NET_WM_WINDOW_TYPE"),
              (std::vector<std::string>{"_NET_WM_WINDOW_TYPE_DIALOG"}));
    // Hidden and destroyed windows leave the screen.
    ShowWindow(owned, SW_HIDE);
    ASSERT_NE(shown(w), 0u);
    EXPECT_FALSE(m_client->geometry(owned_xid).viewable);
    DestroyWindow(owned);
    ASSERT_NE(shown(w), 0u);
    const auto tops = m_client->top_windows();
    EXPECT_EQ(std::find(tops.begin(), tops.end(), owned_xid), tops.end());
}

TEST_F(LiveWindowTest, FocusFromOutsideActivatesAndTheLayersActivationTakesIt)
{
    HWND a = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 60, 350, 260}, "A");
    HWND b = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {400, 60, 700, 260}, "B");
    const unsigned long a_xid = shown(a), b_xid = shown(b);
    ASSERT_NE(a_xid, 0u);
    ASSERT_EQ(GetActiveWindow(), b);
    ASSERT_TRUE(pump_until([&] { return m_screen->sync() && m_client->focused() == b_xid; }));

    MessageLog a_log(a), b_log(b);
    m_client->focus(a_xid);
    m_client->sync();
    ASSERT_TRUE(pump_until([&] { return GetActiveWindow() == a; }));
    EXPECT_EQ(GetFocus(), a);
    EXPECT_EQ(b_log.only({WM_ACTIVATE, WM_KILLFOCUS}), (std::vector<UINT>{WM_ACTIVATE, WM_KILLFOCUS}));
    EXPECT_EQ(a_log.only({WM_ACTIVATE, WM_SETFOCUS}), (std::vector<UINT>{WM_ACTIVATE, WM_SETFOCUS}));

    // Focus leaving for no window of ours deactivates.
    m_client->focus(m_client->root());
    m_client->sync();
    ASSERT_TRUE(pump_until([&] { return GetActiveWindow() == nullptr; }));
    EXPECT_EQ(GetFocus(), nullptr);

    SetActiveWindow(b);
    ASSERT_TRUE(pump_until([&] { return m_screen->sync() && m_client->focused() == b_xid; }));
}

TEST_F(LiveWindowTest, ExposedPartsShowAgainFromThePixelsWithoutRepainting)
{
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 60, 450, 360}, "Exposed");
    ASSERT_NE(shown(w), 0u);
    auto layer = helm::user::snapshot_window(w);
    ASSERT_NE(shown(w), 0u);
    MessageLog log(w);
    const unsigned long cover = m_client->cover(100, 100, 200, 150);
    m_client->sync();
    auto covered = helm::display::testing::screenshot(display_name());
    ASSERT_NE(covered, nullptr);
    EXPECT_EQ(covered->colour(150, 150), RGB(255, 0, 255)) << "the cover is there";
    m_client->uncover(cover);
    m_client->sync();
    auto shot = screen_after_painting(w);
    ASSERT_NE(shot, nullptr);
    int different = 0;
    for (int y = 60; y < 360; ++y)
        for (int x = 50; x < 450; ++x)
            if (shot->colour(x, y) != layer->colour(x - 50, y - 60))
                ++different;
    EXPECT_EQ(different, 0);
    EXPECT_TRUE(log.only({WM_PAINT, WM_NCPAINT, WM_ERASEBKGND}).empty());
}

TEST_F(LiveWindowTest, DoubleClicksFollowTheirTimingAndTheWheelTurnsAtTheFocus)
{
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 60, 450, 360}, "Mouse");
    ASSERT_NE(shown(w), 0u);
    SetFocus(w);
    MessageLog log(w);
    const std::initializer_list<UINT> buttons = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
    ASSERT_TRUE(act({"mousemove", "--sync", "250", "200", "click", "--repeat", "2", "--delay", "80", "1"}));
    ASSERT_TRUE(pump_until([&] { return log.only(buttons).size() == 4; }));
    EXPECT_EQ(log.only(buttons), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
    // Farther apart than the double-click time: two clicks, whenever the
    // loop comes to them.
    log.clear();
    ASSERT_TRUE(act({"click", "--repeat", "2", "--delay", "700", "1"}));
    ASSERT_TRUE(pump_until([&] { return log.only(buttons).size() == 4; }));
    EXPECT_EQ(log.only(buttons), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));

    log.clear();
    ASSERT_TRUE(act({"click", "4", "click", "5", "click", "5"}));
    ASSERT_TRUE(pump_until([&] { return log.only({WM_MOUSEWHEEL}).size() == 3; }));
    std::vector<short> turns;
    for (const auto& m : log.messages())
        if (m.message == WM_MOUSEWHEEL) {
            turns.push_back(static_cast<short>(HIWORD(m.wParam)));
            EXPECT_EQ(static_cast<short>(LOWORD(m.lParam)), 250) << "the screen point";
        }
    EXPECT_EQ(turns, (std::vector<short>{WHEEL_DELTA, -WHEEL_DELTA, -WHEEL_DELTA}));
}

TEST_F(LiveWindowTest, TheCloseBoxAndAltF4CloseUnlessTheWindowIsDisabled)
{
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 60, 450, 360}, "Closing");
    const unsigned long xid = shown(w);
    ASSERT_NE(xid, 0u);
    EnableWindow(w, FALSE);
    MessageLog log(w);
    m_client->ask_to_close(xid);
    m_client->sync();
    ASSERT_TRUE(m_screen->sync());
    helm::user::testing::pump_until_idle();
    EXPECT_TRUE(IsWindow(w)) << "a disabled window (the owner of a modal dialog) stays";
    EXPECT_TRUE(log.only({WM_SYSCOMMAND, WM_CLOSE}).empty());
    EnableWindow(w, TRUE);
    m_client->ask_to_close(xid);
    m_client->sync();
    ASSERT_TRUE(pump_until([&] { return !IsWindow(w); }));

    HWND other = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 60, 450, 360}, "Other");
    ASSERT_NE(shown(other), 0u);
    ASSERT_TRUE(pump_until([&] { return m_screen->sync() && m_client->focused() == m_screen->x_window_of(other); }));
    ASSERT_TRUE(act({"key", "alt+F4"}));
    ASSERT_TRUE(pump_until([&] { return !IsWindow(other); }));
}

}  // namespace
