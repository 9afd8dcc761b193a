// Window placement (GetWindowPlacement, SetWindowPlacement) and the
// minimum and maximum sizes windows give through WM_GETMINMAXINFO.

#include "placement.h"

#include <algorithm>

#include "helm/kernel/error.h"
#include "helm/user/screen.h"
#include "window_table.h"

using namespace helm::user;

namespace {

// The smallest a sizable window may be made, as classic Windows has it.
constexpr LONG min_track_cx = 112;
constexpr LONG min_track_cy = 27;

RECT work_area_of(HWND window)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfo(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
        return info.rcWork;
    return screen()->monitors().front().work_area;
}

// Top-level windows other than tool windows place themselves in workspace
// coordinates: the screen's, from the work area's corner.
POINT workspace_offset(HWND window)
{
    LONG style = GetWindowLong(window, GWL_STYLE);
    if ((style & WS_CHILD) || (GetWindowLong(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
        return {0, 0};
    RECT work = work_area_of(window);
    RECT monitor{};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfo(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
        monitor = info.rcMonitor;
    return {work.left - monitor.left, work.top - monitor.top};
}

}  // namespace

namespace helm::user {

MINMAXINFO min_max_info(HWND window)
{
    RECT work = work_area_of(window);
    RECT insets = frame_insets(static_cast<DWORD>(GetWindowLong(window, GWL_STYLE)),
                               static_cast<DWORD>(GetWindowLong(window, GWL_EXSTYLE)));
    // The frame of a maximised window lies outside the work area; the
    // caption stays inside.
    const LONG border = insets.left;
    MINMAXINFO info{};
    info.ptMaxSize = {work.right - work.left + 2 * border, work.bottom - work.top + 2 * border};
    info.ptMaxPosition = {-border, -border};
    info.ptMinTrackSize = {min_track_cx, min_track_cy};
    info.ptMaxTrackSize = {GetSystemMetrics(SM_CXVIRTUALSCREEN) + 2 * border,
                           GetSystemMetrics(SM_CYVIRTUALSCREEN) + 2 * border};
    SendMessage(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

RECT maximized_rect(HWND window)
{
    MINMAXINFO info = min_max_info(window);
    RECT work = work_area_of(window);
    LONG x = work.left + info.ptMaxPosition.x;
    LONG y = work.top + info.ptMaxPosition.y;
    return {x, y, x + info.ptMaxSize.x, y + info.ptMaxSize.y};
}

void window_pos_changing(HWND window, WINDOWPOS& pos)
{
    if (pos.flags & SWP_NOSIZE)
        return;
    LONG style = GetWindowLong(window, GWL_STYLE);
    if (!(style & WS_THICKFRAME) || (style & (WS_MINIMIZE | WS_MAXIMIZE)))
        return;
    MINMAXINFO info = min_max_info(window);
    pos.cx = std::clamp<LONG>(pos.cx, info.ptMinTrackSize.x, std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
    pos.cy = std::clamp<LONG>(pos.cy, info.ptMinTrackSize.y, std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
}

}  // namespace helm::user

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement)
{
    if (!placement) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RECT normal, rect;
    DWORD style;
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        Window* w = t.find(window);
        if (!w)
            return FALSE;
        normal = w->normal_rect;
        rect = w->rect;
        style = w->style;
    }
    POINT offset = workspace_offset(window);
    OffsetRect(&normal, -offset.x, -offset.y);
    placement->length = sizeof(WINDOWPLACEMENT);
    placement->flags = 0;
    placement->showCmd = (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED : (style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    placement->ptMinPosition = (style & WS_MINIMIZE) ? POINT{rect.left, rect.top} : POINT{-1, -1};
    placement->ptMaxPosition = (style & WS_MAXIMIZE) ? POINT{rect.left, rect.top} : POINT{-1, -1};
    placement->rcNormalPosition = normal;
    return TRUE;
}

BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement)
{
    if (!placement) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    RECT normal = placement->rcNormalPosition;
    if (normal.right < normal.left)
        normal.right = normal.left;
    if (normal.bottom < normal.top)
        normal.bottom = normal.top;
    POINT offset = workspace_offset(window);
    OffsetRect(&normal, offset.x, offset.y);
    const bool was_normal = !IsIconic(window) && !IsZoomed(window);
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        if (Window* w = t.get(window))
            w->normal_rect = normal;
    }
    const UINT command = placement->showCmd;
    // A minimised or maximised window moves there when it is restored.
    if (was_normal) {
        SetWindowPos(window, nullptr, normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (command <= SW_MAX)
        ShowWindow(window, static_cast<int>(command == SW_SHOWDEFAULT ? SW_SHOWNORMAL : command));
    return TRUE;
}
