// The class library's control container: a dialog's wrapper bound to a
// hosted control calls it by dispatch id with VTS_ lists, the dialog's
// event sink map hears its events, CreateControl makes one by class id or
// ProgID, and a dialog whose control is not registered runs without it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afxdisp.h"
#include "afxwin.h"
#include "controls_host_ids.h"
#include "helm/testcontrol/test_control.h"
#include "helm/testcontrol/test_plugin.h"

namespace {

using helm::testcontrol::plugin_idle;

// A wrapper as the dialogs write them: made by class id, called by
// dispatch id with typed argument lists.
class CTestCtrl : public CWnd {
    DECLARE_DYNCREATE(CTestCtrl)

public:
    BOOL Create(LPCSTR, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void*) override
    {
        return CreateControl(CLSID_TestControl, windowName, style, rect, parent, id);
    }
    void AddItem(unsigned short* row, LPCSTR label, LPCSTR value, LPCSTR unit, unsigned short digits, double max,
                 double min, BOOL bounded, BOOL editable)
    {
        static BYTE parms[] = VTS_PUI2 VTS_PI1 VTS_PI1 VTS_PI1 VTS_UI2 VTS_R8 VTS_R8 VTS_BOOL VTS_BOOL;
        InvokeHelper(dispid_add_item, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, row, label, value, unit, digits, max,
                     min, bounded, editable);
    }
    void GetItemText(unsigned short row, char* buffer)
    {
        static BYTE parms[] = VTS_UI2 VTS_PI1;
        InvokeHelper(dispid_get_item_text, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, row, buffer);
    }
    void SetScale(unsigned long mask, double value)
    {
        static BYTE parms[] = VTS_UI4 VTS_R8;
        InvokeHelper(dispid_scale, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, parms, mask, value);
    }
    double GetScale(unsigned long mask)
    {
        double result = -1;
        static BYTE parms[] = VTS_UI4;
        InvokeHelper(dispid_scale, DISPATCH_PROPERTYGET, VT_R8, &result, parms, mask);
        return result;
    }
    void SetCaption(LPCSTR text) { SetProperty(dispid_caption, VT_BSTR, text); }
    CString GetCaption()
    {
        CString result;
        GetProperty(dispid_caption, VT_BSTR, &result);
        return result;
    }
    void SetFlag(BOOL flag) { SetProperty(dispid_flag, VT_BOOL, flag); }
    BOOL GetFlag()
    {
        BOOL result = 7;
        GetProperty(dispid_flag, VT_BOOL, &result);
        return result;
    }
    void GetRange(double* low, double* high)
    {
        static BYTE parms[] = VTS_PR8 VTS_PR8;
        InvokeHelper(dispid_get_range, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, low, high);
    }
    void SetNumbers(short i2, unsigned short ui2, long i4, unsigned long ui4, float r4)
    {
        static BYTE parms[] = VTS_I2 VTS_UI2 VTS_I4 VTS_UI4 VTS_R4;
        InvokeHelper(dispid_set_numbers, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, i2, ui2, i4, ui4, r4);
    }
    void Fire(unsigned long samples)
    {
        static BYTE parms[] = VTS_UI4;
        InvokeHelper(dispid_fire, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, samples);
    }
    CString Journal()
    {
        CString result;
        GetProperty(dispid_journal, VT_BSTR, &result);
        return result;
    }
};
IMPLEMENT_DYNCREATE(CTestCtrl, CWnd)

class CHostDialog : public CDialog {
public:
    CHostDialog() : CDialog(IDD_CONTROL_HOST) {}

    CTestCtrl m_grid;
    CString m_name = "Talvor";
    std::vector<std::string> m_events;

    void DoDataExchange(CDataExchange* dx) override
    {
        CDialog::DoDataExchange(dx);
        DDX_Control(dx, IDC_HOST_GRID, m_grid);
        DDX_Text(dx, IDC_HOST_NAME, m_name);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        // Guarded as the dialogs guard their calls.
        if (m_grid.GetSafeHwnd()) {
            unsigned short row = 0;
            m_grid.AddItem(&row, "Heading", "---", " ", 20, 360, 0, TRUE, FALSE);
        }
        return TRUE;
    }
    void OnSelectionChanged(double low, double high, unsigned long samples)
    {
        m_events.push_back("grid " + std::to_string(low) + " " + std::to_string(high) + " " + std::to_string(samples));
    }
    void OnExtraChanged(double, double, unsigned long samples)
    {
        m_events.push_back("extra " + std::to_string(samples));
    }

