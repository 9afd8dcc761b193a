// CSliderCtrl: the track bar's object.
#pragma once

#include "helm/afx/CWnd.h"
#include "helm/user/commctrl.h"

class CSliderCtrl : public CWnd {
    DECLARE_DYNAMIC(CSliderCtrl)

public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(TRACKBAR_CLASS, nullptr, style, rect, parent, id);
    }
    void SetRange(int low, int high, BOOL redraw = FALSE) { SendMessage(TBM_SETRANGE, redraw, MAKELPARAM(low, high)); }
    int GetRangeMin() const { return static_cast<int>(SendMessage(TBM_GETRANGEMIN)); }
    int GetRangeMax() const { return static_cast<int>(SendMessage(TBM_GETRANGEMAX)); }
    void SetPos(int position) { SendMessage(TBM_SETPOS, TRUE, position); }
    int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
};
