#include "common.h"

#include "../window_table.h"
#include "header_control.h"
#include "ip_address.h"
#include "list_view.h"
#include "progress_bar.h"
#include "rich_edit.h"
#include "status_bar.h"
#include "tab_control.h"
#include "tooltip.h"
#include "track_bar.h"
#include "tree_view.h"
#include "up_down.h"

namespace helm::user::commctrl {

LRESULT notify(HWND control, UINT code, NMHDR& block)
{
    HWND parent = GetParent(control);
    block.hwndFrom = control;
    block.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    block.code = code;
    if (!parent)
        return 0;
    return SendMessage(parent, WM_NOTIFY, block.idFrom, reinterpret_cast<LPARAM>(&block));
}

Paint::Paint(HWND window) : m_window(window)
{
    BeginPaint(window, &m_paint);
    GetClientRect(window, &m_client);
    if (m_paint.hdc)
        m_old_font = SelectObject(m_paint.hdc, controls::font_of(window));
}

Paint::~Paint()
{
    if (m_paint.hdc && m_old_font)
        SelectObject(m_paint.hdc, m_old_font);
    EndPaint(m_window, &m_paint);
}

void fill(HDC dc, const RECT& r, COLORREF colour, int fallback)
{
    if (colour == CLR_DEFAULT) {
        FillRect(dc, &r, GetSysColorBrush(fallback));
        return;
    }
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

int measured_width(HWND control, const std::string& text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return static_cast<int>(text.size()) * 6;
    HGDIOBJ old = SelectObject(dc, controls::font_of(control));
    SIZE size{};
    GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size.cx;
}

void draw_text(HDC dc, const std::string& text, RECT r, UINT format, int colour)
{
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(colour));
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
}

LRESULT notify(HWND control, UINT code)
{
    NMHDR block{};
    return notify(control, code, block);
}

void register_common_classes()
{
    register_control_classes({
        {WC_IPADDRESS, IpAddress::procedure, CS_DBLCLKS},
        {TRACKBAR_CLASS, TrackBar::procedure, CS_DBLCLKS},
        {UPDOWN_CLASS, UpDown::procedure, CS_HREDRAW | CS_VREDRAW},
        {PROGRESS_CLASS, ProgressBar::procedure, CS_HREDRAW | CS_VREDRAW},
        {STATUSCLASSNAME, StatusBar::procedure, CS_DBLCLKS | CS_VREDRAW},
        {TOOLTIPS_CLASS, Tooltip::procedure, CS_DBLCLKS},
        {WC_TABCONTROL, TabControl::procedure, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW},
        {WC_TREEVIEW, TreeView::procedure, CS_DBLCLKS},
        {WC_LISTVIEW, ListView::procedure, CS_DBLCLKS},
        {WC_HEADER, HeaderControl::procedure, CS_DBLCLKS},
        // Class names are found without regard to case, so "RICHEDIT"
        // finds this one too.
        {RICHEDIT_CLASS, RichEdit::procedure, CS_DBLCLKS},
    });
}

}  // namespace helm::user::commctrl

// The classes are there from the layer's start; nothing is left to do.
void InitCommonControls() {}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    constexpr DWORD known = ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES;
    if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX) || (init->dwICC & ~known))
        return FALSE;
    return TRUE;
}
