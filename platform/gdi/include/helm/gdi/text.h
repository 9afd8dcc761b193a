// Text helpers beyond the Windows calls: the dialog manager's base units,
// the face a Windows font name is drawn with, and the one conversion from
// the system's Windows-1252 text to the UTF-8 that Pango and the desktop
// take, and back.
#pragma once

#include <string>
#include <string_view>

#include "helm/kernel/types.h"

namespace helm::gdi {

// The dialog base units of a font as Windows computes them: cx is the
// average width of "A".."Z" "a".."z" rounded ((width / 26 + 1) / 2), cy the
// font's height (tmHeight). {0, 0} for a handle that is not a font.
SIZE dialog_base_units(HFONT font);
// The installed family a face name is drawn with ("MS Shell Dlg" -> the sans
// face with Arial's metrics, "Courier New" -> the mono face...).
std::string family_for_face(std::string_view face);
// Windows-1252 bytes as UTF-8 (the five unassigned bytes keep their C1 code
// points, as Windows maps them).
std::string utf8_from_1252(std::string_view text);
// The Windows-1252 byte of a Unicode character; 0 when it has none.
char cp1252_from_unicode(char32_t c);
// UTF-8 as Windows-1252: characters without a byte become '?', as do bytes
// that are not UTF-8.
std::string text_1252_from_utf8(std::string_view text);

}  // namespace helm::gdi
