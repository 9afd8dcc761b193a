#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "helm/user/clipboard.h"
#include "helm/user/testing/driver.h"
#include "toolkit/CEditRestricted.h"
#include "toolkit/CSpinCtrlNum.h"
#include "toolkit_fixture.h"
#include "toolkit_test_ids.h"

namespace {

namespace driver = helm::user::testing;
namespace input = helm::user::input;

class Edits : public toolkit_test::WithDialog<IDD_TEST_EDITS> {
protected:
    CString text_of(CWnd& edit)
    {
        CString text;
        edit.GetWindowText(text);
        return text;
    }
};

TEST_F(Edits, RestrictedEditFiltersWhatIsTyped)
{
    struct Case {
        const char* what;
        void (*restrict)(CEditRestricted&);
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {"nothing set: all", [](CEditRestricted&) {}, "Ab1/-", "Ab1/-"},
        {"allowed digits and point", [](CEditRestricted& e) { e.F_SetEnableChars("0123456789."); }, "a1.b2c", "1.2"},
        {"allowed, backspace still works", [](CEditRestricted& e) { e.F_SetEnableChars("0123456789"); },
         "12\b3", "13"},
        {"allowed null: control characters only", [](CEditRestricted& e) { e.F_SetEnableChars(nullptr); }, "ab1",
         ""},
        {"refused file-name characters",
         [](CEditRestricted& e) { e.F_SetDisableChars("\\/:*?\"<>|"); }, "a/b:c*d", "abcd"},
        {"refused set replaces the allowed one",
         [](CEditRestricted& e) {
             e.F_SetEnableChars("0123456789");
             e.F_SetDisableChars("x");
         },
         "x1y", "1y"},
        {"refused null: all again",
         [](CEditRestricted& e) {
             e.F_SetDisableChars("x");
             e.F_SetDisableChars(nullptr);
         },
         "x1", "x1"},
        {"allowed set replaces the refused one",
         [](CEditRestricted& e) {
             e.F_SetDisableChars("1");
             e.F_SetEnableChars("1");
         },
         "a1", "1"},
    };
    for (const Case& c : cases) {
        CEditRestricted edit;
        ASSERT_TRUE(edit.SubclassDlgItem(IDC_TEST_ENABLED, &dialog));
        edit.SetWindowText("");
        c.restrict(edit);
        driver::focus(edit.m_hWnd);
        driver::type(c.typed);
        EXPECT_EQ(text_of(edit), c.shown) << c.what;
        edit.UnsubclassWindow();
    }
}

TEST_F(Edits, RestrictedEditLetsCtrlAndPasteThrough)
{
    CEditRestricted edit;
    ASSERT_TRUE(edit.SubclassDlgItem(IDC_TEST_DISABLED, &dialog));
    edit.F_SetDisableChars("/");
    driver::focus(edit.m_hWnd);
    // A character typed with Ctrl held reaches the edit unfiltered.
    input::key(VK_CONTROL, true);
    input::character('/');
    driver::pump_until_idle();
    input::key(VK_CONTROL, false);
    driver::pump_until_idle();
    EXPECT_EQ(text_of(edit), "/");
    // So does pasted text.
    ASSERT_TRUE(OpenClipboard(dialog.m_hWnd));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
    std::memcpy(GlobalLock(block), "a/b", 4);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
    edit.SetSel(-1, -1);
    edit.Paste();
    EXPECT_EQ(text_of(edit), "/a/b");
    // The class can be made by name, as dialogs bind it.
    CObject* made = RUNTIME_CLASS(CEditRestricted)->CreateObject();
    EXPECT_TRUE(made && made->IsKindOf(RUNTIME_CLASS(CEdit)));
    delete made;
}

// A spin beside a numeric edit: each arrow click moves the value by the
// delta, within the range.
TEST_F(Edits, SpinDrivesItsNumericEdit)
{
    CEditNum number;
    ASSERT_TRUE(number.SubclassDlgItem(IDC_TEST_NUMBER, &dialog));
    CSpinCtrlNum spin;
    ASSERT_TRUE(spin.Create(WS_CHILD | WS_VISIBLE | UDS_ARROWKEYS, CRect(100, 60, 116, 84), &dialog, IDC_TEST_SPIN));
    spin.SetBuddy(&number);
    EXPECT_EQ(spin.GetBuddy(), &number);
    EXPECT_EQ(text_of(number), "0");
    spin.SetRange(-1.5f, 10.0f);
    spin.SetDelta(0.5f);
    spin.SetPos(2.0f);
    EXPECT_EQ(text_of(number), "2");
    EXPECT_EQ(spin.SendMessage(UDM_GETPOS32), 2);
    float low = 0, high = 0;
    spin.GetRange(low, high);
    EXPECT_EQ(low, -1.5f);
    EXPECT_EQ(high, 10.0f);
    EXPECT_EQ(spin.GetDelta(), 0.5f);

    CRect arrows;
    spin.GetWindowRect(&arrows);
    const POINT up{arrows.CenterPoint().x, arrows.top + 3}, down{arrows.CenterPoint().x, arrows.bottom - 3};
    driver::click_at(up);
    EXPECT_EQ(text_of(number), "2.5");
    driver::click_at(down);
    driver::click_at(down);
    EXPECT_EQ(spin.GetPos(), 1.5f);
    EXPECT_EQ(text_of(number), "1.5");
    // A long run down stops at the range.
    for (int i = 0; i < 12; ++i)
        driver::click_at(down);
    EXPECT_EQ(text_of(number), "-1.5");
    EXPECT_EQ(spin.GetPos(), -1.5f);

    // Typing moves the value; leaving the edit shows it within the range.
    driver::focus(number.m_hWnd);
    number.SetSel(0, -1);
    driver::type("7x.25");
    EXPECT_EQ(spin.GetPos(), 7.25f);
    number.SetSel(0, -1);
    driver::type("99");
    EXPECT_EQ(spin.GetPos(), 10.0f);
    driver::press_tab();
    EXPECT_EQ(text_of(number), "10");
}

// The control goes back to 500 before it reaches either end of a scale up
// to 40,000,000, so a long run of clicks never stops it.
TEST_F(Edits, SpinNeverPinsAtTheEndsOfItsScale)
{
    CEditNum number;
    ASSERT_TRUE(number.SubclassDlgItem(IDC_TEST_NUMBER, &dialog));
    CSpinCtrlNum spin;
    ASSERT_TRUE(spin.Create(WS_CHILD | WS_VISIBLE, CRect(100, 60, 116, 84), &dialog, IDC_TEST_SPIN));
    spin.SetBuddy(&number);
    spin.SetRange(0.0f, 4.0e7f);
    CRect arrows;
    spin.GetWindowRect(&arrows);
    const POINT up{arrows.CenterPoint().x, arrows.top + 3}, down{arrows.CenterPoint().x, arrows.bottom - 3};
    struct Case {
        int from;
        POINT arrow;
        int after;
    };
    for (const Case& c : {Case{3, down, 2}, Case{1, down, 499}, Case{39999998, up, 39999999}, Case{39999999, up, 501}}) {
        spin.SendMessage(UDM_SETPOS32, 0, c.from);
        driver::click_at(c.arrow);
        EXPECT_EQ(spin.SendMessage(UDM_GETPOS32), c.after) << c.from;
    }
    // The edit went one delta for each click all the same: twice down at
    // the foot of its range, then twice up.
    EXPECT_EQ(spin.GetPos(), 2.0f);
}

TEST_F(Edits, SpinWithoutANumericBuddyDrivesOnlyItself)
{
    CSpinCtrlNum spin;
    ASSERT_TRUE(spin.Create(WS_CHILD | WS_VISIBLE, CRect(100, 60, 116, 84), &dialog, IDC_TEST_SPIN));
    EXPECT_EQ(spin.GetBuddy(), nullptr);
    EXPECT_EQ(spin.GetPos(), 0.0f);
    EXPECT_EQ(spin.GetDelta(), 0.0f);
    float low = 3, high = 4;
    spin.GetRange(low, high);
    EXPECT_EQ(low, 3.0f);
    EXPECT_EQ(high, 4.0f);
    spin.SetRange(0.0f, 1000.7f);
    spin.SetPos(12.9f);
    EXPECT_EQ(spin.SendMessage(UDM_GETPOS32), 12);
    int lower = 0, upper = 0;
    spin.GetRange32(lower, upper);
    EXPECT_EQ(upper, 1000);

    // A plain edit as buddy is not a numeric one.
    CEdit plain;
    ASSERT_TRUE(plain.SubclassDlgItem(IDC_TEST_PLAIN, &dialog));
    spin.SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(plain.m_hWnd));
    EXPECT_EQ(spin.GetBuddy(), nullptr);
    spin.SetPos(5.0f);
    EXPECT_EQ(spin.GetPos(), 0.0f);
}

}  // namespace
