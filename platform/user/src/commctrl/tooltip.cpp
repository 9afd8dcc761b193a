#include "tooltip.h"

#include <algorithm>
#include <cstring>

namespace helm::user::commctrl {

namespace {
controls::ControlMap<Tooltip>& tooltips()
{
    static auto* map = new controls::ControlMap<Tooltip>;
    return *map;
}

constexpr UINT_PTR show_timer = 0x7E01;
constexpr UINT_PTR pop_timer = 0x7E02;
// Windows' delays follow the double-click time, 500 ms by default.
constexpr UINT default_initial_ms = 500;
// A tool's text is kept up to this many characters.
constexpr size_t max_text = 4096;
// The line's height and the tip's border and margin.
constexpr int line_height = controls::default_item_height;
constexpr int frame = 3;
// The tip sits below the mouse's point by a cursor's height.
constexpr int below_cursor = 20;

bool is_mouse(UINT message)
{
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return true;
    default:
        return false;
    }
}

// Tools with TTF_SUBCLASS: their windows are subclassed once, whatever the
// number of tooltips watching them.
struct Watch {
    WNDPROC previous;
    std::vector<HWND> tooltips;
};
std::mutex g_watch_mutex;
std::unordered_map<uint32_t, Watch>& watches()
{
    static auto* map = new std::unordered_map<uint32_t, Watch>;
    return *map;
}
uint32_t key_of(HWND w) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(w)); }

LRESULT CALLBACK watched_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Watch watch;
    {
        std::lock_guard lock(g_watch_mutex);
        auto it = watches().find(key_of(window));
        if (it == watches().end())
            return DefWindowProc(window, message, wParam, lParam);
        watch = it->second;
        if (message == WM_NCDESTROY)
            watches().erase(it);
    }
    if (is_mouse(message)) {
        MSG msg{};
        msg.hwnd = window;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        for (HWND tip : watch.tooltips)
            if (auto control = tooltips().get(tip))
                control->relay(msg);
    }
    return CallWindowProc(watch.previous, window, message, wParam, lParam);
}

void watch_window(HWND window, HWND tooltip)
{
    if (!IsWindow(window))
        return;
    std::lock_guard lock(g_watch_mutex);
    auto it = watches().find(key_of(window));
    if (it == watches().end()) {
        auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watched_proc)));
        if (!previous)
            return;
        it = watches().emplace(key_of(window), Watch{previous, {}}).first;
    }
    if (std::find(it->second.tooltips.begin(), it->second.tooltips.end(), tooltip) == it->second.tooltips.end())
        it->second.tooltips.push_back(tooltip);
}

void unwatch_all(HWND tooltip)
{
    std::lock_guard lock(g_watch_mutex);
    for (auto& [key, watch] : watches())
        std::erase(watch.tooltips, tooltip);
}
}  // namespace

Tooltip::Tooltip(HWND window, const CREATESTRUCT&)
    : m_window(window),
      m_initial(default_initial_ms),
      m_autopop(default_initial_ms * 10),
      m_reshow(default_initial_ms / 5),
      m_background(GetSysColor(COLOR_INFOBK)),
      m_text_colour(GetSysColor(COLOR_INFOTEXT))
{
}

LRESULT CALLBACK Tooltip::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return controls::run_control(tooltips(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<Tooltip>(w, cs);
    });
}

bool Tooltip::valid_size(const TTTOOLINFOA* info)
{
    return info && info->cbSize >= TTTOOLINFOA_V1_SIZE && info->cbSize <= sizeof(TTTOOLINFOA);
}

Tooltip::Tool* Tooltip::find(HWND hwnd, UINT_PTR id)
{
    for (Tool& tool : m_tools)
        if (tool.hwnd == hwnd && tool.id == id)
            return &tool;
    return nullptr;
}

void Tooltip::take_text(Tool& tool, const TTTOOLINFOA& info)
{
    tool.callback = info.lpszText == LPSTR_TEXTCALLBACK;
    tool.text.clear();
    if (tool.callback || !info.lpszText)
        return;
    if (IS_INTRESOURCE(info.lpszText)) {
        // A string resource of the module given.
        char buffer[1024] = {};
        LoadString(info.hinst, static_cast<UINT>(reinterpret_cast<uintptr_t>(info.lpszText)), buffer, sizeof buffer);
        tool.text = buffer;
        return;
    }
    tool.text.assign(info.lpszText, strnlen(info.lpszText, max_text));
}

