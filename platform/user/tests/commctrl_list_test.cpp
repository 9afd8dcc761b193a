// The list view in report view and its header: columns and cells, widths
// sized to their content, state changes and what the parent hears of them,
// the operator's clicks and keys through the test driver, the header's
// clicks and divider drags, custom draw and scrolling, and both painted in
// the classic look.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "helm/gdi/pixel_checks.h"
#include "helm/user/input.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"
#include "views_fixture.h"

namespace driver = helm::user::testing;

namespace views_test {
namespace {

class ListTest : public ViewsTest {
protected:
    HWND list_with(DWORD style, int rows, RECT r = {10, 10, 310, 160})
    {
        HWND w = make(WC_LISTVIEW, LVS_REPORT | style, 200, r);
        const char* titles[] = {"Name", "Kind", "Value"};
        for (int c = 0; c < 3; ++c) {
            LVCOLUMN col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            col.pszText = const_cast<char*>(titles[c]);
            col.cx = 80;
            col.fmt = LVCFMT_RIGHT;
            EXPECT_EQ(ListView_InsertColumn(w, c, &col), c);
        }
        for (int i = 0; i < rows; ++i) {
            std::string name = "row " + std::to_string(i);
            LVITEM item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = i;
            item.pszText = name.data();
            item.lParam = 100 + i;
            EXPECT_EQ(ListView_InsertItem(w, &item), i);
            std::string kind = "k" + std::to_string(i);
            ListView_SetItemText(w, i, 1, kind.data());
        }
        forget();
        return w;
    }

    static std::string cell(HWND w, int row, int sub)
    {
        char buffer[64] = {};
        ListView_GetItemText(w, row, sub, buffer, sizeof buffer);
        return buffer;
    }

    static RECT sub_rect(HWND w, int row, int sub)
    {
        RECT r{LVIR_BOUNDS, sub, 0, 0};
        EXPECT_TRUE(SendMessage(w, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)));
        return r;
    }

