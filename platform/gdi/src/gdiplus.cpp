// The GDI+ flat functions over Cairo. A graphics keeps one cairo_t on its
// target; before each call its matrix is set to the device offset times the
// world transform, with the half-pixel shift that puts GDI+'s pixel centres
// (whole coordinates) on Cairo's.
#include "helm/gdi/gdiplus.h"

#include <pango/pangocairo.h>
#include <strings.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "device_context.h"
#include "dib.h"
#include "font_face.h"
#include "helm/gdi/hooks.h"
#include "helm/gdi/text.h"

using namespace Gdiplus;
using helm::gdi::Surface;

struct GpImage {
    std::shared_ptr<Surface> pixels;
    PixelFormat format = PixelFormat32bppARGB;
};

struct GpPen {
    ARGB colour = 0xFF000000;
    REAL width = 1;
    DashStyle dash = DashStyleSolid;
};

struct GpBrush {
    ARGB colour = 0xFF000000;
};

struct GpFontFamily {
    std::string family;
};

struct GpFont {
    std::shared_ptr<helm::gdi::FontFace> face;
    REAL size = 0;
    double em_pixels = 0;
};

struct GpStringFormat {
    StringAlignment align = StringAlignmentNear;
    StringAlignment line_align = StringAlignmentNear;
    INT flags = 0;
};

struct GpImageAttributes {
    bool keyed = false;
    ARGB low = 0;
    ARGB high = 0;
};

struct GpCachedBitmap {
    std::shared_ptr<Surface> pixels;
};

struct GpGraphics {
    std::shared_ptr<Surface> target;
    cairo_t* cr = nullptr;
    double origin_x = 0;  // device offset on the target surface
    double origin_y = 0;
    cairo_region_t* base_clip = nullptr;  // in surface pixels; null for all
    cairo_matrix_t world;
    SmoothingMode smoothing = SmoothingModeDefault;
    TextRenderingHint text_hint = TextRenderingHintSystemDefault;
    // Clip rectangles in device space, each a quadrilateral (the world
    // transform at the time of SetClip applied).
    std::vector<std::array<double, 8>> clips;

    ~GpGraphics()
    {
        if (cr)
            cairo_destroy(cr);
        if (base_clip)
            cairo_region_destroy(base_clip);
    }
};

