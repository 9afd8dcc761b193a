// C_Q_RubSerialRepSettings: the serial link to the sensor (template 4231):
// the port picked in the list, the link's fixed settings shown, and one
// button to connect or disconnect, which posts group 0; the host then reads
// the port and shows the outcome with P_SelectSerialRep.
#pragma once

#include "dialogs/C_Q_DialogRubrique.h"

class C_Q_RubSerialRepSettings : public C_Q_DialogRubrique {
public:
    explicit C_Q_RubSerialRepSettings(CWnd* parent = nullptr);

    // Empties the list, then "COM <n> " per port in the given order.
    void P_CreateListSerialRep(unsigned* ports, unsigned count);
    // The port's entry selected; connected, the button is down and the list
    // locked.
    void P_SelectSerialRep(unsigned port, bool connected);
    // The selected port; 0 without window or with an empty list.
    unsigned P_GetSerialRepSelected();
    // The baud rate as a number, the parity (0 none, 1 odd, 2 even) and the
    // stop bits (1, 2) as their texts.
    void P_UpdateSerialHardSettings(int baud, int parity, int stop);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    CComboBox m_listSerialRep;
    CButton m_buttonConnect;
};
