// The "Button" class. What every button shares lives here: pressing with
// the mouse (BN_CLICKED when released inside) or with Space, the check
// state, images, focus and its notifications. Each kind (push, check box,
// radio, group box) adds what is its own.
#pragma once

#include <string>

#include "control.h"

namespace helm::user::controls {

class ButtonBase {
public:
    explicit ButtonBase(HWND window) : m_window(window) {}
    virtual ~ButtonBase() = default;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    DWORD style() const { return style_of(m_window); }
    DWORD type() const { return style() & BS_TYPEMASK; }
    // What the dialog manager learns from WM_GETDLGCODE.
    virtual LRESULT dlg_code() const = 0;
    // The state change an operator's click makes, before BN_CLICKED.
    virtual void on_activated() {}
    // Whether BM_SETCHECK means anything to this kind.
    virtual bool checkable() const { return false; }
    virtual bool takes_input() const { return true; }
    virtual UINT ctlcolor_message() const { return WM_CTLCOLORSTATIC; }
    void set_check(UINT state);

    // Painting: each kind draws itself into the DC the paint scope holds.
    virtual void draw(const PaintScope& paint);
    // The look of a push button (also of BS_PUSHLIKE check boxes and radio
    // buttons): raised, or sunken while `down`; the black frame of the default.
    void draw_push(const PaintScope& paint, bool down, bool default_frame);
    // A check box or radio button: the mark `kind` (DFCS_BUTTONCHECK or
    // DFCS_BUTTONRADIO) beside the text.
    void draw_marked(const PaintScope& paint, UINT kind);
    // The text in `rect` with the style's alignment, grey when disabled;
    // answers where the text landed.
    RECT draw_label(HDC dc, RECT rect, UINT format) const;
    std::string text() const;
    bool pushed() const { return m_pushed; }
    bool focused() const { return m_focused; }

    HWND m_window;
    UINT m_check = BST_UNCHECKED;

private:
    LRESULT on_button_down();
    LRESULT on_mouse_move(LPARAM lParam);
    LRESULT on_button_up(LPARAM lParam);
    LRESULT on_double_click();
    LRESULT on_key_down(WPARAM key);
    LRESULT on_key_up(WPARAM key);
    LRESULT on_set_focus();
    LRESULT on_kill_focus();
    LRESULT on_set_check(WPARAM state);
    LRESULT on_get_state() const;
    LRESULT on_set_state(WPARAM pushed);
    LRESULT on_set_style(WPARAM style);
    LRESULT on_click();
    LRESULT on_set_image(WPARAM type, LPARAM image);
    LRESULT on_get_image(WPARAM type) const;
    LRESULT on_paint();
    void set_pushed(bool pushed);
    void activate();

    bool m_pushed = false;
    bool m_focused = false;
    bool m_mouse_tracking = false;
    bool m_space_down = false;
    bool m_clicking = false;  // BM_CLICK: the release counts wherever the button is
    HANDLE m_icon = nullptr;
    HANDLE m_bitmap = nullptr;
};

}  // namespace helm::user::controls
