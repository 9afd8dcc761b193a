#include <gtest/gtest.h>

#include <cstring>

#include "afxwin.h"

namespace {

TEST(GdiObjects, OwnTheirHandlesUnlessDetached)
{
    HGDIOBJ brush, pen, font, kept;
    {
        CBrush b(RGB(1, 2, 3));
        CPen p(PS_SOLID, 2, RGB(4, 5, 6));
        CFont f;
        LOGFONT lf{};
        lf.lfHeight = -11;
        std::strcpy(lf.lfFaceName, "Arial");
        ASSERT_TRUE(f.CreateFontIndirect(&lf));
        LOGFONT back{};
        ASSERT_EQ(f.GetLogFont(&back), static_cast<int>(sizeof back));
        EXPECT_EQ(back.lfHeight, -11);
        brush = b, pen = p, font = f;
        EXPECT_EQ(GetObjectType(brush), OBJ_BRUSH);
        CBrush detached(RGB(7, 8, 9));
        kept = detached.Detach();
        // A second handle is refused while one is held.
        EXPECT_FALSE(b.Attach(kept));
    }
    EXPECT_EQ(GetObjectType(brush), 0);
    EXPECT_EQ(GetObjectType(pen), 0);
    EXPECT_EQ(GetObjectType(font), 0);
    EXPECT_EQ(GetObjectType(kept), OBJ_BRUSH);
    DeleteObject(kept);
}

TEST(GdiObjects, DeviceContextSelectsAndDraws)
{
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(dc, 20, 10));
    CBitmap* before = dc.SelectObject(&bitmap);
    ASSERT_NE(before, nullptr);
    EXPECT_TRUE(before->IsKindOf(RUNTIME_CLASS(CBitmap)));
    BITMAP info{};
    bitmap.GetBitmap(&info);
    EXPECT_EQ(info.bmWidth, 20);

    dc.FillSolidRect(0, 0, 20, 10, RGB(255, 255, 255));
    const CRect frame(2, 2, 12, 8);
    dc.Draw3dRect(&frame, RGB(255, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 0, 0));    // top left
    EXPECT_EQ(GetPixel(dc, 10, 2), RGB(255, 0, 0));   // top edge
    EXPECT_EQ(GetPixel(dc, 11, 2), RGB(0, 0, 255));   // right edge, from the top
    EXPECT_EQ(GetPixel(dc, 2, 7), RGB(0, 0, 255));    // bottom edge
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 255, 255));

    CPen pen(PS_SOLID, 1, RGB(0, 128, 0));
    CPen* oldPen = dc.SelectObject(&pen);
    EXPECT_TRUE(oldPen->IsKindOf(RUNTIME_CLASS(CPen)));
    dc.MoveTo(0, 9);
    dc.LineTo(20, 9);
    EXPECT_EQ(GetPixel(dc, 15, 9), RGB(0, 128, 0));
    dc.SelectObject(oldPen);
    dc.SelectObject(before);
    // The temporary objects never delete what they stand for.
    CGdiObject::DeleteTempMap();
    EXPECT_EQ(GetObjectType(pen), OBJ_PEN);
    EXPECT_EQ(dc.GetTextExtent("").cx, 0);
}

}  // namespace
