// List boxes and combo boxes: items, sorting, finding, selection, item
// rectangles, and which changes tell the parent: none made by the program,
// those the operator makes with the mouse on the dropped list or with keys.

#include <algorithm>

#include "controls_fixture.h"
#include "helm/user/testing/driver.h"

using namespace controls_test;

namespace {

using ListBoxTest = ControlsTest;
using ComboBoxTest = ControlsTest;

std::string item_text(HWND w, UINT get_len, UINT get_text, int i)
{
    LRESULT n = SendMessage(w, get_len, static_cast<WPARAM>(i), 0);
    if (n < 0)
        return "<err>";
    std::string s(static_cast<size_t>(n) + 1, '\0');
    SendMessage(w, get_text, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(n));
    return s;
}

void add(HWND w, UINT message, std::initializer_list<const char*> items)
{
    for (const char* s : items)
        SendMessage(w, message, 0, reinterpret_cast<LPARAM>(s));
}

// Finding: a prefix or the whole text, without regard to case, starting
// after an index and wrapping round; the same for list and combo boxes.
struct FindRow {
    bool exact;
    int start;
    const char* text;
    LRESULT found;
};
const FindRow find_rows[] = {
    {false, -1, "com", 0},       // "COM1"
    {false, 0, "com", 1},        // after 0: "com2"
    {false, 2, "COM", 3},        // "COM1 (Port)"
    {false, 3, "COM", 0},        // wraps past the end
    {false, 1, "com2", 1},       // only itself left: found on the way round
    {false, -1, "", 0},          // the empty prefix matches the first
    {false, -1, "x", -1},
    {false, 99, "com", 0},       // a start past the end searches all
    {true, -1, "com", -1},       // no item is exactly "com"
    {true, -1, "com2", 1},
    {true, -1, "COM1 (Port)", 3},
    {true, 3, "com1 (port)", 3},
    {false, -1, "\xc9t", 2},     // Windows-1252 folding: "\xe9t\xe9"
};

void check_find(HWND w, UINT find, UINT find_exact)
{
    for (const FindRow& r : find_rows)
        EXPECT_EQ(SendMessage(w, r.exact ? find_exact : find, static_cast<WPARAM>(r.start),
                              reinterpret_cast<LPARAM>(r.text)),
                  r.found)
            << (r.exact ? "exact " : "prefix ") << r.start << " '" << r.text << "'";
}

// ---------------------------------------------------------------- list boxes

TEST_F(ListBoxTest, FindStringTable)
{
    HWND lb = make("ListBox", 0, 200, {10, 10, 110, 110});
    add(lb, LB_ADDSTRING, {"COM1", "com2", "\xe9t\xe9", "COM1 (Port)"});
    check_find(lb, LB_FINDSTRING, LB_FINDSTRINGEXACT);
}

TEST_F(ListBoxTest, SortedAddInsertAndDelete)
{
    HWND lb = make("ListBox", LBS_SORT, 201, {10, 10, 110, 110});
    EXPECT_EQ(SendMessage(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("b")), 0);
    EXPECT_EQ(SendMessage(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("D")), 1);
    EXPECT_EQ(SendMessage(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a")), 0);
    EXPECT_EQ(SendMessage(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("c")), 2);
    EXPECT_EQ(SendMessage(lb, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("z")), 0);  // insert ignores sort
    EXPECT_EQ(SendMessage(lb, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("0")), 5);
    EXPECT_EQ(SendMessage(lb, LB_INSERTSTRING, 7, reinterpret_cast<LPARAM>("bad")), LB_ERR);
    std::vector<std::string> items;
    for (int i = 0; i < SendMessage(lb, LB_GETCOUNT, 0, 0); ++i)
        items.push_back(item_text(lb, LB_GETTEXTLEN, LB_GETTEXT, i));
    EXPECT_EQ(items, (std::vector<std::string>{"z", "a", "b", "c", "D", "0"}));

    SendMessage(lb, LB_SETCURSEL, 3, 0);
    EXPECT_EQ(SendMessage(lb, LB_DELETESTRING, 1, 0), 5);  // the count left
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 2);     // still "c"
    EXPECT_EQ(SendMessage(lb, LB_DELETESTRING, 2, 0), 4);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessage(lb, LB_DELETESTRING, 4, 0), LB_ERR);
    EXPECT_EQ(item_text(lb, LB_GETTEXTLEN, LB_GETTEXT, 4), "<err>");
    SendMessage(lb, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessage(lb, LB_GETCOUNT, 0, 0), 0);
}

TEST_F(ListBoxTest, SelectionAndDataByProgramAreSilent)
{
    HWND lb = make("ListBox", LBS_NOTIFY, 202, {10, 10, 110, 110});
    add(lb, LB_ADDSTRING, {"one", "two", "three"});
    EXPECT_EQ(SendMessage(lb, LB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendMessage(lb, LB_SETCURSEL, 5, 0), LB_ERR);  // out of range clears
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessage(lb, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("TH")), 2);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessage(lb, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("no")), LB_ERR);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 2);  // unchanged when not found
    EXPECT_EQ(SendMessage(lb, LB_SETITEMDATA, 1, 0xBEEF), TRUE);
    EXPECT_EQ(SendMessage(lb, LB_GETITEMDATA, 1, 0), 0xBEEF);
    EXPECT_EQ(SendMessage(lb, LB_GETITEMDATA, 9, 0), LB_ERR);
    EXPECT_TRUE(codes(lb).empty());
}

