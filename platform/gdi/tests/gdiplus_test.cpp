// The GDI+ subset: smoothing, transforms, dashes, text placement and
// colour keys, on ARGB bitmaps and on DCs.
#include <gtest/gtest.h>

#include <memory>

#include "canvas.h"

using namespace gdi_tests;
using namespace helm::gdi::testing;
using namespace Gdiplus;

namespace {

class GdiplusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GdiplusStartupInput input;
        ASSERT_EQ(GdiplusStartup(&m_token, &input, nullptr), Ok);
    }
    void TearDown() override { GdiplusShutdown(m_token); }

    // An ARGB bitmap cleared to white, and a view of its pixels through a DC.
    static std::unique_ptr<Bitmap> white_bitmap(int width, int height)
    {
        auto bitmap = std::make_unique<Bitmap>(width, height, PixelFormat32bppARGB);
        Graphics g(bitmap.get());
        g.Clear(Color(255, 255, 255, 255));
        return bitmap;
    }
    static COLORREF at(Bitmap& bitmap, int x, int y)
    {
        Color c;
        bitmap.GetPixel(x, y, &c);
        return c.ToCOLORREF();
    }
    static int count(Bitmap& bitmap, COLORREF colour, int tolerance = 0)
    {
        int n = 0;
        for (UINT y = 0; y < bitmap.GetHeight(); ++y)
            for (UINT x = 0; x < bitmap.GetWidth(); ++x)
                n += near_colour(at(bitmap, int(x), int(y)), colour, tolerance) ? 1 : 0;
        return n;
    }
    // Pixels neither white nor the drawing colour: the blended edge.
    static int blended(Bitmap& bitmap, COLORREF colour)
    {
        int n = 0;
        for (UINT y = 0; y < bitmap.GetHeight(); ++y)
            for (UINT x = 0; x < bitmap.GetWidth(); ++x) {
                COLORREF c = at(bitmap, int(x), int(y));
                n += (c != kWhite && c != colour) ? 1 : 0;
            }
        return n;
    }

private:
    ULONG_PTR m_token = 0;
};

}  // namespace

TEST_F(GdiplusTest, AliasedOnePixelLineAndFillsLandOnWholePixels)
{
    auto bitmap = white_bitmap(30, 20);
    Graphics g(bitmap.get());
    Pen red(Color(255, 255, 0, 0), 1);
    ASSERT_EQ(g.DrawLine(&red, 5, 10, 25, 10), Ok);
    // One row, no blending, nothing on the rows beside it.
    EXPECT_EQ(blended(*bitmap, kRed), 0);
    EXPECT_EQ(at(*bitmap, 15, 10), kRed);
    EXPECT_EQ(at(*bitmap, 15, 9), kWhite);
    EXPECT_EQ(at(*bitmap, 15, 11), kWhite);
    EXPECT_GE(count(*bitmap, kRed), 20);
    EXPECT_LE(count(*bitmap, kRed), 21);

    auto fill = white_bitmap(20, 20);
    Graphics fg(fill.get());
    SolidBrush blue(Color(255, 0, 0, 255));
    fg.FillRectangle(&blue, 2, 3, 10, 5);
    EXPECT_EQ(count(*fill, kBlue), 50);
    EXPECT_EQ(at(*fill, 2, 3), kBlue);
    EXPECT_EQ(at(*fill, 11, 7), kBlue);
    EXPECT_EQ(at(*fill, 12, 7), kWhite);
}

TEST_F(GdiplusTest, AntiAliasingBlendsEdgesWhereNoneDoesNot)
{
    auto sharp = white_bitmap(40, 40);
    auto smooth = white_bitmap(40, 40);
    Pen black(Color(255, 0, 0, 0), 1);
    {
        Graphics g(sharp.get());
        g.SetSmoothingMode(SmoothingModeNone);
        g.DrawLine(&black, 2.0f, 3.0f, 37.0f, 30.0f);
        g.DrawEllipse(&black, 5, 5, 30, 20);
    }
    {
        Graphics g(smooth.get());
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        EXPECT_EQ(g.GetSmoothingMode(), SmoothingModeAntiAlias);
        g.DrawLine(&black, 2.0f, 3.0f, 37.0f, 30.0f);
        g.DrawEllipse(&black, 5, 5, 30, 20);
    }
    EXPECT_EQ(blended(*sharp, kBlack), 0);
    EXPECT_GT(blended(*smooth, kBlack), 40);
    // HighQuality smooths as AntiAlias does.
    auto high = white_bitmap(40, 40);
    Graphics g(high.get());
    g.SetSmoothingMode(SmoothingModeHighQuality);
    g.DrawLine(&black, 2.0f, 3.0f, 37.0f, 30.0f);
    EXPECT_GT(blended(*high, kBlack), 20);
}

