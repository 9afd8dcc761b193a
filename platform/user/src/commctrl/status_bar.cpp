#include "status_bar.h"

#include <algorithm>
#include <cstring>

namespace helm::user::commctrl {

namespace {
controls::ControlMap<StatusBar>& bars()
{
    static auto* map = new controls::ControlMap<StatusBar>;
    return *map;
}

// Windows keeps at most this many parts.
constexpr size_t max_parts = 256;
// A part's text is kept up to this many characters.
constexpr size_t max_text = 4096;
// The classic borders: none at the ends, 2 above and below, 2 between
// parts; the bar is the text's height and these.
constexpr int border_horizontal = 0;
constexpr int border_vertical = 2;
constexpr int border_between = 2;
constexpr int text_height = controls::default_item_height;
}  // namespace

StatusBar::StatusBar(HWND window, const CREATESTRUCT&) : m_window(window) {}

LRESULT CALLBACK StatusBar::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return controls::run_control(bars(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<StatusBar>(w, cs);
    });
}

StatusBar::Part* StatusBar::part(WPARAM index)
{
    const auto i = static_cast<size_t>(index & 0xff);
    if (i == SB_SIMPLEID)
        return &m_simple;
    return i < m_parts.size() ? &m_parts[i] : nullptr;
}

LRESULT StatusBar::set_text(WPARAM index_and_kind, const char* text)
{
    Part* p = part(index_and_kind);
    if (!p)
        return FALSE;
    p->kind = static_cast<WORD>(index_and_kind & 0xff00);
    // An owner-drawn part's "text" is the program's value, kept as it is.
    if (p->kind & SBT_OWNERDRAW)
        p->text.assign(reinterpret_cast<const char*>(&text), sizeof text);
    else
        p->text = text ? std::string(text, strnlen(text, max_text)) : std::string();
    InvalidateRect(m_window, nullptr, TRUE);
    return TRUE;
}

LRESULT StatusBar::get_text(WPARAM index, char* buffer)
{
    Part* p = part(index);
    if (!p)
        return 0;
    if (p->kind & SBT_OWNERDRAW) {
        const char* value = nullptr;
        std::memcpy(&value, p->text.data(), sizeof value);
        return reinterpret_cast<LRESULT>(value);
    }
    // As on Windows the buffer has no size: SB_GETTEXTLENGTH tells it.
    if (buffer)
        std::memcpy(buffer, p->text.c_str(), p->text.size() + 1);
    return MAKELONG(p->text.size(), p->kind);
}

LRESULT StatusBar::set_parts(WPARAM count, const int* edges)
{
    if (count == 0 || count > max_parts || !edges)
        return FALSE;
    m_parts.resize(count);
    for (size_t i = 0; i < count; ++i)
        m_parts[i].right = edges[i];
    InvalidateRect(m_window, nullptr, TRUE);
    return TRUE;
}

bool StatusBar::rect_of(int index, RECT& r) const
{
    RECT client{};
    GetClientRect(m_window, &client);
    if (m_simple_mode) {
        if (index != 0 && index != SB_SIMPLEID)
            return false;
        r = {border_horizontal, border_vertical, client.right - border_horizontal, client.bottom};
        return true;
    }
    if (index < 0 || static_cast<size_t>(index) >= m_parts.size())
        return false;
    auto right_of = [&](size_t i) {
        const int edge = m_parts[i].right;
        return edge < 0 ? static_cast<int>(client.right) : edge;
    };
    r.left = index == 0 ? border_horizontal : right_of(static_cast<size_t>(index) - 1) + border_between;
    r.right = right_of(static_cast<size_t>(index));
    r.top = border_vertical;
    r.bottom = client.bottom;
    return true;
}

int StatusBar::height() const { return std::max(text_height + 3 * border_vertical + 1, m_min_height); }