TEST_F(ListBoxTest, OperatorSelectionNotifiesWithLbsNotifyOnly)
{
    HWND lb = make("ListBox", LBS_NOTIFY, 203, {10, 10, 110, 110});
    HWND quiet = make("ListBox", 0, 204, {120, 10, 220, 110});
    for (HWND w : {lb, quiet})
        add(w, LB_ADDSTRING, {"one", "two", "three"});
    const int h = static_cast<int>(SendMessage(lb, LB_GETITEMHEIGHT, 0, 0));
    click(lb, {5, h + 2});
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 1);
    click(lb, {5, h + 2});  // the same item again: no change
    SendMessage(lb, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, h + 2));
    key(lb, VK_DOWN);
    key(lb, VK_DOWN);  // at the end already
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(codes(lb), (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE, LBN_DBLCLK, LBN_SELCHANGE}));

    click(quiet, {5, 2});
    key(quiet, VK_DOWN);
    EXPECT_EQ(SendMessage(quiet, LB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(codes(quiet).empty());
    type(quiet, "t");  // the next item starting with "t"
    EXPECT_EQ(SendMessage(quiet, LB_GETCURSEL, 0, 0), 2);
}

TEST_F(ListBoxTest, ItemRectanglesFollowTheTopIndex)
{
    // 5 items of 13 in a client 40 high: 3 visible, the top at most 2.
    HWND lb = make("ListBox", 0, 205, {10, 10, 110, 50});
    add(lb, LB_ADDSTRING, {"a", "b", "c", "d", "e"});
    const int h = static_cast<int>(SendMessage(lb, LB_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(h, 13);
    RECT r{};
    ASSERT_NE(SendMessage(lb, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)), LB_ERR);
    EXPECT_EQ(r.top, h);
    EXPECT_EQ(r.bottom, 2 * h);
    EXPECT_EQ(r.right, 100);
    EXPECT_EQ(SendMessage(lb, LB_SETTOPINDEX, 4, 0), LB_OKAY);
    EXPECT_EQ(SendMessage(lb, LB_GETTOPINDEX, 0, 0), 2);
    SendMessage(lb, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.top, h);
    EXPECT_EQ(SendMessage(lb, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, h + 1)), MAKELONG(3, 0));
    EXPECT_EQ(SendMessage(lb, LB_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&r)), LB_ERR);
    EXPECT_EQ(SendMessage(lb, LB_SETTOPINDEX, 5, 0), LB_ERR);
    // Selecting an item out of sight scrolls to it.
    SendMessage(lb, LB_SETCURSEL, 0, 0);
    EXPECT_EQ(SendMessage(lb, LB_GETTOPINDEX, 0, 0), 0);
}

