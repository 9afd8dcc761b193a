#include "ip_address.h"

#include <algorithm>
#include <cstring>

namespace helm::user::commctrl {

namespace {
controls::ControlMap<IpAddress>& controls_of_class()
{
    static auto* map = new controls::ControlMap<IpAddress>;
    return *map;
}

// The edit notifications the control passes on to its parent.
constexpr int en_setfocus = 0x0100;
constexpr int en_killfocus = 0x0200;
constexpr int en_change = 0x0300;
}  // namespace

IpAddress::IpAddress(HWND window, const CREATESTRUCT&) : m_window(window) {}

LRESULT CALLBACK IpAddress::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return controls::run_control(controls_of_class(), window, message, wParam, lParam,
                                 [](HWND w, const CREATESTRUCT& cs) { return std::make_shared<IpAddress>(w, cs); });
}

void IpAddress::set_value(int field, int value)
{
    m_fields[static_cast<size_t>(field)].digits = value < 0 ? std::string() : std::to_string(value);
}

int IpAddress::blank_count() const
{
    return static_cast<int>(std::count_if(m_fields.begin(), m_fields.end(), [](const Field& f) {
        return f.digits.empty();
    }));
}

DWORD IpAddress::address() const
{
    DWORD a = 0;
    for (const Field& f : m_fields)
        a = (a << 8) | static_cast<DWORD>(std::max(0, value_of(f)) & 0xff);
    return a;
}

std::string IpAddress::text() const
{
    std::string t;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (i)
            t += '.';
        t += m_fields[i].digits;
    }
    return t;
}

void IpAddress::changed()
{
    InvalidateRect(m_window, nullptr, TRUE);
    controls::notify_parent(m_window, en_change);
}

void IpAddress::leave_field()
{
    Field& f = m_fields[static_cast<size_t>(m_field)];
    int value = value_of(f);
    if (value >= 0) {
        const int held = std::clamp(value, static_cast<int>(f.low), static_cast<int>(f.high));
        if (held != value) {
            set_value(m_field, held);
            value = held;
            changed();
        }
    }
    NMIPADDRESS block{};
    block.iField = m_field;
    block.iValue = value;
    const int field = m_field;
    notify(m_window, IPN_FIELDCHANGED, block.hdr);
    if (!IsWindow(m_window))
        return;
    // The parent may put another value in the field, within its range.
    Field& after = m_fields[static_cast<size_t>(field)];
    if (block.iValue != value && block.iValue >= after.low && block.iValue <= after.high) {
        set_value(field, block.iValue);
        InvalidateRect(m_window, nullptr, TRUE);
    }
}

void IpAddress::move_to(int next)
{
    next = std::clamp(next, 0, 3);
    if (next == m_field) {
        m_replace = true;
        return;
    }
    leave_field();
    m_field = next;
    m_replace = true;
}

LRESULT IpAddress::on_char(char c)
{
    Field& f = m_fields[static_cast<size_t>(m_field)];
    if (c >= '0' && c <= '9') {
        if (m_replace) {
            f.digits.clear();
            m_replace = false;
        }
        if (f.digits.size() >= 3)
            return 0;
        f.digits += c;
        changed();
        if (IsWindow(m_window) && f.digits.size() == 3 && m_field < 3)
            move_to(m_field + 1);
        return 0;
    }
    if (c == '.' || c == ' ') {
        if (!f.digits.empty() && m_field < 3)
            move_to(m_field + 1);
        return 0;
    }
    if (c == '\b') {
        if (m_replace || f.digits.empty()) {
            if (!f.digits.empty()) {
                f.digits.clear();
                m_replace = false;
                changed();
            } else if (m_field > 0) {
                move_to(m_field - 1);
                m_replace = false;
            }
            return 0;
        }
        f.digits.pop_back();
        changed();
        return 0;
    }
    return 0;
}

LRESULT IpAddress::on_key(WPARAM key)
{
    switch (key) {
    case VK_LEFT: move_to(m_field - 1); return 0;
    case VK_RIGHT: move_to(m_field + 1); return 0;
    case VK_HOME: move_to(0); return 0;
    case VK_END: move_to(3); return 0;
    case VK_DELETE:
        if (!m_fields[static_cast<size_t>(m_field)].digits.empty()) {
            m_fields[static_cast<size_t>(m_field)].digits.clear();
            changed();
        }
        return 0;
    default: return DefWindowProc(m_window, WM_KEYDOWN, key, 0);
    }
}

