// Bitmaps and block transfers. Every bitmap is kept as 32-bit pixels
// whatever depth it was made with; the depth is remembered for GetObject.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "device_context.h"
#include "dib.h"

using namespace helm::gdi;

namespace {

HBITMAP new_bitmap(std::shared_ptr<Surface> surface, int bits_pixel)
{
    if (!surface)
        return nullptr;
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->surface = std::move(surface);
    bitmap->bits_pixel = bits_pixel;
    return static_cast<HBITMAP>(add_object(bitmap));
}

// The colour table that follows a BITMAPINFO header (none for DIB_PAL_COLORS,
// which index a palette this layer does not keep).
const RGBQUAD* colour_table(const BITMAPINFO* info, const DibLayout& layout, UINT usage)
{
    if (usage != DIB_RGB_COLORS || layout.colour_count == 0)
        return nullptr;
    return reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + layout.header_size);
}

uint32_t raster(DWORD rop, uint32_t dest, uint32_t source, uint32_t pattern)
{
    switch (rop) {
    case SRCCOPY: return source;
    case SRCPAINT: return dest | source;
    case SRCAND: return dest & source;
    case SRCINVERT: return dest ^ source;
    case NOTSRCCOPY: return ~source;
    case DSTINVERT: return ~dest;
    case PATCOPY: return pattern;
    case PATINVERT: return dest ^ pattern;
    case BLACKNESS: return 0;
    case WHITENESS: return 0xFFFFFF;
    default: return dest;
    }
}

bool known_rop(DWORD rop)
{
    switch (rop) {
    case SRCCOPY:
    case SRCPAINT:
    case SRCAND:
    case SRCINVERT:
    case NOTSRCCOPY:
    case DSTINVERT:
    case PATCOPY:
    case PATINVERT:
    case BLACKNESS:
    case WHITENESS: return true;
    default: return false;
    }
}

