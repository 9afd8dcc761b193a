// CStatic: the static control's object; each member sends its message.
#pragma once

#include "helm/afx/CWnd.h"

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)

public:
    BOOL Create(LPCSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xffff)
    {
        return CWnd::Create("Static", text, style, rect, parent, id);
    }
    HICON SetIcon(HICON icon) { return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon))); }
    HICON GetIcon() const { return reinterpret_cast<HICON>(SendMessage(STM_GETICON)); }
    HBITMAP SetBitmap(HBITMAP bitmap)
    {
        return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }

private:
    // A control is made through its own Create; the window's stays hidden.
    using CWnd::Create;
};
