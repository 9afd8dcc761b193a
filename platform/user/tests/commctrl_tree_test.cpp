// The tree view: insertion order, items' fields, deletion, expansion,
// selection and what the parent hears of each, the operator's mouse and
// keys through the test driver, custom draw and scrolling, and the tree
// painted in the classic look.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "helm/gdi/pixel_checks.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"
#include "views_fixture.h"

namespace driver = helm::user::testing;

namespace views_test {
namespace {

class TreeTest : public ViewsTest {
protected:
    void SetUp() override
    {
        ViewsTest::SetUp();
        tree = make(WC_TREEVIEW, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 100);
    }

    HTREEITEM add(const char* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST, LPARAM data = 0)
    {
        TVINSERTSTRUCT is{};
        is.hParent = parent;
        is.hInsertAfter = after;
        is.item.mask = TVIF_TEXT | TVIF_PARAM;
        is.item.pszText = const_cast<char*>(text);
        is.item.lParam = data;
        return TreeView_InsertItem(tree, &is);
    }

    std::string text(HTREEITEM item)
    {
        char buffer[64] = {};
        TVITEM tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = buffer;
        tv.cchTextMax = sizeof buffer;
        return TreeView_GetItem(tree, &tv) ? buffer : "<none>";
    }

    // The texts of `parent`'s children, joined with spaces.
    std::string children(HTREEITEM parent = nullptr)
    {
        std::string out;
        for (HTREEITEM i = TreeView_GetChild(tree, parent); i; i = TreeView_GetNextSibling(tree, i))
            out += (out.empty() ? "" : " ") + text(i);
        return out;
    }

    RECT row_rect(HTREEITEM item, bool text_only)
    {
        RECT r{};
        std::memcpy(&r, &item, sizeof item);
        EXPECT_TRUE(SendMessage(tree, TVM_GETITEMRECT, text_only, reinterpret_cast<LPARAM>(&r)));
        return r;
    }

    // The parent's custom draw: the text of items whose data is `data` in
    // `colour`.
    static void colour_items(LPARAM data, COLORREF colour)
    {
        s_answer = [data, colour](NMHDR* hdr) -> LRESULT {
            if (hdr->code != NM_CUSTOMDRAW)
                return 0;
            auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(hdr);
            if (cd->nmcd.dwDrawStage == CDDS_PREPAINT)
                return CDRF_NOTIFYITEMDRAW;
            if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && cd->nmcd.lItemlParam == data)
                cd->clrText = colour;
            return CDRF_DODEFAULT;
        };
    }

