// Selection, stock objects, saved states, clipping and DCs over surfaces.
#include <gtest/gtest.h>

#include "canvas.h"

using namespace gdi_tests;
using namespace helm::gdi::testing;

TEST(Objects, SelectObjectReturnsWhatWasSelectedBefore)
{
    Canvas canvas;
    HPEN pen = CreatePen(PS_DASH, 1, kRed);
    HBRUSH brush = CreateSolidBrush(kBlue);
    HGDIOBJ first_pen = SelectObject(canvas.dc, pen);
    EXPECT_EQ(first_pen, GetStockObject(BLACK_PEN)) << "a new DC has the black pen";
    EXPECT_EQ(SelectObject(canvas.dc, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_PEN), pen);
    EXPECT_EQ(SelectObject(canvas.dc, first_pen), pen);
    EXPECT_EQ(GetStockObject(BLACK_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetObjectType(pen), OBJ_PEN);
    EXPECT_EQ(GetObjectType(canvas.dc), OBJ_DC);

    LOGPEN lp{};
    ASSERT_EQ(GetObject(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DASH));
    EXPECT_EQ(lp.lopnColor, kRed);
    EXPECT_EQ(GetObject(pen, 2, &lp), 0) << "a buffer too small is refused";

    // Deleting a selected brush drops its handle; the DC still draws with it.
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(GetObjectType(brush), 0);
    RECT r{0, 0, 4, 4};
    SelectObject(canvas.dc, GetStockObject(NULL_PEN));
    Rectangle(canvas.dc, 0, 0, 5, 5);
    EXPECT_TRUE(area_is(canvas.pixels(), r, kBlue));
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH))) << "stock objects stay";
    EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), OBJ_BRUSH);
    EXPECT_FALSE(DeleteObject(nullptr));
    DeleteObject(pen);
}

TEST(Objects, SaveAndRestoreDc)
{
    Canvas canvas;
    HBRUSH red = CreateSolidBrush(kRed);
    SetTextColor(canvas.dc, kBlue);
    int level = SaveDC(canvas.dc);
    EXPECT_EQ(level, 1);
    SelectObject(canvas.dc, red);
    SetTextColor(canvas.dc, kRed);
    IntersectClipRect(canvas.dc, 0, 0, 2, 2);
    EXPECT_EQ(SaveDC(canvas.dc), 2);
    SetBkMode(canvas.dc, TRANSPARENT);
    EXPECT_TRUE(RestoreDC(canvas.dc, -1));
    EXPECT_EQ(GetBkMode(canvas.dc), OPAQUE);
    EXPECT_EQ(GetTextColor(canvas.dc), kRed);
    EXPECT_TRUE(RestoreDC(canvas.dc, level));
    EXPECT_EQ(GetTextColor(canvas.dc), kBlue);
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    RECT box{};
    EXPECT_EQ(GetClipBox(canvas.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 64) << "the clip came back too";
    EXPECT_FALSE(RestoreDC(canvas.dc, 1)) << "nothing left to restore";
    DeleteObject(red);
}

TEST(Clipping, DrawingStaysInsideTheClip)
{
    Canvas canvas(40, 40);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT all{0, 0, 40, 40};

    EXPECT_EQ(IntersectClipRect(canvas.dc, 10, 10, 30, 30), SIMPLEREGION);
    EXPECT_EQ(ExcludeClipRect(canvas.dc, 15, 15, 25, 25), COMPLEXREGION);
    FillRect(canvas.dc, &all, red);
    EXPECT_EQ(count_of(canvas.pixels(), canvas.all(), kRed), 20 * 20 - 10 * 10);
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{15, 15, 25, 25}, kWhite));
    EXPECT_FALSE(PtVisible(canvas.dc, 20, 20));
    EXPECT_TRUE(PtVisible(canvas.dc, 12, 12));

    // A selected region is copied: changing it afterwards changes nothing.
    Canvas second(40, 40);
    HRGN region = CreateRectRgn(0, 0, 5, 5);
    HRGN other = CreateRectRgn(35, 35, 40, 40);
    EXPECT_EQ(CombineRgn(region, region, other, RGN_OR), COMPLEXREGION);
    SelectClipRgn(second.dc, region);
    SetRectRgn(region, 0, 0, 40, 40);
    FillRect(second.dc, &all, red);
    EXPECT_EQ(count_of(second.pixels(), second.all(), kRed), 50);
    SelectClipRgn(second.dc, nullptr);
    FillRect(second.dc, &all, red);
    EXPECT_EQ(count_of(second.pixels(), second.all(), kRed), 1600);
    DeleteObject(region);
    DeleteObject(other);
    DeleteObject(red);
}

