// Device contexts of windows. Each top-level window owns a surface the size
// of its window rectangle; its children draw into it through DCs whose
// origin is their own client (or window) corner, clipped to what of them is
// visible: inside every ancestor's client area, and without children or
// siblings above them when their styles ask, as Windows clips.

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "helm/gdi/surface.h"
#include "helm/kernel/error.h"
#include "helm/user/screen.h"
#include "helm/user/snapshot.h"
#include "paint_internal.h"
#include "window_table.h"

namespace helm::user {

namespace {

uint32_t key_of(HWND window) { return WindowTable::value_of(window); }
uint32_t key_of(HDC dc) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(dc)); }

// A window DC: its window and the part of the surface it may draw on.
struct WindowDc {
    uint32_t window;
    RECT area;
};

struct PaintState {
    std::mutex mutex;
    std::unordered_map<uint32_t, std::shared_ptr<gdi::Surface>> surfaces;  // by top-level window
    std::unordered_map<uint32_t, WindowDc> dcs;                            // by DC
    std::unordered_set<uint32_t> frames_due;  // windows whose frame was painted over
};

PaintState& state()
{
    static auto* s = new PaintState;
    return *s;
}

bool is_child(HWND window) { return (GetWindowLong(window, GWL_STYLE) & WS_CHILD) && GetParent(window); }

HWND top_level_of(HWND window)
{
    while (is_child(window))
        window = GetParent(window);
    return window;
}

RECT window_rect_of(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// The client area of a window in screen coordinates.
RECT client_on_screen(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    POINT corner{0, 0};
    ClientToScreen(window, &corner);
    OffsetRect(&r, corner.x, corner.y);
    return r;
}

bool has_frame(HWND window)
{
    RECT w = window_rect_of(window), c{};
    GetClientRect(window, &c);
    return w.right - w.left != c.right || w.bottom - w.top != c.bottom;
}

bool style_has(HWND window, DWORD bits) { return (static_cast<DWORD>(GetWindowLong(window, GWL_STYLE)) & bits) != 0; }

// Takes `cut` away from `area` in `dc`'s coordinates (surface pixels minus
// `origin`).
void exclude(HDC dc, POINT origin, const RECT& cut)
{
    ExcludeClipRect(dc, cut.left - origin.x, cut.top - origin.y, cut.right - origin.x, cut.bottom - origin.y);
}

// Removes from the DC what hides part of `window`: its visible children
// (WS_CLIPCHILDREN, for client DCs) and, for it and each ancestor with
// WS_CLIPSIBLINGS, the visible siblings above it. Rectangles are moved from
// the screen to the surface by `to_surface`.
void clip_covering_windows(HDC dc, HWND window, POINT origin, POINT to_surface, bool client)
{
    auto cut = [&](HWND other) {
        RECT r = window_rect_of(other);
        OffsetRect(&r, to_surface.x, to_surface.y);
        exclude(dc, origin, r);
    };
    if (client && style_has(window, WS_CLIPCHILDREN))
        for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (IsWindowVisible(c))
                cut(c);
    for (HWND w = window; is_child(w); w = GetParent(w)) {
        if (!style_has(w, WS_CLIPSIBLINGS))
            continue;
        for (HWND s = GetWindow(w, GW_HWNDPREV); s; s = GetWindow(s, GW_HWNDPREV))
            if (IsWindowVisible(s))
                cut(s);
    }
}

// Where a window's DC starts and what it may touch, in surface pixels.
struct DcArea {
    std::shared_ptr<gdi::Surface> surface;
    POINT origin{};
    RECT clip{};
    POINT to_surface{};  // screen -> surface offset
};

DcArea area_of(HWND window, bool client)
{
    DcArea a;
    HWND top = top_level_of(window);
    a.surface = window_surface(top);
    if (!a.surface)
        return a;
    const RECT top_rect = window_rect_of(top);
    a.to_surface = {-top_rect.left, -top_rect.top};
    RECT own = client ? client_on_screen(window) : window_rect_of(window);
    OffsetRect(&own, a.to_surface.x, a.to_surface.y);
    a.origin = {own.left, own.top};
    a.clip = own;
    // Inside every ancestor's client area.
    for (HWND w = window; is_child(w);) {
        w = GetParent(w);
        RECT c = client_on_screen(w);
        OffsetRect(&c, a.to_surface.x, a.to_surface.y);
        IntersectRect(&a.clip, &a.clip, &c);
    }
    RECT whole{0, 0, a.surface->width(), a.surface->height()};
    IntersectRect(&a.clip, &a.clip, &whole);
    if (!IsWindowVisible(window))
        a.clip = RECT{a.origin.x, a.origin.y, a.origin.x, a.origin.y};
    return a;
}

HDC make_window_dc(HWND window, bool client, const RECT* update)
{
    if (!IsWindow(window))
        return nullptr;
    DcArea a = area_of(window, client);
    if (!a.surface)
        return nullptr;
    if (update) {
        RECT u = *update;
        OffsetRect(&u, a.origin.x, a.origin.y);
        if (!IntersectRect(&a.clip, &a.clip, &u))
            a.clip = RECT{a.origin.x, a.origin.y, a.origin.x, a.origin.y};
    }
    HDC dc = gdi::make_surface_dc(a.surface, a.origin, a.clip);
    if (!dc)
        return nullptr;
    clip_covering_windows(dc, window, a.origin, a.to_surface, client);
    std::lock_guard lock(state().mutex);
    state().dcs[key_of(dc)] = {key_of(window), a.clip};
    return dc;
}

// Deletes a window DC and tells the screen what of its top level's surface
// it may have drawn on. False for a DC that is not a window's.
bool release_window_dc(HDC dc)
{
    WindowDc released;
    {
        std::lock_guard lock(state().mutex);
        auto it = state().dcs.find(key_of(dc));
        if (it == state().dcs.end())
            return false;
        released = it->second;
        state().dcs.erase(it);
    }
    DeleteDC(dc);
    const HWND window = WindowTable::hwnd_of(released.window);
    if (IsWindow(window) && !IsRectEmpty(&released.area))
        screen()->window_painted(top_level_of(window), released.area);
    return true;
}

// A window painted without WS_CLIPCHILDREN covers its children: those under
// the painted area are due for painting again, after it.
void invalidate_children_under(HWND window, const RECT& painted)
{
    if (style_has(window, WS_CLIPCHILDREN) || IsRectEmpty(&painted))
        return;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c))
            continue;
        RECT r = window_rect_of(c);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        RECT overlap;
        if (!IntersectRect(&overlap, &r, &painted))
            continue;
        MapWindowPoints(window, c, reinterpret_cast<POINT*>(&overlap), 2);
        InvalidateRect(c, &overlap, TRUE);
        std::lock_guard lock(state().mutex);
        state().frames_due.insert(key_of(c));
    }
}

}  // namespace

