// The classic three-dimensional look: system colour brushes, DrawEdge's
// two-pixel borders and the frame controls (check boxes, radio buttons,
// push buttons, scroll arrows, the caption's close box).

#include <algorithm>
#include <array>
#include <mutex>

#include "helm/gdi/hooks.h"
#include "helm/user/winuser.h"
#include "paint_internal.h"

namespace {

// FillRect takes (HBRUSH)(COLOR_xxx + 1) through the drawing layer's hook;
// set while the library loads, before any window can paint.
const bool g_colours_hooked = [] {
    helm::gdi::set_system_colour_source([](int index) -> COLORREF {
        if (index < 0 || index > COLOR_MENUBAR)
            return CLR_INVALID;
        return GetSysColor(index);
    });
    return true;
}();

void fill(HDC dc, int left, int top, int right, int bottom, HBRUSH brush)
{
    if (right <= left || bottom <= top)
        return;
    RECT r{left, top, right, bottom};
    FillRect(dc, &r, brush);
}

void fill(HDC dc, int left, int top, int right, int bottom, int colour)
{
    fill(dc, left, top, right, bottom, GetSysColorBrush(colour));
}

// One pixel border: the top and left lines in `light`, the bottom and
// right ones in `dark`; the corners at bottom left and top right go to
// `dark`, as Windows draws them.
void border(HDC dc, const RECT& r, UINT flags, int light, int dark)
{
    if (flags & BF_TOP)
        fill(dc, r.left, r.top, r.right - 1, r.top + 1, light);
    if (flags & BF_LEFT)
        fill(dc, r.left, r.top, r.left + 1, r.bottom - 1, light);
    if (flags & BF_BOTTOM)
        fill(dc, r.left, r.bottom - 1, r.right, r.bottom, dark);
    if (flags & BF_RIGHT)
        fill(dc, r.right - 1, r.top, r.right, r.bottom, dark);
}

void shrink(RECT& r, UINT flags)
{
    if (flags & BF_LEFT)
        ++r.left;
    if (flags & BF_TOP)
        ++r.top;
    if (flags & BF_RIGHT)
        --r.right;
    if (flags & BF_BOTTOM)
        --r.bottom;
}

// A filled triangle pointing `direction` (0 up, 1 down, 2 left, 3 right),
// centred in `r`: rows of 1, 3, 5... pixels.
void arrow(HDC dc, const RECT& r, int direction, HBRUSH colour)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int rows = std::max(1, (std::min(w, h) - 4) / 3);
    const int cx = r.left + w / 2, cy = r.top + h / 2;
    for (int i = 0; i < rows; ++i) {
        const int half = (direction == 0 || direction == 2) ? i : rows - 1 - i;
        const int step = i - rows / 2;
        if (direction <= 1)
            fill(dc, cx - half, cy + step, cx + half + 1, cy + step + 1, colour);
        else
            fill(dc, cx + step, cy - half, cx + step + 1, cy + half + 1, colour);
    }
}

void check_mark(HDC dc, const RECT& box, HBRUSH colour)
{
    // The classic 7 x 7 mark: a short stroke down then a long one up, 3 pixels thick.
    const int x = box.left + (box.right - box.left - 7) / 2;
    const int y = box.top + (box.bottom - box.top - 7) / 2;
    for (int i = 0; i < 7; ++i) {
        const int top = i < 3 ? y + 2 + i : y + 4 - (i - 2);
        fill(dc, x + i, top, x + i + 1, top + 3, colour);
    }
}

void ellipse(HDC dc, const RECT& r, int pen_colour, int brush_colour)
{
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(pen_colour));
    HGDIOBJ old_pen = SelectObject(dc, pen);
    HGDIOBJ old_brush = SelectObject(dc, GetSysColorBrush(brush_colour));
    Ellipse(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(pen);
}

void button_frame(HDC dc, RECT r, UINT state)
{
    if (state & DFCS_CHECKED)  // a check box of push-like look, held down
        state |= DFCS_PUSHED;
    if (state & DFCS_FLAT)
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE | BF_FLAT);
    else if (state & DFCS_PUSHED)
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
    else
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

}  // namespace

HBRUSH GetSysColorBrush(int index)
{
    static std::mutex mutex;
    static std::array<HBRUSH, COLOR_MENUBAR + 1> brushes{};
    if (index < 0 || index > COLOR_MENUBAR)
        return nullptr;
    std::lock_guard lock(mutex);
    HBRUSH& b = brushes[size_t(index)];
    if (!b)
        b = CreateSolidBrush(GetSysColor(index));
    return b;
}

