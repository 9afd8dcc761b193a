#include "helm/gdi/surface.h"

namespace helm::gdi {
namespace {

constexpr int kMaxSide = 16384;

cairo_status_t append_bytes(void* closure, const unsigned char* data, unsigned int length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::shared_ptr<Surface> Surface::create(int width, int height)
{
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::make_shared<Surface>(surface);
}

Surface::Surface(cairo_surface_t* surface)
    : m_surface(surface),
      m_width(cairo_image_surface_get_width(surface)),
      m_height(cairo_image_surface_get_height(surface))
{
}

Surface::~Surface()
{
    cairo_surface_destroy(m_surface);
}

uint32_t* Surface::row(int y)
{
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(m_surface) +
                                       static_cast<size_t>(y) * cairo_image_surface_get_stride(m_surface));
}

const uint32_t* Surface::row(int y) const
{
    return const_cast<Surface*>(this)->row(y);
}

uint32_t Surface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    cairo_surface_flush(m_surface);
    return row(y)[x];
}

void Surface::set_pixel(int x, int y, uint32_t argb)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    cairo_surface_flush(m_surface);
    row(y)[x] = argb;
    mark_dirty();
}

COLORREF Surface::colour(int x, int y) const
{
    return colorref_of(pixel(x, y));
}

void Surface::fill(uint32_t argb)
{
    cairo_surface_flush(m_surface);
    for (int y = 0; y < m_height; ++y) {
        uint32_t* r = row(y);
        for (int x = 0; x < m_width; ++x)
            r[x] = argb;
    }
    mark_dirty();
}

void Surface::mark_dirty()
{
    cairo_surface_mark_dirty(m_surface);
}

bool Surface::save_png(const std::string& path) const
{
    return cairo_surface_write_to_png(m_surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

std::vector<uint8_t> Surface::png() const
{
    std::vector<uint8_t> out;
    if (cairo_surface_write_to_png_stream(m_surface, append_bytes, &out) != CAIRO_STATUS_SUCCESS)
        out.clear();
    return out;
}

}  // namespace helm::gdi
