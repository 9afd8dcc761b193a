// The monitor layout of the X server: the monitors RandR reports (the whole
// screen when it reports none) and the work area the window manager
// publishes, read at connection and again when either changes.
#pragma once

#include <X11/Xlib.h>

#include <vector>

#include "atoms.h"
#include "helm/user/screen.h"

namespace helm::display {

// On the display thread (or before it starts).
std::vector<user::Monitor> read_monitors(Display* display, const Atoms& atoms);

}  // namespace helm::display
