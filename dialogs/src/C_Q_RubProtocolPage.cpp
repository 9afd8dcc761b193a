#include "dialogs/C_Q_RubProtocolPage.h"

#include "dialogs/HelmdialogsRes.h"

void C_Q_RubProtocolPage::DoDataExchange(CDataExchange* dx)
{
    C_Q_DialogRubrique::DoDataExchange(dx);
    DDX_Frame(dx, m_titleId);
    DDX_Control(dx, IDC_LIST_PROTOCOL, m_listProtocol);
}

int C_Q_RubProtocolPage::F_InitDialog()
{
    if (!F_HasWindow())
        return -1;
    m_listProtocol.ResetContent();
    P_ResetInputFlags();
    return 0;
}

int C_Q_RubProtocolPage::F_EnableDialog(bool enable)
{
    if (!F_HasWindow())
        return -1;
    P_EnableAll({&m_listProtocol}, enable);
    return 0;
}
