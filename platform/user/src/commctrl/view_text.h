// Text sizes for the list and tree views: measured in the font the control
// was given (WM_SETFONT), or the default GUI font, as the views lay out
// their labels and columns.
#pragma once

#include <string_view>

#include "helm/user/winuser.h"

namespace helm::user::commctrl {

// The width in pixels of `text` in the control's font.
int label_width(HWND control, std::string_view text);
// The height of a line in the control's font.
int line_height(HWND control);

}  // namespace helm::user::commctrl
