#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "afxcmn.h"
#include "afxdlgs.h"
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

TEST_F(CommonControls, AddressAndRichEditObjects)
{
    CIPAddressCtrl address;
    ASSERT_TRUE(address.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 120, 20), &parent, 30));
    EXPECT_EQ(address.GetAddress(*std::make_unique<DWORD>()), 0) << "every field blank";
    address.SetAddress(192, 168, 1, 254);
    BYTE a = 0, b = 0, c = 0, d = 0;
    EXPECT_EQ(address.GetAddress(a, b, c, d), 4);
    EXPECT_EQ((std::vector<int>{a, b, c, d}), (std::vector<int>{192, 168, 1, 254}));
    address.ClearAddress();
    EXPECT_TRUE(address.IsBlank());

    CRichEditCtrl box;
    ASSERT_TRUE(box.Create(WS_CHILD | ES_MULTILINE, CRect(0, 30, 200, 100), &parent, 31));
    box.ReplaceSel("second\r\n");
    box.SetSel(0, 0);
    CHARFORMAT format{};
    box.GetSelectionCharFormat(format);
    format.dwMask = CFM_COLOR;
    format.crTextColor = RGB(255, 0, 0);
    box.SetSelectionCharFormat(format);
    box.ReplaceSel("first\r\n");
    EXPECT_EQ(box.GetLineCount(), 3);
    EXPECT_EQ(box.LineIndex(1), 7);
    EXPECT_EQ(box.GetTextLength(), 15);
    box.SetSel(0, 1);
    EXPECT_EQ(box.GetSelectionCharFormat(format) & CFM_COLOR, static_cast<DWORD>(CFM_COLOR));
    EXPECT_EQ(format.crTextColor, RGB(255, 0, 0));
    LONG start = -1, end = -1;
    box.GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 1);
    box.LimitText(10);
    EXPECT_EQ(box.GetLimitText(), 10);
}

// The file dialog in the class library's form: the filter's bars become
// the pairs the dialog lists, and the chosen path splits into its parts.
TEST_F(CommonControls, FileDialogTakesTheClassLibrarysFilter)
{
    helm::user::FileDialogQuestion asked{};
    helm::user::set_file_dialog_answer([&](const helm::user::FileDialogQuestion& q) {
        asked = q;
        return helm::user::FileDialogChoice{true, "/tmp/set1.txt", 0};
    });
    CFileDialog open(TRUE, "txt", "", OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, "Settings File(*.txt)|*.txt||", &parent);
    open.m_ofn.lpstrInitialDir = "\\tmp";
    EXPECT_EQ(open.DoModal(), IDOK);
    EXPECT_FALSE(asked.save);
    EXPECT_EQ(asked.owner, parent.m_hWnd);
    ASSERT_EQ(asked.filters.size(), 1u);
    EXPECT_EQ(asked.filters[0].first, "Settings File(*.txt)");
    EXPECT_EQ(asked.filters[0].second, "*.txt");
    EXPECT_EQ(asked.default_extension, "txt");
    EXPECT_EQ(asked.initial_folder, "\\tmp");
    EXPECT_EQ(open.GetPathName(), "\\tmp\\set1.txt");
    EXPECT_EQ(open.GetFileName(), "set1.txt");
    EXPECT_EQ(open.GetFileExt(), "txt");

    helm::user::set_file_dialog_answer([&](const helm::user::FileDialogQuestion& q) {
        asked = q;
        return helm::user::FileDialogChoice{};
    });
    CFileDialog save(FALSE, nullptr, "record", OFN_OVERWRITEPROMPT, nullptr, &parent);
    EXPECT_EQ(save.DoModal(), IDCANCEL);
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.initial_name, "record");
    helm::user::set_file_dialog_answer({});
}

}  // namespace
