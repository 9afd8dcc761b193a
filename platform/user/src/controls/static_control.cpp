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

StaticControl::StaticControl(HWND window, const CREATESTRUCT&) : m_window(window) {}

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
    InvalidateRect(m_window, nullptr, TRUE);
    return reinterpret_cast<LRESULT>(old);
}

LRESULT StaticControl::on_get_image(UINT type) const
{
    return type == image_type_of(this->type()) ? reinterpret_cast<LRESULT>(m_image) : 0;
}

LRESULT StaticControl::on_paint()
{
    m_brush = paint_background(m_window, WM_CTLCOLORSTATIC);
    return 0;
}

}  // namespace helm::user::controls
