#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afxwin.h"
#include "dialog_template.h"

namespace {

using afx_test::DialogTemplate;

constexpr DWORD edit_style = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;

const DialogTemplate& data_template()
{
    static const DialogTemplate t(DS_MODALFRAME | WS_POPUP | WS_CAPTION, "Data",
                                  {
                                      {0x0081, 1000, edit_style, "", 5, 5, 50, 12},
                                      {0x0081, 1001, edit_style, "", 5, 20, 50, 12},
                                      {0x0081, 1002, edit_style, "", 5, 35, 50, 12},
                                      {0x0080, 1003, BS_AUTOCHECKBOX | WS_TABSTOP, "Check", 5, 50, 50, 10},
                                      {0x0080, 1004, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, "A", 60, 5, 40, 10},
                                      {0x0080, 1005, BS_AUTORADIOBUTTON, "B", 60, 15, 40, 10},
                                      {0x0080, 1006, BS_AUTORADIOBUTTON, "C", 60, 25, 40, 10},
                                      {0x0085, 1007, CBS_DROPDOWNLIST | WS_GROUP | WS_TABSTOP, "", 60, 40, 60, 60},
                                      {0x0081, 1008, edit_style | WS_GROUP, "", 5, 65, 50, 12},
                                      {0x0080, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, "OK", 140, 90, 50, 14},
                                  });
    return t;
}

struct BoxCall {
    std::string text;
    UINT type;
};

// Records what AfxMessageBox shows, for the life of the object.
class MessageBoxes {
public:
    MessageBoxes()
    {
        helm::afx::set_message_box([this](HWND, const char* text, const char*, UINT type) {
            calls.push_back({text, type});
            return IDOK;
        });
    }
    ~MessageBoxes() { helm::afx::set_message_box({}); }
    std::vector<BoxCall> calls;
};

class DataDialog : public CDialog {
public:
    int m_count = 12;
    CString m_name = "Talvor";
    double m_gain = 2.5;
    int m_check = 1;
    int m_radio = 2;
    int m_combo = 1;
    UINT m_port = 8110;
    CEdit m_nameEdit;
    int name_changes = 0;

