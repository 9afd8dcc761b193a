// CStaticFont: a static whose font's height, weight and underline can be
// changed; the new font is made from the static's own when rebuilt.
#pragma once

#include "afxwin.h"

class CStaticFont : public CStatic {
    DECLARE_DYNAMIC(CStaticFont)

public:
    CStaticFont() = default;
    ~CStaticFont() override;

    void F_SetFontHeight(LONG height, bool rebuild);
    void F_SetFontWeight(LONG weight, bool rebuild);
    void F_SetFontUnderline(bool underline, bool rebuild);

protected:
    // The static's font with the changes asked for, set and repainted.
    void P_RebuildFont();

    CFont m_font;
    LONG m_lHeight = 0;  // 0: the static's own
    LONG m_lWeight = 0;  // 0: the static's own
    int m_nUnderline = -1;  // -1: the static's own
};
