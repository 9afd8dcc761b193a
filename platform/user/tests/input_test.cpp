// Operator input: where mouse and key messages go, the capture, the key
// state, windows under a point, and window placement.

#include <gtest/gtest.h>

#include <vector>

#include "helm/user/screen.h"
#include "helm/user/testing/driver.h"

namespace drive = helm::user::testing;
namespace input = helm::user::input;
using drive::MessageLog;

namespace {

// Answers WM_NCHITTEST with HTTRANSPARENT while its user data says so, and
// WM_GETMINMAXINFO with the sizes kept in g_limits when set.
MINMAXINFO* g_limits = nullptr;
std::vector<SHORT> g_shift_at_keydown;

LRESULT CALLBACK plain_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_NCHITTEST && GetWindowLongPtr(w, GWLP_USERDATA))
        return HTTRANSPARENT;
    if (m == WM_GETMINMAXINFO && g_limits) {
        *reinterpret_cast<MINMAXINFO*>(lp) = *g_limits;
        return 0;
    }
    if (m == WM_KEYDOWN)
        g_shift_at_keydown.push_back(GetKeyState(VK_SHIFT));
    return DefWindowProc(w, m, wp, lp);
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool registered = [] {
            WNDCLASS wc{};
            wc.lpfnWndProc = plain_proc;
            wc.lpszClassName = "InputTestWindow";
            WNDCLASS dbl = wc;
            dbl.style = CS_DBLCLKS;
            dbl.lpszClassName = "InputTestDoubleClicks";
            return RegisterClass(&wc) != 0 && RegisterClass(&dbl) != 0;
        }();
        ASSERT_TRUE(registered);
        g_limits = nullptr;
        g_shift_at_keydown.clear();
    }
    void TearDown() override
    {
        ReleaseCapture();
        for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
            if (IsWindow(*it))
                DestroyWindow(*it);
        drive::pump_until_idle();
        helm::user::set_screen(nullptr);
    }
    HWND make(DWORD style, RECT r, HWND parent = nullptr, int id = 0, DWORD ex_style = 0,
              LPCSTR window_class = "InputTestWindow")
    {
        HWND w = CreateWindowEx(ex_style, window_class, "", style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)),
                                nullptr, nullptr);
        m_windows.push_back(w);
        return w;
    }
    std::vector<HWND> m_windows;
};

struct MouseAt {
    UINT message;
    WPARAM flags;
    POINT client;
    bool posted;
};

bool same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

std::vector<MouseAt> mouse_of(const MessageLog& log)
{
    std::vector<MouseAt> out;
    for (const auto& m : log.messages())
        if (m.message >= WM_MOUSEMOVE && m.message <= WM_MBUTTONUP)
            out.push_back({m.message, m.wParam, {static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))}, m.posted});
    return out;
}

TEST_F(InputTest, ClicksGoToTheDeepestWindowUnderThePointInClientCoordinates)
{
    HWND top = make(WS_POPUP | WS_VISIBLE | WS_BORDER, {100, 100, 500, 400});
    HWND panel = make(WS_CHILD | WS_VISIBLE, {10, 10, 210, 110}, top, 1);
    HWND button = make(WS_CHILD | WS_VISIBLE, {20, 30, 80, 50}, panel, 2);
    HWND cover = make(WS_CHILD | WS_VISIBLE, {0, 0, 200, 100}, panel, 3);  // below the button in Z order
    MessageLog top_log(top), panel_log(panel), button_log(button), cover_log(cover);

    // Screen (100 + 1 + 10 + 20 + 5, 100 + 1 + 10 + 30 + 4) is (5, 4) in the button.
    drive::click_at({136, 145});
    auto seen = mouse_of(button_log);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(seen[1].flags, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(seen[1].client.x, 5);
    EXPECT_EQ(seen[1].client.y, 4);
    EXPECT_EQ(seen[2].message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(seen[2].flags, 0u);
    EXPECT_TRUE(seen[2].posted) << "input comes through the queue";
    EXPECT_TRUE(mouse_of(panel_log).empty());
    EXPECT_TRUE(mouse_of(top_log).empty());

    // A window answering HTTRANSPARENT lets the point through to what is
    // below it; a disabled child lets it through to its parent.
    SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(WindowFromPoint({136, 145}), cover);
    SetWindowLongPtr(cover, GWLP_USERDATA, 1);
    EXPECT_EQ(WindowFromPoint({136, 145}), button);
    EnableWindow(button, FALSE);
    EXPECT_EQ(WindowFromPoint({136, 145}), panel);
    // Hidden windows are never under the point; off every window is nothing.
    ShowWindow(panel, SW_HIDE);
    EXPECT_EQ(WindowFromPoint({136, 145}), top);
    EXPECT_EQ(WindowFromPoint({50, 50}), nullptr);
    EXPECT_FALSE(input::mouse_button({50, 50}, input::Button::left, true));
    input::mouse_button({50, 50}, input::Button::left, false);

    // A disabled top-level window (the owner of a modal dialog) gets nothing.
    EnableWindow(top, FALSE);
    top_log.clear();
    drive::click_at({300, 300});
    EXPECT_TRUE(mouse_of(top_log).empty());
}

// The driver's drag: the button held through even steps, released at the
// end, the held button in every move's flags.
TEST_F(InputTest, DriverDragsWithTheButtonHeld)
{
    HWND top = make(WS_POPUP | WS_VISIBLE, {100, 100, 400, 300});
    MessageLog log(top);
    drive::drag({110, 120}, {150, 100 + 60}, 2, input::Button::right);
    const auto seen = mouse_of(log);
    ASSERT_EQ(seen.size(), 5u);
    const UINT messages[] = {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_MOUSEMOVE, WM_MOUSEMOVE, WM_RBUTTONUP};
    const POINT points[] = {{10, 20}, {10, 20}, {30, 40}, {50, 60}, {50, 60}};
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].message, messages[i]) << i;
        EXPECT_EQ(seen[i].client.x, points[i].x) << i;
        EXPECT_EQ(seen[i].client.y, points[i].y) << i;
    }
    EXPECT_EQ(seen[2].flags, static_cast<WPARAM>(MK_RBUTTON));
    EXPECT_EQ(seen[4].flags, 0u);
}

