// CCompass3dctrl: the wrapper through which the dialogs reach the 3D
// compass (Compass3d), called by dispatch id; every call is skipped while
// it has no control.
#pragma once

#include "afxdisp.h"
#include "afxwin.h"

class CCompass3dctrl : public CWnd {
    DECLARE_DYNCREATE(CCompass3dctrl)

public:
    static const CLSID clsid;

    BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                void* context = nullptr) override;

    // The vessel's attitude, in degrees.
    void F_SetCompassAttitude(double heading, double roll, double pitch);
};
