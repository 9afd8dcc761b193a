// Pictures from bytes in memory: the resource layer hands bitmap and icon
// resources (or whole PNG, BMP and ICO files) here and gets handles back.
// Every decoder checks its sizes against the bytes it was given.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "helm/gdi/surface.h"
#include "helm/kernel/types.h"

namespace helm::gdi {

// PNG, a BMP file or a bare device-independent bitmap (a bitmap resource:
// header, colour table, pixels) as an ARGB surface; null when the bytes are
// not one of these or are damaged.
std::shared_ptr<Surface> decode_image(const void* data, size_t size);
// The same as an HBITMAP (opaque pixels for BMP; PNG keeps its alpha).
HBITMAP bitmap_from_bytes(const void* data, size_t size);
// An icon from an ICO file (the image nearest `width` x `height`, the largest
// when both are 0), a single icon image (a DIB with its AND mask, as an icon
// resource holds it) or a PNG.
HICON icon_from_bytes(const void* data, size_t size, int width = 0, int height = 0);
// An icon over ARGB pixels (copied).
HICON icon_from_surface(const Surface& pixels);

}  // namespace helm::gdi