std::shared_ptr<gdi::Surface> window_surface(HWND top_level)
{
    if (!IsWindow(top_level) || is_child(top_level))
        return nullptr;
    const RECT r = window_rect_of(top_level);
    const int width = std::max<LONG>(1, r.right - r.left);
    const int height = std::max<LONG>(1, r.bottom - r.top);
    std::shared_ptr<gdi::Surface> made;
    {
        std::lock_guard lock(state().mutex);
        auto& slot = state().surfaces[key_of(top_level)];
        if (slot && slot->width() == width && slot->height() == height)
            return slot;
        made = gdi::Surface::create(width, height);
        if (!made)
            return slot;
        // What was drawn stays where it was; the new part waits for WM_PAINT.
        if (slot) {
            cairo_t* cr = cairo_create(made->cairo());
            cairo_set_source_surface(cr, slot->cairo(), 0, 0);
            cairo_paint(cr);
            cairo_destroy(cr);
            made->mark_dirty();
        }
        slot = made;
    }
    screen()->surface_replaced(top_level, made);
    return made;
}

void forget_window_surface(HWND window)
{
    std::lock_guard lock(state().mutex);
    state().surfaces.erase(key_of(window));
    state().frames_due.erase(key_of(window));
}

void frame_due(HWND window)
{
    std::lock_guard lock(state().mutex);
    state().frames_due.insert(key_of(window));
}

}  // namespace helm::user

using namespace helm::user;

HDC GetDC(HWND window)
{
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return make_window_dc(window, true, nullptr);
}

HDC GetWindowDC(HWND window)
{
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return make_window_dc(window, false, nullptr);
}

int ReleaseDC(HWND window, HDC dc)
{
    HWND owner = WindowFromDC(dc);
    if (!dc || (window && owner != window))
        return 0;
    return release_window_dc(dc) ? 1 : 0;
}

HWND WindowFromDC(HDC dc)
{
    std::lock_guard lock(state().mutex);
    auto it = state().dcs.find(key_of(dc));
    return it == state().dcs.end() ? nullptr : WindowTable::hwnd_of(it->second.window);
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint)
{
    if (!paint)
        return nullptr;
    *paint = PAINTSTRUCT{};
    bool erase;
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        Window* w = t.find(window);
        if (!w)
            return nullptr;
        paint->rcPaint = w->needs_paint ? w->update : RECT{};
        erase = w->erase;
        w->needs_paint = false;
        w->erase = false;
        w->update = RECT{};
    }
    // The frame is painted with the whole window, or when a parent covered it.
    bool frame;
    {
        std::lock_guard lock(state().mutex);
        frame = state().frames_due.erase(key_of(window)) > 0;
    }
    RECT client{};
    GetClientRect(window, &client);
    if ((frame || (erase && EqualRect(&client, &paint->rcPaint))) && has_frame(window))
        SendMessage(window, WM_NCPAINT, 1, 0);
    paint->hdc = make_window_dc(window, true, &paint->rcPaint);
    invalidate_children_under(window, paint->rcPaint);
    // fErase tells the painter the background still needs erasing.
    if (erase)
        paint->fErase =
            SendMessage(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) ? FALSE : TRUE;
    return paint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint)
{
    if (paint && paint->hdc)
        release_window_dc(paint->hdc);
    return TRUE;
}
