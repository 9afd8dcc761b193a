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

void fill(HDC dc, RECT r, int colour) { FillRect(dc, &r, GetSysColorBrush(colour)); }

void paint_caption(HDC dc, HWND window, RECT band, DWORD style)
{
    HWND active = GetActiveWindow();
    const bool lit = active == window || (active && GetWindow(window, GW_OWNER) == nullptr && IsChild(window, active));
    fill(dc, band, lit ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    RECT text = band;
    text.left += 4;
    if (style & WS_SYSMENU) {
        RECT close{band.right - 18, band.top + 2, band.right - 2, band.bottom - 2};
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

void paint_window_bar(HDC dc, HWND window, RECT area, int bar)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window, bar, &info);
    controls::draw_scroll_bar(dc, area, bar == SB_VERT, info, IsWindowEnabled(window) != FALSE, 0);
}

}  // namespace

void paint_non_client(HWND window)
{
    const DWORD style = static_cast<DWORD>(GetWindowLong(window, GWL_STYLE));
    const DWORD ex_style = static_cast<DWORD>(GetWindowLong(window, GWL_EXSTYLE));
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
    if ((style & WS_CAPTION) == WS_CAPTION) {
        RECT band{r.left, r.top, r.right, r.top + caption_band};
        paint_caption(dc, window, band, style);
        fill(dc, RECT{r.left, band.bottom, r.right, band.bottom + GetSystemMetrics(SM_CYCAPTION) - caption_band},
             COLOR_BTNFACE);
        r.top += GetSystemMetrics(SM_CYCAPTION);
    }
    if (ex_style & WS_EX_CLIENTEDGE)
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    const int bar_w = GetSystemMetrics(SM_CXVSCROLL), bar_h = GetSystemMetrics(SM_CYHSCROLL);
    const bool vertical = style & WS_VSCROLL, horizontal = style & WS_HSCROLL;
    if (vertical)
        paint_window_bar(dc, window, RECT{r.right - bar_w, r.top, r.right, r.bottom - (horizontal ? bar_h : 0)},
                         SB_VERT);
    if (horizontal)
        paint_window_bar(dc, window, RECT{r.left, r.bottom - bar_h, r.right - (vertical ? bar_w : 0), r.bottom},
                         SB_HORZ);
    if (vertical && horizontal)
        fill(dc, RECT{r.right - bar_w, r.bottom - bar_h, r.right, r.bottom}, COLOR_BTNFACE);
    ReleaseDC(window, dc);
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
