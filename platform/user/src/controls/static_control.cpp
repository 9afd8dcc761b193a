#include "static_control.h"

#include "helm/user/controls.h"

namespace helm::user::controls {

namespace {
ControlMap<StaticControl>& statics()
{
    static auto* map = new ControlMap<StaticControl>;
    return *map;
}

UINT image_type_of(DWORD type)
{
    switch (type) {
    case SS_ICON: return IMAGE_ICON;
    case SS_BITMAP: return IMAGE_BITMAP;
    case SS_ENHMETAFILE: return IMAGE_ENHMETAFILE;
    default: return ~0u;
    }
}
}  // namespace

// An icon or bitmap static names its picture in its text: loaded from the
// module that creates it.
StaticControl::StaticControl(HWND window, const CREATESTRUCT& cs) : m_window(window)
{
    const DWORD kind = static_cast<DWORD>(cs.style) & SS_TYPEMASK;
    if ((kind == SS_ICON || kind == SS_BITMAP) && cs.lpszName && (IS_INTRESOURCE(cs.lpszName) || cs.lpszName[0]))
        m_image = kind == SS_ICON ? static_cast<HANDLE>(LoadIcon(cs.hInstance, cs.lpszName))
                                  : static_cast<HANDLE>(LoadBitmap(cs.hInstance, cs.lpszName));
}

LRESULT CALLBACK StaticControl::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return run_control(statics(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<StaticControl>(w, cs);
    });
}

LRESULT StaticControl::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_NCHITTEST:
        // Only a static that reports clicks takes them; others are see-through.
        return (style_of(m_window) & SS_NOTIFY) ? DefWindowProc(m_window, message, wParam, lParam) : HTTRANSPARENT;
    case WM_LBUTTONDOWN:
        return on_click(STN_CLICKED);
    case WM_LBUTTONDBLCLK:
        return on_click(STN_DBLCLK);
    case WM_ENABLE:
        if (style_of(m_window) & SS_NOTIFY)
            notify_parent(m_window, wParam ? STN_ENABLE : STN_DISABLE);
        InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case STM_SETICON:
        return on_set_image(IMAGE_ICON, reinterpret_cast<HANDLE>(wParam));
    case STM_GETICON:
        return on_get_image(IMAGE_ICON);
    case STM_SETIMAGE:
        return on_set_image(static_cast<UINT>(wParam), reinterpret_cast<HANDLE>(lParam));
    case STM_GETIMAGE:
        return on_get_image(static_cast<UINT>(wParam));
    case WM_SETTEXT: {
        LRESULT r = DefWindowProc(m_window, message, wParam, lParam);
        InvalidateRect(m_window, nullptr, TRUE);
        return r;
    }
    case WM_CREATE:
        fit_image();
        return 0;
    case WM_PAINT:
        return on_paint();
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

LRESULT StaticControl::on_click(int code)
{
    if ((style_of(m_window) & SS_NOTIFY) && IsWindowEnabled(m_window))
        notify_parent(m_window, code);
    return 0;
}

// An image of the kind the style shows replaces the old one, which is
// returned; any other kind is refused.
LRESULT StaticControl::on_set_image(UINT type, HANDLE image)
{
    if (type != image_type_of(this->type()))
        return 0;
    HANDLE old = m_image;
    m_image = image;
    fit_image();
    InvalidateRect(m_window, nullptr, TRUE);
    return reinterpret_cast<LRESULT>(old);
}

LRESULT StaticControl::on_get_image(UINT type) const
{
    return type == image_type_of(this->type()) ? reinterpret_cast<LRESULT>(m_image) : 0;
}

// Windows sizes an image static to its picture unless told to centre it.
void StaticControl::fit_image()
{
    const DWORD kind = type();
    if ((kind != SS_ICON && kind != SS_BITMAP) || !m_image || (style_of(m_window) & (SS_CENTERIMAGE | SS_REALSIZECONTROL)))
        return;
    const SIZE size = image_size(image_type_of(kind), m_image);
    if (size.cx > 0 && size.cy > 0)
        SetWindowPos(m_window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT StaticControl::on_paint()
{
    PaintScope paint(m_window, WM_CTLCOLORSTATIC);
    m_brush = paint.brush();
    HDC dc = paint.dc();
    if (!dc)
        return 0;
    const DWORD s = style_of(m_window);
    RECT r = paint.client();
    auto fill_with = [&](int colour) { FillRect(dc, &r, GetSysColorBrush(colour)); };
    auto frame_with = [&](int colour) { FrameRect(dc, &r, GetSysColorBrush(colour)); };
    switch (type()) {
    case SS_BLACKRECT: fill_with(COLOR_WINDOWFRAME); return 0;
    case SS_GRAYRECT: fill_with(COLOR_BTNSHADOW); return 0;
    case SS_WHITERECT: fill_with(COLOR_WINDOW); return 0;
    case SS_BLACKFRAME: frame_with(COLOR_WINDOWFRAME); return 0;
    case SS_GRAYFRAME: frame_with(COLOR_BTNSHADOW); return 0;
    case SS_WHITEFRAME: frame_with(COLOR_WINDOW); return 0;
    case SS_ETCHEDHORZ: DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP); return 0;
    case SS_ETCHEDVERT: DrawEdge(dc, &r, EDGE_ETCHED, BF_LEFT); return 0;
    case SS_ETCHEDFRAME: DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT); return 0;
    case SS_OWNERDRAW:
    case SS_USERITEM:
    case SS_ENHMETAFILE: return 0;
    default: break;
    }
    FillRect(dc, &r, m_brush);
    if (s & SS_SUNKEN)
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    if (type() == SS_ICON || type() == SS_BITMAP) {
        const UINT kind = image_type_of(type());
        const SIZE size = image_size(kind, m_image);
        const bool centre = (s & SS_CENTERIMAGE) != 0;
        draw_image(dc, kind, m_image, centre ? (r.left + r.right - size.cx) / 2 : r.left,
                   centre ? (r.top + r.bottom - size.cy) / 2 : r.top);
        return 0;
    }
    char buffer[4096];
    const int n = GetWindowText(m_window, buffer, sizeof buffer);
    UINT format = DT_EXPANDTABS;
    switch (type()) {
    case SS_CENTER: format |= DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: format |= DT_RIGHT | DT_WORDBREAK; break;
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP: format |= DT_SINGLELINE; break;
    default: format |= DT_WORDBREAK; break;
    }
    if (s & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    if (s & SS_CENTERIMAGE)
        format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    switch (s & SS_ELLIPSISMASK) {
    case SS_ENDELLIPSIS: format |= DT_END_ELLIPSIS; break;
    case SS_PATHELLIPSIS: format |= DT_PATH_ELLIPSIS; break;
    case SS_WORDELLIPSIS: format |= DT_WORD_ELLIPSIS; break;
    default: break;
    }
    if (s & SS_EDITCONTROL)
        format |= DT_EDITCONTROL;
    SetBkMode(dc, TRANSPARENT);
    if (IsWindowEnabled(m_window))
        DrawText(dc, buffer, n, &r, format);
    else
        draw_grey_text(dc, buffer, n, r, format);
    return 0;
}

}  // namespace helm::user::controls