    // Clicks the middle of an item's label.
    void click_label(HTREEITEM item)
    {
        RECT r = row_rect(item, true);
        driver::click_at(screen(tree, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    }

    HWND tree = nullptr;
};

TEST_F(TreeTest, InsertsFirstLastSortedAndAfterASibling)
{
    struct Case {
        const char* name;
        HTREEITEM after;  // null: after the item "b"
        const char* order;
    };
    const Case cases[] = {
        {"x", TVI_LAST, "c a b x"},
        {"x", TVI_FIRST, "x c a b"},
        {"x", nullptr, "c a b x"},
        // Sorted insertion goes after the last item not greater, so it keeps
        // an unsorted list's order around it.
        {"B", TVI_SORT, "B c a b"},
        {"d", TVI_SORT, "c a b d"},
    };
    for (const Case& c : cases) {
        TreeView_DeleteAllItems(tree);
        add("c");
        add("a");
        HTREEITEM b = add("b");
        if (!c.after) {
            add(c.name, TVI_ROOT, b);
        } else {
            ASSERT_NE(add(c.name, TVI_ROOT, c.after), nullptr);
        }
        EXPECT_EQ(children(), c.order) << c.name;
    }

    TreeView_DeleteAllItems(tree);
    HTREEITEM m = add("m");
    for (const char* t : {"pear", "Apple", "fig", "apple2"})
        add(t, m, TVI_SORT);
    EXPECT_EQ(children(m), "Apple apple2 fig pear");
    EXPECT_EQ(TreeView_GetParent(tree, TreeView_GetChild(tree, m)), m);
    EXPECT_EQ(TreeView_GetParent(tree, m), nullptr);
    EXPECT_EQ(TreeView_GetCount(tree), 5u);

    // A parent that is not an item of this tree gives nothing.
    HWND other = make(WC_TREEVIEW, 0, 101);
    TVINSERTSTRUCT is{};
    is.hParent = m;
    is.hInsertAfter = TVI_LAST;
    EXPECT_EQ(TreeView_InsertItem(other, &is), nullptr);
    EXPECT_EQ(SendMessage(tree, TVM_INSERTITEM, 0, 0), 0);
    EXPECT_TRUE(heard(TVN_SELCHANGED).empty());
}

TEST_F(TreeTest, ItemFieldsAndCallbackText)
{
    HTREEITEM a = add("Heading sensor", TVI_ROOT, TVI_LAST, 42);
    TVITEM tv{};
    tv.mask = TVIF_STATE;
    tv.hItem = a;
    tv.state = TVIS_BOLD | TVIS_SELECTED;
    tv.stateMask = TVIS_BOLD | TVIS_SELECTED;
    ASSERT_TRUE(TreeView_SetItem(tree, &tv));

    // The selection moves only with TVM_SELECTITEM.
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr);
    EXPECT_EQ(SendMessage(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(a), TVIS_BOLD | TVIS_SELECTED), TVIS_BOLD);

    char small[8];
    TVITEM get{};
    get.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    get.hItem = a;
    get.pszText = small;
    get.cchTextMax = sizeof small;
    get.stateMask = TVIS_BOLD;
    ASSERT_TRUE(TreeView_GetItem(tree, &get));
    EXPECT_STREQ(small, "Heading");
    EXPECT_EQ(get.lParam, 42);
    EXPECT_EQ(get.state, static_cast<UINT>(TVIS_BOLD));

    tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = a;
    tv.pszText = const_cast<char*>("Roll");
    ASSERT_TRUE(TreeView_SetItem(tree, &tv));
    EXPECT_EQ(text(a), "Roll");

    // A callback text is asked of the parent each time.
    s_answer = [](NMHDR* hdr) -> LRESULT {
        if (hdr->code == TVN_GETDISPINFO) {
            auto* di = reinterpret_cast<NMTVDISPINFO*>(hdr);
            if (di->item.mask & TVIF_TEXT)
                std::snprintf(di->item.pszText, static_cast<size_t>(di->item.cchTextMax), "asked");
        }
        return 0;
    };
    tv.pszText = LPSTR_TEXTCALLBACK;
    ASSERT_TRUE(TreeView_SetItem(tree, &tv));
    EXPECT_EQ(text(a), "asked");
    EXPECT_EQ(heard(TVN_GETDISPINFO).size(), 1u);

    // Unknown items are refused, not read.
    tv.hItem = reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(12345));
    EXPECT_FALSE(TreeView_SetItem(tree, &tv));
    EXPECT_FALSE(TreeView_GetItem(tree, &tv));
    EXPECT_FALSE(TreeView_SetItem(tree, nullptr));
}

TEST_F(TreeTest, DeletingTellsTheParentOfEveryItemChildrenFirst)
{
    HTREEITEM a = add("a", TVI_ROOT, TVI_LAST, 1);
    HTREEITEM a1 = add("a1", a, TVI_LAST, 2);
    HTREEITEM a1x = add("a1x", a1, TVI_LAST, 3);
    HTREEITEM b = add("b", TVI_ROOT, TVI_LAST, 4);
    TreeView_SelectItem(tree, a1);
    forget();

    ASSERT_TRUE(TreeView_DeleteItem(tree, a));
    std::vector<HTREEITEM> order;
    for (const Heard& h : heard(TVN_DELETEITEM))
        order.push_back(h.old_item);
    EXPECT_EQ(order, (std::vector<HTREEITEM>{a1x, a1, a}));
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr);
    EXPECT_EQ(children(), "b");
    EXPECT_EQ(TreeView_GetCount(tree), 1u);
    // The handle of a deleted item means nothing any more.
    EXPECT_FALSE(TreeView_DeleteItem(tree, a1));
    EXPECT_EQ(text(a1), "<none>");

    forget();
    add("c");
    DestroyWindow(tree);
    ASSERT_EQ(heard(TVN_DELETEITEM).size(), 2u);
    EXPECT_EQ(heard(TVN_DELETEITEM)[0].old_item, b);
}

