#include <gtest/gtest.h>

#include "afxcmn.h"
#include "afxext.h"

namespace {

class CommonControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                    nullptr));
    }
    void TearDown() override { parent.DestroyWindow(); }

    CWnd parent;
};

TEST_F(CommonControls, MenusAreBoundOrTemporary)
{
    HMENU popup = nullptr;
    {
        CMenu menu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        popup = menu;
        EXPECT_EQ(CMenu::FromHandlePermanent(popup), &menu);
        EXPECT_EQ(CMenu::FromHandle(popup), &menu);
        menu.AppendMenu(MF_STRING, 10, "First");
        menu.AppendMenu(MF_STRING, 11, "Second");
        EXPECT_EQ(menu.CheckMenuItem(11, MF_CHECKED), static_cast<UINT>(MF_UNCHECKED));
        EXPECT_EQ(menu.GetMenuItemCount(), 2u);
        EXPECT_EQ(menu.GetMenuItemID(1), 11u);
        // A second object for the same menu is a temporary one once the
        // first lets go.
        EXPECT_EQ(menu.Detach(), popup);
        EXPECT_EQ(CMenu::FromHandlePermanent(popup), nullptr);
        CMenu* temporary = CMenu::FromHandle(popup);
        ASSERT_NE(temporary, nullptr);
        EXPECT_EQ(temporary->GetMenuState(11, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
        CMenu::DeleteTempMap();
        EXPECT_TRUE(IsMenu(popup));  // a temporary object never destroys its menu
        menu.Attach(popup);
    }
    EXPECT_FALSE(IsMenu(popup));  // the bound object did
}

TEST_F(CommonControls, TooltipImageListAndSpin)
{
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&parent));
    ASSERT_TRUE(tip.AddTool(&parent, "Tip text", nullptr, 7));
    EXPECT_EQ(tip.GetText(&parent, 7), "Tip text");
    tip.UpdateTipText("Other text", &parent, 7);
    EXPECT_EQ(tip.GetText(&parent, 7), "Other text");

    CImageList images;
    ASSERT_TRUE(images.Create(8, 8, ILC_COLOR24 | ILC_MASK, 1, 0));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap picture;
    picture.CreateCompatibleBitmap(dc, 8, 8);
    EXPECT_EQ(images.Add(&picture, RGB(255, 255, 255)), 0);
    EXPECT_EQ(images.GetImageCount(), 1);
    EXPECT_EQ(images.Add(nullptr, 0), -1);

    CSpinButtonCtrl spin;
    CEdit buddy;
    ASSERT_TRUE(buddy.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20), &parent, 1));
    ASSERT_TRUE(spin.Create(WS_CHILD | WS_VISIBLE, CRect(50, 0, 66, 20), &parent, 2));
    spin.SetBuddy(&buddy);
    EXPECT_EQ(spin.GetBuddy(), &buddy);
    spin.SetRange32(-5, 5000);
    int low = 0, high = 0;
    spin.GetRange32(low, high);
    EXPECT_EQ(low, -5);
    EXPECT_EQ(high, 5000);
    spin.SetPos(42);
    EXPECT_EQ(spin.GetPos32(), 42);
}

// Parts follow the panes' widths with the control's edges, margin and
// gaps; a stretching pane takes what the others leave.
TEST_F(CommonControls, StatusBarPanesMakeTheParts)
{
    CStatusBar bar;
    ASSERT_TRUE(bar.Create(&parent));
    const UINT ids[] = {ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR};
    ASSERT_TRUE(bar.SetIndicators(ids, 3));
    bar.SetPaneInfo(0, ID_SEPARATOR, SBPS_STRETCH, 10);
    bar.SetPaneInfo(1, 41, SBPS_NORMAL, 60);
    bar.SetPaneInfo(2, 42, SBPS_POPOUT, 30);
    EXPECT_EQ(bar.CommandToIndex(42), 2);
    EXPECT_EQ(bar.CommandToIndex(43), -1);
    CRect client;
    bar.GetClientRect(&client);
    CRect parts[3];
    for (int i = 0; i < 3; ++i)
        bar.GetItemRect(i, &parts[i]);
    EXPECT_EQ(parts[1].Width(), 60 + CStatusBar::pane_padding);
    EXPECT_EQ(parts[2].Width(), 30 + CStatusBar::pane_padding);
    EXPECT_EQ(parts[2].right, client.right);
    EXPECT_GT(parts[0].Width(), 200);
    EXPECT_TRUE(bar.SetPaneText(1, "COM 1"));
    EXPECT_EQ(bar.GetPaneText(1), "COM 1");
    EXPECT_FALSE(bar.SetPaneText(5, "none"));
    EXPECT_FALSE(bar.SetIndicators(ids, -1));
}

}  // namespace
