#include "device_context.h"

#include <algorithm>

#include "helm/gdi/hooks.h"
#include "helm/kernel/error.h"

namespace helm::gdi {
namespace {

// The default bitmap of every memory DC, 1 x 1 as on Windows.
std::shared_ptr<Bitmap> default_bitmap(HGDIOBJ& handle)
{
    static std::shared_ptr<Bitmap> bitmap;
    static HGDIOBJ stored = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        bitmap = std::make_shared<Bitmap>();
        bitmap->surface = Surface::create(1, 1);
        bitmap->surface->fill(0xFF000000u);
        bitmap->bits_pixel = 1;
        bitmap->stock = true;
        stored = add_object(bitmap);
    });
    handle = stored;
    return bitmap;
}

template <class T>
std::shared_ptr<T> stock(int index, HGDIOBJ& handle)
{
    handle = GetStockObject(index);
    return find_object<T>(handle);
}

void hatch_line(cairo_t* cr, double x0, double y0, double x1, double y1)
{
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
}

}  // namespace

DeviceContext::DeviceContext(bool is_memory) : memory(is_memory)
{
    state.pen = stock<Pen>(BLACK_PEN, state.pen_handle);
    state.brush = stock<Brush>(WHITE_BRUSH, state.brush_handle);
    state.font = stock<Font>(SYSTEM_FONT, state.font_handle);
    state.palette_handle = GetStockObject(DEFAULT_PALETTE);
    if (memory) {
        state.bitmap = default_bitmap(state.bitmap_handle);
    }
}

DeviceContext::~DeviceContext()
{
    if (memory && state.bitmap && !state.bitmap->stock)
        state.bitmap->selected = false;
}

Surface* DeviceContext::target() const
{
    if (memory)
        return state.bitmap ? state.bitmap->surface.get() : nullptr;
    return surface.get();
}

std::shared_ptr<Surface> DeviceContext::target_shared() const
{
    if (memory)
        return state.bitmap ? state.bitmap->surface : nullptr;
    return surface;
}

cairo_region_t* DeviceContext::visible_region() const
{
    Surface* pixels = target();
    cairo_rectangle_int_t whole{0, 0, pixels ? pixels->width() : 0, pixels ? pixels->height() : 0};
    cairo_region_t* region = cairo_region_create_rectangle(&whole);
    if (!memory) {
        cairo_rectangle_int_t given{area.left, area.top, std::max(0, int(area.right - area.left)),
                                    std::max(0, int(area.bottom - area.top))};
        cairo_region_intersect_rectangle(region, &given);
    }
    if (state.clip) {
        cairo_region_t* clip = cairo_region_copy(state.clip.get());
        cairo_region_translate(clip, device_x(), device_y());
        cairo_region_intersect(region, clip);
        cairo_region_destroy(clip);
    }
    return region;
}

bool DeviceContext::visible(int x, int y) const
{
    cairo_region_t* region = visible_region();
    bool inside = cairo_region_contains_point(region, x, y);
    cairo_region_destroy(region);
    return inside;
}

COLORREF DeviceContext::brush_colour(const Brush& brush) const
{
    return brush.dc_brush ? state.dc_brush_colour : brush.colour;
}

COLORREF DeviceContext::pen_colour(const Pen& pen) const
{
    return pen.dc_pen ? state.dc_pen_colour : pen.colour;
}

std::shared_ptr<DeviceContext> find_dc(HDC dc)
{
    return kernel::lookup_handle_as<DeviceContext>(dc);
}

