// The window procedure's dispatch, SendMessage and PostMessage within the
// process, the message loop's DispatchMessage and TranslateMessage, and
// DefWindowProc.

#include <algorithm>
#include <cstring>

#include "helm/kernel/clock.h"
#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/sync.h"
#include "helm/kernel/threads.h"
#include "helm/user/dialogs.h"
#include "helm/user/input.h"
#include "helm/user/menus.h"
#include "helm/user/screen.h"
#include "menu_table.h"
#include "paint_internal.h"
#include "placement.h"
#include "window_table.h"

using namespace helm::user;

namespace {

thread_local int t_serving_other_thread = 0;

// One auto-reset event per thread, set when a reply it waits for arrives.
struct ThreadReplyEvent {
    HANDLE handle = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    ~ThreadReplyEvent() { CloseHandle(handle); }
};
thread_local ThreadReplyEvent t_reply_event;

// The state of one send to another thread. The sender may give up (time-out)
// before the receiver runs: then the receiver must not touch its event.
struct PendingSend {
    std::mutex mutex;
    bool done = false;
    bool abandoned = false;
    LRESULT result = 0;
    HANDLE event = nullptr;
};

// How often a waiting sender checks that its receiver still exists.
constexpr DWORD liveness_poll_ms = 50;

DWORD owner_thread(HWND window)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.get(window);
    return w ? w->thread_id : 0;
}

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeout, bool* ok)
{
    *ok = true;
    if (window == HWND_BROADCAST) {
        // Sent broadcasts are not carried; they are posted instead.
        PostMessage(window, message, wParam, lParam);
        return 0;
    }
    DWORD owner = owner_thread(window);
    if (owner == GetCurrentThreadId())
        return call_procedure(window, message, wParam, lParam);
    LRESULT result = 0;
    if (owner != 0) {
        *ok = send_to_thread(owner, window, message, wParam, lParam, timeout, &result);
        return result;
    }
    *ok = send_to_station_window(window, message, wParam, lParam, timeout, true, &result);
    return result;
}

}  // namespace

namespace helm::user {

ReplyEvent current_reply_event() { return t_reply_event.handle; }

LRESULT call_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc;
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        Window* w = t.find(window);
        if (!w)
            return 0;
        proc = w->proc;
    }
    return proc ? proc(window, message, wParam, lParam) : 0;
}

WaitEnd wait_serving_sent(const std::function<bool()>& done, const std::function<bool()>& alive, uint64_t deadline)
{
    HANDLE event = t_reply_event.handle;
    for (bool first = true;; first = false) {
        if (done())
            return WaitEnd::done;
        uint64_t now = helm::kernel::steady_ms();
        if (now >= deadline)
            return WaitEnd::timed_out;
        // Most replies come within the first slice: the receiver is looked
        // at only when one is slow.
        if (!first && !alive())
            return done() ? WaitEnd::done : WaitEnd::gone;
        DWORD slice = static_cast<DWORD>(std::min<uint64_t>(deadline - now, liveness_poll_ms));
        // A wake mask of 0: only sent messages are served meanwhile.
        MsgWaitForMultipleObjects(1, &event, FALSE, slice, 0);
    }
}

bool send_to_thread(DWORD thread_id, HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeout,
                    LRESULT* result)
{
    auto pending = std::make_shared<PendingSend>();
    pending->event = t_reply_event.handle;
    bool queued = helm::kernel::queue_sent_work(thread_id, [pending, window, message, wParam, lParam] {
        LRESULT r = 0;
        {
            std::lock_guard lock(pending->mutex);
            if (pending->abandoned)
                return;
        }
        if (IsWindow(window)) {
            ++t_serving_other_thread;
            r = call_procedure(window, message, wParam, lParam);
            --t_serving_other_thread;
        }
        std::lock_guard lock(pending->mutex);
        pending->result = r;
        pending->done = true;
        if (!pending->abandoned)
            SetEvent(pending->event);
    });
    if (!queued) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    auto done = [&] {
        std::lock_guard lock(pending->mutex);
        return pending->done;
    };
    auto alive = [&] { return helm::kernel::is_local_thread(thread_id) && IsWindow(window); };
    WaitEnd end = wait_serving_sent(done, alive, helm::kernel::deadline_after(timeout));
    std::lock_guard lock(pending->mutex);
    if (pending->done) {
        *result = pending->result;
        return true;
    }
    pending->abandoned = true;
    SetLastError(end == WaitEnd::timed_out ? ERROR_TIMEOUT : ERROR_INVALID_WINDOW_HANDLE);
    return false;
}

}  // namespace helm::user

LRESULT CallWindowProc(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return proc ? proc(window, message, wParam, lParam) : 0;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    bool ok;
    return send(window, message, wParam, lParam, INFINITE, &ok);
}

