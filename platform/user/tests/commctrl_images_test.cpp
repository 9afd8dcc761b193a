// Image lists: images cut from a strip, made transparent by a mask colour
// or a mask bitmap, drawn through GDI with and without their mask.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "helm/gdi/pixel_checks.h"
#include "helm/gdi/surface.h"

namespace {

using helm::gdi::Surface;
namespace check = helm::gdi::testing;

constexpr COLORREF magenta = RGB(255, 0, 255);
constexpr COLORREF yellow = RGB(255, 255, 0);

// A strip of `count` 16 x 16 images, each a square of its colour inside a
// two-pixel border of `border`.
HBITMAP strip(int width, const std::vector<COLORREF>& colours, COLORREF border)
{
    std::vector<uint32_t> bits(static_cast<size_t>(width) * 16);
    auto pixel = [](COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); };
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < width; ++x) {
            const bool edge = x % 16 < 2 || x % 16 >= 14 || y < 2 || y >= 14;
            const COLORREF c = edge ? border : colours[static_cast<size_t>(x / 16) % colours.size()];
            bits[static_cast<size_t>(y) * width + x] = pixel(c);
        }
    return CreateBitmap(width, 16, 1, 32, bits.data());
}

struct Canvas {
    Canvas() : surface(Surface::create(64, 32))
    {
        surface->fill(0xFFFFFF00u);  // yellow
        dc = helm::gdi::make_surface_dc(surface, POINT{0, 0}, RECT{0, 0, 64, 32});
    }
    ~Canvas() { DeleteDC(dc); }
    std::shared_ptr<Surface> surface;
    HDC dc = nullptr;
};

TEST(ImageListTest, MaskColourMakesTheBorderTransparent)
{
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 4);
    ASSERT_NE(list, nullptr);
    HBITMAP bitmap = strip(48, {RGB(255, 0, 0), RGB(0, 128, 0), RGB(0, 0, 255)}, magenta);
    EXPECT_EQ(ImageList_AddMasked(list, bitmap, magenta), 0);
    EXPECT_EQ(ImageList_AddMasked(list, bitmap, magenta), 3);
    EXPECT_EQ(ImageList_GetImageCount(list), 6);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);

    struct Case {
        const char* name;
        COLORREF background;  // the list's
        UINT style;
        COLORREF border;      // what the border shows
    };
    const Case cases[] = {
        {"transparent", CLR_NONE, ILD_TRANSPARENT, yellow},
        {"normal without background", CLR_NONE, ILD_NORMAL, yellow},
        {"normal on white", RGB(255, 255, 255), ILD_NORMAL, RGB(255, 255, 255)},
        {"transparent on white", RGB(255, 255, 255), ILD_TRANSPARENT, yellow},
    };
    for (const Case& c : cases) {
        Canvas canvas;
        ImageList_SetBkColor(list, c.background);
        ASSERT_TRUE(ImageList_Draw(list, 1, canvas.dc, 10, 8, c.style)) << c.name;
        EXPECT_TRUE(check::area_is(*canvas.surface, RECT{12, 10, 24, 22}, RGB(0, 128, 0))) << c.name;
        EXPECT_TRUE(check::area_is(*canvas.surface, RECT{10, 8, 26, 10}, c.border)) << c.name;
        EXPECT_TRUE(check::pixel_is(*canvas.surface, 9, 8, yellow)) << c.name;
        EXPECT_TRUE(check::pixel_is(*canvas.surface, 26, 24, yellow)) << c.name;
        if (c.style == ILD_TRANSPARENT && c.background == CLR_NONE)
            check::keep_png(*canvas.surface, "image_list_transparent");
    }

    // The mask alone: black where the image is, white around it.
    Canvas masked;
    ASSERT_TRUE(ImageList_Draw(list, 0, masked.dc, 0, 0, ILD_MASK));
    EXPECT_TRUE(check::area_is(*masked.surface, RECT{2, 2, 14, 14}, RGB(0, 0, 0)));
    EXPECT_TRUE(check::area_is(*masked.surface, RECT{0, 0, 16, 2}, RGB(255, 255, 255)));

    DeleteObject(bitmap);
    ASSERT_TRUE(ImageList_Destroy(list));
}

