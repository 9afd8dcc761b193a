#include "dialogs/C_Q_RubRsGeneralSettings.h"

#include "dialogs/HelmdialogsRes.h"

C_Q_RubRsGeneralSettings::C_Q_RubRsGeneralSettings(CWnd* parent) : C_Q_DialogRubrique(IDD_RUB_RS_GENERAL, parent)
{
    P_SetInputCount(4);
    P_SetNotifications({{IDC_LIST_PARITY, Event::selection, 0},
                        {IDC_LIST_STOP_BITS, Event::selection, 0},
                        {IDC_LIST_RS_LEVEL, Event::selection, 0},
                        {IDC_LIST_BAUD_RATE, Event::selection, 0}});
}

void C_Q_RubRsGeneralSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_DialogRubrique::DoDataExchange(dx);
    DDX_Frame(dx, IDS_TITLE_SERIAL);
    DDX_Control(dx, IDC_LIST_PARITY, m_listParity);
    DDX_Control(dx, IDC_LIST_STOP_BITS, m_listBitStop);
    DDX_Control(dx, IDC_LIST_RS_LEVEL, m_listRsLevel);
    DDX_Control(dx, IDC_LIST_BAUD_RATE, m_listBaudrate);
}

int C_Q_RubRsGeneralSettings::F_InitDialog()
{
    if (!F_HasWindow())
        return -1;
    for (CComboBox* list : {&m_listParity, &m_listBitStop, &m_listRsLevel, &m_listBaudrate})
        list->ResetContent();
    P_ResetInputFlags();
    return 0;
}

int C_Q_RubRsGeneralSettings::F_EnableDialog(bool enable)
{
    if (!F_HasWindow())
        return -1;
    P_EnableAll({&m_listParity, &m_listBitStop, &m_listRsLevel, &m_listBaudrate}, enable);
    return 0;
}
