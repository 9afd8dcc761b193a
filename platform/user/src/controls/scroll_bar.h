// Scroll bars: the "ScrollBar" control and the bars of windows with
// WS_HSCROLL or WS_VSCROLL. Both keep a ScrollState, held to its range as
// Windows holds it. A scroll bar never moves itself: it tells its parent
// (WM_HSCROLL or WM_VSCROLL) what the operator asked for, and the parent
// sets the position.
#pragma once

#include "control.h"

namespace helm::user::controls {

// A range, a page and a position. The position stays within
// [min, max - (page - 1)]; the page within the range's size.
class ScrollState {
public:
    ScrollState(int min, int max) : m_min(min), m_max(max) {}
    // Applies the parts of `info` its fMask names; answers the new position.
    int set(const SCROLLINFO& info);
    // Fills the parts fMask names; false when it names none.
    bool get(SCROLLINFO& info) const;
    int pos() const { return m_pos; }
    int min() const { return m_min; }
    int max() const { return m_max; }
    UINT page() const { return m_page; }
    int track_pos() const { return m_tracking ? m_track : m_pos; }
    // The highest position the page allows.
    int max_pos() const;
    void set_track(int track, bool tracking) { m_track = track, m_tracking = tracking; }
    UINT arrows = ESB_ENABLE_BOTH;

private:
    void clamp();
    int m_min;
    int m_max;
    UINT m_page = 0;
    int m_pos = 0;
    int m_track = 0;
    bool m_tracking = false;
};

// Where the parts of a bar lie along it: arrows at both ends, the thumb in
// proportion to the page (thumb_size 0: no thumb).
struct ScrollLayout {
    int length;  // along the bar
    int arrow;
    int thumb_start;
    int thumb_size;
};
ScrollLayout scroll_layout(int length, int thickness, const ScrollState& state);

// Draws a bar in `area` of `dc`: arrows, the track and the thumb in the
// classic look. `pressed` is 1 for the up/left arrow, 2 for the page before
// the thumb, 4 for the page after, 5 for the down/right arrow, else 0.
void draw_scroll_bar(HDC dc, RECT area, bool vertical, const SCROLLINFO& info, bool enabled, int pressed);
void draw_scroll_bar(HDC dc, RECT area, bool vertical, const ScrollState& state, bool enabled, int pressed);

class ScrollBar {
public:
    ScrollBar(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    enum class Part { none, line_up, page_up, thumb, page_down, line_down };
    using Layout = ScrollLayout;

    bool vertical() const { return (style_of(m_window) & SBS_VERT) != 0; }
    bool inert() const { return (style_of(m_window) & (SBS_SIZEBOX | SBS_SIZEGRIP)) != 0; }
    Layout layout() const;
    Part part_at(POINT point) const;
    int along(POINT point) const { return vertical() ? point.y : point.x; }
    int pos_at(int offset) const;

    LRESULT on_set_info(WPARAM redraw, LPARAM info);
    LRESULT on_get_info(LPARAM info) const;
    LRESULT on_set_pos(WPARAM pos);
    LRESULT on_set_range(WPARAM min, LPARAM max);
    LRESULT on_get_range(WPARAM min, LPARAM max) const;
    LRESULT on_button_down(LPARAM lParam);
    LRESULT on_mouse_move(LPARAM lParam);
    LRESULT on_button_up();
    LRESULT on_key(WPARAM key, bool down);
    LRESULT on_timer(WPARAM id);
    // The code a held arrow or page part repeats.
    int code_of(Part part) const;
    LRESULT on_paint();
    void send(int code, int pos = 0);

    HWND m_window;
    ScrollState m_state{0, 0};
    Part m_pressed = Part::none;
    int m_grab = 0;  // where in the thumb the mouse took it
    POINT m_mouse{};  // where the mouse is while a part is held
    bool m_key_down = false;
    HBRUSH m_brush = nullptr;
};

// The state of a window's own bar (SB_HORZ or SB_VERT), made with
// Windows' 0 to 100 when first asked for; null for a window that is gone.
ScrollState* window_scroll_state(HWND window, int bar, std::unique_lock<std::mutex>& lock);

}  // namespace helm::user::controls
