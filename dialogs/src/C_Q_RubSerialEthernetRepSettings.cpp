#include "dialogs/C_Q_RubSerialEthernetRepSettings.h"

#include "dialogs/HelmdialogsRes.h"
#include "link_lists.h"

using namespace helm::dialogs;

namespace {
constexpr unsigned serial_link = 1, socket_link = 2;
// Socket connections follow the 32 serial ports.
constexpr unsigned first_socket = 32;
}  // namespace

C_Q_RubSerialEthernetRepSettings::C_Q_RubSerialEthernetRepSettings(CWnd* parent)
    : C_Q_DialogRubrique(IDD_RUB_SERIAL_ETHERNET_REP, parent)
{
    P_SetInputCount(3);
    P_SetNotifications({{IDC_BUTTON_CONNECT_SERIAL, Event::click, 1}, {IDC_BUTTON_CONNECT_SOCKET, Event::click, 2}});
}

void C_Q_RubSerialEthernetRepSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_DialogRubrique::DoDataExchange(dx);
    DDX_Frame(dx, IDS_TITLE_SERIAL_ETHERNET_REP);
    DDX_Control(dx, IDC_LIST_SERIAL_PORT, m_listSerialRep);
    DDX_Control(dx, IDC_BUTTON_CONNECT_SERIAL, m_buttonSerial);
    DDX_Control(dx, IDC_LIST_SOCKET_PORT, m_listSocketRep);
    DDX_Control(dx, IDC_BUTTON_CONNECT_SOCKET, m_buttonSocket);
    DDX_Control(dx, IDC_IP_ADDRESS, m_ipAddress);
}

BOOL C_Q_RubSerialEthernetRepSettings::OnInitDialog()
{
    C_Q_DialogRubrique::OnInitDialog();
    m_serialEnabled = true;
    m_listSerialRep.ResetContent();
    m_listSocketRep.ResetContent();
    m_ipAddress.EnableWindow(TRUE);
    P_ShowButtonState(m_buttonSerial, IDI_NOT_CONNECTED, false);
    P_ShowButtonState(m_buttonSocket, IDI_NOT_CONNECTED, false);
    P_AddTips({&m_buttonSerial, &m_buttonSocket}, IDS_TIP_CONNECT);
    return TRUE;
}

void C_Q_RubSerialEthernetRepSettings::P_CreateListSerialRep(unsigned* ports, unsigned count)
{
    if (!F_HasWindow())
        return;
    if (count == 0)
        m_listSerialRep.InsertString(m_listSerialRep.GetCount(), "none");
    else
        append_link_entries(m_listSerialRep, IDS_COM_PORT_ENTRY, ports, count);
}

void C_Q_RubSerialEthernetRepSettings::P_CreateListSocketRep(unsigned* sockets, unsigned count)
{
    if (F_HasWindow())
        append_link_entries(m_listSocketRep, IDS_SOCKET_ENTRY, sockets, count);
}

void C_Q_RubSerialEthernetRepSettings::P_SelectRepCnx(unsigned type, unsigned number, bool connected)
{
    if (!F_HasWindow())
        return;
    m_buttonSocket.EnableWindow(TRUE);
    m_buttonSerial.EnableWindow(m_serialEnabled);
    const UINT icon = connected ? IDI_CONNECTED : IDI_NOT_CONNECTED;
    if (type == serial_link) {
        select_link_entry(m_listSerialRep, IDS_COM_PORT_ENTRY, number);
        P_ShowButtonState(m_buttonSerial, icon, connected);
        m_listSerialRep.EnableWindow(!connected);
    } else if (type == socket_link) {
        select_link_entry(m_listSocketRep, IDS_SOCKET_ENTRY, number - first_socket);
        P_ShowButtonState(m_buttonSocket, icon, connected);
        m_ipAddress.EnableWindow(!connected);
        m_listSocketRep.EnableWindow(!connected);
    }
}

void C_Q_RubSerialEthernetRepSettings::P_SelectRepConnectingCnx(unsigned type)
{
    if (!F_HasWindow())
        return;
    m_buttonSerial.EnableWindow(FALSE);
    m_buttonSocket.EnableWindow(FALSE);
    if (type == serial_link) {
        P_ShowButtonState(m_buttonSerial, IDI_CONNECTING, true);
        m_buttonSerial.EnableWindow(m_serialEnabled);
        m_listSerialRep.EnableWindow(FALSE);
    } else if (type == socket_link) {
        P_ShowButtonState(m_buttonSocket, IDI_CONNECTING, true);
        m_ipAddress.EnableWindow(FALSE);
        m_listSocketRep.EnableWindow(FALSE);
    }
}

unsigned C_Q_RubSerialEthernetRepSettings::P_GetSerialRepSelected()
{
    return F_HasWindow() ? selected_link_number(m_listSerialRep, IDS_COM_PORT_ENTRY) : 0;
}

unsigned C_Q_RubSerialEthernetRepSettings::P_GetSocketRepSelected()
{
    if (!F_HasWindow())
        return 0;
    const unsigned socket = selected_link_number(m_listSocketRep, IDS_SOCKET_ENTRY);
    return socket ? socket + first_socket : 0;
}

void C_Q_RubSerialEthernetRepSettings::P_UpdateSerialHardSettings(CString* baud, CString* parity, CString* stop)
{
    if (!F_HasWindow())
        return;
    if (baud)
        SetDlgItemText(IDC_TEXT_BAUD_RATE, *baud);
    if (parity)
        SetDlgItemText(IDC_TEXT_PARITY, *parity);
    if (stop)
        SetDlgItemText(IDC_TEXT_STOP_BITS, *stop);
}

void C_Q_RubSerialEthernetRepSettings::P_UpdateEthernetFixedSettings(CString* transport, CString* port)
{
    if (!F_HasWindow())
        return;
    if (transport)
        SetDlgItemText(IDC_TEXT_TRANSPORT, *transport);
    if (port)
        SetDlgItemText(IDC_TEXT_SOCKET_PORT, *port);
}

void C_Q_RubSerialEthernetRepSettings::P_EnableRepSerie(bool enable)
{
    m_serialEnabled = enable;
    if (!F_HasWindow())
        return;
    P_EnableAll({&m_listSerialRep, &m_buttonSerial}, enable);
}
