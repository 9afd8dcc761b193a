#include "toolkit/CStaticColor.h"

IMPLEMENT_DYNAMIC(CStaticColor, CStaticFont)

BEGIN_MESSAGE_MAP(CStaticColor, CStaticFont)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

CStaticColor::CStaticColor() : m_crBck(GetSysColor(COLOR_BTNFACE)), m_crTxt(GetSysColor(COLOR_BTNTEXT))
{
    m_brush.CreateSolidBrush(m_crBck);
}

CStaticColor::~CStaticColor() = default;

void CStaticColor::F_SetBckColor(COLORREF colour)
{
    if (colour == system_colour)
        colour = GetSysColor(COLOR_BTNFACE);
    if (colour == m_crBck)
        return;
    m_crBck = colour;
    m_brush.DeleteObject();
    m_brush.CreateSolidBrush(colour);
    if (m_hWnd)
        Invalidate();
}

void CStaticColor::F_SetTxtColor(COLORREF colour)
{
    if (colour == system_colour)
        colour = GetSysColor(COLOR_BTNTEXT);
    if (colour == m_crTxt)
        return;
    m_crTxt = colour;
    if (m_hWnd)
        Invalidate();
}

HBRUSH CStaticColor::CtlColor(CDC* dc, UINT)
{
    dc->SetTextColor(m_crTxt);
    dc->SetBkColor(m_crBck);
    return m_brush;
}
