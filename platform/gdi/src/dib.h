// Device-independent bitmaps: the layout a BITMAPINFOHEADER describes, and
// the conversions between DIB rows and 32-bit surfaces. Used by the DIB
// calls and by the BMP and ICO decoders, which check every size first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "helm/gdi/surface.h"
#include "helm/gdi/wingdi.h"

namespace helm::gdi {

struct DibLayout {
    int width = 0;
    int height = 0;  // always positive
    bool bottom_up = true;
    int bits = 0;
    DWORD compression = BI_RGB;
    size_t stride = 0;
    size_t image_size = 0;      // stride * height
    size_t colour_count = 0;    // entries in the colour table
    size_t header_size = 0;     // header plus masks, where the colour table starts
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue for 16 and 32 bits
};

// Reads and checks a header of 40 bytes or more (`available` bytes from
// `header`, so the masks of BI_BITFIELDS are read only when present);
// false for layouts this layer does not draw (RLE, planes other than 1,
// sizes beyond 16384).
bool read_dib_layout(const BITMAPINFOHEADER& header, size_t available, DibLayout& layout);

// Writes DIB scan lines [first, first + lines) (counted from the bottom of
// a bottom-up DIB, as Windows counts them) into `out`, which has the DIB's
// size. `bits` holds those lines only. `use_alpha` keeps 32-bit alpha
// (premultiplied); otherwise pixels are opaque.
void dib_to_surface(const DibLayout& layout, const RGBQUAD* colours, const uint8_t* bits, Surface& out,
                    int first, int lines, bool use_alpha);
// The other way, into 24- or 32-bit rows (alpha written as stored).
void surface_to_dib(const Surface& in, const DibLayout& layout, uint8_t* bits, int first, int lines);

// Premultiplies and un-premultiplies one 0xAARRGGBB pixel.
uint32_t premultiply(uint32_t argb);
uint32_t unpremultiply(uint32_t argb);

}  // namespace helm::gdi
