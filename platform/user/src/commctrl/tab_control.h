// The tab control: a row (or with TCS_MULTILINE rows) of tabs above a
// display area where the program shows the selected tab's page. Picking a
// tab with the mouse or the arrow keys asks the parent first
// (TCN_SELCHANGING, which may refuse) and then tells it (TCN_SELCHANGE);
// TCM_SETCURSEL is silent.
#pragma once

#include <string>
#include <vector>

#include "common.h"

namespace helm::user::commctrl {

class TabControl {
public:
    TabControl(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Item {
        std::string text;
        int image = -1;
        LPARAM param = 0;
        DWORD state = 0;
    };

    DWORD style() const { return controls::style_of(m_window); }
    int count() const { return static_cast<int>(m_items.size()); }
    bool valid(WPARAM index) const { return index < m_items.size(); }
    // Each tab's rectangle in client coordinates, row by row from the top.
    std::vector<RECT> layout(int* rows = nullptr) const;
    int tab_width(const Item& item) const;
    int item_at(POINT p, UINT* flags) const;
    static void take(Item& item, const TCITEMA& from);
    void give(const Item& item, TCITEMA& to) const;
    LRESULT insert(WPARAM index, const TCITEMA* item);
    LRESULT remove(WPARAM index);
    LRESULT adjust(bool larger, RECT* r) const;
    // The operator's pick: asks, selects, tells; false when refused.
    bool pick(int index);
    LRESULT on_paint();

    HWND m_window;
    std::vector<Item> m_items;
    int m_selected = -1;
    int m_focus = -1;
    HIMAGELIST m_images = nullptr;
    HWND m_tooltips = nullptr;
    int m_fixed_width = 0;  // TCM_SETITEMSIZE
    int m_height = 0;       // 0: the font's
    int m_min_width = -1;
    POINT m_padding{6, 3};
};

}  // namespace helm::user::commctrl
