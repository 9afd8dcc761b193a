// C_Q_RubEthernetBootSettings: the sensor's own addressing: DHCP, IP
// address and net mask (template 4213). A DHCP click and a field changed
// in either address post group 0.
#pragma once

#include "dialogs/C_Q_DialogRubrique.h"

class C_Q_RubEthernetBootSettings : public C_Q_DialogRubrique {
public:
    explicit C_Q_RubEthernetBootSettings(CWnd* parent = nullptr);

    // Unchecks DHCP (the addresses are kept).
    int F_InitDialog();
    int F_EnableDialog(bool enable);
    int F_SetIPAdresse(BYTE a, BYTE b, BYTE c, BYTE d) { return F_WriteAddress(m_ipAddress, a, b, c, d); }
    int F_GetIPAdresse(BYTE& a, BYTE& b, BYTE& c, BYTE& d) { return F_ReadAddress(m_ipAddress, a, b, c, d); }
    int F_SetNetMask(BYTE a, BYTE b, BYTE c, BYTE d) { return F_WriteAddress(m_netMask, a, b, c, d); }
    int F_GetNetMask(BYTE& a, BYTE& b, BYTE& c, BYTE& d) { return F_ReadAddress(m_netMask, a, b, c, d); }
    int F_SetModeDHCP(int state) { return F_WriteCheck(m_checkDhcp, state); }
    int F_GetModeDHCP() { return F_ReadCheck(m_checkDhcp); }
    // Shows or hides the DHCP check box with its label.
    int F_ShowModeDHCP(bool show);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    CButton m_checkDhcp;
    CIPAddressCtrl m_ipAddress;
    CIPAddressCtrl m_netMask;
};
