// What the common controls share beyond the standard controls' base:
// WM_NOTIFY to the parent and the registration of their classes.
#pragma once

#include <string>

#include "../controls/control.h"
#include "helm/user/input.h"
#include "helm/user/commctrl.h"

namespace helm::user::commctrl {

// Fills the head of `block` (window, id, code) and sends it to the
// control's parent as WM_NOTIFY; the parent's answer, 0 without a parent.
LRESULT notify(HWND control, UINT code, NMHDR& block);
// The same with nothing but the head.
LRESULT notify(HWND control, UINT code);

// BeginPaint with the control's font selected, for controls that ask
// their parent for no colours; EndPaint when it goes.
class Paint {
public:
    explicit Paint(HWND window);
    ~Paint();
    Paint(const Paint&) = delete;
    Paint& operator=(const Paint&) = delete;
    HDC dc() const { return m_paint.hdc; }
    const RECT& client() const { return m_client; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HGDIOBJ m_old_font = nullptr;
    RECT m_client{};
};

// Fills with a colour given as COLORREF; CLR_DEFAULT takes `fallback`, a
// system colour index.
void fill(HDC dc, const RECT& r, COLORREF colour, int fallback);
// The width of `text` in the control's font.
int measured_width(HWND control, const std::string& text);
// Text in the system colour `colour`, transparent over what is there.
void draw_text(HDC dc, const std::string& text, RECT r, UINT format, int colour);

// The common control classes, registered with the standard ones.
void register_common_classes();

}  // namespace helm::user::commctrl