    void click_cell(HWND w, int row, int sub)
    {
        // The first cell's own rectangle is its label (for subitem 0 the
        // subitem rectangle is the whole row, as on Windows).
        RECT r = sub_rect(w, row, sub);
        if (sub == 0) {
            r = RECT{LVIR_LABEL, 0, 0, 0};
            EXPECT_TRUE(SendMessage(w, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)));
        }
        driver::click_at(screen(w, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    }

    static int width(HWND w, int column) { return ListView_GetColumnWidth(w, column); }

    // The parent's custom draw, down to the cells; `cell` may change a
    // cell's colours.
    static void draw_cells(std::function<void(NMLVCUSTOMDRAW*)> cell)
    {
        s_answer = [cell](NMHDR* hdr) -> LRESULT {
            if (hdr->code != NM_CUSTOMDRAW)
                return 0;
            auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
            if (cd->nmcd.dwDrawStage == CDDS_PREPAINT)
                return CDRF_NOTIFYITEMDRAW;
            if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
                return CDRF_NOTIFYSUBITEMDRAW;
            if (cell)
                cell(cd);
            return CDRF_DODEFAULT;
        };
    }
};

TEST_F(ListTest, ColumnsAndCells)
{
    HWND w = list_with(0, 3);
    HWND header = ListView_GetHeader(w);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(Header_GetItemCount(header), 3);

    // The first column is always left-aligned.
    LVCOLUMN col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    ASSERT_TRUE(SendMessage(w, LVM_GETCOLUMN, 0, reinterpret_cast<LPARAM>(&col)));
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    ASSERT_TRUE(SendMessage(w, LVM_GETCOLUMN, 2, reinterpret_cast<LPARAM>(&col)));
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
    EXPECT_EQ(col.cx, 80);
    EXPECT_EQ(col.iSubItem, 2);

    EXPECT_EQ(cell(w, 1, 0), "row 1");
    EXPECT_EQ(cell(w, 1, 1), "k1");
    EXPECT_EQ(cell(w, 1, 2), "");
    char small[4];
    LVITEM get{};
    get.iSubItem = 0;
    get.pszText = small;
    get.cchTextMax = sizeof small;
    EXPECT_EQ(SendMessage(w, LVM_GETITEMTEXT, 1, reinterpret_cast<LPARAM>(&get)), 3);
    EXPECT_STREQ(small, "row");
    LVITEM item{};
    item.mask = LVIF_PARAM;
    item.iItem = 2;
    ASSERT_TRUE(SendMessage(w, LVM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.lParam, 102);

    LVFINDINFO find{};
    find.flags = LVFI_PARAM;
    find.lParam = 101;
    EXPECT_EQ(SendMessage(w, LVM_FINDITEM, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 1);
    find.flags = LVFI_STRING;
    find.psz = "ROW 2";
    EXPECT_EQ(SendMessage(w, LVM_FINDITEM, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 2);

    // Out of range and malformed requests are refused.
    item.iItem = 3;
    EXPECT_FALSE(SendMessage(w, LVM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_FALSE(SendMessage(w, LVM_SETITEM, 0, 0));
    item.iItem = 0;
    item.iSubItem = 1;
    EXPECT_EQ(ListView_InsertItem(w, &item), -1);  // only whole rows are inserted

    ASSERT_TRUE(SendMessage(w, LVM_DELETECOLUMN, 1, 0));
    EXPECT_EQ(Header_GetItemCount(header), 2);
    EXPECT_EQ(cell(w, 1, 1), "");
}

TEST_F(ListTest, ColumnWidthsFitTheirContentAndTellTheParent)
{
    HWND w = list_with(0, 2);
    std::string wide = "a much longer text in the first column";
    ListView_SetItemText(w, 1, 0, wide.data());
    const int text = static_cast<int>(SendMessage(w, LVM_GETSTRINGWIDTH, 0, reinterpret_cast<LPARAM>(wide.c_str())));
    const int title = static_cast<int>(SendMessage(w, LVM_GETSTRINGWIDTH, 0, reinterpret_cast<LPARAM>("Kind")));
    const int k0 = static_cast<int>(SendMessage(w, LVM_GETSTRINGWIDTH, 0, reinterpret_cast<LPARAM>("k0")));
    ASSERT_GT(text, 100);

    struct Case {
        int column;
        int asked;
        int expected;
    };
    const Case cases[] = {
        {0, LVSCW_AUTOSIZE, text + 12},
        {1, LVSCW_AUTOSIZE, k0 + 12},
        {1, LVSCW_AUTOSIZE_USEHEADER, std::max(title, k0) + 12},
        {1, 33, 33},
    };
    for (const Case& c : cases) {
        forget();
        ASSERT_TRUE(ListView_SetColumnWidth(w, c.column, c.asked));
        EXPECT_EQ(width(w, c.column), c.expected) << c.column << " " << c.asked;
        // As on Windows, the parent hears the header's change.
        ASSERT_EQ(heard(HDN_ITEMCHANGED).size(), 1u);
        EXPECT_EQ(heard(HDN_ITEMCHANGED)[0].item, c.column);
        EXPECT_EQ(heard(HDN_ITEMCHANGED)[0].width, c.expected);
    }
    // The last column, sized to its header, fills what is left of the list.
    RECT client;
    GetClientRect(w, &client);
    ASSERT_TRUE(ListView_SetColumnWidth(w, 2, LVSCW_AUTOSIZE_USEHEADER));
    EXPECT_EQ(width(w, 0) + width(w, 1) + width(w, 2), std::max<int>(client.right, width(w, 0) + width(w, 1) + width(w, 2)));
    EXPECT_GE(width(w, 2), 1);

    // A parent answering HDN_ITEMCHANGING keeps the width.
    s_answer = [](NMHDR* hdr) -> LRESULT { return hdr->code == HDN_ITEMCHANGING; };
    EXPECT_FALSE(ListView_SetColumnWidth(w, 1, 90));
    EXPECT_EQ(width(w, 1), 33);
}

TEST_F(ListTest, StateChangesAreToldAndSingleSelectionKeepsOne)
{
    HWND w = list_with(LVS_SINGLESEL, 3);
    ASSERT_TRUE(ListView_SetItemState(w, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
    ASSERT_EQ(codes(w), (std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED}));
    Heard changed = heard(LVN_ITEMCHANGED)[0];
    EXPECT_EQ(changed.item, 0);
    EXPECT_EQ(changed.old_state, 0u);
    EXPECT_EQ(changed.new_state, static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
    EXPECT_EQ(changed.changed, static_cast<UINT>(LVIF_STATE));

    // Selecting another row unselects the first one before.
    forget();
    ListView_SetItemState(w, 2, LVIS_SELECTED, LVIS_SELECTED);
    auto got = heard(LVN_ITEMCHANGED);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].item, 0);
    EXPECT_EQ(got[0].new_state, static_cast<UINT>(LVIS_FOCUSED));
    EXPECT_EQ(got[1].item, 2);
    EXPECT_EQ(ListView_GetNextItem(w, -1, LVNI_SELECTED), 2);
    EXPECT_EQ(ListView_GetNextItem(w, -1, LVNI_FOCUSED), 0);
    EXPECT_EQ(SendMessage(w, LVM_GETSELECTEDCOUNT, 0, 0), 1);

    // The same state again is no change; a refused change stays undone.
    forget();
    ListView_SetItemState(w, 2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(codes(w).empty());
    s_answer = [](NMHDR* hdr) -> LRESULT { return hdr->code == LVN_ITEMCHANGING; };
    EXPECT_FALSE(ListView_SetItemState(w, 1, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(ListView_GetItemState(w, 1, LVIS_SELECTED), 0u);
    EXPECT_TRUE(heard(LVN_ITEMCHANGED).empty());
    s_answer = nullptr;

    // -1 reaches every row.
    ListView_SetItemState(w, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(SendMessage(w, LVM_GETSELECTEDCOUNT, 0, 0), 0);
    EXPECT_EQ(ListView_GetNextItem(w, -1, LVNI_FOCUSED), -1);
}

TEST_F(ListTest, InsertionAndDeletionAreTold)
{
    HWND w = list_with(0, 0);
    LVITEM item{};
    item.mask = LVIF_TEXT;
    item.iItem = 99;  // past the end: appended
    item.pszText = const_cast<char*>("a");
    EXPECT_EQ(ListView_InsertItem(w, &item), 0);
    item.iItem = 0;
    item.pszText = const_cast<char*>("b");
    EXPECT_EQ(ListView_InsertItem(w, &item), 0);
    EXPECT_EQ(cell(w, 1, 0), "a");
    ASSERT_EQ(heard(LVN_INSERTITEM).size(), 2u);

    forget();
    ASSERT_TRUE(ListView_DeleteItem(w, 0));
    ASSERT_EQ(heard(LVN_DELETEITEM).size(), 1u);
    EXPECT_EQ(heard(LVN_DELETEITEM)[0].item, 0);
    EXPECT_FALSE(ListView_DeleteItem(w, 5));

    // A parent answering LVN_DELETEALLITEMS hears no more.
    for (int i = 0; i < 3; ++i)
        ListView_InsertItem(w, &item);
    forget();
    s_answer = [](NMHDR* hdr) -> LRESULT { return hdr->code == LVN_DELETEALLITEMS; };
    ASSERT_TRUE(ListView_DeleteAllItems(w));
    EXPECT_EQ(codes(w), (std::vector<UINT>{LVN_DELETEALLITEMS}));
    EXPECT_EQ(ListView_GetItemCount(w), 0);

    s_answer = nullptr;
    ListView_InsertItem(w, &item);
    ListView_InsertItem(w, &item);
    forget();
    DestroyWindow(w);
    EXPECT_EQ(heard(LVN_DELETEALLITEMS).size(), 1u);
    EXPECT_EQ(heard(LVN_DELETEITEM).size(), 2u);
}

TEST_F(ListTest, OperatorClicksSelectThenTell)
{
    HWND w = list_with(LVS_SINGLESEL | LVS_SHOWSELALWAYS, 4);
    ListView_SetExtendedListViewStyle(w, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);

    click_cell(w, 2, 1);
    auto got = codes(w);
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got.back(), NM_CLICK);
    EXPECT_EQ(ListView_GetNextItem(w, -1, LVNI_SELECTED), 2);
    EXPECT_EQ(ListView_GetNextItem(w, -1, LVNI_FOCUSED), 2);
    Heard click = heard(NM_CLICK)[0];
    EXPECT_EQ(click.item, 2);
    EXPECT_EQ(click.sub_item, 1);
    EXPECT_EQ(GetFocus(), w);
    EXPECT_EQ(GetCapture(), nullptr);

    // Below the last row: nothing selected, a click on no item.
    forget();
    RECT r = sub_rect(w, 3, 0);
    driver::click_at(screen(w, {r.left + 5, r.bottom + 20}));
    EXPECT_EQ(SendMessage(w, LVM_GETSELECTEDCOUNT, 0, 0), 0);
    ASSERT_EQ(heard(NM_CLICK).size(), 1u);
    EXPECT_EQ(heard(NM_CLICK)[0].item, -1);

    forget();
    RECT c = sub_rect(w, 1, 2);
    SendMessage(w, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM((c.left + c.right) / 2, (c.top + c.bottom) / 2));
    ASSERT_EQ(heard(NM_DBLCLK).size(), 1u);
    EXPECT_EQ(heard(NM_DBLCLK)[0].item, 1);
    EXPECT_EQ(heard(NM_DBLCLK)[0].sub_item, 2);
    EXPECT_EQ(heard(LVN_ITEMACTIVATE).size(), 1u);

    // Without full-row select only the first column holds the row.
    ListView_SetExtendedListViewStyle(w, 0);
    forget();
    click_cell(w, 0, 2);
    EXPECT_EQ(SendMessage(w, LVM_GETSELECTEDCOUNT, 0, 0), 0);
    click_cell(w, 0, 0);
    EXPECT_EQ(ListView_GetNextItem(w, -1, LVNI_SELECTED), 0);
}

TEST_F(ListTest, OperatorKeysMoveTheSelection)
{
    HWND w = list_with(LVS_SINGLESEL, 5);
    driver::focus(w);
    struct Step {
        BYTE key;
        int selected;
    };
    const Step steps[] = {{VK_DOWN, 0}, {VK_DOWN, 1}, {VK_END, 4}, {VK_UP, 3}, {VK_HOME, 0}, {VK_UP, 0}};
    for (const Step& s : steps) {
        forget();
        driver::press(s.key);
        EXPECT_EQ(ListView_GetNextItem(w, -1, LVNI_SELECTED), s.selected) << int(s.key);
        EXPECT_EQ(ListView_GetNextItem(w, -1, LVNI_FOCUSED), s.selected) << int(s.key);
        EXPECT_EQ(codes(w).front(), LVN_KEYDOWN);
    }
}

TEST_F(ListTest, HeaderClicksAndDividerDrags)
{
    HWND w = list_with(0, 2);
    HWND header = ListView_GetHeader(w);
    RECT title{};
    Header_GetItemRect(header, 1, &title);
    driver::click_at(screen(header, {(title.left + title.right) / 2, 5}));
    EXPECT_EQ(heard(HDN_ITEMCLICK).size(), 1u);
    ASSERT_EQ(heard(LVN_COLUMNCLICK).size(), 1u);
    EXPECT_EQ(heard(LVN_COLUMNCLICK)[0].sub_item, 1);

    // A drag of the divider after column 0, first refused, then allowed.
    RECT first{};
    Header_GetItemRect(header, 0, &first);
    auto drag = [&](int by) {
        SendMessage(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.right - 1, 5));
        SendMessage(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(first.right - 1 + by, 5));
        SendMessage(header, WM_LBUTTONUP, 0, MAKELPARAM(first.right - 1 + by, 5));
    };
    s_answer = [](NMHDR* hdr) -> LRESULT { return hdr->code == HDN_BEGINTRACK; };
    forget();
    drag(30);
    EXPECT_EQ(width(w, 0), 80);
    EXPECT_EQ(codes(header), (std::vector<UINT>{HDN_BEGINTRACK}));
    EXPECT_EQ(GetCapture(), nullptr);

    s_answer = nullptr;
    forget();
    drag(30);
    EXPECT_EQ(width(w, 0), 110);
    EXPECT_EQ(codes(header),
              (std::vector<UINT>{HDN_BEGINTRACK, HDN_TRACK, HDN_TRACK, HDN_ENDTRACK, HDN_ITEMCHANGING, HDN_ITEMCHANGED}));
    // The cells follow their column.
    EXPECT_EQ(sub_rect(w, 0, 1).left, 110);

    // A disabled header takes no clicks; without sorting it has no buttons.
    EnableWindow(header, FALSE);
    forget();
    driver::click_at(screen(header, {(title.left + title.right) / 2 + 30, 5}));
    EXPECT_TRUE(heard(HDN_ITEMCLICK).empty());
    HWND plain = list_with(LVS_NOSORTHEADER, 1, {10, 170, 310, 260});
    HWND plain_header = ListView_GetHeader(plain);
    Header_GetItemRect(plain_header, 1, &title);
    driver::click_at(screen(plain_header, {(title.left + title.right) / 2, 5}));
    EXPECT_TRUE(heard(HDN_ITEMCLICK).empty());
}

TEST_F(ListTest, CustomDrawAsksForRowsAndCells)
{
    HWND w = list_with(0, 2);
    ListView_SetItemState(w, 1, LVIS_SELECTED, LVIS_SELECTED);
    SendMessage(w, LVM_SETTEXTBKCOLOR, 0, RGB(0xF5, 0xFA, 0xFF));
    driver::pump_until_idle();
    draw_cells(nullptr);
    forget();
    InvalidateRect(w, nullptr, TRUE);
    UpdateWindow(w);
    auto got = heard(NM_CUSTOMDRAW);
    // The whole paint, then per row the row and its three cells.
    ASSERT_EQ(got.size(), 1u + 2u * 4u);
    EXPECT_EQ(got[0].stage, static_cast<DWORD>(CDDS_PREPAINT));
    EXPECT_EQ(got[1].stage, static_cast<DWORD>(CDDS_ITEMPREPAINT));
    EXPECT_EQ(got[1].spec, 0u);
    EXPECT_EQ(got[1].item_data, 100);
    EXPECT_EQ(got[1].back, RGB(0xF5, 0xFA, 0xFF));
    EXPECT_EQ(got[2].stage, static_cast<DWORD>(CDDS_ITEMPREPAINT | CDDS_SUBITEM));
    EXPECT_EQ(got[4].sub_item, 2);
    EXPECT_EQ(got[5].spec, 1u);
    EXPECT_EQ(got[5].item_state & CDIS_SELECTED, static_cast<UINT>(CDIS_SELECTED));
}

TEST_F(ListTest, RowsScrollUnderTheHeader)
{
    HWND w = list_with(0, 30);
    HWND header = ListView_GetHeader(w);
    RECT h;
    GetClientRect(header, &h);
    ASSERT_GT(h.bottom, 0);
    RECT first = sub_rect(w, 0, 0);
    EXPECT_EQ(first.top, h.bottom);
    const int height = first.bottom - first.top;
    EXPECT_EQ(sub_rect(w, 3, 0).top, h.bottom + 3 * height);

    const int page = static_cast<int>(SendMessage(w, LVM_GETCOUNTPERPAGE, 0, 0));
    ASSERT_GT(page, 1);
    ASSERT_LT(page, 30);
    ASSERT_TRUE(SendMessage(w, LVM_ENSUREVISIBLE, 29, FALSE));
    EXPECT_EQ(SendMessage(w, LVM_GETTOPINDEX, 0, 0), 30 - page);
    EXPECT_EQ(sub_rect(w, 29, 0).top, h.bottom + (page - 1) * height);

    LVHITTESTINFO hit{};
    hit.pt = {5, static_cast<LONG>(h.bottom + height / 2)};
    EXPECT_EQ(SendMessage(w, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 30 - page);
    hit.pt = {5, 2};  // on the header
    EXPECT_EQ(SendMessage(w, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);

    SendMessage(w, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(SendMessage(w, LVM_GETTOPINDEX, 0, 0), 0);

    // Sideways, the header moves with the cells.
    ListView_SetColumnWidth(w, 2, 400);
    SendMessage(w, WM_HSCROLL, SB_LINERIGHT, 0);
    RECT moved;
    GetWindowRect(header, &moved);
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    EXPECT_EQ(moved.left - origin.x, -8);
    EXPECT_EQ(sub_rect(w, 0, 1).left, 80 - 8);
}

using helm::gdi::testing::count_of;
using helm::gdi::testing::ink_bounds;
using helm::gdi::testing::pixel_is;

// Where a rectangle of a window's client area lies in the parent's picture.
RECT in_picture(HWND parent, HWND window, RECT r)
{
    const RECT area = helm::user::rect_in_snapshot(parent, window, true);
    OffsetRect(&r, area.left, area.top);
    return r;
}

// The grid of the system's geometry dialog: single selection always shown,
// full rows, grid lines, its own background, and cells the parent colours.
TEST_F(ListTest, PaintsHeaderCellsSelectionAndGrid)
{
    HWND w = list_with(LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, 3);
    ListView_SetExtendedListViewStyle(w, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    constexpr COLORREF grid_back = RGB(0xF5, 0xFA, 0xFF);
    SendMessage(w, LVM_SETBKCOLOR, 0, grid_back);
    for (int row = 0; row < 3; ++row) {
        std::string value = std::to_string(row) + ".5";
        ListView_SetItemText(w, row, 2, value.data());
    }
    ListView_SetItemState(w, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(w);
    // Cells of the third column in the inactive caption's colours.
    draw_cells([](NMLVCUSTOMDRAW* cd) {
        const bool value = cd->iSubItem == 2;
        cd->clrText = value ? GetSysColor(COLOR_INACTIVECAPTIONTEXT) : RGB(0, 0, 0);
        cd->clrTextBk = value ? GetSysColor(COLOR_INACTIVECAPTION) : grid_back;
    });
    auto picture = helm::user::snapshot_window(m_parent);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "commctrl_list");
    const COLORREF face = GetSysColor(COLOR_BTNFACE);

    // The header: raised titles with their text.
    HWND header = ListView_GetHeader(w);
    for (int c = 0; c < 3; ++c) {
        SCOPED_TRACE(c);
        RECT title{};
        ASSERT_TRUE(Header_GetItemRect(header, c, &title));
        const RECT t = in_picture(m_parent, header, title);
        EXPECT_TRUE(pixel_is(*picture, t.left, t.top, GetSysColor(COLOR_BTNHIGHLIGHT)));
        EXPECT_TRUE(pixel_is(*picture, t.right - 1, t.bottom - 1, GetSysColor(COLOR_3DDKSHADOW)));
        EXPECT_GT(count_of(*picture, {t.left + 2, t.top + 2, t.right - 2, t.bottom - 2}, RGB(0, 0, 0), 60), 5);
    }

    // Row 0: the grid's background, the value cell in the parent's colours,
    // its text at the right as the column says.
    auto cell_of = [&](int row, int sub) {
        RECT r = sub_rect(w, row, sub);
        if (sub == 0)
            r.right = r.left + width(w, 0);
        r.right -= 1;   // the grid line
        r.bottom -= 1;
        return in_picture(m_parent, w, r);
    };
    const RECT name = cell_of(0, 0), value = cell_of(0, 2);
    const int cell_area = (name.right - name.left) * (name.bottom - name.top);
    EXPECT_GT(count_of(*picture, name, grid_back), cell_area * 7 / 10);
    EXPECT_GT(count_of(*picture, value, GetSysColor(COLOR_INACTIVECAPTION)), cell_area * 7 / 10);
    const RECT ink = ink_bounds(*picture, value, GetSysColor(COLOR_INACTIVECAPTION), 40);
    EXPECT_GT(ink.left, (value.left + value.right) / 2);

    // Row 1 is selected across the whole row in the highlight colours.
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    for (int sub = 0; sub < 3; ++sub)
        EXPECT_GT(count_of(*picture, cell_of(1, sub), highlight), cell_area / 2) << sub;

    // Grid lines under each row and at each column's right edge.
    const RECT row0 = in_picture(m_parent, w, sub_rect(w, 0, 0));
    EXPECT_TRUE(pixel_is(*picture, row0.left + 20, row0.bottom - 1, face));
    EXPECT_TRUE(pixel_is(*picture, name.right, name.top + 3, face));
    // Three rows fit: no bars.
    EXPECT_EQ(GetWindowLong(w, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), 0);
}

// Titles press flat while the mouse holds them and turn grey when the header
// is disabled; without full-row selection only the first label is lit; a
// wide column brings the horizontal bar.
TEST_F(ListTest, PaintsPressedAndDisabledTitlesAndTheFirstLabelSelected)
{
    HWND w = list_with(0, 2);
    ListView_SetItemState(w, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(w);
    HWND header = ListView_GetHeader(w);
    RECT kind{};
    ASSERT_TRUE(Header_GetItemRect(header, 1, &kind));
    POINT at{(kind.left + kind.right) / 2, (kind.top + kind.bottom) / 2};
    ClientToScreen(header, &at);
    helm::user::input::mouse_button(at, helm::user::input::Button::left, true);
    driver::pump_until_idle();
    auto pressed = helm::user::snapshot_window(m_parent);
    ASSERT_TRUE(pressed);
    helm::gdi::testing::keep_png(*pressed, "commctrl_list_pressed");
    const RECT k = in_picture(m_parent, header, kind);
    EXPECT_TRUE(pixel_is(*pressed, k.left, k.top, GetSysColor(COLOR_BTNSHADOW)));
    RECT name_title{};
    Header_GetItemRect(header, 0, &name_title);
    const RECT n = in_picture(m_parent, header, name_title);
    EXPECT_TRUE(pixel_is(*pressed, n.left, n.top, GetSysColor(COLOR_BTNHIGHLIGHT)));
    helm::user::input::mouse_button(at, helm::user::input::Button::left, false);
    driver::pump_until_idle();
    EXPECT_EQ(heard(LVN_COLUMNCLICK).size(), 1u);

    // The selection lights the first label only, as wide as its text.
    const RECT label = in_picture(m_parent, w, [&] {
        RECT r{LVIR_LABEL, 0, 0, 0};
        SendMessage(w, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
        return r;
    }());
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    EnableWindow(header, FALSE);
    auto picture = helm::user::snapshot_window(m_parent);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "commctrl_list_disabled");
    EXPECT_GT(count_of(*picture, label, highlight), 20);
    EXPECT_EQ(count_of(*picture, {label.right - 10, label.top, label.right, label.bottom}, highlight), 0);
    EXPECT_EQ(count_of(*picture, in_picture(m_parent, w, sub_rect(w, 0, 1)), highlight), 0);
    // Disabled titles: grey text, no black.
    EXPECT_EQ(count_of(*picture, k, RGB(0, 0, 0), 40), 0);
    EXPECT_GT(count_of(*picture, k, GetSysColor(COLOR_GRAYTEXT), 40), 5);

    ListView_SetColumnWidth(w, 2, 400);
    EXPECT_NE(GetWindowLong(w, GWL_STYLE) & WS_HSCROLL, 0);
    ListView_SetColumnWidth(w, 2, 80);
    EXPECT_EQ(GetWindowLong(w, GWL_STYLE) & WS_HSCROLL, 0);
}

}  // namespace
}  // namespace views_test
