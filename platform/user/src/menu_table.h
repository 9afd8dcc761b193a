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
// The menu under `root` (or `root` itself) whose own item is the command,
// searched depth first as MF_BYCOMMAND does; null when there is none.
HMENU command_holder(HMENU root, UINT command);

}  // namespace helm::user
