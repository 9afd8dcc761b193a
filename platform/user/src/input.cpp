// Where operator input goes: the capture, hit-testing for the window under a
// point, the keyboard target, and the key state GetKeyState reads.

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "helm/kernel/clock.h"
#include "helm/kernel/error.h"
#include "helm/kernel/messages.h"
#include "helm/kernel/threads.h"
#include "helm/user/screen.h"
#include "window_table.h"

using namespace helm::user;

namespace {

// One capture for the process: a live display has one mouse.
std::atomic<uint32_t> g_capture{0};

// Keys as last handed in (GetAsyncKeyState) and as each thread's messages
// have shown them (GetKeyState): bit 0x80 down, bit 0x01 toggled.
std::mutex g_keys_mutex;
std::array<BYTE, 256> g_async_keys{};
std::unordered_map<DWORD, std::array<BYTE, 256>> g_thread_keys;

void set_async(BYTE key, bool down)
{
    std::lock_guard lock(g_keys_mutex);
    g_async_keys[key] = down ? 0x80 : 0;
}

bool async_down(BYTE key)
{
    std::lock_guard lock(g_keys_mutex);
    return (g_async_keys[key] & 0x80) != 0;
}

// Sets the state of `key` in `keys`; a press from up flips the toggle.
void apply(std::array<BYTE, 256>& keys, BYTE key, bool down)
{
    const bool was_down = (keys[key] & 0x80) != 0;
    BYTE toggled = keys[key] & 0x01;
    if (down && !was_down)
        toggled ^= 0x01;
    keys[key] = static_cast<BYTE>((down ? 0x80 : 0) | toggled);
}

// The generic key of a left/right pair is down while either is; we only
// deliver the generic ones.
WPARAM mouse_flags()
{
    WPARAM flags = 0;
    if (async_down(VK_LBUTTON))
        flags |= MK_LBUTTON;
    if (async_down(VK_RBUTTON))
        flags |= MK_RBUTTON;
    if (async_down(VK_MBUTTON))
        flags |= MK_MBUTTON;
    if (async_down(VK_SHIFT))
        flags |= MK_SHIFT;
    if (async_down(VK_CONTROL))
        flags |= MK_CONTROL;
    return flags;
}

struct Candidate {
    uint32_t handle;
    RECT rect;  // on the screen
    bool visible;
    bool enabled;
    std::vector<uint32_t> children;
};

// A snapshot of one window for hit-testing, taken under the lock.
bool snapshot(uint32_t handle, Candidate* out)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.get(handle);
    if (!w)
        return false;
    out->handle = handle;
    out->rect = w->rect;
    if (Window* p = w->parent ? t.get(w->parent) : nullptr) {
        POINT base = t.client_origin(*p);
        OffsetRect(&out->rect, base.x, base.y);
    }
    out->visible = (w->style & WS_VISIBLE) != 0;
    out->enabled = !(w->style & WS_DISABLED);
    out->children = w->children;
    return true;
}

bool transparent(uint32_t handle, POINT screen_point)
{
    return SendMessage(WindowTable::hwnd_of(handle), WM_NCHITTEST, 0, MAKELPARAM(screen_point.x, screen_point.y)) ==
           HTTRANSPARENT;
}

// The deepest window under the point among `level` (top of the Z order
// first), or 0.
uint32_t hit(const std::vector<uint32_t>& level, POINT p, bool top_level)
{
    for (uint32_t h : level) {
        Candidate c;
        if (!snapshot(h, &c) || !c.visible || !PtInRect(&c.rect, p))
            continue;
        // A disabled child lets the point through to its parent; a disabled
        // top-level window is still the one under the point.
        if (!top_level && !c.enabled)
            continue;
        if (transparent(h, p))
            continue;
        if (c.enabled) {
            RECT client;
            POINT origin{0, 0};
            GetClientRect(WindowTable::hwnd_of(h), &client);
            ClientToScreen(WindowTable::hwnd_of(h), &origin);
            OffsetRect(&client, origin.x, origin.y);
            if (PtInRect(&client, p))
                if (uint32_t deeper = hit(c.children, p, false))
                    return deeper;
        }
        return h;
    }
    return 0;
}

