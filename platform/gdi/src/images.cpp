// Decoders for pictures held in memory: PNG (through Cairo), BMP files,
// bare DIBs and icons. Every offset and size read from the bytes is checked
// against the bytes given before it is used.
#include "helm/gdi/images.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "dib.h"
#include "objects.h"

namespace helm::gdi {
namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct ByteReader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

cairo_status_t read_bytes(void* closure, unsigned char* out, unsigned int length)
{
    auto* reader = static_cast<ByteReader*>(closure);
    if (length > reader->size - reader->at)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->at, length);
    reader->at += length;
    return CAIRO_STATUS_SUCCESS;
}

bool is_png(const uint8_t* data, size_t size)
{
    return size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0;
}

std::shared_ptr<Surface> decode_png(const uint8_t* data, size_t size)
{
    ByteReader reader{data, size};
    cairo_surface_t* image = cairo_image_surface_create_from_png_stream(read_bytes, &reader);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return nullptr;
    }
    int width = cairo_image_surface_get_width(image);
    int height = cairo_image_surface_get_height(image);
    auto surface = Surface::create(width, height);
    if (surface) {
        cairo_t* cr = cairo_create(surface->cairo());
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    cairo_surface_destroy(image);
    return surface;
}

uint16_t u16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t u32(const uint8_t* p)
{
    return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// A DIB laid out as in a bitmap resource: header, colour table, then the
// pixels at `bits_offset` from the header (0: right after the table).
// `icon` halves the height and applies the AND mask that follows.
std::shared_ptr<Surface> decode_dib(const uint8_t* data, size_t size, size_t bits_offset, bool icon,
                                    std::vector<uint8_t>* keep_bits, int* depth)
{
    if (size < sizeof(BITMAPINFOHEADER))
        return nullptr;
    BITMAPINFOHEADER header;
    std::memcpy(&header, data, sizeof header);
    if (icon) {
        if (header.biHeight <= 0 || header.biHeight % 2 != 0)
            return nullptr;
        header.biHeight /= 2;
    }
    // The header is read from an aligned copy; masks after it from the bytes.
    size_t wanted = std::max<size_t>(sizeof header, std::min<size_t>(size, size_t{header.biSize} + 12));
    std::vector<uint8_t> aligned(data, data + wanted);
    std::memcpy(aligned.data(), &header, sizeof header);
    DibLayout layout;
    if (header.biSize > size || !read_dib_layout(*reinterpret_cast<const BITMAPINFOHEADER*>(aligned.data()),
                                                 aligned.size(), layout))
        return nullptr;
    size_t table_bytes = layout.colour_count * sizeof(RGBQUAD);
    if (layout.header_size > size || table_bytes > size - layout.header_size)
        return nullptr;
    size_t start = bits_offset ? bits_offset : layout.header_size + table_bytes;
    if (start > size || layout.image_size > size - start)
        return nullptr;
    std::vector<RGBQUAD> table(layout.colour_count);
    if (table_bytes)
        std::memcpy(table.data(), data + layout.header_size, table_bytes);
    auto surface = Surface::create(layout.width, layout.height);
    if (!surface)
        return nullptr;
    dib_to_surface(layout, table.empty() ? nullptr : table.data(), data + start, *surface, 0, layout.height, icon);
    if (keep_bits)
        keep_bits->assign(data + start, data + start + layout.image_size);
    if (depth)
        *depth = layout.bits;
    if (!icon)
        return surface;

    // The AND mask: one bit per pixel, 1 where the icon is transparent. A
    // 32-bit image carries its own alpha and its mask is not needed.
    size_t mask_stride = ((static_cast<size_t>(layout.width) + 31) / 32) * 4;
    size_t mask_start = start + layout.image_size;
    bool has_mask = mask_start <= size && mask_stride * layout.height <= size - mask_start;
    if (layout.bits == 32 || !has_mask)
        return surface;
    cairo_surface_flush(surface->cairo());
    for (int scan = 0; scan < layout.height; ++scan) {
        const uint8_t* mask = data + mask_start + mask_stride * scan;
        uint32_t* row = surface->row(layout.bottom_up ? layout.height - 1 - scan : scan);
        for (int x = 0; x < layout.width; ++x)
            if ((mask[x / 8] >> (7 - x % 8)) & 1)
                row[x] = 0;
    }
    surface->mark_dirty();
    return surface;
}

std::shared_ptr<Surface> decode_bmp_file(const uint8_t* data, size_t size, std::vector<uint8_t>* keep, int* depth)
{
    if (size < 14 + sizeof(BITMAPINFOHEADER) || data[0] != 'B' || data[1] != 'M')
        return nullptr;
    uint32_t offset = u32(data + 10);
    if (offset < 14 || offset > size)
        return nullptr;
    return decode_dib(data + 14, size - 14, offset - 14, false, keep, depth);
}

// The image of an icon: PNG or a DIB with its mask.
std::shared_ptr<Surface> decode_icon_image(const uint8_t* data, size_t size)
{
    if (is_png(data, size))
        return decode_png(data, size);
    return decode_dib(data, size, 0, true, nullptr, nullptr);
}

std::shared_ptr<Surface> decode_ico(const uint8_t* data, size_t size, int want_width, int want_height)
{
    if (size < 6 || u16(data) != 0 || (u16(data + 2) != 1 && u16(data + 2) != 2))
        return nullptr;
    size_t count = u16(data + 4);
    if (count == 0 || count > (size - 6) / 16)
        return nullptr;
    size_t best = count;
    long best_score = std::numeric_limits<long>::max();
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + 6 + 16 * i;
        int width = entry[0] ? entry[0] : 256;
        int height = entry[1] ? entry[1] : 256;
        int bits = u16(entry + 6);
        long score;
        if (want_width <= 0 && want_height <= 0)
            score = -(long(width) * height * 64 + bits);  // the largest, then the deepest
        else
            score = (std::labs(long(width) - want_width) + std::labs(long(height) - want_height)) * 64 - bits;
        if (score < best_score) {
            best_score = score;
            best = i;
        }
    }
    const uint8_t* entry = data + 6 + 16 * best;
    uint32_t length = u32(entry + 8);
    uint32_t offset = u32(entry + 12);
    if (offset > size || length > size - offset)
        return nullptr;
    return decode_icon_image(data + offset, length);
}

}  // namespace