TEST_F(GdiplusTest, RotationTurnsAShapeAboutTheChosenPoint)
{
    auto bitmap = white_bitmap(60, 60);
    Graphics g(bitmap.get());
    SolidBrush red(Color(255, 255, 0, 0));
    // A bar right of the centre, turned 90 degrees about the centre: it
    // ends up below it (angles turn clockwise on screen).
    g.TranslateTransform(30, 30);
    g.RotateTransform(90);
    g.TranslateTransform(-30, -30);
    g.FillRectangle(&red, 35, 28, 20, 4);
    g.ResetTransform();
    EXPECT_EQ(at(*bitmap, 30, 45), kRed);
    EXPECT_EQ(at(*bitmap, 45, 30), kWhite);
    EXPECT_EQ(at(*bitmap, 30, 15), kWhite);
    // After the reset the same bar is drawn where it was given.
    g.FillRectangle(&red, 35, 28, 20, 4);
    EXPECT_EQ(at(*bitmap, 45, 30), kRed);

    // Append puts the turn after the translation.
    auto appended = white_bitmap(60, 60);
    Graphics ga(appended.get());
    ga.RotateTransform(90);
    ga.TranslateTransform(30, 0, MatrixOrderAppend);
    ga.FillRectangle(&red, 5, -2, 20, 4);  // turned to point down, then moved right
    EXPECT_EQ(at(*appended, 30, 15), kRed);
    EXPECT_EQ(at(*appended, 45, 0), kWhite);
}

TEST_F(GdiplusTest, ColourKeyMakesThatColourTransparent)
{
    auto picture = white_bitmap(10, 10);
    {
        Graphics g(picture.get());
        SolidBrush key(Color(255, 0xF5, 0xF5, 0xF5));
        SolidBrush blue(Color(255, 0, 0, 255));
        g.FillRectangle(&key, 0, 0, 10, 10);
        g.FillRectangle(&blue, 0, 0, 5, 10);
    }
    auto target = std::make_unique<Bitmap>(10, 10);
    Graphics g(target.get());
    g.Clear(Color(255, 0, 0, 0));
    ImageAttributes keyed;
    keyed.SetColorKey(Color(0xFFF5F5F5), Color(0xFFF5F5F5));
    ASSERT_EQ(g.DrawImage(picture.get(), Rect(0, 0, 10, 10), 0, 0, 10, 10, UnitPixel, &keyed), Ok);
    EXPECT_EQ(at(*target, 2, 5), kBlue);
    EXPECT_EQ(at(*target, 7, 5), kBlack) << "the keyed colour let the black through";

    // Without the key the colour is drawn.
    g.DrawImage(picture.get(), Rect(0, 0, 10, 10), 0, 0, 10, 10, UnitPixel, nullptr);
    EXPECT_EQ(at(*target, 7, 5), RGB(0xF5, 0xF5, 0xF5));
    // A colour one step off the key stays.
    auto near_key = white_bitmap(2, 2);
    near_key->SetPixel(0, 0, Color(255, 0xF5, 0xF5, 0xF4));
    g.Clear(Color(255, 0, 0, 0));
    g.DrawImage(near_key.get(), Rect(0, 0, 2, 2), 0, 0, 2, 2, UnitPixel, &keyed);
    EXPECT_EQ(at(*target, 0, 0), RGB(0xF5, 0xF5, 0xF4));
}

TEST_F(GdiplusTest, DashedPensLeaveGapsInPenWidths)
{
    auto bitmap = white_bitmap(64, 8);
    Graphics g(bitmap.get());
    Pen pen(Color(255, 0, 0, 0), 1);
    pen.SetDashStyle(DashStyleDash);
    EXPECT_EQ(pen.GetDashStyle(), DashStyleDash);
    g.DrawLine(&pen, 0, 4, 64, 4);
    int drawn = count(*bitmap, kBlack);
    // Three on, one off.
    EXPECT_GE(drawn, 44);
    EXPECT_LE(drawn, 52);
    EXPECT_EQ(at(*bitmap, 1, 4), kBlack);
    EXPECT_EQ(blended(*bitmap, kBlack), 0);
}

