#include "track_bar.h"

#include <algorithm>

namespace helm::user::commctrl {

namespace {
controls::ControlMap<TrackBar>& bars()
{
    static auto* map = new controls::ControlMap<TrackBar>;
    return *map;
}

// The classic proportions: the channel is inset from the ends by a margin,
// the thumb is 11 pixels along it.
constexpr int margin = 8;
constexpr int thumb_width = 11;
constexpr int channel_depth = 4;
// A press on the channel pages again after a pause, then steadily.
constexpr UINT_PTR repeat_timer = 0x7B01;
constexpr UINT repeat_delay_ms = 400;
constexpr UINT repeat_interval_ms = 100;
}  // namespace

TrackBar::TrackBar(HWND window, const CREATESTRUCT&) : m_window(window) {}

LRESULT CALLBACK TrackBar::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return controls::run_control(bars(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<TrackBar>(w, cs);
    });
}

RECT TrackBar::channel() const
{
    RECT client{};
    GetClientRect(m_window, &client);
    // A selection range needs room inside the channel to show.
    const int depth = (controls::style_of(m_window) & TBS_ENABLESELRANGE) ? 2 * channel_depth : channel_depth;
    if (vertical())
        return {margin, margin, margin + depth, std::max<LONG>(margin, client.bottom - margin)};
    return {margin, margin, std::max<LONG>(margin, client.right - margin), margin + depth};
}

int TrackBar::offset_of(int pos) const
{
    const RECT c = channel();
    const long long travel = std::max<long long>(0, (vertical() ? c.bottom - c.top : c.right - c.left) - thumb_width);
    const long long span = static_cast<long long>(m_max) - m_min;
    const long long start = vertical() ? c.top : c.left;
    if (span <= 0)
        return static_cast<int>(start);
    return static_cast<int>(start + (static_cast<long long>(pos) - m_min) * travel / span);
}

int TrackBar::pos_at(int offset) const
{
    const RECT c = channel();
    const long long travel = (vertical() ? c.bottom - c.top : c.right - c.left) - thumb_width;
    const long long span = static_cast<long long>(m_max) - m_min;
    if (travel <= 0 || span <= 0)
        return m_min;
    const long long from = offset - (vertical() ? c.top : c.left);
    // To the nearest position, halves away from the start.
    const long long pos = m_min + (from * span * 2 + travel) / (travel * 2);
    return static_cast<int>(std::clamp<long long>(pos, m_min, m_max));
}

RECT TrackBar::thumb() const
{
    const int at = offset_of(m_pos);
    const int across = 2;
    if (vertical())
        return {across, at, across + m_thumb_length, at + thumb_width};
    return {at, across, at + thumb_width, across + m_thumb_length};
}

int TrackBar::page_size() const
{
    if (m_page >= 0)
        return m_page;
    return static_cast<int>((static_cast<long long>(m_max) - m_min) / 5);
}

bool TrackBar::set_pos(long long pos)
{
    const int next = static_cast<int>(std::clamp<long long>(pos, m_min, std::max(m_min, m_max)));
    if (next == m_pos)
        return false;
    m_pos = next;
    InvalidateRect(m_window, nullptr, TRUE);
    return true;
}

void TrackBar::set_range(int low, int high, bool redraw)
{
    m_min = low;
    m_max = std::max(low, high);
    m_pos = std::clamp(m_pos, m_min, m_max);
    if (redraw)
        InvalidateRect(m_window, nullptr, TRUE);
}

void TrackBar::send(int code)
{
    HWND parent = GetParent(m_window);
    if (!parent)
        return;
    const WORD pos = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? static_cast<WORD>(m_pos) : 0;
    SendMessage(parent, vertical() ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos),
                reinterpret_cast<LPARAM>(m_window));
}

