#include "dialogs/C_Q_RubRsProInSettings.h"

#include "dialogs/HelmdialogsRes.h"

BEGIN_MESSAGE_MAP(C_Q_RubRsProInSettings, C_Q_RubTimeOutPage)
    ON_EN_MAXTEXT(IDC_EDIT_TIME_OUT, OnKillfocusTimeOut)
END_MESSAGE_MAP()

C_Q_RubRsProInSettings::C_Q_RubRsProInSettings(CWnd* parent)
    : C_Q_RubTimeOutPage(IDD_RUB_RS_PRO_IN, IDS_TITLE_PROTOCOL, 0, parent)
{
    P_SetInputCount(2);
    P_SetNotifications({{IDC_LIST_PROTOCOL, Event::selection, 0}});
}

BOOL C_Q_RubRsProInSettings::OnInitDialog()
{
    C_Q_RubTimeOutPage::OnInitDialog();
    F_InitListTimeOut();
    return TRUE;
}
