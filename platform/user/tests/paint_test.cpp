// Windows painting into their top-level surfaces: update regions and
// erasing, window DCs and their clipping, the classic frame, edges, the
// painted standard controls and the colours parents give them, measured
// dialog units, and pictures loaded from resources.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "helm/gdi/pixel_checks.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"

using helm::gdi::testing::area_is;
using helm::gdi::testing::count_of;
using helm::gdi::testing::ink_count;
using helm::gdi::testing::keep_png;
using helm::gdi::testing::pixel_is;
using helm::gdi::testing::whole;

namespace {

const COLORREF face = GetSysColor(COLOR_BTNFACE);
const COLORREF white = RGB(255, 255, 255);
const COLORREF black = RGB(0, 0, 0);
const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);

constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF blue = RGB(0, 0, 255);
constexpr COLORREF green = RGB(0, 160, 0);

// A window class whose WM_PAINT fills its whole client area with the
// colour in GWLP_USERDATA, whatever the update region: only the clip
// decides what changes.
LRESULT CALLBACK filling_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtr(window, GWLP_USERDATA)));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

const char* filling_class()
{
    static const char* name = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = filling_proc;
        wc.lpszClassName = "PaintTestFilling";
        RegisterClass(&wc);
        return "PaintTestFilling";
    }();
    return name;
}

// A class that paints nothing itself: only its class brush shows.
const char* brushed_class()
{
    static const char* name = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = DefWindowProc;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
        wc.lpszClassName = "PaintTestBrushed";
        RegisterClass(&wc);
        return "PaintTestBrushed";
    }();
    return name;
}

HWND make_popup(const char* window_class, DWORD style, RECT r, COLORREF fill = blue, HWND parent = nullptr,
                DWORD ex_style = 0)
{
    HWND w = CreateWindowEx(ex_style, window_class, "", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                            parent, nullptr, nullptr, nullptr);
    SetWindowLongPtr(w, GWLP_USERDATA, static_cast<LONG_PTR>(fill));
    return w;
}

void fill_dc(HDC dc, COLORREF colour, RECT r = {-1000, -1000, 1000, 1000})
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

TEST(PaintTest, PaintingTouchesOnlyTheUpdateRegionAndTheClassBrushErases)
{
    HWND w = make_popup(filling_class(), WS_POPUP | WS_VISIBLE, {100, 100, 200, 180}, blue);
    helm::user::paint_pending(w);
    auto first = helm::user::window_surface(w);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->width(), 100);
    EXPECT_EQ(first->height(), 80);
    EXPECT_TRUE(area_is(*first, whole(*first), blue));

    // The painter fills everything, but only the invalid part may change.
    SetWindowLongPtr(w, GWLP_USERDATA, static_cast<LONG_PTR>(red));
    RECT part{10, 20, 30, 25};
    InvalidateRect(w, &part, FALSE);
    auto picture = helm::user::snapshot_window(w);
    EXPECT_TRUE(area_is(*picture, part, red));
    EXPECT_EQ(count_of(*picture, whole(*picture), red), 20 * 5);
    // Nothing is pending any more.
    EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
    DestroyWindow(w);

    // (HBRUSH)(COLOR_xxx + 1) in the class erases with that system colour.
    HWND b = make_popup(brushed_class(), WS_POPUP | WS_VISIBLE, {0, 0, 40, 30});
    auto erased = helm::user::snapshot_window(b);
    EXPECT_TRUE(area_is(*erased, whole(*erased), highlight));
    DestroyWindow(b);
}

