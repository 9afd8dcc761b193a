#include "up_down.h"

#include <algorithm>
#include <cstdio>
#include "helm/kernel/clock.h"
#include <cstdlib>

namespace helm::user::commctrl {

namespace {
controls::ControlMap<UpDown>& up_downs()
{
    static auto* map = new controls::ControlMap<UpDown>;
    return *map;
}

// A held arrow steps again after a pause, then steadily.
constexpr UINT_PTR repeat_timer = 0x7D01;
constexpr UINT repeat_delay_ms = 400;
constexpr UINT repeat_interval_ms = 100;
// A buddy's text is read up to this many characters; a number is shorter.
constexpr int buddy_text_max = 64;

// The buddy's arrow keys step the up-down that has UDS_ARROWKEYS: the buddy
// is subclassed, and its procedure before is kept here with its up-down.
struct BuddyLink {
    HWND up_down;
    WNDPROC previous;
};
std::mutex g_links_mutex;
std::unordered_map<uint32_t, BuddyLink>& buddy_links()
{
    static auto* links = new std::unordered_map<uint32_t, BuddyLink>;
    return *links;
}
uint32_t key_of(HWND w) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(w)); }

LRESULT CALLBACK buddy_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    BuddyLink link{};
    {
        std::lock_guard lock(g_links_mutex);
        auto it = buddy_links().find(key_of(window));
        if (it == buddy_links().end())
            return DefWindowProc(window, message, wParam, lParam);
        link = it->second;
        if (message == WM_NCDESTROY)
            buddy_links().erase(it);
    }
    if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN) && IsWindow(link.up_down)) {
        if (auto control = up_downs().get(link.up_down)) {
            control->step(wParam == VK_UP ? 1 : -1, 1);
            return 0;
        }
    }
    return CallWindowProc(link.previous, window, message, wParam, lParam);
}

void link_buddy(HWND buddy, HWND up_down)
{
    std::lock_guard lock(g_links_mutex);
    auto it = buddy_links().find(key_of(buddy));
    if (it != buddy_links().end()) {
        it->second.up_down = up_down;
        return;
    }
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(buddy_proc)));
    if (previous)
        buddy_links()[key_of(buddy)] = {up_down, previous};
}

void unlink_buddy(HWND buddy, HWND up_down)
{
    std::lock_guard lock(g_links_mutex);
    auto it = buddy_links().find(key_of(buddy));
    if (it == buddy_links().end() || it->second.up_down != up_down)
        return;
    // Put the procedure back only if nobody subclassed the buddy since.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtr(buddy, GWLP_WNDPROC)) == buddy_proc) {
        SetWindowLongPtr(buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.previous));
        buddy_links().erase(it);
    } else {
        it->second.up_down = nullptr;
    }
}

// Digits with a thousands separator every three, as the user's locale
// (English) writes them.
std::string with_thousands(int value)
{
    const long long v = value;
    std::string digits = std::to_string(v < 0 ? -v : v);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return v < 0 ? "-" + out : out;
}
}  // namespace

UpDown::UpDown(HWND window, const CREATESTRUCT&) : m_window(window) {}

LRESULT CALLBACK UpDown::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return controls::run_control(up_downs(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<UpDown>(w, cs);
    });
}

bool UpDown::read_buddy(int& value) const
{
    if (!m_buddy || !IsWindow(m_buddy))
        return false;
    char text[buddy_text_max + 1] = {};
    GetWindowText(m_buddy, text, sizeof text);
    std::string digits;
    for (const char* c = text; *c; ++c) {
        if (*c == ',' && m_base == 10)
            continue;  // thousands separators
        if (*c != ' ')
            digits += *c;
    }
    if (digits.empty())
        return false;
    const char* start = digits.c_str();
    int base = m_base;
    if (base == 16 && (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0))
        start += 2;
    char* end = nullptr;
    const long long parsed = std::strtoll(start, &end, base);
    if (end == start || *end != '\0')
        return false;
    const int low = std::min(m_low, m_high);
    const int high = std::max(m_low, m_high);
    if (parsed < low || parsed > high)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

void UpDown::write_buddy() const
{
    if (!(style() & UDS_SETBUDDYINT) || !m_buddy || !IsWindow(m_buddy))
        return;
    std::string text;
    if (m_base == 16) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(m_pos));
        text = hex;
    } else if (style() & UDS_NOTHOUSANDS) {
        text = std::to_string(m_pos);
    } else {
        text = with_thousands(m_pos);
    }
    SetWindowText(m_buddy, text.c_str());
}

int UpDown::current(bool* error)
{
    bool failed = false;
    if ((style() & UDS_SETBUDDYINT) && m_buddy) {
        int value = 0;
        if (read_buddy(value))
            m_pos = value;
        else
            failed = true;
    }
    if (error)
        *error = failed;
    return m_pos;
}

