#include "dib.h"

#include <algorithm>
#include <cstring>

namespace helm::gdi {
namespace {

constexpr int kMaxSide = 16384;

int shift_of(uint32_t mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

// A masked field scaled to 0..255.
uint8_t field(uint32_t value, uint32_t mask)
{
    if (!mask)
        return 0;
    int shift = shift_of(mask);
    uint32_t max = mask >> shift;
    return static_cast<uint8_t>(((value & mask) >> shift) * 255u / max);
}

}  // namespace

uint32_t premultiply(uint32_t argb)
{
    uint32_t a = argb >> 24;
    if (a == 255)
        return argb;
    auto scale = [a](uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (scale((argb >> 16) & 0xFF) << 16) | (scale((argb >> 8) & 0xFF) << 8) | scale(argb & 0xFF);
}

uint32_t unpremultiply(uint32_t argb)
{
    uint32_t a = argb >> 24;
    if (a == 255 || a == 0)
        return a == 0 ? 0 : argb;
    auto scale = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
    return (a << 24) | (scale((argb >> 16) & 0xFF) << 16) | (scale((argb >> 8) & 0xFF) << 8) | scale(argb & 0xFF);
}

bool read_dib_layout(const BITMAPINFOHEADER& header, size_t available, DibLayout& layout)
{
    if (available < sizeof(BITMAPINFOHEADER) || header.biSize < sizeof(BITMAPINFOHEADER) ||
        header.biSize > available || header.biPlanes != 1)
        return false;
    layout = DibLayout{};
    layout.width = header.biWidth;
    layout.bottom_up = header.biHeight > 0;
    if (header.biHeight == INT32_MIN)
        return false;
    layout.height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (layout.width <= 0 || layout.height <= 0 || layout.width > kMaxSide || layout.height > kMaxSide)
        return false;
    layout.bits = header.biBitCount;
    layout.compression = header.biCompression;
    switch (layout.bits) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (layout.compression != BI_RGB)
            return false;
        break;
    case 16:
    case 32:
        if (layout.compression != BI_RGB && layout.compression != BI_BITFIELDS)
            return false;
        break;
    default: return false;
    }
    layout.stride = ((static_cast<size_t>(layout.width) * layout.bits + 31) / 32) * 4;
    layout.image_size = layout.stride * layout.height;
    layout.header_size = header.biSize;
    if (layout.compression == BI_BITFIELDS) {
        if (header.biSize == sizeof(BITMAPINFOHEADER)) {
            if (available < header.biSize + 12)
                return false;
            std::memcpy(layout.masks, reinterpret_cast<const uint8_t*>(&header) + header.biSize, 12);
            layout.header_size += 12;
        } else {
            // Later headers carry the masks inside themselves.
            if (header.biSize < 52)
                return false;
            std::memcpy(layout.masks, reinterpret_cast<const uint8_t*>(&header) + 40, 12);
        }
    } else if (layout.bits == 16) {
        layout.masks[0] = 0x7C00;
        layout.masks[1] = 0x03E0;
        layout.masks[2] = 0x001F;
    } else if (layout.bits == 32) {
        layout.masks[0] = 0x00FF0000;
        layout.masks[1] = 0x0000FF00;
        layout.masks[2] = 0x000000FF;
    }
    if (layout.bits <= 8) {
        size_t most = size_t{1} << layout.bits;
        layout.colour_count = header.biClrUsed == 0 || header.biClrUsed > most ? most : header.biClrUsed;
    } else {
        layout.colour_count = header.biClrUsed > 256 ? 0 : header.biClrUsed;
    }
    return true;
}

void dib_to_surface(const DibLayout& layout, const RGBQUAD* colours, const uint8_t* bits, Surface& out, int first,
                    int lines, bool use_alpha)
{
    cairo_surface_flush(out.cairo());
    bool any_alpha = false;
    for (int line = 0; line < lines; ++line) {
        int scan = first + line;
        if (scan < 0 || scan >= layout.height)
            continue;
        int y = layout.bottom_up ? layout.height - 1 - scan : scan;
        const uint8_t* src = bits + static_cast<size_t>(line) * layout.stride;
        uint32_t* dst = out.row(y);
        for (int x = 0; x < layout.width; ++x) {
            uint32_t argb = 0xFF000000u;
            auto from_table = [&](size_t index) {
                if (colours && index < layout.colour_count) {
                    const RGBQUAD& q = colours[index];
                    return 0xFF000000u | (uint32_t(q.rgbRed) << 16) | (uint32_t(q.rgbGreen) << 8) | q.rgbBlue;
                }
                return 0xFF000000u;
            };
            switch (layout.bits) {
            case 1: argb = from_table((src[x / 8] >> (7 - x % 8)) & 1); break;
            case 4: argb = from_table((src[x / 2] >> (x % 2 ? 0 : 4)) & 0xF); break;
            case 8: argb = from_table(src[x]); break;
            case 16: {
                uint32_t v = src[2 * x] | (uint32_t(src[2 * x + 1]) << 8);
                argb = 0xFF000000u | (uint32_t(field(v, layout.masks[0])) << 16) |
                       (uint32_t(field(v, layout.masks[1])) << 8) | field(v, layout.masks[2]);
                break;
            }
            case 24:
                argb = 0xFF000000u | (uint32_t(src[3 * x + 2]) << 16) | (uint32_t(src[3 * x + 1]) << 8) | src[3 * x];
                break;
            case 32: {
                uint32_t v;
                std::memcpy(&v, src + 4 * x, 4);
                if (layout.compression == BI_BITFIELDS)
                    argb = 0xFF000000u | (uint32_t(field(v, layout.masks[0])) << 16) |
                           (uint32_t(field(v, layout.masks[1])) << 8) | field(v, layout.masks[2]);
                else
                    argb = use_alpha ? v : (v | 0xFF000000u);
                if (use_alpha && (v >> 24) != 0)
                    any_alpha = true;
                break;
            }
            default: break;
            }
            dst[x] = argb;
        }
    }
    if (use_alpha && layout.bits == 32 && layout.compression == BI_RGB) {
        // A 32-bit picture whose alpha is all zero was meant opaque.
        for (int line = 0; line < lines; ++line) {
            int scan = first + line;
            if (scan < 0 || scan >= layout.height)
                continue;
            uint32_t* dst = out.row(layout.bottom_up ? layout.height - 1 - scan : scan);
            for (int x = 0; x < layout.width; ++x)
                dst[x] = any_alpha ? premultiply(dst[x]) : (dst[x] | 0xFF000000u);
        }
    }
    out.mark_dirty();
}

void surface_to_dib(const Surface& in, const DibLayout& layout, uint8_t* bits, int first, int lines)
{
    cairo_surface_flush(in.cairo());
    for (int line = 0; line < lines; ++line) {
        int scan = first + line;
        if (scan < 0 || scan >= layout.height)
            continue;
        int y = layout.bottom_up ? layout.height - 1 - scan : scan;
        uint8_t* dst = bits + static_cast<size_t>(line) * layout.stride;
        std::memset(dst, 0, layout.stride);
        if (y >= in.height())
            continue;
        const uint32_t* src = in.row(y);
        for (int x = 0; x < layout.width && x < in.width(); ++x) {
            uint32_t argb = unpremultiply(src[x]);
            if (layout.bits == 24) {
                dst[3 * x] = argb & 0xFF;
                dst[3 * x + 1] = (argb >> 8) & 0xFF;
                dst[3 * x + 2] = (argb >> 16) & 0xFF;
            } else {
                std::memcpy(dst + 4 * x, &argb, 4);
            }
        }
    }
}

}  // namespace helm::gdi
