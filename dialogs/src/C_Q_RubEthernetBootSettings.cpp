#include "dialogs/C_Q_RubEthernetBootSettings.h"

#include "dialogs/HelmdialogsRes.h"

C_Q_RubEthernetBootSettings::C_Q_RubEthernetBootSettings(CWnd* parent)
    : C_Q_DialogRubrique(IDD_RUB_ETHERNET_BOOT, parent)
{
    P_SetInputCount(3);
    P_SetNotifications({{IDC_CHECK_DHCP, Event::click, 0},
                        {IDC_IP_ADDRESS, Event::ip_field, 0},
                        {IDC_IP_NET_MASK, Event::ip_field, 0}});
}

void C_Q_RubEthernetBootSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_DialogRubrique::DoDataExchange(dx);
    DDX_Frame(dx, IDS_TITLE_ETHERNET_BOOT);
    DDX_Control(dx, IDC_CHECK_DHCP, m_checkDhcp);
    DDX_Control(dx, IDC_IP_ADDRESS, m_ipAddress);
    DDX_Control(dx, IDC_IP_NET_MASK, m_netMask);
}

BOOL C_Q_RubEthernetBootSettings::OnInitDialog()
{
    C_Q_DialogRubrique::OnInitDialog();
    m_checkDhcp.SetCheck(BST_UNCHECKED);
    return TRUE;
}

int C_Q_RubEthernetBootSettings::F_InitDialog()
{
    if (!F_HasWindow())
        return -1;
    m_checkDhcp.SetCheck(BST_UNCHECKED);
    P_ResetInputFlags();
    return 0;
}

int C_Q_RubEthernetBootSettings::F_EnableDialog(bool enable)
{
    if (!F_HasWindow())
        return -1;
    P_EnableAll({&m_checkDhcp, &m_ipAddress, &m_netMask}, enable);
    return 0;
}

int C_Q_RubEthernetBootSettings::F_ShowModeDHCP(bool show)
{
    if (!F_HasWindow())
        return -1;
    m_checkDhcp.ShowWindow(show ? SW_SHOW : SW_HIDE);
    if (CWnd* label = GetDlgItem(IDS_LABEL_DHCP))
        label->ShowWindow(show ? SW_SHOW : SW_HIDE);
    return 0;
}
