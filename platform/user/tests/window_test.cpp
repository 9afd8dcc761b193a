// Windows: creation and destruction order, the family, longs, text,
// rectangles and focus.

#include <gtest/gtest.h>

#include <cstring>

#include "recorder.h"

using namespace user_test;

namespace {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(recording_class(), nullptr);
        Recorder::instance().clear();
        clear_answers();
    }
    void TearDown() override
    {
        for (HWND w : m_windows)
            if (IsWindow(w))
                DestroyWindow(w);
        clear_answers();
        pump();
    }
    HWND top(DWORD style = WS_OVERLAPPED, DWORD ex = 0, RECT r = {10, 20, 310, 220})
    {
        HWND w = CreateWindowEx(ex, recording_class(), "top", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                nullptr, nullptr, nullptr, nullptr);
        m_windows.push_back(w);
        return w;
    }
    HWND child(HWND parent, int id, RECT r = {5, 5, 55, 25}, DWORD style = 0)
    {
        return CreateWindowEx(0, recording_class(), "child", WS_CHILD | style, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr,
                              nullptr);
    }
    std::vector<HWND> m_windows;
};

TEST_F(WindowTest, CreationSendsNcCreateCreateSizeMoveWithTheCreateStruct)
{
    int tag = 42;
    HWND w = CreateWindowEx(WS_EX_TOOLWINDOW, recording_class(), "Title", WS_POPUP, 1, 2, 30, 40, nullptr, nullptr,
                            nullptr, &tag);
    m_windows.push_back(w);
    ASSERT_NE(w, nullptr);
    auto seen = Recorder::instance().take();
    std::vector<UINT> order;
    for (const Seen& s : seen)
        order.push_back(s.message);
    EXPECT_EQ(order, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}));
    // The CREATESTRUCT is only alive during the call; check the copied text.
    char text[16];
    EXPECT_EQ(GetWindowText(w, text, sizeof text), 5);
    EXPECT_STREQ(text, "Title");
    EXPECT_EQ(seen[2].lParam, MAKELPARAM(30, 40));
    EXPECT_EQ(seen[3].lParam, MAKELPARAM(1, 2));
    EXPECT_EQ(GetWindowLong(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
}

LRESULT CALLBACK create_params_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_CREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCT*>(lp);
        *static_cast<int*>(cs->lpCreateParams) = cs->cx * 1000 + cs->cy;
        EXPECT_FALSE(IsWindowVisible(w));  // visible only after WM_CREATE
    }
    return DefWindowProc(w, m, wp, lp);
}

TEST_F(WindowTest, CreateParamsReachWmCreateAndVisibilityComesAfter)
{
    WNDCLASS wc{};
    wc.lpfnWndProc = create_params_proc;
    wc.lpszClassName = "UserTestCreateParams";
    ASSERT_NE(RegisterClass(&wc), 0);
    int seen = 0;
    HWND w = CreateWindowEx(0, "usertestcreateparams", "", WS_POPUP | WS_VISIBLE, 0, 0, 7, 9, nullptr, nullptr,
                            nullptr, &seen);
    ASSERT_NE(w, nullptr) << "class names are case-insensitive";
    EXPECT_EQ(seen, 7009);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_FALSE(UnregisterClass("UserTestCreateParams", nullptr)) << "a class with windows stays";
    DestroyWindow(w);
    EXPECT_TRUE(UnregisterClass("UserTestCreateParams", nullptr));
    WNDCLASS info{};
    EXPECT_FALSE(GetClassInfo(nullptr, "UserTestCreateParams", &info));
}

TEST_F(WindowTest, MinusOneFromWmCreateFailsAndDestroys)
{
    set_answer(WM_CREATE, -1);
    HWND w = top();
    EXPECT_EQ(w, nullptr);
    auto seen = Recorder::instance().take();
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[seen.size() - 2].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(seen.back().message, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(seen.back().window));

    clear_answers();
    set_answer(WM_NCCREATE, FALSE);
    EXPECT_EQ(top(), nullptr);
}

