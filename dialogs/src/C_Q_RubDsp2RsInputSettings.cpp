#include "dialogs/C_Q_RubDsp2RsInputSettings.h"

#include "dialogs/HelmdialogsRes.h"

C_Q_RubDsp2RsInputSettings::C_Q_RubDsp2RsInputSettings(CWnd* parent)
    : C_Q_RubTimeOutPage(IDD_RUB_DSP2_RS_INPUT, IDS_TITLE_INPUT, 2, parent)
{
    P_SetInputCount(3);
    P_SetNotifications({{IDC_LIST_PROTOCOL, Event::selection, 0}, {IDC_LIST_BAUD_RATE, Event::selection, 1}});
}

void C_Q_RubDsp2RsInputSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_RubTimeOutPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_LIST_BAUD_RATE, m_listBaudRate);
}

int C_Q_RubDsp2RsInputSettings::F_InitDialog()
{
    if (C_Q_RubTimeOutPage::F_InitDialog() != 0)
        return -1;
    m_listBaudRate.ResetContent();
    return 0;
}

int C_Q_RubDsp2RsInputSettings::F_EnableDialog(bool enable)
{
    if (C_Q_RubTimeOutPage::F_EnableDialog(enable) != 0)
        return -1;
    P_EnableAll({&m_listBaudRate}, enable);
    return 0;
}
