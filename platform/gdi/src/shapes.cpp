// Lines, shapes and rectangle fills. One-pixel pens are rasterised here,
// pixel by pixel, so lines land exactly where GDI puts them (the last
// point left out, styles counted in pixels); wider pens and filled shapes
// go through Cairo, aliased, on pixel centres.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <utility>

#include "device_context.h"
#include "helm/gdi/hooks.h"

using namespace helm::gdi;

namespace {

struct Dashes {
    int count;
    int runs[6];
};

// On/off runs in pixels of the cosmetic pen styles.
Dashes dashes_of(int style)
{
    switch (style) {
    case PS_DASH: return {2, {18, 6}};
    case PS_DOT: return {2, {3, 3}};
    case PS_DASHDOT: return {4, {9, 6, 3, 6}};
    case PS_DASHDOTDOT: return {6, {9, 3, 3, 3, 3, 3}};
    default: return {0, {}};
    }
}

long ceil_div(long num, long den)
{
    return num >= 0 ? (num + den - 1) / den : -((-num) / den);
}

// The pixels of a one-pixel line from a to b, b itself left out: one pixel
// per step along the longer axis, the other coordinate rounded to the
// nearest pixel with halves going to the smaller coordinate.
void rasterise(POINT a, POINT b, std::vector<POINT>& out)
{
    long dx = long(b.x) - a.x;
    long dy = long(b.y) - a.y;
    long steps = std::max(std::labs(dx), std::labs(dy));
    for (long i = 0; i < steps; ++i) {
        // round-half-down(i * d / steps) = ceil((2 * i * d - steps) / (2 * steps))
        long x = a.x + ceil_div(2 * i * dx - steps, 2 * steps);
        long y = a.y + ceil_div(2 * i * dy - steps, 2 * steps);
        out.push_back(POINT{LONG(x), LONG(y)});
    }
}

// A segment with an end far outside what the DC can touch is cut to a box
// a little larger than that, so the pixel walk stays short whatever the
// coordinates; segments inside the box are left exactly as given.
bool clip_segment(const DeviceContext& dc, POINT& a, POINT& b)
{
    cairo_region_t* visible = dc.visible_region();
    cairo_rectangle_int_t extents;
    cairo_region_get_extents(visible, &extents);
    cairo_region_destroy(visible);
    if (extents.width <= 0 || extents.height <= 0)
        return false;
    double left = double(extents.x) - dc.offset_x() - 2;
    double top = double(extents.y) - dc.offset_y() - 2;
    double right = left + extents.width + 4;
    double bottom = top + extents.height + 4;
    auto inside = [&](const POINT& p) { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; };
    if (inside(a) && inside(b))
        return true;
    // Liang-Barsky on the box.
    double x0 = a.x, y0 = a.y, dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return false;
    POINT from{LONG(std::lround(x0 + t0 * dx)), LONG(std::lround(y0 + t0 * dy))};
    POINT to{LONG(std::lround(x0 + t1 * dx)), LONG(std::lround(y0 + t1 * dy))};
    a = from;
    b = to;
    return true;
}

std::shared_ptr<Brush> resolve_brush(HBRUSH handle)
{
    auto value = reinterpret_cast<uintptr_t>(handle);
    if (value >= 1 && value <= 31) {
        COLORREF colour = system_colour(static_cast<int>(value) - 1);
        if (colour == CLR_INVALID)
            return nullptr;
        auto brush = std::make_shared<Brush>();
        brush->colour = colour;
        return brush;
    }
    return find_object<Brush>(handle);
}

// Strokes a path of points with the DC's pen. `closed` joins the last point
// to the first.
void stroke_points(DeviceContext& dc, const POINT* points, int count, bool closed)
{
    const Pen& pen = *dc.state.pen;
    if (pen.style == PS_NULL || count < 2)
        return;
    COLORREF colour = dc.pen_colour(pen);
    if (pen.width <= 1) {
        std::vector<POINT> pixels;
        int segments = closed ? count : count - 1;
        for (int i = 0; i < segments; ++i) {
            POINT a = points[i];
            POINT b = points[(i + 1) % count];
            if (clip_segment(dc, a, b))
                rasterise(a, b, pixels);
        }
        Dashes dashes = dashes_of(pen.style);
        if (dashes.count == 0) {
            plot_pixels(dc, pixels, colour, dc.state.rop2);
            return;
        }
        std::vector<POINT> on;
        std::vector<POINT> off;
        int run = 0;
        int left = dashes.runs[0];
        for (const POINT& p : pixels) {
            ((run % 2 == 0) ? on : off).push_back(p);
            if (--left == 0) {
                run = (run + 1) % dashes.count;
                left = dashes.runs[run];
            }
        }
        plot_pixels(dc, on, colour, dc.state.rop2);
        if (dc.state.bk_mode == OPAQUE)
            plot_pixels(dc, off, dc.state.bk_colour, dc.state.rop2);
        return;
    }
    Painter painter(dc);
    if (!painter.ok())
        return;
    cairo_t* cr = painter.cr();
    for (int i = 0; i < count; ++i) {
        double x = points[i].x + 0.5;
        double y = points[i].y + 0.5;
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    if (closed)
        cairo_close_path(cr);
    painter.set_colour(colour);
    cairo_set_line_width(cr, pen.width);
    cairo_stroke(cr);
}

// Fills the current path of a fresh painter with the DC's brush, then
// strokes it with the pen (aliased, on pixel centres).
void fill_and_stroke(DeviceContext& dc, const std::function<void(cairo_t*)>& path, bool fill)
{
    Painter painter(dc);
    if (!painter.ok())
        return;
    cairo_t* cr = painter.cr();
    if (fill && painter.set_brush(*dc.state.brush)) {
        path(cr);
        cairo_fill(cr);
    }
    const Pen& pen = *dc.state.pen;
    if (pen.style == PS_NULL)
        return;
    path(cr);
    painter.set_colour(dc.pen_colour(pen));
    cairo_set_line_width(cr, std::max(1, pen.width));
    if (pen.width <= 1) {
        Dashes dashes = dashes_of(pen.style);
        double runs[6];
        for (int i = 0; i < dashes.count; ++i)
            runs[i] = dashes.runs[i];
        cairo_set_dash(cr, runs, dashes.count, 0);
    }
    cairo_stroke(cr);
}

void normalise(int& a, int& b)
{
    if (a > b)
        std::swap(a, b);
}

enum class ArcKind { Arc, Pie, Chord };

BOOL draw_arc(HDC handle, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye, ArcKind kind)
{
    auto dc = find_dc(handle);
    if (!dc)
        return FALSE;
    normalise(left, right);
    normalise(top, bottom);
    double cx = (left + right) / 2.0;
    double cy = (top + bottom) / 2.0;
    double rx = std::max(0.5, (right - left - 1) / 2.0);
    double ry = std::max(0.5, (bottom - top - 1) / 2.0);
    double start = std::atan2((ys + 0.5 - cy) / ry, (xs + 0.5 - cx) / rx);
    double end = std::atan2((ye + 0.5 - cy) / ry, (xe + 0.5 - cx) / rx);
    bool clockwise = dc->state.arc_direction == AD_CLOCKWISE;
    if (start == end)
        end = clockwise ? start + 2 * M_PI : start - 2 * M_PI;
    auto path = [&](cairo_t* cr) {
        cairo_new_path(cr);
        if (kind == ArcKind::Pie)
            cairo_move_to(cr, cx, cy);
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        // On screen, with y downwards, Cairo's growing angles turn clockwise.
        if (clockwise)
            cairo_arc(cr, 0, 0, 1, start, end);
        else
            cairo_arc_negative(cr, 0, 0, 1, start, end);
        cairo_restore(cr);
        if (kind != ArcKind::Arc)
            cairo_close_path(cr);
    };
    fill_and_stroke(*dc, path, kind != ArcKind::Arc);
    return TRUE;
}

// Applies `op` to every visible pixel of a logical rectangle.
template <class Op>
void for_pixels(DeviceContext& dc, RECT rect, Op op)
{
    Surface* pixels = dc.target();
    if (!pixels)
        return;
    cairo_surface_flush(pixels->cairo());
    cairo_region_t* region = dc.visible_region();
    cairo_rectangle_int_t r{rect.left + dc.offset_x(), rect.top + dc.offset_y(), 0, 0};
    r.width = std::max(0, int(rect.right - rect.left));
    r.height = std::max(0, int(rect.bottom - rect.top));
    cairo_region_intersect_rectangle(region, &r);
    int count = cairo_region_num_rectangles(region);
    for (int i = 0; i < count; ++i) {
        cairo_rectangle_int_t part;
        cairo_region_get_rectangle(region, i, &part);
        for (int y = part.y; y < part.y + part.height; ++y) {
            uint32_t* row = pixels->row(y);
            for (int x = part.x; x < part.x + part.width; ++x)
                op(row[x], x, y);
        }
    }
    cairo_region_destroy(region);
    pixels->mark_dirty();
}

bool fill_rect_with(DeviceContext& dc, const RECT& rect, const Brush& brush)
{
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return true;
    Painter painter(dc);
    if (!painter.ok())
        return false;
    if (painter.set_brush(brush)) {
        cairo_rectangle(painter.cr(), rect.left, rect.top, double(rect.right) - rect.left,
                        double(rect.bottom) - rect.top);
        cairo_fill(painter.cr());
    }
    return true;
}

}  // namespace

BOOL LineTo(HDC handle, int x, int y)
{
    auto dc = find_dc(handle);
    if (!dc)
        return FALSE;
    POINT line[2] = {dc->state.position, POINT{x, y}};
    stroke_points(*dc, line, 2, false);
    dc->state.position = line[1];
    return TRUE;
}

BOOL Polyline(HDC handle, const POINT* points, int count)
{
    auto dc = find_dc(handle);
    if (!dc || !points || count < 2)
        return FALSE;
    stroke_points(*dc, points, count, false);
    return TRUE;
}

BOOL Polygon(HDC handle, const POINT* points, int count)
{
    auto dc = find_dc(handle);
    if (!dc || !points || count < 2)
        return FALSE;
    {
        Painter painter(*dc);
        if (painter.ok() && painter.set_brush(*dc->state.brush)) {
            cairo_t* cr = painter.cr();
            for (int i = 0; i < count; ++i)
                cairo_line_to(cr, points[i].x + 0.5, points[i].y + 0.5);
            cairo_close_path(cr);
            cairo_set_fill_rule(cr, dc->state.poly_fill == WINDING ? CAIRO_FILL_RULE_WINDING
                                                                   : CAIRO_FILL_RULE_EVEN_ODD);
            cairo_fill(cr);
        }
    }
    stroke_points(*dc, points, count, true);
    return TRUE;
}

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom)
{
    auto dc = find_dc(handle);
    if (!dc)
        return FALSE;
    normalise(left, right);
    normalise(top, bottom);
    const Pen& pen = *dc->state.pen;
    if (pen.style == PS_NULL) {
        // Without a pen the filled area is one pixel smaller each way.
        fill_rect_with(*dc, RECT{left, top, right - 1, bottom - 1}, *dc->state.brush);
        return TRUE;
    }
    fill_rect_with(*dc, RECT{left, top, right, bottom}, *dc->state.brush);
    int inset = pen.style == PS_INSIDEFRAME ? pen.width / 2 : 0;
    POINT corners[4] = {{left + inset, top + inset},
                        {right - 1 - inset, top + inset},
                        {right - 1 - inset, bottom - 1 - inset},
                        {left + inset, bottom - 1 - inset}};
    stroke_points(*dc, corners, 4, true);
    return TRUE;
}