TEST(PaintTest, AChildThatGoesOrMovesUncoversItsParent)
{
    struct Case {
        const char* what;
        std::function<void(HWND)> change;
    };
    const Case cases[] = {
        {"hidden", [](HWND c) { ShowWindow(c, SW_HIDE); }},
        {"moved", [](HWND c) { MoveWindow(c, 50, 50, 20, 20, TRUE); }},
        {"shrunk", [](HWND c) { MoveWindow(c, 10, 10, 5, 5, TRUE); }},
        {"destroyed", [](HWND c) { DestroyWindow(c); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HWND parent = make_popup(brushed_class(), WS_POPUP | WS_VISIBLE, {0, 0, 80, 80});
        HWND child = make_popup(filling_class(), WS_CHILD | WS_VISIBLE, {10, 10, 40, 40}, red, parent);
        helm::user::paint_pending(parent);
        c.change(child);
        auto picture = helm::user::snapshot_window(parent);
        // Where the child was, only the parent's brush is left.
        EXPECT_TRUE(area_is(*picture, {16, 16, 40, 40}, highlight));
        DestroyWindow(parent);
    }
}

// Where each DC of a parent (60 x 60 at the origin) and its two children
// may draw: child A at (10,10)-(40,40), child B above it at (30,30)-(50,50).
struct ClipCase {
    const char* what;
    DWORD parent_style;
    DWORD a_style;
    int target;  // 0 the parent, 1 child A
    POINT inked[2];
    POINT spared[2];
};

TEST(PaintTest, WindowDcsClipAsTheirStylesSay)
{
    const ClipCase cases[] = {
        {"parent over its children", 0, 0, 0, {{5, 5}, {20, 20}}, {{-1, -1}, {-1, -1}}},
        {"WS_CLIPCHILDREN spares the children", WS_CLIPCHILDREN, 0, 0, {{5, 5}, {55, 55}}, {{20, 20}, {45, 45}}},
        {"a child stays inside itself", 0, 0, 1, {{10, 10}, {35, 35}}, {{5, 5}, {45, 45}}},
        {"WS_CLIPSIBLINGS spares the sibling above", 0, WS_CLIPSIBLINGS, 1, {{10, 10}, {29, 29}}, {{35, 35}, {5, 5}}},
    };
    for (const ClipCase& c : cases) {
        SCOPED_TRACE(c.what);
        HWND parent = make_popup(filling_class(), WS_POPUP | WS_VISIBLE | c.parent_style, {0, 0, 60, 60}, white);
        HWND a = make_popup(filling_class(), WS_CHILD | WS_VISIBLE | c.a_style, {10, 10, 40, 40}, white, parent);
        HWND b = make_popup(filling_class(), WS_CHILD | WS_VISIBLE, {30, 30, 50, 50}, white, parent);
        // B was created last, so it is at the bottom; bring it above A.
        SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        helm::user::paint_pending(parent);
        HWND target = c.target == 0 ? parent : a;
        HDC dc = GetDC(target);
        ASSERT_TRUE(dc);
        EXPECT_EQ(WindowFromDC(dc), target);
        fill_dc(dc, green);
        EXPECT_EQ(ReleaseDC(target, dc), 1);
        auto surface = helm::user::window_surface(parent);
        for (POINT p : c.inked)
            EXPECT_TRUE(pixel_is(*surface, p.x, p.y, green)) << p.x << "," << p.y;
        for (POINT p : c.spared) {
            if (p.x >= 0) {
                EXPECT_TRUE(pixel_is(*surface, p.x, p.y, white)) << p.x << "," << p.y;
            }
        }
        DestroyWindow(parent);
    }
}

TEST(PaintTest, ClientAndWindowDcsStartAtTheirCorners)
{
    // A bordered child: its client area starts one pixel in.
    HWND parent = make_popup(filling_class(), WS_POPUP | WS_VISIBLE, {0, 0, 80, 80}, white);
    HWND child = make_popup(filling_class(), WS_CHILD | WS_VISIBLE | WS_BORDER, {20, 10, 50, 40}, white, parent);
    helm::user::paint_pending(parent);
    HDC client = GetDC(child);
    fill_dc(client, red, {0, 0, 1, 1});
    ReleaseDC(child, client);
    HDC window = GetWindowDC(child);
    fill_dc(window, blue, {0, 0, 1, 1});
    ReleaseDC(child, window);
    auto surface = helm::user::window_surface(parent);
    EXPECT_TRUE(pixel_is(*surface, 21, 11, red));
    EXPECT_TRUE(pixel_is(*surface, 20, 10, blue));
    // A DC that is not a window's is not released as one.
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_EQ(ReleaseDC(child, memory), 0);
    DeleteDC(memory);
    DestroyWindow(parent);
}

TEST(PaintTest, DrawEdgeLaysTheClassicColours)
{
    struct EdgeCase {
        UINT edge;
        COLORREF outer_top_left, inner_top_left, inner_bottom_right, outer_bottom_right;
    };
    const EdgeCase cases[] = {
        {EDGE_RAISED, GetSysColor(COLOR_3DLIGHT), white, shadow, GetSysColor(COLOR_3DDKSHADOW)},
        {EDGE_SUNKEN, shadow, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT), white},
        {EDGE_ETCHED, shadow, white, shadow, white},
    };
    for (const EdgeCase& c : cases) {
        SCOPED_TRACE(c.edge);
        auto surface = helm::gdi::Surface::create(20, 20);
        HDC dc = helm::gdi::make_surface_dc(surface, {0, 0}, {0, 0, 20, 20});
        fill_dc(dc, red);
        RECT r{2, 2, 12, 12};
        EXPECT_TRUE(DrawEdge(dc, &r, c.edge, BF_RECT | BF_ADJUST | BF_MIDDLE));
        EXPECT_EQ(r.left, 4);
        EXPECT_EQ(r.bottom, 10);
        DeleteDC(dc);
        EXPECT_TRUE(pixel_is(*surface, 2, 5, c.outer_top_left));
        EXPECT_TRUE(pixel_is(*surface, 3, 5, c.inner_top_left));
        EXPECT_TRUE(pixel_is(*surface, 10, 5, c.inner_bottom_right));
        EXPECT_TRUE(pixel_is(*surface, 11, 5, c.outer_bottom_right));
        // The bottom-left corner belongs to the bottom line.
        EXPECT_TRUE(pixel_is(*surface, 2, 11, c.outer_bottom_right));
        EXPECT_TRUE(area_is(*surface, {4, 4, 10, 10}, face));
        EXPECT_TRUE(pixel_is(*surface, 1, 1, red));
    }
}

TEST(PaintTest, FramesAndCaptionsTakeTheirSystemSizes)
{
    HWND w = CreateWindowEx(0, brushed_class(), "Compass", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0,
                            200, 100, nullptr, nullptr, nullptr, nullptr);
    auto picture = helm::user::snapshot_window(w);
    ASSERT_TRUE(picture);
    RECT client = helm::user::rect_in_snapshot(w, w, true);
    EXPECT_EQ(client.top, 3 + 19);
    EXPECT_TRUE(area_is(*picture, client, highlight));
    // The raised dialog frame, then the caption bar in an active or inactive colour.
    EXPECT_TRUE(pixel_is(*picture, 100, 0, GetSysColor(COLOR_3DLIGHT)));
    EXPECT_TRUE(pixel_is(*picture, 100, 1, white));
    EXPECT_TRUE(pixel_is(*picture, 199, 50, GetSysColor(COLOR_3DDKSHADOW)));
    const COLORREF bar = picture->colour(30, 5);
    EXPECT_TRUE(bar == GetSysColor(COLOR_ACTIVECAPTION) || bar == GetSysColor(COLOR_INACTIVECAPTION));
    // The title is written on the bar, the close box at its right end.
    EXPECT_GT(ink_count(*picture, {3, 3, 100, 21}, bar), 20);
    EXPECT_GT(count_of(*picture, {170, 3, 197, 21}, face), 50);
    DestroyWindow(w);
}

// A window whose frame changes before it is first painted (made smaller, a
// bar shown, a menu bar set) still gets its frame painted, and its client
// area as it is now.
TEST(PaintTest, TheFrameIsPaintedAfterItChanges)
{
    HMENU bar = CreateMenu();
    AppendMenu(bar, MF_STRING, 1, "&File");
    struct Case {
        const char* what;
        std::function<void(HWND)> change;
        POINT part;  // a pixel of the part that came, in window coordinates
        COLORREF colour;
    };
    const Case cases[] = {
        {"made smaller", [](HWND w) { SetWindowPos(w, nullptr, 0, 0, 150, 80, SWP_NOMOVE | SWP_NOZORDER); },
         {149 - 1, 40}, GetSysColor(COLOR_BTNSHADOW)},
        {"a bar shown", [](HWND w) { ShowScrollBar(w, SB_VERT, TRUE); }, {200 - 3 - 8, 3 + 1}, white},
        {"a menu bar set", [&](HWND w) { SetMenu(w, bar); }, {190, 3 + 10}, GetSysColor(COLOR_MENU)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HWND w = CreateWindowEx(0, brushed_class(), "", WS_POPUP | WS_DLGFRAME | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                nullptr, nullptr, nullptr);
        c.change(w);
        auto picture = helm::user::snapshot_window(w);
        ASSERT_TRUE(picture);
        EXPECT_TRUE(pixel_is(*picture, 60, 0, GetSysColor(COLOR_3DLIGHT)));
        EXPECT_TRUE(pixel_is(*picture, 60, 1, white));
        EXPECT_TRUE(pixel_is(*picture, c.part.x, c.part.y, c.colour));
        EXPECT_TRUE(area_is(*picture, helm::user::rect_in_snapshot(w, w, true), highlight));
        SetMenu(w, nullptr);
        DestroyWindow(w);
    }
    DestroyMenu(bar);
}

// The dialog of every control, with a checked box, a chosen radio button,
// a list with a selection and text in the edits.
class EveryControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog = CreateDialogParam(GetModuleHandle(nullptr), "EVERYCONTROL", nullptr, proc, 0);
        ASSERT_TRUE(dialog);
        SetWindowPos(dialog, nullptr, 50, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CheckDlgButton(dialog, 105, BST_CHECKED);
        CheckRadioButton(dialog, 106, 107, 106);
        for (const char* item : {"NMEA 0183", "Talvor binary", "Proprietary"}) {
            SendDlgItemMessage(dialog, 108, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
            SendDlgItemMessage(dialog, 102, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
        SendDlgItemMessage(dialog, 108, LB_SETCURSEL, 1, 0);
        SendDlgItemMessage(dialog, 102, CB_SETCURSEL, 0, 0);
        SetDlgItemText(dialog, 101, "4800");
        SetDlgItemText(dialog, 113, "First line\r\nSecond line");
        SetDlgItemText(dialog, 114, "Disabled");
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMax = 100;
        si.nPage = 20;
        si.nPos = 40;
        SendDlgItemMessage(dialog, 115, SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&si));
        ShowWindow(dialog, SW_SHOW);
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
    }
    static INT_PTR CALLBACK proc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }
    RECT at(int id, bool client = false) const
    {
        return helm::user::rect_in_snapshot(dialog, GetDlgItem(dialog, id), client);
    }

    HWND dialog = nullptr;
};

TEST_F(EveryControl, EachControlShowsItsClassicLook)
{
    auto picture = helm::user::snapshot_window(dialog);
    ASSERT_TRUE(picture);
    keep_png(*picture, "every_control");
    // The dialog's own background.
    RECT client = helm::user::rect_in_snapshot(dialog, dialog, true);
    EXPECT_TRUE(pixel_is(*picture, client.left + 2, client.bottom - 2, face));

    // Push buttons: the default one framed in black, then raised edges; the label inked.
    RECT ok = at(IDOK), cancel = at(IDCANCEL);
    EXPECT_TRUE(pixel_is(*picture, ok.left, ok.top + 5, black));
    EXPECT_TRUE(pixel_is(*picture, ok.left + 1, ok.top + 5, white));
    EXPECT_TRUE(pixel_is(*picture, cancel.left, cancel.top + 5, white));
    EXPECT_TRUE(pixel_is(*picture, cancel.right - 1, cancel.top + 5, GetSysColor(COLOR_3DDKSHADOW)));
    RECT ok_inside{ok.left + 4, ok.top + 4, ok.right - 4, ok.bottom - 4};
    EXPECT_GT(count_of(*picture, ok_inside, black, 60), 10);
    // The disabled button's label is grey with its white relief, never black.
    RECT off = at(116);
    RECT off_inside{off.left + 4, off.top + 4, off.right - 4, off.bottom - 4};
    EXPECT_GT(count_of(*picture, off_inside, GetSysColor(COLOR_GRAYTEXT), 40), 10);
    EXPECT_EQ(count_of(*picture, off_inside, black), 0);

    // Check boxes: the white box, with the mark only when checked.
    RECT heading = at(104), pitch = at(105);
    RECT heading_box{heading.left + 2, heading.top + 2, heading.left + 11, heading.top + 11};
    RECT pitch_box{pitch.left + 2, pitch.top + 2, pitch.left + 11, pitch.top + 11};
    auto centre_box = [](RECT control) {
        const int top = control.top + (control.bottom - control.top - 13) / 2;
        return RECT{control.left + 2, top + 2, control.left + 11, top + 11};
    };
    heading_box = centre_box(heading);
    pitch_box = centre_box(pitch);
    EXPECT_TRUE(area_is(*picture, heading_box, white));
    EXPECT_GT(count_of(*picture, pitch_box, black), 15);
    // Radio buttons: the chosen one has its dot.
    RECT serial = centre_box(at(106)), network = centre_box(at(107));
    EXPECT_GT(count_of(*picture, serial, black), 8);
    EXPECT_EQ(count_of(*picture, network, black), 0);

    // The group box's etched frame and its title breaking the top line.
    RECT group = at(103);
    EXPECT_TRUE(pixel_is(*picture, group.left, group.bottom - 10, shadow));
    EXPECT_TRUE(pixel_is(*picture, group.left + 1, group.bottom - 10, white));

    // The list box: the selected item in the highlight colours.
    HWND list = GetDlgItem(dialog, 108);
    RECT item{};
    SendMessage(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    MapWindowPoints(list, dialog, reinterpret_cast<POINT*>(&item), 2);
    OffsetRect(&item, client.left, client.top);
    EXPECT_GT(count_of(*picture, item, highlight), (item.right - item.left) * (item.bottom - item.top) / 2);
    EXPECT_GT(count_of(*picture, item, white, 60), 10);  // the item's text

    // The edit: white inside its sunken edge, its text inked.
    RECT edit = at(101, true);
    EXPECT_GT(count_of(*picture, edit, white), 100);
    EXPECT_GT(count_of(*picture, edit, black, 60), 10);
    // The dialog manager turned its WS_BORDER into the sunken client edge:
    // shadow then dark shadow, no black line.
    EXPECT_TRUE(pixel_is(*picture, at(101).left, at(101).top + 5, shadow));
    EXPECT_TRUE(pixel_is(*picture, at(101).left + 1, at(101).top + 5, GetSysColor(COLOR_3DDKSHADOW)));
    EXPECT_EQ(GetWindowLong(GetDlgItem(dialog, 101), GWL_STYLE) & WS_BORDER, 0);
    EXPECT_NE(GetWindowLong(GetDlgItem(dialog, 101), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    // The disabled edit shows the face colour and grey text.
    RECT disabled = at(114, true);
    EXPECT_EQ(count_of(*picture, disabled, white), 0);
    EXPECT_GT(count_of(*picture, disabled, GetSysColor(COLOR_GRAYTEXT), 40), 10);

    // The combo box: a sunken field with the current item and a raised button with its arrow.
    HWND combo = GetDlgItem(dialog, 102);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    // Its WS_VSCROLL is the dropped list's; the box shows no bar of its own.
    EXPECT_EQ(GetWindowLong(combo, GWL_STYLE) & WS_VSCROLL, 0);
    RECT button = info.rcButton;
    MapWindowPoints(combo, dialog, reinterpret_cast<POINT*>(&button), 2);
    OffsetRect(&button, client.left, client.top);
    EXPECT_GT(count_of(*picture, button, face), 100);
    EXPECT_GE(count_of(*picture, {button.left + 4, button.top + 4, button.right - 4, button.bottom - 4}, black), 10);
    RECT field = info.rcItem;
    MapWindowPoints(combo, dialog, reinterpret_cast<POINT*>(&field), 2);
    OffsetRect(&field, client.left, client.top);
    EXPECT_GT(ink_count(*picture, field, white, 40), 10);

    // Scroll bars: the thumb (raised face) between two arrow buttons.
    RECT bar = at(115);
    EXPECT_TRUE(pixel_is(*picture, bar.left + 8, bar.top + 2, face));
    // Along the middle of the track the checker alternates; the thumb is one run of face.
    int run = 0, longest = 0;
    for (int x = bar.left + 16; x < bar.right - 16; ++x) {
        run = picture->colour(x, (bar.top + bar.bottom) / 2) == face ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_GE(longest, 8);
    EXPECT_GT(count_of(*picture, {bar.left + 2, bar.top + 2, bar.left + 14, bar.bottom - 2}, black), 4);

    // The icon from the script, at its own size.
    RECT icon = at(112);
    EXPECT_EQ(icon.right - icon.left, 32);
    EXPECT_GT(ink_count(*picture, icon, face), 100);

    // Static texts: ink in each, where their alignment puts it.
    RECT right = at(110), centre = at(111);
    EXPECT_GT(ink_count(*picture, right, face), 10);
    RECT right_bounds = helm::gdi::testing::ink_bounds(*picture, right, face);
    EXPECT_GE(right_bounds.right, right.right - 2);
    RECT centre_bounds = helm::gdi::testing::ink_bounds(*picture, centre, face);
    EXPECT_NEAR((centre_bounds.left + centre_bounds.right) / 2, (centre.left + centre.right) / 2, 3);
}

TEST_F(EveryControl, TheDroppedListShowsOverTheDialog)
{
    HWND combo = GetDlgItem(dialog, 102);
    SendMessage(combo, CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    ASSERT_TRUE(IsWindowVisible(info.hwndList));
    auto picture = helm::user::snapshot_window(dialog);
    keep_png(*picture, "every_control_dropped");
    RECT list = helm::user::rect_in_snapshot(dialog, info.hwndList, true);
    EXPECT_GT(count_of(*picture, list, white), 200);
    EXPECT_GT(count_of(*picture, list, black, 60), 20);  // three items of text
    SendMessage(combo, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST_F(EveryControl, ParentsChooseTheColoursOfControls)
{
    static HBRUSH static_brush = CreateSolidBrush(RGB(255, 255, 0));
    static HBRUSH dialog_brush = CreateSolidBrush(RGB(0, 128, 128));
    SetWindowLongPtr(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(+[](HWND, UINT m, WPARAM w, LPARAM) -> INT_PTR {
        if (m == WM_CTLCOLORSTATIC) {
            SetTextColor(reinterpret_cast<HDC>(w), RGB(255, 0, 0));
            return reinterpret_cast<INT_PTR>(static_brush);
        }
        if (m == WM_CTLCOLORDLG)
            return reinterpret_cast<INT_PTR>(dialog_brush);
        return FALSE;
    }));
    InvalidateRect(dialog, nullptr, TRUE);
    auto picture = helm::user::snapshot_window(dialog);
    RECT client = helm::user::rect_in_snapshot(dialog, dialog, true);
    EXPECT_TRUE(pixel_is(*picture, client.left + 2, client.bottom - 2, RGB(0, 128, 128)));
    RECT label = at(110);
    EXPECT_GT(count_of(*picture, label, RGB(255, 255, 0)), 50);
    EXPECT_GT(count_of(*picture, label, red, 60), 5);
}

TEST(PaintTest, DialogUnitsComeFromTheMeasuredFont)
{
    struct UnitsCase {
        const char* face;
        WORD points;
        LONG cx, cy;
    };
    // Windows' own figures for these fonts at 96 DPI.
    const UnitsCase cases[] = {{"MS Shell Dlg", 8, 6, 13}, {"Courier New", 10, 8, 16}};
    for (const UnitsCase& c : cases) {
        SCOPED_TRACE(c.face);
        HWND dialog = CreateDialogParam(nullptr, "EVERYCONTROL", nullptr, nullptr, 0);
        ASSERT_TRUE(dialog);
        DestroyWindow(dialog);
        const SIZE units = helm::user::dialog_base_units(c.face, c.points);
        EXPECT_EQ(units.cx, c.cx);
        EXPECT_NEAR(units.cy, c.cy, 1);
    }
    // The dialog's font is a real one, measured where it is used.
    HWND dialog = CreateDialogParam(nullptr, "EVERYCONTROL", nullptr, nullptr, 0);
    HFONT font = reinterpret_cast<HFONT>(SendMessage(dialog, WM_GETFONT, 0, 0));
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
    RECT r{0, 0, 4, 8};
    MapDialogRect(dialog, &r);
    EXPECT_EQ(r.right, 6);
    EXPECT_EQ(r.bottom, 13);
    // List items and the combo box's field are a line of that font high.
    EXPECT_EQ(SendDlgItemMessage(dialog, 108, LB_GETITEMHEIGHT, 0, 0), 13);
    RECT combo;
    GetWindowRect(GetDlgItem(dialog, 102), &combo);
    EXPECT_EQ(combo.bottom - combo.top, 21);
    DestroyWindow(dialog);
}

TEST(PaintTest, BiggerFontsMakeTallerItems)
{
    HWND list = CreateWindowEx(0, "ListBox", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HFONT big = CreateFont(-24, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    SendMessage(list, WM_SETFONT, reinterpret_cast<WPARAM>(big), FALSE);
    const LRESULT height = SendMessage(list, LB_GETITEMHEIGHT, 0, 0);
    EXPECT_GE(height, 26);
    EXPECT_LE(height, 30);
    DestroyWindow(list);
    DeleteObject(big);
}

TEST(PaintTest, PicturesLoadFromTheProgramsResources)
{
    HICON icon = LoadIcon(GetModuleHandle(nullptr), "PAINTICON");
    ASSERT_TRUE(icon);
    EXPECT_EQ(LoadIcon(GetModuleHandle(nullptr), "painticon"), LoadIcon(GetModuleHandle(nullptr), "PAINTICON"));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm{};
    GetObject(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    HBITMAP logo = LoadBitmap(GetModuleHandle(nullptr), "PAINTLOGO");
    ASSERT_TRUE(logo);
    EXPECT_GT(GetObject(logo, sizeof bm, &bm), 0);
    EXPECT_GT(bm.bmWidth, 0);
    DeleteObject(logo);
    HANDLE small = LoadImage(GetModuleHandle(nullptr), "PAINTICON", IMAGE_ICON, 16, 16, 0);
    EXPECT_TRUE(small);

    EXPECT_FALSE(LoadIcon(GetModuleHandle(nullptr), "NOSUCHICON"));
    EXPECT_FALSE(LoadBitmap(GetModuleHandle(nullptr), "NOSUCHBITMAP"));
    EXPECT_TRUE(LoadIcon(nullptr, IDI_APPLICATION));
    EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), LoadCursor(nullptr, IDC_ARROW));
    EXPECT_FALSE(LoadCursor(nullptr, MAKEINTRESOURCE(1)));
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    SetCursor(arrow);
    EXPECT_EQ(GetCursor(), arrow);
}

}  // namespace
