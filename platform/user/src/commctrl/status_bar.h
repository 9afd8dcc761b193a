// The status bar: a strip along the bottom (or top, CCS_TOP) of its parent
// split into parts by their right edges, each with a text, a drawing kind,
// an icon and a tip; or in simple mode one text across. It places itself
// when created and whenever it gets WM_SIZE (which its parent passes on).
#pragma once

#include <string>
#include <vector>

#include "common.h"

namespace helm::user::commctrl {

class StatusBar {
public:
    StatusBar(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Part {
        int right = -1;  // -1: to the bar's right end
        std::string text;
        WORD kind = 0;  // SBT_ flags
        HICON icon = nullptr;
        std::string tip;
    };

    // The part of an index, the simple part for SB_SIMPLEID; null for none.
    Part* part(WPARAM index);
    LRESULT set_text(WPARAM index_and_kind, const char* text);
    LRESULT get_text(WPARAM index, char* buffer);
    LRESULT set_parts(WPARAM count, const int* edges);
    bool rect_of(int index, RECT& r) const;
    void place();
    int height() const;
    int part_at(POINT p) const;
    void on_mouse(UINT code, LPARAM lParam);
    LRESULT on_paint();

    HWND m_window;
    std::vector<Part> m_parts{Part{}};
    Part m_simple;
    bool m_simple_mode = false;
    int m_min_height = 0;
    COLORREF m_background = CLR_DEFAULT;
};

}  // namespace helm::user::commctrl
