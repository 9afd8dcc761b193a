// Window placement helpers the window layer's core calls.
#pragma once

#include "helm/user/winuser.h"

namespace helm::user {

// The rectangle a maximised window takes: the work area with the frame
// hanging outside, as the window's WM_GETMINMAXINFO answer leaves it.
RECT maximized_rect(HWND window);

// DefWindowProc's WM_WINDOWPOSCHANGING: a sizable window's new size is kept
// within the tracking sizes its WM_GETMINMAXINFO answer gives.
void window_pos_changing(HWND window, WINDOWPOS& pos);

}  // namespace helm::user
