#include "progress_bar.h"

#include <algorithm>

namespace helm::user::commctrl {

namespace {
controls::ControlMap<ProgressBar>& bars()
{
    static auto* map = new controls::ControlMap<ProgressBar>;
    return *map;
}
}  // namespace

ProgressBar::ProgressBar(HWND window, const CREATESTRUCT&) : m_window(window) {}

LRESULT CALLBACK ProgressBar::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return controls::run_control(bars(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<ProgressBar>(w, cs);
    });
}

LRESULT ProgressBar::move_to(long long pos)
{
    const int before = m_pos;
    const int low = std::min(m_low, m_high);
    const int high = std::max(m_low, m_high);
    m_pos = static_cast<int>(std::clamp<long long>(pos, low, high));
    if (m_pos != before)
        redraw();
    return before;
}

LRESULT ProgressBar::set_range(int low, int high)
{
    const LRESULT before = MAKELONG(m_low, m_high);
    m_low = low;
    m_high = high;
    move_to(m_pos);
    redraw();
    return before;
}

LRESULT ProgressBar::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case PBM_SETRANGE:
        // The 16-bit form takes its bounds unsigned, 0 to 65535.
        return set_range(LOWORD(lParam), HIWORD(lParam));
    case PBM_SETRANGE32:
        return set_range(static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE:
        if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) {
            range->iLow = m_low;
            range->iHigh = m_high;
        }
        return wParam ? m_low : m_high;
    case PBM_SETPOS:
        return move_to(static_cast<int>(wParam));
    case PBM_GETPOS:
        return m_pos;
    case PBM_DELTAPOS:
        return move_to(static_cast<long long>(m_pos) + static_cast<int>(wParam));
    case PBM_SETSTEP: {
        const int before = m_step;
        m_step = static_cast<int>(wParam);
        return before;
    }
    case PBM_GETSTEP:
        return m_step;
    case PBM_STEPIT: {
        // Past the end it starts again from the beginning.
        const int before = m_pos;
        long long next = static_cast<long long>(m_pos) + m_step;
        const int low = std::min(m_low, m_high);
        const int high = std::max(m_low, m_high);
        if (next > high || next < low) {
            const long long span = static_cast<long long>(high) - low;
            next = span > 0 ? low + ((next - low) % span + span) % span : low;
        }
        move_to(next);
        return before;
    }
    case PBM_SETBARCOLOR: {
        const COLORREF before = m_bar;
        m_bar = static_cast<COLORREF>(lParam);
        redraw();
        return static_cast<LRESULT>(before);
    }
    case PBM_GETBARCOLOR:
        return static_cast<LRESULT>(m_bar);
    case PBM_SETBKCOLOR: {
        const COLORREF before = m_background;
        m_background = static_cast<COLORREF>(lParam);
        redraw();
        return static_cast<LRESULT>(before);
    }
    case PBM_GETBKCOLOR:
        return static_cast<LRESULT>(m_background);
    case PBM_SETMARQUEE:
        m_marquee = wParam != 0;
        redraw();
        return TRUE;
    case PBM_SETSTATE: {
        const UINT before = m_state;
        if (wParam >= PBST_NORMAL && wParam <= PBST_PAUSED)
            m_state = static_cast<UINT>(wParam);
        return before;
    }
    case PBM_GETSTATE:
        return m_state;
    case WM_PAINT:
        return on_paint();
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

// The classic look: a thin sunken frame, then blocks of the highlight
// colour (a solid bar with PBS_SMOOTH) up to the position.
LRESULT ProgressBar::on_paint()
{
    Paint paint(m_window);
    HDC dc = paint.dc();
    if (!dc)
        return 0;
    RECT r = paint.client();
    fill(dc, r, m_background, COLOR_3DFACE);
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    InflateRect(&r, -1, -1);
    const bool vertical = (controls::style_of(m_window) & PBS_VERTICAL) != 0;
    const long long span = static_cast<long long>(std::max(m_low, m_high)) - std::min(m_low, m_high);
    const long long length = vertical ? r.bottom - r.top : r.right - r.left;
    if (span <= 0 || length <= 0)
        return 0;
    const int done = static_cast<int>((static_cast<long long>(m_pos) - std::min(m_low, m_high)) * length / span);
    RECT bar = r;
    if (vertical)
        bar.top = bar.bottom - done;
    else
        bar.right = bar.left + done;
    if (controls::style_of(m_window) & PBS_SMOOTH) {
        fill(dc, bar, m_bar, COLOR_HIGHLIGHT);
        return 0;
    }
    // Blocks two thirds as wide as the bar is high, two pixels apart.
    const int across = vertical ? r.right - r.left : r.bottom - r.top;
    const int block = std::max(2, across * 2 / 3);
    for (int at = 0; at < done; at += block + 2) {
        RECT b = bar;
        const int size = std::min(block, done - at);
        if (vertical) {
            b.bottom = r.bottom - at;
            b.top = b.bottom - size;
        } else {
            b.left = r.left + at;
            b.right = b.left + size;
        }
        fill(dc, b, m_bar, COLOR_HIGHLIGHT);
    }
    return 0;
}

}  // namespace helm::user::commctrl
