// What DefWindowProc paints: the classic frame and caption (WM_NCPAINT),
// the class background (WM_ERASEBKGND), the default colours of controls
// (WM_CTLCOLOR*), and the dialog's own background.

#include <cstring>

#include "controls/scroll_bar.h"
#include "paint_internal.h"
#include "window_table.h"

namespace helm::user {

namespace {

constexpr int caption_band = 18;  // the caption bar; one face line under it completes SM_CYCAPTION

HFONT caption_font()
{
    static HFONT font = CreateFont(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                   "Tahoma");
    return font;
}

}  // namespace

HFONT menu_font()
{
    static HFONT font = CreateFont(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                   "Tahoma");
    return font;
}

namespace {

void fill(HDC dc, RECT r, int colour) { FillRect(dc, &r, GetSysColorBrush(colour)); }

void paint_window_bar(HDC dc, HWND window, RECT area, int bar)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window, bar, &info);
    controls::draw_scroll_bar(dc, area, bar == SB_VERT, info, IsWindowEnabled(window) != FALSE, 0);
}

bool is_empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool inside(const RECT& r, POINT p) { return PtInRect(&r, p) != FALSE; }

// A press on a window's own bar: a line on an arrow, a page on the track,
// then the end of the scroll, as a click on the control tells its parent.
void click_window_bar(HWND window, int bar, const RECT& area, POINT at)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(window, bar, &info))
        return;
    const bool vertical = bar == SB_VERT;
    const int length = vertical ? area.bottom - area.top : area.right - area.left;
    const int thickness = vertical ? area.right - area.left : area.bottom - area.top;
    controls::ScrollState state(info.nMin, info.nMax);
    state.set(info);
    const controls::ScrollLayout layout = controls::scroll_layout(length, thickness, state);
    const int along = vertical ? at.y - area.top : at.x - area.left;
    int code;
    if (along < layout.arrow)
        code = SB_LINEUP;
    else if (along >= layout.length - layout.arrow)
        code = SB_LINEDOWN;
    else if (layout.thumb_size > 0 && along < layout.thumb_start)
        code = SB_PAGEUP;
    else if (layout.thumb_size > 0 && along >= layout.thumb_start + layout.thumb_size)
        code = SB_PAGEDOWN;
    else
        return;  // the thumb is not dragged from here
    const UINT message = vertical ? WM_VSCROLL : WM_HSCROLL;
    SendMessage(window, message, static_cast<WPARAM>(code), 0);
    if (IsWindow(window))
        SendMessage(window, message, SB_ENDSCROLL, 0);
}

// The picture on the caption: the window's own small or big icon, else its
// class's, else the application's (a modal frame shows only its own).
HICON caption_icon(HWND window, DWORD ex_style)
{
    WindowTable& t = window_table();
    {
        std::lock_guard lock(t.mutex);
        Window* w = t.get(window);
        if (!w)
            return nullptr;
        if (w->icons[ICON_SMALL] || w->icons[ICON_BIG])
            return w->icons[ICON_SMALL] ? w->icons[ICON_SMALL] : w->icons[ICON_BIG];
        if (ex_style & WS_EX_DLGMODALFRAME)
            return nullptr;
        if (w->window_class->small_icon || w->window_class->icon)
            return w->window_class->small_icon ? w->window_class->small_icon : w->window_class->icon;
    }
    return LoadIcon(nullptr, IDI_APPLICATION);
}

