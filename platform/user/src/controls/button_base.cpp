#include "button_base.h"

#include "check_box.h"
#include "group_box.h"
#include "helm/user/controls.h"
#include "push_button.h"
#include "radio_button.h"

namespace helm::user::controls {

namespace {
ControlMap<ButtonBase>& buttons()
{
    static auto* map = new ControlMap<ButtonBase>;
    return *map;
}

// The kind is fixed when the button is made; BM_SETSTYLE moves a push
// button between plain and default.
std::shared_ptr<ButtonBase> make_button(HWND window, DWORD style)
{
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
        return std::make_shared<CheckBox>(window);
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return std::make_shared<RadioButton>(window);
    case BS_GROUPBOX:
        return std::make_shared<GroupBox>(window);
    default:
        return std::make_shared<PushButton>(window);
    }
}
}  // namespace

LRESULT CALLBACK ButtonBase::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return run_control(buttons(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return make_button(w, static_cast<DWORD>(cs.style));
    });
}

LRESULT ButtonBase::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return dlg_code();
    case WM_NCHITTEST:
        // A group box lets clicks through to the controls drawn inside it.
        return takes_input() ? DefWindowProc(m_window, message, wParam, lParam) : HTTRANSPARENT;
    case WM_LBUTTONDOWN:
        return on_button_down();
    case WM_MOUSEMOVE:
        return on_mouse_move(lParam);
    case WM_LBUTTONUP:
        return on_button_up(lParam);
    case WM_LBUTTONDBLCLK:
        return on_double_click();
    case WM_KEYDOWN:
        return on_key_down(wParam);
    case WM_KEYUP:
        return on_key_up(wParam);
    case WM_SETFOCUS:
        return on_set_focus();
    case WM_KILLFOCUS:
        return on_kill_focus();
    case WM_CANCELMODE:
        release_mouse(m_window);
        m_mouse_tracking = false;
        set_pushed(false);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != m_window) {
            m_mouse_tracking = false;
            set_pushed(false);
        }
        return 0;
    case WM_ENABLE:
        InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case BM_GETCHECK:
        return checkable() ? m_check : BST_UNCHECKED;
    case BM_SETCHECK:
        return on_set_check(wParam);
    case BM_GETSTATE:
        return on_get_state();
    case BM_SETSTATE:
        return on_set_state(wParam);
    case BM_SETSTYLE:
        return on_set_style(wParam);
    case BM_CLICK:
        return on_click();
    case BM_SETIMAGE:
        return on_set_image(wParam, lParam);
    case BM_GETIMAGE:
        return on_get_image(wParam);
    case WM_SETTEXT: {
        LRESULT r = DefWindowProc(m_window, message, wParam, lParam);
        InvalidateRect(m_window, nullptr, TRUE);
        return r;
    }
    case WM_PAINT:
        return on_paint();
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

void ButtonBase::set_check(UINT state)
{
    if (state == m_check)
        return;
    m_check = state;
    // A checked radio button is where Tab lands in its group.
    const DWORD t = type();
    if (t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON) {
        DWORD s = style();
        SetWindowLong(m_window, GWL_STYLE, static_cast<LONG>(state ? (s | WS_TABSTOP) : (s & ~WS_TABSTOP)));
    }
    InvalidateRect(m_window, nullptr, TRUE);
}

void ButtonBase::set_pushed(bool pushed)
{
    if (pushed == m_pushed)
        return;
    m_pushed = pushed;
    InvalidateRect(m_window, nullptr, TRUE);
}

// The kind's own change, then the parent hears of the click.
void ButtonBase::activate()
{
    on_activated();
    notify_parent(m_window, BN_CLICKED);
}

LRESULT ButtonBase::on_button_down()
{
    if (!takes_input() || !IsWindowEnabled(m_window))
        return 0;
    SetFocus(m_window);
    m_mouse_tracking = true;
    capture_mouse(m_window);
    set_pushed(true);
    return 0;
}

LRESULT ButtonBase::on_mouse_move(LPARAM lParam)
{
    if (m_mouse_tracking)
        set_pushed(in_client(m_window, point_of(lParam)));
    return 0;
}

LRESULT ButtonBase::on_button_up(LPARAM lParam)
{
    if (!m_mouse_tracking)
        return 0;
    m_mouse_tracking = false;
    release_mouse(m_window);
    set_pushed(false);
    if ((m_clicking || in_client(m_window, point_of(lParam))) && IsWindowEnabled(m_window))
        activate();
    return 0;
}

// Windows gives buttons double clicks: a radio button or one with
// BS_NOTIFY reports them, any other takes it as a second press.
LRESULT ButtonBase::on_double_click()
{
    const DWORD t = type();
    if ((style() & BS_NOTIFY) || t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON) {
        if (takes_input() && IsWindowEnabled(m_window))
            notify_parent(m_window, BN_DOUBLECLICKED);
        return 0;
    }
    return on_button_down();
}

