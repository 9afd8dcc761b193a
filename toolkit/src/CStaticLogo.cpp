#include "toolkit/CStaticLogo.h"

#include "toolkit/WidgetryFunctions.h"

IMPLEMENT_DYNAMIC(CStaticLogo, CStatic)

BEGIN_MESSAGE_MAP(CStaticLogo, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {

// One picture with white as its transparent colour.
void fill(CImageList& list, int kind)
{
    CBitmap bitmap;
    BITMAP info{};
    if (!F_Q_LoadBitmap(kind, &bitmap, &info))
        return;
    if (list.Create(info.bmWidth, info.bmHeight, 255, 1, 0))
        list.Add(&bitmap, RGB(255, 255, 255));
}

// Where the list's picture lies centred in `area`, when it fits there.
bool centred(const CImageList& list, const CRect& area, CRect& place)
{
    int cx = 0, cy = 0;
    if (!list.m_hImageList || list.GetImageCount() < 1 || !list.GetIconSize(&cx, &cy))
        return false;
    place = CRect(CPoint((area.Width() - cx) / 2, (area.Height() - cy) / 2), CSize(cx, cy));
    return place.left >= area.left && place.top >= area.top && place.right <= area.right &&
           place.bottom <= area.bottom;
}

}  // namespace

CStaticLogo::CStaticLogo()
{
    fill(m_small, 0);
    fill(m_large, 1);
}

CStaticLogo::~CStaticLogo() = default;

BOOL CStaticLogo::DestroyWindow()
{
    m_small.DeleteImageList();
    m_large.DeleteImageList();
    return CStatic::DestroyWindow();
}

void CStaticLogo::PreSubclassWindow()
{
    ModifyStyle(SS_RIGHT, SS_CENTERIMAGE | SS_WHITERECT);
    ModifyStyleEx(WS_EX_STATICEDGE, 0);
    CStatic::PreSubclassWindow();
}

void CStaticLogo::OnPaint()
{
    CPaintDC dc(this);
    CRect area;
    GetWindowRect(&area);
    ScreenToClient(&area);
    CRect place;
    CImageList* list = centred(m_large, area, place) ? &m_large : centred(m_small, area, place) ? &m_small : nullptr;
    if (!list)
        return;
    dc.FillRect(&area, CBrush::FromHandle(static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))));
    list->Draw(&dc, 0, place.TopLeft(), ILD_TRANSPARENT);
    dc.Draw3dRect(&area, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE));
}
