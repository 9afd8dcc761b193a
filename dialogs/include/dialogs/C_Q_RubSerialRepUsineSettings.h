// C_Q_RubSerialRepUsineSettings: the factory's serial link to a sensor
// board (template 4248): port, baud rate, parity, stop bits and board, and
// the connect button, which posts group 0; the check box for loading the
// models by itself posts group 1 (the host reads it from its window).
#pragma once

#include "dialogs/C_Q_DialogRubrique.h"

class C_Q_RubSerialRepUsineSettings : public C_Q_DialogRubrique {
public:
    explicit C_Q_RubSerialRepUsineSettings(CWnd* parent = nullptr);

    void P_CreateListSerialRep(unsigned* ports, unsigned count);
    // Baud 19200, 38400, 57600 or 115200; parity 0 to 2; stop 0 (one bit)
    // or 2; board 2 to 5 (DSP2 to DSP4, CINT). Other values leave their
    // list as it is. Connected, every list is locked.
    void P_SelectSerialRepSettings(unsigned port, unsigned baud, unsigned short parity, unsigned short stop,
                                   unsigned short board, bool connected);
    // -1 without window or with no port shown; else 0. Lists with nothing
    // selected leave their value alone (parity takes the list's -1).
    int P_GetSerialRepSettingsSelected(unsigned* port, unsigned* baud, unsigned short* parity, unsigned short* stop,
                                       unsigned short* board);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    CComboBox m_listSerialRep;
    CButton m_buttonConnect;
    CComboBox m_listBaudRate;
    CComboBox m_listParity;
    CComboBox m_listStopBits;
    CComboBox m_listBoard;
};
