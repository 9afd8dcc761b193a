#include "dialogs/C_Q_RubTimeOutPage.h"

#include "TimeOutChoice.h"
#include "dialogs/HelmdialogsRes.h"

BEGIN_MESSAGE_MAP(C_Q_RubTimeOutPage, C_Q_RubProtocolPage)
    ON_CBN_SELCHANGE(IDC_LIST_TIME_OUT, OnSelchangeTimeOut)
    ON_EN_KILLFOCUS(IDC_EDIT_TIME_OUT, OnKillfocusTimeOut)
END_MESSAGE_MAP()

C_Q_RubTimeOutPage::C_Q_RubTimeOutPage(UINT templateId, int titleId, WPARAM timeOutGroup, CWnd* parent)
    : C_Q_RubProtocolPage(templateId, titleId, parent),
      m_timeOut(std::make_unique<TimeOutChoice>(m_listTimeOut, m_editTimeOut,
                                                [this, timeOutGroup] { P_PostValidate(timeOutGroup); }))
{
}

C_Q_RubTimeOutPage::~C_Q_RubTimeOutPage() = default;

void C_Q_RubTimeOutPage::DoDataExchange(CDataExchange* dx)
{
    C_Q_RubProtocolPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_LIST_TIME_OUT, m_listTimeOut);
    DDX_Control(dx, IDC_EDIT_TIME_OUT, m_editTimeOut);
}

int C_Q_RubTimeOutPage::F_InitDialog()
{
    if (C_Q_RubProtocolPage::F_InitDialog() != 0)
        return -1;
    m_timeOut->clear();
    return 0;
}

int C_Q_RubTimeOutPage::F_EnableDialog(bool enable)
{
    if (C_Q_RubProtocolPage::F_EnableDialog(enable) != 0)
        return -1;
    P_EnableAll({&m_listTimeOut}, enable);
    return 0;
}

int C_Q_RubTimeOutPage::F_InitListTimeOut() { return F_HasWindow() ? m_timeOut->fill() : -1; }

int C_Q_RubTimeOutPage::F_SetCurSelListTimeOut(int ms) { return F_HasWindow() ? m_timeOut->select(ms) : -1; }

int C_Q_RubTimeOutPage::F_GetCurSelListTimeOut() { return F_HasWindow() ? m_timeOut->selected() : -1; }

void C_Q_RubTimeOutPage::OnSelchangeTimeOut() { m_timeOut->on_pick(); }

void C_Q_RubTimeOutPage::OnKillfocusTimeOut() { m_timeOut->on_edit_done(); }