LRESULT ButtonBase::on_key_down(WPARAM key)
{
    note_modifier_key(WM_KEYDOWN, key);
    if (key == VK_SPACE && takes_input() && !m_mouse_tracking) {
        m_space_down = true;
        set_pushed(true);
    }
    return 0;
}

LRESULT ButtonBase::on_key_up(WPARAM key)
{
    note_modifier_key(WM_KEYUP, key);
    if (key == VK_SPACE && m_space_down) {
        m_space_down = false;
        set_pushed(false);
        if (IsWindowEnabled(m_window))
            activate();
    }
    return 0;
}

LRESULT ButtonBase::on_set_focus()
{
    m_focused = true;
    InvalidateRect(m_window, nullptr, TRUE);
    if (style() & BS_NOTIFY)
        notify_parent(m_window, BN_SETFOCUS);
    return 0;
}

// Losing the focus cancels a press in progress without a click.
LRESULT ButtonBase::on_kill_focus()
{
    m_focused = false;
    m_space_down = false;
    if (m_mouse_tracking)
        release_mouse(m_window);
    m_mouse_tracking = false;
    set_pushed(false);
    if (style() & BS_NOTIFY)
        notify_parent(m_window, BN_KILLFOCUS);
    return 0;
}

LRESULT ButtonBase::on_set_check(WPARAM state)
{
    if (!checkable())
        return 0;
    const DWORD t = type();
    UINT s = static_cast<UINT>(state) & (BST_CHECKED | BST_INDETERMINATE);
    if (t != BS_3STATE && t != BS_AUTO3STATE && s)
        s = BST_CHECKED;
    set_check(s);
    return 0;
}

LRESULT ButtonBase::on_get_state() const
{
    return (checkable() ? m_check : 0) | (m_pushed ? BST_PUSHED : 0) | (m_focused ? BST_FOCUS : 0);
}

LRESULT ButtonBase::on_set_state(WPARAM pushed)
{
    set_pushed(pushed != 0);
    return 0;
}