bool enabled_chain(HWND window)
{
    for (HWND w = window; w; w = (GetWindowLong(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
        if (!IsWindowEnabled(w))
            return false;
    return true;
}

// Two presses of one button on one part of one window, within the
// double-click time and a 4-pixel square: the second is a double click, as
// Windows makes it: over the client area for a window of a CS_DBLCLKS class,
// over the frame (caption, menu bar, the window's own bars) for any window.
// A third press starts again.
constexpr DWORD double_click_ms = 500;
constexpr LONG double_click_half_square = 2;

struct LastPress {
    UINT message = 0;
    uint32_t window = 0;
    LRESULT part = HTNOWHERE;
    POINT point{};
    DWORD time = 0;
};
std::mutex g_press_mutex;
LastPress g_last_press;

bool wants_double_clicks(HWND window)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.get(window);
    return w && (w->window_class->style & CS_DBLCLKS);
}

// `part` is where the press is (the hit-test answer; HTCLIENT with the
// capture).
UINT press_or_double(UINT message, HWND target, LRESULT part, POINT screen_point, DWORD now)
{
    UINT double_message = message == WM_LBUTTONDOWN   ? WM_LBUTTONDBLCLK
                          : message == WM_RBUTTONDOWN ? WM_RBUTTONDBLCLK
                          : message == WM_MBUTTONDOWN ? WM_MBUTTONDBLCLK
                                                      : 0;
    if (!double_message)
        return message;
    std::lock_guard lock(g_press_mutex);
    const LastPress& last = g_last_press;
    if (last.message == message && last.window == WindowTable::value_of(target) && last.part == part &&
        now - last.time <= double_click_ms && std::abs(screen_point.x - last.point.x) <= double_click_half_square &&
        std::abs(screen_point.y - last.point.y) <= double_click_half_square &&
        (part != HTCLIENT || wants_double_clicks(target))) {
        g_last_press = {};
        return double_message;
    }
    g_last_press = {message, WindowTable::value_of(target), part, screen_point, now};
    return message;
}

// Where the mouse was last handed in: the point of every input message.
std::atomic<uint64_t> g_cursor_point{0};

POINT cursor_point()
{
    const uint64_t packed = g_cursor_point.load();
    return {static_cast<LONG>(static_cast<int32_t>(packed >> 32)), static_cast<LONG>(static_cast<int32_t>(packed))};
}

// Hands input in: on the input of the thread of `window` (the window it
// will most likely reach), to be routed when that thread comes to it.
bool hand_in(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD time, POINT point)
{
    const DWORD thread = window ? GetWindowThreadProcessId(window, nullptr) : 0;
    if (!thread)
        return false;
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = time;
    msg.pt = point;
    return posted_to_window(helm::kernel::post_input_to_local_thread(thread, msg));
}

DWORD time_of(const input::Origin& origin) { return origin.time ? origin.time : GetTickCount(); }

// The window under a point, looked for first in the top-level window the
// input was seen in (other windows of ours may lie above it in our order
// but below it on the screen).
HWND window_under(POINT screen_point, HWND top_level)
{
    if (top_level && IsWindow(top_level)) {
        if (uint32_t h = hit({WindowTable::value_of(top_level)}, screen_point, true))
            return WindowTable::hwnd_of(h);
    }
    return WindowFromPoint(screen_point);
}

// Where mouse input goes now: the capture, else an enabled window under
// the point.
HWND mouse_target(POINT screen_point, HWND top_level)
{
    if (HWND capture = GetCapture())
        return capture;
    HWND target = window_under(screen_point, top_level);
    return target && enabled_chain(target) ? target : nullptr;
}

// The window under the mouse chooses the cursor for the part it is over, as
// Windows asks it with WM_SETCURSOR; nothing is asked while a window has the
// capture.
void ask_for_cursor(HWND window, LRESULT part, UINT mouse_message)
{
    if (!GetCapture())
        SendMessage(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                    MAKELPARAM(static_cast<WORD>(part), mouse_message));
}

bool is_mouse_button_or_move(UINT message) { return message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK; }

// Mouse input made the message of its window: the window is asked which
// part of it is under the point (WM_NCHITTEST; the capture takes it all as
// its client area). Over the client area comes the client form with client
// coordinates and the MK_ flags; over the frame (caption, icon, close box,
// menu bar, the window's own bars) the non-client form with the part and
// the screen point. A window that answers no part gets the client form.
void make_mouse_message(MSG* msg, HWND target, bool captured)
{
    LRESULT part = HTCLIENT;
    if (!captured) {
        part = SendMessage(target, WM_NCHITTEST, 0, MAKELPARAM(msg->pt.x, msg->pt.y));
        if (part < HTCLIENT)
            part = HTCLIENT;
    }
    msg->message = press_or_double(msg->message, target, part, msg->pt, msg->time);
    if (part != HTCLIENT) {
        msg->message = msg->message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
        msg->wParam = static_cast<WPARAM>(part);
        msg->lParam = MAKELPARAM(msg->pt.x, msg->pt.y);
    } else {
        POINT client = msg->pt;
        ScreenToClient(target, &client);
        msg->lParam = MAKELPARAM(client.x, client.y);
    }
    msg->hwnd = target;
    if (!captured)
        ask_for_cursor(target, part, msg->message);
}

// Input becomes its message when the thread comes to it, as on Windows:
// mouse input goes to the capture or the window under the point as they are
// then (which makes double clicks, the non-client forms and asks for the
// cursor), keys, characters and the wheel to the thread's focus (or its
// active window).
class InputRouting final : public helm::kernel::InputRouter {
public:
    bool route(MSG* msg) override
    {
        if (is_mouse_button_or_move(msg->message)) {
            HWND seen_in = msg->hwnd && IsWindow(msg->hwnd) ? GetAncestor(msg->hwnd, GA_ROOT) : nullptr;
            HWND target = mouse_target(msg->pt, seen_in);
            if (!target)
                return false;
            const DWORD owner = GetWindowThreadProcessId(target, nullptr);
            if (owner != GetCurrentThreadId()) {
                // The capture or the window under the mouse is another
                // thread's: the input goes on to that thread, to be made
                // its message there, where the window answers its hit test.
                msg->hwnd = target;
                helm::kernel::post_input_to_local_thread(owner, *msg);
                return false;
            }
            make_mouse_message(msg, target, target == GetCapture());
            return true;
        }
        HWND target = GetFocus();
        if (!target)
            target = GetActiveWindow();
        if (!target)
            return false;
        if (msg->message == WM_MOUSEWHEEL)
            msg->lParam = MAKELPARAM(msg->pt.x, msg->pt.y);
        msg->hwnd = target;
        const DWORD owner = GetWindowThreadProcessId(target, nullptr);
        if (owner != GetCurrentThreadId()) {
            helm::kernel::post_input_to_local_thread(owner, *msg, true);
            return false;
        }
        return true;
    }
};

const bool g_router_installed = [] {
    helm::kernel::set_input_router(new InputRouting);  // lives as long as the process
    return true;
}();

// lParam of a key message: repeat count 1, the scan code in bits 16-23, Alt
// in bit 29, the previous state in bit 30 and the transition in bit 31, as
// Windows fills them.
LPARAM key_lparam(bool down, bool was_down, bool alt, BYTE scan_code)
{
    DWORD value = 1 | (static_cast<DWORD>(scan_code) << 16);
    if (alt)
        value |= 1u << 29;
    if (was_down)
        value |= 1u << 30;
    if (!down)
        value |= 1u << 31;
    return static_cast<LPARAM>(value);
}

// Mouse input handed in: on the input of the thread whose window will most
// likely take it. False when nothing takes it now.
bool mouse_move_or_button(UINT message, POINT screen_point, const input::Origin& origin)
{
    g_cursor_point = (static_cast<uint64_t>(static_cast<uint32_t>(screen_point.x)) << 32) |
                     static_cast<uint32_t>(screen_point.y);
    HWND likely = mouse_target(screen_point, origin.top_level);
    if (!likely)
        return false;
    return hand_in(origin.top_level ? origin.top_level : likely, message, mouse_flags(), 0, time_of(origin),
                   screen_point);
}

}  // namespace

HWND SetCapture(HWND window)
{
    if (window && !IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    uint32_t previous = g_capture.exchange(WindowTable::value_of(window));
    HWND old = previous ? WindowTable::hwnd_of(previous) : nullptr;
    if (old != window)
        screen()->capture_changed(window);
    if (old && old != window && IsWindow(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    return old;
}

BOOL ReleaseCapture()
{
    uint32_t previous = g_capture.exchange(0);
    HWND old = previous ? WindowTable::hwnd_of(previous) : nullptr;
    if (old)
        screen()->capture_changed(nullptr);
    if (old && IsWindow(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture()
{
    uint32_t h = g_capture.load();
    if (h && !IsWindow(WindowTable::hwnd_of(h))) {
        // Its window went away: the capture goes with it.
        if (g_capture.compare_exchange_strong(h, 0))
            screen()->capture_changed(nullptr);
        return nullptr;
    }
    return h ? WindowTable::hwnd_of(h) : nullptr;
}

SHORT GetKeyState(int virtualKey)
{
    if (virtualKey < 0 || virtualKey > 255)
        return 0;
    std::lock_guard lock(g_keys_mutex);
    auto it = g_thread_keys.find(GetCurrentThreadId());
    if (it == g_thread_keys.end())
        return 0;
    BYTE state = it->second[static_cast<size_t>(virtualKey)];
    return static_cast<SHORT>(((state & 0x80) ? 0x8000 : 0) | (state & 0x01));
}

SHORT GetAsyncKeyState(int virtualKey)
{
    if (virtualKey < 0 || virtualKey > 255)
        return 0;
    std::lock_guard lock(g_keys_mutex);
    return static_cast<SHORT>((g_async_keys[static_cast<size_t>(virtualKey)] & 0x80) ? 0x8000 : 0);
}

HWND WindowFromPoint(POINT point)
{
    std::vector<uint32_t> tops;
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        tops = t.top_level;
    }
    uint32_t h = hit(tops, point, true);
    return h ? WindowTable::hwnd_of(h) : nullptr;
}

HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags)
{
    RECT client;
    if (!GetClientRect(parent, &client) || !PtInRect(&client, point))
        return nullptr;
    POINT screen_point = point;
    ClientToScreen(parent, &screen_point);
    Candidate p;
    if (!snapshot(WindowTable::value_of(parent), &p))
        return nullptr;
    for (uint32_t h : p.children) {
        Candidate c;
        if (!snapshot(h, &c) || !PtInRect(&c.rect, screen_point))
            continue;
        if (((flags & CWP_SKIPINVISIBLE) && !c.visible) || ((flags & CWP_SKIPDISABLED) && !c.enabled))
            continue;
        if ((flags & CWP_SKIPTRANSPARENT) && (GetWindowLong(WindowTable::hwnd_of(h), GWL_EXSTYLE) & WS_EX_TRANSPARENT))
            continue;
        return WindowTable::hwnd_of(h);
    }
    return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) { return ChildWindowFromPointEx(parent, point, CWP_ALL); }

namespace helm::user {

void note_input_message(const MSG& msg)
{
    bool down;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: down = true; break;
    case WM_KEYUP:
    case WM_SYSKEYUP: down = false; break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE: {
        std::lock_guard lock(g_keys_mutex);
        auto& keys = g_thread_keys[GetCurrentThreadId()];
        apply(keys, VK_LBUTTON, (msg.wParam & MK_LBUTTON) != 0);
        apply(keys, VK_RBUTTON, (msg.wParam & MK_RBUTTON) != 0);
        apply(keys, VK_MBUTTON, (msg.wParam & MK_MBUTTON) != 0);
        return;
    }
    default: return;
    }
    // Setting a state twice changes nothing, so the same message seen by
    // IsDialogMessage, TranslateMessage and DispatchMessage counts once.
    std::lock_guard lock(g_keys_mutex);
    apply(g_thread_keys[GetCurrentThreadId()], static_cast<BYTE>(msg.wParam & 0xFF), down);
}

namespace input {

bool mouse_button(POINT screen_point, Button button, bool down, Origin origin)
{
    static constexpr struct {
        Button button;
        BYTE key;
        UINT down, up;
    } table[] = {
        {Button::left, VK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP},
        {Button::right, VK_RBUTTON, WM_RBUTTONDOWN, WM_RBUTTONUP},
        {Button::middle, VK_MBUTTON, WM_MBUTTONDOWN, WM_MBUTTONUP},
    };
    for (const auto& row : table) {
        if (row.button != button)
            continue;
        set_async(row.key, down);
        return mouse_move_or_button(down ? row.down : row.up, screen_point, origin);
    }
    return false;
}

bool mouse_move(POINT screen_point, Origin origin) { return mouse_move_or_button(WM_MOUSEMOVE, screen_point, origin); }

bool mouse_wheel(POINT screen_point, int delta, Origin origin)
{
    const auto turn = static_cast<WORD>(static_cast<short>(std::clamp(delta, -32768, 32767)));
    return hand_in(origin.top_level ? origin.top_level : keyboard_target(), WM_MOUSEWHEEL,
                   MAKEWPARAM(static_cast<WORD>(mouse_flags()), turn), 0, time_of(origin), screen_point);
}

HWND keyboard_target()
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    auto focus_or_active = [&](DWORD thread) -> uint32_t {
        auto f = t.focus.find(thread);
        if (f != t.focus.end() && t.get(f->second))
            return f->second;
        auto a = t.active.find(thread);
        if (a != t.active.end() && t.get(a->second))
            return a->second;
        return 0;
    };
    if (uint32_t h = focus_or_active(GetCurrentThreadId()))
        return WindowTable::hwnd_of(h);
    // Another thread's: the one whose active window is highest in Z order.
    for (uint32_t top : t.top_level) {
        Window* w = t.get(top);
        if (!w)
            continue;
        auto a = t.active.find(w->thread_id);
        if (a != t.active.end() && a->second == top)
            if (uint32_t h = focus_or_active(w->thread_id))
                return WindowTable::hwnd_of(h);
    }
    return nullptr;
}

bool key(BYTE virtual_key, bool down, BYTE scan_code, Origin origin)
{
    const bool was_down = async_down(virtual_key);
    set_async(virtual_key, down);
    const bool alt = async_down(VK_MENU);
    const bool system = (alt && !async_down(VK_CONTROL)) || virtual_key == VK_F10 || virtual_key == VK_MENU;
    UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    return hand_in(origin.top_level ? origin.top_level : keyboard_target(), message, virtual_key,
                   key_lparam(down, was_down, alt, scan_code), time_of(origin), cursor_point());
}

bool character(char c)
{
    return hand_in(keyboard_target(), WM_CHAR, static_cast<BYTE>(c), 1, GetTickCount(), cursor_point());
}

}  // namespace input
}  // namespace helm::user
