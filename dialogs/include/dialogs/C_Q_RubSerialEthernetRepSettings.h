// C_Q_RubSerialEthernetRepSettings: the link to the sensor, serial or by
// socket (template 4212). Each kind has its list, fixed settings and
// connect button: the serial button posts group 1, the socket button 2;
// the host reads the selection and shows the outcome with P_SelectRepCnx
// (type 1 serial, 2 socket). Socket connections are numbered 33 to 37 and
// shown as "SOCK 1" to "SOCK 5".
#pragma once

#include "dialogs/C_Q_DialogRubrique.h"

class C_Q_RubSerialEthernetRepSettings : public C_Q_DialogRubrique {
public:
    explicit C_Q_RubSerialEthernetRepSettings(CWnd* parent = nullptr);

    // Appends "COM <n> " per port, or the single entry "none" for none.
    void P_CreateListSerialRep(unsigned* ports, unsigned count);
    // Appends "SOCK <k>" per socket index (1 to 5).
    void P_CreateListSocketRep(unsigned* sockets, unsigned count);
    void P_SelectRepCnx(unsigned type, unsigned number, bool connected);
    // Both buttons locked while a link of that type is being made.
    void P_SelectRepConnectingCnx(unsigned type);
    unsigned P_GetSerialRepSelected();
    // The socket connection (index + 32); 0 for none.
    unsigned P_GetSocketRepSelected();
    void P_UpdateSerialHardSettings(CString* baud, CString* parity, CString* stop);
    void P_UpdateEthernetFixedSettings(CString* transport, CString* port);
    // Whether the serial link may be used: its list and button follow.
    void P_EnableRepSerie(bool enable);
    int F_SetIPAdresse(BYTE a, BYTE b, BYTE c, BYTE d) { return F_WriteAddress(m_ipAddress, a, b, c, d); }
    int F_GetIPAdresse(BYTE& a, BYTE& b, BYTE& c, BYTE& d) { return F_ReadAddress(m_ipAddress, a, b, c, d); }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    CComboBox m_listSerialRep;
    CButton m_buttonSerial;
    CComboBox m_listSocketRep;
    CButton m_buttonSocket;
    CIPAddressCtrl m_ipAddress;
    bool m_serialEnabled = true;
};
