// The layer's own window frame on a live X screen: clicks from X on the
// close box, the caption's icon, the menu bar and a window's own scroll bar
// reach the window as they do headless; the menus they open are popups
// above their owner; a window manager's frame goes around the menu bar.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "helm/display/testing/x_client.h"
#include "helm/gdi/pixel_checks.h"
#include "helm/user/common_dialogs.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"
#include "live_fixture.h"

namespace {

using helm::display::testing::pump_until;
using helm::display::testing::XClient;
using live_test::LiveDisplayTest;

constexpr UINT open_id = 101;
constexpr UINT save_id = 102;

// What the window heard of the frame's clicks, in order.
std::vector<std::string> g_heard;

// A menu the operator's click did not close is closed by taking its
// capture away, so a failing test ends.
bool g_menu_left_open = false;
void CALLBACK close_menu_left_open(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    g_menu_left_open = true;
    ReleaseCapture();
}

// Records scrolls, system commands, commands and the close request; the
// window stays (the test destroys it).
LRESULT CALLBACK framed_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    switch (m) {
    case WM_VSCROLL: g_heard.push_back("scroll " + std::to_string(LOWORD(wp))); return 0;
    case WM_COMMAND: g_heard.push_back("command " + std::to_string(LOWORD(wp))); return 0;
    case WM_CLOSE: g_heard.push_back("close"); return 0;
    case WM_SYSCOMMAND: {
        char code[16];
        std::snprintf(code, sizeof code, "%X", static_cast<unsigned>(wp & 0xFFF0));
        g_heard.push_back(std::string("syscommand ") + code);
        break;
    }
    default: break;
    }
    return DefWindowProc(w, m, wp, lp);
}

class LiveFrameTest : public LiveDisplayTest {
protected:
    void SetUp() override
    {
        LiveDisplayTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(live_test::register_test_class("LiveFramedWindow", framed_proc));
        g_heard.clear();
    }
    void TearDown() override
    {
        helm::user::set_common_dialog_shown({});
        LiveDisplayTest::TearDown();
    }
    // A window with the File menu as its bar.
    HWND make(DWORD style, HMENU* file = nullptr)
    {
        HMENU bar = CreateMenu();
        HMENU popup = CreatePopupMenu();
        AppendMenu(popup, MF_STRING, open_id, "&Open");
        AppendMenu(popup, MF_STRING, save_id, "&Save");
        AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&File");
        if (file)
            *file = popup;
        HWND w = keep(CreateWindowEx(0, "LiveFramedWindow", "Framed", style, 100, 100, 400, 300, nullptr, bar,
                                     nullptr, nullptr));
        helm::user::testing::pump_until_idle();
        return m_screen->sync() && m_screen->x_window_of(w) ? w : nullptr;
    }
    // The operator clicks at a screen point.
    static bool click_at(POINT p)
    {
        return act({"mousemove", "--sync", std::to_string(p.x), std::to_string(p.y), "click", "1"});
    }
    // Where the window's frame has `part`: the centre of its points, or of
    // its last `from_end` pixels down.
    static POINT part_of(HWND window, LRESULT part, int from_end = 0)
    {
        RECT r{};
        GetWindowRect(window, &r);
        RECT found{r.right, r.bottom, r.left, r.top};
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (SendMessage(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == part) {
                    found = {std::min<LONG>(found.left, x), std::min<LONG>(found.top, y),
                             std::max<LONG>(found.right, x + 1), std::max<LONG>(found.bottom, y + 1)};
                }
        const LONG top = from_end ? found.bottom - from_end : found.top;
        return {(found.left + found.right) / 2, (top + found.bottom) / 2};
    }
    // The X screen's placement of a popup of ours: viewable, placed by us
    // where the layer has it, above its owner.
    void expect_popup_above(HWND popup, HWND owner)
    {
        ASSERT_TRUE(m_screen->sync());
        const unsigned long xid = m_screen->x_window_of(popup);
        ASSERT_NE(xid, 0u) << "the popup shows through X";
        const auto placed = m_client->geometry(xid);
        EXPECT_TRUE(placed.viewable);
        EXPECT_TRUE(placed.override_redirect) << "placed by us, not by a window manager";
        RECT r{};
        GetWindowRect(popup, &r);
        EXPECT_EQ(placed.x, r.left);
        EXPECT_EQ(placed.y, r.top);
        const auto tops = m_client->top_windows();
        const auto above = std::find(tops.begin(), tops.end(), xid);
        const auto below = std::find(tops.begin(), tops.end(), m_screen->x_window_of(owner));
        EXPECT_LT(above, below) << "the popup lies above its owner";
    }
};

TEST_F(LiveFrameTest, ClicksOnTheFrameReachTheWindowAsHeadless)
{
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE);
    ASSERT_NE(w, nullptr);
    SCROLLINFO range{};
    range.cbSize = sizeof range;
    range.fMask = SIF_RANGE | SIF_PAGE;
    range.nMax = 99;
    range.nPage = 10;
    SetScrollInfo(w, SB_VERT, &range, TRUE);
    const struct {
        const char* what;
        LRESULT part;
        int from_end;  // pixels at the part's end (the bar's lower arrow)
        std::vector<std::string> heard;
    } cases[] = {
        {"the bar's lower arrow", HTVSCROLL, 8, {"scroll 1", "scroll 8"}},
        {"the bar's track below the thumb", HTVSCROLL, 60, {"scroll 3", "scroll 8"}},
        {"the close box", HTCLOSE, 0, {"syscommand F060", "close"}},
    };
    for (const auto& c : cases) {
        g_heard.clear();
        ASSERT_TRUE(click_at(part_of(w, c.part, c.from_end))) << c.what;
        EXPECT_TRUE(pump_until([&] { return g_heard.size() >= c.heard.size(); })) << c.what;
        EXPECT_EQ(g_heard, c.heard) << c.what;
    }
}