    DECLARE_EVENTSINK_MAP()
};

BEGIN_EVENTSINK_MAP(CHostDialog, CDialog)
    ON_EVENT(CHostDialog, IDC_HOST_GRID, dispid_selection_changed, OnSelectionChanged, VTS_R8 VTS_R8 VTS_UI4)
    ON_EVENT(CHostDialog, IDC_HOST_EXTRA, dispid_selection_changed, OnExtraChanged, VTS_R8 VTS_R8 VTS_UI4)
END_EVENTSINK_MAP()

// A derived map comes first; a handler returning FALSE passes the event on.
class CLoggingHostDialog : public CHostDialog {
public:
    BOOL OnGridFirst(double, double, unsigned long samples)
    {
        m_events.push_back("first " + std::to_string(samples));
        return FALSE;
    }

    DECLARE_EVENTSINK_MAP()
};

BEGIN_EVENTSINK_MAP(CLoggingHostDialog, CHostDialog)
    ON_EVENT(CLoggingHostDialog, IDC_HOST_GRID, dispid_selection_changed, OnGridFirst, VTS_R8 VTS_R8 VTS_UI4)
END_EVENTSINK_MAP()

class ControlContainer : public ::testing::Test {
protected:
    static void SetUpTestSuite() { AfxEnableControlContainer(); }
    void TearDown() override
    {
        if (m_dialog.m_hWnd)
            m_dialog.DestroyWindow();
        helm::testcontrol::unregister_plugin();
        EXPECT_TRUE(plugin_idle()) << "the host's closing left a control alive";
    }

