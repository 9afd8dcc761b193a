// The screen the window layer reports to, and the monitor functions that
// read its layout.

#include "helm/user/screen.h"

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "window_table.h"

namespace helm::user {

namespace {

// The live display library, loaded from the folder of this library.
std::shared_ptr<Screen> open_live_screen()
{
    Dl_info self{};
    if (!dladdr(reinterpret_cast<void*>(&open_live_screen), &self) || !self.dli_fname)
        return nullptr;
    std::string path = self.dli_fname;
    path.erase(path.find_last_of('/') + 1);
    path += "libhelm_display.so";
    // Never unloaded: its screen and thread live as long as the process.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    auto open = reinterpret_cast<OpenLiveScreen>(dlsym(library, open_live_screen_symbol));
    std::shared_ptr<Screen> made;
    if (open)
        open(&made);
    return made;
}

std::shared_ptr<Screen> choose_screen()
{
    const char* headless = std::getenv("HELM_HEADLESS");
    if (headless && std::strcmp(headless, "1") == 0)
        return std::make_shared<HeadlessScreen>();
    const char* display = std::getenv("DISPLAY");
    if (display && *display)
        if (auto live = open_live_screen())
            return live;
    return HeadlessScreen::without_operator();
}

std::atomic<std::shared_ptr<Screen>>& current()
{
    static auto* instance = new std::atomic<std::shared_ptr<Screen>>(choose_screen());
    return *instance;
}

}  // namespace

HeadlessScreen::HeadlessScreen() : HeadlessScreen({Monitor{{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, true}}) {}

HeadlessScreen::HeadlessScreen(std::vector<Monitor> layout) : m_monitors(std::move(layout))
{
    if (m_monitors.empty())
        m_monitors.push_back(Monitor{{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, true});
    auto primary = std::find_if(m_monitors.begin(), m_monitors.end(), [](const Monitor& m) { return m.primary; });
    if (primary == m_monitors.end())
        m_monitors.front().primary = true;
    else
        std::rotate(m_monitors.begin(), primary, primary + 1);
}

std::shared_ptr<HeadlessScreen> HeadlessScreen::without_operator()
{
    auto made = std::make_shared<HeadlessScreen>();
    made->m_operator = false;
    return made;
}

std::shared_ptr<Screen> screen() { return current().load(); }

void set_screen(std::shared_ptr<Screen> replacement)
{
    current().store(replacement ? std::move(replacement) : std::make_shared<HeadlessScreen>());
}

// The US English layout, as a keyboard without a layout of its own types.
char Screen::key_character(BYTE key, BYTE, DWORD, KeyModifiers modifiers) const
{
    const bool shift = modifiers.shift;
    if (key >= 'A' && key <= 'Z')
        return static_cast<char>(shift != modifiers.caps_lock ? key : key - 'A' + 'a');
    if (key >= '0' && key <= '9' && !shift)
        return static_cast<char>(key);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9)
        return static_cast<char>('0' + (key - VK_NUMPAD0));
    static constexpr struct {
        BYTE key;
        char plain;
    } table[] = {
        {VK_SPACE, ' '},    {VK_RETURN, '\r'},      {VK_BACK, '\b'},     {VK_TAB, '\t'},
        {VK_ESCAPE, 0x1B},  {VK_DECIMAL, '.'},      {VK_OEM_PERIOD, '.'}, {VK_SUBTRACT, '-'},
        {VK_OEM_MINUS, '-'}, {VK_ADD, '+'},         {VK_OEM_PLUS, '='},  {VK_OEM_COMMA, ','},
        {VK_MULTIPLY, '*'}, {VK_DIVIDE, '/'},
    };
    for (const auto& row : table)
        if (row.key == key)
            return row.plain;
    return 0;
}

}  // namespace helm::user

using helm::user::Monitor;

namespace {

// HMONITOR values are the monitor's index plus one.
HMONITOR handle_of(size_t index) { return reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(index + 1)); }

LONG distance_to(const RECT& r, POINT p)
{
    LONG dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
    LONG dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
    return dx + dy;
}

HMONITOR monitor_for(const RECT& rect, DWORD flags)
{
    auto monitors = helm::user::screen()->monitors();
    size_t best = SIZE_MAX;
    LONG best_area = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        RECT overlap;
        if (IntersectRect(&overlap, &rect, &monitors[i].area)) {
            LONG area = (overlap.right - overlap.left) * (overlap.bottom - overlap.top);
            if (area > best_area) {
                best_area = area;
                best = i;
            }
        }
    }
    if (best == SIZE_MAX && rect.left == rect.right && rect.top == rect.bottom) {
        for (size_t i = 0; i < monitors.size(); ++i)
            if (PtInRect(&monitors[i].area, POINT{rect.left, rect.top}))
                best = i;
    }
    if (best != SIZE_MAX)
        return handle_of(best);
    if (flags == MONITOR_DEFAULTTOPRIMARY)
        return handle_of(0);
    if (flags == MONITOR_DEFAULTTONEAREST) {
        POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        LONG nearest = INT32_MAX;
        for (size_t i = 0; i < monitors.size(); ++i) {
            LONG d = distance_to(monitors[i].area, centre);
            if (d < nearest) {
                nearest = d;
                best = i;
            }
        }
        return handle_of(best);
    }
    return nullptr;
}

RECT virtual_screen()
{
    auto monitors = helm::user::screen()->monitors();
    RECT all = monitors.front().area;
    for (const Monitor& m : monitors)
        UnionRect(&all, &all, &m.area);
    return all;
}

}  // namespace

HMONITOR MonitorFromPoint(POINT point, DWORD flags) { return monitor_for(RECT{point.x, point.y, point.x, point.y}, flags); }
HMONITOR MonitorFromRect(LPCRECT rect, DWORD flags) { return rect ? monitor_for(*rect, flags) : nullptr; }
HMONITOR MonitorFromWindow(HWND window, DWORD flags)
{
    RECT r;
    if (!GetWindowRect(window, &r))
        return flags == MONITOR_DEFAULTTONULL ? nullptr : handle_of(0);
    return monitor_for(r, flags);
}

BOOL GetMonitorInfo(HMONITOR monitor, LPMONITORINFO info)
{
    auto monitors = helm::user::screen()->monitors();
    const uintptr_t index = reinterpret_cast<uintptr_t>(monitor);
    if (!info || index == 0 || index > monitors.size() || info->cbSize < sizeof(MONITORINFO))
        return FALSE;
    const Monitor& m = monitors[index - 1];
    info->rcMonitor = m.area;
    info->rcWork = m.work_area;
    info->dwFlags = m.primary ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

// Frame sizes are those of the classic Windows look, which dialog layouts
// of the suite were designed against.
int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: {
        RECT r = helm::user::screen()->monitors().front().area;
        return r.right - r.left;
    }
    case SM_CYSCREEN: {
        RECT r = helm::user::screen()->monitors().front().area;
        return r.bottom - r.top;
    }
    case SM_XVIRTUALSCREEN: return virtual_screen().left;
    case SM_YVIRTUALSCREEN: return virtual_screen().top;
    case SM_CXVIRTUALSCREEN: { RECT r = virtual_screen(); return r.right - r.left; }
    case SM_CYVIRTUALSCREEN: { RECT r = virtual_screen(); return r.bottom - r.top; }
    case SM_CMONITORS: return static_cast<int>(helm::user::screen()->monitors().size());
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 16;
    case SM_CYCAPTION:
    case SM_CYMENU: return 19;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    default: return 0;
    }
}