TEST_F(WindowTest, DestroyOrderIsDestroyParentFirstThenNcDestroyChildFirst)
{
    HWND parent = top();
    HWND a = child(parent, 1);
    HWND a1 = child(a, 11);
    HWND b = child(parent, 2);
    Recorder::instance().clear();
    ASSERT_TRUE(DestroyWindow(parent));
    std::vector<std::pair<HWND, UINT>> order;
    for (const Seen& s : Recorder::instance().take())
        if (s.message == WM_DESTROY || s.message == WM_NCDESTROY)
            order.emplace_back(s.window, s.message);
    std::vector<std::pair<HWND, UINT>> expected{
        {parent, WM_DESTROY}, {a, WM_DESTROY}, {a1, WM_DESTROY}, {a1, WM_NCDESTROY}, {a, WM_NCDESTROY},
        {b, WM_DESTROY},      {b, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    for (HWND w : {parent, a, a1, b})
        EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowTest, MessagesQueuedForADestroyedWindowAreDropped)
{
    HWND gone = top();
    HWND stays = top();
    ASSERT_TRUE(PostMessage(gone, WM_APP, 1, 0));
    ASSERT_TRUE(PostMessage(stays, WM_APP, 2, 0));
    ASSERT_TRUE(PostMessage(gone, WM_APP, 3, 0));
    MSG kept{};
    kept.hwnd = gone;
    kept.message = WM_APP;
    DestroyWindow(gone);
    Recorder::instance().clear();
    MSG msg;
    std::vector<WPARAM> left;
    while (PeekMessage(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE)) {
        left.push_back(msg.wParam);
        DispatchMessage(&msg);
    }
    EXPECT_EQ(left, std::vector<WPARAM>{2});
    EXPECT_EQ(DispatchMessage(&kept), 0);  // a copy taken earlier is dropped too
    EXPECT_EQ(Recorder::instance().messages_of(gone, {WM_APP}).size(), 0u);
    EXPECT_EQ(Recorder::instance().messages_of(stays, {WM_APP}).size(), 1u);
    EXPECT_FALSE(PostMessage(gone, WM_APP, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, FamilyIdsZOrderAndEnumeration)
{
    HWND parent = top();
    HWND first = child(parent, 100);
    HWND second = child(parent, 200);
    HWND nested = child(first, 300);
    EXPECT_EQ(GetParent(first), parent);
    EXPECT_EQ(GetParent(parent), nullptr);
    EXPECT_EQ(GetDlgItem(parent, 200), second);
    EXPECT_EQ(GetDlgItem(parent, 300), nullptr) << "only direct children";
    EXPECT_EQ(GetDlgCtrlID(second), 200);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), first) << "children are in creation order";
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
    EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetWindow(second, GW_HWNDPREV), first);
    EXPECT_TRUE(IsChild(parent, nested));
    EXPECT_FALSE(IsChild(second, nested));
    std::vector<HWND> found;
    EnumChildWindows(parent, [](HWND w, LPARAM p) {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    EXPECT_EQ(found, (std::vector<HWND>{first, nested, second}));
    SetWindowPos(second, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), second);
    auto parent_notes = Recorder::instance().messages_of(parent, {WM_PARENTNOTIFY});
    EXPECT_EQ(parent_notes.size(), 2u);
}

TEST_F(WindowTest, WindowLongsAndExtraBytesAreBounded)
{
    HWND w = top(WS_OVERLAPPED | WS_CAPTION);
    EXPECT_EQ(SetWindowLongPtr(w, GWLP_USERDATA, 0x1234), 0);
    EXPECT_EQ(GetWindowLongPtr(w, GWLP_USERDATA), 0x1234);
    EXPECT_EQ(SetWindowLongPtr(w, 8, -5), 0);  // the class has 16 extra bytes
    EXPECT_EQ(GetWindowLongPtr(w, 8), -5);
    EXPECT_EQ(SetWindowLong(w, 12, 77), -1) << "the upper half of the value stored at 8";
    EXPECT_EQ(GetWindowLong(w, 12), 77);
    for (int past : {9, 16, 1000}) {
        SetLastError(0);
        EXPECT_EQ(GetWindowLongPtr(w, past), 0) << past;
        EXPECT_NE(GetLastError(), 0u);
    }
    EXPECT_EQ(GetWindowLong(w, 13), 0);
    Recorder::instance().clear();
    LONG old = SetWindowLong(w, GWL_STYLE, GetWindowLong(w, GWL_STYLE) | WS_VSCROLL);
    EXPECT_FALSE(old & WS_VSCROLL);
    EXPECT_EQ(Recorder::instance().messages_of(w, {WM_STYLECHANGING, WM_STYLECHANGED}),
              (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
    EXPECT_TRUE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL);
}

WNDPROC g_original = nullptr;
LRESULT CALLBACK upper_casing_subclass(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_CHAR && wp >= 'a' && wp <= 'z')
        wp = wp - 'a' + 'A';
    if (m == WM_APP + 5)
        return 555;  // swallowed
    return CallWindowProc(g_original, w, m, wp, lp);
}

TEST_F(WindowTest, SubclassingThroughTheWindowProcedureLong)
{
    HWND w = top();
    g_original = reinterpret_cast<WNDPROC>(SetWindowLongPtr(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(upper_casing_subclass)));
    ASSERT_EQ(g_original, recording_proc);
    Recorder::instance().clear();
    SendMessage(w, WM_CHAR, 'q', 0);
    EXPECT_EQ(SendMessage(w, WM_APP + 5, 0, 0), 555);
    auto seen = Recorder::instance().take();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].wParam, static_cast<WPARAM>('Q'));
    SetWindowLongPtr(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_original));
    SendMessage(w, WM_APP + 5, 0, 0);
    EXPECT_EQ(Recorder::instance().take().size(), 1u);
}

