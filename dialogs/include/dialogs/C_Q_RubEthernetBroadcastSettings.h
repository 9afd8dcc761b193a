// C_Q_RubEthernetBroadcastSettings: whether a port broadcasts (template
// 4228, without title strip); a click posts group 0.
#pragma once

#include "dialogs/C_Q_DialogRubrique.h"

class C_Q_RubEthernetBroadcastSettings : public C_Q_DialogRubrique {
public:
    explicit C_Q_RubEthernetBroadcastSettings(CWnd* parent = nullptr);

    // Unchecks the broadcast.
    int F_InitDialog();
    int F_EnableDialog(bool enable);
    int F_SetModeBroadcast(int state) { return F_WriteCheck(m_checkBroadcast, state); }
    int F_GetModeBroadcast() { return F_ReadCheck(m_checkBroadcast); }

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    CButton m_checkBroadcast;
};
