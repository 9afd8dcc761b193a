#include "toolkit/CDialogResize.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CDialogResize, CDialogTopMost)

BEGIN_MESSAGE_MAP(CDialogResize, CDialogTopMost)
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
END_MESSAGE_MAP()

CDialogResize::CDialogResize(UINT templateId, CWnd* parent) : CDialogTopMost(templateId, parent) {}

CDialogResize::~CDialogResize() = default;

void CDialogResize::DoDataExchange(CDataExchange* dx)
{
    CDialogTopMost::DoDataExchange(dx);
}

BOOL CDialogResize::OnInitDialog()
{
    CDialogTopMost::OnInitDialog();
    GetWindowRect(&m_rectOriginal);
    return TRUE;
}

void CDialogResize::F_AddDlgControl(UINT id, bool top, bool bottom, bool left, bool right)
{
    CWnd* control = GetDlgItem(static_cast<int>(id));
    if (!control)
        return;
    Anchor anchor{id, top, bottom, left, right, CRect(), CSize()};
    control->GetWindowRect(&anchor.rect);
    ScreenToClient(&anchor.rect);
    CRect client;
    GetClientRect(&client);
    anchor.client = client.Size();
    m_anchors.push_back(anchor);
}

void CDialogResize::F_SetAllowLessHeight(bool allow, int limit)
{
    CRect now;
    if (m_hWnd)
        GetWindowRect(&now);
    m_nMinHeight = allow ? 0 : limit >= 0 ? limit : now.Height();
}

void CDialogResize::F_SetAllowLessWidth(bool allow, int limit)
{
    CRect now;
    if (m_hWnd)
        GetWindowRect(&now);
    m_nMinWidth = allow ? 0 : limit >= 0 ? limit : now.Width();
}

void CDialogResize::OnSize(UINT type, int cx, int cy)
{
    CDialogTopMost::OnSize(type, cx, cy);
    if (type == SIZE_MINIMIZED)
        return;
    for (const Anchor& a : m_anchors) {
        CWnd* control = GetDlgItem(static_cast<int>(a.id));
        if (!control)
            continue;
        const int dx = cx - a.client.cx, dy = cy - a.client.cy;
        CRect r = a.rect;
        r.left += a.left ? 0 : dx;
        r.right += a.right ? 0 : dx;
        r.top += a.top ? 0 : dy;
        r.bottom += a.bottom ? 0 : dy;
        r.right = std::max(r.right, r.left);
        r.bottom = std::max(r.bottom, r.top);
        control->MoveWindow(&r);
    }
}

void CDialogResize::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CDialogTopMost::OnGetMinMaxInfo(info);
    info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, m_nMinWidth);
    info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, m_nMinHeight);
}
