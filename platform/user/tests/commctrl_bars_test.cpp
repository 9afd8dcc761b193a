// The IP address control, track bar, up-down control, progress bar, status
// bar, tooltips and tab control: their messages, and what their parent hears
// when the operator acts on them through the input layer (and only then).

#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "helm/gdi/pixel_checks.h"
#include "helm/user/input.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"
#include "resources_test_ids.h"

namespace {

namespace driver = helm::user::testing;

// What the parent heard, flattened: WM_NOTIFY with the fields of the
// blocks these controls send, WM_COMMAND and the scroll messages.
struct Heard {
    UINT message;
    HWND from;
    UINT code;      // notification code, WM_COMMAND code or scroll code
    int a = 0;      // iPos / iField / dwItemSpec / scroll position
    int b = 0;      // iDelta / iValue
    UINT_PTR id = 0;
};

class CommonControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool registered = [] {
            WNDCLASS wc{};
            wc.lpfnWndProc = parent_proc;
            wc.lpszClassName = "CommonControlsParent";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        s_heard.clear();
        s_answer = nullptr;
        m_parent = CreateWindowEx(0, "CommonControlsParent", "parent", WS_OVERLAPPED | WS_VISIBLE, 100, 100, 500,
                                  300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_parent, nullptr);
        driver::pump_until_idle();
    }
    void TearDown() override
    {
        s_answer = nullptr;
        if (IsWindow(m_parent))
            DestroyWindow(m_parent);
        driver::pump_until_idle();
    }

    HWND make(const char* cls, DWORD style, int id, RECT r, const char* text = "")
    {
        HWND w = CreateWindowEx(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, m_parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)),
                                nullptr, nullptr);
        EXPECT_NE(w, nullptr) << cls;
        return w;
    }

    static std::vector<UINT> codes(UINT message)
    {
        std::vector<UINT> out;
        for (const Heard& h : s_heard)
            if (h.message == message)
                out.push_back(h.code);
        return out;
    }
    static std::vector<Heard> heard(UINT message)
    {
        std::vector<Heard> out;
        for (const Heard& h : s_heard)
            if (h.message == message)
                out.push_back(h);
        return out;
    }
    static POINT on_screen(HWND w, POINT client)
    {
        ClientToScreen(w, &client);
        return client;
    }
    // Dispatches what comes for `ms` milliseconds, timers included.
    static void pump_for(DWORD ms)
    {
        const DWORD end = GetTickCount() + ms;
        while (static_cast<int>(end - GetTickCount()) > 0) {
            driver::pump_until_idle();
            Sleep(5);
        }
        driver::pump_until_idle();
    }
    // Dispatches until `done` holds, for 5 s at most, however slowly a
    // loaded machine runs the timers; false when it never held.
    static bool pump_until(const std::function<bool()>& done)
    {
        const DWORD end = GetTickCount() + 5000;
        while (!done()) {
            if (static_cast<int>(end - GetTickCount()) <= 0)
                return false;
            driver::pump_until_idle();
            Sleep(2);
        }
        return true;
    }
    static bool tip_shown(HWND tip)
    {
        return pump_until([tip] { return IsWindowVisible(tip) != FALSE; });
    }
    static std::string text_of(HWND w)
    {
        char buffer[256] = {};
        GetWindowText(w, buffer, sizeof buffer);
        return buffer;
    }

    HWND m_parent = nullptr;
    static inline std::vector<Heard> s_heard;
    // The parent's answer to a WM_NOTIFY; it may change the block.
    static inline std::function<LRESULT(NMHDR*)> s_answer;

private:
    static LRESULT CALLBACK parent_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            Heard h{message, hdr->hwndFrom, hdr->code, 0, 0, hdr->idFrom};
            if (hdr->code == UDN_DELTAPOS) {
                h.a = reinterpret_cast<NMUPDOWN*>(hdr)->iPos;
                h.b = reinterpret_cast<NMUPDOWN*>(hdr)->iDelta;
            } else if (hdr->code == IPN_FIELDCHANGED) {
                h.a = reinterpret_cast<NMIPADDRESS*>(hdr)->iField;
                h.b = reinterpret_cast<NMIPADDRESS*>(hdr)->iValue;
            } else if (hdr->code == NM_CLICK && hdr->hwndFrom && GetParent(hdr->hwndFrom) == window) {
                char cls[64] = {};
                GetClassName(hdr->hwndFrom, cls, sizeof cls);
                if (std::string(cls) == STATUSCLASSNAME)
                    h.a = static_cast<int>(reinterpret_cast<NMMOUSE*>(hdr)->dwItemSpec);
            }
            s_heard.push_back(h);
            return s_answer ? s_answer(hdr) : 0;
        }
        case WM_COMMAND:
            s_heard.push_back({message, reinterpret_cast<HWND>(lParam), HIWORD(wParam), LOWORD(wParam)});
            return 0;
        case WM_HSCROLL:
        case WM_VSCROLL:
            s_heard.push_back({message, reinterpret_cast<HWND>(lParam), LOWORD(wParam),
                               static_cast<short>(HIWORD(wParam))});
            return 0;
        default:
            return DefWindowProc(window, message, wParam, lParam);
        }
    }
};

TEST_F(CommonControlsTest, ClassesAreThereUnderWindowsNames)
{
    InitCommonControls();
    INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                                               ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES};
    EXPECT_TRUE(InitCommonControlsEx(&init));
    init.dwSize = 4;
    EXPECT_FALSE(InitCommonControlsEx(&init));
    EXPECT_FALSE(InitCommonControlsEx(nullptr));

    for (const char* cls : {"SysIPAddress32", "msctls_trackbar32", "msctls_updown32", "msctls_progress32",
                            "msctls_statusbar32", "SysTabControl32"}) {
        HWND w = make(cls, 0, 1, {0, 0, 100, 20});
        char name[64] = {};
        GetClassName(w, name, sizeof name);
        EXPECT_STREQ(name, cls);
        DestroyWindow(w);
    }
    HWND tip = CreateWindowEx(WS_EX_TOPMOST, TOOLTIPS_CLASS, nullptr, WS_POPUP, 0, 0, 0, 0, m_parent, nullptr,
                              nullptr, nullptr);
    EXPECT_NE(tip, nullptr);
    EXPECT_FALSE(IsWindowVisible(tip));
    DestroyWindow(tip);
}

