// The list view ("SysListView32") in report view: rows of cells under the
// columns of its header control, each row with its state (selected,
// focused), image and data. Every view style is laid out as the report
// view. The operator selects with the mouse and the keys (LVN_ITEMCHANGING
// and LVN_ITEMCHANGED, then NM_CLICK or NM_DBLCLK); as on Windows the
// parent also hears of the program's state changes, insertions and
// deletions, and of the header's notifications, which the list passes on.
// Painted in the classic look, each row and cell in the colours the parent
// may choose with NM_CUSTOMDRAW.
#pragma once

#include <string>
#include <vector>

#include "common.h"

namespace helm::user::commctrl {

class ListView {
public:
    ListView(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Cell {
        std::string text;
        bool text_callback = false;
    };
    struct Row {
        std::vector<Cell> cells;  // by subitem
        UINT state = 0;
        int image = 0;
        int indent = 0;
        LPARAM data = 0;
    };

    DWORD style() const { return controls::style_of(m_window); }
    int count() const { return static_cast<int>(m_rows.size()); }
    bool valid(int index) const { return index >= 0 && index < count(); }
    // A cell a caller names: a row that is there and a subitem in bounds.
    bool addressable(int row, int subitem) const { return valid(row) && subitem >= 0 && subitem < max_columns; }
    bool single() const { return (style() & LVS_SINGLESEL) != 0; }
    int columns() const;
    // The subitem shown by the column at `index`, and the column of a subitem.
    int subitem_of(int column) const;
    int column_of(int subitem) const;
    Cell* cell(int row, int subitem);

    LRESULT on_insert_item(const LVITEM* item);
    LRESULT on_set_item(const LVITEM* item);
    LRESULT on_get_item(LVITEM* item);
    LRESULT on_delete_item(int index);
    LRESULT on_delete_all();
    LRESULT on_set_state(int index, const LVITEM* item);
    LRESULT on_get_next(int start, UINT flags) const;
    LRESULT on_get_text(int index, LVITEM* item);
    LRESULT on_set_text(int index, const LVITEM* item);
    LRESULT on_insert_column(int index, const LVCOLUMN* column);
    LRESULT on_get_column(int index, LVCOLUMN* column);
    LRESULT on_set_column(int index, const LVCOLUMN* column);
    LRESULT on_delete_column(int index);
    LRESULT on_set_column_width(int index, int width);
    LRESULT on_get_item_rect(int index, RECT* rect);
    LRESULT on_get_subitem_rect(int index, RECT* rect);
    LRESULT on_hit_test(LVHITTESTINFO* info, bool subitems);
    LRESULT on_find(int start, const LVFINDINFO* find);
    LRESULT on_sort(LPARAM data, PFNLVCOMPARE compare);
    LRESULT on_header_notify(NMHDR* hdr);
    LRESULT on_button_down(LPARAM lParam, bool right);
    LRESULT on_button_up(LPARAM lParam, bool right);
    LRESULT on_double_click(LPARAM lParam);
    LRESULT on_key_down(WPARAM key);
    LRESULT on_scroll(bool vertical, WPARAM wParam);
    LRESULT on_paint();
    // One cell in the classic look: its background and text, aligned as its
    // column says; column 0 with the row's images before its label.
    void draw_cell(HDC dc, int row, int column, COLORREF text, COLORREF back, bool lit);
    // Where a row shows as selected: the whole row with LVS_EX_FULLROWSELECT,
    // else the first column's label as wide as its text.
    RECT selection_rect(int row);
    void draw_grid(HDC dc, const RECT& client);

    // A state change with LVN_ITEMCHANGING (which may refuse it) and
    // LVN_ITEMCHANGED; false when refused or the list went away.
    bool change_state(int index, UINT state, UINT mask);
    // The operator's pick of one row: it alone is selected and focused.
    void pick(int index);
    void notify_list(UINT code, int item, int subitem = 0, UINT new_state = 0, UINT old_state = 0,
                     UINT changed = 0, POINT at = {-1, -1});
    std::string text_of(int row, int subitem);
    // A cell's text into the caller's buffer of `item`; the bytes copied.
    LRESULT copy_text(int row, const LVITEM& item);

    int header_height() const;
    int row_height() const;
    int rows_per_page() const;
    int content_width(int column);
    int total_width() const;
    RECT cell_rect(int row, int column) const;
    void layout_header();
    void scroll_rows_to(int top);
    void scroll_x_to(int x);
    void clamp();
    void update_scroll_bars();
    void ensure_visible(int index);
    void invalidate_row(int index);
    void redraw() { InvalidateRect(m_window, nullptr, TRUE); }

    // Columns, and the subitems they show, are bounded.
    static constexpr int max_columns = 1024;

    HWND m_window;
    HWND m_header = nullptr;
    std::vector<Row> m_rows;
    std::vector<int> m_subitems;  // by column index
    int m_top = 0;
    int m_scroll_x = 0;
    int m_anchor = -1;
    int m_pressed = -1;
    bool m_tracking = false;
    DWORD m_ex_style = 0;
    HIMAGELIST m_small = nullptr;
    HIMAGELIST m_normal = nullptr;
    HIMAGELIST m_state_images = nullptr;
    HWND m_tooltips = nullptr;
    COLORREF m_back = CLR_NONE;
    COLORREF m_text = CLR_NONE;
    COLORREF m_text_back = CLR_NONE;
    UINT m_callback_mask = 0;
};

}  // namespace helm::user::commctrl
