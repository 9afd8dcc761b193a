#include "scroll_bar.h"

#include <algorithm>
#include <map>

#include "helm/kernel/error.h"
#include "helm/user/controls.h"

namespace helm::user::controls {

namespace {

ControlMap<ScrollBar>& scroll_bars()
{
    static auto* map = new ControlMap<ScrollBar>;
    return *map;
}

constexpr int min_thumb = 8;
// A held arrow or page part repeats, as on Windows: first after a pause,
// then steadily, while the mouse stays on it.
constexpr UINT_PTR repeat_timer = 0x5C01;
constexpr UINT repeat_delay_ms = 400;
constexpr UINT repeat_interval_ms = 50;
constexpr DWORD error_invalid_scrollbar_range = 1448;

bool valid_size(UINT size) { return size == sizeof(SCROLLINFO) || size == sizeof(SCROLLINFO) - sizeof(int); }

struct WindowBars {
    std::mutex mutex;
    std::map<std::pair<uint32_t, int>, ScrollState> states;
};
WindowBars& window_bars()
{
    static auto* bars = new WindowBars;
    return *bars;
}

}  // namespace

int ScrollState::max_pos() const
{
    const long long top = static_cast<long long>(m_max) - (m_page ? static_cast<long long>(m_page) - 1 : 0);
    return static_cast<int>(std::max<long long>(top, m_min));
}

void ScrollState::clamp()
{
    const long long size = static_cast<long long>(m_max) - m_min + 1;
    if (static_cast<long long>(m_page) > size)
        m_page = static_cast<UINT>(size);
    m_pos = std::clamp(m_pos, m_min, max_pos());
}

int ScrollState::set(const SCROLLINFO& info)
{
    if (info.fMask & SIF_RANGE) {
        m_min = info.nMin;
        m_max = std::max(info.nMin, info.nMax);
    }
    if (info.fMask & SIF_PAGE)
        m_page = info.nPage;
    if (info.fMask & SIF_POS)
        m_pos = info.nPos;
    clamp();
    return m_pos;
}

bool ScrollState::get(SCROLLINFO& info) const
{
    if (!(info.fMask & SIF_ALL))
        return false;
    if (info.fMask & SIF_RANGE) {
        info.nMin = m_min;
        info.nMax = m_max;
    }
    if (info.fMask & SIF_PAGE)
        info.nPage = m_page;
    if (info.fMask & SIF_POS)
        info.nPos = m_pos;
    if ((info.fMask & SIF_TRACKPOS) && info.cbSize == sizeof(SCROLLINFO))
        info.nTrackPos = track_pos();
    return true;
}

ScrollState* window_scroll_state(HWND window, int bar, std::unique_lock<std::mutex>& lock)
{
    if (!IsWindow(window) || (bar != SB_HORZ && bar != SB_VERT))
        return nullptr;
    WindowBars& bars = window_bars();
    lock = std::unique_lock(bars.mutex);
    const auto key = std::make_pair(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)), bar);
    auto it = bars.states.find(key);
    if (it == bars.states.end()) {
        // Windows that went away leave their bars here; drop them now.
        std::erase_if(bars.states, [](const auto& entry) {
            return !IsWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(entry.first.first)));
        });
        it = bars.states.emplace(key, ScrollState(0, 100)).first;
    }
    return &it->second;
}

ScrollBar::ScrollBar(HWND window, const CREATESTRUCT&) : m_window(window) {}

LRESULT CALLBACK ScrollBar::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return run_control(scroll_bars(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<ScrollBar>(w, cs);
    });
}

LRESULT ScrollBar::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case SBM_SETSCROLLINFO:
        return on_set_info(wParam, lParam);
    case SBM_GETSCROLLINFO:
        return on_get_info(lParam);
    case SBM_SETPOS:
        return on_set_pos(wParam);
    case SBM_GETPOS:
        return m_state.pos();
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW:
        return on_set_range(wParam, lParam);
    case SBM_GETRANGE:
        return on_get_range(wParam, lParam);
    case SBM_ENABLE_ARROWS:
        m_state.arrows = static_cast<UINT>(wParam) & ESB_DISABLE_BOTH;
        InvalidateRect(m_window, nullptr, TRUE);
        return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return on_button_down(lParam);
    case WM_MOUSEMOVE:
        return on_mouse_move(lParam);
    case WM_LBUTTONUP:
        return on_button_up();
    case WM_CANCELMODE:
    case WM_KILLFOCUS:
        if (m_pressed != Part::none)
            on_button_up();
        return 0;
    case WM_CAPTURECHANGED:
        if (m_pressed != Part::none && reinterpret_cast<HWND>(lParam) != m_window)
            on_button_up();
        return 0;
    case WM_KEYDOWN:
        return on_key(wParam, true);
    case WM_KEYUP:
        return on_key(wParam, false);
    case WM_TIMER:
        return on_timer(wParam);
    case WM_PAINT:
        return on_paint();
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

