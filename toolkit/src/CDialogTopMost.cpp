#include "toolkit/CDialogTopMost.h"

IMPLEMENT_DYNAMIC(CDialogTopMost, CDialog)

BEGIN_MESSAGE_MAP(CDialogTopMost, CDialog)
END_MESSAGE_MAP()

CDialogTopMost::CDialogTopMost(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

CDialogTopMost::~CDialogTopMost() = default;

void CDialogTopMost::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
}

void CDialogTopMost::P_SetTopMost(bool topMost)
{
    if (m_hWnd)
        SetWindowPos(topMost ? &wndTopMost : &wndNoTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool CDialogTopMost::F_GetTopMost() const
{
    return m_hWnd && (GetExStyle() & WS_EX_TOPMOST);
}
