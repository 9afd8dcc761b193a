// The "ListBox" class, and the drop-down list of a combo box (class
// "ComboLBox", style LBS_COMBOBOX): items of Windows-1252 text with their
// data, single or multiple selection, a top index and fixed item heights.
// The drop-down list tells its combo box, not its parent, of picks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "control.h"

namespace helm::user::controls {

class ListBox {
public:
    ListBox(HWND window, const CREATESTRUCT& cs);
    // Every message, then the vertical bar brought in line with the items.
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static std::shared_ptr<ListBox> of(HWND window);

    // A drop-down list calls this with the item the operator releases the
    // mouse on, or with -1 when a click outside it (or the loss of the mouse
    // capture) dismisses it.
    void on_pick(std::function<void(int)> picked) { m_picked = std::move(picked); }

private:
    struct Item {
        std::string text;
        ULONG_PTR data = 0;
        bool selected = false;
    };

    DWORD style() const { return style_of(m_window); }
    bool multiple() const { return (style() & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
    bool in_combo() const { return (style() & LBS_COMBOBOX) != 0; }
    bool has_strings() const;
    int count() const { return static_cast<int>(m_items.size()); }
    bool valid(WPARAM index) const { return static_cast<int>(index) >= 0 && static_cast<int>(index) < count(); }

    LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void fit_scroll_bar();
    LRESULT on_add_string(LPARAM lParam);
    LRESULT on_insert_string(WPARAM index, LPARAM lParam);
    LRESULT on_delete_string(WPARAM index);
    LRESULT on_reset_content();
    LRESULT on_set_cur_sel(WPARAM index);
    LRESULT on_get_cur_sel() const;
    LRESULT on_get_text(WPARAM index, LPARAM buffer) const;
    LRESULT on_find(WPARAM start, LPARAM text, bool exact) const;
    LRESULT on_select_string(WPARAM start, LPARAM text);
    LRESULT on_set_item_data(WPARAM index, LPARAM data);
    LRESULT on_get_item_rect(WPARAM index, LPARAM rect) const;
    LRESULT on_set_top_index(WPARAM index);
    LRESULT on_set_item_height(LPARAM height);
    LRESULT on_item_from_point(LPARAM point) const;
    LRESULT on_set_sel(WPARAM select, LPARAM index);
    LRESULT on_get_sel(WPARAM index) const;
    LRESULT on_get_sel_count() const;
    LRESULT on_get_sel_items(WPARAM room, LPARAM out) const;
    LRESULT on_button_down(LPARAM lParam, bool double_click);
    LRESULT on_mouse_move(LPARAM lParam);
    LRESULT on_button_up(LPARAM lParam);
    LRESULT on_capture_changed(LPARAM lParam);
    void tell_combo(int index);
    LRESULT on_key_down(WPARAM key);
    LRESULT on_char(WPARAM ch);
    LRESULT on_focus(int code);
    LRESULT on_paint();

    LRESULT insert(int index, LPARAM lParam);
    int sorted_position(const std::string& text) const;
    int item_at(POINT point) const;
    int visible_count() const;
    void ensure_visible(int index);
    void clamp_top();
    // An operator's move of the selection or focus to `index`.
    void select_by_operator(int index, bool toggle);
    void notify(int code);

    HWND m_window;
    std::vector<Item> m_items;
    int m_selection = -1;  // single selection
    int m_caret = 0;       // the focus item; the hot item of a dropped list
    int m_top = 0;
    int m_item_height = default_item_height;
    bool m_tracking = false;
    std::function<void(int)> m_picked;
    HBRUSH m_brush = nullptr;
    // A list made with WS_VSCROLL owns a vertical bar, which shows while
    // the items do not all fit; what the bar was last told.
    bool m_own_bar = false;
    struct BarState {
        int count = -1, page = -1, top = -1;
        bool operator==(const BarState&) const = default;
    } m_bar;
};

}  // namespace helm::user::controls
