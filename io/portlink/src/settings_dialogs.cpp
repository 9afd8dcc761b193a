#include "helm/portlink/settings_dialogs.h"

#include <afxwin.h>
#include <commctrl.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "helm/portlink/port_settings.h"
#include "portlink_resource.h"

namespace {

// Gives each control the text whose string id is the control's id; a text
// beginning with "//" leaves the control as it is.
void translate_controls(HWND dialog)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const char* text = P_GetStringFromDLLTable(GetDlgCtrlID(child));
        if (*text && std::strncmp(text, "//", 2) != 0)
            SetWindowText(child, text);
    }
}

// Formats a string of the table with one number.
CString table_text(int id, int value)
{
    CString text;
    text.Format(P_GetStringFromDLLTable(id), value);
    return text;
}

// A dialog whose OK and Cancel buttons carry the ids of their texts.
class CSettingsDlg : public CDialog {
public:
    using CDialog::CDialog;

protected:
    BOOL OnInitDialog() override
    {
        translate_controls(m_hWnd);
        return CDialog::OnInitDialog();
    }
    void OnOkButton() { OnOK(); }
    void OnCancelButton() { OnCancel(); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSettingsDlg, CDialog)
    ON_BN_CLICKED(IDC_SETTINGS_OK, OnOkButton)
    ON_BN_CLICKED(IDC_SETTINGS_CANCEL, OnCancelButton)
END_MESSAGE_MAP()

// The line's codes, as the serial library has them: parity none, odd,
// even, mark, space; stop bits 1, 1.5, 2.
constexpr int kLastParity = 4;
constexpr int kLastStopCode = 2;
constexpr int kBaudRates[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 128000, 256000};

// The serial port dialog: the line settings as lists to pick from, the
// trigger character as its code and the time-out in milliseconds.
class CComSettingsDlg : public CSettingsDlg {
public:
    CComSettingsDlg(CWnd* parent, int port, const sCOM_CONFIG& config)
        : CSettingsDlg(IDD_COM_SETTINGS, parent), m_config(config), m_port(port)
    {
        m_trigger = m_config.trigger;
        m_timeout = m_config.timeout_ms;
    }
    sCOM_CONFIG m_config;

protected:
    BOOL OnInitDialog() override
    {
        CSettingsDlg::OnInitDialog();
        SetWindowText(table_text(IDS_COM_TITLE, m_port));
        SetDlgItemText(IDS_COM_PORT_LABEL, table_text(IDS_COM_PORT_LABEL, m_port));
        const int32_t baud = m_config.baud;
        bool listed = false;
        for (int rate : kBaudRates) {
            listed = listed || rate == baud;
            add_number(m_baud, rate);
        }
        if (!listed && baud > 0)
            add_number(m_baud, baud);  // a rate set elsewhere stays on offer
        select_data(m_baud, baud);
        add_texts(m_parity, IDS_PARITY_FIRST, kLastParity, m_config.parity);
        for (int bits = 5; bits <= 8; ++bits)
            add_number(m_data_bits, bits);
        select_data(m_data_bits, m_config.data_bits);
        add_texts(m_stop_bits, IDS_STOP_BITS_FIRST, kLastStopCode, m_config.stop_bits);
        return TRUE;
    }

    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, IDC_COM_BAUD, m_baud);
        DDX_Control(dx, IDC_COM_PARITY, m_parity);
        DDX_Control(dx, IDC_COM_DATA_BITS, m_data_bits);
        DDX_Control(dx, IDC_COM_STOP_BITS, m_stop_bits);
        DDX_Text(dx, IDC_COM_TRIGGER, m_trigger);
        DDV_MinMaxInt(dx, m_trigger, 0, 255);
        DDX_Text(dx, IDC_COM_TIMEOUT, m_timeout);
        DDV_MinMaxInt(dx, m_timeout, 0, INT_MAX);
        if (!dx->m_bSaveAndValidate)
            return;
        // A list left without a choice keeps the value it had.
        auto chosen = [](const CComboBox& box, int32_t& value) {
            const int index = box.GetCurSel();
            if (index != CB_ERR)
                value = static_cast<int32_t>(box.GetItemData(index));
        };
        int32_t baud = m_config.baud, parity = m_config.parity, data = m_config.data_bits, stop = m_config.stop_bits;
        chosen(m_baud, baud);
        chosen(m_parity, parity);
        chosen(m_data_bits, data);
        chosen(m_stop_bits, stop);
        m_config.baud = baud;
        m_config.parity = parity;
        m_config.data_bits = data;
        m_config.stop_bits = stop;
        m_config.trigger = static_cast<BYTE>(m_trigger);
        m_config.timeout_ms = m_timeout;
    }