TEST(Regions, CombineModes)
{
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(5, 5, 15, 15);
    HRGN out = CreateRectRgn(0, 0, 0, 0);
    struct Case {
        int mode;
        int kind;
        RECT box;
    };
    const Case cases[] = {
        {RGN_AND, SIMPLEREGION, {5, 5, 10, 10}},  {RGN_OR, COMPLEXREGION, {0, 0, 15, 15}},
        {RGN_XOR, COMPLEXREGION, {0, 0, 15, 15}}, {RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}},
        {RGN_COPY, SIMPLEREGION, {0, 0, 10, 10}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CombineRgn(out, a, b, c.mode), c.kind) << c.mode;
        RECT box{};
        GetRgnBox(out, &box);
        EXPECT_EQ(box.left, c.box.left) << c.mode;
        EXPECT_EQ(box.right, c.box.right) << c.mode;
        EXPECT_EQ(box.bottom, c.box.bottom) << c.mode;
    }
    CombineRgn(out, a, b, RGN_DIFF);
    EXPECT_TRUE(PtInRegion(out, 2, 2));
    EXPECT_FALSE(PtInRegion(out, 7, 7));
    EXPECT_EQ(CombineRgn(out, a, nullptr, RGN_AND), ERROR);
    EXPECT_EQ(CombineRgn(out, a, b, 9), ERROR);
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(out);
}

TEST(SurfaceDc, OriginAndAreaPlaceAWindowOnItsTopLevelSurface)
{
    auto surface = helm::gdi::Surface::create(50, 40);
    surface->fill(helm::gdi::argb_of(kWhite));
    // A child window at (20, 10), 15 x 12, on its top level's surface.
    HDC dc = helm::gdi::make_surface_dc(surface, POINT{20, 10}, RECT{20, 10, 35, 22});
    ASSERT_NE(dc, nullptr);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT everything{-100, -100, 100, 100};
    FillRect(dc, &everything, red);
    EXPECT_EQ(ink_bounds(*surface, whole(*surface), kWhite).left, 20);
    EXPECT_EQ(count_of(*surface, whole(*surface), kRed), 15 * 12);
    RECT clip{};
    GetClipBox(dc, &clip);
    EXPECT_EQ(clip.left, 0);
    EXPECT_EQ(clip.right, 15);
    EXPECT_EQ(GetPixel(dc, 0, 0), kRed);
    EXPECT_EQ(GetPixel(dc, 15, 0), CLR_INVALID) << "outside the window";

    // The viewport origin moves logical coordinates but not the clip.
    SetViewportOrgEx(dc, 5, 5, nullptr);
    SetPixel(dc, 0, 0, kBlue);
    EXPECT_EQ(surface->colour(25, 15), kBlue);

    // Moved: the same DC now draws at the new place.
    ASSERT_TRUE(helm::gdi::set_surface_dc_area(dc, POINT{0, 0}, RECT{0, 0, 5, 5}));
    SetViewportOrgEx(dc, 0, 0, nullptr);
    FillRect(dc, &everything, red);
    EXPECT_EQ(count_of(*surface, whole(*surface), kRed), 15 * 12 - 1 + 25);
    DeleteDC(dc);
    DeleteObject(red);
}

TEST(Objects, MulDivRoundsAndRefusesDivisionByZero)
{
    struct Case {
        int a, b, c, result;
    };
    const Case cases[] = {
        {8, 96, 72, 11}, {10, 3, 4, 8}, {-10, 3, 4, -8}, {5, 1, 2, 3}, {-5, 1, 2, -3},
        {1, 1, 0, -1},   {0x7FFFFFFF, 2, 1, -1}, {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
}