TEST_F(LiveFrameTest, TheMenuBarAndTheSystemMenuArePopupsAboveTheirOwner)
{
    HMENU file = nullptr;
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, &file);
    ASSERT_NE(w, nullptr);
    // Each menu, once up, is checked on the X screen; then the operator acts
    // on it: picks Open from the bar's menu with the mouse, closes the system
    // menu with a click outside every window of the program (which the
    // capture gets), picks Save from the menu Alt+F opened with the keys.
    UINT_PTR give_up = 0;
    const std::vector<std::function<void()>> operator_acts = {
        [&] {
            RECT open{};
            ASSERT_TRUE(GetMenuItemRect(nullptr, file, 0, &open));
            click_at({(open.left + open.right) / 2, (open.top + open.bottom) / 2});
        },
        [&] {
            g_menu_left_open = false;
            give_up = SetTimer(nullptr, 0, 15000, close_menu_left_open);
            click_at({1000, 740});
        },
        [&] { act({"key", "Down", "Return"}); },
    };
    std::vector<HWND> shown;
    helm::user::set_common_dialog_shown([&](HWND popup) {
        shown.push_back(popup);
        expect_popup_above(popup, w);
        if (shown.size() <= operator_acts.size())
            operator_acts[shown.size() - 1]();
    });

    RECT item{};
    ASSERT_TRUE(GetMenuItemRect(w, GetMenu(w), 0, &item));
    ASSERT_TRUE(click_at({(item.left + item.right) / 2, (item.top + item.bottom) / 2}));
    ASSERT_TRUE(pump_until([&] { return !g_heard.empty() && g_heard.back() == "command 101"; }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_FALSE(IsWindow(shown[0])) << "the menu closed with the pick";

    g_heard.clear();
    ASSERT_TRUE(click_at(part_of(w, HTSYSMENU)));
    ASSERT_TRUE(pump_until([&] { return shown.size() == 2 && !IsWindow(shown[1]); }));
    KillTimer(nullptr, give_up);
    EXPECT_FALSE(g_menu_left_open) << "the click outside the program closed the menu";
    EXPECT_EQ(g_heard, (std::vector<std::string>{"syscommand F090"})) << "opened, and closed with nothing picked";

    g_heard.clear();
    ASSERT_TRUE(act({"key", "alt+f"}));
    ASSERT_TRUE(pump_until([&] { return !g_heard.empty() && g_heard.back() == "command 102"; }));
    EXPECT_EQ(shown.size(), 3u);
}

// A window manager frames a captioned window; its frame stands for our
// border and caption only, so the X window shows the menu bar.
TEST_F(LiveFrameTest, AWindowManagersFrameGoesAroundTheMenuBar)
{
    const unsigned long root = m_client->root();
    m_client->set_values_property(root, "_NET_SUPPORTING_WM_CHECK", "WINDOW", {static_cast<long>(root)});
    struct NoWindowManagerAfter {
        XClient& client;
        unsigned long root;
        ~NoWindowManagerAfter()
        {
            client.set_values_property(root, "_NET_SUPPORTING_WM_CHECK", "WINDOW", {});
            client.sync();
        }
    } after{*m_client, root};
    m_client->sync();
    ASSERT_TRUE(m_screen->sync());

    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ASSERT_NE(w, nullptr);
    RECT whole{}, client{};
    GetWindowRect(w, &whole);
    GetClientRect(w, &client);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const int border = GetSystemMetrics(SM_CXFRAME);
    const auto placed = m_client->geometry(m_screen->x_window_of(w));
    EXPECT_EQ(placed.x, whole.left + border);
    EXPECT_EQ(placed.y, client.top - GetSystemMetrics(SM_CYMENU)) << "the menu bar's top";
    EXPECT_EQ(placed.width, whole.right - whole.left - 2 * border);
    EXPECT_EQ(placed.y + placed.height, whole.bottom - border);

    // The menu bar is on the X screen as the layer painted it.
    auto shot = screen_after_painting(w);
    ASSERT_NE(shot, nullptr);
    auto layer = helm::user::snapshot_window(w);
    ASSERT_NE(layer, nullptr);
    int different = 0;
    for (int y = placed.y; y < client.top; ++y)
        for (int x = placed.x; x < placed.x + placed.width; ++x)
            if (shot->colour(x, y) != layer->colour(x - whole.left, y - whole.top))
                ++different;
    EXPECT_EQ(different, 0) << "pixels of the menu bar that differ from the layer's";
    EXPECT_GT(helm::gdi::testing::ink_count(*shot, {placed.x, placed.y, placed.x + 60, client.top},
                                            GetSysColor(COLOR_MENU)),
              10)
        << "the bar's first item written";
}

}  // namespace
