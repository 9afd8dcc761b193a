// CScrollBar: the scroll bar control's object (its own bar, SB_CTL).
#pragma once

#include "helm/afx/CWnd.h"

class CScrollBar : public CWnd {
    DECLARE_DYNAMIC(CScrollBar)

public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create("ScrollBar", nullptr, style, rect, parent, id);
    }
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    int SetScrollPos(int position, BOOL redraw = TRUE) { return ::SetScrollPos(m_hWnd, SB_CTL, position, redraw); }
    void GetScrollRange(LPINT minimum, LPINT maximum) const { ::GetScrollRange(m_hWnd, SB_CTL, minimum, maximum); }
    void SetScrollRange(int minimum, int maximum, BOOL redraw = TRUE)
    {
        ::SetScrollRange(m_hWnd, SB_CTL, minimum, maximum, redraw);
    }
    BOOL GetScrollInfo(LPSCROLLINFO info, UINT mask = SIF_ALL)
    {
        info->cbSize = sizeof(SCROLLINFO);
        info->fMask = mask;
        return ::GetScrollInfo(m_hWnd, SB_CTL, info);
    }
    BOOL SetScrollInfo(LPSCROLLINFO info, BOOL redraw = TRUE)
    {
        info->cbSize = sizeof(SCROLLINFO);
        return ::SetScrollInfo(m_hWnd, SB_CTL, info, redraw);
    }
    BOOL EnableScrollBar(UINT arrows = ESB_ENABLE_BOTH) { return ::EnableScrollBar(m_hWnd, SB_CTL, arrows); }

private:
    // A control is made through its own Create; the window's stays hidden.
    using CWnd::Create;
};