LRESULT UpDown::set_pos(int pos)
{
    const int before = m_pos;
    const int low = std::min(m_low, m_high);
    const int high = std::max(m_low, m_high);
    m_pos = std::clamp(pos, low, high);
    write_buddy();
    return before;
}

void UpDown::align_to_buddy()
{
    if (!(style() & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT)) || !m_buddy || !IsWindow(m_buddy))
        return;
    HWND parent = GetParent(m_window);
    RECT buddy{};
    RECT own{};
    GetWindowRect(m_buddy, &buddy);
    GetWindowRect(m_window, &own);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&buddy), 2);
    const int width = own.right - own.left;
    const int height = buddy.bottom - buddy.top;
    // The buddy gives up the up-down's width on the side it takes.
    if (style() & UDS_ALIGNLEFT) {
        SetWindowPos(m_window, nullptr, buddy.left, buddy.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(m_buddy, nullptr, buddy.left + width, buddy.top, std::max<LONG>(0, buddy.right - buddy.left - width),
                     height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(m_window, nullptr, buddy.right - width, buddy.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(m_buddy, nullptr, 0, 0, std::max<LONG>(0, buddy.right - buddy.left - width), height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }
}

HWND UpDown::set_buddy(HWND buddy)
{
    HWND before = m_buddy;
    if (before && IsWindow(before))
        unlink_buddy(before, m_window);
    m_buddy = IsWindow(buddy) ? buddy : nullptr;
    if (m_buddy) {
        if (style() & UDS_ARROWKEYS)
            link_buddy(m_buddy, m_window);
        align_to_buddy();
        write_buddy();
    }
    return before;
}

int UpDown::increment_now() const
{
    if (!m_pressed || m_accel.empty())
        return 1;
    const DWORD seconds = (GetTickCount() - m_pressed_since) / 1000;
    UINT inc = m_accel.front().nInc;
    for (const UDACCEL& a : m_accel)
        if (seconds >= a.nSec)
            inc = a.nInc;
    return static_cast<int>(std::max<UINT>(1, std::min<UINT>(inc, 0x7fffffff)));
}

bool UpDown::step(int direction, int increment)
{
    const int now = current(nullptr);
    // The up arrow goes toward the upper bound, whichever way the range runs.
    const int sign = m_high >= m_low ? 1 : -1;
    NMUPDOWN block{};
    block.iPos = now;
    block.iDelta = direction * sign * increment;
    if (notify(m_window, UDN_DELTAPOS, block.hdr) || !IsWindow(m_window))
        return false;
    const int low = std::min(m_low, m_high);
    const int high = std::max(m_low, m_high);
    long long next = static_cast<long long>(m_pos) + block.iDelta;
    if (next > high || next < low) {
        if (style() & UDS_WRAP)
            next = next > high ? low : high;
        else
            next = std::clamp<long long>(next, low, high);
    }
    if (next == m_pos)
        return false;
    m_pos = static_cast<int>(next);
    write_buddy();
    send_scroll(SB_THUMBPOSITION);
    return true;
}

void UpDown::send_scroll(int code) const
{
    HWND parent = GetParent(m_window);
    if (!parent)
        return;
    SendMessage(parent, horizontal() ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, static_cast<WORD>(m_pos)),
                reinterpret_cast<LPARAM>(m_window));
}

int UpDown::arrow_at(POINT p) const
{
    RECT client{};
    GetClientRect(m_window, &client);
    if (horizontal())
        return p.x >= client.right / 2 ? 1 : -1;
    return p.y < client.bottom / 2 ? 1 : -1;
}

LRESULT UpDown::on_button_down(POINT p)
{
    if (m_pressed)
        return 0;
    m_pressed = arrow_at(p);
    m_pressed_since = GetTickCount();
    controls::capture_mouse(m_window);
    // The buddy keeps (or gets) the focus while the arrows step it.
    if (m_buddy && IsWindow(m_buddy) && GetFocus() != m_buddy)
        SetFocus(m_buddy);
    if (!IsWindow(m_window))
        return 0;
    step(m_pressed, 1);
    if (IsWindow(m_window) && m_pressed)
        SetTimer(m_window, repeat_timer, repeat_delay_ms, nullptr);
    return 0;
}

LRESULT UpDown::on_button_up()
{
    if (!m_pressed)
        return 0;
    m_pressed = 0;
    KillTimer(m_window, repeat_timer);
    controls::release_mouse(m_window);
    send_scroll(SB_ENDSCROLL);
    return 0;
}

LRESULT UpDown::on_key(WPARAM key)
{
    if ((style() & UDS_ARROWKEYS) && (key == VK_UP || key == VK_DOWN)) {
        step(key == VK_UP ? 1 : -1, 1);
        return 0;
    }
    return DefWindowProc(m_window, WM_KEYDOWN, key, 0);
}

LRESULT UpDown::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if ((style() & UDS_AUTOBUDDY))
            set_buddy(GetWindow(m_window, GW_HWNDPREV));
        return 0;
    case UDM_SETRANGE:
        // The upper bound in the low word, the lower in the high word.
        m_high = static_cast<short>(LOWORD(lParam));
        m_low = static_cast<short>(HIWORD(lParam));
        return 0;
    case UDM_GETRANGE:
        return MAKELONG(static_cast<WORD>(m_high), static_cast<WORD>(m_low));
    case UDM_SETRANGE32:
        m_low = static_cast<int>(wParam);
        m_high = static_cast<int>(lParam);
        return 0;
    case UDM_GETRANGE32:
        if (auto* low = reinterpret_cast<int*>(wParam))
            *low = m_low;
        if (auto* high = reinterpret_cast<int*>(lParam))
            *high = m_high;
        return 0;
    case UDM_SETPOS:
        return static_cast<WORD>(set_pos(static_cast<short>(LOWORD(lParam))));
    case UDM_SETPOS32:
        return set_pos(static_cast<int>(lParam));
    case UDM_GETPOS: {
        bool error = false;
        const int pos = current(&error);
        return MAKELONG(static_cast<WORD>(pos), error ? 1 : 0);
    }
    case UDM_GETPOS32: {
        bool error = false;
        const int pos = current(&error);
        if (auto* flag = reinterpret_cast<BOOL*>(lParam))
            *flag = error ? TRUE : FALSE;
        return pos;
    }
    case UDM_SETBUDDY:
        return reinterpret_cast<LRESULT>(set_buddy(reinterpret_cast<HWND>(wParam)));
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(m_buddy);
    case UDM_SETACCEL: {
        const auto* accel = reinterpret_cast<const UDACCEL*>(lParam);
        if (!accel || wParam == 0 || wParam > 1024)
            return FALSE;
        m_accel.assign(accel, accel + wParam);
        return TRUE;
    }
    case UDM_GETACCEL: {
        auto* out = reinterpret_cast<UDACCEL*>(lParam);
        const size_t n = std::min<size_t>(wParam, m_accel.size());
        if (out)
            std::copy_n(m_accel.begin(), n, out);
        return static_cast<LRESULT>(m_accel.size());
    }
    case UDM_SETBASE: {
        if (wParam != 10 && wParam != 16)
            return 0;
        const int before = m_base;
        m_base = static_cast<int>(wParam);
        write_buddy();
        return before;
    }
    case UDM_GETBASE:
        return m_base;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return on_button_down(controls::point_of(lParam));
    case WM_LBUTTONUP:
        return on_button_up();
    case WM_TIMER:
        if (wParam != repeat_timer)
            return DefWindowProc(m_window, message, wParam, lParam);
        if (m_pressed) {
            SetTimer(m_window, repeat_timer, repeat_interval_ms, nullptr);
            step(m_pressed, increment_now());
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (m_pressed && reinterpret_cast<HWND>(lParam) != m_window)
            on_button_up();
        return 0;
    case WM_CANCELMODE:
        on_button_up();
        return 0;
    case WM_KEYDOWN:
        return on_key(wParam);
    case WM_DESTROY:
        if (m_buddy && IsWindow(m_buddy))
            unlink_buddy(m_buddy, m_window);
        return DefWindowProc(m_window, message, wParam, lParam);
    case WM_PAINT:
        return on_paint();
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

// Two scroll-bar arrow buttons, the held one pushed.
LRESULT UpDown::on_paint()
{
    Paint paint(m_window);
    HDC dc = paint.dc();
    if (!dc)
        return 0;
    const RECT client = paint.client();
    RECT up = client;
    RECT down = client;
    if (horizontal()) {
        down.right = client.right / 2;
        up.left = down.right;
    } else {
        up.bottom = client.bottom / 2;
        down.top = up.bottom;
    }
    const UINT off = IsWindowEnabled(m_window) ? 0 : DFCS_INACTIVE;
    DrawFrameControl(dc, &up, DFC_SCROLL,
                     (horizontal() ? DFCS_SCROLLRIGHT : DFCS_SCROLLUP) | off | (m_pressed > 0 ? DFCS_PUSHED : 0));
    DrawFrameControl(dc, &down, DFC_SCROLL,
                     (horizontal() ? DFCS_SCROLLLEFT : DFCS_SCROLLDOWN) | off | (m_pressed < 0 ? DFCS_PUSHED : 0));
    return 0;
}

}  // namespace helm::user::commctrl
