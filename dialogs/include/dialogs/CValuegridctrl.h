// CValuegridctrl: the wrapper through which the dialogs reach a value grid
// (ValuegridCtrl), called by dispatch id. Bound to a dialog's item by data
// exchange, or made with Create; while it has no control every call is
// skipped.
#pragma once

#include "afxdisp.h"
#include "afxwin.h"

class CValuegridctrl : public CWnd {
    DECLARE_DYNCREATE(CValuegridctrl)

public:
    static const CLSID clsid;

    BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                void* context = nullptr) override;

    // Adds a row at the end; its number goes to `row`.
    void AddItem(unsigned short* row, LPCSTR label, LPCSTR value, LPCSTR unit, unsigned short digits, double valueMax,
                 double valueMin, BOOL bounded, BOOL editable);
    void SetItemValue(unsigned short row, LPCSTR value);
    // FALSE draws the row's value and unit in the alarm colour.
    void SetItemState(unsigned short row, BOOL state);
    // Lays the visible rows out.
    void Rebuilt();
};
