#include <gtest/gtest.h>

#include <string>

#include "helm/user/menus.h"
#include "helm/user/testing/driver.h"
#include "toolkit/CStaticColor.h"
#include "toolkit/CStaticLogo.h"
#include "toolkit/CStaticPalette.h"
#include "toolkit/CStaticPos.h"
#include "toolkit_fixture.h"
#include "toolkit_test_ids.h"

namespace {

using helm::gdi::testing::count_of;
using helm::gdi::testing::ink_count;
using toolkit_test::Picture;
using toolkit_test::PrivateProfile;
namespace driver = helm::user::testing;

using Statics = toolkit_test::WithDialog<IDD_TEST_STATICS>;

TEST_F(Statics, ColourStaticPaintsItsColoursAndFont)
{
    CStaticColor text;
    ASSERT_TRUE(text.SubclassDlgItem(IDC_TEST_COLOR, &dialog));
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(text.F_GetBckColor(), face);
    text.F_SetBckColor(RGB(200, 0, 0));
    text.F_SetTxtColor(RGB(255, 255, 0));
    {
        Picture picture(dialog);
        const CRect area = picture.of(text);
        EXPECT_GT(count_of(*picture.surface, area, RGB(200, 0, 0)), area.Width() * area.Height() / 2);
        EXPECT_GT(count_of(*picture.surface, area, RGB(255, 255, 0), 40), 10);
        EXPECT_EQ(count_of(*picture.surface, area, face), 0);
    }
    // The system colours again.
    text.F_SetBckColor(CStaticColor::system_colour);
    text.F_SetTxtColor(CStaticColor::system_colour);
    EXPECT_EQ(text.F_GetBckColor(), face);
    EXPECT_EQ(text.F_GetTxtColor(), GetSysColor(COLOR_BTNTEXT));

    // Each font change applies to the static's own font.
    LOGFONT before{};
    GetObject(reinterpret_cast<HGDIOBJ>(text.SendMessage(WM_GETFONT)), sizeof before, &before);
    text.F_SetFontUnderline(true, false);
    text.F_SetFontWeight(FW_BOLD, false);
    text.F_SetFontHeight(-20, true);
    LOGFONT after{};
    GetObject(reinterpret_cast<HGDIOBJ>(text.SendMessage(WM_GETFONT)), sizeof after, &after);
    EXPECT_EQ(after.lfHeight, -20);
    EXPECT_EQ(after.lfWeight, FW_BOLD);
    EXPECT_EQ(after.lfUnderline, 1);
    EXPECT_STREQ(after.lfFaceName, before.lfFaceName);
}

TEST_F(Statics, LogoTakesTheLargestPictureThatFits)
{
    CStaticLogo large, small, tiny;
    ASSERT_TRUE(large.SubclassDlgItem(IDC_TEST_LOGO_LARGE, &dialog));
    ASSERT_TRUE(small.SubclassDlgItem(IDC_TEST_LOGO_SMALL, &dialog));
    ASSERT_TRUE(tiny.SubclassDlgItem(IDC_TEST_LOGO_TINY, &dialog));
    Picture picture(dialog, "toolkit_logo");
    const COLORREF white = RGB(255, 255, 255), navy = RGB(0, 0, 128), red = RGB(200, 30, 30);
    for (CStaticLogo* logo : {&large, &small}) {
        const CRect area = picture.of(*logo);
        EXPECT_EQ(picture.at(area.left, area.top), GetSysColor(COLOR_BTNSHADOW));
        EXPECT_EQ(picture.at(area.right - 1, area.bottom - 1), GetSysColor(COLOR_BTNFACE));
        EXPECT_GT(count_of(*picture.surface, area, navy), 0);
        EXPECT_GT(count_of(*picture.surface, area, red), 0);
        EXPECT_GT(count_of(*picture.surface, area, white), 0);
    }
    // The large picture is four times the small one.
    EXPECT_NEAR(count_of(*picture.surface, picture.of(large), navy),
                4 * count_of(*picture.surface, picture.of(small), navy),
                count_of(*picture.surface, picture.of(small), navy));
    // Smaller than both pictures: nothing painted, not even the white.
    EXPECT_EQ(count_of(*picture.surface, picture.of(tiny), white), 0);
}

TEST_F(Statics, PaletteShowsEntriesOneTo255InBands)
{
    CStaticPalette palette;
    CRect place(10, 300, 10 + 255 + 4, 320);
    ASSERT_TRUE(palette.Create(place, &dialog, IDC_TEST_PALETTE));
    unsigned char planes[3][256];
    for (int i = 0; i < 256; ++i) {
        planes[0][i] = static_cast<unsigned char>(i);
        planes[1][i] = static_cast<unsigned char>(255 - i);
        planes[2][i] = 128;
    }
    palette.F_SetPalette(planes);
    Picture picture(dialog);
    const CRect area = picture.of(palette);
    for (int band : {0, 1, 100, 254})
        EXPECT_EQ(picture.at(area.left + 2 + band, area.top + 5), RGB(band + 1, 254 - band, 128)) << band;
}

class Positions : public Statics {
protected:
    void SetUp() override
    {
        Statics::SetUp();
        app.WriteProfileInt("Position Control", "Format", DXX);
    }
    CString text_of(CStaticPos& pos)
    {
        CString text;
        pos.GetWindowText(text);
        return text;
    }