TEST_F(InputTest, ASecondPressIsADoubleClickOnlyWhereTheClassWantsIt)
{
    HWND wants = make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100}, nullptr, 0, 0, "InputTestDoubleClicks");
    HWND plain = make(WS_POPUP | WS_VISIBLE, {200, 0, 300, 100});
    MessageLog wants_log(wants), plain_log(plain);
    // The tick stands still, so only the class and the places decide, however
    // slowly a loaded machine runs the driver between two presses.
    helm::kernel::set_tick_source([] { return DWORD{1000}; });
    struct RealTick {
        ~RealTick() { helm::kernel::set_tick_source({}); }
    } real_tick;
    const std::initializer_list<UINT> buttons = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
    drive::double_click(wants);
    drive::click(wants);  // a third press starts again
    EXPECT_EQ(wants_log.only(buttons), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                                          WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    drive::double_click(plain);
    EXPECT_EQ(plain_log.only(buttons),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    // Presses farther apart than the double-click square are two clicks.
    wants_log.clear();
    drive::click_at({50, 50});
    drive::click_at({54, 50});
    EXPECT_EQ(wants_log.only({WM_LBUTTONDBLCLK}).size(), 0u);
}

// Over a window's frame the non-client forms come, with the part and the
// screen point; which part is asked when the thread takes the input, so a
// frame that changed since the click was handed in decides. The frame's
// double clicks come whatever the class says; a press on another part is
// no double click.
TEST_F(InputTest, TheFrameGetsNonClientMessagesForThePartUnderThePointWhenTaken)
{
    HWND w = make(WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, {100, 100, 400, 300});
    MessageLog log(w);
    helm::kernel::set_tick_source([] { return DWORD{1000}; });
    struct RealTick {
        ~RealTick() { helm::kernel::set_tick_source({}); }
    } real_tick;
    RECT client{};
    GetClientRect(w, &client);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const POINT on_caption{250, client.top - 2};
    const POINT below_caption{250, client.top};  // within the double-click square
    const POINT right_edge{client.right - 5, 200};
    // The presses: message, then the part and screen point of a non-client
    // form (both 0 for the client forms).
    struct Press {
        UINT message;
        WPARAM part;
        LPARAM point;
        bool operator==(const Press&) const = default;
    };
    auto presses = [&] {
        std::vector<Press> out;
        for (const auto& m : log.messages()) {
            if (m.message == WM_NCLBUTTONDOWN || m.message == WM_NCLBUTTONDBLCLK)
                out.push_back({m.message, m.wParam, m.lParam});
            else if (m.message == WM_LBUTTONDOWN || m.message == WM_LBUTTONDBLCLK)
                out.push_back({m.message, 0, 0});
        }
        log.clear();
        return out;
    };
    using Presses = std::vector<Press>;
    const LPARAM caption_point = MAKELPARAM(on_caption.x, on_caption.y);

    drive::click_at(on_caption);
    EXPECT_EQ(presses(), (Presses{{WM_NCLBUTTONDOWN, HTCAPTION, caption_point}}));
    drive::click_at(on_caption);
    EXPECT_EQ(presses(), (Presses{{WM_NCLBUTTONDBLCLK, HTCAPTION, caption_point}})) << "without CS_DBLCLKS";
    drive::click_at(on_caption);
    drive::click_at(below_caption);
    EXPECT_EQ(presses(), (Presses{{WM_NCLBUTTONDOWN, HTCAPTION, caption_point}, {WM_LBUTTONDOWN, 0, 0}}))
        << "another part: no double click";

    // Handed in over the client area; the window's bar appears there before
    // the thread takes the press.
    ASSERT_TRUE(input::mouse_button(right_edge, input::Button::left, true));
    ASSERT_TRUE(input::mouse_button(right_edge, input::Button::left, false));
    ShowScrollBar(w, SB_VERT, TRUE);
    drive::pump_until_idle();
    EXPECT_EQ(presses(), (Presses{{WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(right_edge.x, right_edge.y)}}));
}

TEST_F(InputTest, ChildWindowFromPointSeesHiddenChildrenUnlessTold)
{
    HWND top = make(WS_POPUP | WS_VISIBLE, {0, 0, 300, 300});
    HWND hidden = make(WS_CHILD, {10, 10, 60, 60}, top, 1);
    HWND shown = make(WS_CHILD | WS_VISIBLE, {10, 10, 60, 60}, top, 2);
    EXPECT_EQ(ChildWindowFromPoint(top, {20, 20}), hidden);
    EXPECT_EQ(ChildWindowFromPointEx(top, {20, 20}, CWP_SKIPINVISIBLE), shown);
    EXPECT_EQ(ChildWindowFromPoint(top, {200, 200}), top);
    EXPECT_EQ(ChildWindowFromPoint(top, {400, 20}), nullptr);
}

TEST_F(InputTest, TheCaptureTakesEveryMouseMessageUntilReleased)
{
    HWND a = make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    HWND b = make(WS_POPUP | WS_VISIBLE, {200, 0, 300, 100});
    MessageLog a_log(a), b_log(b);
    EXPECT_EQ(SetCapture(a), nullptr);
    EXPECT_EQ(GetCapture(), a);
    drive::click_at({250, 50});
    auto seen = mouse_of(a_log);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].client.x, 250);
    EXPECT_TRUE(mouse_of(b_log).empty());

    // Taking or releasing the capture tells the window that loses it.
    EXPECT_EQ(SetCapture(b), a);
    EXPECT_EQ(a_log.only({WM_CAPTURECHANGED}).size(), 1u);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(b_log.only({WM_CAPTURECHANGED}).size(), 1u);
    EXPECT_EQ(GetCapture(), nullptr);
    drive::click_at({250, 50});
    EXPECT_EQ(mouse_of(b_log).size(), 3u);

    // A destroyed capture window takes the capture with it.
    SetCapture(a);
    DestroyWindow(a);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, KeysGoToTheFocusAndKeyStateFollowsTheMessages)
{
    HWND top = make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    HWND child = make(WS_CHILD | WS_VISIBLE, {0, 0, 50, 50}, top, 1);
    SetFocus(child);
    MessageLog log(child);
    // All input is handed in before the loop runs: the key state the
    // window sees at each message is the state that message brought.
    input::key(VK_SHIFT, true);
    input::key(VK_TAB, true);
    input::key(VK_TAB, false);
    input::key(VK_SHIFT, false);
    input::key('A', true);
    input::key('A', false);
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
    drive::pump_until_idle();
    ASSERT_EQ(g_shift_at_keydown.size(), 3u);
    EXPECT_LT(g_shift_at_keydown[0], 0) << "Shift down at its own key-down";
    EXPECT_LT(g_shift_at_keydown[1], 0) << "Shift down at Tab";
    EXPECT_GE(g_shift_at_keydown[2], 0) << "Shift up at A";
    EXPECT_EQ(log.only({WM_KEYDOWN, WM_KEYUP}),
              (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_KEYUP, WM_KEYUP, WM_KEYDOWN, WM_KEYUP}));
    std::vector<WPARAM> chars;
    for (const auto& m : log.messages())
        if (m.message == WM_CHAR)
            chars.push_back(m.wParam);
    EXPECT_EQ(chars, (std::vector<WPARAM>{'\t', 'a'}));
    // The lParam of a key-up has the transition and previous-state bits.
    for (const auto& m : log.messages()) {
        if (m.message == WM_KEYUP) {
            EXPECT_EQ(static_cast<DWORD>(m.lParam) & 0xC0000000u, 0xC0000000u);
        }
    }
    // Nothing has the focus: the keys go to the active window.
    SetFocus(nullptr);
    MessageLog top_log(top);
    drive::press(VK_ESCAPE);
    EXPECT_EQ(top_log.only({WM_KEYDOWN}).size(), 1u);
}

