#include <gtest/gtest.h>

#include "helm/user/testing/driver.h"
#include "toolkit/CButtonPin.h"
#include "toolkit/CDialogResize.h"
#include "toolkit_fixture.h"
#include "toolkit_test_ids.h"

namespace {

namespace driver = helm::user::testing;

class ResizeDialog : public CDialogResize {
public:
    ResizeDialog() : CDialogResize(IDD_TEST_RESIZE) {}
    BOOL OnInitDialog() override
    {
        CDialogResize::OnInitDialog();
        m_pin.SubclassDlgItem(IDC_TEST_PIN, this);
        m_min.SubclassDlgItem(IDC_TEST_MIN, this);
        // The list grows; the pin keeps its place; OK and Cancel follow
        // the bottom right corner.
        F_AddDlgControl(IDC_TEST_LIST, true, false, true, false);
        F_AddDlgControl(IDC_TEST_PIN, true, true, true, true);
        F_AddDlgControl(IDOK, false, false, false, false);
        F_AddDlgControl(IDCANCEL, false, false, false, false);
        return TRUE;
    }
    CRect place_of(int id)
    {
        CRect r;
        GetDlgItem(id)->GetWindowRect(&r);
        ScreenToClient(&r);
        return r;
    }
    CButtonPin m_pin;
    CButtonMin m_min;
};

TEST(DialogChain, ControlsFollowTheSizeAsAnchored)
{
    ResizeDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_RESIZE));
    dialog.ShowWindow(SW_SHOW);
    CRect original;
    dialog.F_GetOriginalRect(original);
    CRect now;
    dialog.GetWindowRect(&now);
    EXPECT_EQ(original, now);
    const CRect list = dialog.place_of(IDC_TEST_LIST), pin = dialog.place_of(IDC_TEST_PIN),
                ok = dialog.place_of(IDOK), tree = dialog.place_of(IDC_TEST_TREE);

    dialog.SetWindowPos(nullptr, 0, 0, original.Width() + 60, original.Height() + 40, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(dialog.place_of(IDC_TEST_LIST), CRect(list.left, list.top, list.right + 60, list.bottom + 40));
    EXPECT_EQ(dialog.place_of(IDC_TEST_PIN), pin);
    CRect movedOk = ok;
    movedOk.OffsetRect(60, 40);
    EXPECT_EQ(dialog.place_of(IDOK), movedOk);
    EXPECT_EQ(dialog.place_of(IDC_TEST_TREE), tree);  // not registered
    // Smaller than it was made: allowed until forbidden.
    dialog.SetWindowPos(nullptr, 0, 0, original.Width() - 30, original.Height() - 20, SWP_NOMOVE | SWP_NOZORDER);
    dialog.GetWindowRect(&now);
    EXPECT_EQ(now.Width(), original.Width() - 30);
    EXPECT_EQ(dialog.place_of(IDC_TEST_LIST).right, list.right - 30);
    dialog.F_SetAllowLessWidth(false, -1);
    dialog.F_SetAllowLessHeight(false, original.Height());
    dialog.SetWindowPos(nullptr, 0, 0, 150, 60, SWP_NOMOVE | SWP_NOZORDER);
    dialog.GetWindowRect(&now);
    EXPECT_EQ(now.Width(), original.Width() - 30);
    EXPECT_EQ(now.Height(), original.Height());
    dialog.F_SetAllowLessWidth(true, 0);
    dialog.SetWindowPos(nullptr, 0, 0, 150, 60, SWP_NOMOVE | SWP_NOZORDER);
    dialog.GetWindowRect(&now);
    EXPECT_EQ(now.Width(), 150);
    // Minimised, nothing moves.
    const CRect before = dialog.place_of(IDC_TEST_LIST);
    dialog.ShowWindow(SW_MINIMIZE);
    EXPECT_EQ(dialog.place_of(IDC_TEST_LIST), before);
    dialog.DestroyWindow();
}

TEST(DialogChain, PinAndMinimiseButtons)
{
    ResizeDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_RESIZE));
    dialog.ShowWindow(SW_SHOW);
    driver::MessageLog clicks(dialog.m_hWnd);
    const HICON loose = reinterpret_cast<HICON>(dialog.m_pin.SendMessage(BM_GETIMAGE, IMAGE_ICON));
    EXPECT_NE(loose, nullptr);
    EXPECT_TRUE(dialog.m_pin.GetStyle() & BS_ICON);
    EXPECT_FALSE(dialog.F_GetTopMost());
    driver::click(dialog.m_pin.m_hWnd);
    EXPECT_TRUE(dialog.F_GetTopMost());
    EXPECT_TRUE(dialog.GetExStyle() & WS_EX_TOPMOST);
    EXPECT_NE(reinterpret_cast<HICON>(dialog.m_pin.SendMessage(BM_GETIMAGE, IMAGE_ICON)), loose);
    driver::click(dialog.m_pin.m_hWnd);
    EXPECT_FALSE(dialog.F_GetTopMost());
    EXPECT_EQ(reinterpret_cast<HICON>(dialog.m_pin.SendMessage(BM_GETIMAGE, IMAGE_ICON)), loose);
    // The dialog hears of the clicks too.
    EXPECT_EQ(clicks.commands(), (std::vector<std::pair<int, int>>{{IDC_TEST_PIN, BN_CLICKED}, {IDC_TEST_PIN, BN_CLICKED}}));
    {
        toolkit_test::Picture picture(dialog, "toolkit_dialog_chain");
        EXPECT_GT(helm::gdi::testing::count_of(*picture.surface, picture.of(dialog.m_pin), RGB(200, 30, 30)), 4);
    }
    EXPECT_TRUE(dialog.m_min.GetStyle() & BS_ICON);
    driver::click(dialog.m_min.m_hWnd);
    EXPECT_TRUE(dialog.IsIconic());
    dialog.DestroyWindow();
}

}  // namespace
