// C_Q_RubEthernetSettings: the network settings of a sensor port:
// transport, port number and IP address (template 4224). A transport pick,
// leaving the port with text in it or filling it, and an address field
// changed all post group 0. The address only counts for the transports
// other than entries 0 and 3 of the host's list, so it is enabled only then.
#pragma once

#include "dialogs/C_Q_DialogRubrique.h"
#include "toolkit/CEditRestricted.h"

class C_Q_RubEthernetSettings : public C_Q_DialogRubrique {
public:
    explicit C_Q_RubEthernetSettings(CWnd* parent = nullptr);

    // Empties the transport list (port and address are kept).
    int F_InitDialog();
    int F_EnableDialog(bool enable);
    int F_InitListTransport(C_Q_ListTable* table, unsigned count) { return F_FillList(m_listTransport, table, count); }
    int F_SetCurSelListTransport(int index) { return F_SelectList(m_listTransport, index); }
    // The selection; the address is enabled for it as the transport says.
    int F_GetCurSelListTransport();
    int F_SetPort(int port);
    // The port typed (-1 when empty); one outside 1024..65535 is warned of
    // first and given all the same.
    int F_GetPort();
    int F_SetIPAdresse(BYTE a, BYTE b, BYTE c, BYTE d) { return F_WriteAddress(m_ipAddress, a, b, c, d); }
    int F_GetIPAdresse(BYTE& a, BYTE& b, BYTE& c, BYTE& d) { return F_ReadAddress(m_ipAddress, a, b, c, d); }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    bool address_counts() const;

    CComboBox m_listTransport;
    CEditRestricted m_editPort;
    CIPAddressCtrl m_ipAddress;
};