LRESULT ScrollBar::on_set_info(WPARAM redraw, LPARAM lParam)
{
    const auto* info = reinterpret_cast<const SCROLLINFO*>(lParam);
    if (!info || !valid_size(info->cbSize))
        return m_state.pos();
    const int pos = m_state.set(*info);
    if (redraw)
        InvalidateRect(m_window, nullptr, TRUE);
    return pos;
}

LRESULT ScrollBar::on_get_info(LPARAM lParam) const
{
    auto* info = reinterpret_cast<SCROLLINFO*>(lParam);
    if (!info || !valid_size(info->cbSize))
        return FALSE;
    return m_state.get(*info) ? TRUE : FALSE;
}

LRESULT ScrollBar::on_set_pos(WPARAM pos)
{
    const int old = m_state.pos();
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, static_cast<int>(pos), 0};
    m_state.set(info);
    InvalidateRect(m_window, nullptr, TRUE);
    return old;
}

LRESULT ScrollBar::on_set_range(WPARAM min, LPARAM max)
{
    const int old = m_state.pos();
    SCROLLINFO info{sizeof info, SIF_RANGE, static_cast<int>(min), static_cast<int>(max), 0, 0, 0};
    m_state.set(info);
    InvalidateRect(m_window, nullptr, TRUE);
    return old;
}

LRESULT ScrollBar::on_get_range(WPARAM min, LPARAM max) const
{
    if (min)
        *reinterpret_cast<int*>(min) = m_state.min();
    if (max)
        *reinterpret_cast<int*>(max) = m_state.max();
    return 0;
}

// Arrows as long as the bar is thick (shrunk when the bar is short), the
// thumb in proportion to the page, at least min_thumb, none when the bar
// has nothing to scroll or no room.
namespace {

// The track's checker of highlight and face, tiled from one cached tile
// (a bar is redrawn often; pixel by pixel it would cost the most of it).
constexpr int tile_size = 64;

HDC checker_tile()
{
    thread_local HDC tile = [] {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bits = CreateCompatibleBitmap(dc, tile_size, tile_size);
        SelectObject(dc, bits);
        RECT all{0, 0, tile_size, tile_size};
        FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
        const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
        for (int y = 0; y < tile_size; ++y)
            for (int x = y & 1; x < tile_size; x += 2)
                SetPixelV(dc, x, y, light);
        return dc;
    }();
    return tile;
}

void fill_checker(HDC dc, const RECT& r)
{
    HDC tile = checker_tile();
    for (int y = r.top; y < r.bottom; y += tile_size - 2)
        for (int x = r.left; x < r.right; x += tile_size - 2) {
            // The tile starts on the pixel parity of the bar's own corner.
            const int w = std::min<int>(tile_size - 2, r.right - x), h = std::min<int>(tile_size - 2, r.bottom - y);
            BitBlt(dc, x, y, w, h, tile, (x + y) & 1, 0, SRCCOPY);
        }
}

}  // namespace

ScrollLayout scroll_layout(int length, int thickness, const ScrollState& state)
{
    ScrollLayout l{length, std::min(thickness, length / 2), 0, 0};
    const int track = length - 2 * l.arrow;
    const long long size = static_cast<long long>(state.max()) - state.min() + 1;
    if (track < min_thumb || size <= 0 || state.max_pos() == state.min() || state.arrows == ESB_DISABLE_BOTH)
        return l;
    long long thumb = state.page() ? track * static_cast<long long>(state.page()) / size : thickness;
    thumb = std::clamp<long long>(thumb, min_thumb, track);
    const long long span = state.max_pos() - state.min();
    l.thumb_size = static_cast<int>(thumb);
    l.thumb_start = l.arrow + static_cast<int>((track - thumb) * (state.track_pos() - state.min()) / span);
    return l;
}

