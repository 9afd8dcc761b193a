// Creating and destroying windows, their longs, text and family.

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "helm/kernel/error.h"
#include "helm/kernel/threads.h"
#include "helm/station/handles.h"
#include "helm/user/screen.h"
#include "menu_table.h"
#include "paint_internal.h"
#include "window_table.h"

using namespace helm::user;

namespace {

constexpr DWORD error_tlw_with_wschild = 1406;
constexpr DWORD error_invalid_index = 1413;
constexpr DWORD error_cannot_find_wnd_class = 1407;

HWND hwnd_of(uint32_t value) { return WindowTable::hwnd_of(value); }

// Reads a value of the window's extra bytes into *old and, given a
// replacement, writes that in its place; the caller holds the table's lock.
// The bytes need not be aligned for T.
template <class T>
bool exchange_extra(Window& w, int index, T* old, const T* replacement)
{
    if (index < 0 || static_cast<size_t>(index) + sizeof(T) > w.extra.size()) {
        SetLastError(error_invalid_index);
        return false;
    }
    std::memcpy(old, w.extra.data() + index, sizeof(T));
    if (replacement)
        std::memcpy(w.extra.data() + index, replacement, sizeof(T));
    return true;
}

// The same for a window named by its handle, taking the lock; 0 on failure.
template <class T>
T exchange_extra(HWND window, int index, const T* replacement)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.find(window);
    if (!w)
        return 0;
    T old{};
    return exchange_extra(*w, index, &old, replacement) ? old : T{};
}

// The default place of an overlapped window, cascading from the work area's
// corner as Windows does.
RECT default_rect(int x, int y, int width, int height)
{
    static unsigned cascade = 0;
    RECT work = screen()->monitors().front().work_area;
    LONG w = work.right - work.left;
    LONG h = work.bottom - work.top;
    if (x == CW_USEDEFAULT) {
        unsigned step = cascade++ % 8;
        x = work.left + static_cast<int>(step) * 26;
        y = work.top + static_cast<int>(step) * 26;
    }
    if (width == CW_USEDEFAULT) {
        width = w * 3 / 4;
        height = h * 3 / 4;
    }
    return {x, y, x + width, y + height};
}

// Unlinks and forgets one window; its messages, timers and focus go too.
void forget(uint32_t handle)
{
    WindowTable& t = window_table();
    DWORD thread = 0;
    {
        std::lock_guard lock(t.mutex);
        Window* w = t.get(handle);
        if (!w)
            return;
        thread = w->thread_id;
        std::erase(t.siblings_of(*w), handle);
        for (auto* map : {&t.focus, &t.active}) {
            auto it = map->find(thread);
            if (it != map->end() && it->second == handle)
                map->erase(it);
        }
        t.windows.erase(handle);
    }
    helm::kernel::discard_window_messages(thread, hwnd_of(handle));
}