int TrackBar::num_tics() const
{
    if (controls::style_of(m_window) & TBS_NOTICKS)
        return 0;
    long long inner = static_cast<long long>(m_tics.size());
    if ((controls::style_of(m_window) & TBS_AUTOTICKS) && m_tic_freq > 0 && m_max > m_min)
        inner = (static_cast<long long>(m_max) - m_min - 1) / m_tic_freq;
    return static_cast<int>(inner + 2);
}

int TrackBar::key_code(WPARAM key) const
{
    switch (key) {
    case VK_LEFT:
    case VK_UP: return TB_LINEUP;
    case VK_RIGHT:
    case VK_DOWN: return TB_LINEDOWN;
    case VK_PRIOR: return TB_PAGEUP;
    case VK_NEXT: return TB_PAGEDOWN;
    case VK_HOME: return TB_TOP;
    case VK_END: return TB_BOTTOM;
    default: return -1;
    }
}

LRESULT TrackBar::on_key(WPARAM key)
{
    const int code = key_code(key);
    switch (code) {
    case TB_LINEUP: set_pos(static_cast<long long>(m_pos) - m_line); break;
    case TB_LINEDOWN: set_pos(static_cast<long long>(m_pos) + m_line); break;
    case TB_PAGEUP: set_pos(static_cast<long long>(m_pos) - page_size()); break;
    case TB_PAGEDOWN: set_pos(static_cast<long long>(m_pos) + page_size()); break;
    case TB_TOP: set_pos(m_min); break;
    case TB_BOTTOM: set_pos(m_max); break;
    default: return DefWindowProc(m_window, WM_KEYDOWN, key, 0);
    }
    // At a bound the position stays, but the parent still hears the key.
    send(code);
    return 0;
}

void TrackBar::step_page()
{
    const RECT t = thumb();
    const int at = along(m_mouse);
    const int start = vertical() ? t.top : t.left;
    const int end = vertical() ? t.bottom : t.right;
    // The paging stops once the thumb has come under the mouse.
    if (m_press == Press::page_up && at < start) {
        set_pos(static_cast<long long>(m_pos) - page_size());
        send(TB_PAGEUP);
    } else if (m_press == Press::page_down && at >= end) {
        set_pos(static_cast<long long>(m_pos) + page_size());
        send(TB_PAGEDOWN);
    }
}

LRESULT TrackBar::on_button_down(POINT p)
{
    if (GetFocus() != m_window)
        SetFocus(m_window);
    if (!IsWindow(m_window))
        return 0;
    m_mouse = p;
    const RECT t = thumb();
    if (!(controls::style_of(m_window) & TBS_NOTHUMB) && PtInRect(&t, p)) {
        m_press = Press::thumb;
        m_grab = along(p) - (vertical() ? t.top : t.left);
    } else {
        m_press = along(p) < (vertical() ? t.top : t.left) ? Press::page_up : Press::page_down;
        step_page();
        SetTimer(m_window, repeat_timer, repeat_delay_ms, nullptr);
    }
    controls::capture_mouse(m_window);
    return 0;
}

LRESULT TrackBar::on_mouse_move(POINT p)
{
    m_mouse = p;
    if (m_press == Press::thumb && set_pos(pos_at(along(p) - m_grab)))
        send(TB_THUMBTRACK);
    return 0;
}

LRESULT TrackBar::on_button_up()
{
    const Press was = m_press;
    if (was == Press::none)
        return 0;
    m_press = Press::none;
    KillTimer(m_window, repeat_timer);
    controls::release_mouse(m_window);
    if (was == Press::thumb)
        send(TB_THUMBPOSITION);
    send(TB_ENDTRACK);
    if (IsWindow(m_window))
        notify(m_window, NM_RELEASEDCAPTURE);
    return 0;
}

