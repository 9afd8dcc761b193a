// CSliderCtrlRange: a range slider drawn over a track bar it takes over:
// a selection between two thumbs on a range of ticks. The operator drags
// either thumb or the whole selection, or moves it with the keyboard; the
// parent hears of it through two registered messages (wParam the slider's
// window): "Changing" at each step of a drag and on each key, "Changed"
// when the dragging button is released. A program's own changes post
// nothing.
//
// Horizontal sliders run from left (minimum) to right; a slider is
// vertical when its style says TBS_VERT or it is taller than it is wide,
// and runs from bottom to top, or from top to bottom when reversed. The
// main button (left, or right when the buttons are swapped) drags the thumb
// under it, the selection when pressed inside it, or brings the nearer end
// to a point outside it; the other button drags the selection as a whole.
// With the drum behaviour a thumb widens or narrows the selection about its
// centre, and the right button is ignored.
//
// Keys: arrows along the slider move the selection by one tick (Page Up and
// Page Down by a tenth of the range, Home and End to the ends); with Shift
// the upper end moves, with Ctrl the lower end (in drum mode both, about
// the centre).
#pragma once

#include "afxcmn.h"

class CSliderCtrlRange : public CSliderCtrl {
    DECLARE_DYNAMIC(CSliderCtrlRange)

public:
    CSliderCtrlRange();
    ~CSliderCtrlRange() override;

    // The range between the two values (either order); the smallest
    // selection is cut to the range's width and ends outside it are reset
    // to its ends. Repaints at once.
    void F_SetRange(int a, int b);
    // The lower end: below the range gives the range's minimum, inside it
    // and below `selMax` is taken, else kept. The upper end: inside the
    // range, above `selMin`, is taken, else it becomes the range's maximum.
    // The selection is never inverted. Repaints only on a change; posts
    // nothing.
    void F_SetSel(int selMin, int selMax);
    int F_GetSelMin() const { return m_nSelMin; }
    int F_GetSelMax() const { return m_nSelMax; }
    int F_GetRangeMin() const { return m_nMin; }
    int F_GetRangeMax() const { return m_nMax; }
    // This slider's messages; 0 until it has taken over its window.
    UINT F_GetMessage_Changed() const { return m_nMsgChanged; }
    UINT F_GetMessage_Changing() const { return m_nMsgChanging; }
    void F_Disable_Move();
    void F_Disable_Resize_Min();
    void F_Disable_Resize_Max();
    void F_Able_Drum_behaviour(bool drum);
    bool F_ReverseVert_Set(bool reversed);
    bool F_InvertMouse_Set(bool invert);
    // The background; the colours drawn from it are made again.
    void F_SetColorBck(COLORREF colour);

protected:
    void PreSubclassWindow() override;
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    LRESULT OnRButtonDblClk(WPARAM wParam, LPARAM lParam);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnRButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnSetFocus(CWnd* old);
    void OnKillFocus(CWnd* next);
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    LRESULT OnGetDlgCode(WPARAM, LPARAM);
    LRESULT OnCaptureChanged(WPARAM, LPARAM);

private:
    enum class Grip { none, lower, upper, both };
    enum class Role { main, other };

    bool vertical() const;
    // Along the slider's axis: its length, the thumbs' length, the pixel of
    // a value and the value at a pixel.
    int length() const;
    int thumb() const;
    int pixel_of(int value) const;
    int value_at(int pixel) const;
    // The ticks from one pixel to another (negative toward smaller values).
    int ticks_between(int fromPixel, int toPixel) const;
    int along(CPoint point) const;
    // Pixels grow with the value (left to right, or top to bottom when a
    // vertical slider is reversed).
    bool increasing() const;
    // The thumbs' spans along the axis.
    void thumb_spans(int& lowerFrom, int& lowerTo, int& upperFrom, int& upperTo) const;
    CRect span_rect(int from, int to) const;
    Grip hit(int pixel) const;

    // Whether the grip may be dragged.
    bool allowed(Grip grip) const;
    // The selection low..high after its grip moved by `delta` ticks: a
    // thumb (about the centre in drum mode) or the whole selection, kept in
    // the range and at least the smallest selection wide. Drags, keys and
    // presses outside the selection all move it this way.
    void moved(Grip grip, int delta, int low, int high, int& outLow, int& outHigh) const;
    void press(Role role, CPoint point);
    void release();
    // The selection a drag, a key or the program asks for; the parent is
    // told "Changing" when it changed and `notify` is set.
    bool apply(int low, int high, bool notify);
    // low..high widened to the smallest selection and moved inside the
    // range, keeping its width.
    void fit(int& low, int& high) const;
    // The selection of width `width` about the centre of low..high.
    void about_centre(int low, int high, int width, int& outLow, int& outHigh) const;
    void post(UINT message) const;
    void make_tools();
    void draw_thumb(CDC& dc, const CRect& r, bool enabled) const;

    int m_nMin = 0;
    int m_nMax = 10;
    int m_nSelMin = 0;
    int m_nSelMax = 10;
    int m_nMinWidth = 1;
    bool m_bCanMove = true;
    bool m_bCanResizeMin = true;
    bool m_bCanResizeMax = true;
    bool m_bDrum = false;
    bool m_bReverseVert = false;
    bool m_bInvertMouse = false;
    UINT m_nMsgChanged = 0;
    UINT m_nMsgChanging = 0;

    // A drag under way.
    Grip m_grip = Grip::none;
    UINT m_nDragButton = 0;  // WM_LBUTTONUP or WM_RBUTTONUP
    int m_nPressPixel = 0;
    int m_nPressMin = 0;
    int m_nPressMax = 0;
    bool m_bDragChanged = false;

    COLORREF m_crBck;
    COLORREF m_crLight = 0;
    COLORREF m_crShadow = 0;
    COLORREF m_crBand;
    COLORREF m_crFace;
    CPen m_penLight;
    CPen m_penShadow;
    CBrush m_brushBck;
    CBrush m_brushBand;

    DECLARE_MESSAGE_MAP()
};
