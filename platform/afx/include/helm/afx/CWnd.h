// CWnd: a C++ object bound to a window. Windows are bound in two ways:
// permanently (Attach, SubclassWindow, Create; the object is found again
// with FromHandlePermanent) or as temporary objects that FromHandle makes
// for windows nobody bound, which live until the thread is next idle. The
// handle maps are per thread, as the class library keeps them.
//
// A subclassed window's messages reach WindowProc, which looks them up in
// the message map chain (OnWndMsg) and gives the rest to DefWindowProc
// (the window's previous procedure). Commands and notifications from
// controls are first offered to the control's own object (reflection).
#pragma once

#include <memory>

#include "helm/afx/CCmdTarget.h"
#include "helm/afx/CRect.h"
#include "helm/afx/CString.h"
#include "helm/afx/dispatch_arguments.h"

class CDC;
class CFile;
class CScrollBar;
class CDataExchange;
struct MINMAXINFO;

namespace helm::afx {
struct ControlSite;
class ControlContainer;
// Deletes them where they are complete.
struct ControlDeleter {
    void operator()(ControlSite* site) const;
    void operator()(ControlContainer* container) const;
};
}  // namespace helm::afx

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)

public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // The places SetWindowPos takes (HWND_TOP, HWND_BOTTOM, HWND_TOPMOST,
    // HWND_NOTOPMOST), as objects.
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }
    bool operator==(const CWnd& other) const { return other.m_hWnd == m_hWnd; }
    bool operator!=(const CWnd& other) const { return other.m_hWnd != m_hWnd; }

    // The handle maps.
    static CWnd* FromHandle(HWND window);
    static CWnd* FromHandlePermanent(HWND window);
    // Deletes this thread's temporary objects (done when the thread is idle).
    static void DeleteTempMap();
    BOOL Attach(HWND window);
    HWND Detach();
    // Binds and routes the window's messages through this object; FALSE when
    // the window is bound to another object already.
    BOOL SubclassWindow(HWND window);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // Creation. A window of a class whose procedure is the class library's
    // sees every message from its first in this object's map; a window of
    // another class (a standard control) is subclassed when it has been made.
    virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                        void* context = nullptr);
    virtual BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                          int height, HWND parent, HMENU menuOrId, LPVOID param = nullptr);
    virtual BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect,
                          CWnd* parent, UINT id, LPVOID param = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    virtual BOOL DestroyWindow();

    // Message handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Offered a notification this window sent to its parent; TRUE when the
    // window's map took it (the parent's map then does not see it).
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    static BOOL ReflectLastMsg(HWND child, LRESULT* result = nullptr);
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Offers the message to the objects of its window and each parent up to
    // and including `stop`; TRUE when one of them took it.
    static BOOL WalkPreTranslateTree(HWND stop, MSG* msg);
    BOOL PreTranslateInput(MSG* msg);
    BOOL IsDialogMessage(MSG* msg);
    // The message being handled, to its default handling.
    LRESULT Default();
    virtual void PreSubclassWindow() {}
    virtual void PostNcDestroy() {}

    // ActiveX controls (once AfxEnableControlContainer has run). The
    // control is made by class id, or by a ProgID or a class id in braces,
    // as a child of `parent`; this object then stands for its window and
    // holds the control until the window goes. The parent's event sink map
    // is connected to it. FALSE, and no window, when the control cannot be
    // made (not registered, for one).
    BOOL CreateControl(REFCLSID clsid, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                       CFile* persist = nullptr, BOOL storage = FALSE, BSTR licenseKey = nullptr);
    BOOL CreateControl(LPCSTR classOrProgId, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                       CFile* persist = nullptr, BOOL storage = FALSE, BSTR licenseKey = nullptr);
    // The control this window is: made by CreateControl, or a dialog's
    // hosted item this object is bound to. Null for none; no reference is
    // added.
    LPUNKNOWN GetControlUnknown();
    // Calls the control by dispatch id with the arguments `paramInfo`
    // lists (VTS_ codes, left to right). The result, converted to `vtRet`,
    // goes to `pvRet` (VT_BOOL a BOOL, VT_BSTR a CString, VT_VARIANT a
    // VARIANT, numbers their own type). Without a control, with arguments
    // that do not fit the list, or when the control refuses, nothing is
    // written and the failure is traced.
    template <class... Args>
    void InvokeHelper(DISPID id, WORD flags, VARTYPE vtRet, void* pvRet, const BYTE* paramInfo, const Args&... args)
    {
        const helm::afx::DispatchArgument list[] = {helm::afx::DispatchArgument(args)..., {}};
        invoke_helper(id, flags, vtRet, pvRet, paramInfo, list, sizeof...(Args));
    }
    void GetProperty(DISPID id, VARTYPE vtProp, void* pvProp) const;
    template <class Arg>
    void SetProperty(DISPID id, VARTYPE vtProp, const Arg& value)
    {
        const BYTE code[] = {static_cast<BYTE>(vtProp), 0};
        InvokeHelper(id, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, code, value);
    }

    // Dialog data.
    virtual void DoDataExchange(CDataExchange* dx);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Wrappers of the window functions.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    CWnd* GetDlgItem(int id) const;
    void GetDlgItem(int id, HWND* window) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int id);
    void SetWindowText(LPCSTR text);
    int GetWindowText(LPSTR buffer, int size) const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int id, LPCSTR text);
    int GetDlgItemText(int id, CString& text) const;
    int GetDlgItemText(int id, LPSTR buffer, int size) const;
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    void CheckRadioButton(int firstId, int lastId, int checkId);
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags);
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const;
    void ScreenToClient(LPRECT rect) const;
    void MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const;
    void MapWindowPoints(CWnd* to, LPRECT rect) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr);
    BOOL KillTimer(UINT_PTR id);
    CWnd* SetFocus();
    static CWnd* GetFocus();
    static CWnd* GetActiveWindow();
    CWnd* SetActiveWindow();
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
    void ValidateRect(LPCRECT rect);
    void UpdateWindow();
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* newParent);
    CWnd* GetOwner() const;
    CWnd* GetTopLevelParent() const;
    CWnd* GetWindow(UINT relation) const;
    CWnd* GetNextDlgTabItem(CWnd* control, BOOL previous = FALSE) const;
    CWnd* GetNextDlgGroupItem(CWnd* control, BOOL previous = FALSE) const;
    BOOL IsChild(const CWnd* window) const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // Removes then adds the style bits; flags non-zero also calls
    // SetWindowPos with SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* placement);
    void CenterWindow(CWnd* alternateOwner = nullptr);
    static CWnd* FindWindow(LPCSTR className, LPCSTR windowName);

    UINT m_nFlags = 0;