namespace {

std::atomic<ULONG_PTR> g_tokens{0};

bool smooth(const GpGraphics& g)
{
    return g.smoothing == SmoothingModeAntiAlias || g.smoothing == SmoothingModeHighQuality;
}

void set_argb(cairo_t* cr, ARGB colour)
{
    cairo_set_source_rgba(cr, ((colour >> 16) & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0, (colour & 0xFF) / 255.0,
                          (colour >> 24) / 255.0);
}

// Resets the cairo_t for one call: clip, matrix, smoothing. `shift` adds the
// half-pixel offset of vector shapes.
void prepare(GpGraphics& g, bool shift)
{
    cairo_t* cr = g.cr;
    cairo_identity_matrix(cr);
    cairo_reset_clip(cr);
    cairo_new_path(cr);
    if (g.base_clip) {
        int count = cairo_region_num_rectangles(g.base_clip);
        for (int i = 0; i < count; ++i) {
            cairo_rectangle_int_t r;
            cairo_region_get_rectangle(g.base_clip, i, &r);
            cairo_rectangle(cr, r.x, r.y, r.width, r.height);
        }
        cairo_clip(cr);
    }
    for (const auto& q : g.clips) {
        cairo_move_to(cr, q[0], q[1]);
        cairo_line_to(cr, q[2], q[3]);
        cairo_line_to(cr, q[4], q[5]);
        cairo_line_to(cr, q[6], q[7]);
        cairo_close_path(cr);
        cairo_clip(cr);
    }
    cairo_translate(cr, g.origin_x + (shift ? 0.5 : 0), g.origin_y + (shift ? 0.5 : 0));
    cairo_transform(cr, &g.world);
    cairo_set_antialias(cr, smooth(g) ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
}

GpStatus finish(GpGraphics& g)
{
    cairo_new_path(g.cr);
    g.target->mark_dirty();
    return cairo_status(g.cr) == CAIRO_STATUS_SUCCESS ? Ok : GenericError;
}

GpStatus stroke(GpGraphics* g, GpPen* pen)
{
    cairo_t* cr = g->cr;
    set_argb(cr, pen->colour);
    double width = pen->width > 0 ? pen->width : 1.0;
    // A pen thinner than a pixel still draws one pixel wide, as in GDI+.
    double dx = 1, dy = 0;
    cairo_user_to_device_distance(cr, &dx, &dy);
    double scale = std::hypot(dx, dy);
    if (scale > 0 && width * scale < 1)
        width = 1 / scale;
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    static const double kDash[] = {3, 1};
    static const double kDot[] = {1, 1};
    static const double kDashDot[] = {3, 1, 1, 1};
    static const double kDashDotDot[] = {3, 1, 1, 1, 1, 1};
    const double* pattern = nullptr;
    int count = 0;
    switch (pen->dash) {
    case DashStyleDash: pattern = kDash, count = 2; break;
    case DashStyleDot: pattern = kDot, count = 2; break;
    case DashStyleDashDot: pattern = kDashDot, count = 4; break;
    case DashStyleDashDotDot: pattern = kDashDotDot, count = 6; break;
    default: break;
    }
    double runs[6];
    for (int i = 0; i < count; ++i)
        runs[i] = pattern[i] * width;  // dashes are counted in pen widths
    cairo_set_dash(cr, runs, count, 0);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    return finish(*g);
}

GpStatus fill(GpGraphics* g, GpBrush* brush)
{
    set_argb(g->cr, brush->colour);
    cairo_fill(g->cr);
    return finish(*g);
}

void ellipse_path(cairo_t* cr, double x, double y, double w, double h)
{
    cairo_save(cr);
    cairo_translate(cr, x + w / 2, y + h / 2);
    cairo_scale(cr, std::max(std::abs(w) / 2, 1e-6), std::max(std::abs(h) / 2, 1e-6));
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_close_path(cr);
}

// GDI+ angles are angles of the ellipse itself (clockwise, degrees), not
// of the circle it is stretched from.
double parametric(double degrees, double rx, double ry)
{
    double a = degrees * M_PI / 180;
    double t = std::atan2(rx * std::sin(a), ry * std::cos(a));
    // Keep the turn the angle is in, so that sweeps keep their length.
    return t + 2 * M_PI * std::round((a - t) / (2 * M_PI));
}

void arc_path(cairo_t* cr, double x, double y, double w, double h, double start, double sweep, bool pie)
{
    double rx = std::max(w / 2, 1e-6);
    double ry = std::max(h / 2, 1e-6);
    double cx = x + w / 2;
    double cy = y + h / 2;
    sweep = std::clamp(sweep, -360.0, 360.0);
    double t0 = parametric(start, rx, ry);
    double t1 = parametric(start + sweep, rx, ry);
    if (std::abs(sweep) >= 360)
        t1 = t0 + (sweep > 0 ? 2 * M_PI : -2 * M_PI);
    if (pie)
        cairo_move_to(cr, cx, cy);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    if (sweep >= 0)
        cairo_arc(cr, 0, 0, 1, t0, t1 < t0 ? t1 + 2 * M_PI : t1);
    else
        cairo_arc_negative(cr, 0, 0, 1, t0, t1 > t0 ? t1 - 2 * M_PI : t1);
    cairo_restore(cr);
    if (pie)
        cairo_close_path(cr);
}

std::string utf8_of(const WCHAR* text, INT length)
{
    std::string out;
    if (!text)
        return out;
    size_t n = length < 0 ? std::char_traits<char16_t>::length(text) : static_cast<size_t>(length);
    for (size_t i = 0; i < n; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool family_installed(const std::string& family)
{
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoFontFamily** families = nullptr;
    int count = 0;
    pango_font_map_list_families(map, &families, &count);
    bool found = false;
    for (int i = 0; i < count && !found; ++i)
        found = strcasecmp(pango_font_family_get_name(families[i]), family.c_str()) == 0;
    g_free(families);
    return found;
}

// The box a string takes: its width plus GDI+'s padding of a sixth of an em
// at each end, and the font's line height.
struct TextBox {
    double x, y, width, height, padding;
};

TextBox place(const GpFont& font, const std::string& utf8, const GpRectF& layout, const GpStringFormat* format)
{
    double padding = font.em_pixels / 6;
    double width = font.face->width_utf8(utf8) + 2 * padding;
    double height = font.face->height();
    StringAlignment align = format ? format->align : StringAlignmentNear;
    StringAlignment line = format ? format->line_align : StringAlignmentNear;
    bool point = layout.Width == 0 && layout.Height == 0;
    TextBox box{layout.X, layout.Y, width, height, padding};
    double span_w = point ? 0 : layout.Width;
    double span_h = point ? 0 : layout.Height;
    if (align == StringAlignmentCenter)
        box.x = layout.X + (span_w - width) / 2;
    else if (align == StringAlignmentFar)
        box.x = layout.X + span_w - width;
    if (line == StringAlignmentCenter)
        box.y = layout.Y + (span_h - height) / 2;
    else if (line == StringAlignmentFar)
        box.y = layout.Y + span_h - height;
    return box;
}

std::shared_ptr<Surface> copy_surface(const Surface& from)
{
    auto to = Surface::create(from.width(), from.height());
    if (!to)
        return nullptr;
    cairo_t* cr = cairo_create(to->cairo());
    cairo_set_source_surface(cr, from.cairo(), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return to;
}

GpStatus new_graphics(std::shared_ptr<Surface> target, double ox, double oy, cairo_region_t* clip, GpGraphics** out)
{
    auto* g = new GpGraphics;
    g->target = std::move(target);
    g->cr = cairo_create(g->target->cairo());
    g->origin_x = ox;
    g->origin_y = oy;
    g->base_clip = clip;
    cairo_matrix_init_identity(&g->world);
    *out = g;
    return Ok;
}

void combine(cairo_matrix_t& world, const cairo_matrix_t& t, MatrixOrder order)
{
    cairo_matrix_t result;
    // Prepend: the new transform acts first on a point.
    if (order == MatrixOrderPrepend)
        cairo_matrix_multiply(&result, &t, &world);
    else
        cairo_matrix_multiply(&result, &world, &t);
    world = result;
}

}  // namespace

GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput*)
{
    if (!token || !input)
        return InvalidParameter;
    if (input->GdiplusVersion != 1)
        return UnsupportedGdiplusVersion;
    *token = ++g_tokens;
    return Ok;
}

void GdiplusShutdown(ULONG_PTR) {}

GpStatus GdipCreateFromHDC(HDC handle, GpGraphics** graphics)
{
    auto dc = helm::gdi::find_dc(handle);
    if (!graphics)
        return InvalidParameter;
    *graphics = nullptr;
    if (!dc || !dc->target())
        return InvalidParameter;
    return new_graphics(dc->target_shared(), dc->offset_x(), dc->offset_y(), dc->visible_region(), graphics);
}

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics)
{
    if (!image || !graphics)
        return InvalidParameter;
    return new_graphics(image->pixels, 0, 0, nullptr, graphics);
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics)
{
    if (!graphics)
        return InvalidParameter;
    delete graphics;
    return Ok;
}

GpStatus GdipGraphicsClear(GpGraphics* g, ARGB colour)
{
    if (!g)
        return InvalidParameter;
    prepare(*g, false);
    set_argb(g->cr, colour);
    cairo_set_operator(g->cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(g->cr);
    return finish(*g);
}

GpStatus GdipSetSmoothingMode(GpGraphics* g, SmoothingMode mode)
{
    if (!g || mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias)
        return InvalidParameter;
    g->smoothing = mode;
    return Ok;
}

GpStatus GdipGetSmoothingMode(GpGraphics* g, SmoothingMode* mode)
{
    if (!g || !mode)
        return InvalidParameter;
    *mode = g->smoothing;
    return Ok;
}

GpStatus GdipSetTextRenderingHint(GpGraphics* g, TextRenderingHint hint)
{
    if (!g || hint < TextRenderingHintSystemDefault || hint > TextRenderingHintClearTypeGridFit)
        return InvalidParameter;
    g->text_hint = hint;
    return Ok;
}

GpStatus GdipGetTextRenderingHint(GpGraphics* g, TextRenderingHint* hint)
{
    if (!g || !hint)
        return InvalidParameter;
    *hint = g->text_hint;
    return Ok;
}

GpStatus GdipTranslateWorldTransform(GpGraphics* g, REAL dx, REAL dy, MatrixOrder order)
{
    if (!g)
        return InvalidParameter;
    cairo_matrix_t t;
    cairo_matrix_init_translate(&t, dx, dy);
    combine(g->world, t, order);
    return Ok;
}

GpStatus GdipRotateWorldTransform(GpGraphics* g, REAL angle, MatrixOrder order)
{
    if (!g)
        return InvalidParameter;
    cairo_matrix_t t;
    cairo_matrix_init_rotate(&t, angle * M_PI / 180);  // clockwise on screen, y being downwards
    combine(g->world, t, order);
    return Ok;
}

GpStatus GdipScaleWorldTransform(GpGraphics* g, REAL sx, REAL sy, MatrixOrder order)
{
    if (!g || sx == 0 || sy == 0)
        return InvalidParameter;
    cairo_matrix_t t;
    cairo_matrix_init_scale(&t, sx, sy);
    combine(g->world, t, order);
    return Ok;
}

GpStatus GdipResetWorldTransform(GpGraphics* g)
{
    if (!g)
        return InvalidParameter;
    cairo_matrix_init_identity(&g->world);
    return Ok;
}

GpStatus GdipSetClipRect(GpGraphics* g, REAL x, REAL y, REAL width, REAL height, CombineMode mode)
{
    if (!g || (mode != CombineModeReplace && mode != CombineModeIntersect))
        return g ? NotImplemented : InvalidParameter;
    if (mode == CombineModeReplace)
        g->clips.clear();
    std::array<double, 8> q{x, y, x + width, y, x + width, y + height, x, y + height};
    for (int i = 0; i < 4; ++i) {
        cairo_matrix_transform_point(&g->world, &q[2 * i], &q[2 * i + 1]);
        q[2 * i] += g->origin_x;
        q[2 * i + 1] += g->origin_y;
    }
    g->clips.push_back(q);
    return Ok;
}

GpStatus GdipSetClipRectI(GpGraphics* g, INT x, INT y, INT width, INT height, CombineMode mode)
{
    return GdipSetClipRect(g, REAL(x), REAL(y), REAL(width), REAL(height), mode);
}

GpStatus GdipResetClip(GpGraphics* g)
{
    if (!g)
        return InvalidParameter;
    g->clips.clear();
    return Ok;
}

GpStatus GdipCreatePen1(ARGB colour, REAL width, Unit, GpPen** pen)
{
    if (!pen)
        return InvalidParameter;
    *pen = new GpPen{colour, width, DashStyleSolid};
    return Ok;
}

GpStatus GdipDeletePen(GpPen* pen)
{
    delete pen;
    return pen ? Ok : InvalidParameter;
}

GpStatus GdipSetPenDashStyle(GpPen* pen, DashStyle style)
{
    if (!pen || style < DashStyleSolid || style > DashStyleCustom)
        return InvalidParameter;
    pen->dash = style == DashStyleCustom ? DashStyleSolid : style;
    return Ok;
}

GpStatus GdipGetPenDashStyle(GpPen* pen, DashStyle* style)
{
    if (!pen || !style)
        return InvalidParameter;
    *style = pen->dash;
    return Ok;
}

GpStatus GdipSetPenWidth(GpPen* pen, REAL width)
{
    if (!pen)
        return InvalidParameter;
    pen->width = width;
    return Ok;
}

GpStatus GdipSetPenColor(GpPen* pen, ARGB colour)
{
    if (!pen)
        return InvalidParameter;
    pen->colour = colour;
    return Ok;
}

GpStatus GdipCreateSolidFill(ARGB colour, GpSolidFill** brush)
{
    if (!brush)
        return InvalidParameter;
    *brush = new GpBrush{colour};
    return Ok;
}

GpStatus GdipSetSolidFillColor(GpSolidFill* brush, ARGB colour)
{
    if (!brush)
        return InvalidParameter;
    brush->colour = colour;
    return Ok;
}

GpStatus GdipDeleteBrush(GpBrush* brush)
{
    delete brush;
    return brush ? Ok : InvalidParameter;
}

static GpStatus paint_with(GpGraphics* g, GpPen* pen)
{
    return stroke(g, pen);
}

static GpStatus paint_with(GpGraphics* g, GpBrush* brush)
{
    return fill(g, brush);
}

// Every shape is a path that a pen strokes or a brush fills: `outline`
// adds the path to the context once the arguments are checked.
template <class Tool, class Outline>
static GpStatus shape(GpGraphics* g, Tool* tool, bool valid, Outline&& outline)
{
    if (!g || !tool || !valid)
        return InvalidParameter;
    prepare(*g, true);
    outline(g->cr);
    return paint_with(g, tool);
}

template <class Tool>
static GpStatus rectangle(GpGraphics* g, Tool* tool, REAL x, REAL y, REAL width, REAL height)
{
    return shape(g, tool, true, [&](cairo_t* cr) { cairo_rectangle(cr, x, y, width, height); });
}

template <class Tool>
static GpStatus ellipse(GpGraphics* g, Tool* tool, REAL x, REAL y, REAL width, REAL height)
{
    return shape(g, tool, true, [&](cairo_t* cr) { ellipse_path(cr, x, y, width, height); });
}

template <class Tool>
static GpStatus arc(GpGraphics* g, Tool* tool, REAL x, REAL y, REAL width, REAL height, REAL start, REAL sweep,
                    bool pie)
{
    return shape(g, tool, width > 0 && height > 0,
                 [&](cairo_t* cr) { arc_path(cr, x, y, width, height, start, sweep, pie); });
}

template <class P>
static void polygon_path(cairo_t* cr, const P* points, INT count, bool closed)
{
    for (INT i = 0; i < count; ++i)
        cairo_line_to(cr, points[i].X, points[i].Y);
    if (closed)
        cairo_close_path(cr);
}

// A polyline, or with `closed` a polygon, drawn with a pen.
template <class P>
static GpStatus lines(GpGraphics* g, GpPen* pen, const P* points, INT count, bool closed)
{
    return shape(g, pen, points && count >= 2, [&](cairo_t* cr) { polygon_path(cr, points, count, closed); });
}

GpStatus GdipDrawLine(GpGraphics* g, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2)
{
    return shape(g, pen, true, [&](cairo_t* cr) {
        cairo_move_to(cr, x1, y1);
        cairo_line_to(cr, x2, y2);
    });
}

GpStatus GdipDrawLineI(GpGraphics* g, GpPen* pen, INT x1, INT y1, INT x2, INT y2)
{
    return GdipDrawLine(g, pen, REAL(x1), REAL(y1), REAL(x2), REAL(y2));
}

GpStatus GdipDrawLines(GpGraphics* g, GpPen* pen, const GpPointF* points, INT count)
{
    return lines(g, pen, points, count, false);
}

GpStatus GdipDrawLinesI(GpGraphics* g, GpPen* pen, const GpPoint* points, INT count)
{
    return lines(g, pen, points, count, false);
}

GpStatus GdipDrawPolygon(GpGraphics* g, GpPen* pen, const GpPointF* points, INT count)
{
    return lines(g, pen, points, count, true);
}

GpStatus GdipDrawPolygonI(GpGraphics* g, GpPen* pen, const GpPoint* points, INT count)
{
    return lines(g, pen, points, count, true);
}

template <class P>
static GpStatus fill_polygon(GpGraphics* g, GpBrush* brush, const P* points, INT count, FillMode mode)
{
    return shape(g, brush, points && count >= 3, [&](cairo_t* cr) {
        polygon_path(cr, points, count, true);
        cairo_set_fill_rule(cr, mode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    });
}

GpStatus GdipFillPolygon(GpGraphics* g, GpBrush* brush, const GpPointF* points, INT count, FillMode mode)
{
    return fill_polygon(g, brush, points, count, mode);
}

GpStatus GdipFillPolygonI(GpGraphics* g, GpBrush* brush, const GpPoint* points, INT count, FillMode mode)
{
    return fill_polygon(g, brush, points, count, mode);
}

GpStatus GdipDrawRectangle(GpGraphics* g, GpPen* pen, REAL x, REAL y, REAL width, REAL height)
{
    return rectangle(g, pen, x, y, width, height);
}

GpStatus GdipDrawRectangleI(GpGraphics* g, GpPen* pen, INT x, INT y, INT width, INT height)
{
    return GdipDrawRectangle(g, pen, REAL(x), REAL(y), REAL(width), REAL(height));
}

GpStatus GdipFillRectangle(GpGraphics* g, GpBrush* brush, REAL x, REAL y, REAL width, REAL height)
{
    return rectangle(g, brush, x, y, width, height);
}

GpStatus GdipFillRectangleI(GpGraphics* g, GpBrush* brush, INT x, INT y, INT width, INT height)
{
    return GdipFillRectangle(g, brush, REAL(x), REAL(y), REAL(width), REAL(height));
}

GpStatus GdipDrawEllipse(GpGraphics* g, GpPen* pen, REAL x, REAL y, REAL width, REAL height)
{
    return ellipse(g, pen, x, y, width, height);
}

GpStatus GdipDrawEllipseI(GpGraphics* g, GpPen* pen, INT x, INT y, INT width, INT height)
{
    return GdipDrawEllipse(g, pen, REAL(x), REAL(y), REAL(width), REAL(height));
}

GpStatus GdipFillEllipse(GpGraphics* g, GpBrush* brush, REAL x, REAL y, REAL width, REAL height)
{
    return ellipse(g, brush, x, y, width, height);
}

GpStatus GdipFillEllipseI(GpGraphics* g, GpBrush* brush, INT x, INT y, INT width, INT height)
{
    return GdipFillEllipse(g, brush, REAL(x), REAL(y), REAL(width), REAL(height));
}

GpStatus GdipDrawArc(GpGraphics* g, GpPen* pen, REAL x, REAL y, REAL width, REAL height, REAL start, REAL sweep)
{
    return arc(g, pen, x, y, width, height, start, sweep, false);
}

GpStatus GdipDrawPie(GpGraphics* g, GpPen* pen, REAL x, REAL y, REAL width, REAL height, REAL start, REAL sweep)
{
    return arc(g, pen, x, y, width, height, start, sweep, true);
}

GpStatus GdipFillPie(GpGraphics* g, GpBrush* brush, REAL x, REAL y, REAL width, REAL height, REAL start, REAL sweep)
{
    return arc(g, brush, x, y, width, height, start, sweep, true);
}

GpStatus GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection*, GpFontFamily** family)
{
    if (!name || !family)
        return InvalidParameter;
    *family = nullptr;
    std::string mapped = helm::gdi::family_for_face(utf8_of(name, -1));
    if (!family_installed(mapped))
        return FontFamilyNotFound;
    *family = new GpFontFamily{mapped};
    return Ok;
}

GpStatus GdipDeleteFontFamily(GpFontFamily* family)
{
    delete family;
    return family ? Ok : InvalidParameter;
}

GpStatus GdipCreateFont(const GpFontFamily* family, REAL size, INT style, Unit unit, GpFont** font)
{
    if (!font)
        return InvalidParameter;
    *font = nullptr;
    if (!family || !(size > 0) || size > 10000)
        return InvalidParameter;
    double pixels = size;
    switch (unit) {
    case UnitPoint: pixels = size * 96.0 / 72.0; break;
    case UnitInch: pixels = size * 96.0; break;
    case UnitMillimeter: pixels = size * 96.0 / 25.4; break;
    case UnitDocument: pixels = size * 96.0 / 300.0; break;
    default: break;
    }
    LOGFONT lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(pixels));
    lf.lfWeight = (style & FontStyleBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style & FontStyleItalic) ? 1 : 0;
    lf.lfUnderline = (style & FontStyleUnderline) ? 1 : 0;
    lf.lfStrikeOut = (style & FontStyleStrikeout) ? 1 : 0;
    std::strncpy(lf.lfFaceName, family->family.c_str(), LF_FACESIZE - 1);
    *font = new GpFont{helm::gdi::FontFace::create(lf, pixels), size, pixels};
    return Ok;
}

GpStatus GdipDeleteFont(GpFont* font)
{
    delete font;
    return font ? Ok : InvalidParameter;
}

GpStatus GdipGetFontSize(GpFont* font, REAL* size)
{
    if (!font || !size)
        return InvalidParameter;
    *size = font->size;
    return Ok;
}

GpStatus GdipCreateStringFormat(INT flags, WORD, GpStringFormat** format)
{
    if (!format)
        return InvalidParameter;
    *format = new GpStringFormat;
    (*format)->flags = flags;
    return Ok;
}

GpStatus GdipDeleteStringFormat(GpStringFormat* format)
{
    delete format;
    return format ? Ok : InvalidParameter;
}

GpStatus GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align)
{
    if (!format || align < StringAlignmentNear || align > StringAlignmentFar)
        return InvalidParameter;
    format->align = align;
    return Ok;
}

GpStatus GdipGetStringFormatAlign(GpStringFormat* format, StringAlignment* align)
{
    if (!format || !align)
        return InvalidParameter;
    *align = format->align;
    return Ok;
}

GpStatus GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align)
{
    if (!format || align < StringAlignmentNear || align > StringAlignmentFar)
        return InvalidParameter;
    format->line_align = align;
    return Ok;
}

GpStatus GdipGetStringFormatLineAlign(GpStringFormat* format, StringAlignment* align)
{
    if (!format || !align)
        return InvalidParameter;
    *align = format->line_align;
    return Ok;
}

GpStatus GdipDrawString(GpGraphics* g, const WCHAR* text, INT length, const GpFont* font, const GpRectF* layout,
                        const GpStringFormat* format, const GpBrush* brush)
{
    if (!g || !text || !font || !layout || !brush)
        return InvalidParameter;
    std::string utf8 = utf8_of(text, length);
    TextBox box = place(*font, utf8, *layout, format);
    prepare(*g, false);
    if (layout->Width > 0 && layout->Height > 0) {
        cairo_rectangle(g->cr, layout->X, layout->Y, layout->Width, layout->Height);
        cairo_clip(g->cr);
    }
    set_argb(g->cr, brush->colour);
    int antialias = -1;
    switch (g->text_hint) {
    case TextRenderingHintSingleBitPerPixel:
    case TextRenderingHintSingleBitPerPixelGridFit: antialias = 0; break;
    case TextRenderingHintAntiAlias:
    case TextRenderingHintAntiAliasGridFit:
    case TextRenderingHintClearTypeGridFit: antialias = 1; break;
    default: break;
    }
    cairo_set_antialias(g->cr, CAIRO_ANTIALIAS_DEFAULT);
    font->face->draw_utf8(g->cr, box.x + box.padding, box.y, utf8, antialias);
    return finish(*g);
}

GpStatus GdipMeasureString(GpGraphics* g, const WCHAR* text, INT length, const GpFont* font, const GpRectF* layout,
                           const GpStringFormat* format, GpRectF* bounds, INT* fitted, INT* lines_filled)
{
    if (!g || !text || !font || !layout || !bounds)
        return InvalidParameter;
    std::string utf8 = utf8_of(text, length);
    TextBox box = place(*font, utf8, *layout, format);
    *bounds = GpRectF(REAL(box.x), REAL(box.y), REAL(box.width), REAL(box.height));
    if (fitted)
        *fitted = length < 0 ? static_cast<INT>(std::char_traits<char16_t>::length(text)) : length;
    if (lines_filled)
        *lines_filled = 1;
    return Ok;
}

GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0,
                                   GpBitmap** bitmap)
{
    if (!bitmap)
        return InvalidParameter;
    *bitmap = nullptr;
    if (format != PixelFormat32bppARGB && format != PixelFormat32bppPARGB && format != PixelFormat32bppRGB &&
        format != PixelFormat24bppRGB)
        return InvalidParameter;
    auto pixels = Surface::create(width, height);
    if (!pixels)
        return width > 0 && height > 0 ? OutOfMemory : InvalidParameter;
    int bytes = format == PixelFormat24bppRGB ? 3 : 4;
    if (scan0) {
        if (std::abs(stride) < width * bytes)
            return InvalidParameter;
        // The caller's rows are copied; later writes to them are not seen.
        for (int y = 0; y < height; ++y) {
            const BYTE* row = scan0 + static_cast<ptrdiff_t>(stride) * y;
            uint32_t* out = pixels->row(y);
            for (int x = 0; x < width; ++x) {
                uint32_t v = 0;
                if (bytes == 3)
                    v = 0xFF000000u | (uint32_t(row[3 * x + 2]) << 16) | (uint32_t(row[3 * x + 1]) << 8) | row[3 * x];
                else
                    std::memcpy(&v, row + 4 * x, 4);
                if (format == PixelFormat32bppRGB)
                    v |= 0xFF000000u;
                else if (format == PixelFormat32bppARGB)
                    v = helm::gdi::premultiply(v);
                out[x] = v;
            }
        }
        pixels->mark_dirty();
    } else if (format == PixelFormat32bppRGB || format == PixelFormat24bppRGB) {
        pixels->fill(0xFF000000u);
    }
    *bitmap = new GpImage{pixels, format};
    return Ok;
}

GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP hbitmap, HPALETTE, GpBitmap** bitmap)
{
    if (!bitmap)
        return InvalidParameter;
    *bitmap = nullptr;
    auto source = helm::gdi::bitmap_surface(hbitmap);
    if (!source)
        return InvalidParameter;
    auto pixels = copy_surface(*source);
    if (!pixels)
        return OutOfMemory;
    // GDI bitmaps carry no alpha.
    cairo_surface_flush(pixels->cairo());
    for (int y = 0; y < pixels->height(); ++y)
        for (int x = 0; x < pixels->width(); ++x)
            pixels->row(y)[x] |= 0xFF000000u;
    pixels->mark_dirty();
    *bitmap = new GpImage{pixels, PixelFormat32bppRGB};
    return Ok;
}

GpStatus GdipCreateBitmapFromResource(HINSTANCE module, const WCHAR* name, GpBitmap** bitmap)
{
    if (!bitmap || !name)
        return InvalidParameter;
    *bitmap = nullptr;
    HBITMAP loaded = nullptr;
    if (reinterpret_cast<uintptr_t>(name) < 0x10000) {
        loaded = helm::gdi::load_bitmap_resource(module, reinterpret_cast<LPCSTR>(name));
    } else {
        std::string narrow = utf8_of(name, -1);
        loaded = helm::gdi::load_bitmap_resource(module, narrow.c_str());
    }
    if (!loaded)
        return InvalidParameter;
    GpStatus status = GdipCreateBitmapFromHBITMAP(loaded, nullptr, bitmap);
    DeleteObject(loaded);
    return status;
}

GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* out, ARGB background)
{
    if (!bitmap || !out)
        return InvalidParameter;
    HDC dc = CreateCompatibleDC(nullptr);
    *out = CreateCompatibleBitmap(dc, bitmap->pixels->width(), bitmap->pixels->height());
    DeleteDC(dc);
    auto pixels = helm::gdi::bitmap_surface(*out);
    if (!pixels)
        return OutOfMemory;
    cairo_t* cr = cairo_create(pixels->cairo());
    set_argb(cr, background | 0xFF000000u);
    cairo_paint(cr);
    cairo_set_source_surface(cr, bitmap->pixels->cairo(), 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return Ok;
}

GpStatus GdipDisposeImage(GpImage* image)
{
    delete image;
    return image ? Ok : InvalidParameter;
}

GpStatus GdipGetImageWidth(GpImage* image, UINT* width)
{
    if (!image || !width)
        return InvalidParameter;
    *width = static_cast<UINT>(image->pixels->width());
    return Ok;
}

GpStatus GdipGetImageHeight(GpImage* image, UINT* height)
{
    if (!image || !height)
        return InvalidParameter;
    *height = static_cast<UINT>(image->pixels->height());
    return Ok;
}

GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* colour)
{
    if (!bitmap || !colour || x < 0 || y < 0 || x >= bitmap->pixels->width() || y >= bitmap->pixels->height())
        return InvalidParameter;
    *colour = helm::gdi::unpremultiply(bitmap->pixels->pixel(x, y));
    return Ok;
}

GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB colour)
{
    if (!bitmap || x < 0 || y < 0 || x >= bitmap->pixels->width() || y >= bitmap->pixels->height())
        return InvalidParameter;
    bitmap->pixels->set_pixel(x, y, helm::gdi::premultiply(colour));
    return Ok;
}

GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes)
{
    if (!attributes)
        return InvalidParameter;
    *attributes = new GpImageAttributes;
    return Ok;
}

GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes)
{
    delete attributes;
    return attributes ? Ok : InvalidParameter;
}

GpStatus GdipSetImageAttributesColorKeys(GpImageAttributes* attributes, ColorAdjustType, BOOL enable, ARGB low,
                                         ARGB high)
{
    if (!attributes)
        return InvalidParameter;
    attributes->keyed = enable != FALSE;
    attributes->low = low;
    attributes->high = high;
    return Ok;
}

GpStatus GdipDrawImageRectRect(GpGraphics* g, GpImage* image, REAL x, REAL y, REAL width, REAL height, REAL sx,
                               REAL sy, REAL swidth, REAL sheight, Unit unit, const GpImageAttributes* attributes,
                               DrawImageAbort, void*)
{
    if (!g || !image || unit != UnitPixel || swidth == 0 || sheight == 0)
        return InvalidParameter;
    std::shared_ptr<Surface> source = image->pixels;
    if (attributes && attributes->keyed) {
        // Pixels whose every channel lies within the key's range vanish.
        source = copy_surface(*image->pixels);
        if (!source)
            return OutOfMemory;
        cairo_surface_flush(source->cairo());
        auto in = [&](uint32_t c, int shift) {
            uint32_t v = (c >> shift) & 0xFF;
            return v >= ((attributes->low >> shift) & 0xFF) && v <= ((attributes->high >> shift) & 0xFF);
        };
        for (int row = 0; row < source->height(); ++row) {
            uint32_t* p = source->row(row);
            for (int col = 0; col < source->width(); ++col) {
                uint32_t c = helm::gdi::unpremultiply(p[col]);
                if (in(c, 16) && in(c, 8) && in(c, 0))
                    p[col] = 0;
            }
        }
        source->mark_dirty();
    }
    prepare(*g, false);
    cairo_t* cr = g->cr;
    cairo_rectangle(cr, x, y, width, height);
    cairo_translate(cr, x, y);
    cairo_scale(cr, width / swidth, height / sheight);
    cairo_translate(cr, -sx, -sy);
    cairo_set_source_surface(cr, source->cairo(), 0, 0);
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    bool aligned = m.xx == 1 && m.yy == 1 && m.xy == 0 && m.yx == 0 && m.x0 == std::floor(m.x0) &&
                   m.y0 == std::floor(m.y0);
    cairo_pattern_set_filter(cairo_get_source(cr), aligned ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_BILINEAR);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_fill(cr);
    return finish(*g);
}

