#include "dialogs/C_Q_RubEthernetSettings.h"

#include <cstdlib>

#include "dialogs/HelmdialogsRes.h"

C_Q_RubEthernetSettings::C_Q_RubEthernetSettings(CWnd* parent) : C_Q_DialogRubrique(IDD_RUB_ETHERNET, parent)
{
    P_SetInputCount(3);
    P_SetNotifications({{IDC_LIST_TRANSPORT, Event::selection, 0},
                        {IDC_EDIT_PORT, Event::focus_lost_with_text, 0},
                        {IDC_EDIT_PORT, Event::full, 0},
                        {IDC_IP_ADDRESS, Event::ip_field, 0}});
}

void C_Q_RubEthernetSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_DialogRubrique::DoDataExchange(dx);
    DDX_Frame(dx, IDS_TITLE_ETHERNET);
    DDX_Control(dx, IDC_LIST_TRANSPORT, m_listTransport);
    DDX_Control(dx, IDC_EDIT_PORT, m_editPort);
    DDX_Control(dx, IDC_IP_ADDRESS, m_ipAddress);
}

BOOL C_Q_RubEthernetSettings::OnInitDialog()
{
    C_Q_DialogRubrique::OnInitDialog();
    P_Restrict(m_editPort, "1234567890", 5);
    return TRUE;
}

bool C_Q_RubEthernetSettings::address_counts() const
{
    const int transport = m_listTransport.GetCurSel();
    return transport != 0 && transport != 3;
}

int C_Q_RubEthernetSettings::F_InitDialog()
{
    if (!F_HasWindow())
        return -1;
    m_listTransport.ResetContent();
    P_ResetInputFlags();
    return 0;
}

int C_Q_RubEthernetSettings::F_EnableDialog(bool enable)
{
    if (!F_HasWindow())
        return -1;
    P_EnableAll({&m_listTransport, &m_editPort}, enable);
    m_ipAddress.EnableWindow(enable && address_counts());
    return 0;
}

int C_Q_RubEthernetSettings::F_GetCurSelListTransport()
{
    if (!F_HasWindow())
        return -1;
    m_ipAddress.EnableWindow(address_counts());
    return m_listTransport.GetCurSel();
}

int C_Q_RubEthernetSettings::F_SetPort(int port)
{
    CString text;
    text.Format("%d", port);
    return F_WriteText(m_editPort, text);
}

int C_Q_RubEthernetSettings::F_GetPort()
{
    if (!F_HasWindow())
        return -1;
    CString text;
    m_editPort.GetWindowText(text);
    if (text.IsEmpty())
        return -1;
    const int port = std::atoi(text);
    if (port > 65535 || port < 1024)
        ::MessageBox(m_hWnd, "1024 < Port number < 65535", "Warning on Ethernet preferences", MB_OK);
    return port;
}

