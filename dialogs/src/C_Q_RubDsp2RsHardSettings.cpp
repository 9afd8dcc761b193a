#include "dialogs/C_Q_RubDsp2RsHardSettings.h"

#include "dialogs/HelmdialogsRes.h"

C_Q_RubDsp2RsHardSettings::C_Q_RubDsp2RsHardSettings(CWnd* parent) : C_Q_DialogRubrique(IDD_RUB_DSP2_RS_HARD, parent)
{
    P_SetInputCount(2);
    P_SetNotifications({{IDC_LIST_PARITY, Event::selection, 0}, {IDC_LIST_STOP_BITS, Event::selection, 1}});
}

void C_Q_RubDsp2RsHardSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_DialogRubrique::DoDataExchange(dx);
    DDX_Frame(dx, IDS_TITLE_HARD);
    DDX_Control(dx, IDC_LIST_PARITY, m_listParity);
    DDX_Control(dx, IDC_LIST_STOP_BITS, m_listBitStop);
}

int C_Q_RubDsp2RsHardSettings::F_InitDialog()
{
    if (!F_HasWindow())
        return -1;
    m_listParity.ResetContent();
    m_listBitStop.ResetContent();
    P_ResetInputFlags();
    return 0;
}

int C_Q_RubDsp2RsHardSettings::F_EnableDialog(bool enable)
{
    if (!F_HasWindow())
        return -1;
    P_EnableAll({&m_listParity, &m_listBitStop}, enable);
    return 0;
}
