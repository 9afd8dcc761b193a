// The track bar: a thumb on a channel between a minimum and a maximum, with
// tick marks and a selection range. Like a scroll bar it tells its parent
// what the operator did with WM_HSCROLL (WM_VSCROLL with TBS_VERT), but it
// moves itself first: the position in the message is already the new one.
#pragma once

#include <vector>

#include "common.h"

namespace helm::user::commctrl {

class TrackBar {
public:
    TrackBar(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    bool vertical() const { return (controls::style_of(m_window) & TBS_VERT) != 0; }
    int along(POINT p) const { return vertical() ? p.y : p.x; }
    RECT channel() const;
    RECT thumb() const;
    // Where the thumb's leading edge sits for a position, and the reverse.
    int offset_of(int pos) const;
    int pos_at(int offset) const;
    int page_size() const;
    // Sets the position held in the range; true when it moved.
    bool set_pos(long long pos);
    void set_range(int low, int high, bool redraw);
    void send(int code);
    int key_code(WPARAM key) const;
    LRESULT on_key(WPARAM key);
    LRESULT on_button_down(POINT p);
    LRESULT on_mouse_move(POINT p);
    LRESULT on_button_up();
    void step_page();
    int num_tics() const;
    LRESULT on_paint();

    HWND m_window;
    int m_min = 0;
    int m_max = 100;
    int m_pos = 0;
    int m_sel_start = 0;
    int m_sel_end = 0;
    int m_page = -1;  // -1: a fifth of the range, as long as nobody set it
    int m_line = 1;
    int m_tic_freq = 1;
    int m_thumb_length = 21;
    std::vector<DWORD> m_tics;  // the program's own ticks, sorted
    HWND m_buddy_left = nullptr;
    HWND m_buddy_right = nullptr;
    HWND m_tooltips = nullptr;
    enum class Press { none, thumb, page_up, page_down } m_press = Press::none;
    int m_grab = 0;  // where in the thumb the mouse took it
    POINT m_mouse{};
};

}  // namespace helm::user::commctrl
