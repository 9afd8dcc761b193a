// Accelerator tables: made from entries or from an RT_ACCELERATOR resource,
// and the translation of key messages into commands.

#include <algorithm>
#include <mutex>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "helm/kernel/error.h"
#include "helm/station/handles.h"
#include "helm/user/menus.h"
#include "helm/user/resources.h"
#include "menu_table.h"

namespace {

// A resource or a program gives at most this many entries.
constexpr int most_entries = 4096;

std::mutex g_mutex;
std::unordered_map<HACCEL, std::vector<ACCEL>>& tables()
{
    static auto* t = new std::unordered_map<HACCEL, std::vector<ACCEL>>();
    return *t;
}

HACCEL make_table(std::vector<ACCEL> entries)
{
    HACCEL handle = reinterpret_cast<HACCEL>(static_cast<uintptr_t>(helm::station::allocate_handle()));
    std::lock_guard lock(g_mutex);
    tables().emplace(handle, std::move(entries));
    return handle;
}

bool down(int key)
{
    return (GetKeyState(key) & 0x8000) != 0;
}

// A system menu command, reached by WM_SYSCOMMAND rather than WM_COMMAND.
bool in_system_menu(HWND window, WORD command)
{
    if (!(GetWindowLong(window, GWL_STYLE) & WS_SYSMENU))
        return false;
    HMENU system = GetSystemMenu(window, FALSE);
    return system && GetMenuState(system, command, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

// A command that is an item of the window's menu: the window hears
// WM_INITMENU and WM_INITMENUPOPUP as if the operator opened the menu, so it
// can bring the item's state up to date; a disabled or greyed item's
// command is not sent.
bool menu_item_allows(HWND window, HMENU menu, WORD command, bool system)
{
    HMENU holder = menu ? helm::user::command_holder(menu, command) : nullptr;
    if (!holder)
        return true;
    if (IsWindowEnabled(window) && !GetCapture()) {
        SendMessage(window, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
        if (holder != menu || system)
            SendMessage(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(holder), MAKELPARAM(0, system ? 1 : 0));
    }
    return !(GetMenuState(menu, command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

}  // namespace

HACCEL CreateAcceleratorTable(LPACCEL entries, int count)
{
    if (!entries || count <= 0 || count > most_entries) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<ACCEL> table(entries, entries + count);
    for (ACCEL& a : table)
        a.fVirt &= FVIRTKEY | FNOINVERT | FSHIFT | FCONTROL | FALT;
    return make_table(std::move(table));
}

BOOL DestroyAcceleratorTable(HACCEL table)
{
    std::lock_guard lock(g_mutex);
    return tables().erase(table) ? TRUE : FALSE;
}

int CopyAcceleratorTable(HACCEL table, LPACCEL entries, int count)
{
    std::lock_guard lock(g_mutex);
    auto it = tables().find(table);
    if (it == tables().end()) {
        SetLastError(ERROR_INVALID_ACCEL_HANDLE);
        return 0;
    }
    const auto& t = it->second;
    if (!entries)
        return static_cast<int>(t.size());
    int n = std::min<int>(std::max(count, 0), static_cast<int>(t.size()));
    std::copy(t.begin(), t.begin() + n, entries);
    return n;
}

// The resource form: entries of 8 bytes (flags, key, command, padding), the
// last one marked with 0x80 in its flags; read no further than the size.
HACCEL LoadAccelerators(HINSTANCE instance, LPCSTR name)
{
    HRSRC found = FindResource(instance, name, RT_ACCELERATOR);
    if (!found)
        return nullptr;
    HGLOBAL data = LoadResource(instance, found);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(data));
    const DWORD size = SizeofResource(instance, found);
    if (!bytes || size < 8) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    std::vector<ACCEL> table;
    for (DWORD at = 0; at + 8 <= size && static_cast<int>(table.size()) < most_entries; at += 8) {
        WORD flags, key, command;
        std::memcpy(&flags, bytes + at, 2);
        std::memcpy(&key, bytes + at + 2, 2);
        std::memcpy(&command, bytes + at + 4, 2);
        table.push_back({static_cast<BYTE>(flags & (FVIRTKEY | FNOINVERT | FSHIFT | FCONTROL | FALT)), key, command});
        if (flags & 0x80)
            break;
    }
    return make_table(std::move(table));
}

int TranslateAccelerator(HWND window, HACCEL table, LPMSG msg)
{
    if (!msg || !IsWindow(window))
        return 0;
    const UINT m = msg->message;
    const bool key_down = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
    const bool character = m == WM_CHAR || m == WM_SYSCHAR;
    if (!key_down && !character)
        return 0;
    std::vector<ACCEL> entries;
    {
        std::lock_guard lock(g_mutex);
        auto it = tables().find(table);
        if (it == tables().end()) {
            SetLastError(ERROR_INVALID_ACCEL_HANDLE);
            return 0;
        }
        entries = it->second;
    }
    const bool alt = m == WM_SYSKEYDOWN || m == WM_SYSCHAR || down(VK_MENU);
    for (const ACCEL& a : entries) {
        bool match;
        if (a.fVirt & FVIRTKEY) {
            // Virtual keys match the key message with exactly the
            // modifiers the entry names.
            match = key_down && msg->wParam == a.key && ((a.fVirt & FSHIFT) != 0) == down(VK_SHIFT) &&
                    ((a.fVirt & FCONTROL) != 0) == down(VK_CONTROL) && ((a.fVirt & FALT) != 0) == alt;
        } else {
            // Characters match the typed character; Alt as the entry says.
            match = character && msg->wParam == a.key && ((a.fVirt & FALT) != 0) == alt;
        }
        if (!match)
            continue;
        const bool system = in_system_menu(window, a.cmd);
        if (!menu_item_allows(window, system ? GetSystemMenu(window, FALSE) : GetMenu(window), a.cmd, system))
            return 1;  // the key is taken, the disabled command not sent
        if (system)
            SendMessage(window, WM_SYSCOMMAND, a.cmd, 0);
        else
            SendMessage(window, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}
