#include "dialogs/C_Q_RubDeviceSettings.h"

#include "dialogs/HelmdialogsRes.h"

C_Q_RubDeviceSettings::C_Q_RubDeviceSettings(CWnd* parent) : C_Q_DialogRubrique(IDD_RUB_DEVICE, parent)
{
    P_SetInputCount(1);
    P_SetNotifications({{IDC_LIST_DEVICE, Event::selection, 0}});
}

void C_Q_RubDeviceSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_DialogRubrique::DoDataExchange(dx);
    DDX_Frame(dx, IDS_TITLE_DEVICE);
    DDX_Control(dx, IDC_LIST_DEVICE, m_listDevice);
}

int C_Q_RubDeviceSettings::F_InitDialog()
{
    if (!F_HasWindow())
        return -1;
    m_listDevice.ResetContent();
    P_ResetInputFlags();
    return 0;
}

int C_Q_RubDeviceSettings::F_EnableDialog(bool enable)
{
    if (!F_HasWindow())
        return -1;
    P_EnableAll({&m_listDevice}, enable);
    return 0;
}

int C_Q_RubDeviceSettings::F_InitListDevice(C_Q_ListTable* table, unsigned count)
{
    return F_FillList(m_listDevice, table, count);
}

int C_Q_RubDeviceSettings::F_SetCurSelListDevice(int index) { return F_SelectList(m_listDevice, index); }

int C_Q_RubDeviceSettings::F_GetCurSelListDevice() { return F_SelectedList(m_listDevice); }
