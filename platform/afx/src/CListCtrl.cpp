#include "helm/afx/CListCtrl.h"

IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

int CListCtrl::InsertColumn(int column, LPCSTR heading, int format, int width, int subItem)
{
    LVCOLUMN fields{};
    fields.mask = LVCF_FMT | LVCF_TEXT;
    fields.fmt = format;
    fields.pszText = const_cast<LPSTR>(heading);
    if (width >= 0) {
        fields.mask |= LVCF_WIDTH;
        fields.cx = width;
    }
    if (subItem >= 0) {
        fields.mask |= LVCF_SUBITEM;
        fields.iSubItem = subItem;
    }
    return ListView_InsertColumn(m_hWnd, column, &fields);
}

int CListCtrl::InsertItem(int item, LPCSTR text)
{
    LVITEM fields{};
    fields.mask = LVIF_TEXT;
    fields.iItem = item;
    fields.pszText = const_cast<LPSTR>(text);
    return ListView_InsertItem(m_hWnd, &fields);
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCSTR text)
{
    LVITEM fields{};
    fields.iSubItem = subItem;
    fields.pszText = const_cast<LPSTR>(text);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&fields)));
}

CString CListCtrl::GetItemText(int item, int subItem) const
{
    char text[1024] = {0};
    ListView_GetItemText(m_hWnd, item, subItem, text, sizeof text);
    return text;
}