// Null blocks, out-of-range indexes and counts are refused, not followed.
TEST_F(CommonControlsTest, BadParametersAreRefused)
{
    HWND status = CreateStatusWindow(WS_CHILD, "", m_parent, 90);
    HWND tip = CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, WS_POPUP, 0, 0, 0, 0, m_parent, nullptr, nullptr, nullptr);
    HWND tabs = make(WC_TABCONTROL, 0, 91, {0, 0, 200, 100});
    HWND spin = make(UPDOWN_CLASS, 0, 92, {0, 0, 16, 20});
    HWND ip = make(WC_IPADDRESS, 0, 93, {0, 0, 100, 20});
    HWND track = make(TRACKBAR_CLASS, 0, 94, {0, 0, 100, 20});
    const int many[300] = {};
    struct Case {
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT answer;
    };
    const Case cases[] = {
        {status, SB_SETPARTS, 3, 0, FALSE},
        {status, SB_SETPARTS, 0, reinterpret_cast<LPARAM>(many), FALSE},
        {status, SB_SETPARTS, 300, reinterpret_cast<LPARAM>(many), FALSE},
        {status, SB_GETRECT, 0, 0, FALSE},
        {status, SB_GETTEXTLENGTH, 7, 0, 0},
        {status, SB_GETBORDERS, 0, 0, FALSE},
        {tip, TTM_ADDTOOL, 0, 0, FALSE},
        {tip, TTM_GETTOOLINFO, 0, 0, FALSE},
        {tip, TTM_HITTEST, 0, 0, FALSE},
        {tip, TTM_ENUMTOOLS, 0, 0, FALSE},
        {tip, TTM_DELTOOL, 0, 0, 0},
        {tip, TTM_RELAYEVENT, 0, 0, 0},
        {tabs, TCM_INSERTITEM, 0, 0, -1},
        {tabs, TCM_GETITEM, 0, 0, FALSE},
        {tabs, TCM_GETITEMRECT, 0, 0, FALSE},
        {tabs, TCM_DELETEITEM, 5, 0, FALSE},
        {tabs, TCM_HITTEST, 0, 0, -1},
        {spin, UDM_SETACCEL, 2, 0, FALSE},
        {spin, UDM_SETBUDDY, 0x1234, 0, 0},  // no such window: no buddy
        {spin, UDM_SETBASE, 8, 0, 0},
        {ip, IPM_GETADDRESS, 0, 0, 0},
        {ip, IPM_SETRANGE, 9, MAKEIPRANGE(0, 1), FALSE},
        {track, TBM_GETTHUMBRECT, 0, 0, 0},
        {track, TBM_GETTIC, 99, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SendMessage(c.window, c.message, c.wParam, c.lParam), c.answer) << "message " << c.message;
    EXPECT_EQ(SendMessage(spin, UDM_GETBUDDY, 0, 0), 0);
    DestroyWindow(tip);
}

// ---------------------------------------------------------------------------
// Progress bar

TEST_F(CommonControlsTest, ProgressBarHoldsItsPositionInTheRange)
{
    HWND p = make(PROGRESS_CLASS, 0, 10, {10, 10, 210, 30});
    struct Step {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT answer;  // what the message returns
        int pos;         // the position after it
    };
    const Step steps[] = {
        {PBM_GETPOS, 0, 0, 0, 0},
        {PBM_GETSTEP, 0, 0, 10, 0},                     // Windows' default step
        {PBM_SETPOS, 150, 0, 0, 100},                    // held to the default 0..100
        {PBM_SETRANGE32, 0, 1000, MAKELONG(0, 100), 100},
        {PBM_GETRANGE, TRUE, 0, 0, 100},                 // the low bound
        {PBM_GETRANGE, FALSE, 0, 1000, 100},             // the high bound
        {PBM_DELTAPOS, static_cast<WPARAM>(-300), 0, 100, 0},
        {PBM_SETSTEP, 400, 0, 10, 0},
        {PBM_STEPIT, 0, 0, 0, 400},
        {PBM_STEPIT, 0, 0, 400, 800},
        {PBM_STEPIT, 0, 0, 800, 200},                    // past the end: starts again
        {PBM_SETRANGE, 0, MAKELPARAM(0, 60000), MAKELONG(0, 1000), 200},  // 16-bit bounds are unsigned
        {PBM_GETRANGE, FALSE, 0, 60000, 200},
        {PBM_SETRANGE, 0, MAKELPARAM(300, 400), MAKELONG(0, 60000), 300},  // the position follows the range
        {PBM_SETPOS, 50, 0, 300, 300},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(SendMessage(p, s.message, s.wParam, s.lParam), s.answer) << "message " << s.message - WM_USER;
        EXPECT_EQ(SendMessage(p, PBM_GETPOS, 0, 0), s.pos) << "message " << s.message - WM_USER;
    }
    PBRANGE range{};
    SendMessage(p, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 300);
    EXPECT_EQ(range.iHigh, 400);
    EXPECT_TRUE(s_heard.empty());
}

// ---------------------------------------------------------------------------
// Track bar

