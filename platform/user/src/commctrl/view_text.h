// Text sizes for the list and tree views: measured in the font the control
// was given (WM_SETFONT), or the default GUI font, as the views lay out
// their labels and columns.
#pragma once

#include <string_view>

#include "helm/user/winuser.h"

namespace helm::user::commctrl {

// The font a view draws and measures with: the one it was given, else the
// default GUI font.
HFONT view_font(HWND control);
// The width in pixels of `text` in the control's font (or in `font`).
int label_width(HWND control, std::string_view text, HFONT font = nullptr);
// The height of a line in the control's font.
int line_height(HWND control);

// A bold copy of a control's font, made when first asked and made again
// when the control's font changes.
class BoldFont {
public:
    BoldFont() = default;
    ~BoldFont();
    BoldFont(const BoldFont&) = delete;
    BoldFont& operator=(const BoldFont&) = delete;
    HFONT of(HWND control);

private:
    HFONT m_source = nullptr;
    HFONT m_bold = nullptr;
};

}  // namespace helm::user::commctrl
