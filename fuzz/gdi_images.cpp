// Pictures from untrusted bytes: bitmap and icon resources, BMP, ICO and PNG
// files. Every decoder must refuse damaged input without reading past it.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "helm/gdi/images.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (auto surface = helm::gdi::decode_image(data, size))
        (void)surface->pixel(surface->width() - 1, surface->height() - 1);
    if (HBITMAP bitmap = helm::gdi::bitmap_from_bytes(data, size))
        DeleteObject(bitmap);
    int want = size > 0 ? data[0] % 64 : 0;
    if (HICON icon = helm::gdi::icon_from_bytes(data, size, want, want))
        DestroyIcon(icon);
    return 0;
}