// The own bar comes with the item that no longer fits and goes with the
// one deleted, at once; with LBS_DISABLENOSCROLL it stays, disabled.
TEST_F(ListBoxTest, TheVerticalBarShowsOnlyWhileTheItemsDoNotFit)
{
    // A client 40 high holds 3 items of 13.
    HWND lb = make("ListBox", WS_VSCROLL, 207, {10, 10, 110, 50});
    HWND keeps = make("ListBox", WS_VSCROLL | LBS_DISABLENOSCROLL, 208, {120, 10, 220, 50});
    auto width = [](HWND w) {
        RECT r{};
        GetClientRect(w, &r);
        return r.right;
    };
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    add(lb, LB_ADDSTRING, {"a", "b", "c"});
    add(keeps, LB_ADDSTRING, {"a", "b", "c"});
    EXPECT_EQ(width(lb), 100);
    EXPECT_EQ(width(keeps), 100 - bar);
    add(lb, LB_ADDSTRING, {"d"});
    add(keeps, LB_ADDSTRING, {"d"});
    EXPECT_EQ(width(lb), 100 - bar);
    SendMessage(lb, LB_DELETESTRING, 3, 0);
    SendMessage(keeps, LB_DELETESTRING, 3, 0);
    EXPECT_EQ(width(lb), 100);
    EXPECT_EQ(width(keeps), 100 - bar);
    SCROLLINFO state{};
    state.cbSize = sizeof state;
    state.fMask = SIF_RANGE | SIF_PAGE;
    ASSERT_TRUE(GetScrollInfo(keeps, SB_VERT, &state));
    EXPECT_EQ(state.nMax, 2);
    EXPECT_EQ(state.nPage, 3u);
}

TEST_F(ListBoxTest, MultipleSelection)
{
    HWND lb = make("ListBox", LBS_MULTIPLESEL | LBS_NOTIFY, 206, {10, 10, 110, 110});
    add(lb, LB_ADDSTRING, {"a", "b", "c", "d"});
    EXPECT_EQ(SendMessage(lb, LB_SETCURSEL, 1, 0), LB_ERR);  // not for multiple selection
    EXPECT_EQ(SendMessage(lb, LB_SETSEL, TRUE, -1), LB_OKAY);
    EXPECT_EQ(SendMessage(lb, LB_GETSELCOUNT, 0, 0), 4);
    SendMessage(lb, LB_SETSEL, FALSE, 2);
    int items[8] = {};
    ASSERT_EQ(SendMessage(lb, LB_GETSELITEMS, 8, reinterpret_cast<LPARAM>(items)), 3);
    EXPECT_EQ(items[2], 3);
    EXPECT_EQ(SendMessage(lb, LB_GETSEL, 2, 0), 0);
    click(lb, {5, 13 * 2 + 2});  // toggles "c" back on
    EXPECT_EQ(SendMessage(lb, LB_GETSEL, 2, 0), 1);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 2);  // the focus item
    auto got = codes(lb);
    EXPECT_EQ(std::count(got.begin(), got.end(), LBN_SELCHANGE), 1);
}

// ---------------------------------------------------------------- combo boxes

class ComboFixture : public ControlsTest {
protected:
    HWND combo(DWORD style = CBS_DROPDOWNLIST, int id = 300)
    {
        HWND c = make("ComboBox", style | WS_VSCROLL | WS_TABSTOP, id, {10, 10, 160, 110});
        add(c, CB_ADDSTRING, {"9600", "19200", "38400", "57600"});
        return c;
    }
    static HWND list_of(HWND c)
    {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetComboBoxInfo(c, &info));
        return info.hwndList;
    }
    // As the operator: click the combo box, then the item on its list.
    static void pick(HWND c, int index)
    {
        click(c, {5, 5});
        HWND list = list_of(c);
        ASSERT_TRUE(IsWindowVisible(list));
        RECT r{};
        ASSERT_NE(SendMessage(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)), LB_ERR);
        POINT p{r.left + 3, (r.top + r.bottom) / 2};
        SendMessage(list, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
        press(list, p);
        release(list, p);
    }
};

