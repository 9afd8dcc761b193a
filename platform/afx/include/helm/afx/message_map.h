// Message maps: each class with DECLARE_MESSAGE_MAP lists the messages it
// handles between BEGIN_MESSAGE_MAP(class, base) and END_MESSAGE_MAP();
// a message not in a class's map is looked for in its base's map, then
// goes to the window's default procedure. Every entry carries a small
// function that unpacks the message for the handler, so handlers keep the
// class library's signatures and are checked by the compiler.
#pragma once

#include "helm/afx/messages.h"

class CCmdTarget;

// Unpacks the message and calls the handler; FALSE when the handler did not
// take it (the _EX forms). For commands and notifications wParam is the
// control id and lParam the notification's block (NMHDR*) or 0.
typedef BOOL (*AFX_MSG_HANDLER)(CCmdTarget* target, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // WM_COMMAND and WM_NOTIFY for commands and notifications
    UINT nCode;     // the notification code
    UINT nID;       // first and last control id of a command or notification
    UINT nLastID;
    const UINT* pnRegistered;  // the variable holding a registered message's number
    AFX_MSG_HANDLER pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                          \
protected:                                             \
    static const AFX_MSGMAP* GetThisMessageMap();      \
    const AFX_MSGMAP* GetMessageMap() const override;  \
                                                       \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                         \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                    \
    {                                                                                  \
        using ThisClass [[maybe_unused]] = theClass;                                   \
        using TheBaseClass = baseClass;                                                \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                  \
    {0, 0, 0, 0, nullptr, nullptr}                                                         \
    }                                                                                      \
    ;                                                                                      \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                    \
    }

// The handler's object inside an entry.
#define HELM_AFX_THIS (static_cast<ThisClass*>(target))
#define HELM_AFX_ENTRY(message, code, id, lastId, registered, body)                                     \
    {static_cast<UINT>(message), static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(lastId), \
     registered,                                                                                          \
     [](CCmdTarget* target, [[maybe_unused]] UINT message_, [[maybe_unused]] WPARAM wParam,               \
        [[maybe_unused]] LPARAM lParam, [[maybe_unused]] LRESULT* result) -> BOOL { body }},
#define HELM_AFX_WM(message, body) HELM_AFX_ENTRY(message, 0, 0, 0, nullptr, body)

// Commands and control notifications.
#define ON_COMMAND(id, memberFxn) \
    HELM_AFX_ENTRY(WM_COMMAND, CN_COMMAND, id, id, nullptr, HELM_AFX_THIS->memberFxn(); return TRUE;)
#define ON_COMMAND_EX(id, memberFxn) \
    HELM_AFX_ENTRY(WM_COMMAND, CN_COMMAND, id, id, nullptr, return HELM_AFX_THIS->memberFxn(static_cast<UINT>(wParam));)
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    HELM_AFX_ENTRY(WM_COMMAND, CN_COMMAND, id, idLast, nullptr, HELM_AFX_THIS->memberFxn(static_cast<UINT>(wParam)); return TRUE;)
#define ON_CONTROL(code, id, memberFxn) \
    HELM_AFX_ENTRY(WM_COMMAND, code, id, id, nullptr, HELM_AFX_THIS->memberFxn(); return TRUE;)
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn) \
    HELM_AFX_ENTRY(WM_COMMAND, code, id, idLast, nullptr, HELM_AFX_THIS->memberFxn(static_cast<UINT>(wParam)); return TRUE;)
#define ON_NOTIFY(code, id, memberFxn)                                                                   \
    HELM_AFX_ENTRY(WM_NOTIFY, code, id, id, nullptr,                                                     \
                   HELM_AFX_THIS->memberFxn(reinterpret_cast<NMHDR*>(lParam), result); return TRUE;)
#define ON_NOTIFY_RANGE(code, id, idLast, memberFxn)                                                     \
    HELM_AFX_ENTRY(WM_NOTIFY, code, id, idLast, nullptr,                                                 \
                   HELM_AFX_THIS->memberFxn(static_cast<UINT>(wParam), reinterpret_cast<NMHDR*>(lParam), result); \
                   return TRUE;)

#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_MAXTEXT(id, memberFxn) ON_CONTROL(EN_MAXTEXT, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DBLCLK(id, memberFxn) ON_CONTROL(CBN_DBLCLK, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(CBN_SETFOCUS, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(CBN_KILLFOCUS, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_EDITUPDATE(id, memberFxn) ON_CONTROL(CBN_EDITUPDATE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
#define ON_CBN_SELENDCANCEL(id, memberFxn) ON_CONTROL(CBN_SELENDCANCEL, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_LBN_SETFOCUS(id, memberFxn) ON_CONTROL(LBN_SETFOCUS, id, memberFxn)
#define ON_LBN_KILLFOCUS(id, memberFxn) ON_CONTROL(LBN_KILLFOCUS, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_STN_DBLCLK(id, memberFxn) ON_CONTROL(STN_DBLCLK, id, memberFxn)

