// CStaticColor: a static with its own text and background colours (by
// default the button text colour on the button face), answered through the
// reflected WM_CTLCOLOR.
#pragma once

#include "toolkit/CStaticFont.h"

class CStaticColor : public CStaticFont {
    DECLARE_DYNAMIC(CStaticColor)

public:
    // Stands for the system colour in the setters.
    static constexpr COLORREF system_colour = 0xFFFFFFFF;

    CStaticColor();
    ~CStaticColor() override;

    // 0xFFFFFFFF is the button face; a change rebuilds the brush and repaints.
    void F_SetBckColor(COLORREF colour);
    // 0xFFFFFFFF is the button text colour; a change repaints.
    void F_SetTxtColor(COLORREF colour);
    COLORREF F_GetBckColor() const { return m_crBck; }
    COLORREF F_GetTxtColor() const { return m_crTxt; }

protected:
    HBRUSH CtlColor(CDC* dc, UINT ctlColor);

    COLORREF m_crBck;
    COLORREF m_crTxt;
    CBrush m_brush;

    DECLARE_MESSAGE_MAP()
};
