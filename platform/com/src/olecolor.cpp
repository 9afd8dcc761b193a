#include "helm/com/olecolor.h"

#include <windows.h>

HRESULT OleTranslateColor(OLE_COLOR color, HPALETTE, COLORREF* out)
{
    COLORREF rgb = 0;
    switch (color >> 24) {
    case 0x00:
    case 0x02:
        rgb = color & 0x00FFFFFF;
        break;
    case 0x80: {
        DWORD index = color & 0x00FFFFFF;
        if (index > COLOR_MENUBAR)
            return E_INVALIDARG;
        rgb = GetSysColor(int(index));
        break;
    }
    default:
        return E_INVALIDARG;
    }
    if (out)
        *out = rgb;
    return S_OK;
}
