// The rich edit control ("RichEdit", version 1.0): multi-line text where
// each character has its own format (colour, bold, italic, underline,
// size), a selection, a text limit and lines scrolled by whole lines. The
// program inserts formatted text by setting the format of an empty
// selection and replacing it; read-only refuses only the operator's
// editing. The parent hears EN_CHANGE and EN_UPDATE only when its event
// mask asks for them (none at first), EN_MAXTEXT when text is cut to the
// limit. Lines end at CR LF, a lone CR or a lone LF; there is no word wrap.
#pragma once

#include <string>
#include <vector>

#include "common.h"
#include "helm/user/richedit.h"

namespace helm::user::commctrl {

class RichEdit {
public:
    RichEdit(HWND window, const CREATESTRUCT& cs);
    ~RichEdit();
    RichEdit(const RichEdit&) = delete;
    RichEdit& operator=(const RichEdit&) = delete;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Format {
        DWORD effects = CFE_AUTOCOLOR;
        COLORREF colour = 0;
        LONG height = 160;  // twips: 8 points
        bool operator==(const Format&) const = default;
    };

    DWORD style() const { return controls::style_of(m_window); }
    long length() const { return static_cast<long>(m_text.size()); }
    long sel_start() const { return std::min(m_anchor, m_caret); }
    long sel_end() const { return std::max(m_anchor, m_caret); }

    void set_selection(long start, long end);
    // Replaces the selection with `text` cut to the limit; the parent hears
    // of it as its event mask says.
    void replace_selection(std::string text);
    Format insertion_format() const;
    LRESULT on_set_char_format(WPARAM scope, const CHARFORMAT* format);
    LRESULT on_get_char_format(WPARAM scope, CHARFORMAT* format) const;
    LRESULT on_set_text(const char* text);
    LRESULT on_get_text_range(TEXTRANGE* range) const;
    LRESULT on_key_down(WPARAM key);
    LRESULT on_char(WPARAM ch);
    LRESULT on_scroll(WPARAM code);
    LRESULT on_horizontal_scroll(WPARAM code);
    LRESULT on_paint();

    // The runs of characters [start, end) that draw alike (one format, all
    // selected or not, no tab inside): f(first, last, format, selected).
    template <class F>
    void for_each_run(long start, long end, bool show_selection, F f) const;
    HFONT font_of(const Format& format);
    // Draws a line's runs from x (or only measures them without `dc`);
    // the x where the line ends.
    int draw_line(HDC dc, long start, long end, int x, int y, int height, bool show_selection);
    // The width of the widest line, measured again after a change that may
    // have made it narrower, else only over the lines a change touched.
    void measure_lines(long from, long to, bool again);
    long line_end(long line, const std::vector<long>& starts) const;
    void scroll_x_to(int x);

    // Line starts, in characters; a line break belongs to the line it ends.
    std::vector<long> line_starts() const;
    long line_of(long position) const;
    int lines_per_page() const;
    void scroll_to_line(long line);
    void scroll_caret_into_view();
    void update_scroll_bar();
    void tell(int code);

    HWND m_window;
    // The bars the creation style asked for: each shows while there is
    // something to scroll that way.
    DWORD m_bars = 0;
    std::string m_text;
    std::vector<Format> m_formats;  // one per character of m_text
    Format m_default;
    Format m_pending;               // the empty selection's own format
    bool m_has_pending = false;
    long m_anchor = 0;
    long m_caret = 0;
    long m_limit = 32767;
    long m_first_line = 0;
    DWORD m_event_mask = ENM_NONE;
    COLORREF m_background = CLR_DEFAULT;
    bool m_modified = false;
    int m_widest = 0;    // pixels
    int m_scroll_x = 0;  // pixels
    // The fonts of the formats drawn so far, by effects and height.
    struct FontEntry {
        DWORD effects;
        LONG height;
        HFONT font;
    };
    std::vector<FontEntry> m_fonts;
};

}  // namespace helm::user::commctrl