private:
    static void add_number(CComboBox& box, int value)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%d", value);
        box.SetItemData(box.AddString(text), static_cast<DWORD_PTR>(value));
    }
    // Codes 0 to `last`, each with its text.
    static void add_texts(CComboBox& box, int firstText, int last, int32_t current)
    {
        for (int value = 0; value <= last; ++value)
            box.SetItemData(box.AddString(P_GetStringFromDLLTable(firstText + value)), static_cast<DWORD_PTR>(value));
        select_data(box, current);
    }
    static void select_data(CComboBox& box, int32_t value)
    {
        for (int i = 0; i < box.GetCount(); ++i) {
            if (static_cast<int32_t>(box.GetItemData(i)) == value) {
                box.SetCurSel(i);
                return;
            }
        }
    }

    const int m_port;
    CComboBox m_baud, m_parity, m_data_bits, m_stop_bits;
    int m_trigger = 0;
    int m_timeout = 0;
};

// The socket dialog.
class CSockSettingsDlg : public CSettingsDlg {
public:
    CSockSettingsDlg(CWnd* parent, int socket, const sSOCK_CONFIG& config)
        : CSettingsDlg(IDD_SOCK_SETTINGS, parent), m_config(config), m_socket(socket)
    {
        m_ip_port = m_config.ip_port;
        m_timeout = m_config.timeout_ms;
    }
    sSOCK_CONFIG m_config;

protected:
    BOOL OnInitDialog() override
    {
        CSettingsDlg::OnInitDialog();
        SetDlgItemText(IDC_SOCK_LABEL, table_text(IDC_SOCK_LABEL, m_socket));
        const BYTE* a = m_config.ip_address;
        SendDlgItemMessage(IDC_SOCK_ADDRESS, IPM_SETADDRESS, 0, MAKEIPADDRESS(a[0], a[1], a[2], a[3]));
        if (m_config.connection_mode <= SOCK_MODE_UDP_BROADCAST)
            CheckRadioButton(IDC_SOCK_MODE_FIRST, IDC_SOCK_MODE_FIRST + 3, IDC_SOCK_MODE_FIRST + m_config.connection_mode);
        return TRUE;
    }

    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, IDC_SOCK_PORT, m_ip_port);
        DDV_MinMaxInt(dx, m_ip_port, 0, 65535);
        DDX_Text(dx, IDC_SOCK_TIMEOUT, m_timeout);
        DDV_MinMaxInt(dx, m_timeout, 0, INT_MAX);
        if (!dx->m_bSaveAndValidate)
            return;
        DWORD address = 0;
        SendDlgItemMessage(IDC_SOCK_ADDRESS, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
        m_config.ip_address[0] = static_cast<BYTE>(FIRST_IPADDRESS(address));
        m_config.ip_address[1] = static_cast<BYTE>(SECOND_IPADDRESS(address));
        m_config.ip_address[2] = static_cast<BYTE>(THIRD_IPADDRESS(address));
        m_config.ip_address[3] = static_cast<BYTE>(FOURTH_IPADDRESS(address));
        for (int mode = SOCK_MODE_TCP_SERVER; mode <= SOCK_MODE_UDP_BROADCAST; ++mode)
            if (IsDlgButtonChecked(IDC_SOCK_MODE_FIRST + mode) == BST_CHECKED)
                m_config.connection_mode = static_cast<BYTE>(mode);
        m_config.ip_port = m_ip_port;
        m_config.timeout_ms = m_timeout;
    }

private:
    const int m_socket;
    int m_ip_port = 0;
    int m_timeout = 0;
};

CWnd* parent_object(HWND parent) { return parent ? CWnd::FromHandle(parent) : nullptr; }

// Runs the dialog; true, with the operator's settings copied into `record`,
// when they pressed OK and something changed.
template <class Dialog, class Record>
bool confirmed_change(Dialog& dialog, Record* record)
{
    if (dialog.DoModal() != IDOK || std::memcmp(&dialog.m_config, record, sizeof *record) == 0)
        return false;
    std::memcpy(record, &dialog.m_config, sizeof *record);
    return true;
}

}  // namespace

extern "C" {

int F_ComDialog(HWND parent, int port, sCOM_CONFIG* config)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!config || !helm::portlink::is_serial_port(port))
        return 0;
    CComSettingsDlg dialog(parent_object(parent), port, *config);
    return confirmed_change(dialog, config) ? 1 : 0;
}

int F_SockDialog(HWND parent, int socket, sSOCK_CONFIG* config)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!config || socket < 1 || socket > PORTLINK_SOCKETS)
        return 0;
    CSockSettingsDlg dialog(parent_object(parent), socket, *config);
    if (!confirmed_change(dialog, config))
        return 0;
    F_WriteSockConfig(config, nullptr, socket);
    return 1;
}

}  // extern "C"
