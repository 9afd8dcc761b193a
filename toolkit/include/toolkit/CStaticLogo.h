// CStaticLogo: the maker's logo centred on white in a sunken frame, the
// large picture when it fits, else the small one, else nothing.
#pragma once

#include "afxcmn.h"

class CStaticLogo : public CStatic {
    DECLARE_DYNAMIC(CStaticLogo)

public:
    CStaticLogo();
    ~CStaticLogo() override;
    BOOL DestroyWindow() override;

protected:
    void PreSubclassWindow() override;
    void OnPaint();

    CImageList m_small;
    CImageList m_large;

    DECLARE_MESSAGE_MAP()
};