    CWinAppIni app;
    PrivateProfile profile{app, "Helmsight.ini"};
};

TEST_F(Positions, FormatsAValueInEachForm)
{
    struct Case {
        e_posformat format;
        double value;
        bool latitude;
        const char* text;
    };
    const Case cases[] = {
        {DXX, -12.5, true, "12.500000 \xB0 S "},
        {DXX, 3.25, false, "3.250000 \xB0 E "},
        {DMS, 45.5125, true, "45 \xB0 30 ' 45.00 \" N "},
        {DMS, -3.25, false, "3 \xB0 15 ' 00.00 \" W "},
        {DMX, 45.25, true, "45 \xB0 15.0000 ' N "},
        {DMX, -0.5, true, "0 \xB0 30.0000 ' S "},
        {METRIC, 1234.5, true, "N : 0001234.500 m "},
        {METRIC, -42.25, true, "N : -000042.250 m "},
    };
    CStaticPos pos;
    ASSERT_TRUE(pos.SubclassDlgItem(IDC_TEST_POS_A, &dialog));
    EXPECT_EQ(pos.F_PosFormatGet(), DXX);  // from the profile
    for (const Case& c : cases) {
        pos.F_SelectLatLong(c.latitude);
        pos.F_ChangeFormat(c.format, true);
        pos.F_ValueSet(c.value, c.format == METRIC);
        EXPECT_EQ(text_of(pos), c.text) << c.value;
        EXPECT_EQ(pos.F_ValueGet(), c.value);
        // Right-aligned geographic formats, left-aligned metres.
        EXPECT_EQ(pos.GetStyle() & SS_RIGHT, c.format == METRIC ? 0u : static_cast<DWORD>(SS_RIGHT));
    }
    // Each kind keeps its own value.
    pos.F_ProjectedSet(false);
    EXPECT_EQ(pos.F_PosFormatGet(), DMS);
    EXPECT_EQ(pos.F_ValueGet(), -0.5);
    EXPECT_FALSE(pos.F_ProjectedGet());
    pos.F_ProjectedSet(true);
    EXPECT_EQ(pos.F_ValueGet(), -42.25);
    pos.DestroyWindow();
}

TEST_F(Positions, FormatIsKeptInTheApplicationsProfile)
{
    {
        CStaticPos pos;
        pos.F_ChangeFormat(DMX, false);
    }
    EXPECT_EQ(app.GetProfileInt("Position Control", "Format", -1), static_cast<UINT>(DMX));
    {
        CStaticPos pos;
        EXPECT_EQ(pos.F_PosFormatGet(), DMX);
        pos.F_FormatSaveExit(false);
        pos.F_ChangeFormat(METRIC, false);
    }
    EXPECT_EQ(app.GetProfileInt("Position Control", "Format", -1), static_cast<UINT>(DMX));
    // A value no format has reads as the first format.
    app.WriteProfileInt("Position Control", "Format", 9);
    CStaticPos pos;
    EXPECT_EQ(pos.F_PosFormatGet(), DMS);
}

TEST_F(Positions, SynchronisedControlsFollowWithoutEcho)
{
    CStaticPos a, b;
    ASSERT_TRUE(a.SubclassDlgItem(IDC_TEST_POS_A, &dialog));
    ASSERT_TRUE(b.SubclassDlgItem(IDC_TEST_POS_B, &dialog));
    a.F_Synchronize(&b);
    b.F_Synchronize(&a);
    CWnd unbound;
    a.F_Synchronize(&unbound);  // no handle: ignored
    a.F_ValueSet(10.5, false);
    b.F_ValueSet(20.25, false);
    EXPECT_EQ(a.F_GetMsg_Synchro(), b.F_GetMsg_Synchro());
    driver::MessageLog heardByA(a.m_hWnd);
    a.F_ChangeFormat(DMS, false);
    EXPECT_EQ(b.F_PosFormatGet(), DMS);
    EXPECT_EQ(text_of(b), "20 \xB0 15 ' 00.00 \" N ");
    // B told A once; A already had the format and stopped there.
    EXPECT_EQ(heardByA.only({a.F_GetMsg_Synchro()}).size(), 1u);

    // The operator picks "DMX" from A's menu; B follows.
    int shown = 0;
    helm::user::set_common_dialog_shown([&](HWND) {
        ++shown;
        for (BYTE key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
            helm::user::input::key(key, true);
            helm::user::input::key(key, false);
        }
    });
    a.F_FormatShowMenu(CPoint(300, 300));
    driver::pump_until_idle();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(a.F_PosFormatGet(), DMX);
    EXPECT_EQ(b.F_PosFormatGet(), DMX);

    // A projected display offers no menu unless every format is allowed,
    // and then "Metric" is the fourth item.
    a.F_ProjectedSet(true);
    a.F_FormatShowMenu(CPoint(300, 300));
    EXPECT_EQ(shown, 1);
    a.F_FormatUseAllSet(true);
    helm::user::set_common_dialog_shown([&](HWND) {
        ++shown;
        for (BYTE key : {VK_UP, VK_RETURN}) {
            helm::user::input::key(key, true);
            helm::user::input::key(key, false);
        }
    });
    a.F_ChangeFormat(DMS, false);
    a.F_FormatShowMenu(CPoint(300, 300));
    driver::pump_until_idle();
    helm::user::set_common_dialog_shown(nullptr);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(a.F_PosFormatGet(), METRIC);
    a.DestroyWindow();
    b.DestroyWindow();
}

}  // namespace
