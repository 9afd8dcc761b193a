#include <gtest/gtest.h>

#include "toolkit/CProductInfo.h"
#include "toolkit/WidgetryFunctions.h"

namespace {

TEST(ToolkitFunctions, IconsByKind)
{
    for (int kind = 0; kind <= 5; ++kind)
        EXPECT_NE(F_Q_LoadIcon(kind), nullptr) << kind;
    EXPECT_EQ(F_Q_LoadIcon(-1), nullptr);
    EXPECT_EQ(F_Q_LoadIcon(6), nullptr);
}

TEST(ToolkitFunctions, BitmapsByKindAttachedToTheObject)
{
    struct Case {
        int kind;
        LONG width, height;
    };
    CBitmap bitmap;
    for (const Case& c : {Case{0, 96, 32}, Case{1, 192, 64}, Case{2, 64, 16}}) {
        BITMAP info{};
        HBITMAP handle = F_Q_LoadBitmap(c.kind, &bitmap, &info);
        ASSERT_NE(handle, nullptr) << c.kind;
        EXPECT_EQ(static_cast<HBITMAP>(bitmap), handle);
        EXPECT_EQ(info.bmWidth, c.width);
        EXPECT_EQ(info.bmHeight, c.height);
    }
    EXPECT_EQ(F_Q_LoadBitmap(3, &bitmap, nullptr), nullptr);
    EXPECT_EQ(F_Q_LoadBitmap(0, nullptr, nullptr), nullptr);
}

TEST(ProductInfo, TextsOfTheVersionBlock)
{
    // The test program's block (the module of the current application).
    CProductInfo program;
    EXPECT_EQ(program.m_strProductName, "Helmsight");
    EXPECT_EQ(program.m_strProductVersion, "2.5.0.1");
    EXPECT_EQ(program.m_strCopyright, "Copyright 2024");
    EXPECT_EQ(program.m_strCompany, "Varnek");
    EXPECT_EQ(program.m_strComments, "Repeater");

    CProductInfo toolkit(GetModuleHandle("helm_toolkit"));
    EXPECT_EQ(toolkit.m_strProductName, "Widgetry");
    EXPECT_TRUE(toolkit.m_strComments.IsEmpty());

    // A module without a version block: every text empty.
    CProductInfo none(GetModuleHandle("helm_kernel"));
    EXPECT_TRUE(none.m_strProductName.IsEmpty());
    EXPECT_TRUE(none.m_strProductVersion.IsEmpty());
    EXPECT_TRUE(none.m_strCopyright.IsEmpty());
}

}  // namespace
