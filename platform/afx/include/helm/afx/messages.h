// Window messages and codes the class library needs beyond what the window
// layer's headers name (each only when not named there already).
#pragma once

#include "helm/user/winuser.h"

#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif
#ifndef WM_QUERYDRAGICON
#define WM_QUERYDRAGICON 0x0037
#endif
#ifndef WM_CONTEXTMENU
#define WM_CONTEXTMENU 0x007B
#endif
#ifndef WM_CTLCOLORMSGBOX
#define WM_CTLCOLORMSGBOX 0x0132
#endif
#ifndef WM_KEYFIRST
#define WM_KEYFIRST 0x0100
#endif
#ifndef WM_KEYLAST
#define WM_KEYLAST 0x0109
#endif
#ifndef WM_MOUSEFIRST
#define WM_MOUSEFIRST 0x0200
#endif
#ifndef WM_MOUSELAST
#define WM_MOUSELAST 0x020D
#endif

// Notifications reflected to the control that sent them arrive in its own
// message map as WM_REFLECT_BASE plus the message.
#define WM_REFLECT_BASE 0xBC00
// The number standing for a registered message in a map entry.
#define HELM_AFX_REGISTERED 0xC000

#define CN_COMMAND 0

// CWnd::m_nFlags.
#define WF_CONTINUEMODAL 0x0001
#define WF_MODALLOOP 0x0002
#define WF_TEMPORARY 0x0004

// What CWnd::OnCtlColor is told.
#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6
