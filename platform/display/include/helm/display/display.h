// The live display: the window layer's top-level windows as X11 windows,
// painted from the layer's own pixels, with the mouse, the keyboard, the
// window manager's moves and states, the clipboard and the monitor layout
// turned into the layer's messages and answers.
//
// Programs do not call this: the window layer loads this library when
// DISPLAY is set and HELM_HEADLESS is not 1 (helm/user/screen.h). Tests and
// tools open a display of their own and hand it to helm::user::set_screen.
#pragma once

#include <memory>

#include "helm/user/screen.h"

namespace helm::display {

class LiveScreen : public user::Screen {
public:
    // Waits until everything handed to the display so far (windows, their
    // pixels, the clipboard) has reached the X server; false after
    // `timeout` ms or when the server went away.
    virtual bool sync(DWORD timeout = 5000) = 0;
    // The X window that shows a top-level window; 0 when it has none (never
    // shown, a child, another screen's).
    virtual unsigned long x_window_of(HWND top_level) = 0;
};

// The screen of an X display (null or empty: $DISPLAY); null when the
// server cannot be reached.
std::shared_ptr<LiveScreen> open_x11_screen(const char* display_name = nullptr);

}  // namespace helm::display

// The entry the window layer looks for (helm::user::open_live_screen_symbol).
extern "C" void helm_open_live_screen(std::shared_ptr<helm::user::Screen>* screen);