// A copy of part of a surface, for transfers whose source and destination
// are the same pixels.
std::shared_ptr<Surface> snapshot(const Surface& from)
{
    auto copy = Surface::create(from.width(), from.height());
    if (!copy)
        return nullptr;
    cairo_t* cr = cairo_create(copy->cairo());
    cairo_set_source_surface(cr, from.cairo(), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return copy;
}

BOOL transfer(HDC dest_handle, int x, int y, int width, int height, HDC source_handle, int sx, int sy, int swidth,
              int sheight, DWORD rop)
{
    auto dest = find_dc(dest_handle);
    if (!dest || !known_rop(rop))
        return FALSE;
    bool needs_source = rop != PATCOPY && rop != PATINVERT && rop != DSTINVERT && rop != BLACKNESS &&
                        rop != WHITENESS;
    std::shared_ptr<DeviceContext> source;
    std::shared_ptr<Surface> pixels;
    if (needs_source) {
        source = find_dc(source_handle);
        if (!source || !source->target())
            return FALSE;
        pixels = source->target_shared();
        if (pixels.get() == dest->target())
            pixels = snapshot(*pixels);
        if (!pixels)
            return FALSE;
    }
    if (width == 0 || height == 0 || (needs_source && (swidth == 0 || sheight == 0)))
        return TRUE;
    // Source pixel of a destination pixel: a linear map that also mirrors
    // when one of the widths or heights is negative.
    double scale_x = needs_source ? double(swidth) / width : 1;
    double scale_y = needs_source ? double(sheight) / height : 1;
    double source_x0 = needs_source ? sx + source->offset_x() : 0;
    double source_y0 = needs_source ? sy + source->offset_y() : 0;

    RECT rect{x, y, x + width, y + height};
    if (rect.left > rect.right)
        std::swap(rect.left, rect.right);
    if (rect.top > rect.bottom)
        std::swap(rect.top, rect.bottom);

    if (rop == SRCCOPY) {
        Painter painter(*dest);
        if (!painter.ok())
            return FALSE;
        cairo_t* cr = painter.cr();
        cairo_pattern_t* pattern = cairo_pattern_create_for_surface(pixels->cairo());
        cairo_matrix_t matrix;
        // User (logical destination) space to source surface pixels.
        cairo_matrix_init(&matrix, scale_x, 0, 0, scale_y, source_x0 - x * scale_x, source_y0 - y * scale_y);
        cairo_pattern_set_matrix(pattern, &matrix);
        bool smooth = dest->state.stretch_mode == HALFTONE && (std::abs(scale_x) != 1 || std::abs(scale_y) != 1);
        cairo_pattern_set_filter(pattern, smooth ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE);
        cairo_set_source(cr, pattern);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        // Pixels the source does not cover are left alone.
        double sl = std::min(source_x0, source_x0 + swidth), sr = std::max(source_x0, source_x0 + swidth);
        double st = std::min(source_y0, source_y0 + sheight), sb = std::max(source_y0, source_y0 + sheight);
        sl = std::max(sl, 0.0);
        st = std::max(st, 0.0);
        sr = std::min(sr, double(pixels->width()));
        sb = std::min(sb, double(pixels->height()));
        if (sr > sl && sb > st) {
            double dl = x + (sl - source_x0) / scale_x, dr = x + (sr - source_x0) / scale_x;
            double dt = y + (st - source_y0) / scale_y, db = y + (sb - source_y0) / scale_y;
            cairo_rectangle(cr, std::min(dl, dr), std::min(dt, db), std::abs(dr - dl), std::abs(db - dt));
            cairo_clip(cr);
            cairo_rectangle(cr, rect.left, rect.top, double(rect.right) - rect.left, double(rect.bottom) - rect.top);
            cairo_fill(cr);
        }
        cairo_pattern_destroy(pattern);
        return TRUE;
    }

    Surface* target = dest->target();
    if (!target)
        return FALSE;
    if (pixels)
        cairo_surface_flush(pixels->cairo());
    cairo_surface_flush(target->cairo());
    uint32_t pattern = argb_of(dest->brush_colour(*dest->state.brush)) & 0xFFFFFF;
    cairo_region_t* visible = dest->visible_region();
    cairo_rectangle_int_t r{rect.left + dest->offset_x(), rect.top + dest->offset_y(), rect.right - rect.left,
                            rect.bottom - rect.top};
    cairo_region_intersect_rectangle(visible, &r);
    int count = cairo_region_num_rectangles(visible);
    for (int i = 0; i < count; ++i) {
        cairo_rectangle_int_t part;
        cairo_region_get_rectangle(visible, i, &part);
        for (int py = part.y; py < part.y + part.height; ++py) {
            uint32_t* row = target->row(py);
            for (int px = part.x; px < part.x + part.width; ++px) {
                uint32_t src = 0;
                if (pixels) {
                    double lx = px - dest->offset_x() + 0.5;
                    double ly = py - dest->offset_y() + 0.5;
                    int fx = static_cast<int>(std::floor(source_x0 + (lx - x) * scale_x));
                    int fy = static_cast<int>(std::floor(source_y0 + (ly - y) * scale_y));
                    if (fx < 0 || fy < 0 || fx >= pixels->width() || fy >= pixels->height())
                        continue;
                    src = pixels->row(fy)[fx] & 0xFFFFFF;
                }
                row[px] = 0xFF000000u | (raster(rop, row[px] & 0xFFFFFF, src, pattern) & 0xFFFFFF);
            }
        }
    }
    cairo_region_destroy(visible);
    target->mark_dirty();
    return TRUE;
}

}  // namespace

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    if (!find_dc(dc) || width < 0 || height < 0)
        return nullptr;
    // A zero size gives the 1 x 1 bitmap Windows gives. Bitmaps are always
    // in colour, even for a memory DC that still has its default bitmap.
    auto surface = Surface::create(std::max(width, 1), std::max(height, 1));
    if (!surface)
        return nullptr;
    surface->fill(0xFF000000u);
    return new_bitmap(surface, 32);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bits_pixel, const void* bits)
{
    if (width <= 0 || height <= 0 || planes != 1)
        return nullptr;
    auto surface = Surface::create(width, height);
    if (!surface)
        return nullptr;
    surface->fill(0xFF000000u);
    if (bits_pixel != 1 && bits_pixel != 32)
        return nullptr;
    if (bits) {
        // Device-dependent rows: top-down, padded to 16 bits.
        const auto* src = static_cast<const uint8_t*>(bits);
        size_t stride = ((static_cast<size_t>(width) * bits_pixel + 15) / 16) * 2;
        cairo_surface_flush(surface->cairo());
        for (int y = 0; y < height; ++y) {
            uint32_t* row = surface->row(y);
            const uint8_t* line = src + stride * y;
            for (int x = 0; x < width; ++x) {
                if (bits_pixel == 1) {
                    row[x] = ((line[x / 8] >> (7 - x % 8)) & 1) ? 0xFFFFFFFFu : 0xFF000000u;
                } else {
                    uint32_t v;
                    std::memcpy(&v, line + 4 * x, 4);
                    row[x] = v | 0xFF000000u;
                }
            }
        }
        surface->mark_dirty();
    }
    return new_bitmap(surface, static_cast<int>(bits_pixel));
}