LRESULT SendMessageTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT, UINT timeout,
                           PDWORD_PTR result)
{
    bool ok;
    SetLastError(0);
    LRESULT r = send(window, message, wParam, lParam, timeout, &ok);
    if (!ok)
        return 0;
    if (result)
        *result = static_cast<DWORD_PTR>(r);
    return 1;
}

BOOL SendNotifyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (carries_pointer(message)) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    if (window == HWND_BROADCAST)
        return PostMessage(window, message, wParam, lParam);
    DWORD owner = owner_thread(window);
    if (owner == GetCurrentThreadId()) {
        call_procedure(window, message, wParam, lParam);
        return TRUE;
    }
    if (owner != 0) {
        return helm::kernel::queue_sent_work(owner, [=] {
            if (IsWindow(window))
                call_procedure(window, message, wParam, lParam);
        }) ? TRUE : FALSE;
    }
    LRESULT ignored;
    return send_to_station_window(window, message, wParam, lParam, 0, false, &ignored) ? TRUE : FALSE;
}

BOOL InSendMessage() { return t_serving_other_thread > 0 ? TRUE : FALSE; }

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (carries_pointer(message)) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    if (!window)
        return PostThreadMessage(GetCurrentThreadId(), message, wParam, lParam);
    if (window == HWND_BROADCAST) {
        post_to_local_top_level(message, wParam, lParam);
        broadcast_to_station(message, wParam, lParam);
        return TRUE;
    }
    DWORD owner = owner_thread(window);
    if (owner == 0)
        return post_to_station_window(window, message, wParam, lParam);
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    return posted_to_window(helm::kernel::post_to_local_thread(owner, msg)) ? TRUE : FALSE;
}

