#include "font_face.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

#include "helm/gdi/text.h"

namespace helm::gdi {
namespace {

// Pango's font maps and contexts are not shared between threads, so each
// thread that draws text has its own pair: one with grey anti-aliasing (the
// default look) and one without, for fonts that ask for none.
struct ThreadText {
    PangoFontMap* map = nullptr;
    PangoContext* smooth = nullptr;
    PangoContext* sharp = nullptr;

    ThreadText()
    {
        map = pango_cairo_font_map_new();
        pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(map), 96.0);
        smooth = make(CAIRO_ANTIALIAS_GRAY);
        sharp = make(CAIRO_ANTIALIAS_NONE);
    }
    ~ThreadText()
    {
        g_object_unref(smooth);
        g_object_unref(sharp);
        g_object_unref(map);
    }

    PangoContext* make(cairo_antialias_t antialias)
    {
        PangoContext* context = pango_font_map_create_context(map);
        cairo_font_options_t* options = cairo_font_options_create();
        // Whole-pixel advances, as GDI lays text out: extents then agree
        // with what is drawn, and with the widths the suite was laid out for.
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_antialias(options, antialias);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
        pango_context_set_round_glyph_positions(context, TRUE);
        return context;
    }
};

ThreadText& thread_text()
{
    thread_local ThreadText text;
    return text;
}

constexpr int kMaxPixelSize = 2000;
constexpr int kDefaultPixelSize = 12;

// Letter frequencies per thousand (space included) that the classic average
// character width is weighted by; a metric-compatible face then gives the
// same average as the font it stands for.
struct Weight {
    char c;
    int weight;
};
constexpr Weight kAverageWeights[] = {
    {'a', 64}, {'b', 14}, {'c', 27}, {'d', 35}, {'e', 100}, {'f', 20}, {'g', 14}, {'h', 42}, {'i', 63},
    {'j', 3},  {'k', 6},  {'l', 35}, {'m', 20}, {'n', 56},  {'o', 56}, {'p', 17}, {'q', 4},  {'r', 49},
    {'s', 56}, {'t', 71}, {'u', 31}, {'v', 10}, {'w', 18},  {'x', 3},  {'y', 18}, {'z', 2},  {' ', 166},
};

int pango_width(PangoLayout* layout)
{
    int width = 0;
    int height = 0;
    pango_layout_get_size(layout, &width, &height);
    return width;
}

}  // namespace

// Faces already made, by what they were made from: fonts are made often
// (GDI+ callers make theirs every frame) and measuring a face takes time.
std::shared_ptr<FontFace> FontFace::create(const LOGFONT& logfont, double em_pixels)
{
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<FontFace>> made;
    LOGFONT normal = logfont;
    normal.lfFaceName[LF_FACESIZE - 1] = 0;
    size_t face_length = std::strlen(normal.lfFaceName);
    std::memset(normal.lfFaceName + face_length, 0, LF_FACESIZE - face_length);
    std::string key(reinterpret_cast<const char*>(&normal), sizeof normal);
    key.append(reinterpret_cast<const char*>(&em_pixels), sizeof em_pixels);
    std::lock_guard lock(mutex);
    auto found = made.find(key);
    if (found != made.end()) {
        if (auto face = found->second.lock())
            return face;
    }
    auto face = make(normal, em_pixels);
    made[key] = face;
    if (made.size() > 256) {
        for (auto it = made.begin(); it != made.end();)
            it = it->second.expired() ? made.erase(it) : std::next(it);
    }
    return face;
}

std::shared_ptr<FontFace> FontFace::make(const LOGFONT& logfont, double em_pixels)
{
    std::shared_ptr<FontFace> face(new FontFace);
    face->m_logfont = logfont;
    face->m_logfont.lfFaceName[LF_FACESIZE - 1] = 0;
    face->m_family = family_for_face(face->m_logfont.lfFaceName);
    face->m_antialias = logfont.lfQuality != NONANTIALIASED_QUALITY;

    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, face->m_family.c_str());
    int weight = logfont.lfWeight <= 0 ? FW_NORMAL : std::min<LONG>(logfont.lfWeight, 1000);
    pango_font_description_set_weight(description, static_cast<PangoWeight>(std::max(weight, 100)));
    pango_font_description_set_style(description, logfont.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    face->m_description = description;

    PangoContext* context = face->m_antialias ? thread_text().smooth : thread_text().sharp;
    auto metrics_at = [&](int size, int& ascent, int& descent) {
        pango_font_description_set_absolute_size(description, size * PANGO_SCALE);
        PangoFontMetrics* metrics = pango_context_get_metrics(context, description, nullptr);
        ascent = pango_font_metrics_get_ascent(metrics);
        descent = pango_font_metrics_get_descent(metrics);
        pango_font_metrics_unref(metrics);
    };

    // A negative height is the em size, a positive one the whole cell
    // (ascent + descent), as Windows reads LOGFONT heights.
    int size = kDefaultPixelSize;
    if (logfont.lfHeight < 0) {
        size = logfont.lfHeight < -kMaxPixelSize ? kMaxPixelSize : -logfont.lfHeight;
    } else if (logfont.lfHeight > 0) {
        int cell = std::min<LONG>(logfont.lfHeight, kMaxPixelSize);
        int ascent = 0;
        int descent = 0;
        metrics_at(1000, ascent, descent);
        double ratio = (ascent + descent) / double(1000 * PANGO_SCALE);
        size = ratio > 0 ? static_cast<int>(std::lround(cell / ratio)) : cell;
    }
    if (em_pixels > 0)
        size = static_cast<int>(std::lround(std::min<double>(em_pixels, kMaxPixelSize)));
    size = std::clamp(size, 1, kMaxPixelSize);
    face->m_pixel_size = size;
    int ascent = 0;
    int descent = 0;
    metrics_at(size, ascent, descent);
    if (em_pixels > 0) {
        double em = std::clamp(em_pixels, 1.0, double(kMaxPixelSize));
        pango_font_description_set_absolute_size(description, em * PANGO_SCALE);
        PangoFontMetrics* metrics = pango_context_get_metrics(context, description, nullptr);
        ascent = pango_font_metrics_get_ascent(metrics);
        descent = pango_font_metrics_get_descent(metrics);
        pango_font_metrics_unref(metrics);
    }
    face->m_ascent = PANGO_PIXELS_CEIL(ascent);
    face->m_descent = PANGO_PIXELS_CEIL(descent);

    // Average and widest character, from the face's own advances.
    long weighted = 0;
    int widest = 0;
    for (const Weight& w : kAverageWeights)
        weighted += static_cast<long>(face->width(std::string_view(&w.c, 1))) * w.weight;
    for (char c = 'A'; c <= 'Z'; ++c)
        widest = std::max(widest, face->width(std::string_view(&c, 1)));
    face->m_average_width = static_cast<int>((weighted + 500) / 1000);
    face->m_max_width = widest;

    face->m_fixed_pitch = face->width("i") == face->width("W");
    return face;
}

