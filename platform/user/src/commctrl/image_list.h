// An image list: images of one size side by side, each with the pixels
// that are transparent (from a mask bitmap or a mask colour), drawn through
// GDI. Reached only through the ImageList_ functions; its handle comes from
// the process's handle table.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "helm/kernel/objects.h"
#include "helm/user/commctrl.h"

namespace helm::user::commctrl {

class ImageList : public kernel::KernelObject {
public:
    ImageList(int cx, int cy, UINT flags);

    static std::shared_ptr<ImageList> of(HIMAGELIST list);

    int width() const { return m_cx; }
    int height() const { return m_cy; }
    int count() const { return static_cast<int>(m_images.size()); }
    bool masked() const { return (m_flags & ILC_MASK) != 0; }
    COLORREF background() const { return m_background; }
    void set_background(COLORREF colour) { m_background = colour; }
    void resize(int cx, int cy);
    bool set_count(UINT count);

    // The images cut from `image` (as many whole ones as its width holds),
    // transparent where `mask` is white or where the colour is `key`;
    // the index of the first, or -1.
    int add(HBITMAP image, HBITMAP mask, const COLORREF* key);
    bool replace(int index, HBITMAP image, HBITMAP mask);
    bool remove(int index);
    bool draw(int index, HDC dc, int x, int y, int dx, int dy, COLORREF background, COLORREF foreground,
              UINT style) const;

private:
    struct Image {
        std::vector<uint32_t> pixels;  // 0x00RRGGBB, top-down
        std::vector<uint8_t> clear;    // 1 where transparent
    };

    bool cut(HBITMAP image, HBITMAP mask, const COLORREF* key, std::vector<Image>& out) const;

    int m_cx;
    int m_cy;
    UINT m_flags;
    COLORREF m_background = CLR_NONE;
    std::vector<Image> m_images;
};

}  // namespace helm::user::commctrl
