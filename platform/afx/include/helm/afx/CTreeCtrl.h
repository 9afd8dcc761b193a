// CTreeCtrl: the tree view's object.
#pragma once

#include "helm/afx/CWnd.h"
#include "helm/user/commctrl.h"

class CTreeCtrl : public CWnd {
    DECLARE_DYNAMIC(CTreeCtrl)

public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_TREEVIEW, nullptr, style, rect, parent, id);
    }
    HTREEITEM InsertItem(LPTVINSERTSTRUCT insert)
    {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(insert)));
    }
    HTREEITEM InsertItem(LPCSTR text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    BOOL DeleteItem(HTREEITEM item) { return TreeView_DeleteItem(m_hWnd, item); }
    BOOL DeleteAllItems() { return TreeView_DeleteAllItems(m_hWnd); }
    BOOL Expand(HTREEITEM item, UINT code) { return TreeView_Expand(m_hWnd, item, code); }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const { return TreeView_GetNextItem(m_hWnd, item, code); }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL SelectItem(HTREEITEM item) { return TreeView_Select(m_hWnd, item, TVGN_CARET); }
    UINT GetCount() const { return static_cast<UINT>(SendMessage(TVM_GETCOUNT)); }
    BOOL SetItemText(HTREEITEM item, LPCSTR text);
    CString GetItemText(HTREEITEM item) const;
    BOOL SetItemState(HTREEITEM item, UINT state, UINT mask);
    UINT GetItemState(HTREEITEM item, UINT mask) const
    {
        return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
    }
    BOOL SetItemData(HTREEITEM item, DWORD_PTR data);
    DWORD_PTR GetItemData(HTREEITEM item) const;
    // The item's rectangle (its text's alone when textOnly).
    BOOL GetItemRect(HTREEITEM item, LPRECT rect, BOOL textOnly) const;
    BOOL EnsureVisible(HTREEITEM item)
    {
        return static_cast<BOOL>(SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item)));
    }
    COLORREF SetBkColor(COLORREF colour) { return static_cast<COLORREF>(SendMessage(TVM_SETBKCOLOR, 0, colour)); }
    COLORREF SetTextColor(COLORREF colour)
    {
        return static_cast<COLORREF>(SendMessage(TVM_SETTEXTCOLOR, 0, colour));
    }

private:
    BOOL set_item(TVITEM fields);
};
