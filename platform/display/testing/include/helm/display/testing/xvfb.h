// For tests of programs on a live display: a private X server (Xvfb, no
// window manager), xdotool acting as the operator on it, and pictures of
// the whole X screen. Tests skip when Xvfb cannot start.
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "helm/gdi/surface.h"

namespace helm::display::testing {

// Xvfb on a display number it chooses itself (-displayfd), so tests in
// parallel never meet; one screen of width x height at 24 bits.
class Xvfb {
public:
    explicit Xvfb(int width = 1024, int height = 768);
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    bool started() const { return m_pid > 0; }
    // Why it did not start.
    const std::string& failure() const { return m_failure; }
    // The display's name (":N").
    const std::string& name() const { return m_name; }
    // Ends the server now.
    void stop();

private:
    pid_t m_pid = -1;
    std::string m_name;
    std::string m_failure;
};

// Runs xdotool with `arguments` on the display and waits for it (at most
// `timeout_ms`); its exit status, or -1 when it could not run or end.
int xdotool(const std::string& display, const std::vector<std::string>& arguments, int timeout_ms = 20000);

// The whole screen (the root window) through a connection of its own.
std::shared_ptr<gdi::Surface> screenshot(const std::string& display);

// Pumps the calling thread's messages as a program's loop does (dialogs
// through IsDialogMessage) until `done` holds, at most `timeout_ms`: the
// display's input reaches the thread as sent work while it waits.
bool pump_until(const std::function<bool()>& done, int timeout_ms = 20000);

}  // namespace helm::display::testing
