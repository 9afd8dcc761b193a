// The dialog manager: templates to windows, WM_INITDIALOG and the focus,
// DefDlgProc, keyboard navigation, the default push button, modal loops and
// the item helpers.

#include <gtest/gtest.h>

#include <cstring>

#include "../src/dialog_template.h"
#include "dialog_fixture.h"
#include "resources_test_ids.h"
#include "helm/user/testing/driver.h"

using namespace dialog_test;
namespace drive = helm::user::testing;

namespace {

constexpr DWORD visible_child = WS_CHILD | WS_VISIBLE;
constexpr DWORD popup_dialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

enum Ids { id_label = 100, id_first = 101, id_second = 102, id_third = 103, id_group_a = 110, id_group_b = 111,
           id_group_c = 112, id_after_group = 113 };

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        register_classes();
        reset();
    }
    void TearDown() override
    {
        for (HWND w : m_dialogs)
            if (IsWindow(w))
                DestroyWindow(w);
        drive::pump_until_idle();
        reset();
    }
    HWND create(const Template& t, HWND owner = nullptr, LPARAM param = 0)
    {
        HWND d = CreateDialogIndirectParam(nullptr, t.get(), owner, recording_dialog_proc, param);
        m_dialogs.push_back(d);
        return d;
    }
    // A visible top-level window to own dialogs.
    HWND owner_window()
    {
        static const bool registered = [] {
            WNDCLASS wc{};
            wc.lpfnWndProc = DefWindowProc;
            wc.lpszClassName = "DlgTestOwner";
            return RegisterClass(&wc) != 0;
        }();
        (void)registered;
        HWND w = CreateWindowEx(0, "DlgTestOwner", "owner", WS_POPUP | WS_VISIBLE, 100, 100, 600, 400, nullptr,
                                nullptr, nullptr, nullptr);
        m_dialogs.push_back(w);
        return w;
    }
    // Where a control is within its dialog's client area.
    static RECT in_parent(HWND control)
    {
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    std::vector<HWND> m_dialogs;
};

bool same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

std::string text_of(HWND w)
{
    char buffer[256];
    GetWindowText(w, buffer, sizeof buffer);
    return buffer;
}

// A dialog of both template forms, for the layout cases.
Template layout_template(bool classic, WORD points)
{
    Template t(popup_dialog | WS_VISIBLE, 10, 20, 200, 100, "Layout", "MS Shell Dlg", points, classic);
    t.item(WORD{0x0082}, "Label", id_label, visible_child, 3, 3, 21, 9)
        .item(edit_class, "", id_first, visible_child | WS_TABSTOP, 7, 5, 50, 14)
        .item(button_class, "OK", IDOK, visible_child | WS_TABSTOP | default_push, 143, 79, 50, 14);
    return t;
}

TEST_F(DialogTest, ControlsLandOnThePixelRectanglesOfTheTemplateFont)
{
    struct Case {
        bool classic;
        WORD points;
        RECT client;  // of the dialog
        RECT label, edit, ok;
        POINT client_origin;
    };
    // 8 points: 6 x 13 base units. x * cx / 4 and y * cy / 8, rounded half
    // away from zero.
    auto mul_div = [](LONG v, LONG n, LONG d) { return static_cast<LONG>((2 * v * n + d) / (2 * d)); };
    const SIZE u = helm::user::dialog_base_units("MS Shell Dlg", 10);
    ASSERT_NE(u.cy, 13) << "a larger font has larger units";
    auto at = [&](LONG x, LONG y, LONG cx, LONG cy) {
        return RECT{mul_div(x, u.cx, 4), mul_div(y, u.cy, 8), mul_div(x, u.cx, 4) + mul_div(cx, u.cx, 4),
                    mul_div(y, u.cy, 8) + mul_div(cy, u.cy, 8)};
    };
    const Case cases[] = {
        {false, 8, {0, 0, 300, 163}, {5, 5, 37, 20}, {11, 8, 86, 31}, {215, 128, 290, 151}, {15, 33}},
        {true, 8, {0, 0, 300, 163}, {5, 5, 37, 20}, {11, 8, 86, 31}, {215, 128, 290, 151}, {15, 33}},
        // Whatever the font measures, the same rule on its units.
        {false, 10, {0, 0, mul_div(200, u.cx, 4), mul_div(100, u.cy, 8)}, at(3, 3, 21, 9), at(7, 5, 50, 14),
         at(143, 79, 50, 14), {mul_div(10, u.cx, 4), mul_div(20, u.cy, 8)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.classic ? "DLGTEMPLATE " : "DLGTEMPLATEEX ") << c.points << " pt");
        Template t(popup_dialog | WS_VISIBLE, 10, 20, 200, 100, "Layout", "MS Shell Dlg", c.points,
                   c.classic);
        t.item(button_class, "Label", id_label, visible_child, 3, 3, 21, 9)
            .item(edit_class, "", id_first, visible_child | WS_TABSTOP, 7, 5, 50, 14)
            .item(button_class, "OK", IDOK, visible_child | WS_TABSTOP | default_push, 143, 79, 50, 14);
        HWND d = create(t);
        ASSERT_NE(d, nullptr);
        RECT client;
        GetClientRect(d, &client);
        EXPECT_TRUE(same(client, c.client));
        POINT origin{0, 0};
        ClientToScreen(d, &origin);
        EXPECT_EQ(origin.x, c.client_origin.x);
        EXPECT_EQ(origin.y, c.client_origin.y);
        EXPECT_TRUE(same(in_parent(GetDlgItem(d, id_label)), c.label));
        EXPECT_TRUE(same(in_parent(GetDlgItem(d, id_first)), c.edit));
        EXPECT_TRUE(same(in_parent(GetDlgItem(d, IDOK)), c.ok));
        // MapDialogRect uses the same units.
        RECT ok{143, 79, 143 + 50, 79 + 14};
        ASSERT_TRUE(MapDialogRect(d, &ok));
        EXPECT_TRUE(same(ok, c.ok));
        EXPECT_EQ(text_of(d), "Layout");
        EXPECT_EQ(text_of(GetDlgItem(d, IDOK)), "OK");
        DestroyWindow(d);
    }
}

