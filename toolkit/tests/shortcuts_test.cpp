#include <gtest/gtest.h>

#include "afxcmn.h"
#include "helm/user/testing/driver.h"
#include "toolkit/CStringArraySort.h"
#include "toolkit/WidgetryFunctions.h"
#include "toolkit/WidgetryRes.h"
#include "toolkit_fixture.h"

namespace {

using toolkit_test::LanguageChoice;

HWND shortcuts_dialog()
{
    return toolkit_test::find_top_level([](HWND window) { return GetDlgItem(window, IDC_SHORTCUTS_LIST) != nullptr; });
}

CString header_text(HWND list, int column)
{
    char text[64] = {};
    LVCOLUMN fields{};
    fields.mask = LVCF_TEXT;
    fields.pszText = text;
    fields.cchTextMax = sizeof text;
    SendMessage(list, LVM_GETCOLUMN, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&fields));
    return text;
}

// The test program's main accelerator table: each entry's keys beside its
// command's text, sorted by keys.
TEST(Shortcuts, ListTheProgramsAcceleratorsSortedByKey)
{
    LanguageChoice language;
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
    ShowAccelerators(owner.m_hWnd);
    HWND dialog = shortcuts_dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    char title[32] = {};
    GetWindowText(dialog, title, sizeof title);
    EXPECT_STREQ(title, "Shortcuts");
    EXPECT_NE(SendMessage(dialog, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessage(dialog, WM_GETICON, ICON_SMALL, 0), 0);

    // The dialog binds its list to a list control object.
    CWnd* bound = CWnd::FromHandlePermanent(GetDlgItem(dialog, IDC_SHORTCUTS_LIST));
    ASSERT_TRUE(bound && bound->IsKindOf(RUNTIME_CLASS(CListCtrl)));
    CListCtrl& list = *static_cast<CListCtrl*>(bound);
    struct Row {
        const char* keys;
        const char* command;
    };
    const Row rows[] = {
        {"Alt+Delete", "Delete\nnow"}, {"Ctrl+O", "Open"}, {"Ctrl+Shift+S", "Save all"},
        {"F1", "Help topics"},         {"n", "Next page"},
    };
    ASSERT_EQ(list.GetItemCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(list.GetItemText(i, 0), rows[i].keys) << i;
        EXPECT_EQ(list.GetItemText(i, 1), rows[i].command) << i;
    }
    EXPECT_EQ(header_text(list, 0), "Key");
    EXPECT_EQ(header_text(list, 1), "Description");
    EXPECT_FALSE(list.GetHeaderCtrl()->IsWindowEnabled());
    // Each column fits its widest text.
    CDC measure;
    measure.CreateCompatibleDC(nullptr);
    ::SelectObject(measure, reinterpret_cast<HGDIOBJ>(list.SendMessage(WM_GETFONT)));
    EXPECT_GE(list.GetColumnWidth(0), measure.GetTextExtent("Ctrl+Shift+S").cx);
    EXPECT_GE(list.GetColumnWidth(1), measure.GetTextExtent("Help topics").cx);

    // The list grows with the dialog.
    CRect before, after, box;
    list.GetWindowRect(&before);
    GetWindowRect(dialog, &box);
    SetWindowPos(dialog, nullptr, 0, 0, box.Width() + 50, box.Height() + 30, SWP_NOMOVE | SWP_NOZORDER);
    list.GetWindowRect(&after);
    EXPECT_EQ(after.Width(), before.Width() + 50);
    EXPECT_EQ(after.Height(), before.Height() + 30);
    toolkit_test::Picture picture(*CWnd::FromHandle(dialog), "toolkit_shortcuts");

    // Closed, then asked for again in French: the same dialog.
    SendMessage(dialog, WM_CLOSE, 0, 0);
    helm::user::testing::pump_until_idle();
    EXPECT_FALSE(IsWindowVisible(dialog));
    language.set(0);
    ShowAccelerators(owner.m_hWnd);
    EXPECT_EQ(shortcuts_dialog(), dialog);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(list.GetItemCount(), 5);
    owner.DestroyWindow();
    EXPECT_FALSE(IsWindow(dialog));
    // Made again, in French now.
    ShowAccelerators(nullptr);
    dialog = shortcuts_dialog();
    ASSERT_NE(dialog, nullptr);
    GetWindowText(dialog, title, sizeof title);
    EXPECT_STREQ(title, "Raccourcis");
    EXPECT_EQ(header_text(GetDlgItem(dialog, IDC_SHORTCUTS_LIST), 0), "Touche");
    DestroyWindow(dialog);
}

TEST(Shortcuts, SortedStringArray)
{
    CStringArraySort lines;
    for (const char* text : {"beta", "Alpha", "alpha", "Gamma", "", "Beta"})
        lines.Add(text);
    lines.Sort();
    const char* sorted[] = {"", "Alpha", "alpha", "Beta", "beta", "Gamma"};
    ASSERT_EQ(lines.GetSize(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(lines[i], sorted[i]) << i;
}

}  // namespace