HBITMAP CreateDIBitmap(HDC, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage)
{
    DibLayout layout;
    if (!header || !read_dib_layout(*header, header->biSize + 12, layout))
        return nullptr;
    auto surface = Surface::create(layout.width, layout.height);
    if (!surface)
        return nullptr;
    surface->fill(0xFF000000u);
    if ((init & CBM_INIT) && bits && info) {
        DibLayout source;
        if (!read_dib_layout(info->bmiHeader, info->bmiHeader.biSize + 12, source) || source.width != layout.width ||
            source.height != layout.height)
            return nullptr;
        dib_to_surface(source, colour_table(info, source, usage), static_cast<const uint8_t*>(bits), *surface, 0,
                       source.height, false);
    }
    return new_bitmap(surface, 32);
}

int SetDIBits(HDC, HBITMAP handle, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage)
{
    auto bitmap = find_object<Bitmap>(handle);
    DibLayout layout;
    if (!bitmap || !bits || !info || !read_dib_layout(info->bmiHeader, info->bmiHeader.biSize + 12, layout))
        return 0;
    if (layout.width != bitmap->surface->width() || layout.height != bitmap->surface->height())
        return 0;
    if (start >= static_cast<UINT>(layout.height))
        return 0;
    int count = static_cast<int>(std::min<UINT>(lines, layout.height - start));
    dib_to_surface(layout, colour_table(info, layout, usage), static_cast<const uint8_t*>(bits), *bitmap->surface,
                   static_cast<int>(start), count, false);
    return count;
}

int GetDIBits(HDC, HBITMAP handle, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info, UINT)
{
    auto bitmap = find_object<Bitmap>(handle);
    if (!bitmap || !info)
        return 0;
    BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER))
        return 0;
    const Surface& pixels = *bitmap->surface;
    if (header.biBitCount == 0) {
        // Only the format is asked for.
        header.biWidth = pixels.width();
        header.biHeight = pixels.height();
        header.biPlanes = 1;
        header.biBitCount = 32;
        header.biCompression = BI_RGB;
        header.biSizeImage = static_cast<DWORD>(pixels.width() * 4 * pixels.height());
        header.biClrUsed = 0;
        header.biClrImportant = 0;
        return 1;
    }
    if (header.biBitCount != 24 && header.biBitCount != 32)
        return 0;
    if (header.biWidth != pixels.width() || std::abs(header.biHeight) != pixels.height())
        return 0;
    header.biCompression = BI_RGB;
    header.biPlanes = 1;
    DibLayout layout;
    if (!read_dib_layout(header, header.biSize, layout))
        return 0;
    header.biSizeImage = static_cast<DWORD>(layout.image_size);
    if (start >= static_cast<UINT>(layout.height))
        return 0;
    int count = static_cast<int>(std::min<UINT>(lines, layout.height - start));
    if (bits)
        surface_to_dib(pixels, layout, static_cast<uint8_t*>(bits), static_cast<int>(start), count);
    return count;
}

int StretchDIBits(HDC dc, int x, int y, int width, int height, int sx, int sy, int swidth, int sheight,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop)
{
    DibLayout layout;
    if (!bits || !info || !read_dib_layout(info->bmiHeader, info->bmiHeader.biSize + 12, layout))
        return 0;
    auto surface = Surface::create(layout.width, layout.height);
    if (!surface)
        return 0;
    dib_to_surface(layout, colour_table(info, layout, usage), static_cast<const uint8_t*>(bits), *surface, 0,
                   layout.height, false);
    HBITMAP temporary = new_bitmap(surface, layout.bits);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, temporary);
    // Source y counts from the bottom of a bottom-up DIB.
    int top = layout.bottom_up ? layout.height - sy - sheight : sy;
    BOOL ok = StretchBlt(dc, x, y, width, height, memory, sx, top, swidth, sheight, rop);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(temporary);
    return ok ? sheight : 0;
}

LONG GetBitmapBits(HBITMAP handle, LONG size, LPVOID bits)
{
    auto bitmap = find_object<Bitmap>(handle);
    if (!bitmap || size < 0)
        return 0;
    const Surface& pixels = *bitmap->surface;
    LONG needed = pixels.width() * pixels.height() * 4;
    if (!bits)
        return needed;
    LONG n = std::min(size, needed) / 4;
    cairo_surface_flush(pixels.cairo());
    auto* out = static_cast<uint32_t*>(bits);
    for (LONG i = 0; i < n; ++i)
        out[i] = pixels.row(i / pixels.width())[i % pixels.width()];
    return n * 4;
}

BOOL GetBitmapDimensionEx(HBITMAP handle, LPSIZE size)
{
    if (!find_object<Bitmap>(handle) || !size)
        return FALSE;
    *size = SIZE{0, 0};
    return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop)
{
    return transfer(dest, x, y, width, height, source, sx, sy, width, height, rop);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, int swidth, int sheight,
                DWORD rop)
{
    return transfer(dest, x, y, width, height, source, sx, sy, swidth, sheight, rop);
}