TEST_F(InputTest, QueuedInputForADestroyedWindowIsDropped)
{
    HWND top = make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    HWND child = make(WS_CHILD | WS_VISIBLE, {0, 0, 50, 50}, top, 1);
    SetFocus(child);
    MessageLog log(top), child_log(child);
    input::mouse_button({10, 10}, input::Button::left, true);
    input::key('X', true);
    PostMessage(child, WM_APP, 0, 0);
    PostMessage(top, WM_APP, 0, 0);
    DestroyWindow(top);
    drive::pump_until_idle();
    EXPECT_FALSE(IsWindow(child));
    EXPECT_TRUE(log.only({WM_APP, WM_LBUTTONDOWN}).empty());
    EXPECT_TRUE(child_log.only({WM_APP, WM_LBUTTONDOWN, WM_KEYDOWN}).empty());
    input::mouse_button({10, 10}, input::Button::left, false);
    input::key('X', false);
    drive::pump_until_idle();
}

TEST_F(InputTest, PlacementRoundTripsThroughMinimiseAndRestore)
{
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 60, 450, 360});
    const RECT original{50, 60, 450, 360};
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    ASSERT_TRUE(GetWindowPlacement(w, &p));
    EXPECT_EQ(p.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_TRUE(EqualRect(&p.rcNormalPosition, &original));

    // Set minimised with another normal rectangle: it stays minimised, the
    // placement keeps the normal one, and restoring moves the window there.
    p.showCmd = SW_SHOWMINIMIZED;
    p.rcNormalPosition = {100, 120, 400, 320};
    ASSERT_TRUE(SetWindowPlacement(w, &p));
    EXPECT_TRUE(IsIconic(w));
    WINDOWPLACEMENT q{};
    q.length = sizeof q;
    GetWindowPlacement(w, &q);
    EXPECT_EQ(q.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    EXPECT_TRUE(EqualRect(&q.rcNormalPosition, &p.rcNormalPosition));
    ShowWindow(w, SW_RESTORE);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_TRUE(EqualRect(&r, &p.rcNormalPosition));

    // Normal placement of a normal window moves it at once.
    q.showCmd = SW_SHOWNORMAL;
    q.rcNormalPosition = {10, 20, 310, 220};
    SetWindowPlacement(w, &q);
    GetWindowRect(w, &r);
    EXPECT_TRUE(EqualRect(&r, &q.rcNormalPosition));
    EXPECT_FALSE(SetWindowPlacement(w, nullptr));
}

TEST_F(InputTest, PlacementIsInWorkspaceCoordinates)
{
    // A task bar along the top: the work area starts 40 pixels down.
    helm::user::set_screen(std::make_shared<helm::user::HeadlessScreen>(
        std::vector<helm::user::Monitor>{{{0, 0, 1920, 1080}, {0, 40, 1920, 1080}, true}}));
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 100, 450, 400});
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    GetWindowPlacement(w, &p);
    EXPECT_EQ(p.rcNormalPosition.top, 60);
    p.rcNormalPosition = {0, 0, 300, 200};
    SetWindowPlacement(w, &p);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.left, 0);
}

