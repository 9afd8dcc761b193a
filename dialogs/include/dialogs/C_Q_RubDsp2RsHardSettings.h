// C_Q_RubDsp2RsHardSettings: the parity and stop bits of a sensor input,
// each picked from the host's list (template 4233); a parity pick posts
// group 0, a stop-bit pick group 1.
#pragma once

#include "dialogs/C_Q_DialogRubrique.h"

class C_Q_RubDsp2RsHardSettings : public C_Q_DialogRubrique {
public:
    explicit C_Q_RubDsp2RsHardSettings(CWnd* parent = nullptr);

    int F_InitDialog();
    int F_EnableDialog(bool enable);
    int F_InitListParity(C_Q_ListTable* table, unsigned count) { return F_FillList(m_listParity, table, count); }
    int F_SetCurSelListParity(int index) { return F_SelectList(m_listParity, index); }
    int F_GetCurSelListParity() { return F_SelectedList(m_listParity); }
    int F_InitListBitStop(C_Q_ListTable* table, unsigned count) { return F_FillList(m_listBitStop, table, count); }
    int F_SetCurSelListBitStop(int index) { return F_SelectList(m_listBitStop, index); }
    int F_GetCurSelListBitStop() { return F_SelectedList(m_listBitStop); }

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    CComboBox m_listParity;
    CComboBox m_listBitStop;
};