TEST_F(CommonControlsTest, TrackBarRangePositionSelectionAndTicks)
{
    HWND t = make(TRACKBAR_CLASS, TBS_AUTOTICKS | TBS_ENABLESELRANGE, 20, {10, 10, 210, 40});
    EXPECT_EQ(SendMessage(t, TBM_GETRANGEMIN, 0, 0), 0);
    EXPECT_EQ(SendMessage(t, TBM_GETRANGEMAX, 0, 0), 100);
    EXPECT_EQ(SendMessage(t, TBM_GETPAGESIZE, 0, 0), 20);  // a fifth of the range
    EXPECT_EQ(SendMessage(t, TBM_GETLINESIZE, 0, 0), 1);

    SendMessage(t, TBM_SETRANGE, TRUE, MAKELPARAM(-50, 50));
    EXPECT_EQ(SendMessage(t, TBM_GETRANGEMIN, 0, 0), -50);
    SendMessage(t, TBM_SETPOS, TRUE, 80);
    EXPECT_EQ(SendMessage(t, TBM_GETPOS, 0, 0), 50);
    SendMessage(t, TBM_SETRANGEMAX, TRUE, 20);
    EXPECT_EQ(SendMessage(t, TBM_GETPOS, 0, 0), 20);  // held to the new maximum
    EXPECT_EQ(SendMessage(t, TBM_SETPAGESIZE, 0, 7), 14);
    EXPECT_EQ(SendMessage(t, TBM_GETPAGESIZE, 0, 0), 7);

    SendMessage(t, TBM_SETSEL, FALSE, MAKELPARAM(-10, 10));
    EXPECT_EQ(SendMessage(t, TBM_GETSELSTART, 0, 0), -10);
    EXPECT_EQ(SendMessage(t, TBM_GETSELEND, 0, 0), 10);
    SendMessage(t, TBM_SETSELEND, FALSE, 15);
    EXPECT_EQ(SendMessage(t, TBM_GETSELEND, 0, 0), 15);

    // Ticks: the ends always, and one every TBM_SETTICFREQ between.
    SendMessage(t, TBM_SETTICFREQ, 10, 0);
    EXPECT_EQ(SendMessage(t, TBM_GETNUMTICS, 0, 0), 2 + 6);
    EXPECT_FALSE(SendMessage(t, TBM_SETTIC, 0, -50));  // an end is no tick of the program's
    EXPECT_TRUE(SendMessage(t, TBM_SETTIC, 0, 5));
    EXPECT_TRUE(SendMessage(t, TBM_SETTIC, 0, -5));
    EXPECT_EQ(SendMessage(t, TBM_GETTIC, 0, 0), -5);
    EXPECT_EQ(SendMessage(t, TBM_GETTIC, 1, 0), 5);
    EXPECT_EQ(SendMessage(t, TBM_GETTIC, 2, 0), -1);

    // The thumb stays on the channel at both ends.
    RECT channel{};
    RECT thumb{};
    SendMessage(t, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    for (int pos : {-50, 20}) {
        SendMessage(t, TBM_SETPOS, TRUE, pos);
        SendMessage(t, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        EXPECT_GE(thumb.left, channel.left);
        EXPECT_LE(thumb.right, channel.right);
    }
    EXPECT_EQ(thumb.right, channel.right);
    EXPECT_TRUE(s_heard.empty());  // the program's changes are silent
}

TEST_F(CommonControlsTest, TrackBarKeysMoveThenTellTheParent)
{
    HWND t = make(TRACKBAR_CLASS, 0, 21, {10, 10, 210, 40});
    SendMessage(t, TBM_SETPOS, TRUE, 50);
    driver::focus(t);
    struct Case {
        BYTE key;
        UINT code;
        int pos;
    };
    const Case cases[] = {
        {VK_RIGHT, TB_LINEDOWN, 51}, {VK_LEFT, TB_LINEUP, 50},   {VK_NEXT, TB_PAGEDOWN, 70},
        {VK_PRIOR, TB_PAGEUP, 50},   {VK_END, TB_BOTTOM, 100},   {VK_RIGHT, TB_LINEDOWN, 100},  // at the end
        {VK_HOME, TB_TOP, 0},        {VK_UP, TB_LINEUP, 0},
    };
    for (const Case& c : cases) {
        s_heard.clear();
        driver::press(c.key);
        EXPECT_EQ(SendMessage(t, TBM_GETPOS, 0, 0), c.pos) << int(c.key);
        EXPECT_EQ(codes(WM_HSCROLL), (std::vector<UINT>{c.code, TB_ENDTRACK})) << int(c.key);
    }
}

TEST_F(CommonControlsTest, TrackBarMouseDragsTheThumbAndPagesOnTheChannel)
{
    HWND t = make(TRACKBAR_CLASS, TBS_VERT, 22, {10, 10, 40, 210});
    SendMessage(t, TBM_SETPOS, TRUE, 0);
    RECT thumb{};
    SendMessage(t, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));

    // A click below the thumb pages down once (the repeat waits).
    driver::click_at(on_screen(t, {thumb.left + 5, thumb.bottom + 60}));
    EXPECT_EQ(SendMessage(t, TBM_GETPOS, 0, 0), 20);
    EXPECT_EQ(codes(WM_VSCROLL), (std::vector<UINT>{TB_PAGEDOWN, TB_ENDTRACK}));
    EXPECT_EQ(GetFocus(), t);
    EXPECT_EQ(GetCapture(), nullptr);

    // Dragging the thumb to the far end: tracks, then the final position.
    s_heard.clear();
    SendMessage(t, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    namespace input = helm::user::input;
    const POINT grab{thumb.left + 5, thumb.top + 3};
    input::mouse_button(on_screen(t, grab), input::Button::left, true);
    driver::pump_until_idle();
    input::mouse_move(on_screen(t, {grab.x, grab.y + 40}));
    driver::pump_until_idle();
    input::mouse_move(on_screen(t, {grab.x + 80, grab.y + 400}));  // far outside: the capture holds it
    driver::pump_until_idle();
    input::mouse_button(on_screen(t, {grab.x + 80, grab.y + 400}), input::Button::left, false);
    driver::pump_until_idle();
    const auto scrolls = heard(WM_VSCROLL);
    ASSERT_EQ(scrolls.size(), 4u);
    EXPECT_EQ(scrolls[0].code, UINT(TB_THUMBTRACK));
    EXPECT_GT(scrolls[0].a, 20);
    EXPECT_LT(scrolls[0].a, 100);
    EXPECT_EQ(scrolls[1].code, UINT(TB_THUMBTRACK));
    EXPECT_EQ(scrolls[1].a, 100);
    EXPECT_EQ(scrolls[2].code, UINT(TB_THUMBPOSITION));
    EXPECT_EQ(scrolls[2].a, 100);
    EXPECT_EQ(scrolls[3].code, UINT(TB_ENDTRACK));
    EXPECT_EQ(codes(WM_NOTIFY), std::vector<UINT>{NM_RELEASEDCAPTURE});
    EXPECT_EQ(GetCapture(), nullptr);
}

// ---------------------------------------------------------------------------
// Up-down control

class UpDownTest : public CommonControlsTest {
protected:
    void SetUp() override
    {
        CommonControlsTest::SetUp();
        m_edit = make("Edit", WS_BORDER, 30, {10, 10, 110, 31});
        m_spin = make(UPDOWN_CLASS, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_AUTOBUDDY, 31,
                      {0, 0, 16, 10});
        driver::pump_until_idle();
    }
    void click_arrow(int direction)
    {
        RECT r{};
        GetClientRect(m_spin, &r);
        driver::click_at(on_screen(m_spin, {r.right / 2, direction > 0 ? 2 : r.bottom - 3}));
    }
    HWND m_edit = nullptr;
    HWND m_spin = nullptr;
};

TEST_F(UpDownTest, TakesItsBuddyAndItsPlace)
{
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessage(m_spin, UDM_GETBUDDY, 0, 0)), m_edit);
    RECT edit{};
    RECT spin{};
    GetWindowRect(m_edit, &edit);
    GetWindowRect(m_spin, &spin);
    EXPECT_EQ(edit.right - edit.left, 100 - 16);  // the buddy gave up the arrows' width
    EXPECT_EQ(spin.left, edit.right);
    EXPECT_EQ(spin.top, edit.top);
    EXPECT_EQ(spin.bottom, edit.bottom);
    EXPECT_EQ(text_of(m_edit), "0");

    // Windows' default range runs from 100 down to 0.
    EXPECT_EQ(SendMessage(m_spin, UDM_GETRANGE, 0, 0), MAKELONG(0, 100));
    int low = 0;
    int high = 0;
    SendMessage(m_spin, UDM_SETRANGE32, 0, 20000);
    SendMessage(m_spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 20000);

    struct Case {
        int pos;
        const char* text;
    };
    for (const Case& c : {Case{12345, "12,345"}, Case{999, "999"}, Case{30000, "20,000"}, Case{-4, "0"}}) {
        SendMessage(m_spin, UDM_SETPOS32, 0, c.pos);
        EXPECT_EQ(text_of(m_edit), c.text) << c.pos;
    }
    EXPECT_EQ(SendMessage(m_spin, UDM_SETBASE, 16, 0), 10);
    SendMessage(m_spin, UDM_SETPOS32, 0, 255);
    EXPECT_EQ(text_of(m_edit), "0xFF");
    SendMessage(m_spin, UDM_SETBASE, 10, 0);

    // The position is read back from the buddy; text that is no number in
    // the range is an error and leaves the position.
    SetWindowText(m_edit, "1,234");
    BOOL error = TRUE;
    EXPECT_EQ(SendMessage(m_spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)), 1234);
    EXPECT_FALSE(error);
    for (const char* bad : {"abc", "12x", "", "30000"}) {
        SetWindowText(m_edit, bad);
        EXPECT_EQ(SendMessage(m_spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)), 1234) << bad;
        EXPECT_TRUE(error) << bad;
        EXPECT_NE(HIWORD(SendMessage(m_spin, UDM_GETPOS, 0, 0)), 0) << bad;
    }
    EXPECT_TRUE(codes(WM_NOTIFY).empty());  // the program's changes are silent
}