// Reflected to the control that sent them: the _EX forms return FALSE to
// let the parent handle the notification too.
#define ON_CONTROL_REFLECT(code, memberFxn) \
    HELM_AFX_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, nullptr, HELM_AFX_THIS->memberFxn(); return TRUE;)
#define ON_CONTROL_REFLECT_EX(code, memberFxn) \
    HELM_AFX_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, nullptr, return HELM_AFX_THIS->memberFxn();)
#define ON_NOTIFY_REFLECT(code, memberFxn)                                             \
    HELM_AFX_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, nullptr,                   \
                   HELM_AFX_THIS->memberFxn(reinterpret_cast<NMHDR*>(lParam), result); return TRUE;)
#define ON_NOTIFY_REFLECT_EX(code, memberFxn)            \
    HELM_AFX_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, nullptr, \
                   return HELM_AFX_THIS->memberFxn(reinterpret_cast<NMHDR*>(lParam), result);)
// HBRUSH CtlColor(CDC*, UINT nCtlColor); a null brush leaves it to the parent.
#define ON_WM_CTLCOLOR_REFLECT()                                                                          \
    HELM_AFX_WM(WM_REFLECT_BASE + WM_CTLCOLOR,                                                              \
                *result = reinterpret_cast<LRESULT>(HELM_AFX_THIS->CtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)), \
                                                                            static_cast<UINT>(lParam)));    \
                return TRUE;)

// Any message: LRESULT handler(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn) \
    HELM_AFX_WM(message, *result = HELM_AFX_THIS->memberFxn(wParam, lParam); return TRUE;)
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                  \
    HELM_AFX_ENTRY(HELM_AFX_REGISTERED, 0, 0, 0, &nMessageVariable,                        \
                   *result = HELM_AFX_THIS->memberFxn(wParam, lParam); return TRUE;)

// Window messages with the handler signatures of the class library.
#define ON_WM_CREATE() \
    HELM_AFX_WM(WM_CREATE, *result = HELM_AFX_THIS->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam)); return TRUE;)
#define ON_WM_DESTROY() HELM_AFX_WM(WM_DESTROY, HELM_AFX_THIS->OnDestroy(); return TRUE;)
#define ON_WM_NCDESTROY() HELM_AFX_WM(WM_NCDESTROY, HELM_AFX_THIS->OnNcDestroy(); return TRUE;)
#define ON_WM_CLOSE() HELM_AFX_WM(WM_CLOSE, HELM_AFX_THIS->OnClose(); return TRUE;)
#define ON_WM_PAINT() HELM_AFX_WM(WM_PAINT, HELM_AFX_THIS->OnPaint(); return TRUE;)
#define ON_WM_SIZE()                                                                                \
    HELM_AFX_WM(WM_SIZE, HELM_AFX_THIS->OnSize(static_cast<UINT>(wParam), static_cast<SHORT>(LOWORD(lParam)), \
                                               static_cast<SHORT>(HIWORD(lParam)));                 \
                return TRUE;)
#define ON_WM_MOVE()                                                                                \
    HELM_AFX_WM(WM_MOVE, HELM_AFX_THIS->OnMove(static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))); \
                return TRUE;)
#define ON_WM_TIMER() HELM_AFX_WM(WM_TIMER, HELM_AFX_THIS->OnTimer(static_cast<UINT_PTR>(wParam)); return TRUE;)
#define ON_WM_ERASEBKGND()                                                                          \
    HELM_AFX_WM(WM_ERASEBKGND,                                                                      \
                *result = HELM_AFX_THIS->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam))); return TRUE;)
// Every WM_CTLCOLOR* message reaches this one handler with its kind.
#define ON_WM_CTLCOLOR()                                                                              \
    HELM_AFX_WM(WM_CTLCOLOR,                                                                          \
                *result = reinterpret_cast<LRESULT>(HELM_AFX_THIS->OnCtlColor(                         \
                    CDC::FromHandle(reinterpret_cast<HDC>(wParam)), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), \
                    message_ - WM_CTLCOLORMSGBOX));                                                   \
                return TRUE;)
#define ON_WM_HSCROLL()                                                                                 \
    HELM_AFX_WM(WM_HSCROLL, HELM_AFX_THIS->OnHScroll(LOWORD(wParam), static_cast<SHORT>(HIWORD(wParam)), \
                                                     helm::afx::scroll_bar_of(lParam));                 \
                return TRUE;)
