#include "toolkit/CStatusBarAutoWidth.h"

IMPLEMENT_DYNAMIC(CStatusBarAutoWidth, CStatusBar)

BOOL CStatusBarAutoWidth::SetPaneText(int index, LPCSTR text, BOOL update)
{
    if (index >= 0 && index < GetCount()) {
        UINT id = 0, style = 0;
        int width = 0;
        GetPaneInfo(index, id, style, width);
        SetPaneInfo(index, id, style, text_width(text));
    }
    return CStatusBar::SetPaneText(index, text, update);
}
