// The process's windows and window classes, and the per-thread input state
// (focus, active window). One mutex guards it all; it is never held while a
// window procedure runs, since procedures call back into the layer.
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "helm/kernel/messages.h"
#include "helm/user/winuser.h"

namespace helm::user {

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int class_extra = 0;
    int window_extra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON small_icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    LPCSTR menu_name = nullptr;
    bool layer_control = false;  // one of the layer's standard or common controls
};

struct Timer {
    UINT_PTR id = 0;
    UINT elapse = 0;
    TIMERPROC proc = nullptr;
    uint64_t due = 0;  // steady ms
};

struct Window {
    uint32_t handle = 0;
    DWORD thread_id = 0;
    std::shared_ptr<const WindowClass> window_class;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD ex_style = 0;
    LONG_PTR id = 0;
    LONG_PTR user_data = 0;
    HINSTANCE instance = nullptr;
    std::vector<std::byte> extra;
    std::string text;
    uint32_t parent = 0;  // WS_CHILD windows
    uint32_t owner = 0;   // top-level windows
    std::vector<uint32_t> children;  // Z order, top first
    RECT rect{};          // in the parent's client coordinates; the screen's for top-level windows
    RECT normal_rect{};   // before a minimise or maximise
    bool destroying = false;
    bool needs_paint = false;
    bool erase = false;
    RECT update{};        // client coordinates
    std::vector<Timer> timers;
    HICON icons[2]{};     // WM_SETICON's ICON_SMALL and ICON_BIG
    bool menu_bar = false;  // a top-level window with a menu bar (SetMenu)
};

class WindowTable {
public:
    std::mutex mutex;
    std::unordered_map<uint32_t, std::shared_ptr<Window>> windows;
    std::vector<uint32_t> top_level;  // Z order, top first
    std::vector<std::shared_ptr<const WindowClass>> classes;
    std::unordered_map<DWORD, uint32_t> focus;   // by thread
    std::unordered_map<DWORD, uint32_t> active;  // by thread
    std::unordered_map<DWORD, std::vector<Timer>> thread_timers;  // SetTimer(nullptr, ...)

    // Under the mutex.
    Window* get(uint32_t handle);
    Window* get(HWND window) { return get(value_of(window)); }
    // As get, and sets ERROR_INVALID_WINDOW_HANDLE when there is no such window.
    Window* find(HWND window);
    std::shared_ptr<const WindowClass> find_class(LPCSTR name) const;
    std::vector<uint32_t>& siblings_of(const Window& window);
    // The window's client area origin, in screen coordinates.
    POINT client_origin(const Window& window);

    static uint32_t value_of(HWND window) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)); }
    static HWND hwnd_of(uint32_t value) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(value)); }
};

WindowTable& window_table();

// The frame the non-client area takes on each side for a style.
RECT frame_insets(DWORD style, DWORD ex_style);
// The client rectangle in window coordinates.
RECT client_in_window(const Window& window);
// What is due to be painted held within the client area the window has now
// (its frame or size changed).
void clip_update(Window& window);

bool equal_ascii_nocase(std::string_view a, std::string_view b);

// Registers the standard control classes once per process; the layer
// calls it before it creates a window or looks a class up.
void register_system_classes();
// One of the layer's own control classes, registered global and marked as
// a control, with the cursor it shows (the arrow unless named).
struct ControlClass {
    const char* name;
    WNDPROC proc;
    UINT style;
    LPCSTR cursor = IDC_ARROW;
};
void register_control_classes(std::initializer_list<ControlClass> classes);
// A control's own message (WM_USER..WM_APP-1) to a window of the layer's
// control classes: its parameters may be pointers, which mean nothing when
// it comes from another process or by a broadcast, so it is dropped there.
bool foreign_control_message(uint32_t handle, UINT message);
// The standard controls' messages whose parameters carry pointers.
bool control_carries_pointer(UINT message);

// The one way a message reaches a window procedure, on the window's thread.
LRESULT call_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Changes what a window's frame holds (`change` answers whether it did,
// under the table's lock): the frame is painted again and the window hears
// WM_WINDOWPOSCHANGED, with WM_SIZE and WM_MOVE when its client area
// changed. False for no such window.
bool change_frame(HWND window, const std::function<bool(Window&)>& change);
// DefWindowProc's WM_WINDOWPOSCHANGED: WM_SIZE and WM_MOVE when due.
void window_pos_changed(HWND window, const WINDOWPOS& pos);

// Sends to a window of another thread of this process and waits, serving
// messages sent to this thread meanwhile. False when the window or its
// thread went away, or (last error ERROR_TIMEOUT) after `timeout` ms.
bool send_to_thread(DWORD thread_id, HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeout,
                    LRESULT* result);
// Waits for `done` while serving messages sent to this thread; gives up
// when `alive` turns false or at the deadline (a steady_ms time).
enum class WaitEnd { done, gone, timed_out };
WaitEnd wait_serving_sent(const std::function<bool()>& done, const std::function<bool()>& alive, uint64_t deadline);
// Wakes the thread in wait_serving_sent whose reply event this is.
using ReplyEvent = HANDLE;
ReplyEvent current_reply_event();

// Runs when a timer or paint state of a thread's window changed.
void wake_owner(DWORD thread_id);

// The top-level window set of this process changed (created, destroyed,
// renamed): the station's registry is brought up to date.
void publish_top_level_windows();

// Whether a message reached the queue of a window's thread; else the last
// error PostMessage gives (a full queue, a thread gone).
bool posted_to_window(helm::kernel::LocalPost outcome);

// Sends to a window of another process of the station; false when `window`
// is not one.
bool send_to_station_window(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeout, bool wait,
                            LRESULT* result);
// Posts to a window of another process; false (last error set) on failure.
BOOL post_to_station_window(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Posts to the top-level windows of every other process of the station.
void broadcast_to_station(UINT message, WPARAM wParam, LPARAM lParam);
// Posts to every top-level window of this process (but a control's own
// message to a control, see foreign_control_message).
void post_to_local_top_level(UINT message, WPARAM wParam, LPARAM lParam);

// Messages whose parameters carry pointers: never posted, and sent to
// another process only when the layer copies them (WM_COPYDATA).
bool carries_pointer(UINT message);

}  // namespace helm::user