TEST_F(GdiplusTest, StringsAreMeasuredAndPlacedByTheirFormat)
{
    FontFamily family(u"Arial");
    ASSERT_TRUE(family.IsAvailable());
    FontFamily missing(u"No Such Face At All");
    EXPECT_FALSE(missing.IsAvailable());
    EXPECT_EQ(missing.GetLastStatus(), FontFamilyNotFound);
    Font font(&family, 12, FontStyleRegular, UnitPixel);
    ASSERT_TRUE(font.IsAvailable());

    auto bitmap = white_bitmap(120, 40);
    Graphics g(bitmap.get());
    StringFormat centred;
    centred.SetAlignment(StringAlignmentCenter);
    centred.SetLineAlignment(StringAlignmentFar);
    RectF near_box, centre_box;
    ASSERT_EQ(g.MeasureString(u"123.5", -1, &font, PointF(60, 30), nullptr, &near_box), Ok);
    ASSERT_EQ(g.MeasureString(u"123.5", -1, &font, PointF(60, 30), &centred, &centre_box), Ok);
    EXPECT_FLOAT_EQ(near_box.X, 60);
    EXPECT_FLOAT_EQ(near_box.Y, 30);
    EXPECT_NEAR(centre_box.X + centre_box.Width / 2, 60, 0.01);
    EXPECT_NEAR(centre_box.GetBottom(), 30, 0.01);
    EXPECT_FLOAT_EQ(centre_box.Width, near_box.Width);
    EXPECT_GT(near_box.Width, 20);
    EXPECT_LT(near_box.Width, 45);

    SolidBrush black(Color(255, 0, 0, 0));
    ASSERT_EQ(g.DrawString(u"123.5", -1, &font, PointF(60, 30), &centred, &black), Ok);
    // The ink lies inside the measured box.
    int left = 1000, right = -1, top = 1000, bottom = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x)
            if (at(*bitmap, x, y) != kWhite) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0) << "something was drawn";
    EXPECT_GE(left, centre_box.X);
    EXPECT_LE(right, centre_box.GetRight());
    EXPECT_GE(top, centre_box.Y);
    EXPECT_LE(bottom, centre_box.GetBottom());
    EXPECT_NEAR((left + right) / 2.0, 60, 2);

    // Fonts made by family name; a missing family draws nothing.
    Font named(u"Arial", 12, FontStyleRegular, UnitPixel);
    EXPECT_TRUE(named.IsAvailable());
    Font absent(u"No Such Face At All", 12, FontStyleRegular, UnitPixel);
    EXPECT_FALSE(absent.IsAvailable());
    auto empty = white_bitmap(40, 20);
    Graphics ge(empty.get());
    EXPECT_NE(ge.DrawString(u"x", -1, &absent, PointF(0, 0), &black), Ok);
    EXPECT_EQ(count(*empty, kWhite), 40 * 20);
}

TEST_F(GdiplusTest, GraphicsOfADcDrawsAtTheDcOriginInsideItsClip)
{
    auto surface = helm::gdi::Surface::create(40, 40);
    surface->fill(helm::gdi::argb_of(kWhite));
    HDC dc = helm::gdi::make_surface_dc(surface, POINT{10, 10}, RECT{10, 10, 30, 30});
    {
        Graphics g(dc);
        ASSERT_EQ(g.GetLastStatus(), Ok);
        SolidBrush red(Color(255, 255, 0, 0));
        g.FillRectangle(&red, -50, -50, 200, 200);
    }
    EXPECT_EQ(count_of(*surface, whole(*surface), kRed), 400);
    EXPECT_TRUE(area_is(*surface, RECT{10, 10, 30, 30}, kRed));

    // A cached bitmap is copied at a translation; clipping applies.
    auto back = std::make_unique<Bitmap>(5, 5);
    {
        Graphics bg(back.get());
        bg.Clear(Color(255, 0, 0, 255));
    }
    {
        Graphics g(dc);
        CachedBitmap cached(back.get(), &g);
        g.SetClip(Rect(0, 0, 3, 5));
        ASSERT_EQ(g.DrawCachedBitmap(&cached, 0, 0), Ok);
        g.RotateTransform(10);
        EXPECT_EQ(g.DrawCachedBitmap(&cached, 0, 0), WrongState);
    }
    EXPECT_EQ(count_of(*surface, whole(*surface), kBlue), 15);
    EXPECT_TRUE(pixel_is(*surface, 10, 10, kBlue));
    DeleteDC(dc);
}

