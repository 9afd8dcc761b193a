#include "dialogs/CCompass3dctrl.h"

IMPLEMENT_DYNCREATE(CCompass3dctrl, CWnd)

// Compass3d's class id.
const CLSID CCompass3dctrl::clsid = {0xCD00E0FF, 0x5618, 0x4581, {0xAA, 0x26, 0xEF, 0xD4, 0x94, 0x0C, 0xF2, 0xA3}};

BOOL CCompass3dctrl::Create(LPCSTR, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void*)
{
    return CreateControl(clsid, windowName, style, rect, parent, id);
}

void CCompass3dctrl::F_SetCompassAttitude(double heading, double roll, double pitch)
{
    static const BYTE parms[] = VTS_R8 VTS_R8 VTS_R8;
    InvokeHelper(0x1, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, heading, roll, pitch);
}
