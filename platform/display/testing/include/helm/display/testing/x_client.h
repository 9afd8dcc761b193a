// Another client of a test's X display: it looks at the windows the live
// display made as a window manager or another program would (properties,
// places, focus, requests to the window manager), does to them what those
// do, and uses the clipboard as another program. No X types show here, so
// tests that include <windows.h> can use it.
#pragma once

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace helm::display::testing {

class XClient {
public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool connected() const { return m_display != nullptr; }
    unsigned long root() const;
    // Waits until the server has done everything asked so far.
    void sync();

    // A window's property: text (UTF-8 as stored), 32-bit values, or atoms
    // by name; empty when missing.
    std::string text_property(unsigned long window, const char* name);
    std::vector<long> values_property(unsigned long window, const char* name);
    std::vector<std::string> atoms_property(unsigned long window, const char* name);
    // Sets 32-bit values with a type given by name (CARDINAL, WM_STATE...),
    // or atoms by name.
    void set_values_property(unsigned long window, const char* name, const char* type, const std::vector<long>& values);
    void set_atoms_property(unsigned long window, const char* name, const std::vector<std::string>& atoms);

    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;  // on the screen
        bool viewable = false;
        bool override_redirect = false;
    };
    Geometry geometry(unsigned long window);
    // The screen's top windows, the top one first.
    std::vector<unsigned long> top_windows();
    void move_resize(unsigned long window, int x, int y, int width, int height);
    // What a window manager sends when its close box is clicked.
    void ask_to_close(unsigned long window);
    void focus(unsigned long window);
    unsigned long focused();
    // Maps and unmaps a plain window of its own over a rectangle (to cover
    // other windows).
    unsigned long cover(int x, int y, int width, int height);
    void uncover(unsigned long window);

    // A digest of the cursor the screen shows now, to tell cursors apart.
    unsigned long cursor_digest();

    // Requests sent to the window manager (client messages to the root), in
    // the order they came: the message's name and its five values.
    void watch_window_manager_requests();
    std::optional<std::pair<std::string, std::array<long, 5>>> next_request(int timeout_ms);

    // The clipboard as another program: offers bytes for each target until
    // the owner is destroyed or another takes the clipboard (a slow program
    // answers its first request `answer_after_ms` late); and reads what the
    // owner gives for a target (nullopt on refusal or time-out).
    void offer_clipboard(const std::map<std::string, std::string>& targets, int answer_after_ms = 0);
    std::optional<std::string> read_clipboard(const char* target, int timeout_ms = 5000);

private:
    unsigned long atom(const char* name);
    void* m_display = nullptr;  // Display*
    struct Owner;
    std::unique_ptr<Owner> m_owner;
};

}  // namespace helm::display::testing