// As Windows' dialog manager: a bordered edit or list box gets the sunken
// client edge instead of the black line; a combo box loses the border (it
// draws its own field); other classes keep what the template says.
TEST_F(DialogTest, BorderedEditsAndListsGetTheSunkenEdge)
{
    struct Case {
        WORD atom;
        const char* name;  // when not by atom
        DWORD style;
        bool border, client_edge;
    };
    const Case cases[] = {
        {0x0081, nullptr, WS_BORDER, false, true},  // Edit by atom
        {0, "edit", WS_BORDER, false, true},        // by name, any case
        {0x0083, nullptr, WS_BORDER, false, true},  // ListBox
        {0x0085, nullptr, WS_BORDER | CBS_DROPDOWNLIST, false, false},
        {0x0081, nullptr, 0, false, false},         // no border asked: none given
        {0x0082, nullptr, WS_BORDER, true, false},  // a static keeps its line
        {0, button_class, WS_BORDER, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.name ? c.name : "atom ") << (c.name ? 0 : c.atom));
        Template t(popup_dialog, 10, 20, 200, 100, "Borders");
        if (c.name)
            t.item(c.name, "", 100, visible_child | c.style, 7, 5, 50, 14);
        else
            t.item(c.atom, "", 100, visible_child | c.style, 7, 5, 50, 14);
        HWND d = create(t);
        ASSERT_NE(d, nullptr);
        HWND control = GetDlgItem(d, 100);
        EXPECT_EQ((GetWindowLong(control, GWL_STYLE) & WS_BORDER) != 0, c.border);
        EXPECT_EQ((GetWindowLong(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, c.client_edge);
        DestroyWindow(d);
    }
}

TEST_F(DialogTest, CreationSendsTheFontThenInitDialogAndFocusesTheFirstTabStop)
{
    Template t(popup_dialog | WS_VISIBLE, 0, 0, 200, 100, "Focus");
    t.item(button_class, "label", id_label, visible_child | push, 5, 5, 40, 10)  // no tab stop
        .item(edit_class, "", id_first, visible_child | WS_TABSTOP | WS_DISABLED, 5, 20, 40, 12)
        .item(edit_class, "", id_second, visible_child | WS_TABSTOP, 5, 35, 40, 12)
        .item(button_class, "OK", IDOK, visible_child | WS_TABSTOP | default_push, 5, 50, 40, 14);
    HWND d = create(t, nullptr, 77);
    ASSERT_NE(d, nullptr);
    HWND second = GetDlgItem(d, id_second);

    // The dialog procedure never sees WM_CREATE; WM_SETFONT comes before
    // WM_INITDIALOG, whose wParam is the control that will get the focus.
    std::vector<UINT> order;
    for (const DialogCall& c : calls())
        if (c.message == WM_CREATE || c.message == WM_SETFONT || c.message == WM_INITDIALOG)
            order.push_back(c.message);
    EXPECT_EQ(order, (std::vector<UINT>{WM_SETFONT, WM_INITDIALOG}));
    for (const DialogCall& c : calls())
        if (c.message == WM_INITDIALOG) {
            EXPECT_EQ(reinterpret_cast<HWND>(c.wParam), second);
            EXPECT_EQ(c.lParam, 77);
        }
    // Every control has the dialog's font, the one for the template's face.
    HFONT font = reinterpret_cast<HFONT>(SendMessage(d, WM_GETFONT, 0, 0));
    EXPECT_NE(font, nullptr);
    EXPECT_EQ(font, helm::user::dialog_font("MS Shell Dlg", 8));
    for (int id : {int{id_label}, int{id_first}, int{id_second}, IDOK})
        EXPECT_EQ(reinterpret_cast<HFONT>(SendDlgItemMessage(d, id, WM_GETFONT, 0, 0)), font) << id;
    EXPECT_EQ(GetFocus(), second);
    EXPECT_EQ(selections_of(second), 1) << "an edit that gets the focus from the dialog has its text selected";
    EXPECT_TRUE(IsWindowVisible(d));
    EXPECT_EQ(GetActiveWindow(), d);
}

TEST_F(DialogTest, InitDialogReturningFalseKeepsTheFocusTheProcedureChose)
{
    handler() = [](HWND d, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m != WM_INITDIALOG)
            return FALSE;
        SetFocus(GetDlgItem(d, id_second));
        return FALSE;
    };
    Template t(popup_dialog | WS_VISIBLE, 0, 0, 200, 100, "Focus");
    t.item(edit_class, "", id_first, visible_child | WS_TABSTOP, 5, 20, 40, 12)
        .item(edit_class, "", id_second, visible_child | WS_TABSTOP, 5, 35, 40, 12);
    HWND d = create(t);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(GetFocus(), GetDlgItem(d, id_second));
    // The first edit never had the focus on the way.
    for (auto [id, code] : commands_of(d))
        EXPECT_NE(id, id_first) << "code " << code;
}

TEST_F(DialogTest, CentredAndOwnerRelativePositions)
{
    HWND owner = owner_window();
    // Without DS_CENTER the template's position is in the owner's client
    // area; with it the dialog is centred on the work area (1920 x 1080).
    HWND placed = create(Template(WS_POPUP | WS_VISIBLE, 20, 16, 100, 40, "placed"), owner);
    HWND centred = create(Template(WS_POPUP | WS_VISIBLE | DS_CENTER, 20, 16, 100, 40, "centred"), owner);
    ASSERT_NE(placed, nullptr);
    ASSERT_NE(centred, nullptr);
    RECT r;
    GetWindowRect(placed, &r);
    EXPECT_EQ(r.left, 100 + 30);
    EXPECT_EQ(r.top, 100 + 26);
    GetWindowRect(centred, &r);
    EXPECT_EQ(r.right - r.left, 150);
    EXPECT_EQ(r.bottom - r.top, 65);
    EXPECT_EQ(r.left, (1920 - 150) / 2);
    EXPECT_EQ(r.top, (1080 - 65) / 2);
    EXPECT_EQ(GetWindow(centred, GW_OWNER), owner);
}

