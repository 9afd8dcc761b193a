// What the dialog manager keeps for each dialog beyond its window's extra
// bytes (which hold the DWLP_ values applications read and write).
#pragma once

#include <memory>

#include "helm/user/winuser.h"

namespace helm::user {

// The button family's values the dialog manager sends (the controls define
// the public names).
inline constexpr UINT button_setstyle = 0x00F4;  // BM_SETSTYLE
inline constexpr UINT button_click = 0x00F5;     // BM_CLICK
inline constexpr UINT button_getcheck = 0x00F0;  // BM_GETCHECK
inline constexpr UINT button_setcheck = 0x00F1;  // BM_SETCHECK
inline constexpr WPARAM style_pushbutton = 0x0000;     // BS_PUSHBUTTON
inline constexpr WPARAM style_defpushbutton = 0x0001;  // BS_DEFPUSHBUTTON
inline constexpr WORD notify_clicked = 0;              // BN_CLICKED
inline constexpr UINT edit_setsel = 0x00B1;            // EM_SETSEL

struct DialogState {
    HFONT font = nullptr;
    SIZE units{};
    WORD default_id = 0;
    bool has_default_id = false;
    uint32_t saved_focus = 0;
    bool initializing = false;
    bool ended = false;
    INT_PTR result = 0;
    uint32_t disabled_owner = 0;  // the owner a modal dialog disabled
};

// The dialog's state, made on first use; null for no window.
std::shared_ptr<DialogState> dialog_state(HWND dialog);
// The state when the window is a dialog already, else null.
std::shared_ptr<DialogState> find_dialog_state(HWND dialog);
void forget_dialog_state(HWND dialog);

// Gives a dialog's control the focus as the dialog manager does: an edit's
// text is selected, and the default push button look follows the focus.
void set_dialog_focus(HWND dialog, HWND control);
// After DM_SETDEFID or a focus move: the push button that should look like
// the default has BS_DEFPUSHBUTTON, no other does.
void update_default_look(HWND dialog, HWND focus);
// The dialog's control (at any depth in child dialogs) with that id.
HWND find_dialog_control(HWND dialog, int id);

}  // namespace helm::user
