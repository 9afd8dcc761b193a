// CJournalviewctrl: the wrapper through which the dialogs reach an
// event-log view (JournalviewCtrl), called by dispatch id; every call is
// skipped while it has no control.
#pragma once

#include "afxdisp.h"
#include "afxwin.h"

class CJournalviewctrl : public CWnd {
    DECLARE_DYNCREATE(CJournalviewctrl)

public:
    static const CLSID clsid;

    BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                void* context = nullptr) override;

    // A line on top of the view: type 1 red, 2 green, any other white.
    void F_AddInfo(unsigned short type, LPCSTR line);
    void F_SetLogON(LPCSTR path);
    void F_SetLogOFF();
};