TEST_F(DialogTest, DamagedTemplatesAreRefusedAtEveryLength)
{
    Template t = layout_template(false, 8);
    const std::vector<uint8_t>& full = t.bytes();
    helm::user::DialogTemplate parsed;
    ASSERT_TRUE(helm::user::parse_dialog_template(full.data(), full.size(), &parsed));
    EXPECT_EQ(parsed.items.size(), 3u);
    EXPECT_EQ(parsed.face, "MS Shell Dlg");
    for (size_t n = 0; n + 1 < full.size(); ++n) {
        // Each prefix in a buffer of its own size, so a read past it shows.
        std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
        EXPECT_FALSE(helm::user::parse_dialog_template(cut.data(), cut.size(), &parsed)) << n << " bytes";
    }
    // An item count beyond what the bytes hold, and a string without its end.
    std::vector<uint8_t> many = full;
    many[16] = 0x00;
    many[17] = 0x01;
    EXPECT_FALSE(helm::user::parse_dialog_template(many.data(), many.size(), &parsed));
    std::vector<uint8_t> unterminated(full.begin(), full.begin() + 40);
    for (size_t i = 30; i < unterminated.size(); ++i)  // the title
        unterminated[i] = 'A';
    EXPECT_FALSE(helm::user::parse_dialog_template(unterminated.data(), unterminated.size(), &parsed));
}

TEST_F(DialogTest, ATemplateWhoseControlCannotBeMadeFailsUnlessToldOtherwise)
{
    Template bad(popup_dialog, 0, 0, 100, 50, "bad");
    bad.item("NoSuchClass", "", 1, visible_child, 0, 0, 10, 10);
    EXPECT_EQ(create(bad), nullptr);
    Template tolerant(popup_dialog | DS_NOFAILCREATE, 0, 0, 100, 50, "tolerant");
    tolerant.item("NoSuchClass", "", 1, visible_child, 0, 0, 10, 10)
        .item(edit_class, "", id_first, visible_child | WS_TABSTOP, 0, 20, 10, 10);
    HWND d = create(tolerant);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(GetDlgItem(d, 1), nullptr);
    EXPECT_NE(GetDlgItem(d, id_first), nullptr);
}

