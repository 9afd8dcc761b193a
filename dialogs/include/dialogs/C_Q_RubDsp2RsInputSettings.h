// C_Q_RubDsp2RsInputSettings: a sensor input's protocol, baud rate and
// time-out (template 4232). A protocol pick posts group 0, a baud rate
// pick 1, a time-out chosen in the list or typed as the user's value 2.
#pragma once

#include "dialogs/C_Q_RubTimeOutPage.h"

class C_Q_RubDsp2RsInputSettings : public C_Q_RubTimeOutPage {
public:
    explicit C_Q_RubDsp2RsInputSettings(CWnd* parent = nullptr);

    int F_InitDialog();
    int F_EnableDialog(bool enable);
    int F_InitListBaudRate(C_Q_ListTable* table, unsigned count) { return F_FillList(m_listBaudRate, table, count); }
    int F_SetCurSelListBaudRate(int index) { return F_SelectList(m_listBaudRate, index); }
    int F_GetCurSelListBaudRate() { return F_SelectedList(m_listBaudRate); }

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    CComboBox m_listBaudRate;
};
