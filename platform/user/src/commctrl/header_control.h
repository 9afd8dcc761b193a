// The header control ("SysHeader32"): a row of column titles with their
// widths, formats and data, in a display order. The operator drags a
// divider to change a width (HDN_BEGINTRACK may refuse it) and clicks a
// title (HDN_ITEMCLICK, with HDS_BUTTONS); every width change, the
// program's too, is told with HDN_ITEMCHANGING/HDN_ITEMCHANGED as on
// Windows. A list view keeps its columns in one.
#pragma once

#include <string>
#include <vector>

#include "common.h"

namespace helm::user::commctrl {

class HeaderControl {
public:
    HeaderControl(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The height the control wants for its font.
    static int height_for(HWND window);

private:
    struct Item {
        std::string text;
        bool text_callback = false;
        int width = 0;
        int format = HDF_LEFT | HDF_STRING;
        LPARAM data = 0;
        int image = 0;
        HBITMAP bitmap = nullptr;
    };

    DWORD style() const { return controls::style_of(m_window); }
    int count() const { return static_cast<int>(m_items.size()); }
    bool valid(WPARAM index) const { return static_cast<int>(index) >= 0 && static_cast<int>(index) < count(); }

    LRESULT on_insert(WPARAM index, const HDITEM* item);
    LRESULT on_delete(WPARAM index);
    LRESULT on_get(WPARAM index, HDITEM* item);
    LRESULT on_set(WPARAM index, const HDITEM* item);
    LRESULT on_layout(HDLAYOUT* layout);
    LRESULT on_hit_test(HDHITTESTINFO* info);
    LRESULT on_get_rect(WPARAM index, RECT* rect);
    LRESULT on_set_order(WPARAM count, const int* order);
    LRESULT on_get_order(WPARAM count, int* order) const;
    LRESULT on_button_down(LPARAM lParam);
    LRESULT on_mouse_move(LPARAM lParam);
    LRESULT on_button_up(LPARAM lParam);
    LRESULT on_double_click(LPARAM lParam);
    LRESULT on_paint();

    // A notification carrying one item; the parent's answer.
    LRESULT tell(UINT code, int index, HDITEM* item);
    // Sets fields of an item after HDN_ITEMCHANGING (which may refuse),
    // then tells HDN_ITEMCHANGED.
    bool change(int index, const HDITEM& item);
    RECT rect_of(int index) const;
    int hit(POINT p, UINT& flags) const;

    HWND m_window;
    std::vector<Item> m_items;
    std::vector<int> m_order;  // display position -> index
    HIMAGELIST m_images = nullptr;
    // The divider or title the mouse holds.
    int m_track = -1;
    int m_pressed = -1;
    bool m_pressed_inside = false;
    int m_track_width = 0;
    int m_track_offset = 0;
};

}  // namespace helm::user::commctrl