std::shared_ptr<Surface> decode_image(const void* bytes, size_t size)
{
    const auto* data = static_cast<const uint8_t*>(bytes);
    if (!data || size == 0)
        return nullptr;
    if (is_png(data, size))
        return decode_png(data, size);
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return decode_bmp_file(data, size, nullptr, nullptr);
    return decode_dib(data, size, 0, false, nullptr, nullptr);
}

HBITMAP bitmap_from_bytes(const void* bytes, size_t size)
{
    const auto* data = static_cast<const uint8_t*>(bytes);
    if (!data || size == 0)
        return nullptr;
    auto bitmap = std::make_shared<Bitmap>();
    int depth = 32;
    if (is_png(data, size))
        bitmap->surface = decode_png(data, size);
    else if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        bitmap->surface = decode_bmp_file(data, size, &bitmap->dib_bits, &depth);
    else
        bitmap->surface = decode_dib(data, size, 0, false, &bitmap->dib_bits, &depth);
    if (!bitmap->surface)
        return nullptr;
    bitmap->bits_pixel = depth;
    // Only 24 and 32-bit rows can be handed out as they are stored.
    if (depth != 24 && depth != 32)
        bitmap->dib_bits.clear();
    return static_cast<HBITMAP>(add_object(bitmap));
}

HICON icon_from_surface(const Surface& pixels)
{
    auto icon = std::make_shared<Icon>();
    icon->pixels = Surface::create(pixels.width(), pixels.height());
    if (!icon->pixels)
        return nullptr;
    cairo_t* cr = cairo_create(icon->pixels->cairo());
    cairo_set_source_surface(cr, pixels.cairo(), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    icon->hotspot_x = static_cast<DWORD>(pixels.width() / 2);
    icon->hotspot_y = static_cast<DWORD>(pixels.height() / 2);
    return static_cast<HICON>(add_object(icon));
}

HICON icon_from_bytes(const void* bytes, size_t size, int width, int height)
{
    const auto* data = static_cast<const uint8_t*>(bytes);
    if (!data || size < 6)
        return nullptr;
    std::shared_ptr<Surface> pixels;
    if (u16(data) == 0 && (u16(data + 2) == 1 || u16(data + 2) == 2))
        pixels = decode_ico(data, size, width, height);
    else
        pixels = decode_icon_image(data, size);
    return pixels ? icon_from_surface(*pixels) : nullptr;
}

}  // namespace helm::gdi
