#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afxwin.h"
#include "dialog_template.h"
#include "helm/user/testing/driver.h"

namespace {

using afx_test::DialogTemplate;
namespace driver = helm::user::testing;

// An edit that lets only digits through, as a restricted edit does.
class DigitsEdit : public CEdit {
protected:
    void OnChar(UINT ch, UINT repeat, UINT flags)
    {
        if (ch >= '0' && ch <= '9')
            CEdit::OnChar(ch, repeat, flags);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DigitsEdit, CEdit)
    ON_WM_CHAR()
END_MESSAGE_MAP()

class PortDialog : public CDialog {
public:
    CComboBox m_kind;
    CComboBox m_free;
    DigitsEdit m_port;
    CString m_kindText = "Eth";
    CString m_freeText = "COM9";
    int selection_changes = 0;
    int port_focus_losses = 0;

    BOOL OnInitDialog() override
    {
        // The controls are bound before the data go in.
        m_port.SubclassDlgItem(1002, this);
        for (const char* entry : {"Serial", "Ethernet", "None"}) {
            ::SendDlgItemMessage(m_hWnd, 1000, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
            ::SendDlgItemMessage(m_hWnd, 1001, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        }
        return CDialog::OnInitDialog();
    }

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, 1000, m_kind);
        DDX_Control(dx, 1001, m_free);
        DDX_CBString(dx, 1000, m_kindText);
        DDX_CBString(dx, 1001, m_freeText);
    }
    void OnKindChange() { ++selection_changes; }
    void OnPortKillFocus() { ++port_focus_losses; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PortDialog, CDialog)
    ON_CBN_SELCHANGE(1000, OnKindChange)
    ON_EN_KILLFOCUS(1002, OnPortKillFocus)
END_MESSAGE_MAP()

const DialogTemplate& port_template()
{
    static const DialogTemplate t(WS_POPUP | WS_CAPTION | WS_VISIBLE, "Port",
                                  {
                                      {0x0085, 1000, CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, "", 5, 5, 80, 60},
                                      {0x0085, 1001, CBS_DROPDOWN | WS_TABSTOP, "", 5, 20, 80, 60},
                                      {0x0081, 1002, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, "", 5, 35, 80, 12},
                                      {0x0080, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, "OK", 100, 5, 50, 14},
                                  });
    return t;
}

TEST(ControlClasses, BoundControlsReportTheOperatorsActionsOnly)
{
    PortDialog d;
    ASSERT_TRUE(d.CreateIndirect(port_template().get()));
    // A drop-down list selects the first entry the text begins; a drop-down
    // combo shows the text even when no entry holds it.
    EXPECT_EQ(d.m_kind.GetCurSel(), 1);
    CString shown;
    d.m_free.GetWindowText(shown);
    EXPECT_EQ(shown, "COM9");
    EXPECT_EQ(d.m_free.GetCurSel(), CB_ERR);

    d.m_kind.SetCurSel(2);  // the program's own change: no notification
    EXPECT_EQ(d.selection_changes, 0);
    ASSERT_TRUE(driver::pick_combo_entry(d.m_kind.m_hWnd, 0));
    EXPECT_EQ(d.selection_changes, 1);
    EXPECT_EQ(d.m_kind.GetCurSel(), 0);
    CString entry;
    d.m_kind.GetLBText(0, entry);
    EXPECT_EQ(entry, "Serial");
    EXPECT_EQ(d.m_kind.FindStringExact(-1, "ethernet"), 1);

    // The subclassed edit filters what is typed; leaving it is reported.
    driver::focus(d.m_port.m_hWnd);
    driver::type("a1b2");
    CString port;
    d.m_port.GetWindowText(port);
    EXPECT_EQ(port, "12");
    EXPECT_EQ(d.port_focus_losses, 0);
    driver::press_tab();
    EXPECT_EQ(d.port_focus_losses, 1);

    ASSERT_TRUE(d.UpdateData(TRUE));
    EXPECT_EQ(d.m_kindText, "Serial");
    d.DestroyWindow();
    EXPECT_EQ(d.m_port.m_hWnd, nullptr);
    EXPECT_EQ(d.m_kind.m_hWnd, nullptr);
}

TEST(ControlClasses, RadioGroupWithNothingCheckedSavesMinusOne)
{
    static const DialogTemplate t(WS_POPUP, "Radios",
                                  {
                                      {0x0080, 1000, BS_AUTORADIOBUTTON | WS_GROUP, "A", 5, 5, 40, 10},
                                      {0x0082, 1001, 0, "label", 5, 15, 40, 10},
                                      {0x0080, 1002, BS_AUTORADIOBUTTON, "B", 5, 25, 40, 10},
                                      {0x0080, 1003, BS_AUTORADIOBUTTON | WS_GROUP, "Other group", 5, 35, 40, 10},
                                  });
    class Radios : public CDialog {
    public:
        int m_choice = 1;
        void DoDataExchange(CDataExchange* dx) override { DDX_Radio(dx, 1000, m_choice); }
    } d;
    ASSERT_TRUE(d.CreateIndirect(t.get()));
    // The static between the buttons does not count; the next group is not part.
    EXPECT_EQ(d.IsDlgButtonChecked(1002), static_cast<UINT>(BST_CHECKED));
    d.CheckDlgButton(1003, BST_CHECKED);
    d.CheckDlgButton(1002, BST_UNCHECKED);
    ASSERT_TRUE(d.UpdateData(TRUE));
    EXPECT_EQ(d.m_choice, -1);
    d.DestroyWindow();
}

}  // namespace

namespace {

TEST(ControlClasses, ListAndExactComboExchange)
{
    static const DialogTemplate t(WS_POPUP, "Lists",
                                  {
                                      {0x0083, 1000, WS_VSCROLL | WS_TABSTOP, "", 5, 5, 60, 40},
                                      {0x0085, 1001, CBS_DROPDOWNLIST | WS_TABSTOP, "", 5, 50, 60, 60},
                                  });
    class Lists : public CDialog {
    public:
        int m_index = 2;
        CString m_text;
        CString m_exact = "Ethernet 2";
        CListBox m_list;
        BOOL OnInitDialog() override
        {
            m_list.SubclassDlgItem(1000, this);
            for (const char* entry : {"Ethernet", "Ethernet 2", "Serial"}) {
                m_list.AddString(entry);
                ::SendDlgItemMessage(m_hWnd, 1001, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
            }
            return CDialog::OnInitDialog();
        }
        void DoDataExchange(CDataExchange* dx) override
        {
            DDX_LBIndex(dx, 1000, m_index);
            DDX_CBStringExact(dx, 1001, m_exact);
        }
    } d;
    ASSERT_TRUE(d.CreateIndirect(t.get()));
    EXPECT_EQ(d.m_list.GetCurSel(), 2);
    // An exact match, not the first entry that begins with the text.
    EXPECT_EQ(d.SendDlgItemMessage(1001, CB_GETCURSEL), 1);
    d.m_list.SetCurSel(0);
    d.SendDlgItemMessage(1001, CB_SETCURSEL, 2);
    ASSERT_TRUE(d.UpdateData(TRUE));
    EXPECT_EQ(d.m_index, 0);
    EXPECT_EQ(d.m_exact, "Serial");

    CDataExchange save(&d, TRUE);
    DDX_LBString(&save, 1000, d.m_text);
    EXPECT_EQ(d.m_text, "Ethernet");
    CDataExchange load(&d, FALSE);
    d.m_text = "Ser";
    DDX_LBString(&load, 1000, d.m_text);
    EXPECT_EQ(d.m_list.GetCurSel(), 2);
    d.DestroyWindow();
}

}  // namespace
