// Menus and their items: creation, editing, states, the system menu and a
// window's menu bar.

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "helm/kernel/error.h"
#include "helm/station/handles.h"
#include "controls/control.h"
#include "menu_table.h"
#include "window_table.h"

namespace helm::user {

namespace {

// Never more items than this in one menu: a program's loop adding for ever
// ends here rather than eating the memory.
constexpr size_t most_items = 4096;
constexpr size_t longest_text = 1024;

std::unordered_map<HMENU, std::unique_ptr<Menu>>& menus()
{
    static auto* table = new std::unordered_map<HMENU, std::unique_ptr<Menu>>();
    return *table;
}

struct WindowMenus {
    HMENU bar = nullptr;
    HMENU system = nullptr;
};
std::unordered_map<HWND, WindowMenus>& window_menus()
{
    static auto* table = new std::unordered_map<HWND, WindowMenus>();
    return *table;
}

HMENU new_menu(bool popup)
{
    std::lock_guard lock(menu_mutex());
    HMENU handle = reinterpret_cast<HMENU>(static_cast<uintptr_t>(helm::station::allocate_handle()));
    auto menu = std::make_unique<Menu>();
    menu->popup = popup;
    menus().emplace(handle, std::move(menu));
    return handle;
}

// The item an MF_BYPOSITION / MF_BYCOMMAND reference names: its menu and
// index. By command the popups are searched too, depth first.
bool locate(HMENU handle, UINT item, UINT flags, Menu** menu, size_t* index, int depth = 0)
{
    Menu* m = find_menu(handle);
    if (!m || depth > 16)
        return false;
    if (flags & MF_BYPOSITION) {
        if (item >= m->items.size())
            return false;
        *menu = m;
        *index = item;
        return true;
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        const MenuItem& it = m->items[i];
        if (!(it.flags & MF_POPUP) && it.id == item) {
            *menu = m;
            *index = i;
            return true;
        }
        if ((it.flags & MF_POPUP) && locate(it.popup, item, flags, menu, index, depth + 1))
            return true;
    }
    return false;
}

bool make_item(UINT flags, UINT_PTR id, LPCSTR text, MenuItem& out)
{
    // MF_APPEND and the other old ModifyMenu verbs share bits with states
    // (MF_OWNERDRAW, MF_DEFAULT...): only the position flag is not kept.
    out.flags = flags & ~static_cast<UINT>(MF_BYPOSITION);
    if (flags & MF_POPUP) {
        out.popup = reinterpret_cast<HMENU>(id);
        if (!find_menu(out.popup))
            return false;
        out.id = id;
    } else {
        out.id = id;
    }
    if (flags & MF_OWNERDRAW)
        out.data = reinterpret_cast<ULONG_PTR>(text);
    else if (!(flags & (MF_SEPARATOR | MF_BITMAP)) && text)
        out.text.assign(text, strnlen(text, longest_text));
    return true;
}

void destroy_menu(HMENU handle, int depth)
{
    auto it = menus().find(handle);
    if (it == menus().end() || depth > 16)
        return;
    std::unique_ptr<Menu> menu = std::move(it->second);
    menus().erase(it);
    for (const MenuItem& item : menu->items)
        if (item.flags & MF_POPUP)
            destroy_menu(item.popup, depth + 1);
}

BOOL fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

}  // namespace

std::recursive_mutex& menu_mutex()
{
    static auto* m = new std::recursive_mutex();
    return *m;
}

Menu* find_menu(HMENU handle)
{
    auto it = menus().find(handle);
    return it == menus().end() ? nullptr : it->second.get();
}

bool menu_items(HMENU handle, std::vector<MenuItem>& items)
{
    std::lock_guard lock(menu_mutex());
    Menu* m = find_menu(handle);
    if (!m)
        return false;
    items = m->items;
    return true;
}

MenuLabel menu_label(const std::string& text)
{
    MenuLabel label;
    const size_t tab = text.find('\t');
    const size_t end = std::min(tab, text.size());
    for (size_t k = 0; k < end; ++k) {
        if (text[k] != '&') {
            label.text += text[k];
        } else if (k + 1 < end && text[k + 1] == '&') {
            label.text += '&';  // "&&" stands for "&"
            ++k;
        }
    }
    if (tab != std::string::npos)
        label.key = text.substr(tab + 1);
    return label;
}

char menu_mnemonic(const std::string& text)
{
    for (size_t k = 0; k + 1 < text.size(); ++k) {
        if (text[k] != '&')
            continue;
        if (text[k + 1] != '&')
            return controls::to_lower_1252(text[k + 1]);
        ++k;
    }
    return 0;
}

HMENU command_holder(HMENU root, UINT command)
{
    std::lock_guard lock(menu_mutex());
    Menu* holder = nullptr;
    size_t index = 0;
    if (!locate(root, command, MF_BYCOMMAND, &holder, &index))
        return nullptr;
    for (const auto& [handle, menu] : menus())
        if (menu.get() == holder)
            return handle;
    return nullptr;
}

}  // namespace helm::user