// WM_DESTROY to the window, then to its children, parent before child;
// WM_NCDESTROY child before parent, each window forgotten after it.
void destroy_tree(uint32_t handle)
{
    HWND hwnd = hwnd_of(handle);
    call_procedure(hwnd, WM_DESTROY, 0, 0);
    std::vector<uint32_t> children;
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        if (Window* w = t.get(handle))
            children = w->children;
    }
    for (uint32_t child : children) {
        {
            WindowTable& t = window_table();
            std::lock_guard lock(t.mutex);
            Window* c = t.get(child);
            if (!c || c->destroying)
                continue;
            c->destroying = true;
        }
        destroy_tree(child);
    }
    call_procedure(hwnd, WM_NCDESTROY, 0, 0);
    forget(handle);
}

}  // namespace

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param)
{
    register_system_classes();
    WindowTable& t = window_table();
    auto w = std::make_shared<Window>();
    {
        std::lock_guard lock(t.mutex);
        w->window_class = t.find_class(className);
        if (!w->window_class) {
            SetLastError(error_cannot_find_wnd_class);
            return nullptr;
        }
        if (parent == HWND_MESSAGE)
            parent = nullptr;
        Window* p = parent ? t.get(parent) : nullptr;
        if (parent && !p) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if ((style & WS_CHILD) && !p) {
            SetLastError(error_tlw_with_wschild);
            return nullptr;
        }
        if (style & WS_CHILD) {
            w->parent = p->handle;
            w->id = static_cast<LONG_PTR>(reinterpret_cast<uintptr_t>(menuOrId));
        } else if (p) {
            // The owner is always a top-level window.
            Window* top = p;
            while (top->parent)
                top = t.get(top->parent);
            w->owner = top->handle;
        }
    }
    w->handle = helm::station::allocate_handle();
    if (!w->handle) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    w->thread_id = GetCurrentThreadId();
    w->proc = w->window_class->proc;
    w->style = style & ~WS_VISIBLE;  // becomes visible through ShowWindow, after WM_CREATE
    w->ex_style = exStyle;
    w->instance = instance;
    w->extra.resize(static_cast<size_t>(w->window_class->window_extra));
    if (!(style & (WS_CHILD | WS_POPUP))) {
        w->style |= WS_CLIPSIBLINGS;
        if ((style & WS_CAPTION) == WS_CAPTION)
            w->ex_style |= WS_EX_WINDOWEDGE;
        w->rect = default_rect(x, y, width, height);
    } else {
        auto nodefault = [](int v) { return v == CW_USEDEFAULT ? 0 : v; };
        x = nodefault(x);
        y = nodefault(y);
        w->rect = {x, y, x + nodefault(width), y + nodefault(height)};
    }
    w->normal_rect = w->rect;
    helm::kernel::ensure_current_queue();
    const uint32_t handle = w->handle;
    HWND hwnd = hwnd_of(handle);
    {
        std::lock_guard lock(t.mutex);
        t.windows[handle] = w;
        if (w->parent)
            t.get(w->parent)->children.push_back(handle);  // children go below their siblings
        else if (exStyle & WS_EX_TOPMOST)
            t.top_level.insert(t.top_level.begin(), handle);
        else {
            auto first_plain = std::find_if(t.top_level.begin(), t.top_level.end(), [&](uint32_t h) {
                Window* o = t.get(h);
                return o && !(o->ex_style & WS_EX_TOPMOST);
            });
            t.top_level.insert(first_plain, handle);
        }
    }

    if (!(style & WS_CHILD) && menuOrId) {
        if (!attach_creation_menu(hwnd, menuOrId)) {
            forget(handle);
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return nullptr;
        }
        w->menu_bar = true;
    }

    CREATESTRUCT cs{};
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menuOrId;
    cs.hwndParent = parent;
    cs.x = w->rect.left;
    cs.y = w->rect.top;
    cs.cx = w->rect.right - w->rect.left;
    cs.cy = w->rect.bottom - w->rect.top;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;
    if (!call_procedure(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        call_procedure(hwnd, WM_NCDESTROY, 0, 0);
        forget(handle);
        return nullptr;
    }
    if (call_procedure(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd))  // destroyed by its own WM_CREATE
        return nullptr;
    RECT client;
    GetClientRect(hwnd, &client);
    call_procedure(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    POINT origin{0, 0};
    MapWindowPoints(hwnd, parent && (style & WS_CHILD) ? parent : nullptr, &origin, 1);
    call_procedure(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    if ((style & WS_CHILD) && !(exStyle & WS_EX_NOPARENTNOTIFY))
        SendMessage(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, static_cast<WORD>(w->id)), reinterpret_cast<LPARAM>(hwnd));
    if (!IsWindow(hwnd))
        return nullptr;
    screen()->window_created(hwnd);
    if (!(style & WS_CHILD))
        publish_top_level_windows();
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

BOOL DestroyWindow(HWND window)
{
    WindowTable& t = window_table();
    const uint32_t handle = WindowTable::value_of(window);
    std::vector<uint32_t> owned;
    bool child;
    {
        std::lock_guard lock(t.mutex);
        Window* w = t.find(window);
        if (!w)
            return FALSE;
        if (w->thread_id != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (w->destroying)
            return TRUE;
        w->destroying = true;
        child = (w->style & WS_CHILD) != 0;
        for (const auto& [h, o] : t.windows)
            if (o->owner == handle)
                owned.push_back(h);
    }
    for (uint32_t h : owned)
        DestroyWindow(hwnd_of(h));
    if (child && !(GetWindowLong(window, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY))
        SendMessage(GetParent(window), WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, GetDlgCtrlID(window)),
                    reinterpret_cast<LPARAM>(window));
    // Hidden first, which moves the focus out of the window and its children.
    if (IsWindowVisible(window))
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND focus = GetFocus();
    if (focus && (focus == window || IsChild(window, focus)))
        SetFocus(child ? GetParent(window) : nullptr);
    {
        std::lock_guard lock(t.mutex);
        auto it = t.active.find(GetCurrentThreadId());
        if (it != t.active.end() && it->second == handle)
            t.active.erase(it);
    }
    destroy_tree(handle);
    screen()->window_destroyed(window);
    forget_window_surface(window);
    if (!child)
        publish_top_level_windows();
    return TRUE;
}

BOOL IsWindow(HWND window)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    return t.get(window) != nullptr;
}

BOOL IsChild(HWND parent, HWND window)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.get(window);
    const uint32_t p = WindowTable::value_of(parent);
    while (w && w->parent) {
        if (w->parent == p)
            return TRUE;
        w = t.get(w->parent);
    }
    return FALSE;
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.find(window);
    if (!w)
        return 0;
    if (processId)
        *processId = static_cast<DWORD>(getpid());
    return w->thread_id;
}

LONG_PTR GetWindowLongPtr(HWND window, int index)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.find(window);
    if (!w)
        return 0;
    if (index >= 0) {
        LONG_PTR value = 0;
        return exchange_extra<LONG_PTR>(*w, index, &value, nullptr) ? value : 0;
    }
    switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return static_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWLP_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->ex_style));
    case GWLP_USERDATA: return w->user_data;
    default: SetLastError(error_invalid_index); return 0;
    }
}

LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value)
{
    WindowTable& t = window_table();
    if (index == GWL_STYLE || index == GWL_EXSTYLE) {
        LONG_PTR old = GetWindowLongPtr(window, index);
        if (!IsWindow(window))
            return 0;
        STYLESTRUCT change{static_cast<DWORD>(old), static_cast<DWORD>(value)};
        call_procedure(window, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        {
            std::lock_guard lock(t.mutex);
            Window* w = t.get(window);
            if (!w)
                return 0;
            (index == GWL_STYLE ? w->style : w->ex_style) = change.styleNew;
        }
        call_procedure(window, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        return old;
    }
    std::lock_guard lock(t.mutex);
    Window* w = t.find(window);
    if (!w)
        return 0;
    LONG_PTR old = 0;
    if (index >= 0)
        return exchange_extra(*w, index, &old, &value) ? old : 0;
    switch (index) {
    case GWLP_WNDPROC:
        if (!value) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        old = reinterpret_cast<LONG_PTR>(w->proc);
        w->proc = reinterpret_cast<WNDPROC>(value);
        return old;
    case GWLP_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(w->instance);
        w->instance = reinterpret_cast<HINSTANCE>(value);
        return old;
    case GWLP_ID:
        old = w->id;
        w->id = value;
        return old;
    case GWLP_USERDATA:
        old = w->user_data;
        w->user_data = value;
        return old;
    default:
        SetLastError(error_invalid_index);
        return 0;
    }
}

LONG GetWindowLong(HWND window, int index)
{
    if (index >= 0)
        return exchange_extra<LONG>(window, index, nullptr);
    return static_cast<LONG>(GetWindowLongPtr(window, index));
}

LONG SetWindowLong(HWND window, int index, LONG value)
{
    if (index >= 0)
        return exchange_extra<LONG>(window, index, &value);
    LONG_PTR wide = (index == GWL_STYLE || index == GWL_EXSTYLE) ? static_cast<LONG_PTR>(static_cast<DWORD>(value))
                                                                : static_cast<LONG_PTR>(value);
    return static_cast<LONG>(SetWindowLongPtr(window, index, wide));
}

BOOL SetWindowText(HWND window, LPCSTR text)
{
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowText(HWND window, LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessage(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND window)
{
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessage(window, WM_GETTEXTLENGTH, 0, 0));
}

HWND GetParent(HWND window)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.find(window);
    if (!w)
        return nullptr;
    if (w->style & WS_CHILD)
        return hwnd_of(w->parent);
    if (w->style & WS_POPUP)
        return w->owner ? hwnd_of(w->owner) : nullptr;
    return nullptr;
}

HWND SetParent(HWND window, HWND newParent)
{
    WindowTable& t = window_table();
    HWND old;
    {
        std::lock_guard lock(t.mutex);
        Window* w = t.get(window);
        Window* p = newParent ? t.get(newParent) : nullptr;
        if (!w || (newParent && !p)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        for (Window* up = p; up; up = up->parent ? t.get(up->parent) : nullptr)
            if (up == w) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
        old = w->parent ? hwnd_of(w->parent) : GetDesktopWindow();
        std::erase(t.siblings_of(*w), w->handle);
        w->parent = p ? p->handle : 0;
        if (p) {
            w->style = (w->style & ~WS_POPUP) | WS_CHILD;
            p->children.insert(p->children.begin(), w->handle);
        } else {
            w->style &= ~WS_CHILD;
            t.top_level.insert(t.top_level.begin(), w->handle);
        }
    }
    publish_top_level_windows();
    return old;
}

HWND GetDesktopWindow()
{
    // A value no window gets: handles start at 0x10000.
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x0010));
}

HWND GetWindow(HWND window, UINT relation)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.find(window);
    if (!w)
        return nullptr;
    if (relation == GW_CHILD)
        return w->children.empty() ? nullptr : hwnd_of(w->children.front());
    if (relation == GW_OWNER)
        return w->owner ? hwnd_of(w->owner) : nullptr;
    const std::vector<uint32_t>& siblings = t.siblings_of(*w);
    auto it = std::find(siblings.begin(), siblings.end(), w->handle);
    switch (relation) {
    case GW_HWNDFIRST: return hwnd_of(siblings.front());
    case GW_HWNDLAST: return hwnd_of(siblings.back());
    case GW_HWNDNEXT: return (it == siblings.end() || it + 1 == siblings.end()) ? nullptr : hwnd_of(*(it + 1));
    case GW_HWNDPREV: return (it == siblings.begin() || it == siblings.end()) ? nullptr : hwnd_of(*(it - 1));
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HWND GetDlgItem(HWND dialog, int id)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.find(dialog);
    if (!w)
        return nullptr;
    for (uint32_t child : w->children) {
        Window* c = t.get(child);
        if (c && static_cast<int>(c->id) == id)
            return hwnd_of(child);
    }
    SetLastError(1421);  // ERROR_CONTROL_ID_NOT_FOUND
    return nullptr;
}

int GetDlgCtrlID(HWND window)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.find(window);
    if (!w)
        return 0;
    return (w->style & WS_CHILD) ? static_cast<int>(w->id) : 0;
}

