// Where lines and shapes land, pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "canvas.h"

using namespace gdi_tests;
using namespace helm::gdi::testing;

static bool operator==(const POINT& a, const POINT& b)
{
    return a.x == b.x && a.y == b.y;
}

namespace {

std::vector<POINT> sorted(std::vector<POINT> points)
{
    std::sort(points.begin(), points.end(), [](const POINT& a, const POINT& b) {
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    return points;
}

}  // namespace

TEST(Lines, OnePixelLineFillsExactlyThePixelsWindowsFills)
{
    struct Case {
        POINT from;
        POINT to;
        std::vector<POINT> pixels;
    };
    // The end point is never drawn; every step advances the long axis by one.
    const Case cases[] = {
        {{10, 10}, {15, 10}, {{10, 10}, {11, 10}, {12, 10}, {13, 10}, {14, 10}}},
        {{15, 10}, {10, 10}, {{11, 10}, {12, 10}, {13, 10}, {14, 10}, {15, 10}}},
        {{3, 2}, {3, 6}, {{3, 2}, {3, 3}, {3, 4}, {3, 5}}},
        {{0, 0}, {4, 4}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {{4, 0}, {0, 4}, {{4, 0}, {3, 1}, {2, 2}, {1, 3}}},
        {{0, 0}, {4, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {{7, 7}, {7, 7}, {}},
    };
    for (const Case& c : cases) {
        Canvas canvas(24, 24);
        HPEN red = CreatePen(PS_SOLID, 1, kRed);
        {
            Selected pen(canvas.dc, red);
            MoveToEx(canvas.dc, c.from.x, c.from.y, nullptr);
            ASSERT_TRUE(LineTo(canvas.dc, c.to.x, c.to.y));
        }
        DeleteObject(red);
        auto drawn = sorted(pixels_of(canvas.pixels(), canvas.all(), kRed));
        EXPECT_EQ(drawn, sorted(c.pixels)) << "line (" << c.from.x << "," << c.from.y << ") to (" << c.to.x << ","
                                           << c.to.y << ")";
        EXPECT_EQ(ink_count(canvas.pixels(), canvas.all(), kWhite), static_cast<int>(c.pixels.size()))
            << "no pixel of another colour";
        POINT at{};
        GetCurrentPositionEx(canvas.dc, &at);
        EXPECT_TRUE(at == c.to);
    }
}

TEST(Lines, StyledPensLeaveGapsInTheBackgroundMode)
{
    Canvas canvas(80, 8, kWhite);
    HPEN dotted = CreatePen(PS_DOT, 1, kBlack);
    Selected pen(canvas.dc, dotted);
    SetBkColor(canvas.dc, kRed);
    SetBkMode(canvas.dc, TRANSPARENT);
    MoveToEx(canvas.dc, 0, 2, nullptr);
    LineTo(canvas.dc, 60, 2);
    SetBkMode(canvas.dc, OPAQUE);
    MoveToEx(canvas.dc, 0, 5, nullptr);
    LineTo(canvas.dc, 60, 5);

    // Dots of three pixels, three apart.
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{0, 2, 3, 3}, kBlack));
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{3, 2, 6, 3}, kWhite));
    EXPECT_EQ(count_of(canvas.pixels(), RECT{0, 2, 80, 3}, kBlack), 30);
    // Opaque mode fills the gaps with the background colour.
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{3, 5, 6, 6}, kRed));
    EXPECT_EQ(count_of(canvas.pixels(), RECT{0, 5, 80, 6}, kBlack), 30);
    EXPECT_EQ(count_of(canvas.pixels(), RECT{0, 5, 80, 6}, kRed), 30);
    DeleteObject(SelectObject(canvas.dc, GetStockObject(BLACK_PEN)));
}

TEST(Lines, NullPenDrawsNothingAndWidePensAreThick)
{
    Canvas canvas(32, 32);
    SelectObject(canvas.dc, GetStockObject(NULL_PEN));
    MoveToEx(canvas.dc, 2, 2, nullptr);
    LineTo(canvas.dc, 30, 2);
    EXPECT_EQ(ink_count(canvas.pixels(), canvas.all(), kWhite), 0);

    HPEN wide = CreatePen(PS_SOLID, 5, kBlue);
    SelectObject(canvas.dc, wide);
    MoveToEx(canvas.dc, 4, 16, nullptr);
    LineTo(canvas.dc, 28, 16);
    SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
    DeleteObject(wide);
    // Five rows centred on the line.
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{8, 14, 24, 19}, kBlue));
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{8, 19, 24, 20}, kWhite));
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{8, 13, 24, 14}, kWhite));
}