using namespace helm::user;

HMENU CreateMenu()
{
    return new_menu(false);
}

HMENU CreatePopupMenu()
{
    return new_menu(true);
}

BOOL DestroyMenu(HMENU menu)
{
    std::lock_guard lock(menu_mutex());
    if (!find_menu(menu))
        return fail(ERROR_INVALID_MENU_HANDLE);
    destroy_menu(menu, 0);
    return TRUE;
}

BOOL IsMenu(HMENU menu)
{
    std::lock_guard lock(menu_mutex());
    return find_menu(menu) != nullptr;
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, LPCSTR item)
{
    return InsertMenu(menu, static_cast<UINT>(-1), flags | MF_BYPOSITION, id, item);
}

BOOL InsertMenu(HMENU handle, UINT position, UINT flags, UINT_PTR id, LPCSTR text)
{
    std::lock_guard lock(menu_mutex());
    Menu* target = find_menu(handle);
    if (!target)
        return fail(ERROR_INVALID_MENU_HANDLE);
    MenuItem item;
    if (!make_item(flags, id, text, item))
        return fail(ERROR_INVALID_MENU_HANDLE);
    if (target->items.size() >= most_items)
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    size_t index = target->items.size();
    if (flags & MF_BYPOSITION) {
        index = std::min<size_t>(position, target->items.size());
    } else {
        Menu* holder = nullptr;
        if (!locate(handle, position, MF_BYCOMMAND, &holder, &index))
            return fail(ERROR_MENU_ITEM_NOT_FOUND);
        target = holder;
    }
    target->items.insert(target->items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
    return TRUE;
}

BOOL ModifyMenu(HMENU handle, UINT position, UINT flags, UINT_PTR id, LPCSTR text)
{
    std::lock_guard lock(menu_mutex());
    Menu* holder = nullptr;
    size_t index = 0;
    if (!locate(handle, position, flags, &holder, &index))
        return fail(ERROR_MENU_ITEM_NOT_FOUND);
    MenuItem item;
    if (!make_item(flags, id, text, item))
        return fail(ERROR_INVALID_MENU_HANDLE);
    MenuItem& old = holder->items[index];
    if ((old.flags & MF_POPUP) && old.popup != item.popup)
        destroy_menu(old.popup, 0);
    old = std::move(item);
    return TRUE;
}

BOOL RemoveMenu(HMENU handle, UINT position, UINT flags)
{
    std::lock_guard lock(menu_mutex());
    Menu* holder = nullptr;
    size_t index = 0;
    if (!locate(handle, position, flags, &holder, &index))
        return fail(ERROR_MENU_ITEM_NOT_FOUND);
    holder->items.erase(holder->items.begin() + static_cast<std::ptrdiff_t>(index));
    return TRUE;
}

BOOL DeleteMenu(HMENU handle, UINT position, UINT flags)
{
    std::lock_guard lock(menu_mutex());
    Menu* holder = nullptr;
    size_t index = 0;
    if (!locate(handle, position, flags, &holder, &index))
        return fail(ERROR_MENU_ITEM_NOT_FOUND);
    MenuItem item = holder->items[index];
    holder->items.erase(holder->items.begin() + static_cast<std::ptrdiff_t>(index));
    if (item.flags & MF_POPUP)
        destroy_menu(item.popup, 0);
    return TRUE;
}

DWORD CheckMenuItem(HMENU handle, UINT item, UINT check)
{
    std::lock_guard lock(menu_mutex());
    Menu* holder = nullptr;
    size_t index = 0;
    if (!locate(handle, item, check, &holder, &index))
        return static_cast<DWORD>(-1);
    UINT& flags = holder->items[index].flags;
    DWORD previous = flags & MF_CHECKED;
    flags = (flags & ~static_cast<UINT>(MF_CHECKED)) | (check & MF_CHECKED);
    return previous;
}

BOOL EnableMenuItem(HMENU handle, UINT item, UINT enable)
{
    std::lock_guard lock(menu_mutex());
    Menu* holder = nullptr;
    size_t index = 0;
    if (!locate(handle, item, enable, &holder, &index))
        return -1;
    UINT& flags = holder->items[index].flags;
    const UINT mask = MF_GRAYED | MF_DISABLED;
    BOOL previous = static_cast<BOOL>(flags & mask);
    flags = (flags & ~mask) | (enable & mask);
    return previous;
}

BOOL CheckMenuRadioItem(HMENU handle, UINT first, UINT last, UINT check, UINT flags)
{
    std::lock_guard lock(menu_mutex());
    Menu* m = find_menu(handle);
    if (!m)
        return fail(ERROR_INVALID_MENU_HANDLE);
    bool found = false;
    for (size_t i = 0; i < m->items.size(); ++i) {
        MenuItem& it = m->items[i];
        UINT key = (flags & MF_BYPOSITION) ? static_cast<UINT>(i) : static_cast<UINT>(it.id);
        if (key < first || key > last || (it.flags & MF_POPUP))
            continue;
        it.flags &= ~static_cast<UINT>(MF_CHECKED);
        if (key == check) {
            it.flags |= MF_CHECKED;
            found = true;
        }
    }
    return found;
}

int GetMenuItemCount(HMENU handle)
{
    std::lock_guard lock(menu_mutex());
    Menu* m = find_menu(handle);
    if (!m) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return -1;
    }
    return static_cast<int>(m->items.size());
}

