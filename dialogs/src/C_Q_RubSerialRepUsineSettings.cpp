#include "dialogs/C_Q_RubSerialRepUsineSettings.h"

#include <algorithm>
#include <iterator>

#include "dialogs/HelmdialogsRes.h"
#include "link_lists.h"
#include "toolkit/CStringLang.h"

using namespace helm::dialogs;

namespace {

constexpr unsigned baud_rates[] = {19200, 38400, 57600, 115200};
// Stop-bit codes of the list's two entries.
constexpr unsigned short stop_codes[] = {0, 2};
// The boards are numbered from 2.
constexpr unsigned short first_board = 2;

template <class T, size_t n>
int index_of(const T (&table)[n], unsigned value)
{
    const auto* found = std::find(std::begin(table), std::end(table), value);
    return found == std::end(table) ? -1 : static_cast<int>(found - std::begin(table));
}

}  // namespace

C_Q_RubSerialRepUsineSettings::C_Q_RubSerialRepUsineSettings(CWnd* parent)
    : C_Q_DialogRubrique(IDD_RUB_SERIAL_REP_USINE, parent)
{
    P_SetInputCount(6);
    P_SetNotifications({{IDC_BUTTON_CONNECT, Event::click, 0}, {IDS_CHECK_AUTO_LOAD, Event::click, 1}});
}

void C_Q_RubSerialRepUsineSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_DialogRubrique::DoDataExchange(dx);
    DDX_Frame(dx, IDS_TITLE_SERIAL_REP);
    DDX_Control(dx, IDC_LIST_SERIAL_PORT, m_listSerialRep);
    DDX_Control(dx, IDC_BUTTON_CONNECT, m_buttonConnect);
    DDX_Control(dx, IDC_LIST_USINE_BAUD_RATE, m_listBaudRate);
    DDX_Control(dx, IDC_LIST_USINE_PARITY, m_listParity);
    DDX_Control(dx, IDC_LIST_USINE_STOP_BITS, m_listStopBits);
    DDX_Control(dx, IDC_LIST_USINE_BOARD, m_listBoard);
}

BOOL C_Q_RubSerialRepUsineSettings::OnInitDialog()
{
    C_Q_DialogRubrique::OnInitDialog();
    for (CComboBox* list : {&m_listSerialRep, &m_listBaudRate, &m_listParity, &m_listStopBits, &m_listBoard})
        list->ResetContent();
    CString text;
    for (unsigned baud : baud_rates) {
        text.Format("%u", baud);
        m_listBaudRate.InsertString(m_listBaudRate.GetCount(), text);
    }
    auto add_string = [](CComboBox& list, UINT id) {
        CStringLang entry;
        entry.LoadString(id);
        list.InsertString(list.GetCount(), entry);
    };
    for (UINT id : {IDS_PARITY_NONE, IDS_PARITY_ODD, IDS_PARITY_EVEN})
        add_string(m_listParity, id);
    for (UINT id : {IDS_STOP_BITS_1, IDS_STOP_BITS_2})
        add_string(m_listStopBits, id);
    for (int dsp = 2; dsp <= 4; ++dsp) {
        text.Format("DSP%d", dsp);
        m_listBoard.InsertString(m_listBoard.GetCount(), text);
    }
    m_listBoard.InsertString(m_listBoard.GetCount(), "CINT");
    P_ShowButtonState(m_buttonConnect, IDI_NOT_CONNECTED, false);
    P_AddTips({&m_buttonConnect}, IDS_TIP_CONNECT);
    return TRUE;
}

void C_Q_RubSerialRepUsineSettings::P_CreateListSerialRep(unsigned* ports, unsigned count)
{
    if (!F_HasWindow())
        return;
    m_listSerialRep.ResetContent();
    append_link_entries(m_listSerialRep, IDS_COM_PORT_ENTRY, ports, count);
}

void C_Q_RubSerialRepUsineSettings::P_SelectSerialRepSettings(unsigned port, unsigned baud, unsigned short parity,
                                                              unsigned short stop, unsigned short board,
                                                              bool connected)
{
    if (!F_HasWindow())
        return;
    select_link_entry(m_listSerialRep, IDS_COM_PORT_ENTRY, port);
    if (const int entry = index_of(baud_rates, baud); entry >= 0)
        m_listBaudRate.SetCurSel(entry);
    if (parity <= 2)
        m_listParity.SetCurSel(parity);
    if (const int entry = index_of(stop_codes, stop); entry >= 0)
        m_listStopBits.SetCurSel(entry);
    if (board >= first_board && board < first_board + 4)
        m_listBoard.SetCurSel(board - first_board);
    P_ShowButtonState(m_buttonConnect, connected ? IDI_CONNECTED : IDI_NOT_CONNECTED, connected);
    P_EnableAll({&m_listSerialRep, &m_listBaudRate, &m_listParity, &m_listStopBits, &m_listBoard}, !connected);
}

int C_Q_RubSerialRepUsineSettings::P_GetSerialRepSettingsSelected(unsigned* port, unsigned* baud,
                                                                 unsigned short* parity, unsigned short* stop,
                                                                 unsigned short* board)
{
    if (!F_HasWindow())
        return -1;
    const unsigned shown = selected_link_number(m_listSerialRep, IDS_COM_PORT_ENTRY);
    if (!shown)
        return -1;
    if (port)
        *port = shown;
    if (const int entry = m_listBaudRate.GetCurSel(); entry >= 0 && baud)
        *baud = baud_rates[entry];
    if (parity)
        *parity = static_cast<unsigned short>(m_listParity.GetCurSel());
    if (const int entry = m_listStopBits.GetCurSel(); entry >= 0 && stop)
        *stop = stop_codes[entry];
    if (const int entry = m_listBoard.GetCurSel(); entry >= 0 && board)
        *board = static_cast<unsigned short>(entry + first_board);
    return 0;
}