TEST(Shapes, RectangleOutlinesWithThePenAndFillsWithTheBrush)
{
    Canvas canvas(32, 32);
    HBRUSH blue = CreateSolidBrush(kBlue);
    HPEN red = CreatePen(PS_SOLID, 1, kRed);
    SelectObject(canvas.dc, blue);
    SelectObject(canvas.dc, red);
    ASSERT_TRUE(Rectangle(canvas.dc, 2, 3, 12, 9));
    // The outline covers left..right-1 and top..bottom-1.
    EXPECT_EQ(ink_bounds(canvas.pixels(), canvas.all(), kWhite).right, 12);
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{2, 3, 12, 4}, kRed));
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{2, 8, 12, 9}, kRed));
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{2, 3, 3, 9}, kRed));
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{11, 3, 12, 9}, kRed));
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{3, 4, 11, 8}, kBlue));

    // Without a pen the filled area is one pixel smaller each way.
    SelectObject(canvas.dc, GetStockObject(NULL_PEN));
    Rectangle(canvas.dc, 16, 16, 26, 22);
    RECT box = ink_bounds(canvas.pixels(), RECT{14, 14, 32, 32}, kWhite);
    EXPECT_EQ(box.left, 16);
    EXPECT_EQ(box.top, 16);
    EXPECT_EQ(box.right, 25);
    EXPECT_EQ(box.bottom, 21);

    // A null brush leaves the inside alone.
    SelectObject(canvas.dc, GetStockObject(NULL_BRUSH));
    SelectObject(canvas.dc, red);
    Rectangle(canvas.dc, 2, 20, 10, 28);
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{3, 21, 9, 27}, kWhite));
    SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
    SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(blue);
    DeleteObject(red);
}

TEST(Shapes, FillAndFrameRectCoverTheRectangleWithoutItsRightAndBottomEdges)
{
    Canvas canvas(20, 20);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT r{2, 2, 8, 6};
    FillRect(canvas.dc, &r, red);
    EXPECT_EQ(count_of(canvas.pixels(), canvas.all(), kRed), 6 * 4);
    EXPECT_TRUE(area_is(canvas.pixels(), r, kRed));

    RECT frame{10, 10, 16, 15};
    FrameRect(canvas.dc, &frame, red);
    EXPECT_EQ(count_of(canvas.pixels(), RECT{9, 9, 20, 20}, kRed), 2 * 6 + 2 * 3);
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{11, 11, 15, 14}, kWhite));
    DeleteObject(red);
}

TEST(Shapes, SystemColourBrushesNeedTheWindowLayersColours)
{
    Canvas canvas(8, 8);
    RECT r{0, 0, 4, 4};
    // Without a source of system colours, nothing is drawn.
    helm::gdi::set_system_colour_source(nullptr);
    EXPECT_EQ(FillRect(canvas.dc, &r, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(15 + 1))), 0);
    helm::gdi::set_system_colour_source([](int index) { return index == 15 ? RGB(192, 192, 192) : CLR_INVALID; });
    EXPECT_EQ(FillRect(canvas.dc, &r, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(15 + 1))), 1);
    EXPECT_TRUE(area_is(canvas.pixels(), r, RGB(192, 192, 192)));
    helm::gdi::set_system_colour_source(nullptr);
    // No GDI object ever has a number a system colour could be taken for.
    for (int i = 0; i < 16; ++i) {
        HBRUSH brush = CreateSolidBrush(kRed);
        EXPECT_GE(reinterpret_cast<uintptr_t>(brush), 32u);
        DeleteObject(brush);
    }
}

