// Menus: building and editing items, states, popups tracked with the mouse
// and the keys (owner-drawn items measured and drawn by the owner),
// submenus, the menu bar, the system menu from its icon and Alt+Space, and
// accelerator tables; popups and the bar painted.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "helm/gdi/pixel_checks.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"

namespace drive = helm::user::testing;
namespace input = helm::user::input;

namespace {

constexpr COLORREF title_colour = RGB(0, 128, 0);

struct Heard {
    UINT message;
    WPARAM wParam;
    UINT item;  // itemID of WM_MEASUREITEM / WM_DRAWITEM
    UINT state;
};
std::vector<Heard> g_heard;

LRESULT CALLBACK owner_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    switch (m) {
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        g_heard.push_back({m, wp, mis->itemID, static_cast<UINT>(mis->itemData)});
        mis->itemWidth = 150;
        mis->itemHeight = 24;
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        g_heard.push_back({m, wp, dis->itemID, dis->itemState});
        EXPECT_EQ(dis->rcItem.bottom - dis->rcItem.top, 24);
        // The title as the gauges draw theirs: a band of its own colour.
        HBRUSH band = CreateSolidBrush(title_colour);
        FillRect(dis->hDC, &dis->rcItem, band);
        DeleteObject(band);
        return TRUE;
    }
    case WM_COMMAND:
    case WM_INITMENUPOPUP:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_CLOSE:
        g_heard.push_back({m, wp, 0, 0});
        return 0;  // WM_CLOSE too: the owner stays for the next case
    case WM_SYSCOMMAND:
        // Recorded, then what Windows does with it (the menus, closing).
        g_heard.push_back({m, wp, 0, 0});
        return DefWindowProc(w, m, wp, lp);
    default:
        return DefWindowProc(w, m, wp, lp);
    }
}

std::vector<UINT> messages_heard(std::initializer_list<UINT> wanted)
{
    std::vector<UINT> out;
    for (const Heard& h : g_heard)
        if (std::find(wanted.begin(), wanted.end(), h.message) != wanted.end())
            out.push_back(h.message);
    return out;
}

std::string text_of(HMENU menu, UINT item, UINT flags = MF_BYPOSITION)
{
    char buffer[64] = {};
    GetMenuString(menu, item, buffer, sizeof buffer, flags);
    return buffer;
}

