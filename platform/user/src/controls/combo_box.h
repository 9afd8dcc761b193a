// The "ComboBox" class: a selection field (an edit for CBS_DROPDOWN, the
// selected item's text for CBS_DROPDOWNLIST) with a drop-down list, a
// popup "ComboLBox" window that holds the items and is reached through
// GetComboBoxInfo. Programmatic changes are silent; the operator's clicks
// and keys bring CBN_SELCHANGE, CBN_DROPDOWN, CBN_CLOSEUP, CBN_SELENDOK or
// CBN_SELENDCANCEL, CBN_EDITCHANGE and the focus notifications.
#pragma once

#include "control.h"

namespace helm::user::controls {

class ComboBox {
public:
    ComboBox(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    DWORD style() const { return style_of(m_window); }
    bool has_edit() const { return (style() & 3) != CBS_DROPDOWNLIST; }
    LRESULT list(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    int selection() const { return static_cast<int>(list(LB_GETCURSEL)); }

    LRESULT on_create(const CREATESTRUCT& cs);
    LRESULT on_destroy();
    LRESULT on_window_pos_changing(LPARAM lParam);
    LRESULT on_size();
    LRESULT on_set_cur_sel(WPARAM index);
    LRESULT on_select_string(WPARAM start, LPARAM text);
    LRESULT on_reset_content();
    LRESULT on_delete_string(WPARAM index);
    LRESULT on_show_dropdown(WPARAM show);
    LRESULT on_dropped_rect(LPARAM rect) const;
    LRESULT on_set_item_height(WPARAM index, LPARAM height);
    LRESULT on_get_item_height(WPARAM index) const;
    LRESULT on_edit_sel(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT on_get_info(LPARAM info) const;
    LRESULT on_set_text(LPARAM text);
    LRESULT on_get_text(WPARAM size, LPARAM buffer) const;
    LRESULT on_get_text_length() const;
    LRESULT on_get_dlg_code(LPARAM lParam) const;
    LRESULT on_set_focus(WPARAM previous);
    LRESULT on_kill_focus(WPARAM next);
    LRESULT on_command(WPARAM wParam, LPARAM lParam);
    LRESULT on_button_down(LPARAM lParam);
    LRESULT on_char(WPARAM ch);
    LRESULT on_paint();

    // The operator's keys, from the combo box or its edit; true when taken.
    bool on_operator_key(WPARAM key, bool alt);
    void select_by_operator(int index);
    // The list's pick of `index` by the mouse.
    void picked(int index);
    void drop(bool notify);
    void close(bool ok, bool notify);
    // Shows the selected item's text in the edit, without CBN_EDITCHANGE.
    void show_selection_in_edit();
    void set_edit_text(const char* text);
    bool ours(HWND window) const { return window && (window == m_window || window == m_edit || window == m_list); }
    RECT button_rect() const;
    RECT item_rect() const;

    static LRESULT CALLBACK edit_procedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window;
    HWND m_list = nullptr;
    HWND m_edit = nullptr;
    bool m_dropped = false;
    bool m_setting_edit = false;   // the combo box itself changes the edit's text
    bool m_focus_outside = false;  // the edit's focus came from, or goes to, outside the combo box
    HWND m_focus_from = nullptr;   // where the focus came from when it passed through the combo box
    bool m_extended_ui = false;
    int m_field_height;            // the selection field's item height
    int m_dropped_height;          // the list's height when dropped
    int m_dropped_width = 0;
    HBRUSH m_brush = nullptr;
};

}  // namespace helm::user::controls
