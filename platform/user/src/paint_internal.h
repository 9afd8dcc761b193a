// What the painting files share with the rest of the window layer.
#pragma once

#include "helm/user/winuser.h"

namespace helm::user {

// Drops the surface and frame state of a window that is being destroyed.
void forget_window_surface(HWND window);
// DefWindowProc's WM_NCPAINT: the classic frame, caption and edges.
void paint_non_client(HWND window);
// DefWindowProc's WM_ERASEBKGND: the class brush over the client area;
// false when the class has none.
bool erase_with_class_brush(HWND window, HDC dc);
// DefWindowProc's WM_CTLCOLOR* answer: Windows' default colours set on the
// DC and the system brush returned.
HBRUSH default_control_colours(UINT message, HDC dc);
// The dialog's background: WM_CTLCOLORDLG asked of the dialog itself, its
// brush over the client area.
void erase_dialog_background(HWND dialog, HDC dc);

}  // namespace helm::user