FontFace::~FontFace()
{
    if (m_description)
        pango_font_description_free(m_description);
}

PangoLayout* FontFace::layout(std::string_view utf8, int underline_start, int underline_end, bool antialias) const
{
    PangoContext* context = antialias ? thread_text().smooth : thread_text().sharp;
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, m_description);
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));

    PangoAttrList* attributes = pango_attr_list_new();
    if (m_logfont.lfUnderline)
        pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (m_logfont.lfStrikeOut)
        pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
    if (underline_start >= 0 && underline_end > underline_start) {
        PangoAttribute* mnemonic = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        mnemonic->start_index = static_cast<guint>(underline_start);
        mnemonic->end_index = static_cast<guint>(underline_end);
        pango_attr_list_insert(attributes, mnemonic);
    }
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
    return layout;
}

int FontFace::width(std::string_view text) const
{
    return text.empty() ? 0 : width_utf8(utf8_from_1252(text));
}

int FontFace::width_utf8(std::string_view utf8) const
{
    if (utf8.empty())
        return 0;
    PangoLayout* line = layout(utf8, -1, -1, m_antialias);
    int width = PANGO_PIXELS(pango_width(line));
    g_object_unref(line);
    return width;
}

static void show(cairo_t* cr, PangoLayout* line, double x, double y, int ascent)
{
    double baseline = pango_layout_get_baseline(line) / double(PANGO_SCALE);
    cairo_move_to(cr, x, y + ascent - baseline);
    pango_cairo_show_layout(cr, line);
    g_object_unref(line);
}

void FontFace::draw(cairo_t* cr, double x, double y, std::string_view text, int underline_at) const
{
    if (text.empty())
        return;
    int start = -1;
    int end = -1;
    if (underline_at >= 0 && static_cast<size_t>(underline_at) < text.size()) {
        start = static_cast<int>(utf8_from_1252(text.substr(0, underline_at)).size());
        end = start + static_cast<int>(utf8_from_1252(text.substr(underline_at, 1)).size());
    }
    show(cr, layout(utf8_from_1252(text), start, end, m_antialias), x, y, m_ascent);
}

void FontFace::draw_utf8(cairo_t* cr, double x, double y, std::string_view utf8, int antialias) const
{
    if (utf8.empty())
        return;
    show(cr, layout(utf8, -1, -1, antialias < 0 ? m_antialias : antialias != 0), x, y, m_ascent);
}

void FontFace::fill_metrics(TEXTMETRIC& metrics) const
{
    metrics = TEXTMETRIC{};
    metrics.tmHeight = height();
    metrics.tmAscent = m_ascent;
    metrics.tmDescent = m_descent;
    metrics.tmInternalLeading = std::max(0, height() - m_pixel_size);
    metrics.tmExternalLeading = 0;
    metrics.tmAveCharWidth = m_average_width;
    metrics.tmMaxCharWidth = m_max_width;
    metrics.tmWeight = m_logfont.lfWeight <= 0 ? FW_NORMAL : m_logfont.lfWeight;
    metrics.tmDigitizedAspectX = 96;
    metrics.tmDigitizedAspectY = 96;
    metrics.tmFirstChar = 0x20;
    metrics.tmLastChar = 0xFF;
    metrics.tmDefaultChar = 0x1F;
    metrics.tmBreakChar = 0x20;
    metrics.tmItalic = m_logfont.lfItalic ? 1 : 0;
    metrics.tmUnderlined = m_logfont.lfUnderline ? 1 : 0;
    metrics.tmStruckOut = m_logfont.lfStrikeOut ? 1 : 0;
    // The pitch bit is set for variable pitch fonts, as Windows has it.
    metrics.tmPitchAndFamily = static_cast<BYTE>((m_fixed_pitch ? 0 : TMPF_FIXED_PITCH) | TMPF_TRUETYPE |
                                                 (m_fixed_pitch ? FF_MODERN : FF_SWISS));
    metrics.tmCharSet = m_logfont.lfCharSet;
}

}  // namespace helm::gdi
