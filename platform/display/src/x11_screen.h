// The Screen of an X display. Its hooks run on the window threads: they
// describe windows, copy pixels and hand the display thread commands. The
// display thread's events come back to each window's own thread as sent
// work that calls the layer (input, activation, moves, states), since
// windows belong to the thread that made them.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "connection.h"
#include "helm/display/display.h"
#include "keyboard.h"
#include "native_window.h"
#include "selections.h"

namespace helm::display {

class X11Screen final : public LiveScreen, public std::enable_shared_from_this<X11Screen> {
public:
    static std::shared_ptr<X11Screen> open(const char* display_name);
    ~X11Screen() override;

    std::vector<user::Monitor> monitors() const override;
    bool has_operator() const override { return m_connection->alive(); }
    void window_destroyed(HWND window) override;
    void window_moved(HWND window, const RECT&) override { describe(window, false); }
    void window_shown(HWND window, bool) override { describe(window, true); }
    void window_restacked(HWND window) override;
    void window_title_changed(HWND window) override { describe(window, true); }
    void window_icon_changed(HWND window) override { describe(window, true); }
    void window_activated(HWND window) override;
    void capture_changed(HWND window) override;
    void cursor_changed(HCURSOR cursor) override;
    void window_painted(HWND top_level, const RECT& area) override;
    char key_character(BYTE virtual_key, BYTE scan_code, DWORD time, user::KeyModifiers modifiers) const override;
    void clipboard_published(const std::vector<user::ClipboardItem>& items) override;
    bool clipboard_from_desktop(std::vector<user::ClipboardItem>* items) override;

    bool sync(DWORD timeout) override;
    unsigned long x_window_of(HWND top_level) override;

private:
    explicit X11Screen(std::unique_ptr<Connection> connection);

    // Window threads.
    std::shared_ptr<NativeWindow> native(HWND window, bool make);
    // Tells the display thread what the window is like now; `details` reads
    // its title, icon and tracking sizes too (on its own thread only).
    void describe(HWND window, bool details);

    // Display thread.
    void apply(const std::shared_ptr<NativeWindow>& native, const WindowLook& look);
    void on_event(XEvent& event);
    void on_window_event(const std::shared_ptr<NativeWindow>& native, XEvent& event);
    void on_key(const std::shared_ptr<NativeWindow>& native, XKeyEvent& event);
    void on_root_property(const XPropertyEvent& event);
    void define_cursor(Window window);
    Window focused_window() const;
    void ask_focus(const std::shared_ptr<NativeWindow>& native);
    bool focus_moved_from_outside(const std::shared_ptr<NativeWindow>& native);
    // Runs `work` on the thread of the native's window, as sent work, while
    // this screen and the window last.
    void to_layer(const std::shared_ptr<NativeWindow>& native, std::function<void()> work);

    std::unique_ptr<Connection> m_connection;
    Keymap m_keymap;
    std::unique_ptr<Selections> m_selections;
    int m_randr_event = -1;

    mutable std::mutex m_mutex;
    std::unordered_map<HWND, std::shared_ptr<NativeWindow>> m_windows;
    std::vector<user::Monitor> m_monitors;

    // Display thread.
    std::unordered_map<Window, std::shared_ptr<NativeWindow>> m_by_xid;
    std::map<HCURSOR, Cursor> m_cursors;
    Cursor m_cursor = None;          // the layer's current cursor
    Window m_pointer_window = None;  // ours under the pointer
    Window m_grab = None;            // a popup holding the capture
    std::shared_ptr<NativeWindow> m_focus_asked;  // the last window the layer gave the focus
};

}  // namespace helm::display