BOOL DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags)
{
    if (!dc || !rect)
        return FALSE;
    RECT r = *rect;
    int outer_light = COLOR_3DLIGHT, outer_dark = COLOR_3DDKSHADOW;
    int inner_light = COLOR_BTNHIGHLIGHT, inner_dark = COLOR_BTNSHADOW;
    if ((edge & BDR_OUTER) == BDR_SUNKENOUTER) {
        outer_light = COLOR_BTNSHADOW;
        outer_dark = COLOR_BTNHIGHLIGHT;
    }
    if ((edge & BDR_INNER) == BDR_SUNKENINNER) {
        inner_light = COLOR_3DDKSHADOW;
        inner_dark = COLOR_3DLIGHT;
    }
    if (flags & BF_SOFT) {  // softer buttons: the white line outside
        if ((edge & BDR_OUTER) == BDR_RAISEDOUTER)
            outer_light = COLOR_BTNHIGHLIGHT, inner_light = COLOR_3DLIGHT;
        if ((edge & BDR_INNER) == BDR_SUNKENINNER)
            outer_light = COLOR_3DDKSHADOW, inner_light = COLOR_BTNSHADOW;
    }
    if (flags & BF_FLAT)
        outer_light = outer_dark = COLOR_BTNSHADOW, inner_light = inner_dark = COLOR_BTNFACE;
    if (flags & BF_MONO)
        outer_light = outer_dark = COLOR_WINDOWFRAME, inner_light = inner_dark = COLOR_WINDOW;
    if (edge & BDR_OUTER) {
        border(dc, r, flags, outer_light, outer_dark);
        shrink(r, flags);
    }
    if (edge & BDR_INNER) {
        border(dc, r, flags, inner_light, inner_dark);
        shrink(r, flags);
    }
    if (flags & BF_MIDDLE)
        fill(dc, r.left, r.top, r.right, r.bottom, (flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE);
    if (flags & BF_ADJUST)
        *rect = r;
    return TRUE;
}

BOOL DrawFrameControl(HDC dc, LPRECT rect, UINT type, UINT state)
{
    if (!dc || !rect)
        return FALSE;
    RECT r = *rect;
    const int glyph = (state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_BTNTEXT;
    switch (type) {
    case DFC_BUTTON: {
        const UINT kind = state & 0x1F;
        if (kind & DFCS_BUTTONPUSH) {
            button_frame(dc, r, state);
            return TRUE;
        }
        // Check boxes and radio buttons keep the classic 13 x 13 box,
        // centred in what was given.
        const int size = std::min<int>(13, std::min(r.right - r.left, r.bottom - r.top));
        RECT box{r.left + (r.right - r.left - size) / 2, r.top + (r.bottom - r.top - size) / 2, 0, 0};
        box.right = box.left + size;
        box.bottom = box.top + size;
        const int inside = (state & (DFCS_INACTIVE | DFCS_PUSHED)) ? COLOR_BTNFACE : COLOR_WINDOW;
        if (kind & DFCS_BUTTONRADIO) {
            RECT outer{box.left, box.top, box.right - 1, box.bottom - 1};
            ellipse(dc, outer, COLOR_BTNSHADOW, inside);
            if (state & DFCS_CHECKED) {
                const int cx = (outer.left + outer.right) / 2, cy = (outer.top + outer.bottom) / 2;
                fill(dc, cx - 1, cy - 2, cx + 1, cy + 2, glyph);
                fill(dc, cx - 2, cy - 1, cx + 2, cy + 1, glyph);
            }
            return TRUE;
        }
        DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        fill(dc, box.left, box.top, box.right, box.bottom,
             (kind & DFCS_BUTTON3STATE) && (state & DFCS_CHECKED) ? COLOR_BTNFACE : inside);
        if (state & DFCS_CHECKED)
            check_mark(dc, box, GetSysColorBrush((kind & DFCS_BUTTON3STATE) ? COLOR_GRAYTEXT : glyph));
        return TRUE;
    }
    case DFC_SCROLL: {
        const UINT kind = state & 0xFF;
        int direction = 1;
        switch (kind) {
        case DFCS_SCROLLUP: direction = 0; break;
        case DFCS_SCROLLLEFT: direction = 2; break;
        case DFCS_SCROLLRIGHT: direction = 3; break;
        default: direction = 1; break;
        }
        if (state & DFCS_PUSHED) {
            DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE | BF_FLAT);
            OffsetRect(&r, 1, 1);
        } else {
            DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        }
        if (state & DFCS_INACTIVE) {
            RECT shade = r;
            OffsetRect(&shade, 1, 1);
            arrow(dc, shade, direction, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        }
        arrow(dc, r, direction, GetSysColorBrush(glyph));
        return TRUE;
    }
    case DFC_CAPTION: {
        DrawEdge(dc, &r, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
        // The close box's cross: two diagonals, 2 pixels wide.
        const int size = std::max(2, std::min(r.right - r.left, r.bottom - r.top) - 7);
        const int x = r.left + (r.right - r.left - size) / 2, y = r.top + (r.bottom - r.top - size) / 2;
        for (int i = 0; i < size; ++i) {
            fill(dc, x + i, y + i, x + i + 2, y + i + 1, glyph);
            fill(dc, x + size - 1 - i - 1, y + i, x + size - i, y + i + 1, glyph);
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

namespace helm::user {

void draw_check_glyph(HDC dc, const RECT& box, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    check_mark(dc, box, brush);
    DeleteObject(brush);
}

void draw_arrow_glyph(HDC dc, const RECT& r, int direction, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    arrow(dc, r, direction, brush);
    DeleteObject(brush);
}

}  // namespace helm::user
