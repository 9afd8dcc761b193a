// Font figures for dialog units, and the fonts dialogs are drawn with: a
// real font per face and size, measured by the drawing layer as Windows
// measures it (96 DPI).

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "helm/gdi/text.h"
#include "helm/gdi/wingdi.h"
#include "window_table.h"

namespace helm::user {

namespace {

constexpr int screen_dpi = 96;
constexpr LONG system_font_cx = 8;
constexpr LONG system_font_cy = 16;
// Sizes a template may name without being absurd; others are clamped.
constexpr int min_points = 1;
constexpr int max_points = 72;

struct FontEntry {
    std::string face;
    int points;
    HFONT handle;
};

std::mutex g_fonts_mutex;
std::vector<FontEntry> g_fonts;

}  // namespace

SIZE dialog_base_units(const char* face, int points)
{
    if (!face)
        return {system_font_cx, system_font_cy};
    if (points < min_points)
        points = min_points;
    if (points > max_points)
        points = max_points;
    SIZE units = helm::gdi::dialog_base_units(dialog_font(face, points));
    if (units.cx <= 0 || units.cy <= 0)
        return {system_font_cx, system_font_cy};
    return units;
}

HFONT dialog_font(const char* face, int points)
{
    const std::string name = face ? face : "";
    std::lock_guard lock(g_fonts_mutex);
    for (const FontEntry& f : g_fonts)
        if (f.points == points && equal_ascii_nocase(f.face, name))
            return f.handle;
    // The em in pixels, rounded as MulDiv rounds.
    const int em = (std::clamp(points, min_points, max_points) * screen_dpi + 36) / 72;
    HFONT handle = CreateFont(-em, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, name.c_str());
    g_fonts.push_back({name, points, handle});
    return handle;
}

bool dialog_font_description(HFONT font, char* face, size_t face_size, int* points)
{
    std::lock_guard lock(g_fonts_mutex);
    for (const FontEntry& f : g_fonts) {
        if (f.handle != font)
            continue;
        if (face && face_size) {
            size_t n = std::min(f.face.size(), face_size - 1);
            std::memcpy(face, f.face.data(), n);
            face[n] = '\0';
        }
        if (points)
            *points = f.points;
        return true;
    }
    return false;
}

}  // namespace helm::user

LONG GetDialogBaseUnits()
{
    SIZE units = helm::user::dialog_base_units(nullptr, 0);
    return MAKELONG(units.cx, units.cy);
}
