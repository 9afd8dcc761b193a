#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "helm/user/screen.h"
#include "toolkit/CWindowTools.h"
#include "toolkit/CWinAppIni.h"
#include "toolkit_fixture.h"
#include "toolkit_test_ids.h"

namespace {

using toolkit_test::PrivateProfile;

// Two monitors side by side; the primary has a task bar along its top.
class WindowTools : public ::testing::Test {
protected:
    void SetUp() override
    {
        helm::user::set_screen(std::make_shared<helm::user::HeadlessScreen>(std::vector<helm::user::Monitor>{
            {{0, 0, 1920, 1080}, {0, 40, 1920, 1080}, true},
            {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}, false},
        }));
    }
    void TearDown() override
    {
        window.DestroyWindow();
        helm::user::set_screen(nullptr);
    }
    void make(const CRect& rect, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE)
    {
        ASSERT_TRUE(window.CreateEx(0, nullptr, "Panel", style, rect, nullptr, 0));
    }
    CString stored(LPCSTR section = "Window State", LPCSTR key = "MainWndPosition")
    {
        return app.GetProfileString(section, key, "(none)");
    }
    CRect where() const
    {
        CRect r;
        window.GetWindowRect(&r);
        return r;
    }

    CWinAppIni app;
    PrivateProfile profile{app, "Helmsight.ini"};
    CWnd window;
};

