#include "dialogs/C_Q_RubPulseSettings.h"

#include "dialogs/HelmdialogsRes.h"

C_Q_RubPulseSettings::C_Q_RubPulseSettings(CWnd* parent)
    : C_Q_RubProtocolPage(IDD_RUB_PULSE, IDS_TITLE_PROTOCOL, parent)
{
    P_SetInputCount(2);
    P_SetNotifications(
        {{IDC_LIST_PROTOCOL, Event::selection, 0}, {IDC_EDIT_PARAMETER, Event::focus_lost_with_text, 1}});
}

void C_Q_RubPulseSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_RubProtocolPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_EDIT_PARAMETER, m_editParam);
}

BOOL C_Q_RubPulseSettings::OnInitDialog()
{
    C_Q_RubProtocolPage::OnInitDialog();
    P_Restrict(m_editParam, "+-1234567890.", 7);
    F_SetParam(0);
    return TRUE;
}

int C_Q_RubPulseSettings::F_InitDialog()
{
    if (C_Q_RubProtocolPage::F_InitDialog() != 0)
        return -1;
    F_SetParam(0);
    return 0;
}

int C_Q_RubPulseSettings::F_EnableDialog(bool enable)
{
    if (C_Q_RubProtocolPage::F_EnableDialog(enable) != 0)
        return -1;
    P_EnableAll({&m_editParam}, enable);
    return 0;
}

int C_Q_RubPulseSettings::F_SetParam(float value)
{
    CString text;
    text.Format("%.02f", value);
    return F_WriteText(m_editParam, text);
}
