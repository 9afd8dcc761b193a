#include <gtest/gtest.h>

#include <map>

#include "helm/user/testing/driver.h"
#include "toolkit/CColorTools.h"
#include "toolkit/CMenuTitled.h"
#include "toolkit/CTreeCtrlColor.h"
#include "toolkit_fixture.h"
#include "toolkit_test_ids.h"

namespace {

using toolkit_test::Picture;
namespace driver = helm::user::testing;
namespace input = helm::user::input;

// What the tree is told to paint each item with.
class SpyTree : public CTreeCtrlColor {
public:
    struct Told {
        COLORREF text, back;
        bool selected;
    };
    std::map<HTREEITEM, Told> told;

protected:
    void Spy(NMHDR* header, LRESULT* result)
    {
        CTreeCtrlColor::OnCustomDraw(header, result);
        auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
            told[reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec)] = {
                draw->clrText, draw->clrTextBk, (draw->nmcd.uItemState & CDIS_SELECTED) != 0};
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SpyTree, CTreeCtrlColor)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, Spy)
END_MESSAGE_MAP()

TEST(TreeCtrlColor, EachItemPaintsInItsOwnColours)
{
    CDialog dialog(IDD_TEST_RESIZE);
    ASSERT_TRUE(dialog.Create(IDD_TEST_RESIZE));
    dialog.ShowWindow(SW_SHOW);
    SpyTree tree;
    ASSERT_TRUE(tree.SubclassDlgItem(IDC_TEST_TREE, &dialog));
    tree.SetBkColor(RGB(0, 0, 0));
    HTREEITEM system = tree.InsertItem("System status");
    HTREEITEM alarm = tree.InsertItem("Heading alarm", system);
    HTREEITEM plain = tree.InsertItem("Pitch valid", system);
    ASSERT_TRUE(system && alarm && plain);
    tree.Expand(system, TVE_EXPAND);

    const COLORREF lit = CColorTools::F_ColorLighten(RGB(255, 0, 0), 45);
    const COLORREF dim = CColorTools::F_ColorLighten(RGB(0x1E, 0x1E, 0x1E), 20);
    tree.F_SetItemColor(alarm, RGB(0, 0, 64), RGB(0, 0, 0), RGB(255, 255, 0), lit);
    tree.F_SetItemColor(plain, RGB(0, 0, 64), RGB(0, 0, 0), dim, dim);
    tree.F_SetItemBold(alarm, true);
    EXPECT_EQ(tree.GetItemState(alarm, TVIS_BOLD), static_cast<UINT>(TVIS_BOLD));

    tree.UpdateWindow();
    ASSERT_EQ(tree.told.size(), 3u);
    EXPECT_EQ(tree.told[alarm].text, lit);
    EXPECT_EQ(tree.told[alarm].back, RGB(0, 0, 0));
    EXPECT_EQ(tree.told[plain].text, RGB(0x32, 0x32, 0x32));
    // An item left alone keeps the tree's own colours.
    EXPECT_EQ(tree.told[system].text, GetSysColor(COLOR_WINDOWTEXT));

    // Selected by the operator: its "on" colours.
    CRect row;
    tree.GetItemRect(alarm, &row, TRUE);
    tree.ClientToScreen(&row);
    driver::click_at(row.CenterPoint());
    ASSERT_EQ(tree.GetSelectedItem(), alarm);
    tree.told.clear();
    tree.Invalidate();
    tree.UpdateWindow();
    EXPECT_TRUE(tree.told[alarm].selected);
    EXPECT_EQ(tree.told[alarm].text, RGB(255, 255, 0));
    EXPECT_EQ(tree.told[alarm].back, RGB(0, 0, 64));
    {
        // The selected item on its own background, the other in its dim text.
        Picture picture(dialog, "toolkit_tree_color");
        const CRect area = picture.of(tree);
        CRect selected, other;
        tree.GetItemRect(alarm, &selected, TRUE);
        tree.GetItemRect(plain, &other, TRUE);
        selected.OffsetRect(area.left, area.top);
        other.OffsetRect(area.left, area.top);
        EXPECT_GT(helm::gdi::testing::count_of(*picture.surface, selected, RGB(0, 0, 64)), selected.Width());
        EXPECT_GT(helm::gdi::testing::count_of(*picture.surface, selected, RGB(255, 255, 0), 60), 5);
        EXPECT_GT(helm::gdi::testing::count_of(*picture.surface, other, dim, 20), 5);
    }

    // Only a change repaints, and only the item's row.
    tree.ValidateRect(nullptr);
    tree.F_SetItemColor(plain, RGB(0, 0, 64), RGB(0, 0, 0), dim, dim);
    tree.F_SetItemBold(alarm, true);
    CRect update;
    EXPECT_FALSE(GetUpdateRect(tree.m_hWnd, &update, FALSE));
    tree.F_SetItemColor(plain, RGB(0, 0, 64), RGB(0, 0, 0), dim, lit);
    ASSERT_TRUE(GetUpdateRect(tree.m_hWnd, &update, FALSE));
    CRect plainRow, client;
    tree.GetItemRect(plain, &plainRow, FALSE);
    tree.GetClientRect(&client);
    EXPECT_EQ(update, CRect(client.left, plainRow.top, client.right, plainRow.bottom));

    // Items deleted one by one or all at once are forgotten; unknown ones
    // are refused.
    tree.DeleteItem(plain);
    tree.F_SetItemColor(plain, 1, 2, 3, 4);
    EXPECT_TRUE(tree.DeleteAllItems());
    EXPECT_EQ(tree.GetCount(), 0u);
    tree.told.clear();
    tree.UpdateWindow();
    EXPECT_TRUE(tree.told.empty());
    dialog.DestroyWindow();
}