TEST_F(ComboFixture, FindStringTable)
{
    HWND c = make("ComboBox", CBS_DROPDOWNLIST, 301, {10, 10, 160, 110});
    add(c, CB_ADDSTRING, {"COM1", "com2", "\xe9t\xe9", "COM1 (Port)"});
    check_find(c, CB_FINDSTRING, CB_FINDSTRINGEXACT);
}

TEST_F(ComboFixture, ProgramChangesAreSilentEvenOnTheQueue)
{
    HWND c = combo();
    EXPECT_EQ(SendMessage(c, CB_SETCURSEL, 2, 0), 2);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(text_of(c), "38400");
    EXPECT_EQ(SendMessage(c, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("57")), 3);
    EXPECT_EQ(SendMessage(c, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessage(c, CB_SETCURSEL, 4, 0), CB_ERR);
    SendMessage(c, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    SendMessage(c, CB_SHOWDROPDOWN, FALSE, 0);
    SendMessage(c, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("4800"));
    SendMessage(c, CB_DELETESTRING, 1, 0);
    pump();
    EXPECT_TRUE(codes(c).empty());
}

TEST_F(ComboFixture, AnOperatorPickOnTheDroppedListNotifies)
{
    HWND c = combo();
    SendMessage(c, CB_SETCURSEL, 0, 0);
    std::vector<LRESULT> selection_seen;
    s_on_command = [&](const Heard& h) {
        if (h.from == c)
            selection_seen.push_back(SendMessage(c, CB_GETCURSEL, 0, 0));
    };
    pick(c, 2);
    EXPECT_EQ(codes(c), (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
    EXPECT_EQ(selection_seen.back(), 2);  // CBN_SELCHANGE sees the new selection
    EXPECT_EQ(selection_seen[2], 2);      // so does CBN_SELENDOK
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 2);
    EXPECT_FALSE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_FALSE(IsWindowVisible(list_of(c)));

    // Picking the item already selected closes the list with no change.
    forget();
    pick(c, 2);
    EXPECT_EQ(codes(c), (std::vector<int>{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP}));
}

TEST_F(ComboFixture, TheDroppedListHangsBelowTheBox)
{
    HWND c = combo();
    RECT box{};
    GetWindowRect(c, &box);
    EXPECT_EQ(box.bottom - box.top, 21);  // the field's height, not the 100 asked for
    RECT dropped{};
    SendMessage(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_EQ(dropped.bottom - dropped.top, 100);
    click(c, {5, 5});
    RECT list{};
    GetWindowRect(list_of(c), &list);
    EXPECT_EQ(list.top, box.bottom);
    EXPECT_EQ(list.left, box.left);
    EXPECT_EQ(list.right - list.left, box.right - box.left);
    EXPECT_EQ(list.bottom - list.top, 4 * 13 + 2);  // four items and the border
    // Clicking the box again closes without a pick.
    forget();
    click(c, {5, 5});
    EXPECT_EQ(codes(c), (std::vector<int>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

TEST_F(ComboFixture, KeysOnAClosedDropDownListChangeTheSelection)
{
    HWND c = combo();
    SetFocus(c);
    forget();
    key(c, VK_DOWN);  // from none to the first
    key(c, VK_DOWN);
    key(c, VK_END);
    key(c, VK_DOWN);  // at the end: nothing
    key(c, VK_UP);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(codes(c), (std::vector<int>(4, CBN_SELCHANGE)));
    forget();
    type(c, "9");
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(codes(c), std::vector<int>{CBN_SELCHANGE});
}

TEST_F(ComboFixture, F4AndAltDownDropEnterAndEscapeClose)
{
    HWND c = combo();
    SetFocus(c);
    SendMessage(c, CB_SETCURSEL, 1, 0);
    forget();
    key(c, VK_F4);
    EXPECT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    MSG m{};
    m.message = WM_KEYDOWN;
    m.wParam = VK_ESCAPE;
    EXPECT_TRUE(SendMessage(c, WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&m)) & DLGC_WANTMESSAGE);
    key(c, VK_DOWN);  // moves the selection in the open list
    key(c, VK_ESCAPE);
    EXPECT_FALSE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_FALSE(SendMessage(c, WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&m)) & DLGC_WANTMESSAGE);
    SendMessage(c, WM_SYSKEYDOWN, VK_DOWN, 0x20000001);
    EXPECT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    key(c, VK_RETURN);
    EXPECT_EQ(codes(c), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_DROPDOWN,
                                          CBN_SELENDOK, CBN_CLOSEUP}));
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 2);
}

TEST_F(ComboFixture, LosingTheFocusClosesTheListAndSaysSo)
{
    HWND c = combo();
    HWND other = make("Button", BS_PUSHBUTTON, 302, {10, 200, 100, 220});
    click(c, {5, 5});
    forget();
    SetFocus(other);
    EXPECT_EQ(codes(c), (std::vector<int>{CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_KILLFOCUS}));
    EXPECT_FALSE(IsWindowVisible(list_of(c)));
}

TEST_F(ComboFixture, TextItemsDataAndSorting)
{
    HWND c = make("ComboBox", CBS_DROPDOWNLIST | CBS_SORT, 303, {10, 10, 160, 110});
    add(c, CB_ADDSTRING, {"North", "east", "South", "west"});
    EXPECT_EQ(item_text(c, CB_GETLBTEXTLEN, CB_GETLBTEXT, 0), "east");
    EXPECT_EQ(item_text(c, CB_GETLBTEXTLEN, CB_GETLBTEXT, 3), "west");
    EXPECT_EQ(item_text(c, CB_GETLBTEXTLEN, CB_GETLBTEXT, 4), "<err>");
    EXPECT_EQ(SendMessage(c, CB_SETITEMDATA, 2, 77), TRUE);
    EXPECT_EQ(SendMessage(c, CB_GETITEMDATA, 2, 0), 77);
    EXPECT_EQ(SendMessage(c, CB_GETITEMDATA, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessage(c, CB_GETCOUNT, 0, 0), 4);
    // A drop-down list's text is its selected item's; setting text selects.
    EXPECT_EQ(text_of(c), "");
    EXPECT_TRUE(SetWindowText(c, "SOUTH"));
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(text_of(c), "South");
    SendMessage(c, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessage(c, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(ComboFixture, DropDownHasAnEditWhoseTypingIsAnEditChange)
{
    HWND c = combo(CBS_DROPDOWN);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(c, &info));
    HWND e = info.hwndItem;
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(GetParent(e), c);
    EXPECT_EQ(GetDlgCtrlID(e), 1001);

    SendMessage(c, CB_SETCURSEL, 1, 0);  // shows the item in the edit, silently
    EXPECT_EQ(text_of(e), "19200");
    EXPECT_EQ(text_of(c), "19200");
    EXPECT_TRUE(codes(c).empty());

    SetFocus(c);  // passes to the edit, all selected
    EXPECT_EQ(GetFocus(), e);
    EXPECT_EQ(SendMessage(e, EM_GETSEL, 0, 0), MAKELONG(0, 5));
    SendMessage(c, CB_LIMITTEXT, 4, 0);
    type(e, "12345");
    EXPECT_EQ(text_of(c), "1234");
    auto got = codes(c);
    EXPECT_EQ(got.front(), CBN_SETFOCUS);
    EXPECT_EQ(std::count(got.begin(), got.end(), CBN_SETFOCUS), 1);
    EXPECT_EQ(std::count(got.begin(), got.end(), CBN_EDITCHANGE), 4);
    EXPECT_EQ(std::count(got.begin(), got.end(), CBN_EDITUPDATE), 4);

    // Arrows in the edit walk the list.
    forget();
    key(e, VK_DOWN);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(text_of(c), "38400");
    EXPECT_EQ(codes(c), std::vector<int>{CBN_SELCHANGE});

    // The edit's button drops; focus leaving the box says CBN_KILLFOCUS once.
    forget();
    RECT button = info.rcButton;
    click(c, {button.left + 2, button.top + 2});
    EXPECT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    HWND other = make("Button", BS_PUSHBUTTON, 304, {10, 200, 100, 220});
    SetFocus(other);
    EXPECT_EQ(codes(c), (std::vector<int>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_KILLFOCUS}));
}

// A string's address means nothing once the sender has moved on.
TEST_F(ComboFixture, MessagesWithPointersAreNeverPosted)
{
    HWND c = combo();
    for (UINT message : {CB_ADDSTRING, CB_INSERTSTRING, CB_FINDSTRING, CB_GETLBTEXT, CB_SELECTSTRING}) {
        SetLastError(0);
        EXPECT_FALSE(PostMessage(c, message, 0, reinterpret_cast<LPARAM>("posted"))) << message;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY)) << message;
    }
    HWND list = list_of(c);
    EXPECT_FALSE(PostMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("posted")));
    EXPECT_TRUE(PostMessage(c, CB_SETCURSEL, 1, 0));  // plain values post
    pump();
    EXPECT_EQ(SendMessage(c, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 1);
}

// A parent may destroy the box from inside a notification; the pick then
// ends there.
TEST_F(ComboFixture, DestroyedInsideItsOwnNotification)
{
    HWND c = combo();
    HWND list = list_of(c);
    s_on_command = [&](const Heard& h) {
        if (h.from == c && h.code == CBN_SELENDOK)
            DestroyWindow(c);
    };
    pick(c, 1);
    EXPECT_FALSE(IsWindow(c));
    EXPECT_FALSE(IsWindow(list));
    auto got = codes(c);
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(std::vector<int>(got.begin(), got.begin() + 3), (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELENDOK}));
    EXPECT_EQ(std::count(got.begin(), got.end(), CBN_CLOSEUP), 0);
    EXPECT_EQ(std::count(got.begin(), got.end(), CBN_SELCHANGE), 0);
    pump();
}

TEST_F(ComboFixture, DestroyingTheBoxTakesItsListAlong)
{
    HWND c = combo();
    HWND list = list_of(c);
    ASSERT_TRUE(IsWindow(list));
    click(c, {5, 5});
    DestroyWindow(c);
    EXPECT_FALSE(IsWindow(list));
    pump();
}

TEST_F(ComboFixture, GetComboBoxInfoChecksItsArguments)
{
    HWND c = combo();
    COMBOBOXINFO info{};
    info.cbSize = sizeof info - 1;
    EXPECT_FALSE(GetComboBoxInfo(c, &info));
    EXPECT_FALSE(GetComboBoxInfo(c, nullptr));
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetComboBoxInfo(m_parent, &info));  // not a combo box
    ASSERT_TRUE(GetComboBoxInfo(c, &info));
    EXPECT_EQ(info.hwndCombo, c);
    EXPECT_EQ(info.hwndItem, nullptr);  // a drop-down list has no edit
    EXPECT_LT(info.rcItem.right, info.rcButton.left + 1);
}

