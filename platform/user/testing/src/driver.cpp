// The operator test driver: actions through the input layer, the pump, and
// the message log.

#include "helm/user/testing/driver.h"

#include <algorithm>
#include <unordered_map>

namespace helm::user::testing {

namespace {

// The message pump_until_idle is handing to a window now, so the log can
// tell a queued message from a sent one.
thread_local const MSG* t_dispatching = nullptr;

std::unordered_map<HWND, MessageLog*>& logs()
{
    static std::unordered_map<HWND, MessageLog*> map;
    return map;
}

POINT centre_of(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The key that makes a character through TranslateMessage, with whether
// Shift is needed; 0 when no key does.
BYTE key_of(char c, bool* shift)
{
    *shift = false;
    if (c >= 'a' && c <= 'z')
        return static_cast<BYTE>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') {
        *shift = true;
        return static_cast<BYTE>(c);
    }
    if (c >= '0' && c <= '9')
        return static_cast<BYTE>(c);
    static constexpr struct {
        char c;
        BYTE key;
    } table[] = {
        {' ', VK_SPACE}, {'.', VK_OEM_PERIOD}, {'-', VK_OEM_MINUS}, {',', VK_OEM_COMMA},
        {'=', VK_OEM_PLUS}, {'+', VK_ADD}, {'*', VK_MULTIPLY}, {'/', VK_DIVIDE}, {'\b', VK_BACK},
        {'\r', VK_RETURN}, {'\t', VK_TAB}, {'\x1b', VK_ESCAPE},
    };
    for (const auto& row : table)
        if (row.c == c)
            return row.key;
    return 0;
}

}  // namespace

void pump_until_idle(int limit)
{
    MSG msg;
    for (int n = 0; n < limit && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
        if (msg.message == WM_QUIT) {
            // Not ours to take: the program's own loop ends on it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        const MSG* outer = t_dispatching;
        t_dispatching = &msg;
        HWND root = msg.hwnd && IsWindow(msg.hwnd) ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        // A control of a child dialog belongs to the dialog it sits in.
        if (!(root && is_dialog(root) && IsDialogMessage(root, &msg))) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
        t_dispatching = outer;
    }
}

void click_at(POINT screen_point)
{
    input::mouse_move(screen_point);
    input::mouse_button(screen_point, input::Button::left, true);
    pump_until_idle();
    input::mouse_button(screen_point, input::Button::left, false);
    pump_until_idle();
}

void click(HWND window) { click_at(centre_of(window)); }

void drag(POINT from, POINT to, int steps, input::Button button)
{
    input::mouse_move(from);
    input::mouse_button(from, button, true);
    pump_until_idle();
    steps = std::max(steps, 1);
    for (int i = 1; i <= steps; ++i) {
        input::mouse_move({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        pump_until_idle();
    }
    input::mouse_button(to, button, false);
    pump_until_idle();
}

void double_click(HWND window)
{
    click_at(centre_of(window));
    click_at(centre_of(window));
}

void press(BYTE virtual_key)
{
    input::key(virtual_key, true);
    pump_until_idle();
    input::key(virtual_key, false);
    pump_until_idle();
}

void press_with_shift(BYTE virtual_key)
{
    input::key(VK_SHIFT, true);
    pump_until_idle();
    press(virtual_key);
    input::key(VK_SHIFT, false);
    pump_until_idle();
}

void press_enter() { press(VK_RETURN); }
void press_escape() { press(VK_ESCAPE); }
void press_tab() { press(VK_TAB); }
void press_shift_tab() { press_with_shift(VK_TAB); }

void type(std::string_view text)
{
    for (char c : text) {
        bool shift;
        BYTE key = key_of(c, &shift);
        if (!key) {
            input::character(c);
            pump_until_idle();
        } else if (shift) {
            press_with_shift(key);
        } else {
            press(key);
        }
    }
}

void focus(HWND window)
{
    SetFocus(window);
    pump_until_idle();
}

MessageLog::MessageLog(HWND window) : m_window(window)
{
    logs()[window] = this;
    m_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageLog::proc)));
}

MessageLog::~MessageLog()
{
    auto& map = logs();
    auto it = map.find(m_window);
    if (it != map.end() && it->second == this)
        map.erase(it);
    if (IsWindow(m_window) &&
        GetWindowLongPtr(m_window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&MessageLog::proc))
        SetWindowLongPtr(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
}

LRESULT CALLBACK MessageLog::proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& map = logs();
    auto it = map.find(window);
    if (it == map.end())
        return DefWindowProc(window, message, wParam, lParam);
    MessageLog* log = it->second;
    const MSG* d = t_dispatching;
    const bool posted = d && d->hwnd == window && d->message == message && d->wParam == wParam && d->lParam == lParam;
    log->m_messages.push_back({message, wParam, lParam, posted});
    WNDPROC previous = log->m_previous;
    if (message == WM_NCDESTROY)
        map.erase(it);
    return CallWindowProc(previous, window, message, wParam, lParam);
}

std::vector<UINT> MessageLog::only(std::initializer_list<UINT> wanted) const
{
    std::vector<UINT> out;
    for (const LoggedMessage& m : m_messages)
        if (std::find(wanted.begin(), wanted.end(), m.message) != wanted.end())
            out.push_back(m.message);
    return out;
}

std::vector<std::pair<int, int>> MessageLog::commands() const
{
    std::vector<std::pair<int, int>> out;
    for (const LoggedMessage& m : m_messages)
        if (m.message == WM_COMMAND)
            out.emplace_back(LOWORD(m.wParam), HIWORD(m.wParam));
    return out;
}

}  // namespace helm::user::testing
