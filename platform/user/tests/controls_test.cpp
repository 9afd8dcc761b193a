// Standard controls: the classes, statics, the button family and scroll
// bars. Edits are in controls_edit_test.cpp, list and combo boxes in
// controls_list_test.cpp.

#include <map>

#include "controls_fixture.h"
#include "helm/user/testing/driver.h"

using namespace controls_test;

namespace {

using ButtonTest = ControlsTest;
using StaticTest = ControlsTest;
using ScrollBarTest = ControlsTest;

HANDLE fake_handle(uintptr_t v) { return reinterpret_cast<HANDLE>(v); }

TEST_F(ControlsTest, StandardClassesAreThereFromTheStart)
{
    for (const char* name : {"Static", "Button", "Edit", "ListBox", "ComboBox", "ScrollBar", "ComboLBox", "BUTTON", "edit"}) {
        WNDCLASS wc{};
        EXPECT_TRUE(GetClassInfo(nullptr, name, &wc)) << name;
        EXPECT_NE(wc.lpfnWndProc, nullptr) << name;
    }
    // Each keeps the font it is given, as the dialog manager hands it round.
    const HFONT font = reinterpret_cast<HFONT>(fake_handle(0x1234));
    for (const char* name : {"Static", "Button", "Edit", "ListBox", "ComboBox", "ScrollBar"}) {
        HWND w = make(name, 0, 1);
        EXPECT_EQ(SendMessage(w, WM_GETFONT, 0, 0), 0) << name;
        SendMessage(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        EXPECT_EQ(SendMessage(w, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font)) << name;
        DestroyWindow(w);
    }
}

// ---------------------------------------------------------------- buttons

TEST_F(ButtonTest, EachKindAnswersTheDialogManagerAsWindowsDoes)
{
    const std::map<DWORD, LRESULT> table = {
        {BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
        {BS_DEFPUSHBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON},
        {BS_CHECKBOX, DLGC_BUTTON},
        {BS_AUTOCHECKBOX, DLGC_BUTTON},
        {BS_AUTO3STATE, DLGC_BUTTON},
        {BS_RADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON},
        {BS_AUTORADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON},
        {BS_GROUPBOX, DLGC_STATIC},
    };
    for (const auto& [kind, code] : table) {
        HWND b = make("Button", kind, 10);
        EXPECT_EQ(SendMessage(b, WM_GETDLGCODE, 0, 0), code) << "kind " << kind;
        DestroyWindow(b);
    }
}

TEST_F(ButtonTest, AutoCheckBoxChangesBeforeBnClickedAndOnlyWhenReleasedInside)
{
    HWND b = make("Button", BS_AUTOCHECKBOX, 11);
    std::vector<LRESULT> seen_in_handler;
    s_on_command = [&](const Heard& h) { seen_in_handler.push_back(SendMessage(h.from, BM_GETCHECK, 0, 0)); };
    click(b);
    EXPECT_EQ(codes(b), std::vector<int>{BN_CLICKED});
    EXPECT_EQ(seen_in_handler, std::vector<LRESULT>{BST_CHECKED});
    EXPECT_EQ(GetFocus(), b);

    // Dragged off before release: no click, no change.
    press(b, {5, 5});
    EXPECT_EQ(SendMessage(b, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
    SendMessage(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, 5));
    EXPECT_EQ(SendMessage(b, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    release(b, {500, 5});
    EXPECT_EQ(codes(b).size(), 1u);
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_CHECKED);

    click(b);
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(ButtonTest, SpaceClicksAndLosingTheFocusMidPressDoesNot)
{
    HWND b = make("Button", BS_PUSHBUTTON, 12);
    HWND other = make("Button", BS_PUSHBUTTON, 13, {10, 40, 110, 60});
    SetFocus(b);
    key(b, VK_SPACE);
    EXPECT_EQ(codes(b), std::vector<int>{BN_CLICKED});

    key_down(b, VK_SPACE);
    SetFocus(other);
    key_up(b, VK_SPACE);
    EXPECT_EQ(codes(b).size(), 1u);
    EXPECT_EQ(SendMessage(b, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
}

TEST_F(ButtonTest, ManualCheckBoxLeavesItsStateToTheProgram)
{
    HWND b = make("Button", BS_CHECKBOX, 14);
    click(b);
    EXPECT_EQ(codes(b), std::vector<int>{BN_CLICKED});
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    forget();
    SendMessage(b, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(codes(b).empty());  // setting the check says nothing
}

TEST_F(ButtonTest, CheckStatesFollowTheKind)
{
    struct Row {
        DWORD kind;
        WPARAM set;
        LRESULT got;
    } rows[] = {
        {BS_AUTOCHECKBOX, BST_INDETERMINATE, BST_CHECKED},  // two states only
        {BS_AUTO3STATE, BST_INDETERMINATE, BST_INDETERMINATE},
        {BS_3STATE, BST_CHECKED, BST_CHECKED},
        {BS_PUSHBUTTON, BST_CHECKED, BST_UNCHECKED},  // push buttons have no check
        {BS_GROUPBOX, BST_CHECKED, BST_UNCHECKED},
    };
    for (const Row& row : rows) {
        HWND b = make("Button", row.kind, 15);
        SendMessage(b, BM_SETCHECK, row.set, 0);
        EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), row.got) << "kind " << row.kind;
        DestroyWindow(b);
    }
    HWND tri = make("Button", BS_AUTO3STATE, 16);
    std::vector<LRESULT> cycle;
    for (int i = 0; i < 3; ++i) {
        click(tri);
        cycle.push_back(SendMessage(tri, BM_GETCHECK, 0, 0));
    }
    EXPECT_EQ(cycle, (std::vector<LRESULT>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}));
}

TEST_F(ButtonTest, AutoRadioClearsTheOtherAutoRadiosOfItsGroupOnly)
{
    HWND a = make("Button", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 21);
    HWND b = make("Button", BS_AUTORADIOBUTTON, 22);
    HWND manual = make("Button", BS_RADIOBUTTON, 23);
    HWND c = make("Button", BS_AUTORADIOBUTTON, 24);
    HWND next_group = make("Button", BS_AUTORADIOBUTTON | WS_GROUP, 25);
    SendMessage(a, BM_SETCHECK, BST_CHECKED, 0);
    SendMessage(manual, BM_SETCHECK, BST_CHECKED, 0);
    SendMessage(next_group, BM_SETCHECK, BST_CHECKED, 0);

    click(c);
    EXPECT_EQ(SendMessage(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessage(c, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessage(manual, BM_GETCHECK, 0, 0), BST_CHECKED);      // not automatic
    EXPECT_EQ(SendMessage(next_group, BM_GETCHECK, 0, 0), BST_CHECKED);  // another group
    EXPECT_EQ(codes(c), std::vector<int>{BN_CLICKED});
    EXPECT_TRUE(codes(a).empty());

    // Tab lands on the checked radio button of a group.
    EXPECT_EQ(GetWindowLong(a, GWL_STYLE) & WS_TABSTOP, 0);
    EXPECT_EQ(GetWindowLong(c, GWL_STYLE) & WS_TABSTOP, WS_TABSTOP);

    click(b);
    EXPECT_EQ(SendMessage(c, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(ButtonTest, SetStyleTradesDefaultAndPlainAndKeepsTheOtherBits)
{
    HWND b = make("Button", BS_PUSHBUTTON | BS_ICON, 31);
    SendMessage(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(GetWindowLong(b, GWL_STYLE) & (BS_TYPEMASK | BS_ICON), BS_DEFPUSHBUTTON | BS_ICON);
    EXPECT_EQ(SendMessage(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    SendMessage(b, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_EQ(SendMessage(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);

    HWND check = make("Button", BS_AUTOCHECKBOX, 32);
    SendMessage(check, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(GetWindowLong(check, GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
}

TEST_F(ButtonTest, ImagesAreKeptPerKindAndTheOldOneReturned)
{
    HWND b = make("Button", BS_PUSHBUTTON | BS_ICON, 33);
    EXPECT_EQ(SendMessage(b, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(fake_handle(0x51))), 0);
    EXPECT_EQ(SendMessage(b, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(fake_handle(0x52))), 0x51);
    EXPECT_EQ(SendMessage(b, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(fake_handle(0x61))), 0);
    EXPECT_EQ(SendMessage(b, BM_GETIMAGE, IMAGE_ICON, 0), 0x52);
    EXPECT_EQ(SendMessage(b, BM_GETIMAGE, IMAGE_BITMAP, 0), 0x61);
}

TEST_F(ButtonTest, BmClickActsAsTheOperatorUnlessDisabled)
{
    HWND b = make("Button", BS_AUTOCHECKBOX, 34, {10, 10, 10, 10});  // even with no size
    SendMessage(b, BM_CLICK, 0, 0);
    EXPECT_EQ(codes(b), std::vector<int>{BN_CLICKED});
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_CHECKED);
    EnableWindow(b, FALSE);
    SendMessage(b, BM_CLICK, 0, 0);
    click(b);
    EXPECT_EQ(codes(b).size(), 1u);
}

TEST_F(ButtonTest, FocusNotificationsOnlyWithBsNotify)
{
    HWND notifying = make("Button", BS_PUSHBUTTON | BS_NOTIFY, 35);
    HWND quiet = make("Button", BS_PUSHBUTTON, 36, {10, 40, 110, 60});
    SetFocus(notifying);
    EXPECT_EQ(SendMessage(notifying, BM_GETSTATE, 0, 0) & BST_FOCUS, BST_FOCUS);
    SetFocus(quiet);
    SetFocus(notifying);
    EXPECT_EQ(codes(notifying), (std::vector<int>{BN_SETFOCUS, BN_KILLFOCUS, BN_SETFOCUS}));
    EXPECT_TRUE(codes(quiet).empty());
}

TEST_F(ButtonTest, GroupBoxTakesNoClick)
{
    HWND g = make("Button", BS_GROUPBOX, 37);
    click(g);
    EXPECT_TRUE(codes(g).empty());
    EXPECT_NE(GetFocus(), g);
}

TEST_F(ButtonTest, PaintingAsksTheParentForColours)
{
    HWND push = make("Button", BS_PUSHBUTTON, 38);
    HWND check = make("Button", BS_AUTOCHECKBOX, 39, {10, 40, 110, 60});
    for (HWND b : {push, check}) {
        InvalidateRect(b, nullptr, TRUE);
        UpdateWindow(b);
    }
    auto btn = heard(WM_CTLCOLORBTN);
    auto stat = heard(WM_CTLCOLORSTATIC);
    ASSERT_FALSE(btn.empty());
    ASSERT_FALSE(stat.empty());
    EXPECT_EQ(btn.back().from, push);
    EXPECT_EQ(stat.back().from, check);
}

// ---------------------------------------------------------------- statics

TEST_F(StaticTest, ClicksReachTheParentOnlyWithSsNotify)
{
    HWND title = make("Static", SS_LEFT | SS_NOTIFY, 41, {10, 10, 110, 30}, "Title");
    HWND plain = make("Static", SS_LEFT, 42, {10, 40, 110, 60}, "Plain");
    click(title);
    SendMessage(title, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    click(plain);
    EXPECT_EQ(codes(title), (std::vector<int>{STN_CLICKED, STN_DBLCLK}));
    EXPECT_TRUE(codes(plain).empty());
    EXPECT_EQ(SendMessage(title, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
    EXPECT_EQ(text_of(title), "Title");
}

TEST_F(StaticTest, ImagesMatchTheStyle)
{
    HWND icon = make("Static", SS_ICON | SS_CENTERIMAGE, 43);
    EXPECT_EQ(SendMessage(icon, STM_SETICON, reinterpret_cast<WPARAM>(fake_handle(0x71)), 0), 0);
    EXPECT_EQ(SendMessage(icon, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(fake_handle(0x72))), 0x71);
    EXPECT_EQ(SendMessage(icon, STM_GETICON, 0, 0), 0x72);
    // A bitmap for an icon static is refused.
    EXPECT_EQ(SendMessage(icon, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(fake_handle(0x73))), 0);
    EXPECT_EQ(SendMessage(icon, STM_GETIMAGE, IMAGE_ICON, 0), 0x72);

    HWND bitmap = make("Static", SS_BITMAP, 44);
    EXPECT_EQ(SendMessage(bitmap, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(fake_handle(0x81))), 0);
    EXPECT_EQ(SendMessage(bitmap, STM_GETIMAGE, IMAGE_BITMAP, 0), 0x81);
    EXPECT_EQ(SendMessage(bitmap, STM_GETICON, 0, 0), 0);
}

TEST_F(StaticTest, PaintingAsksTheParentForCtlColorStatic)
{
    HWND s = make("Static", SS_LEFT, 45, {10, 10, 110, 30}, "x");
    forget();
    InvalidateRect(s, nullptr, TRUE);
    pump();
    auto asked = heard(WM_CTLCOLORSTATIC);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].from, s);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(s, &update, FALSE));  // painted and validated
}

// ---------------------------------------------------------------- scroll bars

TEST_F(ScrollBarTest, SetScrollInfoHoldsPageAndPositionToTheRange)
{
    HWND bar = make("ScrollBar", SBS_VERT, 51, {10, 10, 26, 210});
    struct Row {
        UINT mask;
        int min, max;
        UINT page;
        int pos;
        int want_pos;
        UINT want_page;
    } rows[] = {
        {SIF_ALL, 0, 100, 10, 50, 50, 10},
        {SIF_POS, 0, 0, 0, 200, 91, 10},  // max - (page - 1)
        {SIF_POS, 0, 0, 0, -5, 0, 10},
        {SIF_PAGE, 0, 0, 500, 0, 0, 101},  // page at most the range's size
        {SIF_ALL, 10, 20, 0, 15, 15, 0},
        {SIF_RANGE, 0, 5, 0, 0, 5, 0},  // the position follows a smaller range
        {SIF_ALL, -50, 50, 1, -60, -50, 1},
    };
    for (const Row& r : rows) {
        SCROLLINFO si{sizeof si, r.mask, r.min, r.max, r.page, r.pos, 0};
        EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &si, TRUE), r.want_pos);
        SCROLLINFO got{sizeof got, SIF_ALL, 0, 0, 0, 0, 0};
        ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &got));
        EXPECT_EQ(got.nPos, r.want_pos);
        EXPECT_EQ(got.nPage, r.want_page);
        EXPECT_EQ(GetScrollPos(bar, SB_CTL), r.want_pos);
    }
    SCROLLINFO bad{sizeof bad + 4, SIF_ALL, 0, 0, 0, 0, 0};
    EXPECT_FALSE(GetScrollInfo(bar, SB_CTL, &bad));
}

TEST_F(ScrollBarTest, PositionAndRangeFunctionsForControlsAndWindowBars)
{
    HWND bar = make("ScrollBar", SBS_HORZ, 52, {10, 10, 210, 26});
    int lo = -1, hi = -1;
    ASSERT_TRUE(GetScrollRange(bar, SB_CTL, &lo, &hi));
    EXPECT_EQ(lo, 0);  // a control starts empty
    EXPECT_EQ(hi, 0);
    EXPECT_TRUE(SetScrollRange(bar, SB_CTL, 0, 10, TRUE));
    EXPECT_EQ(SetScrollPos(bar, SB_CTL, 7, TRUE), 0);
    EXPECT_EQ(SetScrollPos(bar, SB_CTL, 70, TRUE), 7);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 10);
    EXPECT_EQ(SendMessage(bar, SBM_GETPOS, 0, 0), 10);
    EXPECT_FALSE(SetScrollRange(bar, SB_CTL, -2, 0x7FFFFFFF, TRUE));

    HWND view = CreateWindowEx(0, "ControlsTestParent", "view", WS_OVERLAPPED | WS_VSCROLL, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
    ASSERT_TRUE(GetScrollRange(view, SB_VERT, &lo, &hi));
    EXPECT_EQ(lo, 0);  // a window's bars start at 0 to 100
    EXPECT_EQ(hi, 100);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 999, 100, 950, 0};
    EXPECT_EQ(SetScrollInfo(view, SB_VERT, &si, FALSE), 900);
    EXPECT_EQ(GetScrollPos(view, SB_HORZ), 0);  // each bar its own
    EXPECT_EQ(GetScrollPos(view, SB_VERT), 900);
    DestroyWindow(view);
    EXPECT_EQ(GetScrollPos(view, SB_VERT), 0);
}

TEST_F(ScrollBarTest, MouseOnArrowsPagesAndThumbTellsTheParent)
{
    // 16 wide, 200 long: arrows of 16, a track of 168, a thumb of 168 * 10 / 110.
    HWND bar = make("ScrollBar", SBS_VERT, 53, {10, 10, 26, 210});
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 109, 10, 0, 0};
    SetScrollInfo(bar, SB_CTL, &si, TRUE);

    auto codes_heard = [&] {
        std::vector<int> out;
        for (const Heard& h : heard(WM_VSCROLL)) {
            EXPECT_EQ(h.from, bar);
            out.push_back(h.code);
        }
        forget();
        return out;
    };
    click(bar, {8, 195});
    EXPECT_EQ(codes_heard(), (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL}));
    click(bar, {8, 5});
    EXPECT_EQ(codes_heard(), (std::vector<int>{SB_LINEUP, SB_ENDSCROLL}));
    click(bar, {8, 150});
    EXPECT_EQ(codes_heard(), (std::vector<int>{SB_PAGEDOWN, SB_ENDSCROLL}));

    // Drag the thumb (at the top, from 16 to 31) half way down the track.
    press(bar, {8, 20});
    SendMessage(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, 20 + 84));
    SCROLLINFO track{sizeof track, SIF_TRACKPOS | SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(bar, SB_CTL, &track);
    EXPECT_EQ(track.nPos, 0);  // the parent moves the bar, not the bar itself
    EXPECT_GT(track.nTrackPos, 40);
    EXPECT_LT(track.nTrackPos, 60);
    release(bar, {8, 20 + 84});
    auto got = heard(WM_VSCROLL);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].code, SB_THUMBTRACK);
    EXPECT_EQ(got[0].pos, track.nTrackPos);
    EXPECT_EQ(got[1].code, SB_THUMBPOSITION);
    EXPECT_EQ(got[1].pos, track.nTrackPos);
    EXPECT_EQ(got[2].code, SB_ENDSCROLL);
}

// Held on an arrow, the bar repeats its code until released, but not
// while the mouse is off the arrow.
TEST_F(ScrollBarTest, AHeldArrowRepeats)
{
    HWND bar = make("ScrollBar", SBS_VERT, 55, {10, 10, 26, 210});
    SetScrollRange(bar, SB_CTL, 0, 100, FALSE);
    press(bar, {8, 195});
    pump_for(700);
    const size_t held = heard(WM_VSCROLL).size();
    EXPECT_GE(held, 2u);
    SendMessage(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, 100));
    pump_for(200);
    const size_t off = heard(WM_VSCROLL).size();
    EXPECT_LE(off, held + 1);  // at most one already due as the mouse left
    release(bar, {8, 100});
    pump_for(200);
    auto got = heard(WM_VSCROLL);
    ASSERT_EQ(got.size(), off + 1);
    EXPECT_EQ(got.back().code, SB_ENDSCROLL);
    for (size_t i = 0; i + 1 < got.size(); ++i)
        EXPECT_EQ(got[i].code, SB_LINEDOWN);
}

TEST_F(ScrollBarTest, KeysScrollAndReleaseEndsTheScroll)
{
    HWND bar = make("ScrollBar", SBS_HORZ | WS_TABSTOP, 54, {10, 10, 210, 26});
    SetScrollRange(bar, SB_CTL, 0, 50, FALSE);
    const std::pair<WPARAM, int> table[] = {
        {VK_LEFT, SB_LINELEFT}, {VK_RIGHT, SB_LINERIGHT}, {VK_PRIOR, SB_PAGELEFT},
        {VK_NEXT, SB_PAGERIGHT}, {VK_HOME, SB_LEFT},      {VK_END, SB_RIGHT},
    };
    for (const auto& [vk, code] : table) {
        forget();
        key(bar, vk);
        auto got = heard(WM_HSCROLL);
        ASSERT_EQ(got.size(), 2u) << vk;
        EXPECT_EQ(got[0].code, code);
        EXPECT_EQ(got[1].code, SB_ENDSCROLL);
    }
}

}  // namespace

namespace {

// On Windows a group box and a static that does not report clicks answer
// HTTRANSPARENT, so a click over a control drawn inside a group box (or under
// a label) reaches that control, even though the frame lies above it.
TEST_F(ControlsTest, ClicksPassThroughGroupBoxesAndSilentStaticsToTheControlBelow)
{
    struct Case {
        const char* cls;
        DWORD style;
        bool passes;
    };
    const Case cases[] = {
        {"Button", BS_GROUPBOX, true},
        {"Static", SS_LEFT, true},
        {"Static", SS_LEFT | SS_NOTIFY, false},
    };
    for (const Case& c : cases) {
        HWND cover = make(c.cls, c.style | WS_VISIBLE, 20, {0, 0, 200, 100});
        HWND radio = make("Button", BS_AUTORADIOBUTTON | WS_VISIBLE, 21, {20, 20, 120, 40});
        helm::user::testing::click(radio);
        EXPECT_EQ(SendMessage(radio, BM_GETCHECK, 0, 0), c.passes ? BST_CHECKED : BST_UNCHECKED) << c.cls << " " << c.style;
        DestroyWindow(radio);
        DestroyWindow(cover);
    }
}

}  // namespace
