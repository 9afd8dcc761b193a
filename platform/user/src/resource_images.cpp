// Image resources for the drawing layer: bitmaps as packed DIBs, icons as
// the best image of their group.

#include <cstdlib>

#include "resource_table.h"

namespace helm::user {
namespace {

WORD le16(const unsigned char* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

}  // namespace

std::span<const BYTE> image_resource_bytes(HMODULE module, LPCSTR name, UINT image_type, int cx, int cy)
{
    DWORD error = 0;
    if (image_type == IMAGE_BITMAP) {
        const ResourceEntry* e = resources::find(module, RT_BITMAP, name, std::nullopt, &error);
        if (!e || e->size < 12) {
            SetLastError(e ? ERROR_RESOURCE_DATA_NOT_FOUND : error);
            return {};
        }
        return {e->data, e->size};
    }
    if (image_type != IMAGE_ICON) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    const ResourceEntry* group = resources::find(module, RT_GROUP_ICON, name, std::nullopt, &error);
    if (!group) {
        SetLastError(error);
        return {};
    }
    // GRPICONDIR: reserved, type 1, count, then 14-byte entries ending in
    // the RT_ICON id of each image.
    if (group->size < 6 || le16(group->data + 2) != 1) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return {};
    }
    const size_t count = le16(group->data + 4);
    if (count == 0 || 6 + count * 14 > group->size) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return {};
    }
    const int want_x = cx > 0 ? cx : 32;
    const int want_y = cy > 0 ? cy : 32;
    size_t best = 0;
    long best_distance = -1;
    int best_bits = -1;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* entry = group->data + 6 + i * 14;
        const int width = entry[0] ? entry[0] : 256;
        const int height = entry[1] ? entry[1] : 256;
        const int bits = le16(entry + 6);
        const long distance = std::labs(long{width} - want_x) + std::labs(long{height} - want_y);
        if (best_distance < 0 || distance < best_distance || (distance == best_distance && bits > best_bits)) {
            best = i;
            best_distance = distance;
            best_bits = bits;
        }
    }
    const WORD image_id = le16(group->data + 6 + best * 14 + 12);
    const ResourceEntry* image =
        resources::find(module, RT_ICON, MAKEINTRESOURCE(image_id), group->language, &error);
    if (!image) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return {};
    }
    return {image->data, image->size};
}

}  // namespace helm::user