TEST_F(TreeTest, ExpandingShowsChildrenAndCollapsingMovesTheSelectionUp)
{
    HTREEITEM a = add("a");
    HTREEITEM a1 = add("a1", a);
    HTREEITEM b = add("b");
    HTREEITEM leaf = add("leaf", b, TVI_LAST);
    TreeView_DeleteItem(tree, leaf);
    forget();

    // A child of a closed item has no rectangle.
    RECT r{};
    std::memcpy(&r, &a1, sizeof a1);
    EXPECT_FALSE(SendMessage(tree, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&r)));
    const int height = static_cast<int>(SendMessage(tree, TVM_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(row_rect(b, false).top, height);

    // The program's expansion is silent, as on Windows.
    ASSERT_TRUE(TreeView_Expand(tree, a, TVE_EXPAND));
    EXPECT_TRUE(codes(tree).empty());
    EXPECT_EQ(row_rect(a1, false).top, height);
    EXPECT_EQ(row_rect(b, false).top, 2 * height);
    EXPECT_GT(row_rect(a1, true).left, row_rect(a, true).left);
    EXPECT_EQ(TreeView_GetNextItem(tree, a, TVGN_NEXTVISIBLE), a1);
    // An item without children does not open.
    EXPECT_FALSE(TreeView_Expand(tree, b, TVE_EXPAND));

    // Collapsing over the selection moves it to the collapsed item.
    TreeView_SelectItem(tree, a1);
    forget();
    ASSERT_TRUE(TreeView_Expand(tree, a, TVE_COLLAPSE));
    EXPECT_EQ(TreeView_GetSelection(tree), a);
    ASSERT_EQ(heard(TVN_SELCHANGED).size(), 1u);
    EXPECT_EQ(heard(TVN_SELCHANGED)[0].action, static_cast<UINT>(TVC_UNKNOWN));
    EXPECT_EQ(heard(TVN_SELCHANGED)[0].old_item, a1);

    // Collapse-reset drops the children.
    TreeView_Expand(tree, a, TVE_EXPAND);
    forget();
    TreeView_Expand(tree, a, TVE_COLLAPSE | TVE_COLLAPSERESET);
    EXPECT_EQ(TreeView_GetChild(tree, a), nullptr);
    EXPECT_EQ(heard(TVN_DELETEITEM).size(), 1u);
}

TEST_F(TreeTest, SelectionByTheProgramIsToldAndCanBeRefused)
{
    HTREEITEM a = add("a", TVI_ROOT, TVI_LAST, 7);
    HTREEITEM a1 = add("a1", a, TVI_LAST, 8);
    ASSERT_TRUE(TreeView_SelectItem(tree, a));
    ASSERT_EQ(codes(tree), (std::vector<UINT>{TVN_SELCHANGING, TVN_SELCHANGED}));
    EXPECT_EQ(heard(TVN_SELCHANGED)[0].new_item, a);
    EXPECT_EQ(heard(TVN_SELCHANGED)[0].old_item, nullptr);

    // The same item again: nothing to tell.
    forget();
    ASSERT_TRUE(TreeView_SelectItem(tree, a));
    EXPECT_TRUE(codes(tree).empty());

    // Selecting a hidden child opens its parent, telling of that too.
    ASSERT_TRUE(TreeView_SelectItem(tree, a1));
    EXPECT_EQ(codes(tree),
              (std::vector<UINT>{TVN_SELCHANGING, TVN_SELCHANGED, TVN_ITEMEXPANDING, TVN_ITEMEXPANDED}));
    EXPECT_EQ(heard(TVN_ITEMEXPANDED)[0].action, static_cast<UINT>(TVE_EXPAND));

    // A parent that answers TVN_SELCHANGING keeps the selection.
    s_answer = [](NMHDR* hdr) -> LRESULT { return hdr->code == TVN_SELCHANGING; };
    forget();
    EXPECT_FALSE(TreeView_SelectItem(tree, a));
    EXPECT_EQ(TreeView_GetSelection(tree), a1);
    EXPECT_EQ(codes(tree), (std::vector<UINT>{TVN_SELCHANGING}));
}

TEST_F(TreeTest, OperatorClicksAndDoubleClicks)
{
    HTREEITEM a = add("alpha");
    HTREEITEM a1 = add("alpha one", a);
    HTREEITEM b = add("beta");

    // A click on a label: NM_CLICK before the selection moves, as on
    // Windows, then the change by mouse.
    click_label(b);
    EXPECT_EQ(codes(tree), (std::vector<UINT>{NM_SETFOCUS, NM_CLICK, TVN_SELCHANGING, TVN_SELCHANGED}));
    EXPECT_EQ(heard(TVN_SELCHANGED)[0].action, static_cast<UINT>(TVC_BYMOUSE));
    EXPECT_EQ(TreeView_GetSelection(tree), b);
    EXPECT_EQ(GetCapture(), nullptr);

    // A click on the button opens the item, without selecting it.
    forget();
    RECT label = row_rect(a, true);
    const int indent = static_cast<int>(SendMessage(tree, TVM_GETINDENT, 0, 0));
    driver::click_at(screen(tree, {label.left - indent / 2, (label.top + label.bottom) / 2}));
    EXPECT_EQ(codes(tree), (std::vector<UINT>{TVN_ITEMEXPANDING, TVN_ITEMEXPANDED}));
    EXPECT_TRUE(SendMessage(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(a), TVIS_EXPANDED));
    EXPECT_EQ(TreeView_GetSelection(tree), b);

    // A double click on a label toggles the item; a parent refusing the
    // expansion keeps it as it is.
    forget();
    RECT r = row_rect(a, true);
    driver::double_click(tree);  // centre of the tree: nothing there to toggle
    forget();
    SendMessage(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(r.left + 3, r.top + 3));
    EXPECT_EQ(codes(tree), (std::vector<UINT>{NM_DBLCLK, TVN_ITEMEXPANDING, TVN_ITEMEXPANDED}));
    EXPECT_FALSE(SendMessage(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(a), TVIS_EXPANDED));
    s_answer = [](NMHDR* hdr) -> LRESULT { return hdr->code == TVN_ITEMEXPANDING; };
    forget();
    SendMessage(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(r.left + 3, r.top + 3));
    EXPECT_FALSE(SendMessage(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(a), TVIS_EXPANDED));
    EXPECT_EQ(a1, TreeView_GetChild(tree, a));
}

TEST_F(TreeTest, OperatorKeys)
{
    HTREEITEM a = add("alpha");
    HTREEITEM a1 = add("apple", a);
    HTREEITEM a2 = add("avocado", a);
    HTREEITEM b = add("beta");
    driver::focus(tree);
    TreeView_SelectItem(tree, a);

    struct Step {
        BYTE key;
        HTREEITEM selected;
        bool a_open;
    };
    const Step steps[] = {
        {VK_DOWN, b, false},    // a is closed: its children are not rows
        {VK_UP, a, false},      //
        {VK_RIGHT, a, true},    // opens
        {VK_RIGHT, a1, true},   // into the first child
        {VK_DOWN, a2, true},    //
        {VK_LEFT, a, true},     // a child goes to its parent
        {VK_LEFT, a, false},    // an open item closes
        {VK_END, b, false},     //
        {VK_HOME, a, false},    //
        {VK_ADD, a, true},      //
        {VK_SUBTRACT, a, false},
    };
    for (const Step& s : steps) {
        forget();
        driver::press(s.key);
        EXPECT_EQ(TreeView_GetSelection(tree), s.selected) << int(s.key);
        EXPECT_EQ(SendMessage(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(a), TVIS_EXPANDED) != 0, s.a_open)
            << int(s.key);
        EXPECT_EQ(codes(tree).front(), TVN_KEYDOWN);
        for (const Heard& h : heard(TVN_SELCHANGED))
            EXPECT_EQ(h.action, static_cast<UINT>(TVC_BYKEYBOARD));
    }

    // A typed letter goes to the next item starting with it.
    driver::type("b");
    EXPECT_EQ(TreeView_GetSelection(tree), b);
    forget();
    driver::press(VK_RETURN);
    EXPECT_EQ(heard(NM_RETURN).size(), 1u);
}

TEST_F(TreeTest, CustomDrawAsksForEachShownItemsColours)
{
    HTREEITEM a = add("a", TVI_ROOT, TVI_LAST, 11);
    add("a1", a, TVI_LAST, 12);
    HTREEITEM b = add("b", TVI_ROOT, TVI_LAST, 13);
    TreeView_SetBkColor(tree, RGB(0, 0, 0));
    TreeView_SelectItem(tree, b);
    driver::pump_until_idle();

    // Without CDRF_NOTIFYITEMDRAW the parent hears only the whole paint.
    forget();
    InvalidateRect(tree, nullptr, TRUE);
    UpdateWindow(tree);
    ASSERT_EQ(heard(NM_CUSTOMDRAW).size(), 1u);
    EXPECT_EQ(heard(NM_CUSTOMDRAW)[0].stage, static_cast<DWORD>(CDDS_PREPAINT));

    colour_items(13, RGB(255, 0, 0));
    forget();
    InvalidateRect(tree, nullptr, TRUE);
    UpdateWindow(tree);
    auto got = heard(NM_CUSTOMDRAW);
    ASSERT_EQ(got.size(), 3u);  // the closed a's child is not drawn
    EXPECT_EQ(got[1].stage, static_cast<DWORD>(CDDS_ITEMPREPAINT));
    EXPECT_EQ(got[1].spec, reinterpret_cast<DWORD_PTR>(a));
    EXPECT_EQ(got[1].item_data, 11);
    EXPECT_EQ(got[1].back, RGB(0, 0, 0));  // the tree's own background
    EXPECT_EQ(got[1].item_state & CDIS_SELECTED, 0u);
    EXPECT_EQ(got[2].spec, reinterpret_cast<DWORD_PTR>(b));
    EXPECT_EQ(got[2].item_state & CDIS_SELECTED, static_cast<UINT>(CDIS_SELECTED));
}

// Lines, buttons, labels in their colours and fonts, and the bar that
// comes with more rows than the tree shows.
TEST_F(TreeTest, PaintsLinesButtonsAndLabels)
{
    using helm::gdi::testing::count_of;
    using helm::gdi::testing::ink_count;
    HTREEITEM ports = add("Ports");
    HTREEITEM com1 = add("COM 1", ports);
    HTREEITEM com2 = add("COM 2", ports);
    HTREEITEM sensors = add("Sensors", TVI_ROOT, TVI_LAST, 7);
    add("Talvor", sensors);
    HTREEITEM plain = add("Alarms");
    HTREEITEM bold = add("Alarms");
    add("Log");
    TreeView_Expand(tree, ports, TVE_EXPAND);
    TVITEM heavy{};
    heavy.mask = TVIF_STATE;
    heavy.hItem = bold;
    heavy.state = heavy.stateMask = TVIS_BOLD;
    ASSERT_TRUE(TreeView_SetItem(tree, &heavy));
    TreeView_SelectItem(tree, com1);
    SetFocus(tree);
    colour_items(7, RGB(255, 0, 0));
    // Eight rows pass the tree's height: the bar is there.
    EXPECT_NE(GetWindowLong(tree, GWL_STYLE) & WS_VSCROLL, 0);
    auto picture = helm::user::snapshot_window(m_parent);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "commctrl_tree");
    const RECT area = helm::user::rect_in_snapshot(m_parent, tree, true);
    auto on_picture = [&](RECT r) {
        OffsetRect(&r, area.left, area.top);
        return r;
    };
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);

    // The focused selection in the highlight colours, the others in the
    // window's.
    const RECT selected = on_picture(row_rect(com1, true));
    const int selected_area = (selected.right - selected.left) * (selected.bottom - selected.top);
    EXPECT_GT(count_of(*picture, selected, GetSysColor(COLOR_HIGHLIGHT)), selected_area / 2);
    EXPECT_GT(count_of(*picture, selected, GetSysColor(COLOR_HIGHLIGHTTEXT), 60), 5);
    const RECT other = on_picture(row_rect(com2, true));
    EXPECT_GT(count_of(*picture, other, ink, 60), 10);
    EXPECT_EQ(count_of(*picture, other, GetSysColor(COLOR_HIGHLIGHT)), 0);
    EXPECT_GT(count_of(*picture, on_picture(row_rect(sensors, true)), RGB(255, 0, 0), 60), 5);

    // Buttons half an indent before the label: a minus while open, a plus
    // while closed, in a grey box.
    const int indent = static_cast<int>(SendMessage(tree, TVM_GETINDENT, 0, 0));
    auto button_at = [&](HTREEITEM item) {
        const RECT label = on_picture(row_rect(item, true));
        return POINT{label.left - indent / 2, (label.top + label.bottom) / 2};
    };
    const POINT open = button_at(ports), closed = button_at(sensors);
    EXPECT_TRUE(helm::gdi::testing::pixel_is(*picture, open.x, open.y, ink));
    EXPECT_TRUE(helm::gdi::testing::pixel_is(*picture, open.x, open.y - 2, window));
    EXPECT_TRUE(helm::gdi::testing::pixel_is(*picture, closed.x, closed.y - 2, ink));
    EXPECT_TRUE(helm::gdi::testing::pixel_is(*picture, closed.x - 4, closed.y - 4, GetSysColor(COLOR_BTNSHADOW)));
    // An item without children has no button: its joint is a dotted line.
    const POINT joint = button_at(com2);
    EXPECT_EQ(count_of(*picture, {joint.x - 4, joint.y - 4, joint.x + 5, joint.y + 5}, ink), 0);
    const RECT joint_column = on_picture({row_rect(com1, false).left, row_rect(com1, false).top, 0, row_rect(com2, false).bottom});
    EXPECT_GT(count_of(*picture, {joint.x, joint_column.top, joint.x + 1, joint_column.bottom}, grey), 6);

    // The bold item is measured and drawn wider than the same text plain.
    const RECT thin = row_rect(plain, true), wide = row_rect(bold, true);
    EXPECT_GT(wide.right - wide.left, thin.right - thin.left);
    EXPECT_GT(ink_count(*picture, on_picture(wide), window), ink_count(*picture, on_picture(thin), window) * 11 / 10);

    // Six rows fit: closing Ports takes the bar away again.
    TreeView_Expand(tree, ports, TVE_COLLAPSE);
    EXPECT_EQ(GetWindowLong(tree, GWL_STYLE) & WS_VSCROLL, 0);
}