TEST_F(WindowTools, SaveWritesTopBottomLeftRightAndTheShowCommand)
{
    struct Case {
        const char* name;
        CRect rect;
        int state;  // the window's state: a ShowWindow command
        int show;   // given to F_WindowStateSave
        const char* expected;
    };
    const Case cases[] = {
        {"normal", {100, 150, 500, 450}, SW_SHOWNORMAL, -1, "150,450,100,500,1"},
        {"given command", {100, 150, 500, 450}, SW_SHOWNORMAL, 5, "150,450,100,500,5"},
        {"hidden", {100, 150, 500, 450}, SW_HIDE, -1, "150,450,100,500,0"},
        {"maximised: its normal rectangle", {100, 150, 500, 450}, SW_MAXIMIZE, -1, "150,450,100,500,3"},
        {"minimised", {10, -60, 410, 240}, SW_MINIMIZE, -1, "-60,240,10,410,2"},
        {"minimised off to the top left: nothing", {-50, -60, 350, 240}, SW_MINIMIZE, -1, "(none)"},
        {"off to the top left, command given", {-50, -60, 350, 240}, SW_MINIMIZE, 1, "-60,240,-50,350,1"},
        {"second monitor", {2000, 100, 2400, 300}, SW_SHOWNORMAL, -1, "100,300,2000,2400,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.WriteProfileString("Window State", nullptr, nullptr);
        make(c.rect);
        window.ShowWindow(c.state);
        CWindowTools::F_WindowStateSave(app, window, "Window State", "MainWnd", c.show);
        EXPECT_EQ(stored(), c.expected);
        window.DestroyWindow();
    }
    // No window, nothing written; no section, the default one.
    app.WriteProfileString("Window State", nullptr, nullptr);
    CWindowTools::F_WindowStateSave(app, window, "Window State", "MainWnd");
    EXPECT_EQ(stored(), "(none)");
    make({5, 6, 105, 206});
    CWindowTools::F_WindowStateSave(app, window, "", "Panel");
    EXPECT_EQ(stored("Window Settings", "PanelPosition"), "6,206,5,105,1");
}

TEST_F(WindowTools, LoadPlacesTheWindowOnTheMonitors)
{
    struct Case {
        const char* name;
        const char* stored;  // null: no key
        bool resize;
        const CRect* fallback;
        CRect expected;
        int show;
        bool result;
    };
    const CRect fallback(300, 200, 700, 500);
    const Case cases[] = {
        {"stored", "150,450,100,500,1", true, nullptr, {100, 150, 500, 450}, 1, true},
        {"moved, not sized", "150,450,100,500,1", false, nullptr, {100, 150, 150, 200}, 1, true},
        {"no show command", "150,450,100,500", true, nullptr, {100, 150, 500, 450}, 1, true},
        {"hex, octal and blanks as %i reads", "0x64, 0x1C2 ,0144,500,3", true, nullptr, {100, 100, 500, 450}, 3, true},
        {"off the right edge", "100,400,5000,5400,1", true, nullptr, {2800, 100, 3200, 400}, 1, true},
        {"across both monitors", "100,400,1800,2200,1", true, nullptr, {1800, 100, 2200, 400}, 1, true},
        {"above the screen", "-300,-100,100,300,1", true, nullptr, {100, 0, 300, 200}, 1, true},
        {"no key, no default", nullptr, true, nullptr, {0, 0, 200, 400}, 1, false},
        {"no key, a default", nullptr, true, &fallback, {300, 200, 700, 500}, 1, false},
        {"not a placement", "abc", true, nullptr, {0, 0, 200, 400}, 1, false},
        {"too few numbers", "150,450,100", true, &fallback, {300, 200, 700, 500}, 1, false},
        {"trailing text", "150,450,100,500,1,9", true, nullptr, {0, 0, 200, 400}, 1, false},
        {"inside out", "450,150,100,500,1", true, nullptr, {0, 0, 200, 400}, 1, false},
        {"beyond any screen", "99999999999,1,2,3,1", true, nullptr, {0, 0, 200, 400}, 1, false},
        {"unknown show command", "150,450,100,500,77", true, nullptr, {100, 150, 500, 450}, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.WriteProfileString("Window State", "MainWndPosition", c.stored);
        make({100, 150, 150, 200});
        int show = -5;
        CRect fallbackCopy = c.fallback ? *c.fallback : CRect();
        EXPECT_EQ(CWindowTools::F_WindowStateLoad(app, window, "Window State", "MainWnd", c.resize, false,
                                                  c.fallback ? &fallbackCopy : nullptr, &show),
                  c.result);
        EXPECT_EQ(where(), c.expected);
        EXPECT_EQ(show, c.show);
        window.DestroyWindow();
    }
    EXPECT_FALSE(CWindowTools::F_WindowStateLoad(app, window, "Window State", "MainWnd", true, true));
}

TEST_F(WindowTools, LoadShowsOnlyWhenAskedAndLeavesMinimisedWindowsInPlace)
{
    app.WriteProfileString("Window State", "MainWndPosition", "150,450,100,500,0");
    make({10, 60, 110, 160});
    EXPECT_TRUE(CWindowTools::F_WindowStateLoad(app, window, "Window State", "MainWnd", true, false));
    EXPECT_TRUE(window.IsWindowVisible());
    EXPECT_TRUE(CWindowTools::F_WindowStateLoad(app, window, "Window State", "MainWnd", true, true));
    EXPECT_FALSE(window.IsWindowVisible());
    window.DestroyWindow();

    make({10, 60, 110, 160});
    window.ShowWindow(SW_MINIMIZE);
    const CRect minimised = where();
    EXPECT_TRUE(CWindowTools::F_WindowStateLoad(app, window, "Window State", "MainWnd", true, false));
    EXPECT_EQ(where(), minimised);
}

// Saving and loading again puts the window where it was, task bar or not:
// the placement's workspace rectangle is turned into screen coordinates.
TEST_F(WindowTools, RoundTripKeepsTheWindowInPlace)
{
    for (const CRect& rect : {CRect(100, 150, 500, 450), CRect(2000, 60, 2300, 260)}) {
        make(rect);
        CWindowTools::F_WindowStateSave(app, window, "Window State", "MainWnd");
        window.MoveWindow(0, 500, 50, 50);
        EXPECT_TRUE(CWindowTools::F_WindowStateLoad(app, window, "Window State", "MainWnd", true, false));
        EXPECT_EQ(where(), rect);
        window.DestroyWindow();
    }
}

TEST_F(WindowTools, RectInScreenCentresOrClampsToTheNearestMonitors)
{
    struct Case {
        CRect rect;
        UINT flags;
        CRect expected;
    };
    const Case cases[] = {
        {{-100, 10, 300, 210}, CWindowTools::RIS_MONITOR, {0, 10, 400, 210}},
        {{-100, 10, 300, 210}, CWindowTools::RIS_WORKAREA, {0, 40, 400, 240}},
        {{100, 10, 500, 210}, CWindowTools::RIS_CENTER, {760, 440, 1160, 640}},
        {{100, 10, 500, 210}, CWindowTools::RIS_CENTER | CWindowTools::RIS_WORKAREA, {760, 460, 1160, 660}},
        // Corners on both monitors: the area is both.
        {{1800, 900, 2100, 1200}, 0, {1800, 780, 2100, 1080}},
        {{1800, 900, 2100, 1200}, CWindowTools::RIS_CENTER, {1450, 390, 1750, 690}},
        // Wider than the area: its left edge on the area's.
        {{500, 0, 4500, 100}, 0, {0, 0, 4000, 100}},
    };
    for (const Case& c : cases) {
        CRect rect = c.rect;
        CWindowTools::F_RectInScreen(rect, c.flags);
        EXPECT_EQ(rect, c.expected) << c.rect.left << "," << c.rect.top << " flags " << c.flags;
    }
}

TEST_F(WindowTools, SimilarClassCopiesAClassWithAnotherIcon)
{
    WNDCLASS base{};
    base.lpfnWndProc = DefWindowProc;
    base.hInstance = AfxGetInstanceHandle();
    base.lpszClassName = "ToolkitTestBase";
    ASSERT_TRUE(RegisterClass(&base));
    EXPECT_STREQ(CWindowTools::RegisterSimilarClass("ToolkitTestCopy", "ToolkitTestBase", IDI_TEST_ICON),
                 "ToolkitTestCopy");
    WNDCLASS copy{};
    ASSERT_TRUE(GetClassInfo(AfxGetInstanceHandle(), "ToolkitTestCopy", &copy));
    EXPECT_EQ(copy.lpfnWndProc, base.lpfnWndProc);
    EXPECT_NE(copy.hIcon, nullptr);
    HWND w = CreateWindowEx(0, "ToolkitTestCopy", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(w, nullptr);
    DestroyWindow(w);
    EXPECT_EQ(CWindowTools::RegisterSimilarClass("ToolkitTestOther", "NoSuchClass", IDI_TEST_ICON), nullptr);
}

}  // namespace