    CLoggingHostDialog m_dialog;
};

TEST_F(ControlContainer, WrapperCallsItsHostedControlByDispatchId)
{
    ASSERT_TRUE(helm::testcontrol::register_plugin());
    ASSERT_TRUE(m_dialog.Create(IDD_CONTROL_HOST));
    ASSERT_NE(m_dialog.m_grid.GetSafeHwnd(), nullptr);
    EXPECT_EQ(m_dialog.m_grid.m_hWnd, ::GetDlgItem(m_dialog.m_hWnd, IDC_HOST_GRID));
    EXPECT_NE(m_dialog.m_grid.GetControlUnknown(), nullptr);
    CTestCtrl& grid = m_dialog.m_grid;

    // Rows: a row number out, 8-bit texts in and written back, VT_BOOL as -1.
    unsigned short row = 99;
    grid.AddItem(&row, "Roll", "---", "\xB0", 20, 180, -180, TRUE, FALSE);
    EXPECT_EQ(row, 1);
    char buffer[201] = "untouched";
    grid.GetItemText(1, buffer);
    EXPECT_STREQ(buffer, "---");
    // An indexed put and get, properties put and read back.
    grid.SetScale(2, 1.5);
    EXPECT_EQ(grid.GetScale(2), 1.5);
    grid.SetCaption("Cap \xB0");
    EXPECT_EQ(grid.GetCaption(), "Cap \xB0");
    grid.SetFlag(TRUE);
    EXPECT_EQ(grid.GetFlag(), TRUE);
    grid.SetFlag(FALSE);
    EXPECT_EQ(grid.GetFlag(), FALSE);
    grid.SetNumbers(-3, 65535, 70000, 4000000000UL, 0.25f);
    double low = 0, high = 0;
    grid.GetRange(&low, &high);
    EXPECT_EQ(low, 70000);
    EXPECT_EQ(high, 0.25);
    // The control is the dialog's first tab stop: it took the focus when
    // the dialog opened.
    EXPECT_EQ(grid.Journal(),
              "size(180,98)\n"
              "AddItem(Heading,---, ,20,360,0,-1,0)=0\n"
              "focus\n"
              "AddItem(Roll,---,\xB0,20,180,-180,-1,0)=1\n"
              "Scale(2)=1.5\n"
              "Caption=Cap \xB0\n"
              "Flag=-1\n"
              "Flag=0\n"
              "SetNumbers(-3,65535,70000,4000000000,0.25)\n");

    // Arguments that do not fit their list never reach the control.
    static BYTE ushort_text[] = VTS_UI2 VTS_PI1;
    double not_text = 0;
    grid.InvokeHelper(dispid_set_item_value, DISPATCH_METHOD, VT_EMPTY, nullptr, ushort_text, 0, &not_text);
    grid.InvokeHelper(dispid_set_item_value, DISPATCH_METHOD, VT_EMPTY, nullptr, ushort_text, 0.5, "x");
    grid.InvokeHelper(dispid_set_item_value, DISPATCH_METHOD, VT_EMPTY, nullptr, ushort_text, 0);
    EXPECT_EQ(grid.Journal().Find("SetItemValue"), -1);
}

TEST_F(ControlContainer, HostHearsEventsThroughItsSinkMap)
{
    ASSERT_TRUE(helm::testcontrol::register_plugin());
    ASSERT_TRUE(m_dialog.Create(IDD_CONTROL_HOST));
    m_dialog.m_grid.Fire(640);
    ASSERT_EQ(m_dialog.m_events.size(), 2u);
    EXPECT_EQ(m_dialog.m_events[0], "first 640");
    EXPECT_EQ(m_dialog.m_events[1], "grid 0.500000 20.000000 640");
    m_dialog.m_events.clear();

    // A control made in the dialog by ProgID, under an id the map names.
    CTestCtrl extra;
    ASSERT_TRUE(extra.CreateControl("HelmTest.TestControl", nullptr, WS_VISIBLE, CRect(10, 120, 60, 150), &m_dialog,
                                    IDC_HOST_EXTRA));
    EXPECT_EQ(::GetParent(extra.m_hWnd), m_dialog.m_hWnd);
    extra.Fire(7);
    ASSERT_EQ(m_dialog.m_events.size(), 1u);
    EXPECT_EQ(m_dialog.m_events[0], "extra 7");

    // The object going first takes its control's window and the control.
    HWND window = extra.m_hWnd;
    extra.DestroyWindow();
    EXPECT_FALSE(::IsWindow(window));
    // And a control made by class id in braces goes with its dialog.
    CTestCtrl third;
    ASSERT_TRUE(third.Create(nullptr, nullptr, WS_VISIBLE, CRect(70, 120, 90, 150), &m_dialog, 999, nullptr));
    m_dialog.DestroyWindow();
    EXPECT_EQ(third.m_hWnd, nullptr);
    EXPECT_TRUE(plugin_idle());
}

TEST_F(ControlContainer, UnregisteredControlLeavesTheDialogRunning)
{
    ASSERT_TRUE(m_dialog.Create(IDD_CONTROL_HOST));
    EXPECT_EQ(m_dialog.m_grid.GetSafeHwnd(), nullptr);
    EXPECT_EQ(m_dialog.m_grid.GetControlUnknown(), nullptr);
    // The data exchange went on past the missing control.
    CString name;
    m_dialog.GetDlgItemText(IDC_HOST_NAME, name);
    EXPECT_EQ(name, "Talvor");
    // The wrapper's calls are skipped.
    unsigned short row = 99;
    m_dialog.m_grid.AddItem(&row, "Roll", "---", " ", 20, 0, 0, FALSE, FALSE);
    EXPECT_EQ(row, 99);
    EXPECT_EQ(m_dialog.m_grid.GetScale(1), -1.0);

    CTestCtrl by_id, by_name;
    EXPECT_FALSE(by_id.CreateControl(CLSID_TestControl, nullptr, WS_VISIBLE, CRect(0, 0, 10, 10), &m_dialog, 5));
    EXPECT_FALSE(by_name.CreateControl("HelmTest.TestControl", nullptr, WS_VISIBLE, CRect(0, 0, 10, 10), &m_dialog, 6));
    EXPECT_FALSE(by_name.CreateControl("{45E1B16F-9128-4BEF-8029-10756371C1ED}", nullptr, WS_VISIBLE,
                                       CRect(0, 0, 10, 10), &m_dialog, 6));
    EXPECT_EQ(by_id.m_hWnd, nullptr);
    EXPECT_EQ(::GetDlgItem(m_dialog.m_hWnd, 5), nullptr);
}

}  // namespace