TEST(ColorTools, LightenSaturates)
{
    struct Case {
        COLORREF colour;
        BYTE amount;
        COLORREF expected;
    };
    for (const Case& c : {Case{RGB(10, 20, 30), 45, RGB(55, 65, 75)}, Case{RGB(250, 0, 211), 45, RGB(255, 45, 255)},
                          Case{RGB(255, 255, 255), 1, RGB(255, 255, 255)}, Case{RGB(1, 2, 3), 0, RGB(1, 2, 3)}})
        EXPECT_EQ(CColorTools::F_ColorLighten(c.colour, c.amount), c.expected);
}

class MenuOwner : public CWnd {};

// A popup with a title: the title is the first item, owner-drawn in the
// caption's colours above a separator, and can never be picked.
TEST(MenuTitled, TitleItemAboveTheMenu)
{
    MenuOwner owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
    HMENU popup = CreatePopupMenu();
    AppendMenu(popup, MF_STRING, 32792, "Recenter");
    AppendMenu(popup, MF_STRING, 32769, "0.5 nT");
    CMenuTitled menu;
    ASSERT_TRUE(menu.Attach(popup));
    menu.F_MenuAddTitle("Vertical Scale");
    const UINT title = RegisterWindowMessage("Pop Up Menu Title");
    ASSERT_EQ(menu.GetMenuItemCount(), 4u);
    EXPECT_EQ(menu.GetMenuItemID(0), title);
    EXPECT_EQ(menu.GetMenuState(0, MF_BYPOSITION) & (MF_OWNERDRAW | MF_DISABLED),
              static_cast<UINT>(MF_OWNERDRAW | MF_DISABLED));
    EXPECT_TRUE(menu.GetMenuState(1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(menu.GetMenuItemID(2), 32792u);

    int shown = 0;
    helm::user::set_common_dialog_shown([&](HWND window) {
        ++shown;
        // The title can never be picked: the first Down lands on it and
        // Enter does nothing; the next Down goes to "Recenter". The keys
        // wait in the queue for the menu's loop.
        for (BYTE key : {VK_DOWN, VK_RETURN, VK_DOWN, VK_RETURN}) {
            EXPECT_TRUE(input::key(key, true));
            input::key(key, false);
        }
        CRect titleRect;
        EXPECT_TRUE(GetMenuItemRect(owner.m_hWnd, popup, 0, &titleRect));
        // Measured to hold the bold title.
        EXPECT_GT(titleRect.Width(), 80);
        auto picture = helm::user::snapshot_window(window);
        helm::gdi::testing::keep_png(*picture, "toolkit_menu_titled");
        CRect inPicture = titleRect;
        CRect popupRect;
        GetWindowRect(window, &popupRect);
        inPicture.OffsetRect(-popupRect.left, -popupRect.top);
        inPicture.DeflateRect(1, 1);
        EXPECT_GT(helm::gdi::testing::count_of(*picture, inPicture, GetSysColor(COLOR_ACTIVECAPTION)),
                  inPicture.Width() * inPicture.Height() / 2);
        EXPECT_GT(helm::gdi::testing::count_of(*picture, inPicture, GetSysColor(COLOR_CAPTIONTEXT), 80), 10);
    });
    const UINT picked = TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RETURNCMD, 100, 100, 0, owner.m_hWnd, nullptr);
    helm::user::set_common_dialog_shown(nullptr);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(picked, 32792u);
    owner.DestroyWindow();
}

}  // namespace
