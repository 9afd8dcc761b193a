// The connection to the X server and the display thread that alone uses it.
// Window threads hand it commands; it runs them and reads the server's
// events, waiting in poll() on the connection and on an eventfd that a new
// command rings, so it never polls. Events go to the sink given at start,
// on the display thread.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "atoms.h"
#include "helm/kernel/types.h"

namespace helm::display {

class Connection {
public:
    // Connects to the named display (null or empty: $DISPLAY); null when the
    // server cannot be reached. The thread starts with start().
    static std::unique_ptr<Connection> open(const char* name);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    using EventSink = std::function<void(XEvent&)>;
    void start(EventSink sink);
    // Ends the display thread (commands left are dropped); the sink is not
    // called any more.
    void stop();

    // Runs `command` on the display thread, in the order given.
    void post(std::function<void()> command);
    // Runs `command` there and waits for it (false after `timeout` ms, or
    // when the connection is gone). Never from the display thread.
    bool run_and_wait(std::function<void()> command, DWORD timeout);
    bool on_display_thread() const { return std::this_thread::get_id() == m_thread.get_id(); }
    // Display thread: hands every event already read to the sink.
    void handle_events();
    // False once the server went away: commands are dropped from then on.
    bool alive() const { return m_alive; }

    // Display thread (or before start).
    Display* display() const { return m_display; }
    Window root() const { return DefaultRootWindow(m_display); }
    const Atoms& atoms() const { return m_atoms; }
    // The server time of the last event with one (for selections and focus).
    Time last_time() const { return m_last_time; }
    // A server time as GetTickCount has it.
    DWORD tick_of(Time time);
    // True when a window manager that speaks EWMH runs, and whether it
    // supports an atom of _NET_SUPPORTED.
    bool window_manager() const { return m_window_manager; }
    bool supports(Atom hint) const;
    // Reads the window manager's presence again (the root's properties changed).
    void read_window_manager();

private:
    explicit Connection(Display* display);
    void run();
    void run_commands();
    void note_time(const XEvent& event);
    static void io_error_exit(Display* display, void* connection);

    Display* m_display;
    Atoms m_atoms;
    int m_wake = -1;  // eventfd
    std::thread m_thread;
    EventSink m_sink;
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_commands;
    bool m_stopping = false;
    std::atomic<bool> m_alive{true};
    Time m_last_time = CurrentTime;
    bool m_time_known = false;
    DWORD m_tick_offset = 0;
    bool m_window_manager = false;
    std::vector<Atom> m_supported;
};

}  // namespace helm::display
