// What the painting files share with the rest of the window layer.
#pragma once

#include "helm/user/winuser.h"

namespace helm::user {

// Drops the surface and frame state of a window that is being destroyed.
void forget_window_surface(HWND window);
// Where the parts of a window's frame lie, in window coordinates; a part
// the window does not have is empty.
struct FrameParts {
    DWORD style = 0;
    DWORD ex_style = 0;
    RECT inside{};    // within the border
    RECT caption{};
    RECT icon{};      // on the caption: the system menu's icon
    RECT close{};     // on the caption: the close box
    RECT menu_bar{};
    RECT vertical{};  // the window's own bars
    RECT horizontal{};
    RECT client{};
};
FrameParts frame_parts(HWND window);
// The frame is painted with the window's next paint, whatever is due.
void frame_due(HWND window);
// DefWindowProc's WM_NCPAINT: the classic frame, caption, icon, menu bar,
// edges and the window's own bars.
void paint_non_client(HWND window);
// DefWindowProc's WM_NCHITTEST: the part of the window under a screen point.
LRESULT hit_test_frame(HWND window, POINT screen_point);
// DefWindowProc's WM_NC*BUTTON*: the icon and the menu bar open their
// menus, the close box closes on its release, the window's own bars scroll.
void non_client_button(HWND window, UINT message, WPARAM hit, POINT screen_point);
// The window's menu bar drawn in `band` (window coordinates), the item
// whose popup is open pressed in.
void paint_menu_bar(HDC dc, HWND window, const RECT& band);
// DefWindowProc's WM_ERASEBKGND: the class brush over the client area;
// false when the class has none.
bool erase_with_class_brush(HWND window, HDC dc);
// DefWindowProc's WM_CTLCOLOR* answer: Windows' default colours set on the
// DC and the system brush returned.
HBRUSH default_control_colours(UINT message, HDC dc);
// The dialog's background: WM_CTLCOLORDLG asked of the dialog itself, its
// brush over the client area.
void erase_dialog_background(HWND dialog, HDC dc);

// The classic glyphs in any colour: the 7 x 7 check mark centred in `box`,
// and a filled triangle centred in `r` pointing 0 up, 1 down, 2 left or 3
// right.
void draw_check_glyph(HDC dc, const RECT& box, COLORREF colour);
void draw_arrow_glyph(HDC dc, const RECT& r, int direction, COLORREF colour);
// The font of menus (the menu bar's and the popups'), as the classic
// scheme has it.
HFONT menu_font();

}  // namespace helm::user