namespace {

// Every descendant, depth first, each before its own children.
void collect_descendants(WindowTable& t, uint32_t handle, std::vector<uint32_t>& out)
{
    Window* w = t.get(handle);
    if (!w)
        return;
    for (uint32_t child : w->children) {
        out.push_back(child);
        collect_descendants(t, child, out);
    }
}

}  // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM param)
{
    if (!callback)
        return FALSE;
    std::vector<uint32_t> found;
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        if (!parent) {
            for (uint32_t top : t.top_level) {
                found.push_back(top);
                collect_descendants(t, top, found);
            }
        } else {
            collect_descendants(t, WindowTable::value_of(parent), found);
        }
    }
    // Windows destroyed meanwhile by a callback are skipped.
    for (uint32_t h : found)
        if (IsWindow(hwnd_of(h)) && !callback(hwnd_of(h), param))
            break;
    return TRUE;
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM param)
{
    if (!callback)
        return FALSE;
    std::vector<uint32_t> found;
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        found = t.top_level;
    }
    for (uint32_t h : found)
        if (IsWindow(hwnd_of(h)) && !callback(hwnd_of(h), param))
            return FALSE;
    return TRUE;
}

BOOL EnableWindow(HWND window, BOOL enable)
{
    WindowTable& t = window_table();
    bool was_disabled;
    {
        std::lock_guard lock(t.mutex);
        Window* w = t.find(window);
        if (!w)
            return FALSE;
        was_disabled = (w->style & WS_DISABLED) != 0;
        if (was_disabled == !enable)
            return was_disabled;
        if (enable)
            w->style &= ~WS_DISABLED;
        else
            w->style |= WS_DISABLED;
    }
    if (!enable) {
        HWND focus = GetFocus();
        if (focus && (focus == window || IsChild(window, focus)))
            SetFocus(nullptr);
    }
    SendMessage(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return was_disabled;
}

BOOL IsWindowEnabled(HWND window)
{
    return IsWindow(window) && !(GetWindowLong(window, GWL_STYLE) & WS_DISABLED);
}

BOOL IsWindowVisible(HWND window)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.get(window);
    while (w) {
        if (!(w->style & WS_VISIBLE))
            return FALSE;
        if (!w->parent)
            return TRUE;
        w = t.get(w->parent);
    }
    return FALSE;
}

BOOL IsIconic(HWND window) { return (GetWindowLong(window, GWL_STYLE) & WS_MINIMIZE) != 0; }
BOOL IsZoomed(HWND window) { return (GetWindowLong(window, GWL_STYLE) & WS_MAXIMIZE) != 0; }