void paint_caption(HDC dc, HWND window, const FrameParts& parts)
{
    HWND active = GetActiveWindow();
    const bool lit = active == window || (active && GetWindow(window, GW_OWNER) == nullptr && IsChild(window, active));
    fill(dc, parts.caption, lit ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    RECT text = parts.caption;
    text.left += 4;
    if (!is_empty(parts.icon)) {
        if (HICON icon = caption_icon(window, parts.ex_style))
            DrawIconEx(dc, parts.icon.left, parts.icon.top, icon, parts.icon.right - parts.icon.left,
                       parts.icon.bottom - parts.icon.top, 0, nullptr, DI_NORMAL);
        text.left = parts.icon.right + 2;
    }
    if (!is_empty(parts.close)) {
        RECT close = parts.close;
        DrawFrameControl(dc, &close, DFC_CAPTION, DFCS_CAPTIONCLOSE);
        text.right = close.left - 2;
    }
    char title[256];
    GetWindowText(window, title, sizeof title);
    HGDIOBJ old = SelectObject(dc, caption_font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(lit ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    DrawText(dc, title, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, old);
}

// The close box pressed last, per thread, for its release.
thread_local HWND t_close_pressed = nullptr;

}  // namespace

FrameParts frame_parts(HWND window)
{
    FrameParts parts;
    WindowTable& t = window_table();
    RECT outside{};
    bool own_icon = false, menu_bar = false;
    {
        std::lock_guard lock(t.mutex);
        Window* w = t.get(window);
        if (!w)
            return parts;
        parts.style = w->style;
        parts.ex_style = w->ex_style;
        parts.client = client_in_window(*w);
        outside = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
        own_icon = w->icons[ICON_SMALL] || w->icons[ICON_BIG];
        menu_bar = w->menu_bar;
    }
    const DWORD style = parts.style, ex_style = parts.ex_style;
    int border = 0;
    if (style & WS_THICKFRAME)
        border = GetSystemMetrics(SM_CXFRAME);
    else if ((style & WS_DLGFRAME) || (ex_style & WS_EX_DLGMODALFRAME))
        border = GetSystemMetrics(SM_CXDLGFRAME);
    else if ((style & WS_BORDER) || (ex_style & WS_EX_STATICEDGE))
        border = 1;
    RECT r = outside;
    InflateRect(&r, -border, -border);
    parts.inside = r;
    if ((style & WS_CAPTION) == WS_CAPTION) {
        parts.caption = RECT{r.left, r.top, r.right, r.top + caption_band};
        if (style & WS_SYSMENU) {
            parts.close = RECT{r.right - 18, r.top + 2, r.right - 2, r.top + caption_band - 2};
            if (!(ex_style & WS_EX_TOOLWINDOW) && (!(ex_style & WS_EX_DLGMODALFRAME) || own_icon)) {
                const int size = GetSystemMetrics(SM_CXSMICON);
                parts.icon = RECT{r.left + 2, r.top + 1, r.left + 2 + size, r.top + 1 + size};
            }
        }
        r.top += GetSystemMetrics(SM_CYCAPTION);
    }
    if (menu_bar)
        parts.menu_bar = RECT{r.left, r.top, r.right, r.top + GetSystemMetrics(SM_CYMENU)};
    const RECT& c = parts.client;
    if (style & WS_VSCROLL)
        parts.vertical = RECT{c.right, c.top, c.right + GetSystemMetrics(SM_CXVSCROLL), c.bottom};
    if (style & WS_HSCROLL)
        parts.horizontal = RECT{c.left, c.bottom, c.right, c.bottom + GetSystemMetrics(SM_CYHSCROLL)};
    return parts;
}

void paint_non_client(HWND window)
{
    const FrameParts parts = frame_parts(window);
    const DWORD style = parts.style, ex_style = parts.ex_style;
    HDC dc = GetWindowDC(window);
    if (!dc)
        return;
    RECT wr{};
    GetWindowRect(window, &wr);
    RECT r{0, 0, wr.right - wr.left, wr.bottom - wr.top};
    if (style & WS_THICKFRAME) {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        for (int i = 0; i < GetSystemMetrics(SM_CXFRAME) - 2; ++i) {
            FrameRect(dc, &r, GetSysColorBrush(COLOR_ACTIVEBORDER));
            InflateRect(&r, -1, -1);
        }
    } else if ((style & WS_DLGFRAME) || (ex_style & WS_EX_DLGMODALFRAME)) {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        for (int i = 0; i < GetSystemMetrics(SM_CXDLGFRAME) - 2; ++i) {
            FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
            InflateRect(&r, -1, -1);
        }
    } else if (style & WS_BORDER) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    } else if (ex_style & WS_EX_STATICEDGE) {
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    if (!is_empty(parts.caption)) {
        paint_caption(dc, window, parts);
        fill(dc, RECT{r.left, parts.caption.bottom, r.right, r.top + GetSystemMetrics(SM_CYCAPTION)}, COLOR_BTNFACE);
        r.top += GetSystemMetrics(SM_CYCAPTION);
    }
    if (!is_empty(parts.menu_bar)) {
        paint_menu_bar(dc, window, parts.menu_bar);
        r.top = parts.menu_bar.bottom;
    }
    if (ex_style & WS_EX_CLIENTEDGE)
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (!is_empty(parts.vertical))
        paint_window_bar(dc, window, parts.vertical, SB_VERT);
    if (!is_empty(parts.horizontal))
        paint_window_bar(dc, window, parts.horizontal, SB_HORZ);
    if (!is_empty(parts.vertical) && !is_empty(parts.horizontal))
        fill(dc, RECT{parts.vertical.left, parts.horizontal.top, parts.vertical.right, parts.horizontal.bottom},
             COLOR_BTNFACE);
    ReleaseDC(window, dc);
}

LRESULT hit_test_frame(HWND window, POINT screen_point)
{
    RECT wr{};
    if (!GetWindowRect(window, &wr) || !PtInRect(&wr, screen_point))
        return HTNOWHERE;
    const POINT p{screen_point.x - wr.left, screen_point.y - wr.top};
    const FrameParts parts = frame_parts(window);
    struct Part {
        const RECT& area;
        LRESULT code;
    };
    const Part order[] = {{parts.client, HTCLIENT},     {parts.close, HTCLOSE},        {parts.icon, HTSYSMENU},
                          {parts.caption, HTCAPTION},   {parts.menu_bar, HTMENU},      {parts.vertical, HTVSCROLL},
                          {parts.horizontal, HTHSCROLL}};
    for (const Part& part : order)
        if (inside(part.area, p))
            return part.code;
    return HTBORDER;
}

void non_client_button(HWND window, UINT message, WPARAM hit, POINT screen_point)
{
    const FrameParts parts = frame_parts(window);
    RECT wr{};
    GetWindowRect(window, &wr);
    const POINT p{screen_point.x - wr.left, screen_point.y - wr.top};
    const LPARAM where = MAKELPARAM(screen_point.x, screen_point.y);
    const bool down = message == WM_NCLBUTTONDOWN || message == WM_NCLBUTTONDBLCLK;
    if (down && hit != HTCLOSE)
        t_close_pressed = nullptr;
    switch (hit) {
    case HTSYSMENU:
    case HTMENU:
        if (down)
            SendMessage(window, WM_SYSCOMMAND, SC_MOUSEMENU + hit, where);
        break;
    case HTCLOSE:
        // The close box acts on its release over it, after its press.
        if (down)
            t_close_pressed = window;
        else if (message == WM_NCLBUTTONUP && t_close_pressed == window && inside(parts.close, p))
            SendMessage(window, WM_SYSCOMMAND, SC_CLOSE, where);
        if (!down)
            t_close_pressed = nullptr;
        break;
    case HTVSCROLL:
    case HTHSCROLL:
        if (down) {
            const bool vertical = hit == HTVSCROLL;
            click_window_bar(window, vertical ? SB_VERT : SB_HORZ, vertical ? parts.vertical : parts.horizontal, p);
        }
        break;
    default:
        break;
    }
}

bool erase_with_class_brush(HWND window, HDC dc)
{
    HBRUSH brush = nullptr;
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        if (Window* w = t.get(window))
            brush = w->window_class->background;
    }
    if (!brush)
        return false;
    RECT client{};
    GetClientRect(window, &client);
    if (dc)
        FillRect(dc, &client, brush);
    return true;
}

HBRUSH default_control_colours(UINT message, HDC dc)
{
    const bool window_colours = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    if (message == WM_CTLCOLORSCROLLBAR) {
        if (dc) {
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        }
        return GetSysColorBrush(COLOR_SCROLLBAR);
    }
    const int back = window_colours ? COLOR_WINDOW : COLOR_BTNFACE;
    if (dc) {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(back));
    }
    return GetSysColorBrush(back);
}

void erase_dialog_background(HWND dialog, HDC dc)
{
    if (!dc)
        return;
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessage(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog)));
    if (!brush)
        brush = GetSysColorBrush(COLOR_BTNFACE);
    RECT client{};
    GetClientRect(dialog, &client);
    FillRect(dc, &client, brush);
}

}  // namespace helm::user
