// C_Q_RubDeviceSettings: the device of a sensor port, picked from the
// host's list (template 4225).
#pragma once

#include "dialogs/C_Q_DialogRubrique.h"

class C_Q_RubDeviceSettings : public C_Q_DialogRubrique {
public:
    explicit C_Q_RubDeviceSettings(CWnd* parent = nullptr);

    int F_InitDialog();
    int F_EnableDialog(bool enable);
    int F_InitListDevice(C_Q_ListTable* table, unsigned count);
    int F_SetCurSelListDevice(int index);
    int F_GetCurSelListDevice();

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    CComboBox m_listDevice;
};
