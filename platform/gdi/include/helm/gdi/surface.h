// The pixels every device context draws into: a 32-bit image surface
// (Cairo's ARGB32, premultiplied, one uint32_t per pixel). The window layer
// keeps one per top-level window and gives each window a DC onto it with
// make_surface_dc; tests read pixels back and save PNGs.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "helm/kernel/types.h"

namespace helm::gdi {

class Surface {
public:
    // A surface of width x height pixels, all transparent black; null when
    // a size is not positive or too large (more than 16384 on a side).
    static std::shared_ptr<Surface> create(int width, int height);
    // Takes over a Cairo image surface of format ARGB32.
    explicit Surface(cairo_surface_t* surface);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int width() const { return m_width; }
    int height() const { return m_height; }
    cairo_surface_t* cairo() const { return m_surface; }

    // The pixel at (x, y) as 0xAARRGGBB (premultiplied, as stored); 0 outside.
    uint32_t pixel(int x, int y) const;
    void set_pixel(int x, int y, uint32_t argb);
    // The pixel as a COLORREF (alpha dropped).
    COLORREF colour(int x, int y) const;
    void fill(uint32_t argb);

    // Row access for code that works on pixels directly; call mark_dirty
    // after writing so Cairo drops anything it cached.
    uint32_t* row(int y);
    const uint32_t* row(int y) const;
    void mark_dirty();

    bool save_png(const std::string& path) const;
    std::vector<uint8_t> png() const;

private:
    cairo_surface_t* m_surface = nullptr;
    int m_width = 0;
    int m_height = 0;
};

// A device context drawing onto `surface`: logical (0, 0) is the surface's
// pixel `origin`, and nothing is drawn outside `clip` (in surface pixels).
// Released with DeleteDC. The window layer's GetDC/BeginPaint use this.
HDC make_surface_dc(std::shared_ptr<Surface> surface, POINT origin, RECT clip);
// Moves an existing surface DC (the window moved or its update region changed).
BOOL set_surface_dc_area(HDC dc, POINT origin, RECT clip);
// The surface a DC draws into (a memory DC's selected bitmap), or null.
std::shared_ptr<Surface> dc_surface(HDC dc);
// The pixels of a bitmap, or null.
std::shared_ptr<Surface> bitmap_surface(HBITMAP bitmap);

// Colour helpers: a COLORREF as an opaque 0xAARRGGBB and back.
inline uint32_t argb_of(COLORREF colour)
{
    return 0xFF000000u | (static_cast<uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}
inline COLORREF colorref_of(uint32_t argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

}  // namespace helm::gdi