TEST_F(GdiplusTest, BitmapsFromGdiAndArgbPixels)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP gdi = CreateCompatibleBitmap(dc, 4, 4);
    HGDIOBJ old = SelectObject(dc, gdi);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT r{0, 0, 2, 4};
    FillRect(dc, &r, red);
    SelectObject(dc, old);
    Bitmap* from_gdi = Bitmap::FromHBITMAP(gdi, nullptr);
    ASSERT_EQ(from_gdi->GetLastStatus(), Ok);
    Color c;
    from_gdi->GetPixel(0, 0, &c);
    EXPECT_EQ(c.GetValue(), 0xFFFF0000u);
    from_gdi->GetPixel(3, 0, &c);
    EXPECT_EQ(c.GetValue(), 0xFF000000u);
    delete from_gdi;

    // Straight alpha in, straight alpha out.
    Bitmap argb(2, 1);
    argb.SetPixel(0, 0, Color(128, 255, 0, 0));
    argb.GetPixel(0, 0, &c);
    EXPECT_EQ(c.GetA(), 128);
    EXPECT_NEAR(c.GetR(), 255, 1);
    EXPECT_EQ(argb.GetPixel(5, 0, &c), InvalidParameter);

    Bitmap none(0, 10);
    EXPECT_NE(none.GetLastStatus(), Ok);
    Graphics nothing(static_cast<Image*>(nullptr));
    EXPECT_EQ(nothing.GetLastStatus(), InvalidParameter);
    EXPECT_EQ(nothing.Clear(Color(0)), InvalidParameter) << "calls on a failed graphics fail";

    // Resources come through the resource layer's loader.
    Bitmap missing(nullptr, reinterpret_cast<const WCHAR*>(static_cast<uintptr_t>(800)));
    EXPECT_NE(missing.GetLastStatus(), Ok);
    helm::gdi::set_bitmap_resource_loader([](HINSTANCE, LPCSTR name) -> HBITMAP {
        if (reinterpret_cast<uintptr_t>(name) != 800)
            return nullptr;
        HDC screen = CreateCompatibleDC(nullptr);
        HBITMAP b = CreateCompatibleBitmap(screen, 7, 3);
        DeleteDC(screen);
        return b;
    });
    Bitmap card(nullptr, reinterpret_cast<const WCHAR*>(static_cast<uintptr_t>(800)));
    EXPECT_EQ(card.GetLastStatus(), Ok);
    EXPECT_EQ(card.GetWidth(), 7u);
    helm::gdi::set_bitmap_resource_loader(nullptr);
    DeleteObject(red);
    DeleteObject(gdi);
    DeleteDC(dc);
}

TEST_F(GdiplusTest, PiesAndArcsSweepClockwiseFromTheirStartAngle)
{
    auto bitmap = white_bitmap(64, 64);
    Graphics g(bitmap.get());
    SolidBrush blue(Color(255, 0, 0, 255));
    // From 3 o'clock, 90 degrees clockwise on screen: the lower right quarter.
    ASSERT_EQ(g.FillPie(&blue, 0, 0, 64, 64, 0, 90), Ok);
    EXPECT_EQ(at(*bitmap, 44, 44), kBlue);
    EXPECT_EQ(at(*bitmap, 44, 20), kWhite);
    EXPECT_EQ(at(*bitmap, 20, 44), kWhite);
    // A negative sweep goes the other way: the upper right quarter.
    g.FillPie(&blue, 0, 0, 64, 64, 0, -90);
    EXPECT_EQ(at(*bitmap, 44, 20), kBlue);
    EXPECT_EQ(at(*bitmap, 20, 20), kWhite);
    // On a flattened ellipse the angle is measured on the ellipse itself,
    // not on the circle it is stretched from (which would stop at 22 degrees).
    auto flat = white_bitmap(100, 40);
    Graphics gf(flat.get());
    gf.FillPie(&blue, 0, 0, 100, 40, 0, 45);
    EXPECT_EQ(at(*flat, 70, 33), kBlue) << "33 degrees";
    EXPECT_EQ(at(*flat, 56, 30), kWhite) << "59 degrees";

    auto arc = white_bitmap(64, 64);
    Graphics ga(arc.get());
    Pen black(Color(255, 0, 0, 0), 1);
    ga.DrawArc(&black, 0, 0, 63, 63, 180, 90);  // upper left quarter of the rim
    EXPECT_GT(count(*arc, kBlack), 30);
    EXPECT_EQ(at(*arc, 0, 31), kBlack);
    EXPECT_EQ(at(*arc, 63, 31), kWhite);
    EXPECT_EQ(ga.DrawArc(&black, 0, 0, 0, 10, 0, 90), InvalidParameter);
}
