// A device context: where drawing lands (a surface, or a memory DC's
// selected bitmap), the selected objects, the attributes, the clip, and the
// stack SaveDC keeps. Painter turns one drawing call into a cairo_t set up
// with the DC's origin and clip.
#pragma once

#include <cairo.h>

#include <memory>
#include <vector>

#include "objects.h"

namespace helm::gdi {

struct DcState {
    std::shared_ptr<Pen> pen;
    HGDIOBJ pen_handle = nullptr;
    std::shared_ptr<Brush> brush;
    HGDIOBJ brush_handle = nullptr;
    std::shared_ptr<Font> font;
    HGDIOBJ font_handle = nullptr;
    std::shared_ptr<Bitmap> bitmap;  // memory DCs only
    HGDIOBJ bitmap_handle = nullptr;
    HGDIOBJ palette_handle = nullptr;

    COLORREF text_colour = RGB(0, 0, 0);
    COLORREF bk_colour = RGB(255, 255, 255);
    COLORREF dc_brush_colour = RGB(255, 255, 255);
    COLORREF dc_pen_colour = RGB(0, 0, 0);
    int bk_mode = OPAQUE;
    int rop2 = R2_COPYPEN;
    UINT text_align = TA_LEFT | TA_TOP;
    int poly_fill = ALTERNATE;
    int stretch_mode = BLACKONWHITE;
    int arc_direction = AD_COUNTERCLOCKWISE;
    POINT viewport{0, 0};
    POINT window{0, 0};
    POINT brush_origin{0, 0};
    POINT position{0, 0};
    // The clip region in device units (from the DC's origin), or none.
    std::shared_ptr<cairo_region_t> clip;
};

class DeviceContext : public kernel::KernelObject {
public:
    explicit DeviceContext(bool memory);
    ~DeviceContext() override;

    // The pixels drawn into; null for a memory DC before a bitmap is chosen
    // (it then has the 1 x 1 default).
    Surface* target() const;
    std::shared_ptr<Surface> target_shared() const;

    // Logical to surface pixels.
    int offset_x() const { return origin.x + state.viewport.x - state.window.x; }
    int offset_y() const { return origin.y + state.viewport.y - state.window.y; }
    // The device-unit offset (clip regions are kept in device units).
    int device_x() const { return origin.x; }
    int device_y() const { return origin.y; }

    // What may be drawn, in surface pixels: the surface, the area the DC was
    // given and the clip region. The caller destroys the region.
    cairo_region_t* visible_region() const;
    bool visible(int surface_x, int surface_y) const;

    COLORREF brush_colour(const Brush& brush) const;
    COLORREF pen_colour(const Pen& pen) const;

    const bool memory;
    std::shared_ptr<Surface> surface;  // surface DCs
    POINT origin{0, 0};
    RECT area{0, 0, 0, 0};  // in surface pixels; surface DCs only
    DcState state;
    std::vector<DcState> saved;
};

std::shared_ptr<DeviceContext> find_dc(HDC dc);

// One drawing call's cairo_t: user space is the DC's logical space, clipped
// to what the DC may touch, no anti-aliasing (GDI draws aliased).
class Painter {
public:
    explicit Painter(DeviceContext& dc);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    cairo_t* cr() const { return m_cr; }
    bool ok() const { return m_cr != nullptr; }
    void set_colour(COLORREF colour);
    // Sets the source to the brush; false for a null brush.
    bool set_brush(const Brush& brush);

private:
    DeviceContext& m_dc;
    cairo_t* m_cr = nullptr;
    cairo_pattern_t* m_pattern = nullptr;
};

// Pixel-level drawing for what Cairo has no operator for: raster
// operations (R2_NOT, R2_XORPEN...) and exact cosmetic lines. Points are
// logical; each is clipped.
void plot_pixels(DeviceContext& dc, const std::vector<POINT>& points, COLORREF colour, int rop2);

}  // namespace helm::gdi