ScrollBar::Layout ScrollBar::layout() const
{
    RECT client;
    GetClientRect(m_window, &client);
    return vertical() ? scroll_layout(client.bottom, client.right, m_state)
                      : scroll_layout(client.right, client.bottom, m_state);
}

void draw_scroll_bar(HDC dc, RECT area, bool vertical, const SCROLLINFO& info, bool enabled, int pressed)
{
    ScrollState state(info.nMin, info.nMax);
    SCROLLINFO all = info;
    all.fMask = SIF_PAGE | SIF_POS;
    state.set(all);
    draw_scroll_bar(dc, area, vertical, state, enabled, pressed);
}

void draw_scroll_bar(HDC dc, RECT area, bool vertical, const ScrollState& state, bool enabled, int pressed)
{
    const int length = vertical ? area.bottom - area.top : area.right - area.left;
    const int thickness = vertical ? area.right - area.left : area.bottom - area.top;
    if (length <= 0 || thickness <= 0)
        return;
    const ScrollLayout l = scroll_layout(length, thickness, state);
    // A piece of the bar from `from` to `to` along it.
    auto piece = [&](int from, int to) {
        return vertical ? RECT{area.left, area.top + from, area.right, area.top + to}
                        : RECT{area.left + from, area.top, area.left + to, area.bottom};
    };
    const bool live = enabled && l.thumb_size > 0;
    auto arrow_state = [&](UINT direction, UINT disabled_bit, int part) {
        UINT s = direction;
        if (!live || (state.arrows & disabled_bit))
            s |= DFCS_INACTIVE;
        if (pressed == part)
            s |= DFCS_PUSHED;
        return s;
    };
    RECT first = piece(0, l.arrow), last = piece(length - l.arrow, length);
    DrawFrameControl(dc, &first, DFC_SCROLL,
                     arrow_state(vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT, ESB_DISABLE_LTUP, 1));
    DrawFrameControl(dc, &last, DFC_SCROLL,
                     arrow_state(vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT, ESB_DISABLE_RTDN, 5));
    // The track: the classic checker of highlight and face, black where pressed.
    RECT track = piece(l.arrow, length - l.arrow);
    auto checker = [&](const RECT& r, bool down) {
        if (down)
            FillRect(dc, &r, GetSysColorBrush(COLOR_3DDKSHADOW));
        else
            fill_checker(dc, r);
    };
    if (l.thumb_size == 0) {
        checker(track, false);
        return;
    }
    checker(piece(l.arrow, l.thumb_start), pressed == 2);
    checker(piece(l.thumb_start + l.thumb_size, length - l.arrow), pressed == 4);
    RECT thumb = piece(l.thumb_start, l.thumb_start + l.thumb_size);
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

ScrollBar::Part ScrollBar::part_at(POINT point) const
{
    if (!in_client(m_window, point))
        return Part::none;
    const Layout l = layout();
    const int at = along(point);
    if (at < l.arrow)
        return Part::line_up;
    if (at >= l.length - l.arrow)
        return Part::line_down;
    if (l.thumb_size == 0)
        return Part::none;
    if (at < l.thumb_start)
        return Part::page_up;
    if (at >= l.thumb_start + l.thumb_size)
        return Part::page_down;
    return Part::thumb;
}

// The position whose thumb starts `offset` pixels along the bar.
int ScrollBar::pos_at(int offset) const
{
    const Layout l = layout();
    const int room = l.length - 2 * l.arrow - l.thumb_size;
    if (room <= 0)
        return m_state.min();
    const long long span = m_state.max_pos() - m_state.min();
    const long long at = std::clamp(offset - l.arrow, 0, room);
    return m_state.min() + static_cast<int>((at * span + room / 2) / room);
}

LRESULT ScrollBar::on_button_down(LPARAM lParam)
{
    if (inert() || !IsWindowEnabled(m_window))
        return 0;
    if ((style_of(m_window) & WS_TABSTOP) && GetFocus() != m_window)
        SetFocus(m_window);
    const POINT p = point_of(lParam);
    const Part part = part_at(p);
    m_pressed = part;
    m_mouse = p;
    if (part == Part::none)
        return 0;
    capture_mouse(m_window);
    if (part == Part::thumb) {
        m_grab = along(p) - layout().thumb_start;
        m_state.set_track(m_state.pos(), true);
        return 0;
    }
    const int code = code_of(part);
    if (code < 0)
        return 0;
    send(code);
    SetTimer(m_window, repeat_timer, repeat_delay_ms, nullptr);
    return 0;
}

int ScrollBar::code_of(Part part) const
{
    switch (part) {
    case Part::line_up: return (m_state.arrows & ESB_DISABLE_LTUP) ? -1 : SB_LINEUP;
    case Part::line_down: return (m_state.arrows & ESB_DISABLE_RTDN) ? -1 : SB_LINEDOWN;
    case Part::page_up: return SB_PAGEUP;
    case Part::page_down: return SB_PAGEDOWN;
    default: return -1;
    }
}

// Repeats only while the mouse is on the part pressed: a page part stops
// once the thumb, moved by the parent, reaches the mouse.
LRESULT ScrollBar::on_timer(WPARAM id)
{
    if (id != repeat_timer)
        return DefWindowProc(m_window, WM_TIMER, id, 0);
    const int code = code_of(m_pressed);
    if (code < 0) {
        KillTimer(m_window, repeat_timer);
        return 0;
    }
    SetTimer(m_window, repeat_timer, repeat_interval_ms, nullptr);
    if (part_at(m_mouse) == m_pressed)
        send(code);
    return 0;
}

LRESULT ScrollBar::on_mouse_move(LPARAM lParam)
{
    if (m_pressed != Part::none)
        m_mouse = point_of(lParam);
    if (m_pressed != Part::thumb)
        return 0;
    const int pos = pos_at(along(point_of(lParam)) - m_grab);
    if (pos == m_state.track_pos())
        return 0;
    m_state.set_track(pos, true);
    InvalidateRect(m_window, nullptr, TRUE);
    send(SB_THUMBTRACK, pos);
    return 0;
}

LRESULT ScrollBar::on_button_up()
{
    const Part pressed = m_pressed;
    m_pressed = Part::none;
    if (pressed == Part::none)
        return 0;
    KillTimer(m_window, repeat_timer);
    release_mouse(m_window);
    if (pressed == Part::thumb) {
        const int pos = m_state.track_pos();
        m_state.set_track(pos, false);
        send(SB_THUMBPOSITION, pos);
    }
    send(SB_ENDSCROLL);
    return 0;
}

// Keys scroll while down; letting go ends the scroll.
LRESULT ScrollBar::on_key(WPARAM key, bool down)
{
    note_modifier_key(down ? WM_KEYDOWN : WM_KEYUP, key);
    if (inert())
        return 0;
    int code;
    switch (key) {
    case VK_UP:
    case VK_LEFT: code = SB_LINEUP; break;
    case VK_DOWN:
    case VK_RIGHT: code = SB_LINEDOWN; break;
    case VK_PRIOR: code = SB_PAGEUP; break;
    case VK_NEXT: code = SB_PAGEDOWN; break;
    case VK_HOME: code = SB_TOP; break;
    case VK_END: code = SB_BOTTOM; break;
    default: return 0;
    }
    if (down) {
        m_key_down = true;
        send(code);
    } else if (m_key_down) {
        m_key_down = false;
        send(SB_ENDSCROLL);
    }
    return 0;
}

LRESULT ScrollBar::on_paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    m_brush = ask_colours(m_window, WM_CTLCOLORSCROLLBAR, dc);
    RECT client;
    GetClientRect(m_window, &client);
    if (inert()) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    } else {
        // A held part looks pressed while the mouse is over it.
        const int pressed = m_pressed != Part::thumb && part_at(m_mouse) == m_pressed ? static_cast<int>(m_pressed) : 0;
        draw_scroll_bar(dc, client, vertical(), m_state, IsWindowEnabled(m_window) != FALSE, pressed);
    }
    EndPaint(m_window, &ps);
    return 0;
}

