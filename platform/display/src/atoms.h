// The X atoms the display speaks: window manager hints and protocols, and
// the clipboard's targets. Interned once per connection.
#pragma once

#include <X11/Xlib.h>

namespace helm::display {

struct Atoms {
    Atom wm_protocols = None;
    Atom wm_delete_window = None;
    Atom wm_state = None;
    Atom wm_change_state = None;
    Atom net_wm_ping = None;
    Atom net_wm_name = None;
    Atom net_wm_icon = None;
    Atom net_wm_pid = None;
    Atom net_wm_state = None;
    Atom net_wm_state_maximized_vert = None;
    Atom net_wm_state_maximized_horz = None;
    Atom net_wm_state_above = None;
    Atom net_wm_state_hidden = None;
    Atom net_wm_window_type = None;
    Atom net_wm_window_type_normal = None;
    Atom net_wm_window_type_dialog = None;
    Atom motif_wm_hints = None;
    Atom net_active_window = None;
    Atom net_supporting_wm_check = None;
    Atom net_supported = None;
    Atom net_workarea = None;
    Atom net_current_desktop = None;
    Atom utf8_string = None;
    Atom clipboard = None;
    Atom targets = None;
    Atom timestamp = None;
    Atom incr = None;
    Atom text = None;
    Atom text_plain = None;
    Atom text_plain_utf8 = None;
    Atom image_png = None;
    Atom image_bmp = None;
    Atom transfer = None;  // the property selections are converted into

    void intern(Display* display);
};

}  // namespace helm::display
