// CStaticProgress: an activity bar whose lit segment runs from its tail to
// its head, out to the maximum and back, with a text over it. The segment
// shades from the tail colour to the head colour (optionally with a solid
// band at the head); the two colours swap at each turn.
#pragma once

#include "afxwin.h"

class CStaticProgress : public CStatic {
    DECLARE_DYNAMIC(CStaticProgress)

public:
    CStaticProgress() = default;
    ~CStaticProgress() override = default;

    // One step of the head (and of the tail once the head is `length`
    // ahead); repaints at once and returns the head's position.
    int StepIt();
    // Back to the start: both ends at 0, forward, colours as set.
    void ResetProgress();
    void SetMax(int maximum) { m_nMax = maximum; }
    int GetMax() const { return m_nMax; }
    void SetStep(int step) { m_nStep = step; }
    int GetStep() const { return m_nStep; }
    void SetLength(int length) { m_nLength = length; }
    int GetLength() const { return m_nLength; }
    // Tail and head colours, as set and in use.
    void SetFgColor(COLORREF tail, COLORREF head);
    COLORREF GetFgColorFirst() const { return m_crFirst; }
    COLORREF GetFgColorLast() const { return m_crLast; }
    void SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const { return m_crBk; }
    void SetTextColor(COLORREF colour) { m_crText = colour; }
    COLORREF GetTextColor() const { return m_crText; }
    // A solid band of the head colour at the head end of the segment.
    void SetGradientBand(bool band) { m_bGradientBand = band; }
    int GetPositionFirst() const { return m_nFirst; }
    int GetPositionLast() const { return m_nLast; }
    bool IsReverse() const { return m_bReverse; }

protected:
    void OnPaint();
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);

private:
    int SafeStepFirst();
    int SafeStepLast();
    void turn();
    void DrawGradient(CDC* dc, CRect rect);

    int m_nLength = 40;
    int m_nMax = 100;
    int m_nLast = 0;   // the head
    int m_nFirst = 0;  // the tail
    int m_nStep = 5;
    COLORREF m_crLastSet = RGB(0, 255, 0);
    COLORREF m_crFirstSet = RGB(0, 0, 0);
    COLORREF m_crLast = RGB(0, 255, 0);
    COLORREF m_crFirst = RGB(0, 0, 0);
    COLORREF m_crBk = RGB(0, 0, 0);
    COLORREF m_crText = RGB(255, 255, 255);
    CString m_strText;
    bool m_bGradientBand = false;
    bool m_bReverse = false;
    bool m_bEndReached = false;

    DECLARE_MESSAGE_MAP()
};
