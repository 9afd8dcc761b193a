#include "monitors.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>

#include "helm/user/winuser.h"

namespace helm::display {
namespace {

// The desktop's work area: the current desktop's entry of _NET_WORKAREA
// (x, y, width, height), or false when no window manager publishes one.
bool work_area(Display* display, const Atoms& atoms, RECT* area)
{
    const Window root = DefaultRootWindow(display);
    auto cardinals = [&](Atom property, long length, std::vector<long>* out) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, root, property, 0, length, False, XA_CARDINAL, &type, &format, &count, &after,
                               &data) != Success ||
            type != XA_CARDINAL || format != 32) {
            if (data)
                XFree(data);
            return false;
        }
        const long* values = reinterpret_cast<const long*>(data);
        out->assign(values, values + count);
        XFree(data);
        return true;
    };
    std::vector<long> desktop, areas;
    long current = 0;
    if (cardinals(atoms.net_current_desktop, 1, &desktop) && !desktop.empty())
        current = std::clamp(desktop[0], 0L, 63L);
    // At most 64 desktops of four values are read.
    if (!cardinals(atoms.net_workarea, 4 * 64, &areas) || areas.size() < 4)
        return false;
    const size_t at = static_cast<size_t>(current) * 4 + 4 <= areas.size() ? static_cast<size_t>(current) * 4 : 0;
    const long x = areas[at], y = areas[at + 1], w = areas[at + 2], h = areas[at + 3];
    if (w <= 0 || h <= 0)
        return false;
    *area = {static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + w), static_cast<LONG>(y + h)};
    return true;
}

}  // namespace

std::vector<user::Monitor> read_monitors(Display* display, const Atoms& atoms)
{
    std::vector<user::Monitor> monitors;
    int event_base = 0, error_base = 0;
    if (XRRQueryExtension(display, &event_base, &error_base)) {
        int count = 0;
        if (XRRMonitorInfo* info = XRRGetMonitors(display, DefaultRootWindow(display), True, &count)) {
            for (int i = 0; i < count; ++i) {
                const XRRMonitorInfo& m = info[i];
                if (m.width <= 0 || m.height <= 0)
                    continue;
                RECT area{m.x, m.y, m.x + m.width, m.y + m.height};
                monitors.push_back({area, area, m.primary != 0});
            }
            XRRFreeMonitors(info);
        }
    }
    if (monitors.empty()) {
        const int screen = DefaultScreen(display);
        RECT area{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
        monitors.push_back({area, area, true});
    }
    RECT work{};
    if (work_area(display, atoms, &work))
        for (user::Monitor& m : monitors)
            if (!IntersectRect(&m.work_area, &m.area, &work))
                m.work_area = m.area;
    // The primary first, as the layer expects; one is primary.
    auto primary = std::find_if(monitors.begin(), monitors.end(), [](const user::Monitor& m) { return m.primary; });
    if (primary == monitors.end())
        monitors.front().primary = true;
    else
        std::rotate(monitors.begin(), primary, primary + 1);
    return monitors;
}

}  // namespace helm::display
