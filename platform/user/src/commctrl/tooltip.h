// Tooltips: a popup that shows a tool's text once the mouse has rested on
// the tool for the initial delay, and hides it when the mouse leaves, a
// button goes down or the tip has been up for the pop-up delay. A tool is a
// window (TTF_IDISHWND) or a rectangle of one. The tooltip learns about the
// mouse from the program (TTM_RELAYEVENT) or, with TTF_SUBCLASS, from the
// tool's window itself.
#pragma once

#include <string>
#include <vector>

#include "common.h"

namespace helm::user::commctrl {

class Tooltip {
public:
    Tooltip(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // A mouse message of a tool's window, relayed or seen by the subclass.
    void relay(const MSG& msg);

private:
    struct Tool {
        UINT flags = 0;
        HWND hwnd = nullptr;
        UINT_PTR id = 0;
        RECT rect{};
        HINSTANCE hinst = nullptr;
        std::string text;
        bool callback = false;
        LPARAM lParam = 0;
    };

    static bool valid_size(const TTTOOLINFOA* info);
    Tool* find(HWND hwnd, UINT_PTR id);
    Tool* find(const TTTOOLINFOA* info) { return valid_size(info) ? find(info->hwnd, info->uId) : nullptr; }
    // Takes the text of `info` (a string, a string resource or the
    // callback) into `tool`.
    static void take_text(Tool& tool, const TTTOOLINFOA& info);
    static void fill(const Tool& tool, TTTOOLINFOA& info, bool with_text);
    HWND window_of(const Tool& tool) const;
    int tool_at(HWND window, POINT client) const;
    LRESULT add(const TTTOOLINFOA* info);
    void remove(const TTTOOLINFOA* info);
    // The text to show now, asking the tool's window when it is a callback.
    std::string text_now(Tool& tool);
    void show();
    void pop();
    void set_delay(WPARAM which, int ms);
    LRESULT on_paint();

    HWND m_window;
    std::vector<Tool> m_tools;
    bool m_active = true;
    int m_current = -1;    // the tool under the mouse
    bool m_shown = false;
    bool m_suppressed = false;  // a button went down on this tool
    POINT m_mouse{};       // the last point, on the screen
    UINT m_initial;
    UINT m_autopop;
    UINT m_reshow;
    int m_max_width = -1;
    COLORREF m_background;
    COLORREF m_text_colour;
    RECT m_margin{};
};

}  // namespace helm::user::commctrl