namespace helm::user {
bool posted_to_window(helm::kernel::LocalPost outcome)
{
    switch (outcome) {
    case helm::kernel::LocalPost::delivered: return true;
    case helm::kernel::LocalPost::full: SetLastError(ERROR_NOT_ENOUGH_QUOTA); return false;
    case helm::kernel::LocalPost::no_queue: break;
    }
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
}

void post_to_local_top_level(UINT message, WPARAM wParam, LPARAM lParam)
{
    std::vector<uint32_t> tops;
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        tops = t.top_level;
    }
    for (uint32_t h : tops)
        if (!foreign_control_message(h, message))
            PostMessage(WindowTable::hwnd_of(h), message, wParam, lParam);
}
}  // namespace helm::user

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, static_cast<UINT_PTR>(msg->wParam), GetTickCount());
        return 0;
    }
    note_input_message(*msg);
    if (!msg->hwnd)
        return 0;
    // A message still queued for a window destroyed since is dropped here.
    DWORD owner = owner_thread(msg->hwnd);
    if (owner != GetCurrentThreadId()) {
        SetLastError(owner ? ERROR_MESSAGE_SYNC_ONLY : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return call_procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

namespace {

thread_local bool t_shift_down = false;
// Alt went down and no other key since, for Alt alone opening the menu bar.
thread_local bool t_alt_alone = false;

// The context bit of a key message's lParam: Alt was down.
constexpr LPARAM alt_bit = LPARAM{1} << 29;

// The screen point of a non-client mouse message.
POINT point_of(LPARAM lParam)
{
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

bool key_held(int key) { return GetKeyState(key) < 0; }

// The character a key message makes: Ctrl with a letter gives its control
// character, anything else what the keyboard layout gives.
char character_of(const MSG& msg)
{
    const auto key = static_cast<BYTE>(msg.wParam & 0xFF);
    const bool ctrl = key_held(VK_CONTROL), alt = key_held(VK_MENU);
    if (ctrl && !alt)
        return key >= 'A' && key <= 'Z' ? static_cast<char>(key - '@') : 0;
    KeyModifiers modifiers;
    modifiers.shift = t_shift_down;
    modifiers.caps_lock = (GetKeyState(VK_CAPITAL) & 1) != 0;
    modifiers.alt_gr = ctrl && alt;
    return screen()->key_character(key, static_cast<BYTE>((msg.lParam >> 16) & 0xFF), msg.time, modifiers);
}

}  // namespace

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg)
        return FALSE;
    note_input_message(*msg);
    const bool down = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
    if (msg->wParam == VK_SHIFT && (down || msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP)) {
        t_shift_down = down;
        return TRUE;
    }
    if (!down)
        return FALSE;
    char c = character_of(*msg);
    if (!c)
        return TRUE;
    MSG out = *msg;
    out.message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    out.wParam = static_cast<BYTE>(c);
    if (msg->hwnd)
        PostMessage(msg->hwnd, out.message, out.wParam, out.lParam);
    else
        PostThreadMessage(GetCurrentThreadId(), out.message, out.wParam, out.lParam);
    return TRUE;
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowTable& t = window_table();
    switch (message) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) {
            std::lock_guard lock(t.mutex);
            if (Window* w = t.get(window))
                w->text = cs->lpszName;
        }
        return TRUE;
    }
    case WM_SETTEXT: {
        bool top_level;
        {
            std::lock_guard lock(t.mutex);
            Window* w = t.get(window);
            if (!w)
                return FALSE;
            w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
            top_level = w->parent == 0;
        }
        if (top_level) {
            publish_top_level_windows();
            screen()->window_title_changed(window);
        }
        return TRUE;
    }
    case WM_MOUSEWHEEL:
        // A child that does not scroll hands the wheel to its parent.
        if (GetWindowLong(window, GWL_STYLE) & WS_CHILD)
            return SendMessage(GetParent(window), WM_MOUSEWHEEL, wParam, lParam);
        return 0;
    case WM_SETCURSOR: {
        // The parents are asked first; then the window under the mouse shows
        // its class cursor over its client area (the arrow when its class
        // has none), the arrow over its frame.
        HWND parent = (GetWindowLong(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
        if (parent && SendMessage(parent, WM_SETCURSOR, wParam, lParam))
            return TRUE;
        if (reinterpret_cast<HWND>(wParam) != window)
            return FALSE;
        HCURSOR cursor = nullptr;
        if (LOWORD(lParam) == HTCLIENT) {
            std::lock_guard lock(t.mutex);
            Window* w = t.get(window);
            cursor = w ? w->window_class->cursor : nullptr;
        }
        SetCursor(cursor ? cursor : LoadCursor(nullptr, IDC_ARROW));
        return TRUE;
    }
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        std::lock_guard lock(t.mutex);
        Window* w = t.get(window);
        if (!w) {
            buffer[0] = '\0';
            return 0;
        }
        size_t n = std::min(w->text.size(), static_cast<size_t>(wParam - 1));
        std::memcpy(buffer, w->text.data(), n);
        buffer[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
        std::lock_guard lock(t.mutex);
        Window* w = t.get(window);
        return w ? static_cast<LRESULT>(w->text.size()) : 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return erase_with_class_brush(window, reinterpret_cast<HDC>(wParam)) ? 1 : 0;
    case WM_NCPAINT:
        paint_non_client(window);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(default_control_colours(message, reinterpret_cast<HDC>(wParam)));
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_WINDOWPOSCHANGING:
        if (lParam)
            window_pos_changing(window, *reinterpret_cast<WINDOWPOS*>(lParam));
        return 0;
    case WM_WINDOWPOSCHANGED:
        if (lParam)
            window_pos_changed(window, *reinterpret_cast<const WINDOWPOS*>(lParam));
        return 0;
    case WM_NCHITTEST:
        return hit_test_frame(window, point_of(lParam));
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
        non_client_button(window, message, wParam, point_of(lParam));
        return 0;
    case WM_SETICON:
    case WM_GETICON: {
        const size_t which = wParam == ICON_BIG ? ICON_BIG : ICON_SMALL;
        HICON before;
        {
            std::lock_guard lock(t.mutex);
            Window* w = t.get(window);
            if (!w)
                return 0;
            before = w->icons[which];
            if (message == WM_SETICON)
                w->icons[which] = reinterpret_cast<HICON>(lParam);
        }
        if (message == WM_SETICON) {
            InvalidateRect(window, nullptr, TRUE);  // the caption shows it
            if (before != reinterpret_cast<HICON>(lParam))
                screen()->window_icon_changed(window);
        }
        return reinterpret_cast<LRESULT>(before);
    }
    case WM_SYSKEYDOWN:
        t_alt_alone = wParam == VK_MENU;
        // Alt+F4 closes the top-level window.
        if (wParam == VK_F4 && (lParam & alt_bit))
            SendMessage(GetAncestor(window, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSKEYUP:
        // F10, or Alt pressed and released alone, goes to the menu bar.
        if (wParam == VK_F10 || (wParam == VK_MENU && t_alt_alone))
            SendMessage(GetAncestor(window, GA_ROOT), WM_SYSCOMMAND, SC_KEYMENU, 0);
        t_alt_alone = false;
        return 0;
    case WM_SYSCHAR:
        // Alt+Space and Alt+letters belong to the top-level window's menus.
        SendMessage(GetAncestor(window, GA_ROOT), WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
        return 0;
    case WM_SYSCOMMAND:
        system_command(window, wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(window)) {
            HWND focus = GetFocus();
            if (focus != window && !IsChild(window, focus))
                SetFocus(window);
        }
        return 0;
    default:
        return 0;
    }
}