#define ON_WM_VSCROLL()                                                                                 \
    HELM_AFX_WM(WM_VSCROLL, HELM_AFX_THIS->OnVScroll(LOWORD(wParam), static_cast<SHORT>(HIWORD(wParam)), \
                                                     helm::afx::scroll_bar_of(lParam));                 \
                return TRUE;)
#define ON_WM_SYSCOMMAND() \
    HELM_AFX_WM(WM_SYSCOMMAND, HELM_AFX_THIS->OnSysCommand(static_cast<UINT>(wParam), lParam); return TRUE;)
#define ON_WM_GETMINMAXINFO() \
    HELM_AFX_WM(WM_GETMINMAXINFO, HELM_AFX_THIS->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)); return TRUE;)
#define ON_WM_CONTEXTMENU()                                                                          \
    HELM_AFX_WM(WM_CONTEXTMENU, HELM_AFX_THIS->OnContextMenu(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), \
                                                             CPoint(static_cast<DWORD>(lParam)));    \
                return TRUE;)
#define HELM_AFX_KEY(message, fn)                                                                   \
    HELM_AFX_WM(message, HELM_AFX_THIS->fn(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return TRUE;)
#define ON_WM_CHAR() HELM_AFX_KEY(WM_CHAR, OnChar)
#define ON_WM_KEYDOWN() HELM_AFX_KEY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() HELM_AFX_KEY(WM_KEYUP, OnKeyUp)
#define ON_WM_SETFOCUS() \
    HELM_AFX_WM(WM_SETFOCUS, HELM_AFX_THIS->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))); return TRUE;)
#define ON_WM_KILLFOCUS() \
    HELM_AFX_WM(WM_KILLFOCUS, HELM_AFX_THIS->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))); return TRUE;)
#define HELM_AFX_MOUSE(message, fn) \
    HELM_AFX_WM(message, HELM_AFX_THIS->fn(static_cast<UINT>(wParam), CPoint(static_cast<DWORD>(lParam))); return TRUE;)
#define ON_WM_MOUSEMOVE() HELM_AFX_MOUSE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() HELM_AFX_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() HELM_AFX_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() HELM_AFX_MOUSE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() HELM_AFX_MOUSE(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() HELM_AFX_MOUSE(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_SETCURSOR()                                                                                \
    HELM_AFX_WM(WM_SETCURSOR,                                                                            \
                *result = HELM_AFX_THIS->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)),   \
                                                     LOWORD(lParam), HIWORD(lParam));                    \
                return TRUE;)
#define ON_WM_COPYDATA()                                                                                \
    HELM_AFX_WM(WM_COPYDATA,                                                                            \
                *result = HELM_AFX_THIS->OnCopyData(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)),   \
                                                    reinterpret_cast<COPYDATASTRUCT*>(lParam));         \
                return TRUE;)
#define ON_WM_QUERYDRAGICON() \
    HELM_AFX_WM(WM_QUERYDRAGICON, *result = reinterpret_cast<LRESULT>(HELM_AFX_THIS->OnQueryDragIcon()); return TRUE;)
#define ON_WM_SHOWWINDOW() \
    HELM_AFX_WM(WM_SHOWWINDOW, HELM_AFX_THIS->OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)); return TRUE;)
#define ON_WM_ACTIVATE()                                                                            \
    HELM_AFX_WM(WM_ACTIVATE, HELM_AFX_THIS->OnActivate(LOWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), \
                                                       HIWORD(wParam));                             \
                return TRUE;)
#define ON_WM_ENABLE() HELM_AFX_WM(WM_ENABLE, HELM_AFX_THIS->OnEnable(static_cast<BOOL>(wParam)); return TRUE;)
// Owner-drawn items: a menu's reach the CMenu object bound to the menu.
#define ON_WM_MEASUREITEM()                                                                             \
    HELM_AFX_WM(WM_MEASUREITEM, HELM_AFX_THIS->OnMeasureItem(static_cast<int>(wParam),                  \
                                                             reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); \
                *result = TRUE; return TRUE;)
#define ON_WM_DRAWITEM()                                                                                            \
    HELM_AFX_WM(WM_DRAWITEM,                                                                                        \
                HELM_AFX_THIS->OnDrawItem(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); \
                *result = TRUE; return TRUE;)
#define ON_WM_WINDOWPOSCHANGED() \
    HELM_AFX_WM(WM_WINDOWPOSCHANGED, HELM_AFX_THIS->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam)); return TRUE;)
#define ON_WM_WINDOWPOSCHANGING() \
    HELM_AFX_WM(WM_WINDOWPOSCHANGING, HELM_AFX_THIS->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam)); return TRUE;)