UINT GetMenuItemID(HMENU handle, int position)
{
    std::lock_guard lock(menu_mutex());
    Menu* m = find_menu(handle);
    if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size())
        return static_cast<UINT>(-1);
    const MenuItem& it = m->items[static_cast<size_t>(position)];
    return (it.flags & MF_POPUP) ? static_cast<UINT>(-1) : static_cast<UINT>(it.id);
}

UINT GetMenuState(HMENU handle, UINT item, UINT flags)
{
    std::lock_guard lock(menu_mutex());
    Menu* holder = nullptr;
    size_t index = 0;
    if (!locate(handle, item, flags, &holder, &index))
        return static_cast<UINT>(-1);
    const MenuItem& it = holder->items[index];
    UINT state = it.flags & ~static_cast<UINT>(MF_POPUP);
    if (it.flags & MF_POPUP) {
        Menu* sub = find_menu(it.popup);
        state = (state & 0xFF) | MF_POPUP | (sub ? static_cast<UINT>(std::min<size_t>(sub->items.size(), 0xFF)) << 8 : 0);
    }
    return state;
}

int GetMenuString(HMENU handle, UINT item, LPSTR text, int size, UINT flags)
{
    std::lock_guard lock(menu_mutex());
    Menu* holder = nullptr;
    size_t index = 0;
    if (!locate(handle, item, flags, &holder, &index)) {
        if (text && size > 0)
            text[0] = '\0';
        return 0;
    }
    const std::string& s = holder->items[index].text;
    if (!text || size <= 0)
        return static_cast<int>(s.size());
    size_t n = std::min<size_t>(s.size(), static_cast<size_t>(size - 1));
    std::memcpy(text, s.data(), n);
    text[n] = '\0';
    return static_cast<int>(n);
}

