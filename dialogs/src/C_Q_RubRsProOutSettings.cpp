#include "dialogs/C_Q_RubRsProOutSettings.h"

#include "dialogs/HelmdialogsRes.h"
#include "toolkit/CStringLang.h"

namespace {

// The host's user-defined protocol in its list.
constexpr int library_protocol = 2;
constexpr WPARAM protocol_group = 12;

struct Period {
    unsigned short ms;
    const char* label;  // null: string IDS_NONE
};
constexpr Period periods[] = {
    {0, nullptr},
    {5, "5ms - 200Hz"},
    {10, "10ms - 100Hz"},
    {20, "20ms - 50Hz"},
    {30, "30ms - 33.3Hz"},
    {40, "40ms - 25Hz"},
    {50, "50ms - 20Hz"},
    {100, "100ms - 10Hz"},
    {200, "200ms - 5Hz"},
    {300, "300ms - 3.33Hz"},
    {400, "400ms - 2.5Hz"},
    {500, "500ms - 2Hz"},
    {1000, "1000ms - 1Hz"},
    {2000, "2000ms - 0.5Hz"},
    {3000, "3000ms - 0.33Hz"},
    {4000, "4000ms - 0.25Hz"},
    {5000, "5000ms - 0.2Hz"},
    {10000, "10000ms - 0.1Hz"},
};

}  // namespace

BEGIN_MESSAGE_MAP(C_Q_RubRsProOutSettings, C_Q_RubProtocolPage)
    ON_BN_CLICKED(IDC_BUTTON_LIBRARY, OnLibrary)
END_MESSAGE_MAP()

C_Q_RubRsProOutSettings::C_Q_RubRsProOutSettings(CWnd* parent)
    : C_Q_RubProtocolPage(IDD_RUB_RS_PRO_OUT, IDS_TITLE_PROTOCOL, parent)
{
    P_SetInputCount(4);
    P_SetNotifications({{IDC_LIST_PROTOCOL, Event::selection, protocol_group},
                        {IDC_LIST_LEVER_ARM, Event::selection, 10},
                        {IDC_LIST_SAMPLE_PERIOD, Event::selection, 11}});
}

void C_Q_RubRsProOutSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_RubProtocolPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_EDIT_USER_PERIOD, m_editUserPeriod);
    DDX_Control(dx, IDC_LIST_LEVER_ARM, m_listLeverArm);
    DDX_Control(dx, IDC_LIST_SAMPLE_PERIOD, m_listSmpPeriod);
}

BOOL C_Q_RubRsProOutSettings::OnInitDialog()
{
    C_Q_RubProtocolPage::OnInitDialog();
    F_InitListSmpPeriod();
    return TRUE;
}

int C_Q_RubRsProOutSettings::F_InitDialog()
{
    if (C_Q_RubProtocolPage::F_InitDialog() != 0)
        return -1;
    m_listLeverArm.ResetContent();
    m_listSmpPeriod.SetCurSel(-1);
    return 0;
}

int C_Q_RubRsProOutSettings::F_EnableDialog(bool enable)
{
    if (C_Q_RubProtocolPage::F_EnableDialog(enable) != 0)
        return -1;
    P_EnableAll({&m_listLeverArm, &m_listSmpPeriod}, enable);
    return 0;
}

int C_Q_RubRsProOutSettings::F_InitListSmpPeriod()
{
    if (!F_HasWindow())
        return -1;
    m_listSmpPeriod.ResetContent();
    m_periods.clear();
    for (const Period& p : periods) {
        CStringLang label;
        if (p.label)
            label = p.label;
        else
            label.LoadString(IDS_NONE);
        F_InitStructAndViewSmpPeriod(p.ms, label);
    }
    return 0;
}

int C_Q_RubRsProOutSettings::F_InitStructAndViewSmpPeriod(unsigned short period, CString label)
{
    if (!F_HasWindow())
        return -1;
    m_periods.push_back({label, period});
    m_listSmpPeriod.InsertString(m_listSmpPeriod.GetCount(), label);
    return 0;
}

int C_Q_RubRsProOutSettings::F_SetCurSelListSmpPeriod(int ms)
{
    if (!F_HasWindow())
        return -1;
    for (size_t i = 0; i < m_periods.size(); ++i)
        if (m_periods[i].period == ms)
            return m_listSmpPeriod.SetCurSel(static_cast<int>(i));
    return -1;
}

int C_Q_RubRsProOutSettings::F_GetCurSelListSmpPeriod()
{
    if (!F_HasWindow())
        return -1;
    if (m_periods.empty())
        return 0;
    const int chosen = m_listSmpPeriod.GetCurSel();
    if (chosen < 0 || static_cast<size_t>(chosen) >= m_periods.size())
        return -1;
    return m_periods[static_cast<size_t>(chosen)].period;
}

void C_Q_RubRsProOutSettings::OnLibrary()
{
    m_listProtocol.SetCurSel(library_protocol);
    P_PostValidate(protocol_group);
}