TEST_F(WindowTest, TextIsCutToTheBufferAndTerminated)
{
    HWND w = top();
    ASSERT_TRUE(SetWindowText(w, "Caf\xE9 au lait"));
    EXPECT_EQ(GetWindowTextLength(w), 12);
    char small[5];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(GetWindowText(w, small, sizeof small), 4);
    EXPECT_STREQ(small, "Caf\xE9");
    char one[1] = {'x'};
    EXPECT_EQ(GetWindowText(w, one, 1), 0);
    EXPECT_EQ(one[0], '\0');
    EXPECT_EQ(GetWindowText(w, nullptr, 10), 0);
    EXPECT_TRUE(SetWindowText(w, nullptr));
    EXPECT_EQ(GetWindowTextLength(w), 0);
}

struct FrameCase {
    DWORD style;
    DWORD ex_style;
    RECT client;  // of a 300 x 200 window
};

class ClientRectTest : public WindowTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(ClientRectTest, ClientAreaFollowsTheFrameAndAdjustWindowRectAgrees)
{
    const FrameCase& c = GetParam();
    HWND w = top(WS_POPUP | c.style, c.ex_style, {100, 50, 400, 250});
    RECT client;
    ASSERT_TRUE(GetClientRect(w, &client));
    EXPECT_EQ(client.right, c.client.right - c.client.left);
    EXPECT_EQ(client.bottom, c.client.bottom - c.client.top);
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    EXPECT_EQ(origin.x, 100 + c.client.left);
    EXPECT_EQ(origin.y, 50 + c.client.top);
    if (!(c.style & (WS_VSCROLL | WS_HSCROLL))) {
        RECT r = {0, 0, client.right, client.bottom};
        AdjustWindowRectEx(&r, WS_POPUP | c.style, FALSE, c.ex_style);
        EXPECT_EQ(r.right - r.left, 300);
        EXPECT_EQ(r.bottom - r.top, 200);
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, ClientRectTest,
                         ::testing::Values(FrameCase{0, 0, {0, 0, 300, 200}},
                                           FrameCase{WS_BORDER, 0, {1, 1, 299, 199}},
                                           FrameCase{WS_CAPTION, 0, {3, 22, 297, 197}},
                                           FrameCase{WS_CAPTION | WS_THICKFRAME, 0, {4, 23, 296, 196}},
                                           FrameCase{0, WS_EX_CLIENTEDGE, {2, 2, 298, 198}},
                                           FrameCase{0, WS_EX_DLGMODALFRAME, {3, 3, 297, 197}},
                                           FrameCase{WS_VSCROLL, 0, {0, 0, 284, 200}}));

TEST_F(WindowTest, CoordinatesOfNestedChildren)
{
    HWND parent = top(WS_POPUP | WS_BORDER, 0, {100, 100, 400, 400});
    HWND inner = child(parent, 1, {10, 20, 110, 120}, WS_BORDER);
    HWND innermost = child(inner, 2, {5, 5, 25, 25});
    RECT r;
    GetWindowRect(innermost, &r);
    EXPECT_EQ(r.left, 100 + 1 + 10 + 1 + 5);
    EXPECT_EQ(r.top, 100 + 1 + 20 + 1 + 5);
    POINT p{0, 0};
    MapWindowPoints(innermost, parent, &p, 1);
    EXPECT_EQ(p.x, 10 + 1 + 5);
    EXPECT_EQ(p.y, 20 + 1 + 5);
    POINT s{150, 160};
    ScreenToClient(inner, &s);
    EXPECT_EQ(s.x, 150 - 112);
    EXPECT_EQ(s.y, 160 - 122);
    ClientToScreen(inner, &s);
    EXPECT_EQ(s.x, 150);
}

TEST_F(WindowTest, SetWindowPosSendsChangingChangedThenSizeAndMoveOnlyWhenTheyChange)
{
    HWND w = top(WS_POPUP);
    Recorder::instance().clear();
    SetWindowPos(w, nullptr, 0, 0, 50, 60, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(Recorder::instance().messages_of(w, {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}),
              (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE}));
    auto seen = Recorder::instance().take();
    auto size = std::find_if(seen.begin(), seen.end(), [](const Seen& s) { return s.message == WM_SIZE; });
    EXPECT_EQ(size->lParam, MAKELPARAM(50, 60));
    MoveWindow(w, 7, 8, 50, 60, TRUE);
    EXPECT_EQ(Recorder::instance().messages_of(w, {WM_SIZE, WM_MOVE}), (std::vector<UINT>{WM_MOVE}));
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 7);
    EXPECT_EQ(r.bottom, 68);
}

