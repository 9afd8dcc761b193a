// The progress bar: a range, a position held inside it and a step. It takes
// no input and tells nobody anything; the program moves it.
#pragma once

#include "common.h"

namespace helm::user::commctrl {

class ProgressBar {
public:
    ProgressBar(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    // Moves to `pos` held in the range; answers the position before.
    LRESULT move_to(long long pos);
    LRESULT set_range(int low, int high);
    void redraw() { InvalidateRect(m_window, nullptr, TRUE); }
    LRESULT on_paint();

    HWND m_window;
    int m_low = 0;
    int m_high = 100;
    int m_pos = 0;
    int m_step = 10;
    COLORREF m_bar = CLR_DEFAULT;
    COLORREF m_background = CLR_DEFAULT;
    UINT m_state = PBST_NORMAL;
    bool m_marquee = false;
};

}  // namespace helm::user::commctrl
