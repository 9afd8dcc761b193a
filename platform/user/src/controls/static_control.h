// The "Static" class: text, frames, rectangles, an icon or a bitmap. With
// SS_NOTIFY it tells its parent of clicks; otherwise it takes no part in
// input.
#pragma once

#include "control.h"

namespace helm::user::controls {

class StaticControl {
public:
    StaticControl(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    DWORD type() const { return style_of(m_window) & SS_TYPEMASK; }
    LRESULT on_click(int code);
    LRESULT on_set_image(UINT type, HANDLE image);
    LRESULT on_get_image(UINT type) const;
    LRESULT on_paint();
    void fit_image();

    HWND m_window;
    HANDLE m_image = nullptr;  // the icon of SS_ICON, the bitmap of SS_BITMAP
    HBRUSH m_brush = nullptr;  // the parent's last WM_CTLCOLORSTATIC answer
};

}  // namespace helm::user::controls