BOOL RoundRect(HDC handle, int left, int top, int right, int bottom, int width, int height)
{
    auto dc = find_dc(handle);
    if (!dc)
        return FALSE;
    normalise(left, right);
    normalise(top, bottom);
    double rx = std::min(std::abs(width) / 2.0, (right - left) / 2.0);
    double ry = std::min(std::abs(height) / 2.0, (bottom - top) / 2.0);
    double l = left + 0.5, t = top + 0.5, r = right - 0.5, b = bottom - 0.5;
    auto path = [&](cairo_t* cr) {
        cairo_new_path(cr);
        auto corner = [&](double x, double y, double from) {
            cairo_save(cr);
            cairo_translate(cr, x, y);
            cairo_scale(cr, std::max(rx, 0.01), std::max(ry, 0.01));
            cairo_arc(cr, 0, 0, 1, from, from + M_PI / 2);
            cairo_restore(cr);
        };
        corner(r - rx, t + ry, -M_PI / 2);
        corner(r - rx, b - ry, 0);
        corner(l + rx, b - ry, M_PI / 2);
        corner(l + rx, t + ry, M_PI);
        cairo_close_path(cr);
    };
    fill_and_stroke(*dc, path, true);
    return TRUE;
}

BOOL Ellipse(HDC handle, int left, int top, int right, int bottom)
{
    auto dc = find_dc(handle);
    if (!dc)
        return FALSE;
    normalise(left, right);
    normalise(top, bottom);
    double cx = (left + right) / 2.0;
    double cy = (top + bottom) / 2.0;
    double rx = std::max(0.5, (right - left - 1) / 2.0);
    double ry = std::max(0.5, (bottom - top - 1) / 2.0);
    auto path = [&](cairo_t* cr) {
        cairo_new_path(cr);
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_close_path(cr);
    };
    fill_and_stroke(*dc, path, true);
    return TRUE;
}

BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye)
{
    return draw_arc(dc, left, top, right, bottom, xs, ys, xe, ye, ArcKind::Arc);
}

BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye)
{
    return draw_arc(dc, left, top, right, bottom, xs, ys, xe, ye, ArcKind::Pie);
}

BOOL Chord(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye)
{
    return draw_arc(dc, left, top, right, bottom, xs, ys, xe, ye, ArcKind::Chord);
}

COLORREF SetPixel(HDC handle, int x, int y, COLORREF colour)
{
    auto dc = find_dc(handle);
    if (!dc || !dc->visible(x + dc->offset_x(), y + dc->offset_y()))
        return CLR_INVALID;
    plot_pixels(*dc, {POINT{x, y}}, colour & 0xFFFFFF, R2_COPYPEN);
    return colour & 0xFFFFFF;
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF colour)
{
    return SetPixel(dc, x, y, colour) != CLR_INVALID;
}

COLORREF GetPixel(HDC handle, int x, int y)
{
    auto dc = find_dc(handle);
    if (!dc)
        return CLR_INVALID;
    int sx = x + dc->offset_x();
    int sy = y + dc->offset_y();
    if (!dc->visible(sx, sy))
        return CLR_INVALID;
    return dc->target()->colour(sx, sy);
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brush_handle)
{
    auto dc = find_dc(handle);
    auto brush = resolve_brush(brush_handle);
    if (!dc || !rect || !brush)
        return 0;
    return fill_rect_with(*dc, *rect, *brush) ? 1 : 0;
}

