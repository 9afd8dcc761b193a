// The drawing objects behind GDI handles. They live in the kernel's handle
// table, so their numbers are 32-bit and never collide with other handles.
// A DC holds shared references to what is selected into it, so deleting a
// selected object only drops its handle and never leaves a DC dangling.
#pragma once

#include <cairo.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "helm/gdi/surface.h"
#include "helm/gdi/wingdi.h"
#include "helm/kernel/objects.h"

namespace helm::gdi {

class FontFace;

class GdiObject : public kernel::KernelObject {
public:
    virtual int type() const = 0;
    bool stock = false;
};

class Pen : public GdiObject {
public:
    int type() const override { return OBJ_PEN; }
    int style = PS_SOLID;
    int width = 1;
    COLORREF colour = 0;
    bool dc_pen = false;  // DC_PEN: the colour is the DC's pen colour
};

class Brush : public GdiObject {
public:
    int type() const override { return OBJ_BRUSH; }
    int style = BS_SOLID;
    COLORREF colour = 0;
    int hatch = 0;
    bool dc_brush = false;  // DC_BRUSH: the colour is the DC's brush colour
};

class Font : public GdiObject {
public:
    int type() const override { return OBJ_FONT; }
    LOGFONT logfont{};
    std::shared_ptr<FontFace> face;
};

class Bitmap : public GdiObject {
public:
    int type() const override { return OBJ_BITMAP; }
    std::shared_ptr<Surface> surface;
    int bits_pixel = 32;
    // The pixels as the DIB they were made from (bottom-up rows padded to 4
    // bytes), kept for GetObject's bmBits; empty for other bitmaps.
    std::vector<uint8_t> dib_bits;
    // A bitmap is selected into at most one memory DC at a time.
    std::atomic<bool> selected{false};
};

class Region : public GdiObject {
public:
    Region();
    explicit Region(const RECT& rect);
    ~Region() override;
    int type() const override { return OBJ_REGION; }
    cairo_region_t* region = nullptr;
};

class Palette : public GdiObject {
public:
    int type() const override { return OBJ_PAL; }
    std::vector<PALETTEENTRY> entries;
};

// Icons are not GDI objects on Windows, but their handles come from the same
// table; they are told apart by kind.
class Icon : public kernel::KernelObject {
public:
    std::shared_ptr<Surface> pixels;  // ARGB with the mask folded into alpha
    bool is_icon = true;
    DWORD hotspot_x = 0;
    DWORD hotspot_y = 0;
};

template <class T>
std::shared_ptr<T> find_object(const void* handle)
{
    return kernel::lookup_handle_as<T>(const_cast<void*>(handle));
}

// Registers a new object and gives its handle (null when the table is full).
HANDLE add_object(std::shared_ptr<kernel::KernelObject> object);

// Region helpers: the type of a region (NULLREGION, SIMPLEREGION...).
int region_kind(const cairo_region_t* region);

}  // namespace helm::gdi
