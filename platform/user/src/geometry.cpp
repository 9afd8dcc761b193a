// Window rectangles, coordinates, SetWindowPos and ShowWindow.

#include <algorithm>

#include "helm/kernel/error.h"
#include "helm/kernel/threads.h"
#include "helm/user/controls.h"
#include "helm/user/screen.h"
#include "paint_internal.h"
#include "placement.h"
#include "window_table.h"

using namespace helm::user;

namespace {

// SetWindowPos flags Windows adds for WM_WINDOWPOSCHANGED, telling
// DefWindowProc whether WM_MOVE and WM_SIZE are due.
constexpr UINT swp_noclientsize = 0x0800;
constexpr UINT swp_noclientmove = 0x1000;

bool window_rect_on_screen(HWND window, RECT* out)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.find(window);
    if (!w)
        return false;
    *out = w->rect;
    if (Window* p = w->parent ? t.get(w->parent) : nullptr) {
        POINT base = t.client_origin(*p);
        OffsetRect(out, base.x, base.y);
    }
    return true;
}

// The client origin of `window` on the screen; (0, 0) for null (the desktop).
bool origin_of(HWND window, POINT* out)
{
    if (!window || window == GetDesktopWindow()) {
        *out = {0, 0};
        return true;
    }
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.find(window);
    if (!w)
        return false;
    *out = t.client_origin(*w);
    return true;
}

void restack(WindowTable& t, Window& w, HWND insert_after)
{
    std::vector<uint32_t>& siblings = t.siblings_of(w);
    std::erase(siblings, w.handle);
    if (insert_after == HWND_TOPMOST && !w.parent)
        w.ex_style |= WS_EX_TOPMOST;
    else if (insert_after == HWND_NOTOPMOST && !w.parent)
        w.ex_style &= ~WS_EX_TOPMOST;
    auto below_topmost = [&] {
        return std::find_if(siblings.begin(), siblings.end(), [&](uint32_t h) {
            Window* o = t.get(h);
            return o && !(o->ex_style & WS_EX_TOPMOST);
        });
    };
    if (insert_after == HWND_BOTTOM) {
        siblings.push_back(w.handle);
        if (!w.parent)
            w.ex_style &= ~WS_EX_TOPMOST;
    } else if (insert_after == HWND_TOP || insert_after == HWND_TOPMOST || insert_after == HWND_NOTOPMOST) {
        if (w.parent || (w.ex_style & WS_EX_TOPMOST))
            siblings.insert(siblings.begin(), w.handle);
        else
            siblings.insert(below_topmost(), w.handle);
    } else {
        auto it = std::find(siblings.begin(), siblings.end(), WindowTable::value_of(insert_after));
        siblings.insert(it == siblings.end() ? siblings.begin() : it + 1, w.handle);
    }
}

bool activating(int command)
{
    switch (command) {
    case SW_SHOWNORMAL:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMAXIMIZED:
    case SW_SHOW:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
        return true;
    default:
        return false;
    }
}

}  // namespace

BOOL GetWindowRect(HWND window, LPRECT rect)
{
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return window_rect_on_screen(window, rect) ? TRUE : FALSE;
}

