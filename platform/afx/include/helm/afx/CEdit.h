// CEdit: the edit control's object.
#pragma once

#include "helm/afx/CWnd.h"

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)

public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create("Edit", nullptr, style, rect, parent, id);
    }
    void LimitText(int count = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(count)); }
    void SetLimitText(UINT count) { SendMessage(EM_SETLIMITTEXT, count); }
    UINT GetLimitText() const { return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT)); }
    void SetSel(int start, int end, BOOL noScroll = FALSE)
    {
        (void)noScroll;
        SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end);
    }
    void SetSel(DWORD selection, BOOL noScroll = FALSE)
    {
        SetSel(static_cast<SHORT>(LOWORD(selection)), static_cast<SHORT>(HIWORD(selection)), noScroll);
    }
    DWORD GetSel() const { return static_cast<DWORD>(SendMessage(EM_GETSEL)); }
    void GetSel(int& start, int& end) const
    {
        DWORD s = 0, e = 0;
        SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        start = static_cast<int>(s);
        end = static_cast<int>(e);
    }
    void ReplaceSel(LPCSTR text, BOOL canUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, static_cast<WPARAM>(canUndo), reinterpret_cast<LPARAM>(text));
    }
    BOOL SetReadOnly(BOOL readOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    BOOL CanUndo() const { return static_cast<BOOL>(SendMessage(EM_CANUNDO)); }
    BOOL Undo() { return static_cast<BOOL>(SendMessage(EM_UNDO)); }
    void SetPasswordChar(char ch) { SendMessage(EM_SETPASSWORDCHAR, static_cast<BYTE>(ch)); }
    void Clear() { SendMessage(WM_CLEAR); }
    void Copy() { SendMessage(WM_COPY); }
    void Cut() { SendMessage(WM_CUT); }
    void Paste() { SendMessage(WM_PASTE); }

private:
    // A control is made through its own Create; the window's stays hidden.
    using CWnd::Create;
};