// The seam for items naming a class id: a host makes their windows (here
// an edit for one class id, nothing for another) and hears of each
// dialog's end once its windows are gone.
struct FakeClassIdHost {
    static inline std::vector<std::string> log;
    static HWND create(HWND dialog, const char* class_id, const RECT& r, UINT id, DWORD style, DWORD ex_style)
    {
        log.push_back(std::string("create ") + class_id);
        if (std::strcmp(class_id, "{11111111-2222-3333-4444-555555555555}") != 0)
            return nullptr;
        return CreateWindowEx(ex_style, edit_class, "", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                              dialog, reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
    }
    static void dialog_destroyed(HWND dialog)
    {
        log.push_back(std::string("destroyed") + (GetWindow(dialog, GW_CHILD) ? " with children" : ""));
    }
};

TEST_F(DialogTest, ItemsNamingAClassIdAreMadeByTheirHostOrLeftOut)
{
    Template t(popup_dialog, 0, 0, 100, 60, "hosted");
    t.item(edit_class, "", id_first, visible_child | WS_TABSTOP, 0, 0, 40, 10)
        .item("{11111111-2222-3333-4444-555555555555}", "", id_second, visible_child | WS_TABSTOP, 4, 16, 40, 24)
        .item("{99999999-2222-3333-4444-555555555555}", "", id_third, visible_child | WS_TABSTOP, 0, 44, 40, 10)
        .item(edit_class, "", IDOK, visible_child | WS_TABSTOP, 50, 0, 40, 10);

    // Without a host such items are left out; the dialog opens all the same.
    HWND plain = create(t);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(GetDlgItem(plain, id_second), nullptr);
    EXPECT_EQ(GetNextDlgTabItem(plain, GetDlgItem(plain, id_first), FALSE), GetDlgItem(plain, IDOK));
    DestroyWindow(plain);

    static const helm::user::ClassIdItemHost host{&FakeClassIdHost::create, &FakeClassIdHost::dialog_destroyed};
    struct Installed {
        Installed() { helm::user::set_class_id_item_host(&host); }
        ~Installed() { helm::user::set_class_id_item_host(nullptr); }
    } installed;
    FakeClassIdHost::log.clear();
    HWND d = create(t);
    ASSERT_NE(d, nullptr);
    HWND made = GetDlgItem(d, id_second);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(GetDlgItem(d, id_third), nullptr);
    // In template order, at the item's pixels (6 x 13 per 4 x 8 units).
    EXPECT_EQ(GetNextDlgTabItem(d, GetDlgItem(d, id_first), FALSE), made);
    EXPECT_EQ(GetNextDlgTabItem(d, made, FALSE), GetDlgItem(d, IDOK));
    EXPECT_TRUE(same(in_parent(made), RECT{6, 26, 66, 65}));
    EXPECT_EQ(GetWindowLong(made, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY, WS_EX_NOPARENTNOTIFY);
    DestroyWindow(d);
    EXPECT_EQ(FakeClassIdHost::log, (std::vector<std::string>{"create {11111111-2222-3333-4444-555555555555}",
                                                                "create {99999999-2222-3333-4444-555555555555}",
                                                                "destroyed"}));
}

TEST_F(DialogTest, DefDlgProcAnswersWithMsgResultOrTheProcedureResult)
{
    handler() = [](HWND d, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m == WM_APP) {
            SetWindowLongPtr(d, DWLP_MSGRESULT, 1234);
            return TRUE;
        }
        if (m == WM_CTLCOLORDLG)
            return 0x5151;  // a brush: the answer itself
        return m == WM_INITDIALOG;
    };
    HWND d = create(Template(popup_dialog, 0, 0, 100, 50, "results"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(SendMessage(d, WM_APP, 0, 0), 1234);
    EXPECT_EQ(SendMessage(d, WM_CTLCOLORDLG, 0, 0), 0x5151);
    // Not handled: DefDlgProc's own answer, and DWLP_USER is the program's.
    EXPECT_EQ(SendMessage(d, WM_APP + 1, 0, 0), 0);
    SetWindowLongPtr(d, DWLP_USER, 99);
    EXPECT_EQ(GetWindowLongPtr(d, DWLP_USER), 99);
    char name[16];
    GetClassName(d, name, sizeof name);
    EXPECT_STREQ(name, "#32770");
}

TEST_F(DialogTest, CloseBecomesCancelAndDefaultIdFollowsTheTemplate)
{
    Template t(popup_dialog | WS_VISIBLE, 0, 0, 200, 100, "close");
    t.item(button_class, "Apply", id_first, visible_child | WS_TABSTOP | default_push, 5, 5, 40, 14)
        .item(button_class, "Cancel", IDCANCEL, visible_child | WS_TABSTOP, 5, 25, 40, 14);
    HWND d = create(t);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(SendMessage(d, DM_GETDEFID, 0, 0), MAKELRESULT(id_first, DC_HASDEFID));
    SendMessage(d, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(d)) << "WM_CLOSE does not destroy a dialog";
    drive::pump_until_idle();
    EXPECT_EQ(commands_of(d), (std::vector<std::pair<int, int>>{{IDCANCEL, bn_clicked}}));
}

// Navigation: two edits, a group of three radio buttons, a button after the
// group, OK (default) and Cancel; a hidden and a disabled control in
// between are skipped.
Template navigation_template(DWORD extra_style = 0)
{
    Template t(popup_dialog | WS_VISIBLE | extra_style, 0, 0, 200, 150, "navigate");
    t.item(edit_class, "", id_first, visible_child | WS_TABSTOP | WS_GROUP, 5, 5, 60, 12)
        .item(edit_class, "", id_second, WS_CHILD | WS_TABSTOP, 5, 20, 60, 12)  // hidden
        .item(edit_class, "", id_third, visible_child | WS_TABSTOP | WS_DISABLED, 5, 35, 60, 12)
        .item(button_class, "A", id_group_a, visible_child | WS_TABSTOP | WS_GROUP | radio, 5, 50, 60, 10)
        .item(button_class, "B", id_group_b, visible_child | radio, 5, 62, 60, 10)
        .item(button_class, "C", id_group_c, visible_child | radio, 5, 74, 60, 10)
        .item(button_class, "Other", id_after_group, visible_child | WS_TABSTOP | WS_GROUP | push, 5, 90, 60, 14)
        .item(button_class, "OK", IDOK, visible_child | WS_TABSTOP | default_push, 80, 120, 50, 14)
        .item(button_class, "Cancel", IDCANCEL, visible_child | WS_TABSTOP | push, 140, 120, 50, 14);
    return t;
}

TEST_F(DialogTest, TabAndShiftTabFollowTheTabStopsAndWrap)
{
    HWND d = create(navigation_template());
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(GetFocus(), GetDlgItem(d, id_first));
    const int forward[] = {id_group_a, id_after_group, IDOK, IDCANCEL, id_first};
    for (int id : forward) {
        drive::press_tab();
        EXPECT_EQ(GetFocus(), GetDlgItem(d, id)) << "tab to " << id;
    }
    const int backward[] = {IDCANCEL, IDOK, id_after_group, id_group_a, id_first};
    for (int id : backward) {
        drive::press_shift_tab();
        EXPECT_EQ(GetFocus(), GetDlgItem(d, id)) << "shift+tab to " << id;
    }
    // Input handed in faster than the loop runs: Shift counts as it was when
    // the Tab key's message was taken, not as it is now.
    helm::user::input::key(VK_SHIFT, true);
    helm::user::input::key(VK_TAB, true);
    helm::user::input::key(VK_TAB, false);
    helm::user::input::key(VK_SHIFT, false);
    drive::pump_until_idle();
    EXPECT_EQ(GetFocus(), GetDlgItem(d, IDCANCEL));
    // The keys never reached the controls as characters.
    EXPECT_EQ(text_of(GetDlgItem(d, id_first)), "");
    EXPECT_EQ(GetNextDlgTabItem(d, nullptr, TRUE), GetDlgItem(d, IDCANCEL));
}

TEST_F(DialogTest, CharactersOfKeysComeBeforeTheKeysQueuedBehindThem)
{
    // An operator types "42" and Enter faster than the loop runs: the
    // characters TranslateMessage makes must reach the edit before Enter
    // makes the dialog read it.
    HWND d = create(navigation_template());
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(GetFocus(), GetDlgItem(d, id_first));
    std::string read_at_ok;
    handler() = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK)
            read_at_ok = text_of(GetDlgItem(dialog, id_first));
        return message == WM_INITDIALOG;
    };
    for (BYTE key : {BYTE('4'), BYTE('2'), BYTE(VK_RETURN)}) {
        helm::user::input::key(key, true);
        helm::user::input::key(key, false);
    }
    drive::pump_until_idle();
    EXPECT_EQ(read_at_ok, "42");
}

TEST_F(DialogTest, KeysTypedAfterAClickGoWhereTheClickPutTheFocus)
{
    // A click on another field and typing, handed in before the loop runs:
    // each key goes where the focus is when the loop comes to it.
    Template t(popup_dialog | WS_VISIBLE, 0, 0, 200, 60, "type-ahead");
    t.item(edit_class, "", id_first, visible_child | WS_TABSTOP, 5, 5, 60, 12)
        .item(edit_class, "", id_second, visible_child | WS_TABSTOP, 5, 25, 60, 12);
    HWND d = create(t);
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(GetFocus(), GetDlgItem(d, id_first));
    RECT second{};
    GetWindowRect(GetDlgItem(d, id_second), &second);
    const POINT inside{second.left + 3, second.top + 3};
    helm::user::input::mouse_button(inside, helm::user::input::Button::left, true);
    helm::user::input::mouse_button(inside, helm::user::input::Button::left, false);
    for (BYTE key : {BYTE('4'), BYTE('2')}) {
        helm::user::input::key(key, true);
        helm::user::input::key(key, false);
    }
    drive::pump_until_idle();
    EXPECT_EQ(text_of(GetDlgItem(d, id_first)), "");
    EXPECT_EQ(text_of(GetDlgItem(d, id_second)), "42");
}

TEST_F(DialogTest, ArrowsMoveWithinTheGroupAndPickTheRadioButton)
{
    HWND d = create(navigation_template());
    ASSERT_NE(d, nullptr);
    drive::press_tab();
    ASSERT_EQ(GetFocus(), GetDlgItem(d, id_group_a));
    calls().clear();
    drive::press(VK_DOWN);
    EXPECT_EQ(GetFocus(), GetDlgItem(d, id_group_b));
    EXPECT_EQ(IsDlgButtonChecked(d, id_group_b), 1u);
    drive::press(VK_RIGHT);
    drive::press(VK_DOWN);  // wraps to the group's first
    EXPECT_EQ(GetFocus(), GetDlgItem(d, id_group_a));
    drive::press(VK_UP);  // and back to its last
    EXPECT_EQ(GetFocus(), GetDlgItem(d, id_group_c));
    EXPECT_EQ(IsDlgButtonChecked(d, id_group_c), 1u);
    EXPECT_EQ(IsDlgButtonChecked(d, id_group_a), 0u);
    EXPECT_EQ(commands_of(d), (std::vector<std::pair<int, int>>{
                                  {id_group_b, bn_clicked}, {id_group_c, bn_clicked}, {id_group_a, bn_clicked},
                                  {id_group_c, bn_clicked}}));
    EXPECT_EQ(GetNextDlgGroupItem(d, GetDlgItem(d, id_group_a), TRUE), GetDlgItem(d, id_group_c));
    // An edit that wants arrows keeps them.
    drive::focus(GetDlgItem(d, id_first));
    drive::press(VK_DOWN);
    EXPECT_EQ(GetFocus(), GetDlgItem(d, id_first));
}

TEST_F(DialogTest, EnterEscapeAndTheDefaultButtonLook)
{
    HWND d = create(navigation_template());
    ASSERT_NE(d, nullptr);
    HWND ok = GetDlgItem(d, IDOK);
    HWND other = GetDlgItem(d, id_after_group);
    auto looks_default = [](HWND b) { return (GetWindowLong(b, GWL_STYLE) & 0xF) == default_push; };
    calls().clear();

    // From an edit: the default button's command, as its click would send it.
    drive::press_enter();
    drive::press_escape();
    EXPECT_EQ(commands_of(d), (std::vector<std::pair<int, int>>{{IDOK, bn_clicked}, {IDCANCEL, bn_clicked}}));

    // Focus on another push button: it looks like the default and Enter is
    // its click; back on the edit the look returns to OK.
    drive::focus(GetDlgItem(d, id_group_c));
    drive::press_tab();
    ASSERT_EQ(GetFocus(), other);
    EXPECT_TRUE(looks_default(other));
    EXPECT_FALSE(looks_default(ok));
    calls().clear();
    drive::press_enter();
    EXPECT_EQ(commands_of(d), (std::vector<std::pair<int, int>>{{id_after_group, bn_clicked}}));
    drive::press_shift_tab();
    drive::press_shift_tab();
    ASSERT_EQ(GetFocus(), GetDlgItem(d, id_first));
    EXPECT_TRUE(looks_default(ok));
    EXPECT_FALSE(looks_default(other));

    // DM_SETDEFID moves the default; Enter follows it.
    SendMessage(d, DM_SETDEFID, IDCANCEL, 0);
    EXPECT_EQ(SendMessage(d, DM_GETDEFID, 0, 0), MAKELRESULT(IDCANCEL, DC_HASDEFID));
    EXPECT_TRUE(looks_default(GetDlgItem(d, IDCANCEL)));
    EXPECT_FALSE(looks_default(ok));
    calls().clear();
    drive::press_enter();
    EXPECT_EQ(commands_of(d), (std::vector<std::pair<int, int>>{{IDCANCEL, bn_clicked}}));
}

TEST_F(DialogTest, ControlsThatWantKeysGetThem)
{
    Template t(popup_dialog | WS_VISIBLE, 0, 0, 200, 100, "wants");
    t.item(tab_edit_class, "", id_first, visible_child | WS_TABSTOP, 5, 5, 60, 12)
        .item(edit_class, "", id_second, visible_child | WS_TABSTOP | multiline, 5, 20, 60, 30)
        .item(button_class, "OK", IDOK, visible_child | WS_TABSTOP | default_push, 80, 80, 50, 14);
    HWND d = create(t);
    ASSERT_NE(d, nullptr);
    HWND tabs = GetDlgItem(d, id_first);
    HWND all = GetDlgItem(d, id_second);
    ASSERT_EQ(GetFocus(), tabs);
    drive::type("a1");
    drive::press_tab();  // DLGC_WANTTAB: a character, no move
    drive::press_enter();  // not wanted: the default button
    EXPECT_EQ(GetFocus(), tabs);
    EXPECT_EQ(text_of(tabs), "a1\t");
    EXPECT_EQ(commands_of(d).back(), (std::pair<int, int>{IDOK, bn_clicked}));
    drive::focus(all);
    calls().clear();
    drive::press_enter();  // DLGC_WANTALLKEYS: Enter and Tab are the control's
    drive::press_tab();
    drive::press_escape();
    EXPECT_EQ(GetFocus(), all);
    EXPECT_EQ(text_of(all), "\r\t\x1b");
    for (auto [id, code] : commands_of(d))
        EXPECT_NE(code, bn_clicked) << "command " << id;
}

TEST_F(DialogTest, EditKillFocusWhenTheFocusMovesOn)
{
    Template t(popup_dialog | WS_VISIBLE, 0, 0, 200, 100, "focus");
    t.item(edit_class, "", id_first, visible_child | WS_TABSTOP, 5, 5, 60, 12)
        .item(edit_class, "", id_second, visible_child | WS_TABSTOP, 5, 20, 60, 12);
    HWND d = create(t);
    ASSERT_NE(d, nullptr);
    calls().clear();
    drive::press_tab();
    drive::click(GetDlgItem(d, id_first));
    EXPECT_EQ(commands_of(d), (std::vector<std::pair<int, int>>{{id_first, en_killfocus},
                                                                {id_second, en_setfocus},
                                                                {id_second, en_killfocus},
                                                                {id_first, en_setfocus}}));
}

// A host dialog with a DS_CONTROL child dialog between its own controls.
class ChildDialogTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        Template host(popup_dialog | WS_VISIBLE, 0, 0, 300, 200, "host");
        host.item(edit_class, "", id_first, visible_child | WS_TABSTOP, 5, 5, 60, 12)
            .item(button_class, "OK", IDOK, visible_child | WS_TABSTOP | default_push, 180, 180, 50, 14)
            .item(button_class, "Cancel", IDCANCEL, visible_child | WS_TABSTOP | push, 240, 180, 50, 14);
        m_host = create(host);
        ASSERT_NE(m_host, nullptr);
        Template page(WS_CHILD | WS_VISIBLE | DS_CONTROL, 5, 30, 200, 100, "page");
        page.item(edit_class, "", id_second, visible_child | WS_TABSTOP, 5, 5, 60, 12)
            .item(edit_class, "", id_third, visible_child | WS_TABSTOP, 5, 20, 60, 12);
        m_page = create(page, m_host);
        ASSERT_NE(m_page, nullptr);
        // The page sits after the host's edit in the tab order.
        SetWindowPos(m_page, GetDlgItem(m_host, id_first), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    HWND m_host = nullptr;
    HWND m_page = nullptr;
};

TEST_F(ChildDialogTest, TabGoesThroughTheChildDialogsControls)
{
    EXPECT_EQ(GetWindowLong(m_page, GWL_EXSTYLE) & WS_EX_CONTROLPARENT, WS_EX_CONTROLPARENT);
    EXPECT_EQ(GetParent(m_page), m_host);
    EXPECT_EQ(GetFocus(), GetDlgItem(m_host, id_first)) << "the child dialog leaves the focus to its host";
    const HWND order[] = {GetDlgItem(m_page, id_second), GetDlgItem(m_page, id_third), GetDlgItem(m_host, IDOK),
                          GetDlgItem(m_host, IDCANCEL), GetDlgItem(m_host, id_first)};
    for (HWND w : order) {
        drive::press_tab();
        EXPECT_EQ(GetFocus(), w);
    }
    drive::press_shift_tab();
    drive::press_shift_tab();
    drive::press_shift_tab();
    EXPECT_EQ(GetFocus(), GetDlgItem(m_page, id_third));
}

TEST_F(ChildDialogTest, EnterAndEscapeInTheChildDialogGoToTheHost)
{
    drive::focus(GetDlgItem(m_page, id_third));
    calls().clear();
    drive::press_enter();
    drive::press_escape();
    EXPECT_EQ(commands_of(m_host), (std::vector<std::pair<int, int>>{{IDOK, bn_clicked}, {IDCANCEL, bn_clicked}}));
    EXPECT_TRUE(commands_of(m_page).empty());
    EXPECT_EQ(GetFocus(), GetDlgItem(m_page, id_third));
}

// Modal loops.
struct ModalProbe {
    HWND owner = nullptr;
    bool owner_enabled_inside = true;
    bool shown = false;
};
ModalProbe g_probe;

TEST_F(DialogTest, ModalLoopDisablesTheOwnerAndReturnsTheEndResult)
{
    g_probe = {};
    g_probe.owner = owner_window();
    handler() = [](HWND d, UINT m, WPARAM wp, LPARAM) -> INT_PTR {
        if (m == WM_INITDIALOG) {
            PostMessage(d, WM_APP, 0, 0);
            return TRUE;
        }
        if (m == WM_APP) {
            g_probe.owner_enabled_inside = IsWindowEnabled(g_probe.owner) != FALSE;
            g_probe.shown = IsWindowVisible(d) != FALSE;
            // The operator presses Enter.
            helm::user::input::key(VK_RETURN, true);
            helm::user::input::key(VK_RETURN, false);
        }
        if (m == WM_COMMAND && LOWORD(wp) == IDOK)
            EndDialog(d, 42);
        return FALSE;
    };
    Template t(popup_dialog, 0, 0, 100, 50, "modal");
    t.item(button_class, "OK", IDOK, visible_child | WS_TABSTOP | default_push, 5, 5, 40, 14);
    INT_PTR result = DialogBoxIndirectParam(nullptr, t.get(), g_probe.owner, recording_dialog_proc, 0);
    EXPECT_EQ(result, 42);
    EXPECT_FALSE(g_probe.owner_enabled_inside);
    EXPECT_TRUE(g_probe.shown) << "a modal dialog is shown without WS_VISIBLE";
    EXPECT_TRUE(IsWindowEnabled(g_probe.owner));
    EXPECT_EQ(GetActiveWindow(), g_probe.owner);
    HWND dialog = calls().front().dialog;
    EXPECT_FALSE(IsWindow(dialog)) << "the loop destroys its dialog";
}

TEST_F(DialogTest, EndDialogInsideInitDialogNeverShowsTheDialog)
{
    HWND owner = owner_window();
    handler() = [](HWND d, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m == WM_INITDIALOG)
            EndDialog(d, 7);
        return FALSE;
    };
    INT_PTR result =
        DialogBoxIndirectParam(nullptr, Template(popup_dialog, 0, 0, 100, 50, "quick").get(), owner,
                               recording_dialog_proc, 0);
    EXPECT_EQ(result, 7);
    for (const DialogCall& c : calls())
        EXPECT_FALSE(c.message == WM_SHOWWINDOW && c.wParam) << "shown";
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(DialogTest, ADestroyedModalDialogEndsItsLoopAndFreesTheOwner)
{
    HWND owner = owner_window();
    handler() = [](HWND d, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m == WM_INITDIALOG)
            PostMessage(d, WM_APP, 0, 0);
        if (m == WM_APP) {
            // Queued for the dialog when it goes: dropped with it.
            PostMessage(d, WM_APP + 1, 0, 0);
            DestroyWindow(d);
        }
        return m == WM_INITDIALOG;
    };
    INT_PTR result = DialogBoxIndirectParam(nullptr, Template(popup_dialog, 0, 0, 100, 50, "gone").get(), owner,
                                            recording_dialog_proc, 0);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(IsWindowEnabled(owner));
    drive::pump_until_idle();
    for (const DialogCall& c : calls())
        EXPECT_NE(c.message, static_cast<UINT>(WM_APP + 1));
}