TEST_F(UpDownTest, ArrowsAskTheParentAlsoAtABound)
{
    SendMessage(m_spin, UDM_SETRANGE32, 0, 5);
    SendMessage(m_spin, UDM_SETPOS32, 0, 4);
    click_arrow(+1);
    EXPECT_EQ(text_of(m_edit), "5");
    auto asked = heard(WM_NOTIFY);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].code, UINT(UDN_DELTAPOS));
    EXPECT_EQ(asked[0].id, 31u);
    EXPECT_EQ(asked[0].a, 4);
    EXPECT_EQ(asked[0].b, 1);
    EXPECT_EQ(codes(WM_VSCROLL), (std::vector<UINT>{SB_THUMBPOSITION, SB_ENDSCROLL}));
    EXPECT_EQ(heard(WM_VSCROLL)[0].a, 5);
    EXPECT_EQ(GetFocus(), m_edit);  // the buddy takes the focus

    // At the upper bound: still asked, but nothing moves.
    s_heard.clear();
    click_arrow(+1);
    asked = heard(WM_NOTIFY);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].a, 5);
    EXPECT_EQ(asked[0].b, 1);
    EXPECT_EQ(codes(WM_VSCROLL), std::vector<UINT>{SB_ENDSCROLL});
    EXPECT_EQ(SendMessage(m_spin, UDM_GETPOS32, 0, 0), 5);

    // A parent that refuses keeps the position.
    s_heard.clear();
    s_answer = [](NMHDR* hdr) -> LRESULT { return hdr->code == UDN_DELTAPOS; };
    click_arrow(-1);
    EXPECT_EQ(heard(WM_NOTIFY).at(0).b, -1);
    EXPECT_EQ(text_of(m_edit), "5");
    s_answer = nullptr;

    // The buddy's arrow keys step it; the operator's own number counts.
    driver::focus(m_edit);
    SendMessage(m_edit, EM_SETSEL, 0, -1);
    driver::type("2");
    s_heard.clear();
    driver::press(VK_DOWN);
    EXPECT_EQ(text_of(m_edit), "1");
    EXPECT_EQ(heard(WM_NOTIFY).at(0).a, 2);
}

TEST_F(UpDownTest, WrapsAndRunsBackwardRanges)
{
    SetWindowLong(m_spin, GWL_STYLE, GetWindowLong(m_spin, GWL_STYLE) | UDS_WRAP);
    SendMessage(m_spin, UDM_SETRANGE32, 1, 3);
    SendMessage(m_spin, UDM_SETPOS32, 0, 3);
    click_arrow(+1);
    EXPECT_EQ(text_of(m_edit), "1");
    click_arrow(-1);
    EXPECT_EQ(text_of(m_edit), "3");

    // The up arrow goes toward the upper bound even when it is the smaller.
    SetWindowLong(m_spin, GWL_STYLE, GetWindowLong(m_spin, GWL_STYLE) & ~UDS_WRAP);
    SendMessage(m_spin, UDM_SETRANGE, 0, MAKELPARAM(0, 10));  // upper 0, lower 10
    SendMessage(m_spin, UDM_SETPOS, 0, MAKELPARAM(5, 0));
    s_heard.clear();
    click_arrow(+1);
    EXPECT_EQ(text_of(m_edit), "4");
    EXPECT_EQ(heard(WM_NOTIFY).at(0).b, -1);
}

// ---------------------------------------------------------------------------
// Status bar

TEST_F(CommonControlsTest, StatusBarPartsTextsAndRectangles)
{
    HWND s = CreateStatusWindow(WS_CHILD | WS_VISIBLE, "Ready", m_parent, 40);
    ASSERT_NE(s, nullptr);
    RECT parent{};
    RECT bar{};
    GetClientRect(m_parent, &parent);
    GetWindowRect(s, &bar);
    MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&bar), 2);
    EXPECT_EQ(bar.bottom, parent.bottom);
    EXPECT_EQ(bar.left, 0);
    EXPECT_EQ(bar.right, parent.right);
    EXPECT_GT(bar.bottom - bar.top, 13);

    char text[64] = {};
    EXPECT_EQ(SendMessage(s, SB_GETTEXT, 0, reinterpret_cast<LPARAM>(text)), MAKELONG(5, 0));
    EXPECT_STREQ(text, "Ready");

    const int edges[] = {100, 250, -1};
    EXPECT_TRUE(SendMessage(s, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges)));
    EXPECT_TRUE(SendMessage(s, SB_SETTEXT, 1 | SBT_POPOUT, reinterpret_cast<LPARAM>("COM 1")));
    EXPECT_FALSE(SendMessage(s, SB_SETTEXT, 3, reinterpret_cast<LPARAM>("none")));
    EXPECT_EQ(SendMessage(s, SB_GETTEXTLENGTH, 1, 0), MAKELONG(5, SBT_POPOUT));
    EXPECT_STREQ(text, "Ready");
    int got[4] = {};
    EXPECT_EQ(SendMessage(s, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(got)), 3);
    EXPECT_EQ(got[1], 250);
    EXPECT_EQ(got[2], -1);

    struct Part {
        int index;
        LONG left;
        LONG right;
    };
    for (const Part& p : {Part{0, 0, 100}, Part{1, 102, 250}, Part{2, 252, parent.right}}) {
        RECT r{};
        ASSERT_TRUE(SendMessage(s, SB_GETRECT, p.index, reinterpret_cast<LPARAM>(&r))) << p.index;
        EXPECT_EQ(r.left, p.left) << p.index;
        EXPECT_EQ(r.right, p.right) << p.index;
    }
    RECT r{};
    EXPECT_FALSE(SendMessage(s, SB_GETRECT, 3, reinterpret_cast<LPARAM>(&r)));

    // Fewer parts keep the texts of those that stay.
    EXPECT_TRUE(SendMessage(s, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges)));
    EXPECT_EQ(LOWORD(SendMessage(s, SB_GETTEXTLENGTH, 1, 0)), 5);
    EXPECT_EQ(SendMessage(s, SB_GETTEXTLENGTH, 2, 0), 0);

    // The parent passes its WM_SIZE on: the bar follows the bottom edge.
    SetWindowPos(m_parent, nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER);
    SendMessage(s, WM_SIZE, 0, 0);
    GetClientRect(m_parent, &parent);
    GetWindowRect(s, &bar);
    MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&bar), 2);
    EXPECT_EQ(bar.bottom, parent.bottom);
    EXPECT_EQ(bar.right, parent.right);

    // A click on a part names it.
    driver::click_at(on_screen(s, {150, 8}));
    const auto clicks = heard(WM_NOTIFY);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].code, UINT(NM_CLICK));
    EXPECT_EQ(clicks[0].a, 1);

    SendMessage(s, SB_SIMPLE, TRUE, 0);
    EXPECT_TRUE(SendMessage(s, SB_ISSIMPLE, 0, 0));
    SendMessage(s, SB_SETTEXT, SB_SIMPLEID, reinterpret_cast<LPARAM>("Loading"));
    EXPECT_EQ(LOWORD(SendMessage(s, SB_GETTEXTLENGTH, SB_SIMPLEID, 0)), 7);
    EXPECT_EQ(LOWORD(SendMessage(s, SB_GETTEXTLENGTH, 0, 0)), 5);  // the parts keep theirs
}

