#include "connection.h"

#include <X11/Xatom.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <future>

#include "helm/kernel/clock.h"

namespace helm::display {
namespace {

// Errors of requests on windows that went away meanwhile (a race the
// protocol allows) are expected; they are told on HELM_TRACE only.
int ignore_error(Display* display, XErrorEvent* error)
{
    if (std::getenv("HELM_TRACE")) {
        char text[256];
        XGetErrorText(display, error->error_code, text, sizeof text);
        std::fprintf(stderr, "helm display: X error %s (request %d)\n", text, error->request_code);
    }
    return 0;
}

// A lost connection is told by the exit handler of each connection; Xlib's
// own handler would print and end the program.
int note_io_error(Display*) { return 0; }

}  // namespace

std::unique_ptr<Connection> Connection::open(const char* name)
{
    Display* display = XOpenDisplay(name && *name ? name : nullptr);
    if (!display)
        return nullptr;
    return std::unique_ptr<Connection>(new Connection(display));
}

Connection::Connection(Display* display) : m_display(display)
{
    XSetErrorHandler(ignore_error);
    XSetIOErrorHandler(note_io_error);
    XSetIOErrorExitHandler(m_display, &Connection::io_error_exit, this);
    m_atoms.intern(m_display);
    m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    XSelectInput(m_display, root(), PropertyChangeMask | StructureNotifyMask);
    read_window_manager();
}

Connection::~Connection()
{
    stop();
    // A connection that died is left as it is: Xlib must not touch it again.
    if (m_alive)
        XCloseDisplay(m_display);
    if (m_wake >= 0)
        close(m_wake);
}

// The server went away. Xlib would end the process; returning leaves the
// connection dead instead, and the program runs on without its windows
// shown, as it does headless.
void Connection::io_error_exit(Display*, void* connection)
{
    static_cast<Connection*>(connection)->m_alive = false;
}

void Connection::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    const uint64_t one = 1;
    if (m_wake >= 0 && write(m_wake, &one, sizeof one) < 0) {
        // The thread sees m_stopping at its next wake-up anyway.
    }
    if (m_thread.joinable() && !on_display_thread())
        m_thread.join();
}

void Connection::start(EventSink sink)
{
    m_sink = std::move(sink);
    m_thread = std::thread([this] { run(); });
}

void Connection::post(std::function<void()> command)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping || !m_alive)
            return;
        m_commands.push_back(std::move(command));
    }
    const uint64_t one = 1;
    if (write(m_wake, &one, sizeof one) < 0) {
        // The counter is full only if the thread stopped reading: it is gone.
    }
}

bool Connection::run_and_wait(std::function<void()> command, DWORD timeout)
{
    if (!m_alive || on_display_thread())
        return false;
    auto done = std::make_shared<std::promise<void>>();
    auto future = done->get_future();
    post([command = std::move(command), done] {
        command();
        done->set_value();
    });
    return future.wait_for(std::chrono::milliseconds(timeout)) == std::future_status::ready;
}

void Connection::run_commands()
{
    for (;;) {
        std::function<void()> command;
        {
            std::lock_guard lock(m_mutex);
            if (m_commands.empty())
                return;
            command = std::move(m_commands.front());
            m_commands.pop_front();
        }
        if (m_alive)
            command();
    }
}

void Connection::run()
{
    // Writing to a server that went away must fail, not end the program:
    // only this thread writes to the connection.
    sigset_t pipe_signal;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_signal, nullptr);
    const int x_fd = ConnectionNumber(m_display);
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping)
                break;
        }
        run_commands();
        // Commands that read replies may have queued events: all of them are
        // handled before waiting, as poll() would not see them.
        handle_events();
        if (!m_alive)
            break;
        XFlush(m_display);
        pollfd fds[2] = {{x_fd, POLLIN, 0}, {m_wake, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents & POLLIN) {
            uint64_t count;
            if (read(m_wake, &count, sizeof count) < 0) {
                // Nothing to read: another wake-up took it.
            }
        }
    }
    // Commands left (and those posted later) are dropped; whoever waits on
    // one gives up at its time-out.
    std::lock_guard lock(m_mutex);
    m_commands.clear();
    m_stopping = true;
}

void Connection::handle_events()
{
    while (m_alive && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        note_time(event);
        m_sink(event);
    }
}

void Connection::note_time(const XEvent& event)
{
    Time time = CurrentTime;
    switch (event.type) {
    case KeyPress:
    case KeyRelease: time = event.xkey.time; break;
    case ButtonPress:
    case ButtonRelease: time = event.xbutton.time; break;
    case MotionNotify: time = event.xmotion.time; break;
    case EnterNotify:
    case LeaveNotify: time = event.xcrossing.time; break;
    case PropertyNotify: time = event.xproperty.time; break;
    default: break;
    }
    if (time != CurrentTime)
        m_last_time = time;
}

DWORD Connection::tick_of(Time time)
{
    const DWORD now = GetTickCount();
    if (time == CurrentTime)
        return now;
    const auto server = static_cast<DWORD>(time);
    if (!m_time_known) {
        m_tick_offset = now - server;
        m_time_known = true;
    }
    // Both clocks count milliseconds; a tick ahead of now means the clocks
    // drifted apart, and the offset follows.
    DWORD tick = server + m_tick_offset;
    if (static_cast<int32_t>(tick - now) > 0) {
        m_tick_offset = now - server;
        tick = now;
    }
    return tick;
}

void Connection::read_window_manager()
{
    m_window_manager = false;
    m_supported.clear();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, root(), m_atoms.net_supporting_wm_check, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1)
        m_window_manager = true;
    if (data)
        XFree(data);
    data = nullptr;
    if (!m_window_manager)
        return;
    // At most 1024 hints are read.
    if (XGetWindowProperty(m_display, root(), m_atoms.net_supported, 0, 1024, False, XA_ATOM, &type, &format, &count,
                           &after, &data) == Success &&
        type == XA_ATOM && format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        m_supported.assign(atoms, atoms + count);
    }
    if (data)
        XFree(data);
}

bool Connection::supports(Atom hint) const
{
    return m_window_manager && std::find(m_supported.begin(), m_supported.end(), hint) != m_supported.end();
}

}  // namespace helm::display