LRESULT IpAddress::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_WANTARROWS;
    case IPM_CLEARADDRESS:
        for (Field& f : m_fields)
            f.digits.clear();
        InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case IPM_SETADDRESS: {
        const auto a = static_cast<DWORD>(lParam);
        for (int i = 0; i < 4; ++i)
            set_value(i, static_cast<int>((a >> (8 * (3 - i))) & 0xff));
        InvalidateRect(m_window, nullptr, TRUE);
        return TRUE;
    }
    case IPM_GETADDRESS:
        if (auto* out = reinterpret_cast<DWORD*>(lParam))
            *out = address();
        return 4 - blank_count();
    case IPM_SETRANGE: {
        const auto low = static_cast<BYTE>(lParam & 0xff);
        const auto high = static_cast<BYTE>((lParam >> 8) & 0xff);
        if (wParam > 3 || low > high)
            return FALSE;
        m_fields[wParam].low = low;
        m_fields[wParam].high = high;
        return TRUE;
    }
    case IPM_SETFOCUS: {
        int field = static_cast<int>(wParam);
        if (wParam > 3) {
            // Past the fields: the first blank one, else the first.
            auto blank = std::find_if(m_fields.begin(), m_fields.end(), [](const Field& f) {
                return f.digits.empty();
            });
            field = blank == m_fields.end() ? 0 : static_cast<int>(blank - m_fields.begin());
        }
        if (GetFocus() != m_window)
            SetFocus(m_window);
        if (IsWindow(m_window))
            move_to(field);
        return 0;
    }
    case IPM_ISBLANK:
        return blank_count() == 4 ? TRUE : FALSE;
    case WM_GETTEXT:
        return controls::copy_out(text(), reinterpret_cast<char*>(lParam), wParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(text().size());
    case WM_SETTEXT: {
        // "a.b.c.d"; a part that is no number up to 255 is blank.
        const char* s = reinterpret_cast<const char*>(lParam);
        std::string t = s ? std::string(s, strnlen(s, 64)) : std::string();
        size_t start = 0;
        for (int i = 0; i < 4; ++i) {
            const size_t dot = std::min(t.find('.', start), t.size());
            const std::string part = start <= t.size() ? t.substr(start, dot - start) : std::string();
            const bool digits = !part.empty() && part.size() <= 3 &&
                                std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
            set_value(i, digits && std::stoi(part) <= 255 ? std::stoi(part) : -1);
            start = dot + 1;
        }
        InvalidateRect(m_window, nullptr, TRUE);
        return TRUE;
    }
    case WM_CHAR:
        return on_char(static_cast<char>(wParam));
    case WM_KEYDOWN:
        return on_key(wParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        RECT client{};
        GetClientRect(m_window, &client);
        const POINT p = controls::point_of(lParam);
        const int field = client.right > 0 ? std::clamp(static_cast<int>(p.x * 4 / client.right), 0, 3) : 0;
        if (GetFocus() != m_window)
            SetFocus(m_window);
        if (IsWindow(m_window))
            move_to(field);
        return 0;
    }
    case WM_SETFOCUS:
        m_has_focus = true;
        m_replace = true;
        controls::notify_parent(m_window, en_setfocus);
        return 0;
    case WM_KILLFOCUS:
        if (m_has_focus) {
            m_has_focus = false;
            leave_field();
            if (IsWindow(m_window))
                controls::notify_parent(m_window, en_killfocus);
        }
        return 0;
    case WM_PAINT:
        return on_paint();
    case WM_ENABLE:
        InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

// An edit's colours (the button face when disabled), each field's digits
// centred in its quarter and the dots between.
LRESULT IpAddress::on_paint()
{
    const bool enabled = IsWindowEnabled(m_window) != FALSE;
    controls::PaintScope paint(m_window, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
    HDC dc = paint.dc();
    if (!dc)
        return 0;
    RECT client = paint.client();
    FillRect(dc, &client, enabled && paint.brush() ? paint.brush() : GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_3DFACE));
    const int width = client.right / 4;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    for (int i = 0; i < 4; ++i) {
        RECT field{i * width, 0, (i + 1) * width, client.bottom};
        const std::string& digits = m_fields[static_cast<size_t>(i)].digits;
        DrawText(dc, digits.c_str(), static_cast<int>(digits.size()), &field, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (i < 3) {
            RECT dot{(i + 1) * width - 3, 0, (i + 1) * width + 3, client.bottom};
            DrawText(dc, ".", 1, &dot, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    return 0;
}

}  // namespace helm::user::commctrl
