#include "combo_box.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "edit.h"
#include "helm/user/controls.h"
#include "list_box.h"

namespace helm::user::controls {

namespace {

ControlMap<ComboBox>& combo_boxes()
{
    static auto* map = new ControlMap<ComboBox>;
    return *map;
}

constexpr int edit_id = 1001;  // the id Windows gives a combo box's edit
// The classic look: a 2-pixel edge round the field, the button as wide as
// a scroll bar, the field one line with a pixel above and below.
constexpr int edge = 2;
constexpr int field_padding = 2;
constexpr int frame_height = 6;

HWND hwnd_of(LPARAM value) { return reinterpret_cast<HWND>(value); }

}  // namespace

ComboBox::ComboBox(HWND window, const CREATESTRUCT& cs)
    : m_window(window), m_field_height(default_item_height + field_padding), m_dropped_height(0)
{
    m_dropped_height = std::max(cs.cy - (m_field_height + frame_height), default_item_height + 2);
}

LRESULT CALLBACK ComboBox::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return run_control(combo_boxes(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<ComboBox>(w, cs);
    });
}

LRESULT ComboBox::list(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_list ? SendMessage(m_list, message, wParam, lParam) : CB_ERR;
}

LRESULT ComboBox::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return on_create(*reinterpret_cast<const CREATESTRUCT*>(lParam));
    case WM_DESTROY:
        return on_destroy();
    case WM_WINDOWPOSCHANGING:
        return on_window_pos_changing(lParam);
    case WM_SIZE:
        return on_size();
    case CB_ADDSTRING:
        return list(LB_ADDSTRING, 0, lParam);
    case CB_INSERTSTRING:
        return list(LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING:
        return on_delete_string(wParam);
    case CB_RESETCONTENT:
        return on_reset_content();
    case CB_GETCOUNT:
        return list(LB_GETCOUNT);
    case CB_SETCURSEL:
        return on_set_cur_sel(wParam);
    case CB_GETCURSEL:
        return selection();
    case CB_GETLBTEXT:
        return list(LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN:
        return list(LB_GETTEXTLEN, wParam);
    case CB_FINDSTRING:
        return list(LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT:
        return list(LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_SELECTSTRING:
        return on_select_string(wParam, lParam);
    case CB_SETITEMDATA:
        return list(LB_SETITEMDATA, wParam, lParam);
    case CB_GETITEMDATA:
        return list(LB_GETITEMDATA, wParam);
    case CB_GETTOPINDEX:
        return list(LB_GETTOPINDEX);
    case CB_SETTOPINDEX:
        return list(LB_SETTOPINDEX, wParam) == LB_ERR ? CB_ERR : 0;
    case CB_SHOWDROPDOWN:
        return on_show_dropdown(wParam);
    case CB_GETDROPPEDSTATE:
        return m_dropped ? TRUE : FALSE;
    case CB_GETDROPPEDCONTROLRECT:
        return on_dropped_rect(lParam);
    case CB_SETITEMHEIGHT:
        return on_set_item_height(wParam, lParam);
    case CB_GETITEMHEIGHT:
        return on_get_item_height(wParam);
    case CB_LIMITTEXT:
        if (m_edit)
            SendMessage(m_edit, EM_LIMITTEXT, wParam, 0);
        return TRUE;
    case CB_GETEDITSEL:
    case CB_SETEDITSEL:
        return on_edit_sel(message, wParam, lParam);
    case CB_SETEXTENDEDUI:
        m_extended_ui = wParam != 0;
        return CB_OKAY;
    case CB_GETEXTENDEDUI:
        return m_extended_ui ? TRUE : FALSE;
    case CB_GETDROPPEDWIDTH: {
        RECT r;
        GetWindowRect(m_window, &r);
        return std::max<LRESULT>(m_dropped_width, r.right - r.left);
    }
    case CB_SETDROPPEDWIDTH:
        m_dropped_width = static_cast<int>(wParam);
        return static_cast<LRESULT>(wParam);
    case CB_GETCOMBOBOXINFO:
        return on_get_info(lParam);
    case WM_SETTEXT:
        return on_set_text(lParam);
    case WM_GETTEXT:
        return on_get_text(wParam, lParam);
    case WM_GETTEXTLENGTH:
        return on_get_text_length();
    case WM_SETFONT:
        if (m_edit)
            SendMessage(m_edit, WM_SETFONT, wParam, lParam);
        list(WM_SETFONT, wParam, lParam);
        // The field is a line of the font high, as the list's items are.
        on_set_item_height(static_cast<WPARAM>(-1),
                           line_height(wParam ? reinterpret_cast<HFONT>(wParam) : font_of(m_window)) + field_padding);
        return 0;
    case WM_GETDLGCODE:
        return on_get_dlg_code(lParam);
    case WM_SETFOCUS:
        return on_set_focus(wParam);
    case WM_KILLFOCUS:
        return on_kill_focus(wParam);
    case WM_COMMAND:
        return on_command(wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return on_button_down(lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        note_modifier_key(message, wParam);
        if (on_operator_key(wParam, message == WM_SYSKEYDOWN))
            return 0;
        return message == WM_SYSKEYDOWN ? DefWindowProc(m_window, message, wParam, lParam) : 0;
    case WM_KEYUP:
        note_modifier_key(message, wParam);
        return 0;
    case WM_CHAR:
        return on_char(wParam);
    case WM_ENABLE:
        if (m_edit)
            EnableWindow(m_edit, wParam ? TRUE : FALSE);
        if (!wParam)
            close(false, false);
        InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case WM_CANCELMODE:
        close(false, true);
        return 0;
    case WM_PAINT:
        return on_paint();
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

// The list is a popup owned by the combo box's top-level window, hidden
// until dropped; the edit is a child over the field. The combo box's own
// height becomes the field's; the height asked for is the dropped list's.
LRESULT ComboBox::on_create(const CREATESTRUCT& cs)
{
    DWORD list_style = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_COMBOBOX | LBS_NOTIFY;
    if (cs.style & CBS_SORT)
        list_style |= LBS_SORT;
    if (cs.style & CBS_OWNERDRAWFIXED)
        list_style |= LBS_OWNERDRAWFIXED;
    if (cs.style & CBS_OWNERDRAWVARIABLE)
        list_style |= LBS_OWNERDRAWVARIABLE;
    if (cs.style & CBS_HASSTRINGS)
        list_style |= LBS_HASSTRINGS;
    m_list = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, combo_list_class, "", list_style, 0, 0, 0, 0,
                            m_window, nullptr, cs.hInstance, nullptr);
    if (!m_list)
        return -1;
    const HWND self = m_window;
    if (auto lb = ListBox::of(m_list)) {
        lb->on_pick([self](int index) {
            if (auto combo = combo_boxes().get(self)) {
                if (index >= 0)
                    combo->picked(index);
                else
                    combo->close(false, true);
            }
        });
    }
    if (has_edit()) {
        DWORD edit_style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
        if (cs.style & CBS_UPPERCASE)
            edit_style |= ES_UPPERCASE;
        if (cs.style & CBS_LOWERCASE)
            edit_style |= ES_LOWERCASE;
        m_edit = CreateWindowEx(0, "Edit", "", edit_style, 0, 0, 0, 0, m_window,
                                reinterpret_cast<HMENU>(static_cast<intptr_t>(edit_id)), cs.hInstance, nullptr);
        if (!m_edit)
            return -1;
        SetWindowLongPtr(m_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboBox::edit_procedure));
    }
    // The scroll bar styles are the list's: the box itself shows no bar.
    ShowScrollBar(m_window, SB_BOTH, FALSE);
    SetWindowPos(m_window, nullptr, 0, 0, cs.cx, m_field_height + frame_height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT ComboBox::on_destroy()
{
    if (m_list && IsWindow(m_list))
        DestroyWindow(m_list);
    m_list = nullptr;
    m_dropped = false;
    return 0;
}

// A new height given to the combo box is the dropped list's; the box keeps
// the field's.
LRESULT ComboBox::on_window_pos_changing(LPARAM lParam)
{
    auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
    const int field = m_field_height + frame_height;
    if (pos && !(pos->flags & SWP_NOSIZE) && pos->cy != field) {
        m_dropped_height = std::max(pos->cy - field, default_item_height + 2);
        pos->cy = field;
    }
    return DefWindowProc(m_window, WM_WINDOWPOSCHANGING, 0, lParam);
}

LRESULT ComboBox::on_size()
{
    if (m_edit) {
        RECT r = item_rect();
        MoveWindow(m_edit, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    return 0;
}

LRESULT ComboBox::on_set_cur_sel(WPARAM index)
{
    const LRESULT r = list(LB_SETCURSEL, index);
    show_selection_in_edit();
    InvalidateRect(m_window, nullptr, TRUE);
    return r == LB_ERR ? CB_ERR : r;
}

LRESULT ComboBox::on_select_string(WPARAM start, LPARAM text)
{
    const LRESULT found = list(LB_FINDSTRING, start, text);
    if (found == LB_ERR)
        return CB_ERR;
    return on_set_cur_sel(static_cast<WPARAM>(found));
}

LRESULT ComboBox::on_reset_content()
{
    list(LB_RESETCONTENT);
    if (m_edit)
        set_edit_text("");
    InvalidateRect(m_window, nullptr, TRUE);
    return CB_OKAY;
}

LRESULT ComboBox::on_delete_string(WPARAM index)
{
    const LRESULT r = list(LB_DELETESTRING, index);
    InvalidateRect(m_window, nullptr, TRUE);
    return r;
}

// The program's drop and close, without notifications.
LRESULT ComboBox::on_show_dropdown(WPARAM show)
{
    if (show)
        drop(false);
    else
        close(true, false);
    return TRUE;
}

LRESULT ComboBox::on_dropped_rect(LPARAM rect) const
{
    if (!rect)
        return CB_ERR;
    RECT r;
    GetWindowRect(m_window, &r);
    r.bottom = r.top + m_field_height + frame_height + m_dropped_height;
    r.right = r.left + std::max<LONG>(m_dropped_width, r.right - r.left);
    *reinterpret_cast<RECT*>(rect) = r;
    return TRUE;
}

LRESULT ComboBox::on_set_item_height(WPARAM index, LPARAM height)
{
    if (static_cast<int>(index) != -1)
        return list(LB_SETITEMHEIGHT, index, height) == LB_ERR ? CB_ERR : 0;
    const int h = LOWORD(height);
    if (h <= 0 || h > 255)
        return CB_ERR;
    m_field_height = h;
    RECT r;
    GetWindowRect(m_window, &r);
    const int dropped = m_dropped_height;
    SetWindowPos(m_window, nullptr, 0, 0, r.right - r.left, m_field_height + frame_height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_dropped_height = dropped;
    return 0;
}

LRESULT ComboBox::on_get_item_height(WPARAM index) const
{
    if (static_cast<int>(index) == -1)
        return m_field_height;
    return list(LB_GETITEMHEIGHT, index);
}

LRESULT ComboBox::on_edit_sel(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_edit)
        return CB_ERR;
    if (message == CB_GETEDITSEL)
        return SendMessage(m_edit, EM_GETSEL, wParam, lParam);
    SendMessage(m_edit, EM_SETSEL, static_cast<WPARAM>(static_cast<short>(LOWORD(lParam))),
                static_cast<LPARAM>(static_cast<short>(HIWORD(lParam))));
    return TRUE;
}

LRESULT ComboBox::on_get_info(LPARAM lParam) const
{
    auto* info = reinterpret_cast<COMBOBOXINFO*>(lParam);
    if (!info || info->cbSize != sizeof(COMBOBOXINFO))
        return FALSE;
    info->rcItem = item_rect();
    info->rcButton = button_rect();
    info->stateButton = m_dropped ? STATE_SYSTEM_PRESSED : 0;
    info->hwndCombo = m_window;
    info->hwndItem = m_edit;
    info->hwndList = m_list;
    return TRUE;
}

// A drop-down list shows one of its items: the text selects the item it
// names exactly, or fails.
LRESULT ComboBox::on_set_text(LPARAM text)
{
    if (m_edit) {
        set_edit_text(text ? reinterpret_cast<const char*>(text) : "");
        return TRUE;
    }
    const LRESULT found = list(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text);
    if (found == LB_ERR)
        return CB_ERR;
    on_set_cur_sel(static_cast<WPARAM>(found));
    return TRUE;
}

LRESULT ComboBox::on_get_text(WPARAM size, LPARAM buffer) const
{
    if (m_edit)
        return SendMessage(m_edit, WM_GETTEXT, size, buffer);
    auto* out = reinterpret_cast<char*>(buffer);
    if (!out || size == 0)
        return 0;
    std::string text;
    const int sel = selection();
    if (sel >= 0) {
        text.resize(static_cast<size_t>(std::max<LRESULT>(list(LB_GETTEXTLEN, static_cast<WPARAM>(sel)), 0)) + 1);
        list(LB_GETTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(text.data()));
        text.resize(text.size() - 1);
    }
    return copy_out(text, out, size);
}

LRESULT ComboBox::on_get_text_length() const
{
    if (m_edit)
        return SendMessage(m_edit, WM_GETTEXTLENGTH, 0, 0);
    const int sel = selection();
    return sel >= 0 ? list(LB_GETTEXTLEN, static_cast<WPARAM>(sel)) : 0;
}

// While dropped, Enter and Escape close the list instead of reaching the
// dialog's buttons.
LRESULT ComboBox::on_get_dlg_code(LPARAM lParam) const
{
    LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (m_dropped && msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
        code |= DLGC_WANTMESSAGE;
    return code;
}

LRESULT ComboBox::on_set_focus(WPARAM previous)
{
    if (m_edit) {
        m_focus_from = reinterpret_cast<HWND>(previous);
        SetFocus(m_edit);
        return 0;
    }
    InvalidateRect(m_window, nullptr, TRUE);
    notify_parent(m_window, CBN_SETFOCUS);
    return 0;
}

LRESULT ComboBox::on_kill_focus(WPARAM next)
{
    if (m_edit)
        return 0;
    if (ours(reinterpret_cast<HWND>(next)))
        return 0;
    close(false, true);
    InvalidateRect(m_window, nullptr, TRUE);
    notify_parent(m_window, CBN_KILLFOCUS);
    return 0;
}

// The edit's notifications become the combo box's own.
LRESULT ComboBox::on_command(WPARAM wParam, LPARAM lParam)
{
    if (!m_edit || hwnd_of(lParam) != m_edit)
        return 0;
    switch (HIWORD(wParam)) {
    case EN_SETFOCUS:
        SendMessage(m_edit, EM_SETSEL, 0, static_cast<LPARAM>(-1));
        if (m_focus_outside)
            notify_parent(m_window, CBN_SETFOCUS);
        return 0;
    case EN_KILLFOCUS:
        if (m_focus_outside)
            notify_parent(m_window, CBN_KILLFOCUS);
        return 0;
    case EN_CHANGE:
        if (!m_setting_edit)
            notify_parent(m_window, CBN_EDITCHANGE);
        return 0;
    case EN_UPDATE:
        if (!m_setting_edit)
            notify_parent(m_window, CBN_EDITUPDATE);
        return 0;
    case EN_MAXTEXT:
        return 0;
    default:
        return 0;
    }
}

// A drop-down list drops or closes wherever it is clicked; a drop-down
// only on its button (the edit takes the rest).
LRESULT ComboBox::on_button_down(LPARAM lParam)
{
    if (!IsWindowEnabled(m_window))
        return 0;
    const HWND focus_target = m_edit ? m_edit : m_window;
    if (GetFocus() != focus_target)
        SetFocus(focus_target);
    const POINT p = point_of(lParam);
    const RECT button = button_rect();
    if (m_edit && !PtInRect(&button, p))
        return 0;
    if (m_dropped)
        close(false, true);
    else
        drop(true);
    return 0;
}

// A typed character selects the next item that starts with it.
LRESULT ComboBox::on_char(WPARAM ch)
{
    const char c = static_cast<char>(ch & 0xFF);
    if (m_edit || static_cast<unsigned char>(c) < 0x20)
        return 0;
    const char text[2] = {c, '\0'};
    const LRESULT found = list(LB_FINDSTRING, static_cast<WPARAM>(selection()), reinterpret_cast<LPARAM>(text));
    if (found != LB_ERR)
        select_by_operator(static_cast<int>(found));
    return 0;
}

// The sunken field with the arrow button (pressed while dropped); a
// drop-down list shows the selected item, highlighted while focused. The
// list itself paints as a list box in its own popup.
LRESULT ComboBox::on_paint()
{
    const bool enabled = IsWindowEnabled(m_window) != FALSE;
    PaintScope paint(m_window, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
    m_brush = paint.brush();
    HDC dc = paint.dc();
    if (!dc)
        return 0;
    RECT field = paint.client();
    DrawEdge(dc, &field, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    FillRect(dc, &field, m_brush);
    RECT button = button_rect();
    UINT state = DFCS_SCROLLCOMBOBOX;
    if (m_dropped)
        state |= DFCS_PUSHED | DFCS_FLAT;
    if (!enabled)
        state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &button, DFC_SCROLL, state);
    if (has_edit())
        return 0;
    RECT item = item_rect();
    const bool highlighted = GetFocus() == m_window && !m_dropped;
    if (highlighted) {
        FillRect(dc, &item, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else if (!enabled) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    }
    const int index = selection();
    if (index >= 0) {
        std::string text(static_cast<size_t>(std::max<LRESULT>(0, list(LB_GETTEXTLEN, index))), '\0');
        if (!text.empty())
            list(LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        text.resize(std::strlen(text.c_str()));
        RECT where = item;
        where.left += 2;
        SetBkMode(dc, TRANSPARENT);
        DrawText(dc, text.c_str(), -1, &where, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (highlighted)
        DrawFocusRect(dc, &item);
    return 0;
}

bool ComboBox::on_operator_key(WPARAM key, bool alt)
{
    if ((key == VK_F4 && !alt) || (alt && (key == VK_DOWN || key == VK_UP))) {
        if (m_dropped)
            close(true, true);
        else
            drop(true);
        return true;
    }
    if (alt)
        return false;
    if (m_dropped && (key == VK_RETURN || key == VK_ESCAPE)) {
        close(key == VK_RETURN, true);
        return true;
    }
    const int count = static_cast<int>(list(LB_GETCOUNT));
    const int sel = selection();
    const int page = std::max(1, m_dropped_height / std::max(1, static_cast<int>(list(LB_GETITEMHEIGHT))) - 1);
    int to;
    switch (key) {
    case VK_UP:
        to = sel < 0 ? 0 : sel - 1;
        break;
    case VK_DOWN:
        to = sel < 0 ? 0 : sel + 1;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END:
        // The edit of a drop-down moves its caret with these.
        if (m_edit)
            return false;
        to = key == VK_LEFT ? sel - 1 : key == VK_RIGHT ? sel + 1 : key == VK_HOME ? 0 : count - 1;
        break;
    case VK_PRIOR:
        to = sel - page;
        break;
    case VK_NEXT:
        to = sel + page;
        break;
    default:
        return false;
    }
    if (count > 0)
        select_by_operator(std::clamp(to, 0, count - 1));
    return true;
}

void ComboBox::select_by_operator(int index)
{
    if (index == selection())
        return;
    list(LB_SETCURSEL, static_cast<WPARAM>(index));
    show_selection_in_edit();
    InvalidateRect(m_window, nullptr, TRUE);
    notify_parent(m_window, CBN_SELCHANGE);
}

// The pick is made, the list closes with CBN_SELENDOK and CBN_CLOSEUP, and
// CBN_SELCHANGE follows when the selection moved.
void ComboBox::picked(int index)
{
    const int before = selection();
    list(LB_SETCURSEL, static_cast<WPARAM>(index));
    show_selection_in_edit();
    InvalidateRect(m_window, nullptr, TRUE);
    close(true, true);
    if (index != before && IsWindow(m_window))
        notify_parent(m_window, CBN_SELCHANGE);
}

void ComboBox::drop(bool notify)
{
    if (m_dropped || !m_list)
        return;
    if (notify)
        notify_parent(m_window, CBN_DROPDOWN);
    if (!IsWindow(m_window) || !m_list)
        return;
    RECT r;
    GetWindowRect(m_window, &r);
    const int item = std::max(1, static_cast<int>(list(LB_GETITEMHEIGHT)));
    const int items = std::max(1, static_cast<int>(list(LB_GETCOUNT)));
    const int border = 2 * GetSystemMetrics(SM_CXBORDER);
    const int height = std::min(m_dropped_height, items * item + border);
    const int width = std::max<int>(m_dropped_width, r.right - r.left);
    m_dropped = true;
    SetWindowPos(m_list, HWND_TOPMOST, r.left, r.bottom, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // The list has the mouse while dropped, so a click anywhere else closes it.
    capture_mouse(m_list);
    const int sel = selection();
    if (sel >= 0) {
        list(LB_SETCARETINDEX, static_cast<WPARAM>(sel));
        list(LB_SETCURSEL, static_cast<WPARAM>(sel));
    }
    InvalidateRect(m_window, nullptr, TRUE);
}

void ComboBox::close(bool ok, bool notify)
{
    if (!m_dropped)
        return;
    m_dropped = false;
    if (m_list)
        release_mouse(m_list);
    if (notify)
        notify_parent(m_window, ok ? CBN_SELENDOK : CBN_SELENDCANCEL);
    if (m_list && IsWindow(m_list))
        ShowWindow(m_list, SW_HIDE);
    if (IsWindow(m_window))
        InvalidateRect(m_window, nullptr, TRUE);
    if (notify && IsWindow(m_window))
        notify_parent(m_window, CBN_CLOSEUP);
}

void ComboBox::show_selection_in_edit()
{
    if (!m_edit)
        return;
    const int sel = selection();
    std::string text;
    if (sel >= 0) {
        text.resize(static_cast<size_t>(std::max<LRESULT>(list(LB_GETTEXTLEN, static_cast<WPARAM>(sel)), 0)) + 1);
        list(LB_GETTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(text.data()));
        text.resize(text.size() - 1);
    }
    set_edit_text(text.c_str());
    if (GetFocus() == m_edit)
        SendMessage(m_edit, EM_SETSEL, 0, static_cast<LPARAM>(-1));
}

void ComboBox::set_edit_text(const char* text)
{
    const bool was = m_setting_edit;
    m_setting_edit = true;
    SendMessage(m_edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    m_setting_edit = was;
}

RECT ComboBox::button_rect() const
{
    RECT client;
    GetClientRect(m_window, &client);
    const int width = GetSystemMetrics(SM_CXVSCROLL);
    return {std::max<LONG>(client.right - edge - width, 0), edge, std::max<LONG>(client.right - edge, 0),
            std::max<LONG>(client.bottom - edge, edge)};
}

RECT ComboBox::item_rect() const
{
    RECT client;
    GetClientRect(m_window, &client);
    const RECT button = button_rect();
    const LONG inner = edge + 1;
    return {inner, inner, std::max(button.left - 1, inner), std::max<LONG>(client.bottom - inner, inner)};
}

// The combo box's edit, subclassed: the operator's list keys and the focus
// moves that cross the combo box's border are the combo box's business.
LRESULT CALLBACK ComboBox::edit_procedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto combo = combo_boxes().get(GetParent(edit));
    if (!combo || combo->m_edit != edit)
        return Edit::procedure(edit, message, wParam, lParam);
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        note_modifier_key(message, wParam);
        if (combo->on_operator_key(wParam, message == WM_SYSKEYDOWN))
            return 0;
        break;
    case WM_CHAR:
        if (combo->m_dropped && (wParam == '\r' || wParam == 0x1B))
            return 0;
        break;
    case WM_GETDLGCODE: {
        LRESULT code = Edit::procedure(edit, message, wParam, lParam);
        return code | combo->on_get_dlg_code(lParam);
    }
    case WM_SETFOCUS: {
        HWND from = reinterpret_cast<HWND>(wParam);
        if (from == combo->m_window)
            from = combo->m_focus_from;
        combo->m_focus_outside = !combo->ours(from);
        break;
    }
    case WM_KILLFOCUS:
        combo->m_focus_outside = !combo->ours(reinterpret_cast<HWND>(wParam));
        if (combo->m_focus_outside)
            combo->close(false, true);
        break;
    default:
        break;
    }
    return Edit::procedure(edit, message, wParam, lParam);
}

}  // namespace helm::user::controls