    BOOL OnInitDialog() override
    {
        HWND combo = ::GetDlgItem(m_hWnd, 1007);
        for (const char* entry : {"Serial", "Ethernet", "None"})
            ::SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        return CDialog::OnInitDialog();
    }

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        CDialog::DoDataExchange(dx);
        DDX_Control(dx, 1001, m_nameEdit);
        DDX_Text(dx, 1000, m_count);
        DDV_MinMaxInt(dx, m_count, 0, 100);
        DDX_Text(dx, 1001, m_name);
        DDV_MaxChars(dx, m_name, 10);
        DDX_Text(dx, 1002, m_gain);
        DDX_Check(dx, 1003, m_check);
        DDX_Radio(dx, 1004, m_radio);
        DDX_CBIndex(dx, 1007, m_combo);
        DDX_Text(dx, 1008, m_port);
    }
    void OnNameChange() { ++name_changes; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DataDialog, CDialog)
    ON_EN_CHANGE(1001, OnNameChange)
END_MESSAGE_MAP()

CString text_of(const CWnd& dialog, int id)
{
    CString text;
    dialog.GetDlgItemText(id, text);
    return text;
}

void enter_valid_values(DataDialog& d)
{
    d.SetDlgItemText(1000, " 42 ");
    d.SetDlgItemText(1001, "Heading");
    d.SetDlgItemText(1002, "-0.125");
    d.CheckDlgButton(1003, BST_UNCHECKED);
    d.CheckDlgButton(1004, BST_CHECKED);
    d.CheckDlgButton(1006, BST_UNCHECKED);
    d.SendDlgItemMessage(1007, CB_SETCURSEL, 0);
    d.SetDlgItemText(1008, "502");
}

TEST(DialogData, LoadsTheControlsAndSavesWhatWasEntered)
{
    DataDialog d;
    ASSERT_TRUE(d.CreateIndirect(data_template().get()));
    EXPECT_EQ(text_of(d, 1000), "12");
    EXPECT_EQ(text_of(d, 1001), "Talvor");
    EXPECT_EQ(text_of(d, 1002), "2.5");
    EXPECT_EQ(d.IsDlgButtonChecked(1003), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(d.IsDlgButtonChecked(1004) + d.IsDlgButtonChecked(1005), 0u);
    EXPECT_EQ(d.IsDlgButtonChecked(1006), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(d.SendDlgItemMessage(1007, CB_GETCURSEL), 1);
    EXPECT_EQ(text_of(d, 1008), "8110");
    // The control is bound; its text limit came from DDV_MaxChars.
    EXPECT_EQ(d.m_nameEdit.m_hWnd, ::GetDlgItem(d.m_hWnd, 1001));
    EXPECT_EQ(CWnd::FromHandlePermanent(d.m_nameEdit.m_hWnd), &d.m_nameEdit);
    EXPECT_EQ(d.m_nameEdit.GetLimitText(), 10u);
    // What UpdateData itself wrote was not reported as the operator's.
    EXPECT_EQ(d.name_changes, 0);

    enter_valid_values(d);
    EXPECT_EQ(d.name_changes, 1);
    ASSERT_TRUE(d.UpdateData(TRUE));
    EXPECT_EQ(d.m_count, 42);
    EXPECT_EQ(d.m_name, "Heading");
    EXPECT_DOUBLE_EQ(d.m_gain, -0.125);
    EXPECT_EQ(d.m_check, 0);
    EXPECT_EQ(d.m_radio, 0);
    EXPECT_EQ(d.m_combo, 0);
    EXPECT_EQ(d.m_port, 502u);

    // A double shows its fifteen significant digits.
    d.m_gain = 1234.56789012345;
    ASSERT_TRUE(d.UpdateData(FALSE));
    EXPECT_EQ(text_of(d, 1002), "1234.56789012345");
    ASSERT_TRUE(d.UpdateData(TRUE));
    EXPECT_DOUBLE_EQ(d.m_gain, 1234.56789012345);
    d.DestroyWindow();
}

TEST(DialogData, BadEntriesStopTheExchangeWithTheirMessage)
{
    struct Case {
        int id;
        const char* text;
        const char* message;
    } cases[] = {
        {1000, "12x", "Please enter an integer."},
        {1000, "", "Please enter an integer."},
        {1000, "99999999999", "Please enter an integer."},
        {1000, "101", "Please enter an integer between 0 and 100."},
        {1001, "01234567890", "Enter no more than 10 characters."},
        {1002, "1.5e", "Please enter a number."},
        {1008, "-1", "Please enter a positive integer."},
        {1008, "4294967296", "Please enter a positive integer."},
    };
    for (const Case& c : cases) {
        MessageBoxes boxes;
        DataDialog d;
        ASSERT_TRUE(d.CreateIndirect(data_template().get()));
        enter_valid_values(d);
        d.SetDlgItemText(c.id, c.text);
        EXPECT_FALSE(d.UpdateData(TRUE)) << c.text;
        ASSERT_EQ(boxes.calls.size(), 1u) << c.text;
        EXPECT_EQ(boxes.calls[0].text, c.message);
        // The operator is taken to the field; what follows it is untouched.
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(d.m_hWnd, c.id)) << c.text;
        // Members before the field took their new values, the field and
        // those after it kept theirs.
        EXPECT_EQ(d.m_port, 8110u) << c.text;
        EXPECT_EQ(d.m_check, c.id < 1003 ? 1 : 0) << c.text;
        d.DestroyWindow();
    }
}

TEST(DialogData, AMissingControlFailsInsteadOfCrashing)
{
    class Missing : public CDialog {
        void DoDataExchange(CDataExchange* dx) override
        {
            int value = 0;
            DDX_Text(dx, 4242, value);
        }
    } d;
    // The initial load fails: the dialog ends itself with -1.
    d.InitModalIndirect(data_template().get());
    EXPECT_EQ(d.DoModal(), -1);
    EXPECT_EQ(d.m_hWnd, nullptr);
}

// The application's main window: sees what its family is sent.
class Frame : public CWnd {
public:
    std::vector<MSG> seen;
    BOOL PreTranslateMessage(MSG* msg) override
    {
        seen.push_back(*msg);
        return FALSE;
    }
};

class TypingDialog : public CDialog {
public:
    CString m_text;
    std::vector<MSG> seen;
    BOOL owner_enabled_inside = TRUE;
    HWND owner = nullptr;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        owner = ::GetWindow(m_hWnd, GW_OWNER);
        owner_enabled_inside = ::IsWindowEnabled(owner);
        HWND edit = ::GetDlgItem(m_hWnd, 1000);
        ::PostMessage(edit, WM_APP + 5, 0, 0);
        ::PostMessage(edit, WM_CHAR, 'a', 1);
        ::PostMessage(edit, WM_KEYDOWN, VK_RETURN, 1);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        seen.push_back(*msg);
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, 1000, m_text); }
};

