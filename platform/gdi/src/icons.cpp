// Icons: ARGB pictures with their mask folded into alpha, drawn over what
// is there.
#include <algorithm>

#include "device_context.h"
#include "helm/gdi/images.h"

using namespace helm::gdi;

namespace {

std::shared_ptr<Icon> find_icon(HICON handle)
{
    return find_object<Icon>(handle);
}

}  // namespace

HICON CreateIconIndirect(PICONINFO info)
{
    if (!info)
        return nullptr;
    auto colour = find_object<Bitmap>(info->hbmColor);
    auto mask = find_object<Bitmap>(info->hbmMask);
    if (!mask)
        return nullptr;
    const Surface& base = colour ? *colour->surface : *mask->surface;
    int width = base.width();
    int height = colour ? base.height() : base.height() / 2;
    auto pixels = Surface::create(width, std::max(height, 1));
    if (!pixels)
        return nullptr;
    cairo_surface_flush(base.cairo());
    cairo_surface_flush(mask->surface->cairo());
    bool has_alpha = false;
    if (colour && colour->bits_pixel == 32) {
        for (int y = 0; y < base.height() && !has_alpha; ++y)
            for (int x = 0; x < width; ++x)
                if ((base.row(y)[x] >> 24) != 0xFF) {
                    has_alpha = true;
                    break;
                }
    }
    for (int y = 0; y < pixels->height(); ++y) {
        uint32_t* out = pixels->row(y);
        for (int x = 0; x < width; ++x) {
            uint32_t value = colour ? base.row(y)[x] : mask->surface->row(y + height)[x];
            bool transparent = y < mask->surface->height() && x < mask->surface->width() &&
                               (mask->surface->row(y)[x] & 0xFFFFFF) != 0;
            out[x] = has_alpha ? value : (transparent ? 0 : (value | 0xFF000000u));
        }
    }
    pixels->mark_dirty();
    auto icon = std::make_shared<Icon>();
    icon->pixels = pixels;
    icon->is_icon = info->fIcon != FALSE;
    icon->hotspot_x = info->fIcon ? static_cast<DWORD>(width / 2) : info->xHotspot;
    icon->hotspot_y = info->fIcon ? static_cast<DWORD>(pixels->height() / 2) : info->yHotspot;
    return static_cast<HICON>(add_object(icon));
}

BOOL GetIconInfo(HICON handle, PICONINFO info)
{
    auto icon = find_icon(handle);
    if (!icon || !info)
        return FALSE;
    const Surface& pixels = *icon->pixels;
    HDC screen = CreateCompatibleDC(nullptr);
    HBITMAP colour = CreateCompatibleBitmap(screen, pixels.width(), pixels.height());
    HBITMAP mask = CreateBitmap(pixels.width(), pixels.height(), 1, 1, nullptr);
    DeleteDC(screen);
    auto colour_pixels = bitmap_surface(colour);
    auto mask_pixels = bitmap_surface(mask);
    if (!colour_pixels || !mask_pixels)
        return FALSE;
    cairo_surface_flush(pixels.cairo());
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) {
            uint32_t value = pixels.row(y)[x];
            colour_pixels->row(y)[x] = value;
            mask_pixels->row(y)[x] = (value >> 24) == 0 ? 0xFFFFFFFFu : 0xFF000000u;
        }
    colour_pixels->mark_dirty();
    mask_pixels->mark_dirty();
    info->fIcon = icon->is_icon;
    info->xHotspot = icon->hotspot_x;
    info->yHotspot = icon->hotspot_y;
    info->hbmColor = colour;
    info->hbmMask = mask;
    return TRUE;
}

BOOL DestroyIcon(HICON handle)
{
    if (!find_icon(handle))
        return FALSE;
    return CloseHandle(handle);
}

HICON CopyIcon(HICON handle)
{
    auto icon = find_icon(handle);
    if (!icon)
        return nullptr;
    return icon_from_surface(*icon->pixels);
}

BOOL DrawIconEx(HDC handle, int x, int y, HICON icon_handle, int width, int height, UINT, HBRUSH flicker, UINT flags)
{
    auto dc = find_dc(handle);
    auto icon = find_icon(icon_handle);
    if (!dc || !icon)
        return FALSE;
    const Surface& pixels = *icon->pixels;
    if (width == 0)
        width = (flags & DI_DEFAULTSIZE) ? 32 : pixels.width();
    if (height == 0)
        height = (flags & DI_DEFAULTSIZE) ? 32 : pixels.height();
    if (flicker) {
        RECT all{x, y, x + width, y + height};
        FillRect(handle, &all, flicker);
    }
    Painter painter(*dc);
    if (!painter.ok())
        return FALSE;
    cairo_t* cr = painter.cr();
    cairo_rectangle(cr, x, y, width, height);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, double(width) / pixels.width(), double(height) / pixels.height());
    cairo_set_source_surface(cr, pixels.cairo(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    if ((flags & DI_NORMAL) == DI_MASK) {
        // The mask alone: black where the icon is opaque.
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_mask_surface(cr, pixels.cairo(), 0, 0);
    } else {
        cairo_paint(cr);
    }
    return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon)
{
    return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}