// ---------------------------------------------------------------------------
// Tooltips

class TooltipTest : public CommonControlsTest {
protected:
    void SetUp() override
    {
        CommonControlsTest::SetUp();
        m_button = make("Button", BS_PUSHBUTTON, 50, {20, 20, 120, 45}, "Connect");
        m_other = make("Button", BS_PUSHBUTTON, 51, {20, 100, 120, 125}, "Other");
        m_tip = CreateWindowEx(WS_EX_TOPMOST, TOOLTIPS_CLASS, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                               m_parent, nullptr, nullptr, nullptr);
        ASSERT_NE(m_tip, nullptr);
        SendMessage(m_tip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, 100);
    }
    TOOLINFO tool_for(HWND w, const char* text, UINT flags = TTF_IDISHWND | TTF_SUBCLASS)
    {
        TOOLINFO ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = flags;
        ti.hwnd = m_parent;
        ti.uId = reinterpret_cast<UINT_PTR>(w);
        ti.lpszText = const_cast<LPSTR>(text);
        return ti;
    }
    void hover(HWND w, POINT client = {10, 10}) { helm::user::input::mouse_move(on_screen(w, client)); }
    HWND m_button = nullptr;
    HWND m_other = nullptr;
    HWND m_tip = nullptr;
};

TEST_F(TooltipTest, ShowsAfterTheDelayAndGoesWhenTheMouseLeaves)
{
    EXPECT_EQ(SendMessage(m_tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 100);
    EXPECT_EQ(SendMessage(m_tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 1000);
    EXPECT_EQ(SendMessage(m_tip, TTM_GETDELAYTIME, TTDT_RESHOW, 0), 20);
    TOOLINFO ti = tool_for(m_button, "Connect to the sensor");
    ASSERT_TRUE(SendMessage(m_tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti)));
    EXPECT_FALSE(SendMessage(m_tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti)));  // once per id
    EXPECT_EQ(SendMessage(m_tip, TTM_GETTOOLCOUNT, 0, 0), 1);

    const DWORD hovered = GetTickCount();
    hover(m_button);
    driver::pump_until_idle();
    if (GetTickCount() - hovered < 90) {
        EXPECT_FALSE(IsWindowVisible(m_tip));  // not before the delay
    }
    ASSERT_TRUE(tip_shown(m_tip));
    EXPECT_GE(GetTickCount() - hovered, 95u);
    EXPECT_EQ(text_of(m_tip), "Connect to the sensor");
    EXPECT_EQ(codes(WM_NOTIFY), std::vector<UINT>{TTN_SHOW});
    TOOLINFO current{};
    current.cbSize = sizeof current;
    ASSERT_TRUE(SendMessage(m_tip, TTM_GETCURRENTTOOL, 0, reinterpret_cast<LPARAM>(&current)));
    EXPECT_EQ(current.uId, reinterpret_cast<UINT_PTR>(m_button));

    // Below the mouse, clear of the tool's point, wide enough for its text.
    RECT tip{};
    GetWindowRect(m_tip, &tip);
    EXPECT_GT(tip.top, on_screen(m_button, {10, 10}).y);
    auto picture = helm::user::snapshot_window(m_tip);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "commctrl_tooltip");
    const RECT all = helm::gdi::testing::whole(*picture);
    const RECT ink = helm::gdi::testing::ink_bounds(*picture, {1, 1, all.right - 1, all.bottom - 1},
                                                    GetSysColor(COLOR_INFOBK));
    EXPECT_GT(ink.right - ink.left, 60);
    EXPECT_LT(ink.right, all.right - 1);  // the text fits inside the frame

    // On to the next tool: this tip goes, the next comes sooner.
    TOOLINFO next = tool_for(m_other, "Other tip");
    ASSERT_TRUE(SendMessage(m_tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&next)));
    hover(m_other);
    driver::pump_until_idle();
    EXPECT_FALSE(IsWindowVisible(m_tip));
    EXPECT_EQ(codes(WM_NOTIFY), (std::vector<UINT>{TTN_SHOW, TTN_POP}));
    ASSERT_TRUE(tip_shown(m_tip));
    EXPECT_EQ(text_of(m_tip), "Other tip");

    // Up for the pop-up delay at most.
    EXPECT_TRUE(pump_until([this] { return !IsWindowVisible(m_tip); }));

    // A press hides it, and it stays hidden while the mouse stays.
    hover(m_button);
    ASSERT_TRUE(tip_shown(m_tip));
    helm::user::input::mouse_button(on_screen(m_button, {10, 10}), helm::user::input::Button::left, true);
    driver::pump_until_idle();
    EXPECT_FALSE(IsWindowVisible(m_tip));
    helm::user::input::mouse_button(on_screen(m_button, {10, 10}), helm::user::input::Button::left, false);
    hover(m_button, {12, 10});
    pump_for(150);
    EXPECT_FALSE(IsWindowVisible(m_tip));
}