TEST_F(WindowTest, ShowAndEnable)
{
    HWND w = top(WS_POPUP);
    HWND c = child(w, 1, {0, 0, 10, 10}, WS_VISIBLE);
    EXPECT_FALSE(IsWindowVisible(c)) << "a child of a hidden window is hidden";
    Recorder::instance().clear();
    EXPECT_FALSE(ShowWindow(w, SW_SHOWNA));
    EXPECT_TRUE(IsWindowVisible(c));
    EXPECT_EQ(Recorder::instance().messages_of(w, {WM_SHOWWINDOW}).size(), 1u);
    EXPECT_TRUE(ShowWindow(w, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_FALSE(EnableWindow(c, FALSE));
    EXPECT_FALSE(IsWindowEnabled(c));
    EXPECT_TRUE(EnableWindow(c, TRUE)) << "was disabled";
    EXPECT_EQ(Recorder::instance().messages_of(c, {WM_ENABLE}).size(), 2u);
}

TEST_F(WindowTest, FocusMovesWithKillFocusThenSetFocus)
{
    HWND parent = top(WS_POPUP | WS_VISIBLE);
    HWND a = child(parent, 1, {0, 0, 10, 10}, WS_VISIBLE);
    HWND b = child(parent, 2, {0, 0, 10, 10}, WS_VISIBLE);
    SetFocus(a);
    Recorder::instance().clear();
    EXPECT_EQ(SetFocus(b), a);
    EXPECT_EQ(GetFocus(), b);
    auto seen = Recorder::instance().take();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], (Seen{a, WM_KILLFOCUS, reinterpret_cast<WPARAM>(b), 0}));
    EXPECT_EQ(seen[1], (Seen{b, WM_SETFOCUS, reinterpret_cast<WPARAM>(a), 0}));
    DestroyWindow(b);
    EXPECT_EQ(GetFocus(), parent) << "a destroyed child's focus goes to its parent";
}
}  // namespace

TEST(SysColors, ClassicSchemeAndOutOfRange) {
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(10, 36, 106));
    EXPECT_EQ(GetSysColor(COLOR_MENUBAR), RGB(212, 208, 200));
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(31), 0u);
}

TEST(WindowClasses, ExtraBytesUpToAKilobyteAndADialogClassFits)
{
    struct Case {
        const char* name;
        int class_extra;
        int window_extra;
        bool registers;
    };
    const Case cases[] = {
        {"ExtraDialogLike", 0, DLGWINDOWEXTRA, true},
        {"ExtraKilobyte", 1024, 1024, true},
        {"ExtraTooMuch", 0, 1025, false},
        {"ExtraNegative", -1, 0, false},
    };
    for (const Case& c : cases) {
        WNDCLASS wc{};
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = c.name;
        wc.cbClsExtra = c.class_extra;
        wc.cbWndExtra = c.window_extra;
        EXPECT_EQ(RegisterClass(&wc) != 0, c.registers) << c.name;
    }
    HWND w = CreateWindowEx(0, "ExtraDialogLike", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    SetWindowLongPtr(w, DWLP_USER, 1234);
    EXPECT_EQ(GetWindowLongPtr(w, DWLP_USER), 1234);
    DestroyWindow(w);
}
