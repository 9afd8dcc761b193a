#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "toolkit/CStatusBarAutoWidth.h"
#include "toolkit_fixture.h"
#include "toolkit_test_ids.h"

namespace {

using helm::gdi::testing::ink_bounds;
using toolkit_test::Picture;

// The width of `text` in the bar's font, measured apart from the bar.
int measured(CWnd& bar, const char* text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(bar.SendMessage(WM_GETFONT)));
    SIZE size{};
    GetTextExtentPoint32(dc, text, static_cast<int>(std::strlen(text)), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size.cx;
}

TEST(StatusBarAutoWidth, PanesTakeTheWidthOfTheirTexts)
{
    CDialog dialog(IDD_TEST_EDITS);
    ASSERT_TRUE(dialog.Create(IDD_TEST_EDITS));
    dialog.ShowWindow(SW_SHOW);
    CStatusBarAutoWidth bar;
    ASSERT_TRUE(bar.Create(&dialog));
    const UINT panes[] = {ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR};
    ASSERT_TRUE(bar.SetIndicators(panes, 3));

    const char* texts[] = {"Ready", "COM 1 19200 odd 8 2 bits", "Talvor"};
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(bar.SetPaneText(i, texts[i]));
    int right = 0;
    for (int i = 0; i < 3; ++i) {
        UINT id = 99, style = 99;
        int width = -1;
        bar.GetPaneInfo(i, id, style, width);
        EXPECT_EQ(width, measured(bar, texts[i])) << texts[i];
        EXPECT_EQ(bar.GetPaneText(i), texts[i]);
        // The part holds the text between its edges and margin.
        CRect part;
        bar.GetItemRect(i, &part);
        EXPECT_EQ(part.Width(), width + CStatusBar::pane_padding) << texts[i];
        EXPECT_GE(part.left, right);
        right = part.right;
    }
    {
        // Each text lands whole inside its part.
        Picture picture(dialog, "toolkit_status_bar");
        const CRect strip = picture.of(bar.m_hWnd);
        for (int i = 0; i < 3; ++i) {
            CRect part;
            bar.GetItemRect(i, &part);
            part.OffsetRect(strip.left, strip.top);
            part.DeflateRect(1, 2);
            const CRect ink = ink_bounds(*picture.surface, part, GetSysColor(COLOR_BTNFACE), 60);
            EXPECT_FALSE(ink.IsRectEmpty()) << texts[i];
            EXPECT_GE(ink.left, part.left + 2) << texts[i];
            EXPECT_LE(ink.right, part.right) << texts[i];
        }
    }
    // A wider text widens the pane, an empty one makes it nothing.
    bar.SetPaneText(0, "Connected to the sensor");
    UINT id, style;
    int width;
    bar.GetPaneInfo(0, id, style, width);
    EXPECT_EQ(width, measured(bar, "Connected to the sensor"));
    bar.SetPaneText(2, "");
    bar.GetPaneInfo(2, id, style, width);
    EXPECT_EQ(width, 0);
    EXPECT_FALSE(bar.SetPaneText(3, "none"));
    dialog.DestroyWindow();
}

}  // namespace
