#include "toolkit/CStaticPalette.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CStaticPalette, CStatic)

BEGIN_MESSAGE_MAP(CStaticPalette, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CStaticPalette::Create(CRect& rect, CWnd* parent, UINT id)
{
    return CStatic::Create("", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

void CStaticPalette::F_SetPalette(unsigned char palette[3][256])
{
    for (int plane = 0; plane < 3; ++plane)
        std::memcpy(m_planes[plane], palette[plane] + 1, 255);
    if (m_hWnd)
        Invalidate();
}

void CStaticPalette::OnPaint()
{
    CPaintDC dc(this);
    CRect area;
    GetClientRect(&area);
    area.DeflateRect(2, 2);
    const double step = area.Width() * (1.0 / 255);
    auto edge = [&](int i) { return area.left + static_cast<int>(i * step + 0.5); };
    for (int i = 0; i < 255; ++i)
        dc.FillSolidRect(edge(i), area.top, edge(i + 1) - edge(i), area.Height(),
                         RGB(m_planes[0][i], m_planes[1][i], m_planes[2][i]));
}
