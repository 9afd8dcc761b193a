// CStaticPalette: a strip of the 255 colours of a palette (entries 1 to
// 255), each in its own band.
#pragma once

#include "afxwin.h"

class CStaticPalette : public CStatic {
    DECLARE_DYNAMIC(CStaticPalette)

public:
    // A static with no text (WS_CHILD | WS_VISIBLE).
    BOOL Create(CRect& rect, CWnd* parent, UINT id);
    // Planes red, green and blue of a 256-entry palette; entry 0 is not kept.
    void F_SetPalette(unsigned char palette[3][256]);

protected:
    void OnPaint();

    unsigned char m_planes[3][255] = {};

    DECLARE_MESSAGE_MAP()
};
