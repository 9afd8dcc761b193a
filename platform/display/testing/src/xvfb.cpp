#include "helm/display/testing/xvfb.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>


extern char** environ;

namespace helm::display::testing {
namespace {

constexpr int start_timeout_ms = 15000;

// Waits for a child at most `timeout_ms`; its exit status, -1 when it did
// not end (then it is killed).
int wait_child(pid_t pid, int timeout_ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (r < 0)
            return -1;
        if (std::chrono::steady_clock::now() >= end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::vector<char*> pointers(std::vector<std::string>& words)
{
    std::vector<char*> out;
    for (auto& w : words)
        out.push_back(w.data());
    out.push_back(nullptr);
    return out;
}

}  // namespace

Xvfb::Xvfb(int width, int height)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        m_failure = "no pipe for Xvfb's display number";
        return;
    }
    std::vector<std::string> words = {"Xvfb",      "-displayfd", "3",     "-screen", "0",
                                      std::to_string(width) + "x" + std::to_string(height) + "x24",
                                      "-nolisten", "tcp",        "-noreset"};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    auto argv = pointers(words);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        m_failure = std::string("Xvfb cannot be started: ") + std::strerror(spawned);
        return;
    }
    // Xvfb writes its display number once it takes connections.
    std::string number;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(start_timeout_ms);
    while (number.empty() || number.back() != '\n') {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd fd{fds[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buffer[32];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        number.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (number.empty() || number.back() != '\n') {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        m_failure = "Xvfb did not report a display within " + std::to_string(start_timeout_ms / 1000) + " s";
        return;
    }
    number.pop_back();
    m_pid = pid;
    m_name = ":" + number;
}

Xvfb::~Xvfb() { stop(); }

void Xvfb::stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    wait_child(m_pid, 10000);
    m_pid = -1;
}

int xdotool(const std::string& display, const std::vector<std::string>& arguments, int timeout_ms)
{
    std::vector<std::string> words = {"xdotool"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    auto argv = pointers(words);
    std::vector<std::string> variables;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "DISPLAY=", 8) != 0)
            variables.push_back(*e);
    variables.push_back("DISPLAY=" + display);
    auto envp = pointers(variables);
    pid_t pid = -1;
    if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return wait_child(pid, timeout_ms);
}

std::shared_ptr<gdi::Surface> screenshot(const std::string& name)
{
    Display* display = XOpenDisplay(name.c_str());
    if (!display)
        return nullptr;
    const int screen = DefaultScreen(display);
    const int width = DisplayWidth(display, screen), height = DisplayHeight(display, screen);
    std::shared_ptr<gdi::Surface> picture;
    if (XImage* image = XGetImage(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap)) {
        picture = gdi::Surface::create(width, height);
        auto channel = [](unsigned long pixel, unsigned long mask) -> uint32_t {
            if (!mask)
                return 0;
            int shift = 0;
            while (!((mask >> shift) & 1))
                ++shift;
            return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 / (mask >> shift));
        };
        for (int y = 0; picture && y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                picture->row(y)[x] = 0xFF000000u | (channel(pixel, image->red_mask) << 16) |
                                     (channel(pixel, image->green_mask) << 8) | channel(pixel, image->blue_mask);
            }
        if (picture)
            picture->mark_dirty();
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return picture;
}

}  // namespace helm::display::testing
