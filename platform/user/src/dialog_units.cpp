// Font figures for dialog units, and the handles that name dialog fonts.
// Until the drawing layer measures real fonts, every face has the figures
// of the classic 8-point dialog font at 96 DPI, scaled by the point size.

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "helm/station/handles.h"
#include "window_table.h"

namespace helm::user {

namespace {

constexpr LONG dialog_font_cx = 6;   // average character width at 8 points
constexpr LONG dialog_font_cy = 13;  // character height at 8 points
constexpr int reference_points = 8;
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

LONG scale(LONG value, int points)
{
    return (value * points + reference_points / 2) / reference_points;
}

}  // namespace

SIZE dialog_base_units(const char* face, int points)
{
    if (!face)
        return {system_font_cx, system_font_cy};
    if (points < min_points)
        points = min_points;
    if (points > max_points)
        points = max_points;
    return {scale(dialog_font_cx, points), scale(dialog_font_cy, points)};
}

HFONT dialog_font(const char* face, int points)
{
    const std::string name = face ? face : "";
    std::lock_guard lock(g_fonts_mutex);
    for (const FontEntry& f : g_fonts)
        if (f.points == points && equal_ascii_nocase(f.face, name))
            return f.handle;
    auto value = helm::station::allocate_handle();
    HFONT handle = reinterpret_cast<HFONT>(static_cast<uintptr_t>(value));
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
