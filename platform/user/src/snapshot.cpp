// Snapshots of windows: pending painting done first, then the pixels of the
// top-level surface (with the popups it owns laid over it) cut to the
// window asked for.

#include "helm/user/snapshot.h"

#include <algorithm>
#include <vector>

namespace helm::user {

namespace {

HWND top_level_of(HWND window)
{
    while ((GetWindowLong(window, GWL_STYLE) & WS_CHILD) && GetParent(window))
        window = GetParent(window);
    return window;
}

std::vector<HWND> owned_popups_bottom_first(HWND owner)
{
    struct Found {
        HWND owner;
        std::vector<HWND> windows;
    } found{owner, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* f = reinterpret_cast<Found*>(p);
            if (GetWindow(w, GW_OWNER) == f->owner && IsWindowVisible(w))
                f->windows.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    std::reverse(found.windows.begin(), found.windows.end());
    return found.windows;
}

void draw_at(gdi::Surface& target, const gdi::Surface& source, int x, int y)
{
    cairo_t* cr = cairo_create(target.cairo());
    cairo_set_source_surface(cr, source.cairo(), x, y);
    cairo_paint(cr);
    cairo_destroy(cr);
}

}  // namespace

void paint_pending(HWND window)
{
    if (!IsWindow(window) || !IsWindowVisible(window))
        return;
    UpdateWindow(window);
    // Children bottom first, so the top of overlapping siblings ends on top.
    HWND child = GetWindow(window, GW_CHILD);
    if (!child)
        return;
    for (HWND c = GetWindow(child, GW_HWNDLAST); c; c = GetWindow(c, GW_HWNDPREV))
        paint_pending(c);
}

std::shared_ptr<gdi::Surface> snapshot_window(HWND window)
{
    if (!IsWindow(window))
        return nullptr;
    HWND top = top_level_of(window);
    paint_pending(top);
    const std::vector<HWND> popups = owned_popups_bottom_first(top);
    for (HWND p : popups)
        paint_pending(p);
    std::shared_ptr<gdi::Surface> own = window_surface(top);
    if (!own)
        return nullptr;
    RECT top_rect{};
    GetWindowRect(top, &top_rect);
    auto picture = gdi::Surface::create(own->width(), own->height());
    if (!picture)
        return nullptr;
    draw_at(*picture, *own, 0, 0);
    for (HWND p : popups) {
        if (auto s = window_surface(p)) {
            RECT r{};
            GetWindowRect(p, &r);
            draw_at(*picture, *s, r.left - top_rect.left, r.top - top_rect.top);
        }
    }
    picture->mark_dirty();
    if (window == top)
        return picture;
    const RECT r = rect_in_snapshot(top, window);
    auto part = gdi::Surface::create(std::max<LONG>(1, r.right - r.left), std::max<LONG>(1, r.bottom - r.top));
    if (!part)
        return nullptr;
    draw_at(*part, *picture, -r.left, -r.top);
    part->mark_dirty();
    return part;
}

bool save_window_png(HWND window, const std::string& path)
{
    auto picture = snapshot_window(window);
    return picture && picture->save_png(path);
}

RECT rect_in_snapshot(HWND root, HWND window, bool client)
{
    RECT root_rect{}, r{};
    GetWindowRect(root, &root_rect);
    if (client) {
        GetClientRect(window, &r);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    } else {
        GetWindowRect(window, &r);
    }
    OffsetRect(&r, -root_rect.left, -root_rect.top);
    return r;
}

}  // namespace helm::user