// The same through the input layer, as the operator test driver acts: the
// messages come from the queue, the list holds the mouse while dropped.
TEST_F(ComboFixture, ThroughTheInputLayerOnlyTheOperatorIsHeard)
{
    namespace driver = helm::user::testing;
    HWND c = combo();
    HWND other = make("Button", BS_PUSHBUTTON, 305, {10, 200, 100, 220});
    SendMessage(c, CB_SETCURSEL, 1, 0);
    driver::pump_until_idle();
    EXPECT_TRUE(codes(c).empty());

    ASSERT_TRUE(driver::pick_combo_entry(c, 3));
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 3);
    auto got = codes(c);
    EXPECT_EQ(std::count(got.begin(), got.end(), CBN_SELCHANGE), 1);
    EXPECT_EQ(got.back(), CBN_SELCHANGE);
    EXPECT_EQ(GetCapture(), nullptr);

    // Dropped, then a click elsewhere: the list closes without a pick, and
    // the click goes no further.
    forget();
    driver::click(c);
    ASSERT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    driver::click(other);
    EXPECT_FALSE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(codes(c), (std::vector<int>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(GetFocus(), c);
    EXPECT_TRUE(codes(other).empty());

    forget();
    driver::press(VK_UP);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(codes(c), std::vector<int>{CBN_SELCHANGE});
}

}  // namespace
