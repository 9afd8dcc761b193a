// CImageList: an image list the object owns (destroyed with it).
#pragma once

#include "helm/afx/CDC.h"
#include "helm/user/commctrl.h"

class CImageList : public CObject {
    DECLARE_DYNCREATE(CImageList)

public:
    CImageList() = default;
    ~CImageList() override { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    BOOL DeleteImageList();
    // The image with every pixel of `mask` transparent; its index or -1.
    int Add(CBitmap* bitmap, COLORREF mask);
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    BOOL GetIconSize(int* cx, int* cy) const { return ImageList_GetIconSize(m_hImageList, cx, cy); }
    BOOL Draw(CDC* dc, int image, POINT point, UINT style)
    {
        return dc && ImageList_Draw(m_hImageList, image, dc->m_hDC, point.x, point.y, style);
    }
};