TEST_F(TooltipTest, RelayedMessagesTextsAndDeactivation)
{
    // A rectangle of the parent, told through TTM_RELAYEVENT, with its text
    // from a string resource of the program.
    TOOLINFO ti = tool_for(nullptr, MAKEINTRESOURCE(IDS_ENGLISH_ONLY), 0);
    ti.uId = 7;
    ti.rect = {200, 20, 300, 60};
    ASSERT_TRUE(SendMessage(m_tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti)));
    MSG msg{};
    msg.hwnd = m_parent;
    msg.message = WM_MOUSEMOVE;
    msg.lParam = MAKELPARAM(250, 40);
    SendMessage(m_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    ASSERT_TRUE(tip_shown(m_tip));
    EXPECT_EQ(text_of(m_tip), "Navigation");

    TTHITTESTINFO hit{};
    hit.hwnd = m_parent;
    hit.pt = {210, 30};
    hit.ti.cbSize = sizeof hit.ti;
    EXPECT_TRUE(SendMessage(m_tip, TTM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    EXPECT_EQ(hit.ti.uId, 7u);
    hit.pt = {310, 30};
    EXPECT_FALSE(SendMessage(m_tip, TTM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));

    // New text for the tool, read back through the caller's buffer.
    TOOLINFO update = ti;
    update.lpszText = const_cast<LPSTR>("Start/Stop record");
    SendMessage(m_tip, TTM_UPDATETIPTEXT, 0, reinterpret_cast<LPARAM>(&update));
    EXPECT_EQ(text_of(m_tip), "Start/Stop record");
    char buffer[8] = {};
    TOOLINFO read = ti;
    read.lpszText = buffer;
    SendMessage(m_tip, TTM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(&read));
    EXPECT_STREQ(buffer, "Start/S");  // cut to the buffer

    // The mouse off the rectangle takes the tip away.
    msg.lParam = MAKELPARAM(310, 40);
    SendMessage(m_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    EXPECT_FALSE(IsWindowVisible(m_tip));
    msg.lParam = MAKELPARAM(250, 40);
    SendMessage(m_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    ASSERT_TRUE(tip_shown(m_tip));

    SendMessage(m_tip, TTM_ACTIVATE, FALSE, 0);
    EXPECT_FALSE(IsWindowVisible(m_tip));
    msg.lParam = MAKELPARAM(260, 40);
    SendMessage(m_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    pump_for(150);
    EXPECT_FALSE(IsWindowVisible(m_tip));

    // A tool whose text is asked for when shown; a wrong block size is refused.
    SendMessage(m_tip, TTM_ACTIVATE, TRUE, 0);
    TOOLINFO asked = tool_for(m_other, LPSTR_TEXTCALLBACK);
    asked.cbSize = 12;
    EXPECT_FALSE(SendMessage(m_tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&asked)));
    asked.cbSize = TTTOOLINFO_V1_SIZE;
    ASSERT_TRUE(SendMessage(m_tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&asked)));
    s_answer = [](NMHDR* hdr) -> LRESULT {
        if (hdr->code == TTN_GETDISPINFO)
            std::snprintf(reinterpret_cast<NMTTDISPINFO*>(hdr)->szText, 80, "Asked %u",
                          static_cast<unsigned>(hdr->idFrom != 0));
        return 0;
    };
    hover(m_other);
    ASSERT_TRUE(tip_shown(m_tip));
    EXPECT_EQ(text_of(m_tip), "Asked 1");

    // A tool taken away while shown takes its tip with it.
    SendMessage(m_tip, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&asked));
    EXPECT_FALSE(IsWindowVisible(m_tip));
    EXPECT_EQ(SendMessage(m_tip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

// ---------------------------------------------------------------------------
// Tab control

class TabTest : public CommonControlsTest {
protected:
    void SetUp() override
    {
        CommonControlsTest::SetUp();
        m_tabs = make(WC_TABCONTROL, WS_TABSTOP, 60, {10, 10, 410, 210});
        for (const char* name : {"General", "Ports", "Logs"}) {
            TCITEM item{};
            item.mask = TCIF_TEXT | TCIF_PARAM;
            item.pszText = const_cast<LPSTR>(name);
            item.lParam = static_cast<LPARAM>(std::string(name).size());
            SendMessage(m_tabs, TCM_INSERTITEM, TabCtrl_GetItemCount(m_tabs), reinterpret_cast<LPARAM>(&item));
        }
    }
    void click_tab(int index)
    {
        RECT r{};
        ASSERT_TRUE(SendMessage(m_tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)));
        driver::click_at(on_screen(m_tabs, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    }
    std::string text_at(int index)
    {
        char buffer[32] = {};
        TCITEM item{};
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        SendMessage(m_tabs, TCM_GETITEM, index, reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    HWND m_tabs = nullptr;
};

TEST_F(TabTest, ItemsSelectionAndTheDisplayArea)
{
    EXPECT_EQ(TabCtrl_GetItemCount(m_tabs), 3);
    EXPECT_EQ(TabCtrl_GetCurSel(m_tabs), 0);  // the first tab came selected
    EXPECT_EQ(text_at(1), "Ports");
    TCITEM item{};
    item.mask = TCIF_PARAM;
    ASSERT_TRUE(SendMessage(m_tabs, TCM_GETITEM, 2, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.lParam, 4);
    EXPECT_FALSE(SendMessage(m_tabs, TCM_GETITEM, 3, reinterpret_cast<LPARAM>(&item)));

    EXPECT_EQ(TabCtrl_SetCurSel(m_tabs, 2), 0);
    EXPECT_EQ(TabCtrl_SetCurSel(m_tabs, 5), -1);
    EXPECT_EQ(TabCtrl_GetCurSel(m_tabs), 2);
    EXPECT_TRUE(s_heard.empty());  // silent

    // Inserting before the selected tab moves the selection with it;
    // deleting it leaves nothing selected.
    TCITEM first{};
    first.mask = TCIF_TEXT;
    first.pszText = const_cast<LPSTR>("Mobile 1");
    EXPECT_EQ(SendMessage(m_tabs, TCM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&first)), 0);
    EXPECT_EQ(TabCtrl_GetCurSel(m_tabs), 3);
    EXPECT_EQ(text_at(3), "Logs");
    EXPECT_TRUE(SendMessage(m_tabs, TCM_DELETEITEM, 3, 0));
    EXPECT_EQ(TabCtrl_GetCurSel(m_tabs), -1);
    EXPECT_EQ(SendMessage(m_tabs, TCM_INSERTITEM, 99, reinterpret_cast<LPARAM>(&first)), 3);  // at the end

    // Tabs side by side in one row; the hit test finds each.
    RECT a{};
    RECT b{};
    SendMessage(m_tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&a));
    SendMessage(m_tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(a.right, b.left);
    EXPECT_EQ(a.top, b.top);
    TCHITTESTINFO hit{{(b.left + b.right) / 2, (b.top + b.bottom) / 2}, 0};
    EXPECT_EQ(SendMessage(m_tabs, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
    EXPECT_EQ(hit.flags, UINT(TCHT_ONITEMLABEL));
    hit.pt = {200, 150};
    EXPECT_EQ(SendMessage(m_tabs, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
    EXPECT_EQ(hit.flags, UINT(TCHT_NOWHERE));

    // The display area lies below the tabs, inside the control; going back
    // gives the control's rectangle again.
    RECT client{};
    GetClientRect(m_tabs, &client);
    RECT display = client;
    TabCtrl_AdjustRect(m_tabs, FALSE, &display);
    EXPECT_GT(display.top, a.bottom);
    EXPECT_GT(display.left, client.left);
    EXPECT_LT(display.right, client.right);
    EXPECT_LT(display.bottom, client.bottom);
    TabCtrl_AdjustRect(m_tabs, TRUE, &display);
    EXPECT_EQ(display.left, client.left);
    EXPECT_EQ(display.top, client.top);
    EXPECT_EQ(display.right, client.right);
    EXPECT_EQ(display.bottom, client.bottom);

    EXPECT_TRUE(SendMessage(m_tabs, TCM_DELETEALLITEMS, 0, 0));
    EXPECT_EQ(TabCtrl_GetItemCount(m_tabs), 0);
    EXPECT_EQ(TabCtrl_GetCurSel(m_tabs), -1);
}

TEST_F(TabTest, TheOperatorsPickIsAskedThenTold)
{
    click_tab(2);
    EXPECT_EQ(TabCtrl_GetCurSel(m_tabs), 2);
    EXPECT_EQ(codes(WM_NOTIFY), (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE, NM_CLICK}));
    EXPECT_EQ(heard(WM_NOTIFY)[0].id, 60u);

    // A click on the selected tab changes nothing.
    s_heard.clear();
    click_tab(2);
    EXPECT_EQ(codes(WM_NOTIFY), std::vector<UINT>{NM_CLICK});

    // A parent that refuses keeps the page it has.
    s_heard.clear();
    s_answer = [](NMHDR* hdr) -> LRESULT { return hdr->code == TCN_SELCHANGING; };
    click_tab(0);
    EXPECT_EQ(TabCtrl_GetCurSel(m_tabs), 2);
    EXPECT_EQ(codes(WM_NOTIFY), (std::vector<UINT>{TCN_SELCHANGING, NM_CLICK}));
    s_answer = nullptr;

    // Keys with the focus on the tabs.
    driver::focus(m_tabs);
    struct Case {
        BYTE key;
        int selected;
        std::vector<UINT> heard;
    };
    const Case cases[] = {
        {VK_LEFT, 1, {TCN_KEYDOWN, TCN_SELCHANGING, TCN_SELCHANGE}},
        {VK_HOME, 0, {TCN_KEYDOWN, TCN_SELCHANGING, TCN_SELCHANGE}},
        {VK_LEFT, 0, {TCN_KEYDOWN}},  // at the first tab
        {VK_END, 2, {TCN_KEYDOWN, TCN_SELCHANGING, TCN_SELCHANGE}},
    };
    for (const Case& c : cases) {
        s_heard.clear();
        driver::press(c.key);
        EXPECT_EQ(TabCtrl_GetCurSel(m_tabs), c.selected) << int(c.key);
        auto got = codes(WM_NOTIFY);
        std::erase_if(got, [](UINT code) { return code == NM_SETFOCUS || code == NM_KILLFOCUS; });
        EXPECT_EQ(got, c.heard) << int(c.key);
    }
}

// ---------------------------------------------------------------------------
// IP address control

class IpAddressTest : public CommonControlsTest {
protected:
    void SetUp() override
    {
        CommonControlsTest::SetUp();
        m_ip = make(WC_IPADDRESS, WS_TABSTOP, 70, {10, 10, 170, 31});
        m_other = make("Edit", WS_TABSTOP, 71, {10, 60, 170, 81});
    }
    DWORD address(LRESULT* filled = nullptr)
    {
        DWORD a = 0;
        const LRESULT n = SendMessage(m_ip, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&a));
        if (filled)
            *filled = n;
        return a;
    }
    std::vector<std::pair<int, int>> fields_changed()
    {
        std::vector<std::pair<int, int>> out;
        for (const Heard& h : heard(WM_NOTIFY))
            if (h.code == IPN_FIELDCHANGED)
                out.emplace_back(h.a, h.b);
        return out;
    }
    HWND m_ip = nullptr;
    HWND m_other = nullptr;
};

TEST_F(IpAddressTest, ProgramSetsAndReadsSilently)
{
    EXPECT_TRUE(SendMessage(m_ip, IPM_ISBLANK, 0, 0));
    LRESULT filled = -1;
    EXPECT_EQ(address(&filled), 0u);
    EXPECT_EQ(filled, 0);

    SendMessage(m_ip, IPM_SETADDRESS, 0, MAKEIPADDRESS(192, 168, 1, 20));
    EXPECT_EQ(address(&filled), 0xC0A80114u);
    EXPECT_EQ(filled, 4);
    EXPECT_FALSE(SendMessage(m_ip, IPM_ISBLANK, 0, 0));
    EXPECT_EQ(text_of(m_ip), "192.168.1.20");
    EXPECT_EQ(FIRST_IPADDRESS(address()), 192u);
    EXPECT_EQ(FOURTH_IPADDRESS(address()), 20u);

    SetWindowText(m_ip, "10..7.999");
    EXPECT_EQ(address(&filled), 0x0A000700u);
    EXPECT_EQ(filled, 2);  // blank and unreadable fields are blank
    EXPECT_EQ(text_of(m_ip), "10..7.");

    SendMessage(m_ip, IPM_CLEARADDRESS, 0, 0);
    EXPECT_TRUE(SendMessage(m_ip, IPM_ISBLANK, 0, 0));
    EXPECT_FALSE(SendMessage(m_ip, IPM_SETRANGE, 4, MAKEIPRANGE(0, 10)));
    EXPECT_FALSE(SendMessage(m_ip, IPM_SETRANGE, 0, MAKEIPRANGE(10, 0)));
    EXPECT_TRUE(s_heard.empty());
}

TEST_F(IpAddressTest, TypingMovesThroughTheFieldsAndHoldsThemToTheirRange)
{
    ASSERT_TRUE(SendMessage(m_ip, IPM_SETRANGE, 0, MAKEIPRANGE(1, 223)));
    SendMessage(m_ip, IPM_SETFOCUS, 0, 0);
    driver::pump_until_idle();
    ASSERT_EQ(GetFocus(), m_ip);
    s_heard.clear();

    // Three digits move on by themselves, the dot when the field has one.
    driver::type("192168.");
    EXPECT_EQ(text_of(m_ip), "192.168..");
    driver::type(".1.300");
    EXPECT_EQ(text_of(m_ip), "192.168.1.300");
    EXPECT_EQ(fields_changed(), (std::vector<std::pair<int, int>>{{0, 192}, {1, 168}, {2, 1}}));
    auto commands = heard(WM_COMMAND);
    EXPECT_FALSE(commands.empty());
    EXPECT_EQ(commands.front().code, UINT(EN_CHANGE));
    EXPECT_EQ(commands.front().a, 70);

    // Leaving the control holds the last field to 0..255.
    s_heard.clear();
    driver::focus(m_other);
    EXPECT_EQ(address(), static_cast<DWORD>(MAKEIPADDRESS(192, 168, 1, 255)));
    EXPECT_EQ(fields_changed(), (std::vector<std::pair<int, int>>{{3, 255}}));

    // The first field's own range; the parent may put its value in.
    SendMessage(m_ip, IPM_SETFOCUS, 0, 0);
    driver::pump_until_idle();
    s_heard.clear();
    driver::type("0");
    driver::press(VK_RIGHT);
    EXPECT_EQ(FIRST_IPADDRESS(address()), 1u);
    EXPECT_EQ(fields_changed(), (std::vector<std::pair<int, int>>{{0, 1}}));
    s_answer = [](NMHDR* hdr) -> LRESULT {
        if (hdr->code == IPN_FIELDCHANGED)
            reinterpret_cast<NMIPADDRESS*>(hdr)->iValue = 42;
        return 0;
    };
    driver::type("9");
    driver::press(VK_LEFT);
    s_answer = nullptr;
    EXPECT_EQ(SECOND_IPADDRESS(address()), 42u);

    // Backspace empties the field, then steps back into the one before
    // and takes its last digit.
    SendMessage(m_ip, IPM_SETFOCUS, 2, 0);
    driver::pump_until_idle();
    driver::press(VK_BACK);
    driver::press(VK_BACK);
    driver::press(VK_BACK);
    driver::type("7");
    LRESULT filled = 0;
    const DWORD a = address(&filled);
    EXPECT_EQ(filled, 3);
    EXPECT_EQ(SECOND_IPADDRESS(a), 47u);  // "42" lost its last digit, then took the 7
    EXPECT_EQ(text_of(m_ip), "1.47..255");
}

// ---------------------------------------------------------------------------
// Painted in the classic look

namespace paint_test {

using helm::gdi::testing::count_of;
using helm::gdi::testing::keep_png;

TEST_F(CommonControlsTest, EachControlPaintsItsState)
{
    HWND progress = make(PROGRESS_CLASS, PBS_SMOOTH, 80, {10, 10, 210, 28});
    SendMessage(progress, PBM_SETPOS, 50, 0);
    HWND blocks = make(PROGRESS_CLASS, 0, 81, {220, 10, 420, 28});
    SendMessage(blocks, PBM_SETPOS, 30, 0);
    HWND track = make(TRACKBAR_CLASS, TBS_AUTOTICKS | TBS_ENABLESELRANGE, 82, {10, 40, 210, 75});
    SendMessage(track, TBM_SETTICFREQ, 10, 0);
    SendMessage(track, TBM_SETSEL, TRUE, MAKELPARAM(20, 60));
    SendMessage(track, TBM_SETPOS, TRUE, 80);
    HWND edit = make("Edit", WS_BORDER, 83, {220, 40, 300, 61});
    HWND spin = make(UPDOWN_CLASS, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY, 84, {0, 0, 16, 10});
    SendMessage(spin, UDM_SETRANGE32, 0, 99);
    SendMessage(spin, UDM_SETPOS32, 0, 42);
    HWND ip = make(WC_IPADDRESS, 0, 85, {310, 40, 470, 61});
    SendMessage(ip, IPM_SETADDRESS, 0, MAKEIPADDRESS(192, 168, 0, 1));
    HWND tabs = make(WC_TABCONTROL, 0, 86, {10, 85, 300, 200});
    for (const char* name : {"General", "Ports", "Logs"}) {
        TCITEM item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<LPSTR>(name);
        SendMessage(tabs, TCM_INSERTITEM, 9, reinterpret_cast<LPARAM>(&item));
    }
    SendMessage(tabs, TCM_SETCURSEL, 1, 0);
    HWND status = CreateStatusWindow(WS_CHILD | WS_VISIBLE, "Ready", m_parent, 87);
    const int edges[] = {120, -1};
    SendMessage(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    SendMessage(status, SB_SETTEXT, 1, reinterpret_cast<LPARAM>("COM 1"));
    (void)edit;

    auto picture = helm::user::snapshot_window(m_parent);
    ASSERT_TRUE(picture);
    keep_png(*picture, "commctrl_bars");
    auto in = [&](HWND w) { return helm::user::rect_in_snapshot(m_parent, w, true); };
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF face = GetSysColor(COLOR_3DFACE);

    // Half of the smooth bar's inside is the highlight; the blocks leave gaps.
    RECT p = in(progress);
    RECT pc{};
    GetClientRect(progress, &pc);
    const int bar_area = (pc.right - 4) * (pc.bottom - 4);  // inside the frame and gap
    EXPECT_NEAR(count_of(*picture, p, highlight), bar_area / 2, bar_area / 20);
    RECT b = in(blocks);
    const int blocks_lit = count_of(*picture, b, highlight);
    EXPECT_GT(blocks_lit, bar_area * 3 / 10 * 2 / 3);
    EXPECT_LT(blocks_lit, bar_area * 3 / 10);

    // The track bar's selection is lit in its channel, and the thumb is raised
    // face-coloured at 80 %.
    RECT t = in(track);
    EXPECT_GT(count_of(*picture, t, highlight), 0);
    RECT thumb{};
    SendMessage(track, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    OffsetRect(&thumb, t.left, t.top);
    InflateRect(&thumb, -2, -2);
    EXPECT_TRUE(helm::gdi::testing::area_is(*picture, thumb, face));

    // Text lands in the IP fields, the selected tab and the status parts.
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    RECT i = in(ip);
    EXPECT_GT(helm::gdi::testing::ink_count(*picture, i, window), 20);
    RECT tab{};
    SendMessage(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
    RECT tb = in(tabs);
    OffsetRect(&tab, tb.left, tb.top);
    InflateRect(&tab, -4, -3);
    EXPECT_GT(count_of(*picture, tab, GetSysColor(COLOR_BTNTEXT)), 10);
    RECT part{};
    SendMessage(status, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
    RECT sb = in(status);
    OffsetRect(&part, sb.left, sb.top);
    InflateRect(&part, -2, -2);
    EXPECT_GT(count_of(*picture, part, GetSysColor(COLOR_BTNTEXT)), 10);
    EXPECT_GT(count_of(*picture, in(spin), GetSysColor(COLOR_BTNTEXT)), 4);  // the arrows
}

}  // namespace paint_test

}  // namespace