Painter::Painter(DeviceContext& dc) : m_dc(dc)
{
    Surface* pixels = dc.target();
    if (!pixels)
        return;
    m_cr = cairo_create(pixels->cairo());
    cairo_region_t* region = dc.visible_region();
    int count = cairo_region_num_rectangles(region);
    for (int i = 0; i < count; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(region, i, &r);
        cairo_rectangle(m_cr, r.x, r.y, r.width, r.height);
    }
    cairo_region_destroy(region);
    cairo_clip(m_cr);
    cairo_translate(m_cr, dc.offset_x(), dc.offset_y());
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_cap(m_cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(m_cr, CAIRO_LINE_JOIN_ROUND);
}

Painter::~Painter()
{
    if (m_cr) {
        cairo_destroy(m_cr);
        m_dc.target()->mark_dirty();
    }
    if (m_pattern)
        cairo_pattern_destroy(m_pattern);
}

void Painter::set_colour(COLORREF colour)
{
    cairo_set_source_rgb(m_cr, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0, GetBValue(colour) / 255.0);
}

bool Painter::set_brush(const Brush& brush)
{
    if (brush.style == BS_NULL)
        return false;
    COLORREF colour = m_dc.brush_colour(brush);
    if (brush.style != BS_HATCHED) {
        set_colour(colour);
        return true;
    }
    // An 8 x 8 tile repeated from the brush origin, its gaps in the
    // background colour when the background mode is opaque.
    cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
    cairo_t* t = cairo_create(tile);
    cairo_set_antialias(t, CAIRO_ANTIALIAS_NONE);
    if (m_dc.state.bk_mode == OPAQUE) {
        COLORREF bk = m_dc.state.bk_colour;
        cairo_set_source_rgb(t, GetRValue(bk) / 255.0, GetGValue(bk) / 255.0, GetBValue(bk) / 255.0);
        cairo_paint(t);
    }
    cairo_set_source_rgb(t, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0, GetBValue(colour) / 255.0);
    cairo_set_line_width(t, 1);
    switch (brush.hatch) {
    case HS_HORIZONTAL: hatch_line(t, 0, 7.5, 8, 7.5); break;
    case HS_VERTICAL: hatch_line(t, 7.5, 0, 7.5, 8); break;
    case HS_CROSS:
        hatch_line(t, 0, 7.5, 8, 7.5);
        hatch_line(t, 7.5, 0, 7.5, 8);
        break;
    default: break;
    }
    cairo_stroke(t);
    if (brush.hatch == HS_FDIAGONAL || brush.hatch == HS_BDIAGONAL || brush.hatch == HS_DIAGCROSS) {
        for (int i = 0; i < 8; ++i) {
            if (brush.hatch != HS_BDIAGONAL)
                cairo_rectangle(t, i, i, 1, 1);
            if (brush.hatch != HS_FDIAGONAL)
                cairo_rectangle(t, 7 - i, i, 1, 1);
        }
        cairo_fill(t);
    }
    cairo_destroy(t);
    m_pattern = cairo_pattern_create_for_surface(tile);
    cairo_surface_destroy(tile);
    cairo_pattern_set_extend(m_pattern, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(m_pattern, CAIRO_FILTER_NEAREST);
    cairo_matrix_t matrix;
    // Pattern space is surface pixels counted from the brush origin.
    cairo_matrix_init_translate(&matrix, m_dc.offset_x() - m_dc.device_x() - m_dc.state.brush_origin.x,
                                m_dc.offset_y() - m_dc.device_y() - m_dc.state.brush_origin.y);
    cairo_pattern_set_matrix(m_pattern, &matrix);
    cairo_set_source(m_cr, m_pattern);
    return true;
}

// The raster operations of pens on 0x00RRGGBB values.
static uint32_t apply_rop2(int rop2, uint32_t dest, uint32_t pen)
{
    switch (rop2) {
    case R2_BLACK: return 0;
    case R2_WHITE: return 0xFFFFFF;
    case R2_NOT: return ~dest & 0xFFFFFF;
    case R2_XORPEN: return (dest ^ pen) & 0xFFFFFF;
    case R2_NOP: return dest & 0xFFFFFF;
    default: return pen;
    }
}

void plot_pixels(DeviceContext& dc, const std::vector<POINT>& points, COLORREF colour, int rop2)
{
    Surface* pixels = dc.target();
    if (!pixels || points.empty())
        return;
    if (rop2 == R2_COPYPEN || rop2 == R2_BLACK || rop2 == R2_WHITE) {
        Painter painter(dc);
        if (!painter.ok())
            return;
        painter.set_colour(rop2 == R2_BLACK ? RGB(0, 0, 0) : rop2 == R2_WHITE ? RGB(255, 255, 255) : colour);
        for (const POINT& p : points)
            cairo_rectangle(painter.cr(), p.x, p.y, 1, 1);
        cairo_fill(painter.cr());
        return;
    }
    cairo_surface_flush(pixels->cairo());
    cairo_region_t* region = dc.visible_region();
    uint32_t pen = argb_of(colour) & 0xFFFFFF;
    for (const POINT& p : points) {
        int x = p.x + dc.offset_x();
        int y = p.y + dc.offset_y();
        if (!cairo_region_contains_point(region, x, y))
            continue;
        uint32_t& pixel = pixels->row(y)[x];
        pixel = 0xFF000000u | apply_rop2(rop2, pixel & 0xFFFFFF, pen);
    }
    cairo_region_destroy(region);
    pixels->mark_dirty();
}

HDC make_surface_dc(std::shared_ptr<Surface> surface, POINT origin, RECT clip)
{
    if (!surface)
        return nullptr;
    auto dc = std::make_shared<DeviceContext>(false);
    dc->surface = std::move(surface);
    dc->origin = origin;
    dc->area = clip;
    return static_cast<HDC>(add_object(dc));
}

BOOL set_surface_dc_area(HDC handle, POINT origin, RECT clip)
{
    auto dc = find_dc(handle);
    if (!dc || dc->memory)
        return FALSE;
    dc->origin = origin;
    dc->area = clip;
    return TRUE;
}

std::shared_ptr<Surface> dc_surface(HDC handle)
{
    auto dc = find_dc(handle);
    return dc ? dc->target_shared() : nullptr;
}

std::shared_ptr<Surface> bitmap_surface(HBITMAP handle)
{
    auto bitmap = find_object<Bitmap>(handle);
    return bitmap ? bitmap->surface : nullptr;
}

}  // namespace helm::gdi

using namespace helm::gdi;

HDC CreateCompatibleDC(HDC)
{
    return static_cast<HDC>(add_object(std::make_shared<DeviceContext>(true)));
}

BOOL DeleteDC(HDC handle)
{
    if (!find_dc(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return CloseHandle(handle);
}

int SaveDC(HDC handle)
{
    auto dc = find_dc(handle);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->state);
    if (dc->state.clip)
        dc->saved.back().clip.reset(cairo_region_copy(dc->state.clip.get()), cairo_region_destroy);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC handle, int level)
{
    auto dc = find_dc(handle);
    if (!dc)
        return FALSE;
    int depth = static_cast<int>(dc->saved.size());
    int target = level < 0 ? depth + level + 1 : level;
    if (target < 1 || target > depth)
        return FALSE;
    DcState restored = dc->saved[target - 1];
    dc->saved.resize(target - 1);
    if (dc->memory && restored.bitmap != dc->state.bitmap) {
        if (dc->state.bitmap && !dc->state.bitmap->stock)
            dc->state.bitmap->selected = false;
        if (restored.bitmap && !restored.bitmap->stock)
            restored.bitmap->selected = true;
    }
    dc->state = std::move(restored);
    return TRUE;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object_handle)
{
    auto dc = find_dc(handle);
    auto object = find_object<GdiObject>(object_handle);
    if (!dc || !object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    DcState& s = dc->state;
    HGDIOBJ previous = nullptr;
    switch (object->type()) {
    case OBJ_PEN:
        previous = s.pen_handle;
        s.pen = std::static_pointer_cast<Pen>(object);
        s.pen_handle = object_handle;
        return previous;
    case OBJ_BRUSH:
        previous = s.brush_handle;
        s.brush = std::static_pointer_cast<Brush>(object);
        s.brush_handle = object_handle;
        return previous;
    case OBJ_FONT:
        previous = s.font_handle;
        s.font = std::static_pointer_cast<Font>(object);
        s.font_handle = object_handle;
        return previous;
    case OBJ_BITMAP: {
        if (!dc->memory)
            return nullptr;
        auto bitmap = std::static_pointer_cast<Bitmap>(object);
        if (bitmap == s.bitmap)
            return s.bitmap_handle;
        bool expected = false;
        if (!bitmap->stock && !bitmap->selected.compare_exchange_strong(expected, true))
            return nullptr;  // already in another DC
        if (s.bitmap && !s.bitmap->stock)
            s.bitmap->selected = false;
        previous = s.bitmap_handle;
        s.bitmap = std::move(bitmap);
        s.bitmap_handle = object_handle;
        return previous;
    }
    case OBJ_REGION: {
        int kind = SelectClipRgn(handle, static_cast<HRGN>(object_handle));
        return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(kind));
    }
    default: return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC handle, UINT type)
{
    auto dc = find_dc(handle);
    if (!dc)
        return nullptr;
    switch (type) {
    case OBJ_PEN: return dc->state.pen_handle;
    case OBJ_BRUSH: return dc->state.brush_handle;
    case OBJ_FONT: return dc->state.font_handle;
    case OBJ_BITMAP: return dc->state.bitmap_handle;
    case OBJ_PAL: return dc->state.palette_handle;
    default: return nullptr;
    }
}

HPALETTE SelectPalette(HDC handle, HPALETTE palette, BOOL)
{
    auto dc = find_dc(handle);
    if (!dc || !find_object<Palette>(palette))
        return nullptr;
    HGDIOBJ previous = dc->state.palette_handle;
    dc->state.palette_handle = palette;
    return static_cast<HPALETTE>(previous);
}

UINT RealizePalette(HDC handle)
{
    return find_dc(handle) ? 0 : static_cast<UINT>(GDI_ERROR);
}

int GetDeviceCaps(HDC handle, int index)
{
    auto dc = find_dc(handle);
    if (!dc)
        return 0;
    Surface* pixels = dc->target();
    switch (index) {
    case HORZRES: return pixels ? pixels->width() : 0;
    case VERTRES: return pixels ? pixels->height() : 0;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case RASTERCAPS: return 0;
    case SIZEPALETTE: return 0;
    default: return 0;
    }
}

// Attributes: each returns the previous value, or the error value for a bad DC.
#define HELM_DC_ATTRIBUTE(setter, getter, type, field, error)  \
    type setter(HDC handle, type value)                         \
    {                                                           \
        auto dc = find_dc(handle);                              \
        if (!dc)                                                \
            return error;                                       \
        type previous = static_cast<type>(dc->state.field);     \
        dc->state.field = value;                                \
        return previous;                                        \
    }                                                           \
    type getter(HDC handle)                                     \
    {                                                           \
        auto dc = find_dc(handle);                              \
        return dc ? static_cast<type>(dc->state.field) : error; \
    }

HELM_DC_ATTRIBUTE(SetTextColor, GetTextColor, COLORREF, text_colour, CLR_INVALID)
HELM_DC_ATTRIBUTE(SetBkColor, GetBkColor, COLORREF, bk_colour, CLR_INVALID)
HELM_DC_ATTRIBUTE(SetROP2, GetROP2, int, rop2, 0)
HELM_DC_ATTRIBUTE(SetTextAlign, GetTextAlign, UINT, text_align, static_cast<UINT>(GDI_ERROR))
#undef HELM_DC_ATTRIBUTE

int SetBkMode(HDC handle, int mode)
{
    auto dc = find_dc(handle);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    int previous = dc->state.bk_mode;
    dc->state.bk_mode = mode;
    return previous;
}

int GetBkMode(HDC handle)
{
    auto dc = find_dc(handle);
    return dc ? dc->state.bk_mode : 0;
}

int SetPolyFillMode(HDC handle, int mode)
{
    auto dc = find_dc(handle);
    if (!dc || (mode != ALTERNATE && mode != WINDING))
        return 0;
    int previous = dc->state.poly_fill;
    dc->state.poly_fill = mode;
    return previous;
}

int SetStretchBltMode(HDC handle, int mode)
{
    auto dc = find_dc(handle);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    int previous = dc->state.stretch_mode;
    dc->state.stretch_mode = mode;
    return previous;
}

int SetArcDirection(HDC handle, int direction)
{
    auto dc = find_dc(handle);
    if (!dc || (direction != AD_COUNTERCLOCKWISE && direction != AD_CLOCKWISE))
        return 0;
    int previous = dc->state.arc_direction;
    dc->state.arc_direction = direction;
    return previous;
}

int SetMapMode(HDC handle, int mode)
{
    // Only MM_TEXT is drawn; other modes are refused rather than ignored.
    return find_dc(handle) && mode == MM_TEXT ? MM_TEXT : 0;
}

COLORREF SetDCBrushColor(HDC handle, COLORREF colour)
{
    auto dc = find_dc(handle);
    if (!dc)
        return CLR_INVALID;
    COLORREF previous = dc->state.dc_brush_colour;
    dc->state.dc_brush_colour = colour & 0xFFFFFF;
    return previous;
}

COLORREF SetDCPenColor(HDC handle, COLORREF colour)
{
    auto dc = find_dc(handle);
    if (!dc)
        return CLR_INVALID;
    COLORREF previous = dc->state.dc_pen_colour;
    dc->state.dc_pen_colour = colour & 0xFFFFFF;
    return previous;
}

static BOOL set_point(HDC handle, POINT DcState::*field, int x, int y, LPPOINT previous, bool relative)
{
    auto dc = find_dc(handle);
    if (!dc)
        return FALSE;
    POINT& point = dc->state.*field;
    if (previous)
        *previous = point;
    if (relative) {
        point.x += x;
        point.y += y;
    } else {
        point = POINT{x, y};
    }
    return TRUE;
}

static BOOL get_point(HDC handle, POINT DcState::*field, LPPOINT out)
{
    auto dc = find_dc(handle);
    if (!dc || !out)
        return FALSE;
    *out = dc->state.*field;
    return TRUE;
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous)
{
    return set_point(dc, &DcState::viewport, x, y, previous, false);
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous)
{
    return set_point(dc, &DcState::viewport, dx, dy, previous, true);
}
BOOL GetViewportOrgEx(HDC dc, LPPOINT origin)
{
    return get_point(dc, &DcState::viewport, origin);
}
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous)
{
    return set_point(dc, &DcState::window, x, y, previous, false);
}
BOOL GetWindowOrgEx(HDC dc, LPPOINT origin)
{
    return get_point(dc, &DcState::window, origin);
}
BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT previous)
{
    return set_point(dc, &DcState::brush_origin, x, y, previous, false);
}
BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous)
{
    return set_point(dc, &DcState::position, x, y, previous, false);
}
BOOL GetCurrentPositionEx(HDC dc, LPPOINT position)
{
    return get_point(dc, &DcState::position, position);
}