TEST(ImageListTest, MaskBitmapAndListsWithoutMask)
{
    // Without ILC_MASK the mask colour is drawn as it is.
    HIMAGELIST plain = ImageList_Create(16, 16, ILC_COLOR24, 1, 1);
    HBITMAP bitmap = strip(40, {RGB(0, 0, 255)}, magenta);  // room for two whole images
    EXPECT_EQ(ImageList_AddMasked(plain, bitmap, magenta), 0);
    EXPECT_EQ(ImageList_GetImageCount(plain), 2);
    Canvas canvas;
    ASSERT_TRUE(ImageList_Draw(plain, 0, canvas.dc, 0, 0, ILD_TRANSPARENT));
    EXPECT_TRUE(check::pixel_is(*canvas.surface, 0, 0, magenta));

    // A mask bitmap: white is transparent.
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1);
    std::vector<uint32_t> mask_bits(16 * 16, 0);
    for (int x = 0; x < 16; ++x)
        mask_bits[static_cast<size_t>(x)] = 0x00FFFFFFu;  // the top row only
    HBITMAP mask = CreateBitmap(16, 16, 1, 32, mask_bits.data());
    EXPECT_EQ(ImageList_Add(list, bitmap, mask), 0);
    Canvas second;
    ASSERT_TRUE(ImageList_Draw(list, 0, second.dc, 0, 0, ILD_TRANSPARENT));
    EXPECT_TRUE(check::area_is(*second.surface, RECT{0, 0, 16, 1}, yellow));
    EXPECT_TRUE(check::area_is(*second.surface, RECT{0, 1, 16, 2}, magenta));

    ASSERT_TRUE(ImageList_Remove(list, -1));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    DeleteObject(mask);
    DeleteObject(bitmap);
    ImageList_Destroy(plain);
    ImageList_Destroy(list);
}

TEST(ImageListTest, BadHandlesIndexesAndSizesAreRefused)
{
    EXPECT_EQ(ImageList_Create(0, 16, ILC_MASK, 1, 1), nullptr);
    EXPECT_EQ(ImageList_Create(16, -1, ILC_MASK, 1, 1), nullptr);
    EXPECT_EQ(ImageList_Create(100000, 16, ILC_MASK, 1, 1), nullptr);

    HIMAGELIST list = ImageList_Create(16, 16, ILC_MASK, 1, 1);
    HBITMAP narrow = strip(8, {RGB(1, 2, 3)}, magenta);  // narrower than one image
    EXPECT_EQ(ImageList_AddMasked(list, narrow, magenta), -1);
    EXPECT_EQ(ImageList_Add(list, nullptr, nullptr), -1);
    Canvas canvas;
    EXPECT_FALSE(ImageList_Draw(list, 0, canvas.dc, 0, 0, ILD_NORMAL));
    EXPECT_FALSE(ImageList_Draw(list, -1, canvas.dc, 0, 0, ILD_NORMAL));
    EXPECT_FALSE(ImageList_Remove(list, 3));
    ASSERT_TRUE(ImageList_Destroy(list));

    // A destroyed list, or a handle that never was one, does nothing.
    EXPECT_FALSE(ImageList_Destroy(list));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_EQ(ImageList_AddMasked(list, narrow, magenta), -1);
    EXPECT_FALSE(ImageList_Draw(reinterpret_cast<HIMAGELIST>(static_cast<uintptr_t>(0x7777)), 0, canvas.dc, 0, 0, 0));
    EXPECT_TRUE(check::area_is(*canvas.surface, RECT{0, 0, 64, 32}, yellow));
    DeleteObject(narrow);
}

}  // namespace