void Tooltip::fill(const Tool& tool, TTTOOLINFOA& info, bool with_text)
{
    info.uFlags = tool.flags;
    info.hwnd = tool.hwnd;
    info.uId = tool.id;
    info.rect = tool.rect;
    info.hinst = tool.hinst;
    if (info.cbSize >= TTTOOLINFOA_V2_SIZE)
        info.lParam = tool.lParam;
    if (!with_text)
        return;
    if (tool.callback)
        info.lpszText = LPSTR_TEXTCALLBACK;
    else if (info.lpszText && !IS_INTRESOURCE(info.lpszText) && info.lpszText != LPSTR_TEXTCALLBACK)
        // The caller's buffer, of the classic 80 characters.
        controls::copy_out(tool.text, info.lpszText, 80);
}

HWND Tooltip::window_of(const Tool& tool) const
{
    return (tool.flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(tool.id) : tool.hwnd;
}

int Tooltip::tool_at(HWND window, POINT client) const
{
    for (size_t i = 0; i < m_tools.size(); ++i) {
        const Tool& tool = m_tools[i];
        if (tool.flags & TTF_TRACK)
            continue;
        if (tool.flags & TTF_IDISHWND) {
            if (reinterpret_cast<HWND>(tool.id) == window)
                return static_cast<int>(i);
        } else if (tool.hwnd == window && PtInRect(&tool.rect, client)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

LRESULT Tooltip::add(const TTTOOLINFOA* info)
{
    if (!valid_size(info) || find(info->hwnd, info->uId))
        return FALSE;
    Tool tool;
    tool.flags = info->uFlags;
    tool.hwnd = info->hwnd;
    tool.id = info->uId;
    tool.rect = info->rect;
    tool.hinst = info->hinst;
    if (info->cbSize >= TTTOOLINFOA_V2_SIZE)
        tool.lParam = info->lParam;
    take_text(tool, *info);
    m_tools.push_back(tool);
    if (tool.flags & TTF_SUBCLASS)
        watch_window(window_of(tool), m_window);
    return TRUE;
}

void Tooltip::remove(const TTTOOLINFOA* info)
{
    Tool* tool = find(info);
    if (!tool)
        return;
    const auto index = static_cast<int>(tool - m_tools.data());
    if (index == m_current) {
        pop();
        m_current = -1;
    } else if (index < m_current) {
        --m_current;
    }
    m_tools.erase(m_tools.begin() + index);
}

std::string Tooltip::text_now(Tool& tool)
{
    if (!tool.callback)
        return tool.text;
    NMTTDISPINFOA block{};
    block.hdr.hwndFrom = m_window;
    block.hdr.idFrom = tool.id;
    block.hdr.code = TTN_GETDISPINFO;
    block.lpszText = block.szText;
    block.hinst = tool.hinst;
    block.uFlags = tool.flags;
    block.lParam = tool.lParam;
    // The tool's window is asked, not the tooltip's owner.
    SendMessage(tool.hwnd, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&block));
    block.szText[sizeof block.szText - 1] = '\0';
    std::string text;
    if (block.lpszText == LPSTR_TEXTCALLBACK || !block.lpszText) {
        text.clear();
    } else if (IS_INTRESOURCE(block.lpszText)) {
        char buffer[1024] = {};
        LoadString(block.hinst, static_cast<UINT>(reinterpret_cast<uintptr_t>(block.lpszText)), buffer, sizeof buffer);
        text = buffer;
    } else {
        text.assign(block.lpszText, strnlen(block.lpszText, max_text));
    }
    if (block.uFlags & TTF_DI_SETITEM) {
        tool.text = text;
        tool.callback = false;
    }
    return text;
}

void Tooltip::show()
{
    KillTimer(m_window, show_timer);
    if (m_current < 0 || static_cast<size_t>(m_current) >= m_tools.size())
        return;
    Tool tool = m_tools[static_cast<size_t>(m_current)];
    const std::string text = text_now(m_tools[static_cast<size_t>(m_current)]);
    if (!IsWindow(m_window) || text.empty())
        return;
    SetWindowText(m_window, text.c_str());
    int width = std::min(measured_width(m_window, text), 0x7fff) + 2 * frame;
    if (m_max_width > 0)
        width = std::min(width, m_max_width);
    const int height = line_height + 2 * frame;
    SetWindowPos(m_window, HWND_TOPMOST, m_mouse.x, m_mouse.y + below_cursor, width, height,
                 SWP_NOACTIVATE);
    NMHDR block{m_window, tool.id, TTN_SHOW};
    // A nonzero answer: the tool's window has placed the tip itself.
    SendMessage(tool.hwnd, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&block));
    if (!IsWindow(m_window))
        return;
    ShowWindow(m_window, SW_SHOWNOACTIVATE);
    m_shown = true;
    SetTimer(m_window, pop_timer, m_autopop, nullptr);
}

void Tooltip::pop()
{
    KillTimer(m_window, show_timer);
    KillTimer(m_window, pop_timer);
    if (!m_shown)
        return;
    m_shown = false;
    ShowWindow(m_window, SW_HIDE);
    if (m_current >= 0 && static_cast<size_t>(m_current) < m_tools.size()) {
        const Tool& tool = m_tools[static_cast<size_t>(m_current)];
        NMHDR block{m_window, tool.id, TTN_POP};
        SendMessage(tool.hwnd, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&block));
    }
}

void Tooltip::relay(const MSG& msg)
{
    if (!is_mouse(msg.message) || !IsWindow(msg.hwnd))
        return;
    POINT client = controls::point_of(msg.lParam);
    POINT screen = client;
    ClientToScreen(msg.hwnd, &screen);
    m_mouse = screen;
    // Without TTS_ALWAYSTIP tips show only for the active window's tools.
    const bool allowed = m_active && ((controls::style_of(m_window) & TTS_ALWAYSTIP) ||
                                      GetAncestor(msg.hwnd, GA_ROOT) == GetActiveWindow());
    const int at = allowed ? tool_at(msg.hwnd, client) : -1;
    if (msg.message != WM_MOUSEMOVE) {
        // A button hides the tip, which stays hidden while the mouse stays.
        pop();
        m_current = at;
        m_suppressed = at >= 0;
        return;
    }
    if (at == m_current) {
        if (at >= 0 && !m_shown && !m_suppressed)
            SetTimer(m_window, show_timer, m_initial, nullptr);
        return;
    }
    const bool was_shown = m_shown;
    pop();
    m_current = at;
    m_suppressed = false;
    if (at >= 0)
        // Moving from one tip to the next is quicker.
        SetTimer(m_window, show_timer, was_shown ? m_reshow : m_initial, nullptr);
}

void Tooltip::set_delay(WPARAM which, int ms)
{
    const bool by_default = ms < 0;
    switch (which) {
    case TTDT_AUTOMATIC: {
        const UINT base = by_default ? default_initial_ms : static_cast<UINT>(ms);
        m_initial = base;
        m_autopop = base * 10;
        m_reshow = base / 5;
        break;
    }
    case TTDT_INITIAL: m_initial = by_default ? default_initial_ms : static_cast<UINT>(ms); break;
    case TTDT_AUTOPOP: m_autopop = by_default ? default_initial_ms * 10 : static_cast<UINT>(ms); break;
    case TTDT_RESHOW: m_reshow = by_default ? default_initial_ms / 5 : static_cast<UINT>(ms); break;
    default: break;
    }
}

LRESULT Tooltip::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case TTM_ACTIVATE:
        m_active = wParam != 0;
        if (!m_active) {
            pop();
            m_current = -1;
        }
        return 0;
    case TTM_SETDELAYTIME:
        set_delay(wParam, static_cast<short>(LOWORD(lParam)));
        return 0;
    case TTM_GETDELAYTIME:
        switch (wParam) {
        case TTDT_AUTOPOP: return m_autopop;
        case TTDT_RESHOW: return m_reshow;
        default: return m_initial;
        }
    case TTM_ADDTOOLA:
        return add(reinterpret_cast<const TTTOOLINFOA*>(lParam));
    case TTM_DELTOOLA:
        remove(reinterpret_cast<const TTTOOLINFOA*>(lParam));
        return 0;
    case TTM_NEWTOOLRECTA: {
        const auto* info = reinterpret_cast<const TTTOOLINFOA*>(lParam);
        if (Tool* tool = find(info))
            tool->rect = info->rect;
        return 0;
    }
    case TTM_UPDATETIPTEXTA: {
        const auto* info = reinterpret_cast<const TTTOOLINFOA*>(lParam);
        if (Tool* tool = find(info)) {
            if (info->hinst)
                tool->hinst = info->hinst;
            take_text(*tool, *info);
            if (m_shown && tool == &m_tools[static_cast<size_t>(m_current)])
                SetWindowText(m_window, tool->text.c_str());
        }
        return 0;
    }
    case TTM_SETTOOLINFOA: {
        const auto* info = reinterpret_cast<const TTTOOLINFOA*>(lParam);
        if (Tool* tool = find(info)) {
            tool->flags = info->uFlags;
            tool->rect = info->rect;
            tool->hinst = info->hinst;
            if (info->cbSize >= TTTOOLINFOA_V2_SIZE)
                tool->lParam = info->lParam;
            take_text(*tool, *info);
        }
        return 0;
    }
    case TTM_GETTOOLINFOA: {
        auto* info = reinterpret_cast<TTTOOLINFOA*>(lParam);
        Tool* tool = find(info);
        if (!tool)
            return FALSE;
        fill(*tool, *info, true);
        return TRUE;
    }
    case TTM_GETTEXTA: {
        auto* info = reinterpret_cast<TTTOOLINFOA*>(lParam);
        Tool* tool = find(info);
        if (!tool || !info->lpszText || IS_INTRESOURCE(info->lpszText))
            return 0;
        // The size in wParam when given, else the classic 80 characters.
        controls::copy_out(tool->callback ? std::string() : tool->text, info->lpszText, wParam ? wParam : 80);
        return 0;
    }
    case TTM_GETTOOLCOUNT:
        return static_cast<LRESULT>(m_tools.size());
    case TTM_ENUMTOOLSA: {
        auto* info = reinterpret_cast<TTTOOLINFOA*>(lParam);
        if (!valid_size(info) || wParam >= m_tools.size())
            return FALSE;
        fill(m_tools[wParam], *info, true);
        return TRUE;
    }
    case TTM_GETCURRENTTOOLA: {
        if (!m_shown || m_current < 0)
            return FALSE;
        auto* info = reinterpret_cast<TTTOOLINFOA*>(lParam);
        if (valid_size(info))
            fill(m_tools[static_cast<size_t>(m_current)], *info, true);
        return TRUE;
    }
    case TTM_HITTESTA: {
        auto* hit = reinterpret_cast<TTHITTESTINFOA*>(lParam);
        if (!hit)
            return FALSE;
        const int at = tool_at(hit->hwnd, hit->pt);
        if (at < 0)
            return FALSE;
        if (valid_size(&hit->ti))
            fill(m_tools[static_cast<size_t>(at)], hit->ti, false);
        return TRUE;
    }
    case TTM_RELAYEVENT:
        if (const auto* msg = reinterpret_cast<const MSG*>(lParam))
            relay(*msg);
        return 0;
    case TTM_POP:
        pop();
        return 0;
    case TTM_UPDATE:
        if (m_shown)
            show();
        return 0;
    case TTM_SETMAXTIPWIDTH: {
        const int before = m_max_width;
        m_max_width = static_cast<int>(lParam);
        return before;
    }
    case TTM_GETMAXTIPWIDTH:
        return m_max_width;
    case TTM_SETTIPBKCOLOR:
        m_background = static_cast<COLORREF>(wParam);
        return 0;
    case TTM_GETTIPBKCOLOR:
        return static_cast<LRESULT>(m_background);
    case TTM_SETTIPTEXTCOLOR:
        m_text_colour = static_cast<COLORREF>(wParam);
        return 0;
    case TTM_GETTIPTEXTCOLOR:
        return static_cast<LRESULT>(m_text_colour);
    case TTM_SETMARGIN:
        if (const auto* r = reinterpret_cast<const RECT*>(lParam))
            m_margin = *r;
        return 0;
    case TTM_GETMARGIN:
        if (auto* r = reinterpret_cast<RECT*>(lParam))
            *r = m_margin;
        return 0;
    case WM_TIMER:
        if (wParam == show_timer)
            show();
        else if (wParam == pop_timer)
            pop();
        else
            return DefWindowProc(m_window, message, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        // The mouse on the tip itself: it goes away, as on Windows.
        pop();
        return 0;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_DESTROY:
        unwatch_all(m_window);
        return DefWindowProc(m_window, message, wParam, lParam);
    case WM_PAINT:
        return on_paint();
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

// The info colours inside a black frame, the tip's text.
LRESULT Tooltip::on_paint()
{
    Paint paint(m_window);
    HDC dc = paint.dc();
    if (!dc)
        return 0;
    RECT r = paint.client();
    HBRUSH back = CreateSolidBrush(m_background);
    FillRect(dc, &r, back);
    DeleteObject(back);
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    char text[max_text + 1] = {};
    GetWindowText(m_window, text, sizeof text);
    InflateRect(&r, -frame, -1);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, m_text_colour);
    DrawText(dc, text, -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE |
                                   ((controls::style_of(m_window) & TTS_NOPREFIX) ? DT_NOPREFIX : 0));
    return 0;
}

}  // namespace helm::user::commctrl
