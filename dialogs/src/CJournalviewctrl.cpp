#include "dialogs/CJournalviewctrl.h"

#include "journalview/Journalview.h"

IMPLEMENT_DYNCREATE(CJournalviewctrl, CWnd)

const CLSID CJournalviewctrl::clsid = CLSID_JournalviewCtrl;

BOOL CJournalviewctrl::Create(LPCSTR, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void*)
{
    return CreateControl(clsid, windowName, style, rect, parent, id);
}

void CJournalviewctrl::F_AddInfo(unsigned short type, LPCSTR line)
{
    static const BYTE parms[] = VTS_UI2 VTS_PI1;
    InvokeHelper(dispid_journalview_add_info, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, type, line);
}

void CJournalviewctrl::F_SetLogON(LPCSTR path)
{
    static const BYTE parms[] = VTS_PI1;
    InvokeHelper(dispid_journalview_set_log_on, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, path);
}

void CJournalviewctrl::F_SetLogOFF()
{
    InvokeHelper(dispid_journalview_set_log_off, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
}
