// Windows as pictures, headless: the surface each top-level window draws
// into, and snapshots of any window with its children after the updates
// still pending are painted. Tests check pixels of a snapshot with the
// drawing layer's pixel checks (helm/gdi/pixel_checks.h).
#pragma once

#include <memory>
#include <string>

#include "helm/gdi/surface.h"
#include "helm/user/winuser.h"

namespace helm::user {

// The live surface of a top-level window (window rectangle size, its
// top-left corner at pixel 0, 0); null for a child or no window.
std::shared_ptr<gdi::Surface> window_surface(HWND top_level);

// Paints what is due in `window` and every window under it, parents before
// children: frames, erasing and WM_PAINT, as the message loop would.
void paint_pending(HWND window);

// A copy of `window`'s pixels (its window rectangle) after paint_pending.
// A top-level window shows with the visible popups it owns laid over it
// (a combo box's dropped list, for one), as a screen would show them.
std::shared_ptr<gdi::Surface> snapshot_window(HWND window);
// snapshot_window saved as a PNG file.
bool save_window_png(HWND window, const std::string& path);

// Where `window` (its client area when `client`) lies in a snapshot of
// `root`: for finding a control's pixels in its dialog's picture.
RECT rect_in_snapshot(HWND root, HWND window, bool client = false);

}  // namespace helm::user
