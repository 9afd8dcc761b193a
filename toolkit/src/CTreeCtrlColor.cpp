#include "toolkit/CTreeCtrlColor.h"

IMPLEMENT_DYNAMIC(CTreeCtrlColor, CTreeCtrl)

BEGIN_MESSAGE_MAP(CTreeCtrlColor, CTreeCtrl)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
    ON_NOTIFY_REFLECT_EX(TVN_DELETEITEM, OnDeleteItem)
END_MESSAGE_MAP()

HTREEITEM CTreeCtrlColor::InsertItem(LPCSTR text, HTREEITEM parent, HTREEITEM after)
{
    return CTreeCtrl::InsertItem(text, parent, after);
}

BOOL CTreeCtrlColor::DeleteAllItems()
{
    const BOOL done = CTreeCtrl::DeleteAllItems();
    m_colours.clear();
    return done;
}

void CTreeCtrlColor::F_SetItemColor(HTREEITEM item, COLORREF backgroundOn, COLORREF backgroundOff, COLORREF textOn,
                                    COLORREF textOff)
{
    if (!known(item))
        return;
    const Colours colours{backgroundOn, backgroundOff, textOn, textOff};
    auto found = m_colours.find(item);
    if (found != m_colours.end() && found->second == colours)
        return;
    m_colours[item] = colours;
    repaint(item);
}

bool CTreeCtrlColor::known(HTREEITEM item) const
{
    TVITEM fields{};
    fields.mask = TVIF_HANDLE;
    fields.hItem = item;
    return item && SendMessage(TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&fields));
}

void CTreeCtrlColor::F_SetItemBold(HTREEITEM item, bool bold)
{
    if (!known(item))
        return;
    const UINT state = bold ? TVIS_BOLD : 0;
    if (GetItemState(item, TVIS_BOLD) == state)
        return;
    SetItemState(item, state, TVIS_BOLD);
    repaint(item);
}

void CTreeCtrlColor::repaint(HTREEITEM item)
{
    CRect row;
    if (!m_hWnd || !GetItemRect(item, &row, FALSE))
        return;
    CRect client;
    GetClientRect(&client);
    row.left = client.left;
    row.right = client.right;
    InvalidateRect(&row);
}

void CTreeCtrlColor::OnCustomDraw(NMHDR* header, LRESULT* result)
{
    auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: *result = CDRF_NOTIFYITEMDRAW; return;
    case CDDS_ITEMPREPAINT: {
        auto found = m_colours.find(reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec));
        if (found != m_colours.end()) {
            const bool on = (draw->nmcd.uItemState & CDIS_SELECTED) != 0;
            draw->clrText = on ? found->second.textOn : found->second.textOff;
            draw->clrTextBk = on ? found->second.backgroundOn : found->second.backgroundOff;
        }
        *result = CDRF_DODEFAULT;
        return;
    }
    default: *result = CDRF_DODEFAULT; return;
    }
}

BOOL CTreeCtrlColor::OnDeleteItem(NMHDR* header, LRESULT*)
{
    m_colours.erase(reinterpret_cast<NMTREEVIEW*>(header)->itemOld.hItem);
    return FALSE;  // the parent hears of it too
}