TEST_F(InputTest, MinMaxInfoBoundsMaximisingAndSizing)
{
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 60, 450, 360});
    // The default: the frame of a maximised window hangs outside the work
    // area.
    ShowWindow(w, SW_MAXIMIZE);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, -4);
    EXPECT_EQ(r.top, -4);
    EXPECT_EQ(r.right, 1924);
    EXPECT_EQ(r.bottom, 1084);
    ShowWindow(w, SW_RESTORE);

    MINMAXINFO limits{};
    limits.ptMaxSize = {800, 600};
    limits.ptMaxPosition = {100, 50};
    limits.ptMinTrackSize = {200, 150};
    limits.ptMaxTrackSize = {1000, 700};
    g_limits = &limits;
    ShowWindow(w, SW_MAXIMIZE);
    GetWindowRect(w, &r);
    EXPECT_TRUE(same(r, {100, 50, 900, 650}));
    ShowWindow(w, SW_RESTORE);
    GetWindowRect(w, &r);
    EXPECT_TRUE(same(r, {50, 60, 450, 360}));

    // Sizing a sizable window stays within the tracking sizes; a fixed one
    // is not bounded.
    MoveWindow(w, 0, 0, 50, 5000, FALSE);
    GetWindowRect(w, &r);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(r.bottom - r.top, 700);
    HWND fixed = make(WS_POPUP | WS_VISIBLE | WS_CAPTION, {0, 0, 300, 300});
    MoveWindow(fixed, 0, 0, 50, 20, FALSE);
    GetWindowRect(fixed, &r);
    EXPECT_EQ(r.right - r.left, 50);
}

}  // namespace
