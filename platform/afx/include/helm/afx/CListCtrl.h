// CListCtrl: the list view's object.
#pragma once

#include "helm/afx/CWnd.h"
#include "helm/user/commctrl.h"

class CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)

public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_LISTVIEW, nullptr, style, rect, parent, id);
    }
    int InsertColumn(int column, LPCSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int column) { return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, column)); }
    int InsertItem(int item, LPCSTR text);
    BOOL DeleteItem(int item) { return ListView_DeleteItem(m_hWnd, item); }
    BOOL DeleteAllItems() { return ListView_DeleteAllItems(m_hWnd); }
    int GetItemCount() const { return ListView_GetItemCount(m_hWnd); }
    BOOL SetItemText(int item, int subItem, LPCSTR text);
    CString GetItemText(int item, int subItem) const;
    // LVSCW_AUTOSIZE and LVSCW_AUTOSIZE_USEHEADER fit the contents.
    BOOL SetColumnWidth(int column, int width) { return ListView_SetColumnWidth(m_hWnd, column, width); }
    int GetColumnWidth(int column) const { return ListView_GetColumnWidth(m_hWnd, column); }
    DWORD SetExtendedStyle(DWORD style) { return ListView_SetExtendedListViewStyle(m_hWnd, style); }
    // The header control (a temporary object unless bound).
    CWnd* GetHeaderCtrl() const { return FromHandle(ListView_GetHeader(m_hWnd)); }
};