void ScrollBar::send(int code, int pos)
{
    HWND parent = GetParent(m_window);
    if (!parent)
        return;
    SendMessage(parent, vertical() ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos)),
                reinterpret_cast<LPARAM>(m_window));
}

}  // namespace helm::user::controls

using namespace helm::user::controls;

namespace {

// Runs `f` on the state of a window bar under its lock; `fallback` when
// there is none.
template <class F, class R>
R with_window_bar(HWND window, int bar, R fallback, F f)
{
    std::unique_lock<std::mutex> lock;
    ScrollState* state = window_scroll_state(window, bar, lock);
    if (!state) {
        SetLastError(IsWindow(window) ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return fallback;
    }
    return f(*state);
}

}  // namespace

namespace {

// A window's own bar is there while its range is more than a page, as
// Windows makes it when a range or a page is set; with
// SIF_DISABLENOSCROLL it stays, disabled while everything fits. Runs
// outside the bar's lock: the frame change sends messages.
void fit_window_bar(HWND window, int bar, bool needed, bool keep)
{
    if (keep) {
        ShowScrollBar(window, bar, TRUE);
        EnableScrollBar(window, static_cast<UINT>(bar), needed ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
    } else {
        ShowScrollBar(window, bar, needed);
    }
}

bool bar_needed(const ScrollState& s)
{
    return static_cast<long long>(s.max()) - s.min() >= std::max<long long>(s.page(), 1);
}

}  // namespace

int SetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw)
{
    if (!info || !valid_size(info->cbSize))
        return 0;
    if (bar == SB_CTL)
        return static_cast<int>(SendMessage(window, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
    bool found = false, needed = false;
    const int pos = with_window_bar(window, bar, 0, [&](ScrollState& s) {
        found = true;
        const int now = s.set(*info);
        needed = bar_needed(s);
        return now;
    });
    if (found && (info->fMask & (SIF_RANGE | SIF_PAGE)))
        fit_window_bar(window, bar, needed, info->fMask & SIF_DISABLENOSCROLL);
    return pos;
}

BOOL GetScrollInfo(HWND window, int bar, LPSCROLLINFO info)
{
    if (!info || !valid_size(info->cbSize))
        return FALSE;
    if (bar == SB_CTL)
        return static_cast<BOOL>(SendMessage(window, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
    return with_window_bar(window, bar, FALSE, [&](ScrollState& s) { return s.get(*info) ? TRUE : FALSE; });
}

int SetScrollPos(HWND window, int bar, int pos, BOOL redraw)
{
    if (bar == SB_CTL)
        return static_cast<int>(SendMessage(window, SBM_SETPOS, static_cast<WPARAM>(pos), redraw));
    return with_window_bar(window, bar, 0, [&](ScrollState& s) {
        const int old = s.pos();
        SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, pos, 0};
        s.set(info);
        return old;
    });
}

int GetScrollPos(HWND window, int bar)
{
    if (bar == SB_CTL)
        return static_cast<int>(SendMessage(window, SBM_GETPOS, 0, 0));
    return with_window_bar(window, bar, 0, [](ScrollState& s) { return s.pos(); });
}

// Windows refuses a range wider than a LONG can count.
BOOL SetScrollRange(HWND window, int bar, int minPos, int maxPos, BOOL redraw)
{
    if (static_cast<long long>(maxPos) - minPos > 0x7FFFFFFF) {
        SetLastError(error_invalid_scrollbar_range);
        return FALSE;
    }
    if (bar == SB_CTL) {
        if (!IsWindow(window))
            return FALSE;
        SendMessage(window, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(minPos), maxPos);
        return TRUE;
    }
    bool needed = false;
    const BOOL done = with_window_bar(window, bar, FALSE, [&](ScrollState& s) {
        SCROLLINFO info{sizeof info, SIF_RANGE, minPos, maxPos, 0, 0, 0};
        s.set(info);
        needed = bar_needed(s);
        return TRUE;
    });
    if (done)
        fit_window_bar(window, bar, needed, false);
    return done;
}

BOOL GetScrollRange(HWND window, int bar, LPINT minPos, LPINT maxPos)
{
    if (!minPos || !maxPos)
        return FALSE;
    *minPos = *maxPos = 0;
    if (bar == SB_CTL) {
        if (!IsWindow(window))
            return FALSE;
        SendMessage(window, SBM_GETRANGE, reinterpret_cast<WPARAM>(minPos), reinterpret_cast<LPARAM>(maxPos));
        return TRUE;
    }
    return with_window_bar(window, bar, FALSE, [&](ScrollState& s) {
        *minPos = s.min();
        *maxPos = s.max();
        return TRUE;
    });
}

BOOL EnableScrollBar(HWND window, UINT bar, UINT arrows)
{
    if (bar == SB_CTL)
        return static_cast<BOOL>(SendMessage(window, SBM_ENABLE_ARROWS, arrows, 0));
    if (bar == SB_BOTH)
        return EnableScrollBar(window, SB_HORZ, arrows) && EnableScrollBar(window, SB_VERT, arrows);
    return with_window_bar(window, static_cast<int>(bar), FALSE, [&](ScrollState& s) {
        s.arrows = arrows & ESB_DISABLE_BOTH;
        return TRUE;
    });
}
