#include "toolkit/CWindowTools.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

// Coordinates a stored placement may hold: far beyond any screen, small
// enough that no sum of two overflows.
constexpr long coordinate_limit = 1000000;

struct Placement {
    CRect rect;
    int show = SW_SHOWNORMAL;
};

// "top,bottom,left,right[,show]" as "%i" reads numbers (decimal, 0x, 0);
// false for anything else, or for a rectangle turned inside out.
bool parse_placement(const CString& text, Placement& out)
{
    long values[5] = {0, 0, 0, 0, SW_SHOWNORMAL};
    const char* p = text.GetString();
    int count = 0;
    while (count < 5) {
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(p, &end, 0);
        if (end == p || errno == ERANGE || value < -coordinate_limit || value > coordinate_limit)
            return false;
        values[count++] = value;
        p = end;
        while (*p == ' ')
            ++p;
        if (*p != ',')
            break;
        ++p;
    }
    while (*p == ' ')
        ++p;
    if (count < 4 || *p != '\0')
        return false;
    out.rect = CRect(static_cast<int>(values[2]), static_cast<int>(values[0]), static_cast<int>(values[3]),
                     static_cast<int>(values[1]));
    if (out.rect.right < out.rect.left || out.rect.bottom < out.rect.top)
        return false;
    out.show = values[4] >= 0 && values[4] <= SW_MAX ? static_cast<int>(values[4]) : SW_SHOWNORMAL;
    return true;
}

CString placement_key(LPCSTR keyPrefix)
{
    return CString(keyPrefix ? keyPrefix : "") + "Position";
}

LPCSTR placement_section(LPCSTR section)
{
    return section && *section ? section : "Window Settings";
}

// Where a top-level window's normal rectangle, given in workspace
// coordinates by its placement, lies on the screen: shifted by the work
// area's corner (a task bar at the top or left). Children and tool windows
// place themselves as they move.
POINT workspace_offset(HWND window)
{
    if ((GetWindowLong(window, GWL_STYLE) & WS_CHILD) || (GetWindowLong(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
        return {0, 0};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfo(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
        return {0, 0};
    return {info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}

RECT monitor_area(POINT corner, bool workArea)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfo(MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST), &info);
    return workArea ? info.rcWork : info.rcMonitor;
}

}  // namespace

void CWindowTools::F_WindowStateSave(CWinApp& app, CWnd& window, LPCSTR section, LPCSTR keyPrefix, int show)
{
    if (!window.m_hWnd)
        return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!window.GetWindowPlacement(&placement))
        return;
    CRect rect(placement.rcNormalPosition);
    int command = show;
    if (command < 0) {
        if (window.IsIconic()) {
            command = SW_SHOWMINIMIZED;
            if (rect.left < 0 && rect.top < 0)
                return;
        } else if (window.IsZoomed()) {
            command = SW_SHOWMAXIMIZED;
        } else if (!window.IsWindowVisible()) {
            command = SW_HIDE;
        } else {
            command = static_cast<int>(placement.showCmd);
        }
    }
    const POINT offset = workspace_offset(window.m_hWnd);
    rect.OffsetRect(offset.x, offset.y);
    CString text;
    text.Format("%i,%i,%i,%i,%i", rect.top, rect.bottom, rect.left, rect.right, command);
    app.WriteProfileString(placement_section(section), placement_key(keyPrefix), text);
}

bool CWindowTools::F_WindowStateLoad(CWinApp& app, CWnd& window, LPCSTR section, LPCSTR keyPrefix, bool resize,
                                     bool show, CRect* defaultRect, int* outShow)
{
    if (!window.m_hWnd)
        return false;
    Placement placement;
    bool stored = parse_placement(app.GetProfileString(placement_section(section), placement_key(keyPrefix), ""),
                                  placement);
    if (!stored) {
        CString fallback = "0,400,0,200,1";
        if (defaultRect)
            fallback.Format("%d,%d,%d,%d,%d", defaultRect->top, defaultRect->bottom, defaultRect->left,
                            defaultRect->right, 1);
        if (!parse_placement(fallback, placement))
            parse_placement("0,400,0,200,1", placement);
    }
    F_RectInScreen(placement.rect, RIS_MONITOR);
    if (outShow)
        *outShow = placement.show;
    if (!window.IsIconic() && !window.IsZoomed()) {
        const CRect& r = placement.rect;
        window.SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(),
                            SWP_NOZORDER | SWP_NOACTIVATE | (resize ? 0 : SWP_NOSIZE));
    }
    if (show)
        window.ShowWindow(placement.show);
    return stored;
}

void CWindowTools::F_RectInScreen(CRect& rect, UINT flags)
{
    const bool work = (flags & RIS_WORKAREA) != 0;
    const RECT first = monitor_area(rect.TopLeft(), work);
    const RECT last = monitor_area(rect.BottomRight(), work);
    CRect area;
    area.UnionRect(&first, &last);
    const long long width = static_cast<long long>(rect.right) - rect.left;
    const long long height = static_cast<long long>(rect.bottom) - rect.top;
    long long left, top;
    if (flags & RIS_CENTER) {
        left = area.left + (area.Width() - width) / 2;
        top = area.top + (area.Height() - height) / 2;
    } else {
        left = std::max<long long>(area.left, std::min<long long>(rect.left, area.right - width));
        top = std::max<long long>(area.top, std::min<long long>(rect.top, area.bottom - height));
    }
    rect = CRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
                 static_cast<int>(top + height));
}

LPCSTR CWindowTools::RegisterSimilarClass(LPCSTR newName, LPCSTR existingClass, UINT iconId)
{
    WNDCLASS windowClass{};
    HINSTANCE module = AfxGetInstanceHandle();
    if (!newName || !GetClassInfo(module, existingClass, &windowClass))
        return nullptr;
    windowClass.hInstance = module;
    windowClass.lpszClassName = newName;
    windowClass.hIcon = LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(iconId));
    return RegisterClass(&windowClass) ? newName : nullptr;
}
