// Regions (sets of rectangles) and a DC's clip region, kept in device units
// as Windows keeps them.
#include <algorithm>

#include "device_context.h"

using namespace helm::gdi;

namespace {

cairo_rectangle_int_t rect_of(int left, int top, int right, int bottom)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    return cairo_rectangle_int_t{left, top, right - left, bottom - top};
}

// The DC's clip, made explicit (the whole surface when it has none).
cairo_region_t* current_clip(DeviceContext& dc)
{
    if (dc.state.clip)
        return cairo_region_copy(dc.state.clip.get());
    cairo_region_t* visible = dc.visible_region();
    cairo_region_translate(visible, -dc.device_x(), -dc.device_y());
    return visible;
}

int set_clip(DeviceContext& dc, cairo_region_t* region)
{
    dc.state.clip.reset(region, cairo_region_destroy);
    cairo_region_t* visible = dc.visible_region();
    int kind = region_kind(visible);
    cairo_region_destroy(visible);
    return kind;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    auto region = std::make_shared<Region>();
    cairo_rectangle_int_t r = rect_of(left, top, right, bottom);
    cairo_region_union_rectangle(region->region, &r);
    return static_cast<HRGN>(add_object(region));
}

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

BOOL SetRectRgn(HRGN handle, int left, int top, int right, int bottom)
{
    auto region = find_object<Region>(handle);
    if (!region)
        return FALSE;
    cairo_region_destroy(region->region);
    cairo_rectangle_int_t r = rect_of(left, top, right, bottom);
    region->region = cairo_region_create_rectangle(&r);
    return TRUE;
}

int CombineRgn(HRGN destination, HRGN a_handle, HRGN b_handle, int mode)
{
    auto out = find_object<Region>(destination);
    auto a = find_object<Region>(a_handle);
    auto b = mode == RGN_COPY ? nullptr : find_object<Region>(b_handle);
    if (!out || !a || (mode != RGN_COPY && !b) || mode < RGN_AND || mode > RGN_COPY)
        return ERROR;
    cairo_region_t* result = cairo_region_copy(a->region);
    switch (mode) {
    case RGN_AND: cairo_region_intersect(result, b->region); break;
    case RGN_OR: cairo_region_union(result, b->region); break;
    case RGN_XOR: cairo_region_xor(result, b->region); break;
    case RGN_DIFF: cairo_region_subtract(result, b->region); break;
    default: break;
    }
    cairo_region_destroy(out->region);
    out->region = result;
    return region_kind(result);
}

int OffsetRgn(HRGN handle, int dx, int dy)
{
    auto region = find_object<Region>(handle);
    if (!region)
        return ERROR;
    cairo_region_translate(region->region, dx, dy);
    return region_kind(region->region);
}

int GetRgnBox(HRGN handle, LPRECT box)
{
    auto region = find_object<Region>(handle);
    if (!region || !box)
        return ERROR;
    cairo_rectangle_int_t r;
    cairo_region_get_extents(region->region, &r);
    *box = RECT{r.x, r.y, r.x + r.width, r.y + r.height};
    return region_kind(region->region);
}

BOOL PtInRegion(HRGN handle, int x, int y)
{
    auto region = find_object<Region>(handle);
    return region && cairo_region_contains_point(region->region, x, y);
}

BOOL EqualRgn(HRGN a_handle, HRGN b_handle)
{
    auto a = find_object<Region>(a_handle);
    auto b = find_object<Region>(b_handle);
    return a && b && cairo_region_equal(a->region, b->region);
}

int SelectClipRgn(HDC handle, HRGN region_handle)
{
    auto dc = find_dc(handle);
    if (!dc)
        return ERROR;
    if (!region_handle) {
        dc->state.clip.reset();
        return SIMPLEREGION;
    }
    auto region = find_object<Region>(region_handle);
    if (!region)
        return ERROR;
    // The DC keeps a copy: the caller may change or delete its region.
    return set_clip(*dc, cairo_region_copy(region->region));
}

int GetClipRgn(HDC handle, HRGN region_handle)
{
    auto dc = find_dc(handle);
    auto region = find_object<Region>(region_handle);
    if (!dc || !region)
        return -1;
    if (!dc->state.clip)
        return 0;
    cairo_region_destroy(region->region);
    region->region = cairo_region_copy(dc->state.clip.get());
    return 1;
}

int GetClipBox(HDC handle, LPRECT box)
{
    auto dc = find_dc(handle);
    if (!dc || !box)
        return ERROR;
    cairo_region_t* visible = dc->visible_region();
    cairo_rectangle_int_t r;
    cairo_region_get_extents(visible, &r);
    int kind = region_kind(visible);
    cairo_region_destroy(visible);
    // In logical units.
    int dx = dc->offset_x();
    int dy = dc->offset_y();
    *box = RECT{r.x - dx, r.y - dy, r.x + r.width - dx, r.y + r.height - dy};
    if (kind == NULLREGION)
        *box = RECT{0, 0, 0, 0};
    return kind;
}

int IntersectClipRect(HDC handle, int left, int top, int right, int bottom)
{
    auto dc = find_dc(handle);
    if (!dc)
        return ERROR;
    int shift_x = dc->offset_x() - dc->device_x();
    int shift_y = dc->offset_y() - dc->device_y();
    cairo_region_t* clip = current_clip(*dc);
    cairo_rectangle_int_t r = rect_of(left + shift_x, top + shift_y, right + shift_x, bottom + shift_y);
    cairo_region_intersect_rectangle(clip, &r);
    return set_clip(*dc, clip);
}

int ExcludeClipRect(HDC handle, int left, int top, int right, int bottom)
{
    auto dc = find_dc(handle);
    if (!dc)
        return ERROR;
    int shift_x = dc->offset_x() - dc->device_x();
    int shift_y = dc->offset_y() - dc->device_y();
    cairo_region_t* clip = current_clip(*dc);
    cairo_rectangle_int_t r = rect_of(left + shift_x, top + shift_y, right + shift_x, bottom + shift_y);
    cairo_region_subtract_rectangle(clip, &r);
    return set_clip(*dc, clip);
}

BOOL PtVisible(HDC handle, int x, int y)
{
    auto dc = find_dc(handle);
    return dc && dc->visible(x + dc->offset_x(), y + dc->offset_y());
}

BOOL RectVisible(HDC handle, const RECT* rect)
{
    auto dc = find_dc(handle);
    if (!dc || !rect)
        return FALSE;
    cairo_region_t* visible = dc->visible_region();
    cairo_rectangle_int_t r = rect_of(rect->left + dc->offset_x(), rect->top + dc->offset_y(),
                                      rect->right + dc->offset_x(), rect->bottom + dc->offset_y());
    bool any = cairo_region_contains_rectangle(visible, &r) != CAIRO_REGION_OVERLAP_OUT;
    cairo_region_destroy(visible);
    return any;
}