TEST_F(DialogTest, NestedModalDialogsDisableAndEnableInTurn)
{
    struct Nesting {
        HWND owner;
        HWND outer = nullptr;
        bool outer_enabled_inside_inner = true;
        bool owner_enabled_inside_inner = true;
        INT_PTR inner_result = 0;
        bool outer_enabled_after_inner = false;
    };
    static Nesting n{};
    n = Nesting{owner_window()};
    static const Template inner_template(popup_dialog, 0, 0, 80, 40, "inner");
    handler() = [](HWND d, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m == WM_INITDIALOG) {
            PostMessage(d, WM_APP, 0, 0);
            return TRUE;
        }
        if (m != WM_APP)
            return FALSE;
        if (!n.outer) {
            n.outer = d;
            n.inner_result = DialogBoxIndirectParam(nullptr, inner_template.get(), d, recording_dialog_proc, 0);
            n.outer_enabled_after_inner = IsWindowEnabled(d) != FALSE;
            EndDialog(d, 2);
        } else {
            n.outer_enabled_inside_inner = IsWindowEnabled(n.outer) != FALSE;
            n.owner_enabled_inside_inner = IsWindowEnabled(n.owner) != FALSE;
            EndDialog(d, 1);
        }
        return TRUE;
    };
    INT_PTR outer = DialogBoxIndirectParam(nullptr, Template(popup_dialog, 0, 0, 100, 50, "outer").get(), n.owner,
                                           recording_dialog_proc, 0);
    EXPECT_EQ(outer, 2);
    EXPECT_EQ(n.inner_result, 1);
    EXPECT_FALSE(n.outer_enabled_inside_inner);
    EXPECT_FALSE(n.owner_enabled_inside_inner);
    EXPECT_TRUE(n.outer_enabled_after_inner);
    EXPECT_TRUE(IsWindowEnabled(n.owner));
}