GpStatus GdipDrawImageRectRectI(GpGraphics* g, GpImage* image, INT x, INT y, INT width, INT height, INT sx, INT sy,
                                INT swidth, INT sheight, Unit unit, const GpImageAttributes* attributes,
                                DrawImageAbort callback, void* data)
{
    return GdipDrawImageRectRect(g, image, REAL(x), REAL(y), REAL(width), REAL(height), REAL(sx), REAL(sy),
                                 REAL(swidth), REAL(sheight), unit, attributes, callback, data);
}

GpStatus GdipDrawImageRect(GpGraphics* g, GpImage* image, REAL x, REAL y, REAL width, REAL height)
{
    if (!image)
        return InvalidParameter;
    return GdipDrawImageRectRect(g, image, x, y, width, height, 0, 0, REAL(image->pixels->width()),
                                 REAL(image->pixels->height()), UnitPixel, nullptr, nullptr, nullptr);
}

GpStatus GdipDrawImage(GpGraphics* g, GpImage* image, REAL x, REAL y)
{
    if (!image)
        return InvalidParameter;
    return GdipDrawImageRect(g, image, x, y, REAL(image->pixels->width()), REAL(image->pixels->height()));
}

GpStatus GdipDrawImageI(GpGraphics* g, GpImage* image, INT x, INT y)
{
    return GdipDrawImage(g, image, REAL(x), REAL(y));
}

GpStatus GdipCreateCachedBitmap(GpBitmap* bitmap, GpGraphics* g, GpCachedBitmap** cached)
{
    if (!bitmap || !g || !cached)
        return InvalidParameter;
    auto pixels = copy_surface(*bitmap->pixels);
    if (!pixels)
        return OutOfMemory;
    *cached = new GpCachedBitmap{pixels};
    return Ok;
}

GpStatus GdipDeleteCachedBitmap(GpCachedBitmap* cached)
{
    delete cached;
    return cached ? Ok : InvalidParameter;
}

GpStatus GdipDrawCachedBitmap(GpGraphics* g, GpCachedBitmap* cached, INT x, INT y)
{
    if (!g || !cached)
        return InvalidParameter;
    // A cached bitmap is drawn only through a translation, as on Windows.
    if (g->world.xx != 1 || g->world.yy != 1 || g->world.xy != 0 || g->world.yx != 0)
        return WrongState;
    prepare(*g, false);
    cairo_set_source_surface(g->cr, cached->pixels->cairo(), x, y);
    cairo_pattern_set_filter(cairo_get_source(g->cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(g->cr, x, y, cached->pixels->width(), cached->pixels->height());
    cairo_fill(g->cr);
    return finish(*g);
}
