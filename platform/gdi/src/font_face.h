// A LOGFONT made concrete: the installed family it maps to, its Pango
// description and the metrics Windows would report for it. Text is
// measured and drawn one line at a time; the callers lay lines out.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <memory>
#include <string>
#include <string_view>

#include "helm/gdi/wingdi.h"

namespace helm::gdi {

class FontFace {
public:
    // `em_pixels`, when positive, gives a fractional em size in place of
    // lfHeight (GDI+ fonts).
    static std::shared_ptr<FontFace> create(const LOGFONT& logfont, double em_pixels = 0);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // Width in pixels of one line of Windows-1252 text.
    int width(std::string_view text) const;
    // Draws one line with its top-left at (x, y) in the cairo_t's user space,
    // in the current source; `underline_at` is the byte index of a mnemonic
    // character to underline, or -1.
    void draw(cairo_t* cr, double x, double y, std::string_view text, int underline_at = -1) const;

    // The same for UTF-8 text (GDI+ strings); `antialias` picks the
    // smoothing for this call, -1 keeping the font's own.
    int width_utf8(std::string_view utf8) const;
    void draw_utf8(cairo_t* cr, double x, double y, std::string_view utf8, int antialias = -1) const;

    void fill_metrics(TEXTMETRIC& metrics) const;

    const std::string& family() const { return m_family; }
    int height() const { return m_ascent + m_descent; }
    int ascent() const { return m_ascent; }
    int descent() const { return m_descent; }
    int average_width() const { return m_average_width; }
    int pixel_size() const { return m_pixel_size; }

private:
    FontFace() = default;
    static std::shared_ptr<FontFace> make(const LOGFONT& logfont, double em_pixels);
    // A one-line layout of UTF-8 text; `underline` is a byte range or {-1, -1}.
    PangoLayout* layout(std::string_view utf8, int underline_start, int underline_end, bool antialias) const;

    LOGFONT m_logfont{};
    std::string m_family;
    PangoFontDescription* m_description = nullptr;
    bool m_antialias = true;
    int m_pixel_size = 0;  // the em size
    int m_ascent = 0;
    int m_descent = 0;
    int m_average_width = 0;
    int m_max_width = 0;
    bool m_fixed_pitch = false;
};

}  // namespace helm::gdi
