// C_Q_RubRsGeneralSettings: the line settings of a serial port: parity,
// stop bits, RS level and baud rate, each picked from the host's list
// (template 4223); every pick posts group 0.
#pragma once

#include "dialogs/C_Q_DialogRubrique.h"

class C_Q_RubRsGeneralSettings : public C_Q_DialogRubrique {
public:
    explicit C_Q_RubRsGeneralSettings(CWnd* parent = nullptr);

    int F_InitDialog();
    int F_EnableDialog(bool enable);
    int F_InitListParity(C_Q_ListTable* table, unsigned count) { return F_FillList(m_listParity, table, count); }
    int F_SetCurSelListParity(int index) { return F_SelectList(m_listParity, index); }
    int F_GetCurSelListParity() { return F_SelectedList(m_listParity); }
    int F_InitListBitStop(C_Q_ListTable* table, unsigned count) { return F_FillList(m_listBitStop, table, count); }
    int F_SetCurSelListBitStop(int index) { return F_SelectList(m_listBitStop, index); }
    int F_GetCurSelListBitStop() { return F_SelectedList(m_listBitStop); }
    int F_InitListRsLevel(C_Q_ListTable* table, unsigned count) { return F_FillList(m_listRsLevel, table, count); }
    int F_SetCurSelListRsLevel(int index) { return F_SelectList(m_listRsLevel, index); }
    int F_GetCurSelListRsLevel() { return F_SelectedList(m_listRsLevel); }
    int F_InitListBaudrate(C_Q_ListTable* table, unsigned count) { return F_FillList(m_listBaudrate, table, count); }
    int F_SetCurSelListBaudrate(int index) { return F_SelectList(m_listBaudrate, index); }
    int F_GetCurSelListBaudrate() { return F_SelectedList(m_listBaudrate); }

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    CComboBox m_listParity;
    CComboBox m_listBitStop;
    CComboBox m_listRsLevel;
    CComboBox m_listBaudrate;
};
