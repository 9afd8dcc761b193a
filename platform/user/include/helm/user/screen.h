// Screen: the way from the window layer to a screen. The layer tells it
// what happens to top-level windows and asks it for the monitor layout;
// the headless screen (the default) only keeps a layout that tests can
// replace, and a live display plugs in behind the same interface.
#pragma once

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
    // A top-level window's pixels: a new surface (first drawing, or its size
    // changed), and drawing into it that ended (EndPaint, ReleaseDC).
    virtual void surface_replaced(HWND /*top_level*/, const std::shared_ptr<gdi::Surface>&) {}
    virtual void window_painted(HWND /*top_level*/) {}
};

// Windows without a display: a fixed monitor layout.
class HeadlessScreen final : public Screen {
public:
    // One primary monitor of 1920 x 1080 at the origin.
    HeadlessScreen();
    explicit HeadlessScreen(std::vector<Monitor> layout);

    std::vector<Monitor> monitors() const override { return m_monitors; }

private:
    std::vector<Monitor> m_monitors;
};

// The screen in use (a HeadlessScreen until replaced). set_screen(nullptr)
// brings back the default one.
std::shared_ptr<Screen> screen();
void set_screen(std::shared_ptr<Screen> replacement);

}  // namespace helm::user