HMENU GetSubMenu(HMENU handle, int position)
{
    std::lock_guard lock(menu_mutex());
    Menu* m = find_menu(handle);
    if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size())
        return nullptr;
    const MenuItem& it = m->items[static_cast<size_t>(position)];
    return (it.flags & MF_POPUP) ? it.popup : nullptr;
}

namespace {

// Entries of windows that are gone are dropped as they are met, so the
// table never outgrows the live windows by much.
void forget_dead_windows()
{
    auto& table = window_menus();
    for (auto it = table.begin(); it != table.end();) {
        if (!IsWindow(it->first)) {
            if (it->second.system)
                destroy_menu(it->second.system, 0);
            it = table.erase(it);
        } else {
            ++it;
        }
    }
}

HMENU standard_system_menu()
{
    HMENU m = CreatePopupMenu();
    AppendMenu(m, MF_STRING, SC_RESTORE, "&Restore");
    AppendMenu(m, MF_STRING, SC_MOVE, "&Move");
    AppendMenu(m, MF_STRING, SC_SIZE, "&Size");
    AppendMenu(m, MF_STRING, SC_MINIMIZE, "Mi&nimize");
    AppendMenu(m, MF_STRING, SC_MAXIMIZE, "Ma&ximize");
    AppendMenu(m, MF_SEPARATOR, 0, nullptr);
    AppendMenu(m, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
    return m;
}

}  // namespace

HMENU GetSystemMenu(HWND window, BOOL revert)
{
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::lock_guard lock(menu_mutex());
    forget_dead_windows();
    WindowMenus& w = window_menus()[window];
    if (revert) {
        if (w.system)
            destroy_menu(w.system, 0);
        w.system = nullptr;
        return nullptr;
    }
    if (!w.system)
        w.system = standard_system_menu();
    return w.system;
}

bool helm::user::attach_creation_menu(HWND window, HMENU menu)
{
    std::lock_guard lock(menu_mutex());
    if (!find_menu(menu))
        return false;
    forget_dead_windows();
    window_menus()[window].bar = menu;
    return true;
}

BOOL SetMenu(HWND window, HMENU menu)
{
    if (!IsWindow(window))
        return fail(ERROR_INVALID_WINDOW_HANDLE);
    if (GetWindowLong(window, GWL_STYLE) & WS_CHILD)
        return fail(ERROR_CHILD_WINDOW_MENU);
    {
        std::lock_guard lock(menu_mutex());
        if (menu && !find_menu(menu))
            return fail(ERROR_INVALID_MENU_HANDLE);
        forget_dead_windows();
        window_menus()[window].bar = menu;
    }
    // The frame makes room for the bar, or gives it back.
    change_frame(window, [&](Window& w) {
        const bool had = w.menu_bar;
        w.menu_bar = menu != nullptr;
        return had != w.menu_bar;
    });
    return TRUE;
}

HMENU GetMenu(HWND window)
{
    std::lock_guard lock(menu_mutex());
    auto it = window_menus().find(window);
    if (it == window_menus().end() || !IsWindow(window) || !find_menu(it->second.bar))
        return nullptr;
    return it->second.bar;
}

BOOL DrawMenuBar(HWND window)
{
    if (!IsWindow(window))
        return fail(ERROR_INVALID_WINDOW_HANDLE);
    // The frame is painted again with a whole client area to paint.
    InvalidateRect(window, nullptr, TRUE);
    return TRUE;
}