BOOL GetClientRect(HWND window, LPRECT rect)
{
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.find(window);
    if (!w)
        return FALSE;
    RECT client = client_in_window(*w);
    *rect = {0, 0, client.right - client.left, client.bottom - client.top};
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count)
{
    POINT a, b;
    if (!origin_of(from, &a) || !origin_of(to, &b))
        return 0;
    const LONG dx = a.x - b.x;
    const LONG dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(0);
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL ScreenToClient(HWND window, LPPOINT point)
{
    POINT o;
    if (!point || !window || !origin_of(window, &o))
        return FALSE;
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point)
{
    POINT o;
    if (!point || !window || !origin_of(window, &o))
        return FALSE;
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    WindowTable& t = window_table();
    WINDOWPOS pos{};
    RECT old_rect, old_client;
    bool was_visible;
    {
        std::lock_guard lock(t.mutex);
        Window* w = t.find(window);
        if (!w)
            return FALSE;
        old_rect = w->rect;
        old_client = client_in_window(*w);
        was_visible = (w->style & WS_VISIBLE) != 0;
        pos.hwnd = window;
        pos.hwndInsertAfter = insertAfter;
        pos.x = (flags & SWP_NOMOVE) ? old_rect.left : x;
        pos.y = (flags & SWP_NOMOVE) ? old_rect.top : y;
        pos.cx = (flags & SWP_NOSIZE) ? old_rect.right - old_rect.left : std::max(width, 0);
        pos.cy = (flags & SWP_NOSIZE) ? old_rect.bottom - old_rect.top : std::max(height, 0);
        pos.flags = flags;
    }
    if (was_visible && (flags & SWP_SHOWWINDOW))
        pos.flags &= ~SWP_SHOWWINDOW;
    if (!was_visible && (flags & SWP_HIDEWINDOW))
        pos.flags &= ~SWP_HIDEWINDOW;
    if (!(flags & SWP_NOSENDCHANGING))
        call_procedure(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    RECT new_rect;
    bool now_visible;
    {
        std::lock_guard lock(t.mutex);
        Window* w = t.get(window);
        if (!w)
            return FALSE;
        w->rect = {pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
        if (!(w->style & (WS_MINIMIZE | WS_MAXIMIZE)))
            w->normal_rect = w->rect;
        if (!(pos.flags & SWP_NOZORDER))
            restack(t, *w, pos.hwndInsertAfter);
        if (pos.flags & SWP_SHOWWINDOW)
            w->style |= WS_VISIBLE;
        if (pos.flags & SWP_HIDEWINDOW)
            w->style &= ~WS_VISIBLE;
        now_visible = (w->style & WS_VISIBLE) != 0;
        new_rect = w->rect;
        clip_update(*w);
        RECT new_client = client_in_window(*w);
        if (new_client.right - new_client.left == old_client.right - old_client.left &&
            new_client.bottom - new_client.top == old_client.bottom - old_client.top)
            pos.flags |= swp_noclientsize;
        if (new_rect.left + new_client.left == old_rect.left + old_client.left &&
            new_rect.top + new_client.top == old_rect.top + old_client.top)
            pos.flags |= swp_noclientmove;
    }
    if (!was_visible && now_visible) {
        InvalidateRect(window, nullptr, TRUE);
    } else if (was_visible && !now_visible) {
        // A hidden window keeps no focus: it goes to the parent, as Windows does.
        HWND focus = GetFocus();
        if (focus && (focus == window || IsChild(window, focus)))
            SetFocus((GetWindowLong(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr);
    } else if (!(pos.flags & swp_noclientsize) && !(pos.flags & SWP_NOREDRAW)) {
        InvalidateRect(window, nullptr, TRUE);
    }
    // A visible child that hides, moves or shrinks uncovers its parent there.
    if (was_visible && !(pos.flags & SWP_NOREDRAW) && (GetWindowLong(window, GWL_STYLE) & WS_CHILD) &&
        (!now_visible || !EqualRect(&old_rect, &new_rect)))
        InvalidateRect(GetParent(window), &old_rect, TRUE);
    call_procedure(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    if (!(pos.flags & swp_noclientmove) || !(pos.flags & swp_noclientsize))
        screen()->window_moved(window, new_rect);
    if (was_visible != now_visible)
        screen()->window_shown(window, now_visible);
    if (!(pos.flags & SWP_NOZORDER) && !(GetWindowLong(window, GWL_STYLE) & WS_CHILD))
        screen()->window_restacked(window);
    return TRUE;
}

namespace helm::user {
bool change_frame(HWND window, const std::function<bool(Window&)>& change)
{
    WindowTable& t = window_table();
    WINDOWPOS pos{};
    {
        std::lock_guard lock(t.mutex);
        Window* w = t.find(window);
        if (!w)
            return false;
        const RECT before = client_in_window(*w);
        if (!change(*w))
            return true;
        const RECT after = client_in_window(*w);
        clip_update(*w);
        pos.hwnd = window;
        pos.x = w->rect.left;
        pos.y = w->rect.top;
        pos.cx = w->rect.right - w->rect.left;
        pos.cy = w->rect.bottom - w->rect.top;
        pos.flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
        if (after.right - after.left == before.right - before.left && after.bottom - after.top == before.bottom - before.top)
            pos.flags |= swp_noclientsize;
        if (after.left == before.left && after.top == before.top)
            pos.flags |= swp_noclientmove;
    }
    frame_due(window);
    InvalidateRect(window, nullptr, TRUE);
    call_procedure(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    return true;
}
}  // namespace helm::user

// A window's own bars come and go with its WS_HSCROLL and WS_VSCROLL.
BOOL ShowScrollBar(HWND window, int bar, BOOL show)
{
    if (bar == SB_CTL)
        return IsWindow(window) ? (ShowWindow(window, show ? SW_SHOW : SW_HIDE), TRUE) : FALSE;
    const DWORD bits = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : bar == SB_BOTH ? WS_HSCROLL | WS_VSCROLL : 0;
    if (!bits) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return change_frame(window, [&](Window& w) {
        const DWORD style = show ? (w.style | bits) : (w.style & ~bits);
        const bool changed = style != w.style;
        w.style = style;
        return changed;
    }) ? TRUE : FALSE;
}

// Called by DefWindowProc for WM_WINDOWPOSCHANGED.
namespace helm::user {
void window_pos_changed(HWND window, const WINDOWPOS& pos)
{
    if (!(pos.flags & swp_noclientsize)) {
        RECT client;
        GetClientRect(window, &client);
        LONG style = GetWindowLong(window, GWL_STYLE);
        WPARAM kind = (style & WS_MINIMIZE) ? SIZE_MINIMIZED : (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
        SendMessage(window, WM_SIZE, kind, MAKELPARAM(client.right, client.bottom));
    }
    if (!(pos.flags & swp_noclientmove)) {
        POINT origin{0, 0};
        HWND parent = (GetWindowLong(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
        MapWindowPoints(window, parent, &origin, 1);
        SendMessage(window, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    }
}
}  // namespace helm::user

BOOL ShowWindow(HWND window, int command)
{
    WindowTable& t = window_table();
    bool was_visible;
    DWORD style;
    RECT normal;
    {
        std::lock_guard lock(t.mutex);
        Window* w = t.find(window);
        if (!w)
            return FALSE;
        was_visible = (w->style & WS_VISIBLE) != 0;
        style = w->style;
        normal = w->normal_rect;
    }
    const bool show = command != SW_HIDE;
    if (show != was_visible)
        call_procedure(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    RECT target = normal;
    DWORD new_style = style;
    switch (command) {
    case SW_MAXIMIZE:
        new_style = (style & ~WS_MINIMIZE) | WS_MAXIMIZE;
        target = maximized_rect(window);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        new_style = (style & ~WS_MAXIMIZE) | WS_MINIMIZE;
        target = {normal.left, normal.top, normal.left + 160, normal.top + 24};
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
        new_style = style & ~(WS_MINIMIZE | WS_MAXIMIZE);
        break;
    default:
        flags |= SWP_NOMOVE | SWP_NOSIZE;
        break;
    }
    if (new_style == style)
        flags |= SWP_NOMOVE | SWP_NOSIZE;
    {
        std::lock_guard lock(t.mutex);
        if (Window* w = t.get(window))
            w->style = new_style;
    }
    SetWindowPos(window, nullptr, target.left, target.top, target.right - target.left, target.bottom - target.top,
                 flags);
    {
        std::lock_guard lock(t.mutex);
        if (Window* w = t.get(window))
            w->normal_rect = normal;
    }
    if (show && activating(command) && !(style & WS_CHILD) && IsWindow(window))
        SetActiveWindow(window);
    return was_visible ? TRUE : FALSE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle)
{
    if (!rect)
        return FALSE;
    RECT insets = frame_insets(style, exStyle);
    rect->left -= insets.left;
    rect->top -= insets.top + (menu ? GetSystemMetrics(SM_CYMENU) : 0);
    rect->right += insets.right;
    rect->bottom += insets.bottom;
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) { return AdjustWindowRectEx(rect, style, menu, 0); }

HWND SetActiveWindow(HWND window)
{
    WindowTable& t = window_table();
    const DWORD thread = GetCurrentThreadId();
    uint32_t previous = 0;
    {
        std::lock_guard lock(t.mutex);
        Window* w = t.get(window);
        if (window && (!w || w->thread_id != thread || w->parent)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        auto it = t.active.find(thread);
        previous = it == t.active.end() ? 0 : it->second;
        if (previous == WindowTable::value_of(window))
            return window;
        if (window)
            t.active[thread] = WindowTable::value_of(window);
        else
            t.active.erase(thread);
    }
    HWND old = previous ? WindowTable::hwnd_of(previous) : nullptr;
    if (old && IsWindow(old))
        SendMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window));
    if (window)
        SendMessage(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
    screen()->window_activated(window);
    return old;
}

HWND GetActiveWindow()
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    auto it = t.active.find(GetCurrentThreadId());
    return it == t.active.end() ? nullptr : WindowTable::hwnd_of(it->second);
}

HWND SetFocus(HWND window)
{
    WindowTable& t = window_table();
    const DWORD thread = GetCurrentThreadId();
    HWND top = nullptr;
    {
        std::lock_guard lock(t.mutex);
        if (window) {
            Window* w = t.get(window);
            if (!w || w->thread_id != thread) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            while (w->parent)
                w = t.get(w->parent);
            top = WindowTable::hwnd_of(w->handle);
        }
    }
    // The focus lives in the active window: activating may move it first.
    if (top && GetActiveWindow() != top)
        SetActiveWindow(top);
    uint32_t previous;
    {
        std::lock_guard lock(t.mutex);
        if (window && !t.get(window))
            return nullptr;
        auto it = t.focus.find(thread);
        previous = it == t.focus.end() ? 0 : it->second;
        if (previous == WindowTable::value_of(window))
            return window;
        if (window)
            t.focus[thread] = WindowTable::value_of(window);
        else
            t.focus.erase(thread);
    }
    HWND old = previous ? WindowTable::hwnd_of(previous) : nullptr;
    if (old && IsWindow(old))
        SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    // A WM_KILLFOCUS handler may have moved the focus on: then it stays there.
    if (window && GetFocus() == window)
        SendMessage(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND GetFocus()
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    auto it = t.focus.find(GetCurrentThreadId());
    return it == t.focus.end() ? nullptr : WindowTable::hwnd_of(it->second);
}

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom)
{
    if (!rect)
        return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}
BOOL SetRectEmpty(LPRECT rect) { return SetRect(rect, 0, 0, 0, 0); }
BOOL IsRectEmpty(const RECT* rect) { return !rect || rect->right <= rect->left || rect->bottom <= rect->top; }
BOOL OffsetRect(LPRECT rect, int dx, int dy)
{
    if (!rect)
        return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}
BOOL InflateRect(LPRECT rect, int dx, int dy)
{
    if (!rect)
        return FALSE;
    rect->left -= dx;
    rect->right += dx;
    rect->top -= dy;
    rect->bottom += dy;
    return TRUE;
}
BOOL PtInRect(const RECT* rect, POINT p)
{
    return rect && p.x >= rect->left && p.x < rect->right && p.y >= rect->top && p.y < rect->bottom;
}
BOOL IntersectRect(LPRECT out, const RECT* a, const RECT* b)
{
    if (!out || !a || !b)
        return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right), std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        SetRectEmpty(out);
        return FALSE;
    }
    *out = r;
    return TRUE;
}
BOOL UnionRect(LPRECT out, const RECT* a, const RECT* b)
{
    if (!out || !a || !b)
        return FALSE;
    if (IsRectEmpty(a))
        *out = IsRectEmpty(b) ? RECT{} : *b;
    else if (IsRectEmpty(b))
        *out = *a;
    else
        *out = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
    return !IsRectEmpty(out);
}
BOOL EqualRect(const RECT* a, const RECT* b)
{
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
BOOL CopyRect(LPRECT out, const RECT* in)
{
    if (!out || !in)
        return FALSE;
    *out = *in;
    return TRUE;
}
