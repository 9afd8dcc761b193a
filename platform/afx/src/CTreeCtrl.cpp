#include "helm/afx/CTreeCtrl.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)

HTREEITEM CTreeCtrl::InsertItem(LPCSTR text, HTREEITEM parent, HTREEITEM after)
{
    TVINSERTSTRUCT insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<LPSTR>(text);
    return InsertItem(&insert);
}

namespace {

// The fields of `item` that `mask` names, to fill in.
TVITEM item_fields(HTREEITEM item, UINT mask)
{
    TVITEM fields{};
    fields.mask = TVIF_HANDLE | mask;
    fields.hItem = item;
    return fields;
}

}  // namespace

BOOL CTreeCtrl::set_item(TVITEM fields)
{
    return static_cast<BOOL>(SendMessage(TVM_SETITEM, 0, reinterpret_cast<LPARAM>(&fields)));
}

BOOL CTreeCtrl::SetItemText(HTREEITEM item, LPCSTR text)
{
    TVITEM fields = item_fields(item, TVIF_TEXT);
    fields.pszText = const_cast<LPSTR>(text);
    return set_item(fields);
}

CString CTreeCtrl::GetItemText(HTREEITEM item) const
{
    char text[1024] = {0};
    TVITEM fields = item_fields(item, TVIF_TEXT);
    fields.pszText = text;
    fields.cchTextMax = sizeof text;
    SendMessage(TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&fields));
    return text;
}

BOOL CTreeCtrl::SetItemState(HTREEITEM item, UINT state, UINT mask)
{
    TVITEM fields = item_fields(item, TVIF_STATE);
    fields.state = state;
    fields.stateMask = mask;
    return set_item(fields);
}

BOOL CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data)
{
    TVITEM fields = item_fields(item, TVIF_PARAM);
    fields.lParam = static_cast<LPARAM>(data);
    return set_item(fields);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const
{
    TVITEM fields = item_fields(item, TVIF_PARAM);
    SendMessage(TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&fields));
    return static_cast<DWORD_PTR>(fields.lParam);
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM item, LPRECT rect, BOOL textOnly) const
{
    // The item goes at the rectangle's start, as the message takes it.
    std::memcpy(rect, &item, sizeof item);
    return static_cast<BOOL>(SendMessage(TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(rect)));
}
