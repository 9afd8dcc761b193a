// CToolTipCtrl: the tooltip control's object. Tools are given by window and
// id; texts are copied by the control.
#pragma once

#include "helm/afx/CWnd.h"
#include "helm/user/commctrl.h"

class CToolTipCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolTipCtrl)

public:
    // A popup tooltip owned by `parent`'s window.
    using CWnd::Create;
    BOOL Create(CWnd* parent, DWORD style = 0);
    // A tool over `rect` of `window` (its whole client area when null).
    BOOL AddTool(CWnd* window, LPCSTR text, LPCRECT rect = nullptr, UINT_PTR id = 0);
    void UpdateTipText(LPCSTR text, CWnd* window, UINT_PTR id = 0);
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    void Activate(BOOL active) { SendMessage(TTM_ACTIVATE, active); }
    void SetDelayTime(UINT delay) { SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, delay); }
    CString GetText(CWnd* window, UINT_PTR id = 0) const;

private:
    TOOLINFO tool(CWnd* window, UINT_PTR id, LPCSTR text) const;
};
