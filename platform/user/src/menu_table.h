// The menus of the process: items by handle, shared by the menu functions
// and the popup that TrackPopupMenu shows.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "helm/user/menus.h"

namespace helm::user {

struct MenuItem {
    UINT flags = 0;  // MF_ type and state bits
    UINT_PTR id = 0;
    HMENU popup = nullptr;
    std::string text;
    ULONG_PTR data = 0;  // an owner-drawn item's data
};

struct Menu {
    bool popup = false;
    std::vector<MenuItem> items;
};

// Every access holds the table's lock; copies leave with the caller.
std::recursive_mutex& menu_mutex();
Menu* find_menu(HMENU menu);
// A snapshot of a menu's items; false for no such menu.
bool menu_items(HMENU menu, std::vector<MenuItem>& items);
// An item's text as menus show it: the '&' marks dropped (a doubled one
// stands for itself), and the key text after a tab apart.
struct MenuLabel {
    std::string text;
    std::string key;
};
MenuLabel menu_label(const std::string& text);
// The letter after an item's '&', in lower case; 0 for none.
char menu_mnemonic(const std::string& text);
// The item of a window's menu bar whose popup is open (-1: none), drawn
// pressed in; the frame is painted again.
void set_menu_bar_open(HWND window, int item);

// DefWindowProc's WM_SYSCOMMAND: close, minimise, maximise and restore;
// the system menu or the menu bar opened by the mouse (SC_MOUSEMENU with
// the part hit) or by the keys (SC_KEYMENU: a space opens the system menu,
// 0 the bar's first item, a letter the bar item it is the mnemonic of).
void system_command(HWND window, WPARAM command, LPARAM where);
// The screen rectangles of a window's menu bar items, and the item under a
// screen point (-1: none).
std::vector<RECT> menu_bar_items(HWND window);
int menu_bar_item_at(HWND window, POINT screen);

// The menu a top-level window is created with becomes its bar before the
// window hears of its creation, so its frame counts the bar from the
// start; false (and nothing attached) for no such menu.
bool attach_creation_menu(HWND window, HMENU menu);

// The menu under `root` (or `root` itself) whose own item is the command,
// searched depth first as MF_BYCOMMAND does; null when there is none.
HMENU command_holder(HMENU root, UINT command);

}  // namespace helm::user