void StatusBar::place()
{
    const DWORD style = controls::style_of(m_window);
    HWND parent = GetParent(m_window);
    if (!parent || (style & CCS_NORESIZE))
        return;
    RECT client{};
    GetClientRect(parent, &client);
    const int h = height();
    if (style & CCS_NOPARENTALIGN) {
        RECT own{};
        GetWindowRect(m_window, &own);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&own), 2);
        SetWindowPos(m_window, nullptr, own.left, own.top, own.right - own.left, h, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    const int top = (style & CCS_BOTTOM) == CCS_TOP ? 0 : client.bottom - h;
    SetWindowPos(m_window, nullptr, 0, top, client.right, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

int StatusBar::part_at(POINT p) const
{
    if (m_simple_mode)
        return SB_SIMPLEID;
    for (size_t i = 0; i < m_parts.size(); ++i) {
        RECT r{};
        if (rect_of(static_cast<int>(i), r) && p.x >= (i == 0 ? 0 : r.left - border_between) && p.x < r.right)
            return static_cast<int>(i);
    }
    return -1;
}

void StatusBar::on_mouse(UINT code, LPARAM lParam)
{
    NMMOUSE block{};
    block.pt = controls::point_of(lParam);
    const int at = part_at(block.pt);
    block.dwItemSpec = static_cast<DWORD_PTR>(static_cast<LONG_PTR>(at));
    notify(m_window, code, block.hdr);
}

LRESULT StatusBar::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        place();
        if (const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam); cs && cs->lpszName)
            set_text(0, cs->lpszName);
        return 0;
    case WM_SIZE:
        place();
        return 0;
    case SB_SETTEXTA:
        return set_text(wParam, reinterpret_cast<const char*>(lParam));
    case SB_GETTEXTA:
        return get_text(wParam, reinterpret_cast<char*>(lParam));
    case SB_GETTEXTLENGTHA: {
        Part* p = part(wParam);
        if (!p || (p->kind & SBT_OWNERDRAW))
            return 0;
        return MAKELONG(p->text.size(), p->kind);
    }
    case WM_SETTEXT:
        DefWindowProc(m_window, message, wParam, lParam);
        return set_text(0, reinterpret_cast<const char*>(lParam));
    case WM_GETTEXT:
        return controls::copy_out(m_parts[0].text, reinterpret_cast<char*>(lParam), wParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(m_parts[0].text.size());
    case SB_SETPARTS:
        return set_parts(wParam, reinterpret_cast<const int*>(lParam));
    case SB_GETPARTS: {
        auto* out = reinterpret_cast<int*>(lParam);
        const size_t n = std::min<size_t>(wParam, m_parts.size());
        for (size_t i = 0; out && i < n; ++i)
            out[i] = m_parts[i].right;
        return static_cast<LRESULT>(m_parts.size());
    }
    case SB_GETBORDERS:
        if (auto* out = reinterpret_cast<int*>(lParam)) {
            out[0] = border_horizontal;
            out[1] = border_vertical;
            out[2] = border_between;
            return TRUE;
        }
        return FALSE;
    case SB_SETMINHEIGHT:
        m_min_height = std::clamp(static_cast<int>(wParam), 0, 0x7fff);
        return 0;
    case SB_SIMPLE:
        if (m_simple_mode != (wParam != 0)) {
            m_simple_mode = wParam != 0;
            InvalidateRect(m_window, nullptr, TRUE);
            notify(m_window, SBN_SIMPLEMODECHANGE);
        }
        return 0;
    case SB_ISSIMPLE:
        return m_simple_mode ? TRUE : FALSE;
    case SB_GETRECT: {
        auto* out = reinterpret_cast<RECT*>(lParam);
        RECT r{};
        if (!out || !rect_of(static_cast<int>(wParam), r))
            return FALSE;
        *out = r;
        return TRUE;
    }
    case SB_SETICON: {
        Part* p = part(wParam == static_cast<WPARAM>(-1) ? SB_SIMPLEID : wParam);
        if (!p)
            return FALSE;
        p->icon = reinterpret_cast<HICON>(lParam);
        InvalidateRect(m_window, nullptr, TRUE);
        return TRUE;
    }
    case SB_GETICON: {
        Part* p = part(wParam == static_cast<WPARAM>(-1) ? SB_SIMPLEID : wParam);
        return p ? reinterpret_cast<LRESULT>(p->icon) : 0;
    }
    case SB_SETTIPTEXTA: {
        Part* p = part(wParam);
        const char* text = reinterpret_cast<const char*>(lParam);
        if (p)
            p->tip = text ? std::string(text, strnlen(text, max_text)) : std::string();
        return 0;
    }
    case SB_GETTIPTEXTA: {
        Part* p = part(LOWORD(wParam));
        if (p)
            controls::copy_out(p->tip, reinterpret_cast<char*>(lParam), HIWORD(wParam));
        return 0;
    }
    case SB_SETBKCOLOR: {
        const COLORREF before = m_background;
        m_background = static_cast<COLORREF>(lParam);
        InvalidateRect(m_window, nullptr, TRUE);
        return static_cast<LRESULT>(before);
    }
    case WM_LBUTTONUP:
        on_mouse(NM_CLICK, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        on_mouse(NM_DBLCLK, lParam);
        return 0;
    case WM_RBUTTONUP:
        on_mouse(NM_RCLICK, lParam);
        return 0;
    case WM_RBUTTONDBLCLK:
        on_mouse(NM_RDBLCLK, lParam);
        return 0;
    case WM_PAINT:
        return on_paint();
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

// The button face, each part in a thin sunken frame (raised with
// SBT_POPOUT, none with SBT_NOBORDERS) with its icon and text.
LRESULT StatusBar::on_paint()
{
    Paint paint(m_window);
    HDC dc = paint.dc();
    if (!dc)
        return 0;
    RECT client = paint.client();
    fill(dc, client, m_background, COLOR_3DFACE);
    auto draw = [&](const Part& p, RECT r) {
        if (!(p.kind & SBT_NOBORDERS))
            DrawEdge(dc, &r, (p.kind & SBT_POPOUT) ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        if (p.kind & SBT_OWNERDRAW)
            return;
        RECT text = r;
        text.left += 2;
        if (p.icon) {
            DrawIconEx(dc, text.left, text.top + (text.bottom - text.top - 16) / 2, p.icon, 16, 16, 0, nullptr,
                       DI_NORMAL);
            text.left += 18;
        }
        draw_text(dc, p.text, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, COLOR_BTNTEXT);
    };
    RECT r{};
    if (m_simple_mode) {
        if (rect_of(SB_SIMPLEID, r))
            draw(m_simple, r);
        return 0;
    }
    for (size_t i = 0; i < m_parts.size(); ++i)
        if (rect_of(static_cast<int>(i), r))
            draw(m_parts[i], r);
    return 0;
}

}  // namespace helm::user::commctrl

HWND CreateStatusWindow(LONG style, LPCSTR text, HWND parent, UINT id)
{
    return CreateWindowEx(0, STATUSCLASSNAME, text, static_cast<DWORD>(style), 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
}
