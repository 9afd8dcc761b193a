// The up-down control: two arrows that step a position within a range,
// usually shown in a buddy window (an edit) that it may keep up to date.
// Each step is offered to the parent first (UDN_DELTAPOS, which may refuse
// it), also when the position already sits at a bound; a step that moved
// the position is then told with WM_VSCROLL (WM_HSCROLL with UDS_HORZ).
#pragma once

#include <vector>

#include "common.h"

namespace helm::user::commctrl {

class UpDown {
public:
    UpDown(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // One step of `direction` (+1 the up arrow, -1 the down arrow) times
    // `increment`, as the operator's action; true when the position moved.
    bool step(int direction, int increment);

private:
    DWORD style() const { return controls::style_of(m_window); }
    bool horizontal() const { return (style() & UDS_HORZ) != 0; }
    // The position the control answers with: with UDS_SETBUDDYINT the
    // buddy's number, when it reads as one within the range.
    int current(bool* error);
    bool read_buddy(int& value) const;
    void write_buddy() const;
    LRESULT set_pos(int pos);
    HWND set_buddy(HWND buddy);
    void align_to_buddy();
    int increment_now() const;
    // +1 when the point is on the up (right) arrow, -1 on the down (left).
    int arrow_at(POINT p) const;
    void send_scroll(int code) const;
    LRESULT on_button_down(POINT p);
    LRESULT on_button_up();
    LRESULT on_key(WPARAM key);
    LRESULT on_paint();

    HWND m_window;
    int m_low = 100;  // Windows' default range runs from 100 down to 0
    int m_high = 0;
    int m_pos = 0;
    int m_base = 10;
    HWND m_buddy = nullptr;
    std::vector<UDACCEL> m_accel{{0, 1}, {2, 5}, {5, 20}};
    int m_pressed = 0;  // the arrow held, 0 none
    DWORD m_pressed_since = 0;
};

}  // namespace helm::user::commctrl