int FrameRect(HDC handle, const RECT* rect, HBRUSH brush_handle)
{
    auto dc = find_dc(handle);
    auto brush = resolve_brush(brush_handle);
    if (!dc || !rect || !brush)
        return 0;
    const RECT& r = *rect;
    if (r.right <= r.left || r.bottom <= r.top)
        return 1;
    fill_rect_with(*dc, RECT{r.left, r.top, r.right, r.top + 1}, *brush);
    fill_rect_with(*dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, *brush);
    fill_rect_with(*dc, RECT{r.left, r.top, r.left + 1, r.bottom}, *brush);
    fill_rect_with(*dc, RECT{r.right - 1, r.top, r.right, r.bottom}, *brush);
    return 1;
}

BOOL FillRgn(HDC handle, HRGN region_handle, HBRUSH brush_handle)
{
    auto dc = find_dc(handle);
    auto region = find_object<Region>(region_handle);
    auto brush = resolve_brush(brush_handle);
    if (!dc || !region || !brush)
        return FALSE;
    int count = cairo_region_num_rectangles(region->region);
    for (int i = 0; i < count; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(region->region, i, &r);
        fill_rect_with(*dc, RECT{r.x, r.y, r.x + r.width, r.y + r.height}, *brush);
    }
    return TRUE;
}

BOOL InvertRect(HDC handle, const RECT* rect)
{
    auto dc = find_dc(handle);
    if (!dc || !rect)
        return FALSE;
    for_pixels(*dc, *rect, [](uint32_t& pixel, int, int) { pixel = 0xFF000000u | (~pixel & 0xFFFFFF); });
    return TRUE;
}

BOOL DrawFocusRect(HDC handle, const RECT* rect)
{
    auto dc = find_dc(handle);
    if (!dc || !rect)
        return FALSE;
    const RECT& r = *rect;
    if (r.right <= r.left || r.bottom <= r.top)
        return TRUE;
    // Every other pixel of the frame inverted, so drawing it twice removes it.
    std::vector<POINT> dots;
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0)
            dots.push_back(POINT{x, y});
    };
    for (int x = r.left; x < r.right; ++x) {
        dot(x, r.top);
        if (r.bottom - 1 > r.top)
            dot(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        dot(r.left, y);
        if (r.right - 1 > r.left)
            dot(r.right - 1, y);
    }
    plot_pixels(*dc, dots, 0, R2_NOT);
    return TRUE;
}

BOOL PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop)
{
    auto dc = find_dc(handle);
    if (!dc)
        return FALSE;
    RECT rect{x, y, x + width, y + height};
    if (rect.left > rect.right)
        std::swap(rect.left, rect.right);
    if (rect.top > rect.bottom)
        std::swap(rect.top, rect.bottom);
    const Brush& brush = *dc->state.brush;
    uint32_t pattern = argb_of(dc->brush_colour(brush)) & 0xFFFFFF;
    switch (rop) {
    case PATCOPY: return fill_rect_with(*dc, rect, brush);
    case BLACKNESS:
        for_pixels(*dc, rect, [](uint32_t& pixel, int, int) { pixel = 0xFF000000u; });
        return TRUE;
    case WHITENESS:
        for_pixels(*dc, rect, [](uint32_t& pixel, int, int) { pixel = 0xFFFFFFFFu; });
        return TRUE;
    case DSTINVERT:
        for_pixels(*dc, rect, [](uint32_t& pixel, int, int) { pixel = 0xFF000000u | (~pixel & 0xFFFFFF); });
        return TRUE;
    case PATINVERT:
        for_pixels(*dc, rect, [&](uint32_t& pixel, int, int) { pixel = 0xFF000000u | ((pixel ^ pattern) & 0xFFFFFF); });
        return TRUE;
    default: return FALSE;
    }
}
