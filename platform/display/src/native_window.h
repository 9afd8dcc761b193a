// One top-level window of the layer shown as an X window. The window's
// thread describes it (WindowLook) and hands over its pixels; the display
// thread makes the X window, keeps it as described and shows the pixels;
// what the window manager and the operator do to it comes back to the
// window's thread as the layer's own calls, run there as sent work.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "helm/gdi/surface.h"
#include "helm/user/winuser.h"

namespace helm::display {

class Connection;

// The part of a top-level window a window manager's frame goes around, on
// the screen: the window less our border and caption, which the frame
// stands for. The menu bar, the client edge and the window's own scroll
// bars stay in it, as they are the window's, not the frame's.
RECT framed_part(HWND window);

// What the layer says of a top-level window, gathered on a window thread.
struct WindowLook {
    bool visible = false;
    bool minimized = false;
    bool maximized = false;
    bool topmost = false;
    // A window with a caption is framed by the window manager, when one
    // runs, and its X window shows what lies inside our border and under our
    // caption (framed_part); a caption-less tool or topmost popup (a menu, a
    // dropped list, a tip) is placed by us above its owner. Other X windows
    // show the whole window, our own frame included.
    bool captioned = false;
    bool popup = false;
    bool sizable = false;
    RECT whole{};      // on the screen
    RECT framed{};
    SIZE min_track{};  // of the whole window, when sizable (a detail)
    SIZE max_track{};
    HWND owner = nullptr;
    std::string class_name;
    // The details are asked of the window's procedure, on its own thread,
    // when it is shown or its title or icon change; other looks keep them.
    bool has_details = false;
    std::string title;                // UTF-8
    std::vector<unsigned long> icon;  // _NET_WM_ICON: width, height, then ARGB pixels
    // Gathered while the layer applies what the X side said: not sent back.
    bool from_x = false;
};

// What the X side last said of the window, for its thread to apply.
struct XSide {
    bool known = false;
    RECT shown{};
    bool minimized = false;
    bool maximized = false;
};

class NativeWindow {
public:
    NativeWindow(HWND hwnd, DWORD thread) : hwnd(hwnd), thread(thread) {}

    const HWND hwnd;
    const DWORD thread;

    // Window thread: copies what was painted over `area` of the layer's
    // surface; true when the display thread must be told to show it.
    bool take_pixels(const gdi::Surface& surface, const RECT& area);
    // Display thread: shows the pixels handed over (all of them after an
    // exposure of `exposed`, in window coordinates).
    void show_pixels(Display* display, const RECT* exposed = nullptr);

    // Display thread: makes or changes the X window after `look`.
    void apply(Connection& connection, const WindowLook& look, Window owner_xid);
    void destroy(Display* display);
    Window xid() const { return m_xid; }
    const WindowLook& look() const { return m_look; }
    // The window is to get the input focus: now, or when it becomes viewable.
    void request_focus(Connection& connection);

    // Display thread: events of the X window that change what the X side
    // says; true when the window's thread must apply it (apply_x_side).
    bool note_configure(Connection& connection, const XConfigureEvent& event);
    bool note_property(Connection& connection, const XPropertyEvent& event);
    void note_mapped(Connection& connection, bool mapped);
    void note_reparented(Window parent, Connection& connection);

    // Window thread: brings the layer's window where the X side says it is;
    // false when the layer kept it elsewhere (WM_GETMINMAXINFO's sizes), so
    // the X side must be told again.
    bool apply_x_side();
    // Marks the calling thread as applying what the X side said of a window:
    // what the layer then tells the screen about it is not sent back.
    class Applying {
    public:
        explicit Applying(HWND hwnd);
        ~Applying();
        Applying(const Applying&) = delete;
        Applying& operator=(const Applying&) = delete;

    private:
        HWND m_previous;
    };
    static bool applying(HWND hwnd);

private:
    bool read_state(Connection& connection, bool* minimized, bool* maximized);
    void set_hints(Connection& connection, const WindowLook& look);
    void set_title(Connection& connection, const std::string& title);
    void set_net_state(Connection& connection, Atom state, bool on);
    void move_to(Display* display, const RECT& shown);
    // What the X window covers for a look, and its corner in the surface.
    RECT shown_of(const WindowLook& look) const { return m_framed ? look.framed : look.whole; }
    POINT offset_of(const WindowLook& look) const;

    // Display thread.
    Window m_xid = 0;
    WindowLook m_look;                      // as applied
    bool m_viewable = false;
    bool m_reparented = false;
    bool m_focus_when_viewable = false;
    std::atomic<bool> m_framed{false};  // fixed when the X window is made
    RECT m_x_shown{};  // where the X window is, as last configured or told

    // Between the threads.
    std::mutex m_pixels_mutex;
    std::shared_ptr<gdi::Surface> m_front;  // the layer's pixels, copied
    RECT m_dirty{};                         // in m_front, not yet shown
    bool m_flush_posted = false;
    std::mutex m_side_mutex;
    XSide m_side;
    bool m_side_posted = false;
};

}  // namespace helm::display