protected:
    // Default handlers of the map entries: each gives the message being
    // handled to Default().
    int OnCreate(LPCREATESTRUCT cs);
    void OnDestroy();
    void OnNcDestroy();
    void OnClose();
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnMove(int x, int y);
    void OnTimer(UINT_PTR id);
    BOOL OnEraseBkgnd(CDC* dc);
    // Offers the message to the control first (ON_WM_CTLCOLOR_REFLECT).
    HBRUSH OnCtlColor(CDC* dc, CWnd* window, UINT ctlColor);
    void OnHScroll(UINT code, UINT position, CScrollBar* scrollBar);
    void OnVScroll(UINT code, UINT position, CScrollBar* scrollBar);
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void OnContextMenu(CWnd* window, CPoint point);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);
    void OnSetFocus(CWnd* oldWindow);
    void OnKillFocus(CWnd* newWindow);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnRButtonUp(UINT flags, CPoint point);
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    BOOL OnCopyData(CWnd* window, COPYDATASTRUCT* data);
    HCURSOR OnQueryDragIcon();
    void OnShowWindow(BOOL show, UINT status);
    void OnActivate(UINT state, CWnd* other, BOOL minimized);
    void OnEnable(BOOL enable);
    void OnWindowPosChanged(WINDOWPOS* position);
    void OnWindowPosChanging(WINDOWPOS* position);
    // A menu's owner-drawn item goes to the menu's bound object (the one
    // holding the item, for measuring); anything else to Default().
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT measureItem);
    void OnDrawItem(int id, LPDRAWITEMSTRUCT drawItem);

    // The previous window procedure of a subclassed window.
    WNDPROC m_pfnSuper = nullptr;

private:
    // An object standing for a special handle, never bound.
    struct Placeholder {};
    CWnd(Placeholder, HWND window) : m_hWnd(window), m_nFlags(WF_TEMPORARY) {}

protected:

    friend LRESULT AfxCallWndProc(CWnd* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    friend class helm::afx::ControlContainer;

private:
    void invoke_helper(DISPID id, WORD flags, VARTYPE vtRet, void* pvRet, const BYTE* paramInfo,
                       const helm::afx::DispatchArgument* args, size_t count) const;
    // The control this window is, found at first use; null for none.
    helm::afx::ControlSite* control_site() const;

    mutable std::unique_ptr<helm::afx::ControlSite, helm::afx::ControlDeleter> m_control_site;
    // The sinks that connect this window's event sink map to its controls.
    std::unique_ptr<helm::afx::ControlContainer, helm::afx::ControlDeleter> m_control_container;

protected:

    DECLARE_MESSAGE_MAP()
};

// The window procedure of every window the class library routes.
LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT AfxCallWndProc(CWnd* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// A class name registered with AfxWndProc for these class settings ("Afx:"
// and the values in hexadecimal); the same name for the same settings.
LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                           HICON icon = nullptr);
BOOL AfxRegisterClass(WNDCLASS* windowClass);

namespace helm::afx {
// The object a scroll message names (WM_HSCROLL's lParam), as the handler
// signature wants it: the control's object or a temporary one.
CScrollBar* scroll_bar_of(LPARAM control);
// The class-library class every CWnd::Create without a class name uses.
LPCSTR default_window_class();
}  // namespace helm::afx
