#include "dialogs/C_Q_RubEthernetBroadcastSettings.h"

#include "dialogs/HelmdialogsRes.h"

C_Q_RubEthernetBroadcastSettings::C_Q_RubEthernetBroadcastSettings(CWnd* parent)
    : C_Q_DialogRubrique(IDD_RUB_ETHERNET_BROADCAST, parent)
{
    P_SetInputCount(1);
    P_SetNotifications({{IDC_CHECK_BROADCAST, Event::click, 0}});
}

void C_Q_RubEthernetBroadcastSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_DialogRubrique::DoDataExchange(dx);
    DDX_Frame(dx, 0);
    DDX_Control(dx, IDC_CHECK_BROADCAST, m_checkBroadcast);
}

int C_Q_RubEthernetBroadcastSettings::F_InitDialog()
{
    if (!F_HasWindow())
        return -1;
    m_checkBroadcast.SetCheck(BST_UNCHECKED);
    P_ResetInputFlags();
    return 0;
}

int C_Q_RubEthernetBroadcastSettings::F_EnableDialog(bool enable)
{
    if (!F_HasWindow())
        return -1;
    P_EnableAll({&m_checkBroadcast}, enable);
    return 0;
}
