// Screen: the way from the window layer to a screen. The layer tells it
// what happens to top-level windows and asks it for the monitor layout, the
// keyboard layout and the desktop's clipboard; the headless screen (the
// default) only keeps a layout that tests can replace, and a live display
// (platform/display) plugs in behind the same interface.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "helm/kernel/types.h"

namespace helm::gdi {
class Surface;
}

namespace helm::user {

struct Monitor {
    RECT area;       // in virtual-screen coordinates
    RECT work_area;  // the area without task bars
    bool primary = false;
};

// The modifiers that choose a key's character.
struct KeyModifiers {
    bool shift = false;
    bool caps_lock = false;  // toggled on
    bool alt_gr = false;     // Ctrl and Alt together, as Windows reports AltGr
};

// One format of the clipboard with a copy of its block's bytes.
struct ClipboardItem {
    UINT format = 0;
    std::vector<std::byte> bytes;
};

class Screen {
public:
    virtual ~Screen() = default;

    // The monitors, the primary first. Never empty.
    virtual std::vector<Monitor> monitors() const = 0;

    // Told after the fact, on the window's thread; nothing is sent back.
    virtual void window_created(HWND) {}
    virtual void window_destroyed(HWND) {}
    virtual void window_moved(HWND, const RECT& /*window_rect*/) {}
    virtual void window_shown(HWND, bool /*visible*/) {}
    virtual void window_invalidated(HWND) {}
    // A top-level window went up or down among the others (SetWindowPos
    // without SWP_NOZORDER), perhaps in or out of WS_EX_TOPMOST.
    virtual void window_restacked(HWND) {}
    // A top-level window's title (WM_SETTEXT) or icon (WM_SETICON) changed.
    virtual void window_title_changed(HWND) {}
    virtual void window_icon_changed(HWND) {}
    // The calling thread's active window is now `window` (null: none).
    virtual void window_activated(HWND /*window*/) {}
    // The mouse capture went to `window` (null: released).
    virtual void capture_changed(HWND /*window*/) {}
    // SetCursor: the cursor to show over the window under the mouse.
    virtual void cursor_changed(HCURSOR) {}
    // A top-level window's pixels: a new surface (first drawing, or its size
    // changed), and drawing into it that ended (EndPaint, ReleaseDC) over
    // `area` (in the surface's pixels).
    virtual void surface_replaced(HWND /*top_level*/, const std::shared_ptr<gdi::Surface>&) {}
    virtual void window_painted(HWND /*top_level*/, const RECT& /*area*/) {}

    // The character a key gives on the keyboard layout in use when it was
    // pressed (Windows-1252; 0 for none), for TranslateMessage. `scan_code`
    // and `time` are those of the key's message. The default is the US
    // English layout.
    virtual char key_character(BYTE virtual_key, BYTE scan_code, DWORD time, KeyModifiers modifiers) const;

    // Whether an operator can see the windows and answer them. Without one
    // (headless for want of a display, a display that went away), the
    // layer's modal boxes, which only an operator ends, fail at once.
    virtual bool has_operator() const { return true; }

    // The desktop's clipboard, joined to the process's. Told what the process
    // put on its clipboard, when the clipboard is closed after a change.
    virtual void clipboard_published(const std::vector<ClipboardItem>& /*items*/) {}
    // Asked before the clipboard is read: true, with what another program
    // put on the desktop's clipboard, when that changed since the process
    // last published or read it.
    virtual bool clipboard_from_desktop(std::vector<ClipboardItem>* /*items*/) { return false; }
};

// Windows without a display: a fixed monitor layout. Its operator is the
// test driver, unless it stands for a missing display (without_operator).
class HeadlessScreen final : public Screen {
public:
    // One primary monitor of 1920 x 1080 at the origin.
    HeadlessScreen();
    explicit HeadlessScreen(std::vector<Monitor> layout);
    static std::shared_ptr<HeadlessScreen> without_operator();

    std::vector<Monitor> monitors() const override { return m_monitors; }
    bool has_operator() const override { return m_operator; }

private:
    std::vector<Monitor> m_monitors;
    bool m_operator = true;
};

// The screen in use. Until replaced it is the one the environment chooses
// at first use: headless when HELM_HEADLESS is 1 (tests, which drive the
// windows themselves), else the live display of platform/display
// (libhelm_display.so, beside the layer) when DISPLAY is set and reachable,
// else headless without an operator. set_screen(nullptr) brings back a
// headless one with its operator.
std::shared_ptr<Screen> screen();
void set_screen(std::shared_ptr<Screen> replacement);

// The entry a live display library exports to be chosen by screen():
//   extern "C" void helm_open_live_screen(std::shared_ptr<helm::user::Screen>*);
// which leaves the screen there, or null when the display cannot be reached.
using OpenLiveScreen = void (*)(std::shared_ptr<Screen>*);
inline constexpr const char* open_live_screen_symbol = "helm_open_live_screen";

}  // namespace helm::user