LRESULT TrackBar::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case TBM_GETPOS:
        return m_pos;
    case TBM_SETPOS:
        m_pos = std::clamp(static_cast<int>(lParam), m_min, m_max);
        if (wParam)
            InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case TBM_GETRANGEMIN:
        return m_min;
    case TBM_GETRANGEMAX:
        return m_max;
    case TBM_SETRANGE:
        // The short form's bounds are signed 16-bit values.
        set_range(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)), wParam != 0);
        return 0;
    case TBM_SETRANGEMIN:
        set_range(static_cast<int>(lParam), m_max, wParam != 0);
        return 0;
    case TBM_SETRANGEMAX:
        set_range(m_min, static_cast<int>(lParam), wParam != 0);
        return 0;
    case TBM_SETSEL:
        m_sel_start = static_cast<short>(LOWORD(lParam));
        m_sel_end = static_cast<short>(HIWORD(lParam));
        if (wParam)
            InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case TBM_SETSELSTART:
        m_sel_start = static_cast<int>(lParam);
        if (wParam)
            InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case TBM_SETSELEND:
        m_sel_end = static_cast<int>(lParam);
        if (wParam)
            InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case TBM_GETSELSTART:
        return m_sel_start;
    case TBM_GETSELEND:
        return m_sel_end;
    case TBM_CLEARSEL:
        m_sel_start = m_sel_end = 0;
        if (wParam)
            InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case TBM_SETTIC: {
        const auto pos = static_cast<int>(lParam);
        if (pos <= m_min || pos >= m_max)
            return FALSE;
        const auto value = static_cast<DWORD>(pos);
        auto at = std::lower_bound(m_tics.begin(), m_tics.end(), value, [](DWORD a, DWORD b) {
            return static_cast<int>(a) < static_cast<int>(b);
        });
        if (at == m_tics.end() || *at != value)
            m_tics.insert(at, value);
        InvalidateRect(m_window, nullptr, TRUE);
        return TRUE;
    }
    case TBM_GETTIC:
        return wParam < m_tics.size() ? static_cast<int>(m_tics[wParam]) : -1;
    case TBM_GETTICPOS:
        return wParam < m_tics.size() ? offset_of(static_cast<int>(m_tics[wParam])) + thumb_width / 2 : -1;
    case TBM_GETPTICS:
        return m_tics.empty() ? 0 : reinterpret_cast<LRESULT>(m_tics.data());
    case TBM_GETNUMTICS:
        return num_tics();
    case TBM_CLEARTICS:
        m_tics.clear();
        if (wParam)
            InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case TBM_SETTICFREQ:
        m_tic_freq = std::max(1, static_cast<int>(wParam));
        InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case TBM_SETPAGESIZE: {
        const int before = page_size();
        m_page = std::max(0, static_cast<int>(lParam));
        return before;
    }
    case TBM_GETPAGESIZE:
        return page_size();
    case TBM_SETLINESIZE: {
        const int before = m_line;
        m_line = std::max(0, static_cast<int>(lParam));
        return before;
    }
    case TBM_GETLINESIZE:
        return m_line;
    case TBM_GETTHUMBRECT:
        if (auto* r = reinterpret_cast<RECT*>(lParam))
            *r = thumb();
        return 0;
    case TBM_GETCHANNELRECT:
        if (auto* r = reinterpret_cast<RECT*>(lParam))
            *r = channel();
        return 0;
    case TBM_SETTHUMBLENGTH:
        if (controls::style_of(m_window) & TBS_FIXEDLENGTH)
            m_thumb_length = std::max(1, static_cast<int>(wParam));
        return 0;
    case TBM_GETTHUMBLENGTH:
        return m_thumb_length;
    case TBM_SETTOOLTIPS:
        m_tooltips = reinterpret_cast<HWND>(wParam);
        return 0;
    case TBM_GETTOOLTIPS:
        return reinterpret_cast<LRESULT>(m_tooltips);
    case TBM_SETTIPSIDE:
        return 0;
    case TBM_SETBUDDY: {
        HWND& slot = wParam ? m_buddy_left : m_buddy_right;
        HWND before = slot;
        slot = reinterpret_cast<HWND>(lParam);
        return reinterpret_cast<LRESULT>(before);
    }
    case TBM_GETBUDDY:
        return reinterpret_cast<LRESULT>(wParam ? m_buddy_left : m_buddy_right);
    case WM_KEYDOWN:
        return on_key(wParam);
    case WM_KEYUP:
        if (key_code(wParam) >= 0)
            send(TB_ENDTRACK);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return on_button_down(controls::point_of(lParam));
    case WM_MOUSEMOVE:
        return on_mouse_move(controls::point_of(lParam));
    case WM_LBUTTONUP:
        return on_button_up();
    case WM_TIMER:
        if (wParam != repeat_timer)
            return DefWindowProc(m_window, message, wParam, lParam);
        if (m_press == Press::page_up || m_press == Press::page_down) {
            SetTimer(m_window, repeat_timer, repeat_interval_ms, nullptr);
            step_page();
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (m_press != Press::none && reinterpret_cast<HWND>(lParam) != m_window)
            on_button_up();
        return 0;
    case WM_CANCELMODE:
    case WM_KILLFOCUS:
        if (m_press != Press::none)
            on_button_up();
        if (message == WM_KILLFOCUS)
            InvalidateRect(m_window, nullptr, TRUE);
        return DefWindowProc(m_window, message, wParam, lParam);
    case WM_PAINT:
        return on_paint();
    case WM_SETFOCUS:
        InvalidateRect(m_window, nullptr, TRUE);
        return DefWindowProc(m_window, message, wParam, lParam);
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

// The classic look: the parent's static background, a sunken channel
// (the selection in the highlight colour with TBS_ENABLESELRANGE), tick
// marks below (right of) the thumb, a raised thumb and the focus dots.
LRESULT TrackBar::on_paint()
{
    controls::PaintScope paint(m_window, WM_CTLCOLORSTATIC);
    HDC dc = paint.dc();
    if (!dc)
        return 0;
    RECT client = paint.client();
    FillRect(dc, &client, paint.brush() ? paint.brush() : GetSysColorBrush(COLOR_3DFACE));
    const DWORD style = controls::style_of(m_window);
    RECT c = channel();
    DrawEdge(dc, &c, EDGE_SUNKEN, BF_RECT);
    if ((style & TBS_ENABLESELRANGE) && m_sel_end > m_sel_start) {
        RECT sel = c;
        InflateRect(&sel, -2, -2);
        const int from = offset_of(std::max(m_sel_start, m_min)) + thumb_width / 2;
        const int to = offset_of(std::min(m_sel_end, m_max)) + thumb_width / 2;
        if (vertical())
            sel.top = from, sel.bottom = to;
        else
            sel.left = from, sel.right = to;
        FillRect(dc, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    const RECT t = thumb();
    if (!(style & TBS_NOTICKS)) {
        HBRUSH ink = GetSysColorBrush(COLOR_BTNTEXT);
        auto tick = [&](int pos, int size) {
            const int at = offset_of(pos) + thumb_width / 2;
            RECT mark = vertical() ? RECT{t.right + 2, at, t.right + 2 + size, at + 1}
                                   : RECT{at, t.bottom + 2, at + 1, t.bottom + 2 + size};
            FillRect(dc, &mark, ink);
        };
        tick(m_min, 4);
        tick(m_max, 4);
        if ((style & TBS_AUTOTICKS) && m_tic_freq > 0)
            for (long long p = static_cast<long long>(m_min) + m_tic_freq; p < m_max; p += m_tic_freq)
                tick(static_cast<int>(p), 3);
        for (DWORD p : m_tics)
            tick(static_cast<int>(p), 3);
    }
    if (!(style & TBS_NOTHUMB)) {
        RECT face = t;
        DrawEdge(dc, &face, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
    if (GetFocus() == m_window)
        DrawFocusRect(dc, &client);
    return 0;
}

}  // namespace helm::user::commctrl
