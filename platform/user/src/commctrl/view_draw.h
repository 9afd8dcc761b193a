// What the list and tree views (and, for its bars, the rich edit) share in
// drawing: the paint with its custom-draw notices to the parent, the
// background erased, the selection's colours, bars shown while there is
// something to scroll, and the text a parent gives for a callback item.
#pragma once

#include <cstddef>
#include <string>

#include "helm/user/commctrl.h"
#include "helm/user/winuser.h"

namespace helm::user::commctrl {

// One paint of a view that lets its parent take part: BeginPaint (the
// background erased by then, in WM_ERASEBKGND, where a subclass may do it
// its own way) with the view's font selected, then the pre-paint notice
// in `block` (the head of the view's own, larger custom-draw block,
// so the parent may read it as that). The parent may destroy the view
// while it is told; check alive() before going on, and leave without
// finish() when it is gone.
class CustomDrawPaint {
public:
    CustomDrawPaint(HWND window, NMCUSTOMDRAW& block);
    CustomDrawPaint(const CustomDrawPaint&) = delete;
    CustomDrawPaint& operator=(const CustomDrawPaint&) = delete;

    bool alive() const { return IsWindow(m_window) != FALSE; }
    HDC dc() const { return m_dc; }
    const RECT& client() const { return m_client; }
    // The parent's answer to the pre-paint notice (CDRF_* flags).
    LRESULT wants() const { return m_wants; }
    // The post-paint notice if the parent asked for it, then EndPaint
    // unless the parent destroyed the view meanwhile.
    void finish();

private:
    HWND m_window;
    NMCUSTOMDRAW& m_block;
    PAINTSTRUCT m_paint{};
    HDC m_dc = nullptr;
    RECT m_client{};
    LRESULT m_wants = CDRF_DODEFAULT;
};

// Turns a row's own colours into those it is drawn in: the highlight when
// it is selected in a focused view, the button face when selected without.
void selection_colours(bool selected, bool focused, COLORREF& text, COLORREF& back);

// Sets one of a view's own scroll bars to `count` units of which `page`
// show from `pos`, and shows the bar only while there is something to
// scroll, as the views do. Showing or hiding it sends the view WM_SIZE.
void fit_scroll_bar(HWND window, int bar, int count, int page, int pos);

// A view's WM_ERASEBKGND: its client area in its background colour
// (CLR_NONE: left alone).
LRESULT erase_view(HWND window, HDC dc, COLORREF background);

// Repaints the band of the client area from `top` to `bottom`, across
// the whole width.
void invalidate_band(HWND window, int top, int bottom);

// The text a parent answered to a GETDISPINFO that offered it `buffer`
// (of `size` bytes): written into the buffer, or pointed at its own,
// which is read bounded.
std::string answered_text(const char* answer, char* buffer, size_t size);

}  // namespace helm::user::commctrl
