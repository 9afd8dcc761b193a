// What the drawing layer takes from the layers above it: the window layer's
// system colours (brushes given as COLOR_xxx + 1) and the resource layer's
// bitmaps. Each is empty until its layer sets it.
#pragma once

#include <functional>

#include "helm/kernel/types.h"

namespace helm::gdi {

using SystemColourSource = std::function<COLORREF(int index)>;
void set_system_colour_source(SystemColourSource source);
// The colour of a system colour index, or CLR_INVALID when none is known.
COLORREF system_colour(int index);

using BitmapResourceLoader = std::function<HBITMAP(HINSTANCE module, LPCSTR name)>;
void set_bitmap_resource_loader(BitmapResourceLoader loader);
// A new bitmap from the module's resources, or null.
HBITMAP load_bitmap_resource(HINSTANCE module, LPCSTR name);

}  // namespace helm::gdi