TEST_F(DialogTest, TheOwnerDialogGetsItsFocusBackWhenAModalOneEnds)
{
    Template t(popup_dialog | WS_VISIBLE, 0, 0, 200, 100, "owner");
    t.item(edit_class, "", id_first, visible_child | WS_TABSTOP, 5, 5, 60, 12)
        .item(edit_class, "", id_second, visible_child | WS_TABSTOP, 5, 20, 60, 12);
    HWND owner = create(t);
    ASSERT_NE(owner, nullptr);
    drive::press_tab();
    ASSERT_EQ(GetFocus(), GetDlgItem(owner, id_second));
    handler() = [](HWND d, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m == WM_INITDIALOG)
            PostMessage(d, WM_APP, 0, 0);
        if (m == WM_APP)
            EndDialog(d, IDOK);
        return m == WM_INITDIALOG;
    };
    Template inner(popup_dialog, 0, 0, 100, 50, "inner");
    inner.item(edit_class, "", id_third, visible_child | WS_TABSTOP, 5, 5, 60, 12);
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, inner.get(), GetDlgItem(owner, id_second), recording_dialog_proc, 0),
              IDOK);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
    EXPECT_EQ(GetFocus(), GetDlgItem(owner, id_second));
}

TEST_F(DialogTest, QuitInsideAModalLoopEndsItAndIsPostedAgain)
{
    HWND owner = owner_window();
    handler() = [](HWND, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m == WM_INITDIALOG)
            PostQuitMessage(5);
        return m == WM_INITDIALOG;
    };
    INT_PTR result = DialogBoxIndirectParam(nullptr, Template(popup_dialog, 0, 0, 100, 50, "quit").get(), owner,
                                            recording_dialog_proc, 0);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(IsWindow(calls().front().dialog));
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(DialogTest, ModelessEndDialogHidesWithoutDestroying)
{
    HWND d = create(Template(popup_dialog | WS_VISIBLE, 0, 0, 100, 50, "modeless"));
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(EndDialog(d, 3));
    EXPECT_TRUE(IsWindow(d));
    EXPECT_FALSE(IsWindowVisible(d));
    EXPECT_FALSE(EndDialog(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FFF0000)), 0));
}