LRESULT ButtonBase::on_set_style(WPARAM style)
{
    DWORD s = this->style();
    DWORD type = static_cast<DWORD>(style) & BS_TYPEMASK;
    // Only plain and default push buttons trade places; other kinds keep theirs.
    const DWORD current = s & BS_TYPEMASK;
    const bool push_pair = (current == BS_PUSHBUTTON || current == BS_DEFPUSHBUTTON) &&
                           (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
    if (push_pair && type != current) {
        SetWindowLong(m_window, GWL_STYLE, static_cast<LONG>((s & ~BS_TYPEMASK) | type));
        InvalidateRect(m_window, nullptr, TRUE);
    }
    return 0;
}

// As an operator's click: down and up inside the button.
LRESULT ButtonBase::on_click()
{
    if (!takes_input() || !IsWindowEnabled(m_window))
        return 0;
    m_clicking = true;
    SendMessage(m_window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessage(m_window, WM_LBUTTONUP, 0, 0);
    m_clicking = false;
    return 0;
}

LRESULT ButtonBase::on_set_image(WPARAM type, LPARAM image)
{
    HANDLE* slot = type == IMAGE_ICON ? &m_icon : type == IMAGE_BITMAP ? &m_bitmap : nullptr;
    if (!slot)
        return 0;
    HANDLE old = *slot;
    *slot = reinterpret_cast<HANDLE>(image);
    InvalidateRect(m_window, nullptr, TRUE);
    return reinterpret_cast<LRESULT>(old);
}

LRESULT ButtonBase::on_get_image(WPARAM type) const
{
    if (type == IMAGE_ICON)
        return reinterpret_cast<LRESULT>(m_icon);
    if (type == IMAGE_BITMAP)
        return reinterpret_cast<LRESULT>(m_bitmap);
    return 0;
}

LRESULT ButtonBase::on_paint()
{
    PaintScope paint(m_window, ctlcolor_message());
    if (paint.dc())
        draw(paint);
    return 0;
}

void ButtonBase::draw(const PaintScope& paint)
{
    FillRect(paint.dc(), &paint.client(), paint.brush());
}

std::string ButtonBase::text() const
{
    char buffer[1024];
    int n = GetWindowText(m_window, buffer, sizeof buffer);
    return std::string(buffer, static_cast<size_t>(std::max(n, 0)));
}

RECT ButtonBase::draw_label(HDC dc, RECT rect, UINT format) const
{
    const DWORD s = style();
    const std::string label = text();
    if (s & BS_MULTILINE)
        format = (format & ~(DT_SINGLELINE | DT_VCENTER)) | DT_WORDBREAK;
    switch (s & BS_CENTER) {
    case BS_LEFT: format = (format & ~(DT_CENTER | DT_RIGHT)) | DT_LEFT; break;
    case BS_RIGHT: format = (format & ~(DT_CENTER | DT_LEFT)) | DT_RIGHT; break;
    case BS_CENTER: format = (format & ~(DT_LEFT | DT_RIGHT)) | DT_CENTER; break;
    default: break;
    }
    // Where the text will land: measured, then placed as DrawText places it.
    RECT extent = rect;
    DrawText(dc, label.c_str(), -1, &extent, (format & ~(DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
    const int w = extent.right - extent.left, h = extent.bottom - extent.top;
    RECT placed{rect.left, rect.top, rect.left + w, rect.top + h};
    if (format & DT_CENTER)
        OffsetRect(&placed, (rect.right - rect.left - w) / 2, 0);
    else if (format & DT_RIGHT)
        OffsetRect(&placed, rect.right - rect.left - w, 0);
    const DWORD vertical = s & BS_VCENTER;
    if (vertical == BS_TOP) {
    } else if (vertical == BS_BOTTOM) {
        OffsetRect(&placed, 0, rect.bottom - rect.top - h);
    } else {
        OffsetRect(&placed, 0, (rect.bottom - rect.top - h) / 2);
    }
    RECT target = placed;
    target.right = std::max(target.right, rect.right);
    target.left = std::min(target.left, rect.left);
    if (format & DT_CENTER)
        target = RECT{rect.left, placed.top, rect.right, placed.bottom};
    const UINT draw_format = (format & ~(DT_VCENTER | DT_BOTTOM)) | DT_NOCLIP;
    SetBkMode(dc, TRANSPARENT);
    if (IsWindowEnabled(m_window))
        DrawText(dc, label.c_str(), -1, &target, draw_format);
    else
        draw_grey_text(dc, label.c_str(), -1, target, draw_format);
    return placed;
}

void ButtonBase::draw_push(const PaintScope& paint, bool down, bool default_frame)
{
    HDC dc = paint.dc();
    RECT r = paint.client();
    if (default_frame) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    if (down) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        InflateRect(&r, -1, -1);
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        InflateRect(&r, -1, -1);
    } else {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE | BF_ADJUST);
    }
    RECT inside = paint.client();
    InflateRect(&inside, -4, -4);
    RECT label = inside;
    if (down)
        OffsetRect(&label, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const UINT image_type = (style() & BS_ICON) ? IMAGE_ICON : IMAGE_BITMAP;
    HANDLE image = (style() & BS_ICON) ? m_icon : (style() & BS_BITMAP) ? m_bitmap : nullptr;
    if (image) {
        const SIZE size = image_size(image_type, image);
        draw_image(dc, image_type, image, (label.left + label.right - size.cx) / 2,
                   (label.top + label.bottom - size.cy) / 2);
    } else {
        draw_label(dc, label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    if (m_focused)
        DrawFocusRect(dc, &inside);
}

void ButtonBase::draw_marked(const PaintScope& paint, UINT kind)
{
    const DWORD s = style();
    if (s & BS_PUSHLIKE) {
        draw_push(paint, m_pushed || m_check != BST_UNCHECKED, false);
        return;
    }
    HDC dc = paint.dc();
    const RECT& client = paint.client();
    FillRect(dc, &client, paint.brush());
    constexpr int box = 13, gap = 4;
    const bool right = (s & BS_LEFTTEXT) != 0;
    RECT mark{right ? client.right - box : client.left, client.top, 0, 0};
    mark.right = mark.left + box;
    const DWORD vertical = s & BS_VCENTER;
    mark.top = vertical == BS_TOP ? client.top
             : vertical == BS_BOTTOM ? client.bottom - box
                                     : client.top + (client.bottom - client.top - box) / 2;
    mark.bottom = mark.top + box;
    UINT state = kind;
    if (m_check == BST_CHECKED)
        state |= DFCS_CHECKED;
    if (m_check == BST_INDETERMINATE)
        state |= DFCS_CHECKED | DFCS_BUTTON3STATE;
    if (m_pushed)
        state |= DFCS_PUSHED;
    if (!IsWindowEnabled(m_window))
        state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &mark, DFC_BUTTON, state);
    RECT label = client;
    if (right)
        label.right -= box + gap;
    else
        label.left += box + gap;
    RECT placed = draw_label(dc, label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (m_focused && !text().empty()) {
        InflateRect(&placed, 1, 1);
        IntersectRect(&placed, &placed, &client);
        DrawFocusRect(dc, &placed);
    }
}

}  // namespace helm::user::controls
