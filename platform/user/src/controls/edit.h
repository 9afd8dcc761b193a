// The "Edit" class: single- and multi-line text of Windows-1252 bytes, with
// a selection (anchor and caret), a length limit, the modified flag, one
// level of undo and the clipboard. Lines of a multi-line edit end with
// CR LF; there is no word wrap until the drawing layer measures text.
#pragma once

#include <string>
#include <string_view>

#include "control.h"

namespace helm::user::controls {

class Edit {
public:
    Edit(HWND window, const CREATESTRUCT& cs);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    // Where a change comes from: typing is held to the limit whole, other
    // insertions are cut to fit; EN_MAXTEXT tells of either.
    enum class Origin { typed, inserted };

    DWORD style() const { return style_of(m_window); }
    bool multiline() const { return (style() & ES_MULTILINE) != 0; }
    bool read_only() const { return (style() & ES_READONLY) != 0; }
    size_t sel_start() const { return std::min(m_anchor, m_caret); }
    size_t sel_end() const { return std::max(m_anchor, m_caret); }

    LRESULT on_get_dlg_code(LPARAM lParam) const;
    LRESULT on_set_text(LPARAM lParam);
    LRESULT on_char(WPARAM ch);
    LRESULT on_key_down(WPARAM key);
    LRESULT on_get_sel(WPARAM wParam, LPARAM lParam) const;
    LRESULT on_set_sel(WPARAM wParam, LPARAM lParam);
    LRESULT on_replace_sel(WPARAM can_undo, LPARAM lParam);
    LRESULT on_limit_text(WPARAM limit);
    LRESULT on_set_read_only(WPARAM read_only);
    LRESULT on_undo();
    LRESULT on_cut();
    LRESULT on_copy() const;
    LRESULT on_paste();
    LRESULT on_clear();
    LRESULT on_line_index(WPARAM line) const;
    LRESULT on_line_length(WPARAM index) const;
    LRESULT on_line_from_char(WPARAM index) const;
    LRESULT on_get_line(WPARAM line, LPARAM buffer) const;
    LRESULT on_set_focus();
    LRESULT on_kill_focus();
    LRESULT on_button_down();
    LRESULT on_paint();

    // Replaces the selection, keeping the undo state; false when nothing
    // could be inserted or removed.
    bool replace(std::string_view text, Origin origin, bool undoable);
    void changed();
    void move_caret(size_t to, bool extend);
    // The position one step left or right, a CR LF being one step.
    size_t step_left(size_t pos) const;
    size_t step_right(size_t pos) const;
    size_t line_start(size_t pos) const;
    size_t line_end(size_t pos) const;
    size_t line_of(size_t pos) const;
    size_t line_count() const;
    // The start of line `line`, or npos.
    size_t start_of_line(size_t line) const;

    HWND m_window;
    std::string m_text;
    size_t m_anchor = 0;
    size_t m_caret = 0;
    size_t m_limit;
    bool m_modified = false;
    char m_password_char = 0;
    HBRUSH m_brush = nullptr;

    struct Undo {
        std::string text;
        size_t anchor = 0;
        size_t caret = 0;
    };
    bool m_can_undo = false;
    bool m_typing = false;  // the undo state holds the start of a run of typing
    Undo m_undo;
};

}  // namespace helm::user::controls