TEST_F(DialogTest, ItemHelpers)
{
    Template t(popup_dialog, 0, 0, 200, 100, "items");
    t.item(edit_class, "", id_first, visible_child, 5, 5, 60, 12)
        .item(button_class, "A", id_group_a, visible_child | radio | WS_GROUP, 5, 20, 60, 10)
        .item(button_class, "B", id_group_b, visible_child | radio, 5, 30, 60, 10)
        .item(button_class, "C", id_group_c, visible_child | radio, 5, 40, 60, 10);
    HWND d = create(t);
    ASSERT_NE(d, nullptr);

    struct Number {
        const char* text;
        BOOL is_signed;
        BOOL translated;
        UINT value;
    };
    const Number numbers[] = {
        {"42", FALSE, TRUE, 42},
        {"  -7", TRUE, TRUE, static_cast<UINT>(-7)},
        {"-7", FALSE, FALSE, 0},
        {"4294967295", FALSE, TRUE, 4294967295u},
        {"4294967296", FALSE, FALSE, 0},
        {"2147483647", TRUE, TRUE, 2147483647u},
        {"2147483648", TRUE, FALSE, 0},
        {"-2147483648", TRUE, TRUE, 0x80000000u},
        {"12a", FALSE, FALSE, 0},
        {"", FALSE, FALSE, 0},
        {"-", TRUE, FALSE, 0},
        {"99999999999999999999999999", FALSE, FALSE, 0},
    };
    for (const Number& n : numbers) {
        SetDlgItemText(d, id_first, n.text);
        BOOL translated = !n.translated;
        EXPECT_EQ(GetDlgItemInt(d, id_first, &translated, n.is_signed), n.value) << n.text;
        EXPECT_EQ(translated, n.translated) << n.text;
    }
    SetDlgItemInt(d, id_first, static_cast<UINT>(-15), TRUE);
    char text[16];
    EXPECT_EQ(GetDlgItemText(d, id_first, text, sizeof text), 3u);
    EXPECT_STREQ(text, "-15");
    SetDlgItemInt(d, id_first, static_cast<UINT>(-15), FALSE);
    EXPECT_EQ(text_of(GetDlgItem(d, id_first)), "4294967281");
    EXPECT_EQ(GetDlgItemText(d, 999, text, sizeof text), 0u);
    EXPECT_STREQ(text, "");

    CheckRadioButton(d, id_group_a, id_group_c, id_group_b);
    EXPECT_EQ(IsDlgButtonChecked(d, id_group_a), 0u);
    EXPECT_EQ(IsDlgButtonChecked(d, id_group_b), 1u);
    EXPECT_TRUE(CheckDlgButton(d, id_group_c, 1));
    EXPECT_EQ(IsDlgButtonChecked(d, id_group_c), 1u);
    EXPECT_FALSE(CheckDlgButton(d, 999, 1));
    EXPECT_EQ(SendDlgItemMessage(d, id_group_c, bm_getcheck, 0, 0), 1);
}

