#include "helm/afx/CImageList.h"

IMPLEMENT_DYNCREATE(CImageList, CObject)

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow)
{
    if (m_hImageList)
        return FALSE;
    m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList != nullptr;
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList)
        return FALSE;
    ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return TRUE;
}

int CImageList::Add(CBitmap* bitmap, COLORREF mask)
{
    return bitmap ? ImageList_AddMasked(m_hImageList, *bitmap, mask) : -1;
}