POINT centre_of_item(HMENU menu, UINT position, HWND bar_window = nullptr)
{
    RECT r{};
    EXPECT_TRUE(GetMenuItemRect(bar_window, menu, position, &r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The WM_SYSCOMMAND commands the owner heard, without the menus' own.
std::vector<WPARAM> system_commands()
{
    std::vector<WPARAM> out;
    for (const Heard& h : g_heard)
        if (h.message == WM_SYSCOMMAND && (h.wParam & 0xFFF0) != SC_KEYMENU && (h.wParam & 0xFFF0) != SC_MOUSEMENU)
            out.push_back(h.wParam);
    return out;
}

void keys(std::initializer_list<BYTE> vks)
{
    for (BYTE vk : vks) {
        input::key(vk, true);
        input::key(vk, false);
    }
}

constexpr UINT title_id = 0xC123;
constexpr char title[] = "Vertical Scale";

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool registered = [] {
            WNDCLASS wc{};
            wc.lpfnWndProc = owner_proc;
            wc.lpszClassName = "MenusOwner";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        m_owner = CreateWindowEx(0, "MenusOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(m_owner);
        // The popup of a gauge: a title added at run time over its items.
        m_menu = CreatePopupMenu();
        AppendMenu(m_menu, MF_STRING, 32792, "&Recenter");
        AppendMenu(m_menu, MF_SEPARATOR, 0, nullptr);
        AppendMenu(m_menu, MF_STRING, 32769, "0.5 nT");
        AppendMenu(m_menu, MF_STRING | MF_GRAYED, 32770, "1 nT");
        AppendMenu(m_menu, MF_STRING, 32771, "2 nT");
        InsertMenu(m_menu, 0, MF_BYPOSITION | MF_OWNERDRAW | MF_DISABLED, title_id, title);
        InsertMenu(m_menu, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        g_heard.clear();
    }
    void TearDown() override
    {
        helm::user::set_common_dialog_shown(nullptr);
        DestroyMenu(m_menu);
        DestroyWindow(m_owner);
        drive::pump_until_idle();
    }
    // Acts on the popup once it is up. Keys are only posted: the menu's
    // loop takes them, as it takes the thread's keys.
    void when_shown(std::function<void(HWND)> act)
    {
        helm::user::set_common_dialog_shown(act);
    }

    HWND m_owner = nullptr;
    HMENU m_menu = nullptr;
};

TEST_F(MenusTest, ItemsAreBuiltEditedAndReadBack)
{
    ASSERT_EQ(GetMenuItemCount(m_menu), 7);
    EXPECT_EQ(GetMenuItemID(m_menu, 0), title_id);
    EXPECT_EQ(GetMenuState(m_menu, 0, MF_BYPOSITION) & (MF_OWNERDRAW | MF_DISABLED),
              static_cast<UINT>(MF_OWNERDRAW | MF_DISABLED));
    EXPECT_EQ(GetMenuState(m_menu, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(text_of(m_menu, 2), "&Recenter");
    EXPECT_EQ(text_of(m_menu, 32771, MF_BYCOMMAND), "2 nT");
    char tiny[4] = {};
    EXPECT_EQ(GetMenuString(m_menu, 2, tiny, sizeof tiny, MF_BYPOSITION), 3);
    EXPECT_STREQ(tiny, "&Re");
    EXPECT_EQ(GetMenuString(m_menu, 2, nullptr, 0, MF_BYPOSITION), 9);

    // Check and enable give the previous state; -1 for no such item.
    EXPECT_EQ(CheckMenuItem(m_menu, 32769, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(m_menu, 32769, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(m_menu, 4242, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
    EXPECT_EQ(EnableMenuItem(m_menu, 32770, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(m_menu, 32770, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(EnableMenuItem(m_menu, 99, MF_BYPOSITION | MF_GRAYED), -1);
    ASSERT_TRUE(CheckMenuRadioItem(m_menu, 32769, 32771, 32771, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuState(m_menu, 32771, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));

    // A bar holding the popup: by command the popup is searched; its item
    // has no id; removing keeps the popup, deleting destroys it.
    HMENU bar = CreateMenu();
    HMENU other = CreatePopupMenu();
    ASSERT_TRUE(AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(m_menu), "&Scale"));
    ASSERT_TRUE(AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(other), "&Other"));
    EXPECT_FALSE(AppendMenu(bar, MF_POPUP, 0x1234, "not a menu"));
    EXPECT_EQ(GetMenuItemID(bar, 0), static_cast<UINT>(-1));
    EXPECT_EQ(GetSubMenu(bar, 0), m_menu);
    EXPECT_EQ(GetMenuState(bar, 0, MF_BYPOSITION) >> 8, 7u);  // a popup's state carries its count
    EXPECT_EQ(text_of(bar, 32792, MF_BYCOMMAND), "&Recenter");
    ASSERT_TRUE(InsertMenu(bar, 32792, MF_BYCOMMAND | MF_STRING, 50, "before recenter"));
    EXPECT_EQ(text_of(m_menu, 2), "before recenter");
    ASSERT_TRUE(DeleteMenu(m_menu, 50, MF_BYCOMMAND));
    ASSERT_TRUE(SetMenu(m_owner, bar));
    EXPECT_EQ(GetMenu(m_owner), bar);
    ASSERT_TRUE(RemoveMenu(bar, 0, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(m_menu));
    ASSERT_TRUE(DeleteMenu(bar, 0, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(other));
    ASSERT_TRUE(DestroyMenu(bar));
    EXPECT_EQ(GetMenu(m_owner), nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), -1);
}

// The pick comes back from TrackPopupMenu with TPM_RETURNCMD and nothing is
// posted; the owner measured and drew its title item.
TEST_F(MenusTest, ReturnCommandPicksWithTheMouse)
{
    int shown = 0;
    when_shown([&](HWND popup) {
        ++shown;
        char cls[16] = {};
        GetClassName(popup, cls, sizeof cls);
        EXPECT_STREQ(cls, "#32768");
        drive::click_at(centre_of_item(m_menu, 0));  // the disabled title: nothing
        drive::click_at(centre_of_item(m_menu, 5));  // grayed "1 nT": nothing
        EXPECT_TRUE(IsWindowVisible(popup));
        drive::click_at(centre_of_item(m_menu, 6));  // "2 nT"
    });
    UINT chosen = TrackPopupMenu(m_menu, TPM_LEFTALIGN | TPM_RETURNCMD, 150, 150, 0, m_owner, nullptr);
    EXPECT_EQ(chosen, 32771u);
    EXPECT_EQ(shown, 1);
    drive::pump_until_idle();
    EXPECT_EQ(messages_heard({WM_COMMAND}), std::vector<UINT>{});
    EXPECT_EQ(messages_heard({WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_MEASUREITEM, WM_EXITMENULOOP}),
              (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_MEASUREITEM, WM_EXITMENULOOP}));
    bool drawn_disabled = false;
    for (const Heard& h : g_heard) {
        if (h.message == WM_MEASUREITEM) {
            EXPECT_EQ(h.item, title_id);
            EXPECT_EQ(h.state, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(title)));  // the item's data
        }
        if (h.message == WM_DRAWITEM && h.item == title_id && (h.state & ODS_DISABLED))
            drawn_disabled = true;
    }
    EXPECT_TRUE(drawn_disabled);
    // The popup is placed at the point, left-aligned.
    when_shown([&](HWND popup) {
        RECT r{};
        GetWindowRect(popup, &r);
        EXPECT_EQ(r.left, 150);
        EXPECT_EQ(r.top, 150);
        input::key(VK_ESCAPE, true);
        input::key(VK_ESCAPE, false);
    });
    EXPECT_EQ(TrackPopupMenu(m_menu, TPM_RETURNCMD, 150, 150, 0, m_owner, nullptr), 0);
}

TEST_F(MenusTest, KeysAndClicksDecideWhatIsPosted)
{
    struct Case {
        const char* what;
        std::function<void(HMENU)> act;
        std::vector<WPARAM> commands;  // WM_COMMAND wParams posted to the owner
    };
    auto keys = [](std::vector<BYTE> vks) {
        return [vks](HMENU) {
            for (BYTE vk : vks) {
                input::key(vk, true);
                input::key(vk, false);
            }
        };
    };
    const Case cases[] = {
        // Down from nothing: "Recenter" (the title is owner-drawn but the
        // arrows pass separators only); Down again skips the separator.
        {"down, down, enter", keys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}), {32769}},
        {"up wraps to the last", keys({VK_UP, VK_RETURN}), {32771}},
        {"enter on the grayed item", keys({VK_UP, VK_UP, VK_RETURN, VK_ESCAPE}), {}},
        {"escape", keys({VK_ESCAPE}), {}},
        {"mnemonic", [](HMENU) { input::character('r'); }, {32792}},
        {"click outside closes, eaten",
         [](HMENU) {
             drive::click_at(POINT{10, 10});
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_heard.clear();
        when_shown([&](HWND) { c.act(m_menu); });
        EXPECT_TRUE(TrackPopupMenu(m_menu, TPM_LEFTALIGN, 150, 150, 0, m_owner, nullptr));
        drive::pump_until_idle();
        std::vector<WPARAM> commands;
        for (const Heard& h : g_heard)
            if (h.message == WM_COMMAND)
                commands.push_back(h.wParam);
        EXPECT_EQ(commands, c.commands);
    }
}

TEST_F(MenusTest, SystemMenuCarriesOwnItemsToWmSysCommand)
{
    HMENU system = GetSystemMenu(m_owner, FALSE);
    ASSERT_TRUE(system);
    EXPECT_EQ(GetSystemMenu(m_owner, FALSE), system);
    const int standard = GetMenuItemCount(system);
    EXPECT_EQ(GetMenuItemID(system, standard - 1), static_cast<UINT>(SC_CLOSE));
    // As the main program adds its About item.
    ASSERT_TRUE(AppendMenu(system, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenu(system, MF_STRING, 16, "About Helmsight"));
    when_shown([&](HWND) { drive::click_at(centre_of_item(system, static_cast<UINT>(standard + 1))); });
    helm::user::open_system_menu(m_owner);
    EXPECT_EQ(system_commands(), std::vector<WPARAM>{16});

    // Reverting gives the standard menu back.
    EXPECT_EQ(GetSystemMenu(m_owner, TRUE), nullptr);
    EXPECT_EQ(GetMenuItemCount(GetSystemMenu(m_owner, FALSE)), standard);
}

using helm::gdi::testing::count_of;
using helm::gdi::testing::ink_count;

// Where a popup item lies in a picture of its popup.
RECT item_in(HWND popup, HMENU menu, UINT position)
{
    RECT item{}, window{};
    EXPECT_TRUE(GetMenuItemRect(nullptr, menu, position, &item));
    GetWindowRect(popup, &window);
    OffsetRect(&item, -window.left, -window.top);
    return item;
}

// A popup in the classic look: the highlighted item, a check mark, a greyed
// item embossed, separators, a submenu's arrow and an item's key.
TEST_F(MenusTest, PopupsPaintTheirItemsStates)
{
    HMENU sub = CreatePopupMenu();
    AppendMenu(sub, MF_STRING, 500, "&Fine");
    AppendMenu(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&Scale");
    AppendMenu(m_menu, MF_STRING, 33000, "&Save\tCtrl+S");
    CheckMenuItem(m_menu, 32769, MF_BYCOMMAND | MF_CHECKED);
    when_shown([&](HWND popup) {
        input::mouse_move(centre_of_item(m_menu, 6));  // "2 nT"
        drive::pump_until_idle();
        auto picture = helm::user::snapshot_window(popup);
        ASSERT_TRUE(picture);
        helm::gdi::testing::keep_png(*picture, "menu_popup");
        const COLORREF menu = GetSysColor(COLOR_MENU), text = GetSysColor(COLOR_MENUTEXT);
        const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
        auto column = [](RECT r, int from, int to) { return RECT{r.left + from, r.top, r.left + to, r.bottom}; };

        // The owner drew its title where the popup gave it room.
        const RECT title_item = item_in(popup, m_menu, 0);
        EXPECT_TRUE(helm::gdi::testing::area_is(*picture, title_item, title_colour));
        const RECT lit = item_in(popup, m_menu, 6);
        EXPECT_GT(count_of(*picture, lit, highlight), (lit.right - lit.left) * (lit.bottom - lit.top) / 2);
        EXPECT_GT(count_of(*picture, lit, GetSysColor(COLOR_HIGHLIGHTTEXT), 60), 5);
        // The check mark before "0.5 nT" and nothing before "Recenter".
        EXPECT_GT(count_of(*picture, column(item_in(popup, m_menu, 4), 0, 17), text), 10);
        EXPECT_EQ(ink_count(*picture, column(item_in(popup, m_menu, 2), 0, 17), menu), 0);
        // "1 nT" greyed: shadow and white relief, no black.
        const RECT grey = item_in(popup, m_menu, 5);
        EXPECT_GT(count_of(*picture, grey, shadow, 30), 10);
        EXPECT_GT(count_of(*picture, grey, GetSysColor(COLOR_BTNHIGHLIGHT), 30), 5);
        EXPECT_EQ(count_of(*picture, grey, text, 40), 0);
        // A separator: an etched line across its middle.
        const RECT line = item_in(popup, m_menu, 3);
        const int middle = (line.top + line.bottom) / 2 - 1;
        EXPECT_GT(count_of(*picture, {line.left, middle, line.right, middle + 1}, shadow), (line.right - line.left) / 2);
        // The submenu's arrow at the right end; the key after the text.
        const RECT scale = item_in(popup, m_menu, 7);
        EXPECT_GT(count_of(*picture, {scale.right - 17, scale.top, scale.right, scale.bottom}, text), 4);
        const RECT save = item_in(popup, m_menu, 8);
        const RECT key_ink = helm::gdi::testing::ink_bounds(*picture, {(save.left + save.right) / 2, save.top, save.right, save.bottom}, menu, 40);
        EXPECT_GT(key_ink.right - key_ink.left, 20) << "Ctrl+S";
        keys({VK_ESCAPE});
    });
    EXPECT_EQ(TrackPopupMenu(m_menu, TPM_RETURNCMD, 150, 150, 0, m_owner, nullptr), 0);
}

// A popup item opens its submenu beside it: by a click, by resting the
// mouse on it, by Right or Enter or its letter; Left and Escape close only
// the submenu.
TEST_F(MenusTest, SubmenusCascadeAndPick)
{
    HMENU sub = CreatePopupMenu();
    AppendMenu(sub, MF_STRING, 500, "&Fine");
    AppendMenu(sub, MF_STRING, 501, "&Coarse");
    AppendMenu(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&Scale");
    auto shown = [sub] {
        RECT r{};
        return GetMenuItemRect(nullptr, sub, 0, &r) != FALSE;
    };
    struct Case {
        const char* what;
        std::function<void()> act;
        UINT chosen;
    };
    const Case cases[] = {
        {"click, click",
         [&] {
             drive::click_at(centre_of_item(m_menu, 7));
             ASSERT_TRUE(shown());
             RECT item{}, parent{};
             GetMenuItemRect(nullptr, sub, 0, &item);
             GetMenuItemRect(nullptr, m_menu, 7, &parent);
             EXPECT_GT(item.left, parent.right) << "beside its item";
             drive::click_at(centre_of_item(sub, 1));
         },
         501},
        {"rest on it",
         [&] {
             input::mouse_move(centre_of_item(m_menu, 7));
             for (int i = 0; i < 500 && !shown(); ++i) {
                 drive::pump_until_idle();
                 Sleep(10);
             }
             ASSERT_TRUE(shown());
             drive::click_at(centre_of_item(sub, 0));
         },
         500},
        {"up, right, down, enter", [] { keys({VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}); }, 501},
        {"enter opens, escape closes it alone",
         [] { keys({VK_UP, VK_RETURN, VK_ESCAPE, VK_UP, VK_RETURN}); },
         32771},
        {"left closes it alone", [] { keys({VK_UP, VK_RIGHT, VK_LEFT, VK_UP, VK_RETURN}); }, 32771},
        {"letters", [] { input::character('s'); input::character('c'); }, 501},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_heard.clear();
        when_shown([&](HWND) { c.act(); });
        EXPECT_EQ(TrackPopupMenu(m_menu, TPM_RETURNCMD, 150, 150, 0, m_owner, nullptr), static_cast<BOOL>(c.chosen));
        EXPECT_FALSE(shown()) << "every popup closes";
        bool told = false;
        for (const Heard& h : g_heard)
            told = told || (h.message == WM_INITMENUPOPUP && h.wParam == reinterpret_cast<WPARAM>(sub));
        EXPECT_TRUE(told) << "the submenu's WM_INITMENUPOPUP";
    }
}

// The system menu opens from the caption's icon and with Alt+Space, greyed
// as the window's state says; the close box closes the window.
TEST_F(MenusTest, SystemMenuFromTheIconAndAltSpace)
{
    HMENU system = GetSystemMenu(m_owner, FALSE);
    AppendMenu(system, MF_SEPARATOR, 0, nullptr);
    AppendMenu(system, MF_STRING, 16, "About Helmsight");
    const UINT about = static_cast<UINT>(GetMenuItemCount(system) - 1);
    RECT frame{};
    GetWindowRect(m_owner, &frame);
    // The icon: the first small square of the caption, inside the frame.
    const int border = GetSystemMetrics(SM_CXFRAME);
    const POINT icon{frame.left + border + 2 + 8, frame.top + border + 1 + 8};
    auto picture = helm::user::snapshot_window(m_owner);
    ASSERT_TRUE(picture);
    const COLORREF caption = picture->colour(border + 40, border + 5);
    EXPECT_GT(ink_count(*picture, {border + 2, border + 1, border + 18, border + 17}, caption), 20) << "the icon drawn";

    struct Case {
        const char* what;
        std::function<void()> open;
    };
    const Case cases[] = {
        {"click on the icon", [&] { drive::click_at(icon); }},
        {"Alt+Space",
         [] {
             input::key(VK_MENU, true);
             input::key(VK_SPACE, true);
             input::key(VK_SPACE, false);
             input::key(VK_MENU, false);
             drive::pump_until_idle();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_heard.clear();
        bool greyed_right = false;
        when_shown([&](HWND) {
            greyed_right = (GetMenuState(system, SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED) &&
                           !(GetMenuState(system, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED) &&
                           !(GetMenuState(system, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
            drive::click_at(centre_of_item(system, about));
        });
        c.open();
        drive::pump_until_idle();
        EXPECT_EQ(system_commands(), std::vector<WPARAM>{16});
        EXPECT_TRUE(greyed_right) << "Restore greyed for a normal window, Size and Close not";
    }
    helm::user::set_common_dialog_shown(nullptr);

    // The close box: its release over it closes the window.
    g_heard.clear();
    const POINT close{frame.right - border - 10, frame.top + border + 9};
    drive::click_at(close);
    EXPECT_EQ(system_commands(), std::vector<WPARAM>{SC_CLOSE});
    EXPECT_FALSE(messages_heard({WM_CLOSE}).empty());
}

// A menu bar under the caption: the client area makes room for it; its
// items open their popups by click and by the keys, the open one pressed
// in; picks come as WM_COMMAND.
// A top-level window created with a menu has it as its bar from the start:
// the client area it is told of in WM_CREATE already leaves the bar room.
TEST_F(MenusTest, AWindowCreatedWithAMenuHasItsBarFromTheStart)
{
    HMENU bar = CreateMenu();
    AppendMenu(bar, MF_STRING, 700, "&Go");
    static RECT client_at_create;
    static HMENU menu_at_create;
    WNDCLASS wc{};
    wc.lpfnWndProc = [](HWND w, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_CREATE) {
            GetClientRect(w, &client_at_create);
            menu_at_create = GetMenu(w);
        }
        return DefWindowProc(w, message, wParam, lParam);
    };
    wc.lpszClassName = "MenusCreatedWithBar";
    RegisterClass(&wc);
    HWND w = CreateWindowEx(0, "MenusCreatedWithBar", "bar", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, bar,
                            nullptr, nullptr);
    ASSERT_TRUE(w);
    EXPECT_EQ(menu_at_create, bar);
    RECT expected{0, 0, 300, 200};
    AdjustWindowRect(&expected, WS_OVERLAPPEDWINDOW, TRUE);
    EXPECT_EQ(client_at_create.bottom, 200 - (expected.bottom - expected.top - 200));
    DestroyWindow(w);

    // A handle that is no menu fails the creation before the window hears of it.
    menu_at_create = nullptr;
    SetLastError(0);
    EXPECT_EQ(CreateWindowEx(0, "MenusCreatedWithBar", "bad", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                             reinterpret_cast<HMENU>(0x1234), nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
    EXPECT_EQ(menu_at_create, nullptr);
    DestroyMenu(bar);
}

TEST_F(MenusTest, MenuBarTakesRoomPaintsAndOpensItsPopups)
{
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenu(file, MF_STRING, 600, "&Open\tCtrl+O");
    AppendMenu(file, MF_SEPARATOR, 0, nullptr);
    AppendMenu(file, MF_STRING, 601, "E&xit");
    HMENU view = CreatePopupMenu();
    AppendMenu(view, MF_STRING | MF_CHECKED, 610, "&Grid");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
    AppendMenu(bar, MF_STRING | MF_GRAYED, 620, "&Help");

    RECT before{}, after{};
    GetClientRect(m_owner, &before);
    ASSERT_TRUE(SetMenu(m_owner, bar));
    GetClientRect(m_owner, &after);
    EXPECT_EQ(before.bottom - after.bottom, GetSystemMetrics(SM_CYMENU));
    RECT plain{0, 0, 100, 100}, with_bar{0, 0, 100, 100};
    AdjustWindowRect(&plain, WS_OVERLAPPEDWINDOW, FALSE);
    AdjustWindowRect(&with_bar, WS_OVERLAPPEDWINDOW, TRUE);
    EXPECT_EQ(plain.top - with_bar.top, GetSystemMetrics(SM_CYMENU));

    RECT frame{};
    GetWindowRect(m_owner, &frame);
    auto in_window = [&](RECT r) {
        OffsetRect(&r, -frame.left, -frame.top);
        return r;
    };
    RECT help_item{};
    ASSERT_TRUE(GetMenuItemRect(m_owner, bar, 2, &help_item));
    auto picture = helm::user::snapshot_window(m_owner);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "menu_bar");
    const COLORREF menu = GetSysColor(COLOR_MENU);
    RECT file_item{};
    ASSERT_TRUE(GetMenuItemRect(m_owner, bar, 0, &file_item));
    EXPECT_GT(count_of(*picture, in_window(file_item), GetSysColor(COLOR_MENUTEXT), 40), 10);
    EXPECT_GT(count_of(*picture, in_window(help_item), GetSysColor(COLOR_GRAYTEXT), 40), 5) << "greyed";
    EXPECT_GT(count_of(*picture, in_window(help_item), menu), 20);

    struct Case {
        const char* what;
        std::function<void()> open;
        std::function<void(HWND)> act;
        WPARAM command;
    };
    const Case cases[] = {
        {"click View, click Grid", [&] { drive::click_at(centre_of_item(bar, 1, m_owner)); },
         [&](HWND) {
             auto open = helm::user::snapshot_window(m_owner);
             helm::gdi::testing::keep_png(*open, "menu_bar_open");
             RECT view_item{};
             GetMenuItemRect(m_owner, bar, 1, &view_item);
             const RECT v = in_window(view_item);
             EXPECT_TRUE(helm::gdi::testing::pixel_is(*open, v.left, v.top, GetSysColor(COLOR_BTNSHADOW))) << "pressed in";
             RECT grid{};
             GetMenuItemRect(nullptr, view, 0, &grid);
             EXPECT_GE(grid.top, view_item.bottom) << "under its item";
             drive::click_at(centre_of_item(view, 0));
         },
         610},
        {"Alt+F, down, enter",
         [] {
             input::key(VK_MENU, true);
             input::key('F', true);
             input::key('F', false);
             input::key(VK_MENU, false);
             drive::pump_until_idle();
         },
         [](HWND) { keys({VK_DOWN, VK_RETURN}); }, 601},
        {"F10, right, enter", [] { keys({VK_F10}); drive::pump_until_idle(); },
         [](HWND) { keys({VK_RIGHT, VK_RETURN}); }, 610},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_heard.clear();
        when_shown(c.act);
        c.open();
        drive::pump_until_idle();
        std::vector<WPARAM> commands;
        for (const Heard& h : g_heard)
            if (h.message == WM_COMMAND)
                commands.push_back(h.wParam);
        EXPECT_EQ(commands, std::vector<WPARAM>{MAKEWPARAM(c.command, 0)});
    }
    SetMenu(m_owner, nullptr);
    DestroyMenu(bar);
}

TEST_F(MenusTest, AcceleratorsTranslateMatchingKeys)
{
    ACCEL entries[] = {
        {FVIRTKEY | FCONTROL, 'S', 100},
        {FVIRTKEY | FSHIFT, VK_F1, 101},
        {FVIRTKEY | FALT, 'X', 102},
        {0, 'a', 103},
        {FVIRTKEY | FALT, VK_F4, SC_CLOSE},
    };
    HACCEL table = CreateAcceleratorTable(entries, 5);
    ASSERT_TRUE(table);
    EXPECT_EQ(CopyAcceleratorTable(table, nullptr, 0), 5);
    ACCEL copy[2] = {};
    EXPECT_EQ(CopyAcceleratorTable(table, copy, 2), 2);
    EXPECT_EQ(copy[1].cmd, 101);
    EXPECT_EQ(copy[1].key, VK_F1);

    struct Case {
        std::vector<BYTE> held;
        UINT message;
        WPARAM key;
        int translated;
        UINT sent;
        WPARAM sent_wparam;
    };
    const Case cases[] = {
        {{VK_CONTROL}, WM_KEYDOWN, 'S', 1, WM_COMMAND, MAKEWPARAM(100, 1)},
        {{}, WM_KEYDOWN, 'S', 0, 0, 0},                              // Ctrl missing
        {{VK_CONTROL, VK_SHIFT}, WM_KEYDOWN, 'S', 0, 0, 0},         // Shift extra
        {{VK_SHIFT}, WM_KEYDOWN, VK_F1, 1, WM_COMMAND, MAKEWPARAM(101, 1)},
        {{VK_MENU}, WM_SYSKEYDOWN, 'X', 1, WM_COMMAND, MAKEWPARAM(102, 1)},
        {{}, WM_CHAR, 'a', 1, WM_COMMAND, MAKEWPARAM(103, 1)},
        {{}, WM_KEYDOWN, 'A', 0, 0, 0},                              // a character entry wants WM_CHAR
        {{}, WM_KEYUP, 'S', 0, 0, 0},
        {{VK_MENU}, WM_SYSKEYDOWN, VK_F4, 1, WM_SYSCOMMAND, SC_CLOSE},  // a system menu command
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        for (BYTE k : c.held)
            input::key(k, true);
        drive::pump_until_idle();  // the key state follows the messages taken
        g_heard.clear();
        MSG msg{m_owner, c.message, c.key, 0, 0, {0, 0}};
        EXPECT_EQ(TranslateAccelerator(m_owner, table, &msg), c.translated);
        // A system menu command is told WM_INITMENUPOPUP first, as below.
        std::vector<Heard> commands;
        for (const Heard& h : g_heard)
            if (h.message == WM_COMMAND || h.message == WM_SYSCOMMAND)
                commands.push_back(h);
        if (c.sent) {
            ASSERT_EQ(commands.size(), 1u);
            EXPECT_EQ(commands[0].message, c.sent);
            EXPECT_EQ(commands[0].wParam, c.sent_wparam);
        } else {
            EXPECT_TRUE(commands.empty());
        }
        for (BYTE k : c.held)
            input::key(k, false);
        drive::pump_until_idle();
    }

    // Commands of the window's menu: it hears WM_INITMENUPOPUP first, as if
    // the menu opened; a greyed item's command is not sent, but the key is
    // still taken.
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenu(file, MF_STRING, 100, "&Save\tCtrl+S");
    AppendMenu(file, MF_STRING | MF_GRAYED, 101, "&Help\tShift+F1");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    ASSERT_TRUE(SetMenu(m_owner, bar));
    const struct {
        BYTE modifier, key;
        std::vector<UINT> heard;
    } menu_cases[] = {
        {VK_CONTROL, 'S', {WM_INITMENUPOPUP, WM_COMMAND}},
        {VK_SHIFT, VK_F1, {WM_INITMENUPOPUP}},
    };
    for (const auto& c : menu_cases) {
        SCOPED_TRACE(c.key);
        input::key(c.modifier, true);
        drive::pump_until_idle();
        g_heard.clear();
        MSG msg{m_owner, WM_KEYDOWN, c.key, 0, 0, {0, 0}};
        EXPECT_EQ(TranslateAccelerator(m_owner, table, &msg), 1);
        EXPECT_EQ(messages_heard({WM_INITMENUPOPUP, WM_COMMAND}), c.heard);
        input::key(c.modifier, false);
        drive::pump_until_idle();
    }
    SetMenu(m_owner, nullptr);
    DestroyMenu(bar);

    EXPECT_TRUE(DestroyAcceleratorTable(table));
    MSG msg{m_owner, WM_CHAR, 'a', 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAccelerator(m_owner, table, &msg), 0);
    EXPECT_EQ(CreateAcceleratorTable(entries, 0), nullptr);
}

}  // namespace

#include "menus_test_ids.h"

namespace {

TEST(MenuResourcesTest, MenusAndAcceleratorsLoadFromTheModule)
{
    HMENU bar = LoadMenu(nullptr, MAKEINTRESOURCE(IDR_GAUGE_MENU));
    ASSERT_TRUE(bar);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(GetMenuItemID(bar, 1), 57664u);
    HMENU popup = GetSubMenu(bar, 0);
    ASSERT_TRUE(popup);
    ASSERT_EQ(GetMenuItemCount(popup), 4);
    EXPECT_EQ(text_of(popup, 0), "Recenter");
    EXPECT_EQ(GetMenuState(popup, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuState(popup, 32769, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(GetMenuState(popup, 32770, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    // The title goes in at run time, as the gauges add it.
    ASSERT_TRUE(InsertMenu(popup, 0, MF_BYPOSITION | MF_OWNERDRAW | MF_DISABLED, title_id, title));
    EXPECT_EQ(GetMenuItemCount(popup), 5);
    ASSERT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(popup));
    EXPECT_EQ(LoadMenu(nullptr, MAKEINTRESOURCE(999)), nullptr);

    HACCEL table = LoadAccelerators(nullptr, MAKEINTRESOURCE(IDR_MAIN_ACCELERATORS));
    ASSERT_TRUE(table);
    ACCEL entries[4] = {};
    ASSERT_EQ(CopyAcceleratorTable(table, entries, 4), 3);
    EXPECT_EQ(entries[0].fVirt, 0);
    EXPECT_EQ(entries[0].key, 'S' - '@');
    EXPECT_EQ(entries[1].fVirt, FVIRTKEY | FSHIFT);
    EXPECT_EQ(entries[1].key, 0x70);
    EXPECT_EQ(entries[2].fVirt, FVIRTKEY | FALT);
    EXPECT_EQ(entries[2].key, 'X');
    EXPECT_EQ(entries[2].cmd, 102);
    DestroyAcceleratorTable(table);
}

// The resource form cut at every length, and with its nesting or its end
// marks damaged, makes no menu and reads nothing past the bytes given.
TEST(MenuResourcesTest, DamagedTemplatesMakeNoMenu)
{
    const std::vector<WORD> good = {0,      0,  0x0010 | 0x0080, 'P', 0, 0x0000, 1, 'a', 0,
                                    0x0080, 2,  'b',             0};
    HMENU whole = LoadMenuIndirect(good.data());
    ASSERT_TRUE(whole);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(whole, 0)), 2);
    DestroyMenu(whole);
    for (size_t words = 0; words < good.size(); ++words) {
        SCOPED_TRACE(words);
        std::vector<WORD> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(words));
        // Heap copy of exactly the cut bytes, so a read past them is caught.
        auto* bytes = new WORD[std::max<size_t>(cut.size(), 1)];
        std::copy(cut.begin(), cut.end(), bytes);
        // The sized reader behind LoadMenu.
        HMENU menu = helm::user::menu_from_bytes(reinterpret_cast<const unsigned char*>(bytes), cut.size() * 2);
        EXPECT_EQ(menu, nullptr);
        delete[] bytes;
    }
    std::vector<WORD> version1 = good;
    version1[0] = 1;  // the extended form is not read
    EXPECT_EQ(LoadMenuIndirect(version1.data()), nullptr);
}

}  // namespace
