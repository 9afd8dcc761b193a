#include "dialogs/C_Q_RubSerialRepSettings.h"

#include "dialogs/HelmdialogsRes.h"
#include "link_lists.h"

using namespace helm::dialogs;

C_Q_RubSerialRepSettings::C_Q_RubSerialRepSettings(CWnd* parent) : C_Q_DialogRubrique(IDD_RUB_SERIAL_REP, parent)
{
    P_SetInputCount(1);
    P_SetNotifications({{IDC_BUTTON_CONNECT, Event::click, 0}});
}

void C_Q_RubSerialRepSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_DialogRubrique::DoDataExchange(dx);
    DDX_Frame(dx, IDS_TITLE_SERIAL_REP);
    DDX_Control(dx, IDC_LIST_SERIAL_PORT, m_listSerialRep);
    DDX_Control(dx, IDC_BUTTON_CONNECT, m_buttonConnect);
}

BOOL C_Q_RubSerialRepSettings::OnInitDialog()
{
    C_Q_DialogRubrique::OnInitDialog();
    P_ShowButtonState(m_buttonConnect, IDI_NOT_CONNECTED, false);
    P_AddTips({&m_buttonConnect}, IDS_TIP_CONNECT);
    return TRUE;
}

void C_Q_RubSerialRepSettings::P_CreateListSerialRep(unsigned* ports, unsigned count)
{
    if (!F_HasWindow())
        return;
    m_listSerialRep.ResetContent();
    append_link_entries(m_listSerialRep, IDS_COM_PORT_ENTRY, ports, count);
}

void C_Q_RubSerialRepSettings::P_SelectSerialRep(unsigned port, bool connected)
{
    if (!F_HasWindow())
        return;
    select_link_entry(m_listSerialRep, IDS_COM_PORT_ENTRY, port);
    P_ShowButtonState(m_buttonConnect, connected ? IDI_CONNECTED : IDI_NOT_CONNECTED, connected);
    m_listSerialRep.EnableWindow(!connected);
}

unsigned C_Q_RubSerialRepSettings::P_GetSerialRepSelected()
{
    return F_HasWindow() ? selected_link_number(m_listSerialRep, IDS_COM_PORT_ENTRY) : 0;
}

void C_Q_RubSerialRepSettings::P_UpdateSerialHardSettings(int baud, int parity, int stop)
{
    if (!F_HasWindow())
        return;
    CString text;
    text.Format("%d", baud);
    SetDlgItemText(IDC_TEXT_BAUD_RATE, text);
    SetDlgItemText(IDC_TEXT_PARITY, parity_text(parity));
    SetDlgItemText(IDC_TEXT_STOP_BITS, stop_bits_text(stop));
}
