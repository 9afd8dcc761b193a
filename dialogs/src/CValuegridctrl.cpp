#include "dialogs/CValuegridctrl.h"

#include "valuegrid/Valuegrid.h"

IMPLEMENT_DYNCREATE(CValuegridctrl, CWnd)

const CLSID CValuegridctrl::clsid = CLSID_ValuegridCtrl;

BOOL CValuegridctrl::Create(LPCSTR, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void*)
{
    return CreateControl(clsid, windowName, style, rect, parent, id);
}

void CValuegridctrl::AddItem(unsigned short* row, LPCSTR label, LPCSTR value, LPCSTR unit, unsigned short digits,
                             double valueMax, double valueMin, BOOL bounded, BOOL editable)
{
    static const BYTE parms[] = VTS_PUI2 VTS_PI1 VTS_PI1 VTS_PI1 VTS_UI2 VTS_R8 VTS_R8 VTS_BOOL VTS_BOOL;
    InvokeHelper(dispid_valuegrid_add_item, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, row, label, value, unit,
                 digits, valueMax, valueMin, bounded, editable);
}

void CValuegridctrl::SetItemValue(unsigned short row, LPCSTR value)
{
    static const BYTE parms[] = VTS_UI2 VTS_PI1;
    InvokeHelper(dispid_valuegrid_set_item_value, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, row, value);
}

void CValuegridctrl::SetItemState(unsigned short row, BOOL state)
{
    static const BYTE parms[] = VTS_UI2 VTS_BOOL;
    InvokeHelper(dispid_valuegrid_set_item_state, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, row, state);
}

void CValuegridctrl::Rebuilt()
{
    InvokeHelper(dispid_valuegrid_rebuilt, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
}