bool saw(const std::vector<MSG>& messages, HWND window, UINT message)
{
    for (const MSG& m : messages) {
        if (m.hwnd == window && m.message == message)
            return true;
    }
    return false;
}

TEST(ModalDialog, MessagesForItsControlsPassPreTranslateMessageInTheModalLoop)
{
    CWinApp app("AfxTests");
    Frame frame;
    ASSERT_TRUE(frame.CreateEx(0, nullptr, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                               nullptr));
    app.m_pMainWnd = &frame;

    TypingDialog d;
    static const DialogTemplate kept(DS_MODALFRAME | WS_POPUP | WS_CAPTION, "Typing",
                                     {
                                         {0x0081, 1000, edit_style, "", 5, 5, 80, 12},
                                         {0x0080, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, "OK", 100, 5, 50, 14},
                                     });
    d.InitModalIndirect(kept.get(), &frame);

    // Enter in the edit reached IsDialogMessage: the default button closed it.
    EXPECT_EQ(d.DoModal(), IDOK);
    EXPECT_EQ(d.m_text, "a");
    EXPECT_EQ(d.owner, frame.m_hWnd);
    EXPECT_FALSE(d.owner_enabled_inside);
    EXPECT_TRUE(frame.IsWindowEnabled());
    EXPECT_EQ(d.m_hWnd, nullptr);
    ASSERT_FALSE(d.seen.empty());
    HWND edit = d.seen.front().hwnd;
    EXPECT_TRUE(saw(d.seen, edit, WM_CHAR));
    EXPECT_TRUE(saw(d.seen, edit, WM_KEYDOWN));
    // What the dialog's navigation does not take goes on up to the main
    // window, the dialog's owner; keys the dialog handled stop there.
    EXPECT_TRUE(saw(frame.seen, edit, WM_APP + 5));
    EXPECT_FALSE(saw(frame.seen, edit, WM_KEYDOWN));
    frame.DestroyWindow();
}

TEST(ModalDialog, EndsFromInitialisationAndOnQuit)
{
    static const DialogTemplate t(WS_POPUP | WS_CAPTION, "Short", {{0x0080, IDOK, BS_PUSHBUTTON, "OK", 5, 5, 40, 14}});
    class Ending : public CDialog {
    public:
        BOOL OnInitDialog() override
        {
            EndDialog(7);
            return TRUE;
        }
    } ending;
    ending.InitModalIndirect(t.get());
    EXPECT_EQ(ending.DoModal(), 7);

    class Quitting : public CDialog {
    public:
        BOOL OnInitDialog() override
        {
            ::PostQuitMessage(3);
            return TRUE;
        }
    } quitting;
    quitting.InitModalIndirect(t.get());
    EXPECT_EQ(quitting.DoModal(), -1);
    // The quit message is there again for the loop that waits for it.
    MSG msg{};
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);

    CDialog missing(static_cast<UINT>(31999));
    EXPECT_EQ(missing.DoModal(), -1);
}

}  // namespace