// A dialog of the test program's resource script, through CreateDialogParam.
TEST_F(DialogTest, AScriptDialogLandsOnThePixelsOfItsFont)
{
    HWND d = CreateDialogParam(nullptr, MAKEINTRESOURCE(IDD_EVENT_MARK), nullptr, recording_dialog_proc, 0);
    m_dialogs.push_back(d);
    ASSERT_NE(d, nullptr);
    // 8-point "MS Sans Serif": 6 x 13 base units.
    RECT client;
    GetClientRect(d, &client);
    EXPECT_TRUE(same(client, {0, 0, 279, 133}));
    EXPECT_TRUE(same(in_parent(GetDlgItem(d, IDC_MARK_DATE)), {9, 10, 270, 23}));
    EXPECT_TRUE(same(in_parent(GetDlgItem(d, IDC_MARK_TEXT)), {9, 29, 270, 88}));
    EXPECT_TRUE(same(in_parent(GetDlgItem(d, IDOK)), {114, 98, 189, 124}));
    EXPECT_TRUE(same(in_parent(GetDlgItem(d, IDCANCEL)), {195, 98, 270, 124}));
    EXPECT_EQ(text_of(d), "Event Mark");
    EXPECT_EQ(text_of(GetDlgItem(d, IDCANCEL)), "Annuler");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDOK)));
    // The label is no tab stop and OK is disabled: the edit has the focus,
    // and as a multi-line edit with ES_WANTRETURN it keeps Enter.
    ShowWindow(d, SW_SHOW);
    ASSERT_EQ(GetFocus(), GetDlgItem(d, IDC_MARK_TEXT));
    calls().clear();
    drive::type("ok");
    drive::press_enter();
    EXPECT_EQ(text_of(GetDlgItem(d, IDC_MARK_TEXT)), "ok\r\n");
    for (auto [id, code] : commands_of(d))
        EXPECT_NE(id, IDOK) << code;
    // A missing template makes no dialog.
    EXPECT_EQ(CreateDialogParam(nullptr, MAKEINTRESOURCE(4242), nullptr, recording_dialog_proc, 0), nullptr);
    EXPECT_EQ(DialogBoxParam(nullptr, MAKEINTRESOURCE(4242), nullptr, recording_dialog_proc, 0), -1);
}

// The same rules with the standard controls, named by their atoms.
class StandardControlsTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        Template t(popup_dialog | WS_VISIBLE, 0, 0, 220, 120, "standard");
        t.item(WORD{0x0082}, "Name:", id_label, visible_child, 5, 7, 30, 8)
            .item(WORD{0x0081}, "first", id_first, visible_child | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 40, 5,
                  80, 12)
            .item(WORD{0x0081}, "", id_second, visible_child | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 40, 20, 80, 12)
            .item(WORD{0x0080}, "Other", id_after_group, visible_child | WS_TABSTOP | BS_PUSHBUTTON, 5, 100, 50, 14)
            .item(WORD{0x0080}, "OK", IDOK, visible_child | WS_TABSTOP | BS_DEFPUSHBUTTON, 110, 100, 50, 14)
            .item(WORD{0x0080}, "Cancel", IDCANCEL, visible_child | WS_TABSTOP | BS_PUSHBUTTON, 165, 100, 50, 14);
        m_dialog = create(t);
        ASSERT_NE(m_dialog, nullptr);
        calls().clear();
    }
    HWND item(int id) const { return GetDlgItem(m_dialog, id); }
    HWND m_dialog = nullptr;
};

TEST_F(StandardControlsTest, EditsTellKillFocusAsTheFocusMovesOn)
{
    char name[16];
    GetClassName(item(id_first), name, sizeof name);
    EXPECT_STREQ(name, "Edit");
    ASSERT_EQ(GetFocus(), item(id_first));
    // The dialog selected the first edit's text when it gave it the focus.
    DWORD start = 0, end = 0;
    SendMessage(item(id_first), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 5u);
    drive::press_tab();
    drive::type("Ab 1");
    drive::click(item(id_first));
    std::vector<std::pair<int, int>> focus_codes;
    for (auto c : commands_of(m_dialog))
        if (c.second == EN_SETFOCUS || c.second == EN_KILLFOCUS)
            focus_codes.push_back(c);
    EXPECT_EQ(focus_codes, (std::vector<std::pair<int, int>>{{id_first, EN_KILLFOCUS},
                                                             {id_second, EN_SETFOCUS},
                                                             {id_second, EN_KILLFOCUS},
                                                             {id_first, EN_SETFOCUS}}));
    EXPECT_EQ(text_of(item(id_second)), "Ab 1");
    EXPECT_EQ(GetFocus(), item(id_first));
}

TEST_F(StandardControlsTest, EnterEscapeAndTheDefaultLookWithStandardButtons)
{
    auto style_of = [&](int id) { return GetWindowLong(item(id), GWL_STYLE) & 0xF; };
    drive::press_enter();
    drive::press_escape();
    EXPECT_EQ(commands_of(m_dialog), (std::vector<std::pair<int, int>>{{IDOK, BN_CLICKED}, {IDCANCEL, BN_CLICKED}}));
    // Two tabs: the second edit, then Other (the label is no tab stop).
    drive::press_tab();
    drive::press_tab();
    ASSERT_EQ(GetFocus(), item(id_after_group));
    EXPECT_EQ(style_of(id_after_group), BS_DEFPUSHBUTTON);
    EXPECT_EQ(style_of(IDOK), BS_PUSHBUTTON);
    calls().clear();
    drive::press_enter();
    EXPECT_EQ(commands_of(m_dialog), (std::vector<std::pair<int, int>>{{id_after_group, BN_CLICKED}}));
    // A click on a button is its command too, and the edit gets the look back
    // to OK when the focus returns there.
    calls().clear();
    drive::click(item(IDCANCEL));
    EXPECT_EQ(commands_of(m_dialog), (std::vector<std::pair<int, int>>{{IDCANCEL, BN_CLICKED}}));
    drive::focus(item(id_first));
    SendMessage(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(id_second)), TRUE);
    EXPECT_EQ(GetFocus(), item(id_second));
    EXPECT_EQ(style_of(IDOK), BS_DEFPUSHBUTTON);
    EXPECT_EQ(style_of(id_after_group), BS_PUSHBUTTON);
}

}  // namespace