TEST_F(TreeTest, ScrollsByRowsToShowAnItem)
{
    HTREEITEM last = nullptr;
    for (int i = 0; i < 40; ++i)
        last = add(("item " + std::to_string(i)).c_str());
    const int per_page = static_cast<int>(SendMessage(tree, TVM_GETVISIBLECOUNT, 0, 0));
    ASSERT_GT(per_page, 2);
    ASSERT_LT(per_page, 40);
    HTREEITEM first = TreeView_GetRoot(tree);
    EXPECT_EQ(TreeView_GetNextItem(tree, nullptr, TVGN_FIRSTVISIBLE), first);

    TreeView_EnsureVisible(tree, last);
    HTREEITEM top = TreeView_GetNextItem(tree, nullptr, TVGN_FIRSTVISIBLE);
    EXPECT_EQ(text(top), "item " + std::to_string(40 - per_page));
    const int height = static_cast<int>(SendMessage(tree, TVM_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(row_rect(last, false).top, (per_page - 1) * height);
    EXPECT_LT(row_rect(first, false).top, 0);

    SendMessage(tree, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(TreeView_GetNextItem(tree, nullptr, TVGN_FIRSTVISIBLE), first);
    // The operator's click on the bar's lower arrow, then on its track.
    RECT frame{};
    GetWindowRect(tree, &frame);
    driver::click_at(POINT{frame.right - 8, frame.bottom - 8});
    EXPECT_EQ(text(TreeView_GetNextItem(tree, nullptr, TVGN_FIRSTVISIBLE)), "item 1");
    driver::click_at(POINT{frame.right - 8, frame.bottom - 20});
    EXPECT_EQ(text(TreeView_GetNextItem(tree, nullptr, TVGN_FIRSTVISIBLE)), "item " + std::to_string(per_page));
    // Scrolling stops with the last row at the bottom.
    SendMessage(tree, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(TreeView_GetNextItem(tree, nullptr, TVGN_FIRSTVISIBLE), top);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(tree, SB_VERT, &si));
    EXPECT_EQ(si.nMax, 39);
    EXPECT_EQ(si.nPos, 40 - per_page);
    EXPECT_TRUE(heard(TVN_SELCHANGED).empty());
}

}  // namespace
}  // namespace views_test