TEST(Shapes, EllipsesPiesAndPolygonsStayInTheirBoxes)
{
    Canvas canvas(64, 64);
    HBRUSH blue = CreateSolidBrush(kBlue);
    SelectObject(canvas.dc, blue);
    Ellipse(canvas.dc, 10, 10, 31, 31);
    RECT box = ink_bounds(canvas.pixels(), canvas.all(), kWhite);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 10);
    EXPECT_EQ(box.right, 31);
    EXPECT_EQ(box.bottom, 31);
    EXPECT_TRUE(pixel_is(canvas.pixels(), 20, 20, kBlue));
    EXPECT_TRUE(pixel_is(canvas.pixels(), 11, 11, kWhite)) << "the corners stay outside";
    EXPECT_TRUE(pixel_is(canvas.pixels(), 10, 20, kBlack)) << "the outline is the pen";

    // A quarter pie counterclockwise from 3 o'clock to 12 o'clock fills the
    // upper right quarter only.
    Canvas pie(64, 64);
    SelectObject(pie.dc, blue);
    SelectObject(pie.dc, GetStockObject(NULL_PEN));
    Pie(pie.dc, 0, 0, 64, 64, 64, 32, 32, 0);
    EXPECT_TRUE(pixel_is(pie.pixels(), 44, 20, kBlue));
    EXPECT_TRUE(pixel_is(pie.pixels(), 20, 20, kWhite));
    EXPECT_TRUE(pixel_is(pie.pixels(), 44, 44, kWhite));
    EXPECT_TRUE(pixel_is(pie.pixels(), 20, 44, kWhite));
    SetArcDirection(pie.dc, AD_CLOCKWISE);
    Pie(pie.dc, 0, 0, 64, 64, 64, 32, 32, 64);
    EXPECT_TRUE(pixel_is(pie.pixels(), 44, 44, kBlue));
    EXPECT_TRUE(pixel_is(pie.pixels(), 20, 44, kWhite));

    Canvas poly(32, 32);
    SelectObject(poly.dc, blue);
    POINT triangle[] = {{2, 2}, {20, 2}, {2, 20}};
    Polygon(poly.dc, triangle, 3);
    EXPECT_TRUE(pixel_is(poly.pixels(), 5, 5, kBlue));
    EXPECT_TRUE(pixel_is(poly.pixels(), 18, 18, kWhite));
    EXPECT_TRUE(pixel_is(poly.pixels(), 2, 2, kBlack));
    SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
    SelectObject(pie.dc, GetStockObject(WHITE_BRUSH));
    SelectObject(poly.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(blue);
}

TEST(Shapes, FocusRectangleDrawnTwiceVanishes)
{
    Canvas canvas(20, 20, RGB(192, 192, 192));
    RECT r{2, 2, 18, 12};
    DrawFocusRect(canvas.dc, &r);
    int changed = ink_count(canvas.pixels(), canvas.all(), RGB(192, 192, 192));
    EXPECT_GT(changed, 10);
    EXPECT_LT(changed, 2 * (16 + 10));  // dotted, not solid
    DrawFocusRect(canvas.dc, &r);
    EXPECT_EQ(ink_count(canvas.pixels(), canvas.all(), RGB(192, 192, 192)), 0);
}

TEST(Lines, FarAwayEndsAreCutToWhatCanBeSeen)
{
    Canvas canvas(20, 20);
    MoveToEx(canvas.dc, -2000000000, 5, nullptr);
    LineTo(canvas.dc, 2000000000, 5);
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{0, 5, 20, 6}, kBlack));
    EXPECT_EQ(ink_count(canvas.pixels(), canvas.all(), kWhite), 20);

    POINT diagonal[] = {{-1000000, -1000000}, {1000000, 1000000}};
    Polyline(canvas.dc, diagonal, 2);
    EXPECT_TRUE(pixel_is(canvas.pixels(), 0, 0, kBlack));
    EXPECT_TRUE(pixel_is(canvas.pixels(), 19, 19, kBlack));
    EXPECT_EQ(ink_count(canvas.pixels(), canvas.all(), kWhite), 20 + 19);
}

TEST(Shapes, HatchBrushesRepeatEveryEightPixelsFromTheBrushOrigin)
{
    Canvas canvas(32, 32, kWhite);
    HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, kRed);
    SetBkMode(canvas.dc, TRANSPARENT);
    RECT all{0, 0, 32, 32};
    FillRect(canvas.dc, &all, hatch);
    // One full red row in every eight; the rest shows through.
    EXPECT_EQ(count_of(canvas.pixels(), canvas.all(), kRed), 4 * 32);
    int first_row = ink_bounds(canvas.pixels(), canvas.all(), kWhite).top;
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{0, first_row + 8, 32, first_row + 9}, kRed));

    Canvas opaque(16, 16, kWhite);
    SetBkColor(opaque.dc, kBlue);
    RECT part{0, 0, 16, 16};
    FillRect(opaque.dc, &part, hatch);
    EXPECT_EQ(count_of(opaque.pixels(), opaque.all(), kBlue), 16 * 16 - 2 * 16) << "gaps in the background colour";
    EXPECT_EQ(CreateHatchBrush(42, kRed), nullptr);
    DeleteObject(hatch);
}
