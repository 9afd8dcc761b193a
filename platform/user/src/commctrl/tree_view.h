// The tree view ("SysTreeView32"): items under items, each with its text,
// state (bold, expanded, selected), images and data; one selected item;
// rows of a fixed height scrolled by whole rows. The operator expands with
// the buttons, a double click and the keys, and moves the selection with
// the mouse and the keys; the program's changes through messages, as on
// Windows, are told only where Windows tells them (a selection change,
// TVM_ENSUREVISIBLE opening parents, deleted items). Painted in the classic
// look, each item in the colours the parent may choose with NM_CUSTOMDRAW.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "common.h"
#include "view_text.h"

namespace helm::user::commctrl {

class TreeView {
public:
    TreeView(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    using Id = uintptr_t;
    struct Item {
        Id parent = 0;  // 0: a root item
        std::vector<Id> children;
        std::string text;
        bool text_callback = false;
        UINT state = 0;
        int image = 0;
        int selected_image = 0;
        int kids = -2;  // -2: as the real children say; else cChildren
        LPARAM data = 0;
    };

    DWORD style() const { return controls::style_of(m_window); }
    Item* find(HTREEITEM item);
    Item* find(Id id);
    static HTREEITEM handle_of(Id id) { return reinterpret_cast<HTREEITEM>(id); }
    static Id id_of(HTREEITEM item) { return reinterpret_cast<Id>(item); }
    std::vector<Id>& siblings_of(Id parent);
    bool has_children(const Item& item) const;
    bool expanded(const Item& item) const { return (item.state & TVIS_EXPANDED) != 0; }
    int level_of(Id id);

    LRESULT on_insert(const TVINSERTSTRUCT* insert);
    LRESULT on_delete(HTREEITEM item);
    void delete_subtree(Id id);
    LRESULT on_expand(WPARAM code, HTREEITEM item);
    LRESULT on_get_item(TVITEM* item);
    LRESULT on_set_item(const TVITEM* item);
    LRESULT on_get_next(WPARAM code, HTREEITEM item);
    LRESULT on_select(WPARAM code, HTREEITEM item);
    LRESULT on_ensure_visible(HTREEITEM item);
    LRESULT on_get_item_rect(WPARAM text_only, RECT* rect);
    LRESULT on_hit_test(TVHITTESTINFO* info);
    LRESULT on_sort_children(HTREEITEM parent, bool recurse, PFNTVCOMPARE compare, LPARAM data);
    LRESULT on_button_down(LPARAM lParam);
    LRESULT on_button_up(LPARAM lParam);
    LRESULT on_double_click(LPARAM lParam);
    LRESULT on_key_down(WPARAM key);
    LRESULT on_char(WPARAM ch);
    LRESULT on_scroll(WPARAM code);
    LRESULT on_wheel(WPARAM wParam);
    LRESULT on_paint();
    void draw_item(HDC dc, Id id, int row, const Item& item, COLORREF text_colour, COLORREF back_colour,
                   COLORREF window_back, bool focus);
    static void dotted(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour);

    // Expansion with the notifications of an operator's (or
    // TVM_ENSUREVISIBLE's) change; false when refused or nothing to do.
    bool expand_notified(Id id, UINT code);
    // Expansion without them (TVM_EXPAND).
    bool expand_silently(Id id, UINT code);
    // Moves the selection with TVN_SELCHANGING/TVN_SELCHANGED; false when the
    // parent refuses.
    bool select(Id id, UINT action);
    void fill_item(Id id, TVITEM& out, UINT mask);
    std::string text_of(Id id);

    // The rows the operator can see when scrolled to the top: every root
    // item and the children of expanded items, in order.
    std::vector<Id> rows();
    int row_of(Id id);
    int row_height() const { return m_item_height; }
    int rows_per_page() const;
    int item_left(Id id);
    RECT label_rect(Id id, int row);
    void scroll_to(int top);
    void clamp_top();
    void update_scroll_bar();
    void invalidate_item(Id id);
    void redraw() { InvalidateRect(m_window, nullptr, TRUE); }
    int default_item_height() const;

    HWND m_window;
    std::unordered_map<Id, Item> m_items;
    std::vector<Id> m_roots;
    Id m_selection = 0;
    Id m_drop = 0;
    Id m_pressed = 0;
    bool m_tracking = false;
    int m_top = 0;  // first row shown
    int m_indent = 19;
    int m_item_height = 0;
    bool m_height_set = false;
    HIMAGELIST m_images = nullptr;
    HIMAGELIST m_state_images = nullptr;
    HWND m_tooltips = nullptr;
    COLORREF m_back = CLR_NONE;
    COLORREF m_text = CLR_NONE;
    COLORREF m_lines = CLR_DEFAULT;
    BoldFont m_bold;
};

}  // namespace helm::user::commctrl
