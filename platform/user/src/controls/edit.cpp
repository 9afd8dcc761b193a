#include "edit.h"

#include <algorithm>
#include <cstring>

#include "helm/user/clipboard.h"
#include "helm/user/controls.h"

namespace helm::user::controls {

namespace {

ControlMap<Edit>& edits()
{
    static auto* map = new ControlMap<Edit>;
    return *map;
}

// Before EM_LIMITTEXT the limit is Windows' 30000; EM_LIMITTEXT(0) lifts it.
constexpr size_t default_limit = 30000;
constexpr size_t no_limit = 0x7FFFFFFE;

constexpr char ctrl(char c) { return static_cast<char>(c - '@'); }

}  // namespace

Edit::Edit(HWND window, const CREATESTRUCT& cs) : m_window(window), m_limit(default_limit)
{
    if (cs.lpszName && !IS_INTRESOURCE(cs.lpszName))
        m_text = cs.lpszName;
    if (cs.style & ES_PASSWORD)
        m_password_char = '*';
}

LRESULT CALLBACK Edit::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return run_control(edits(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<Edit>(w, cs);
    });
}

LRESULT Edit::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return on_get_dlg_code(lParam);
    case WM_SETTEXT:
        return on_set_text(lParam);
    case WM_GETTEXT:
        return copy_out(m_text, reinterpret_cast<char*>(lParam), wParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(m_text.size());
    case WM_CHAR:
        return on_char(wParam);
    case WM_KEYDOWN:
        return on_key_down(wParam);
    case WM_KEYUP:
        note_modifier_key(message, wParam);
        return 0;
    case WM_SETFOCUS:
        return on_set_focus();
    case WM_KILLFOCUS:
        return on_kill_focus();
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return on_button_down();
    case EM_GETSEL:
        return on_get_sel(wParam, lParam);
    case EM_SETSEL:
        return on_set_sel(wParam, lParam);
    case EM_REPLACESEL:
        return on_replace_sel(wParam, lParam);
    case EM_LIMITTEXT:
        return on_limit_text(wParam);
    case EM_GETLIMITTEXT:
        return static_cast<LRESULT>(m_limit);
    case EM_GETMODIFY:
        return m_modified ? TRUE : FALSE;
    case EM_SETMODIFY:
        m_modified = wParam != 0;
        return 0;
    case EM_SETREADONLY:
        return on_set_read_only(wParam);
    case EM_CANUNDO:
        return m_can_undo ? TRUE : FALSE;
    case EM_UNDO:
    case WM_UNDO:
        return on_undo();
    case EM_EMPTYUNDOBUFFER:
        m_can_undo = false;
        m_typing = false;
        return 0;
    case WM_CUT:
        return on_cut();
    case WM_COPY:
        return on_copy();
    case WM_PASTE:
        return on_paste();
    case WM_CLEAR:
        return on_clear();
    case EM_GETLINECOUNT:
        return static_cast<LRESULT>(multiline() ? line_count() : 1);
    case EM_LINEINDEX:
        return on_line_index(wParam);
    case EM_LINELENGTH:
        return on_line_length(wParam);
    case EM_LINEFROMCHAR:
        return on_line_from_char(wParam);
    case EM_GETLINE:
        return on_get_line(wParam, lParam);
    case EM_GETFIRSTVISIBLELINE:
    case EM_SCROLLCARET:
        return 0;
    case EM_SETPASSWORDCHAR:
        m_password_char = static_cast<char>(wParam);
        InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case EM_GETPASSWORDCHAR:
        return static_cast<BYTE>(m_password_char);
    case EM_GETRECT:
        if (lParam)
            GetClientRect(m_window, reinterpret_cast<LPRECT>(lParam));
        return 0;
    case WM_ENABLE:
        InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case WM_PAINT:
        return on_paint();
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

// Multi-line edits take every key but Escape, and Enter only with
// ES_WANTRETURN (otherwise Enter goes to the dialog's default button).
LRESULT Edit::on_get_dlg_code(LPARAM lParam) const
{
    LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    if (!multiline())
        return code;
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg && msg->message == WM_KEYDOWN &&
        (msg->wParam == VK_ESCAPE || (msg->wParam == VK_RETURN && !(style() & ES_WANTRETURN))))
        return code;
    return code | DLGC_WANTALLKEYS;
}

// New text whole: not held to the limit, the selection at the start, the
// modified flag and undo cleared. A multi-line edit says nothing of it.
LRESULT Edit::on_set_text(LPARAM lParam)
{
    const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
    m_text = text;
    m_anchor = m_caret = 0;
    m_modified = false;
    m_can_undo = false;
    m_typing = false;
    InvalidateRect(m_window, nullptr, TRUE);
    if (!multiline()) {
        notify_parent(m_window, EN_UPDATE);
        notify_parent(m_window, EN_CHANGE);
    }
    return TRUE;
}

LRESULT Edit::on_char(WPARAM ch)
{
    const char c = static_cast<char>(ch & 0xFF);
    switch (c) {
    case ctrl('A'):
        on_set_sel(0, static_cast<LPARAM>(-1));
        return 0;
    case ctrl('C'):
        return on_copy();
    case ctrl('V'):
        return on_paste();
    case ctrl('X'):
        return on_cut();
    case ctrl('Z'):
        return on_undo();
    case '\b':
        if (read_only())
            return 0;
        if (m_anchor == m_caret)
            m_anchor = step_left(m_caret);
        replace({}, Origin::typed, true);
        return 0;
    case '\r':
    case '\n':
        if (multiline() && !read_only())
            replace("\r\n", Origin::typed, true);
        return 0;
    case '\t':
        if (multiline() && !read_only())
            replace("\t", Origin::typed, true);
        return 0;
    default:
        break;
    }
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || read_only())
        return 0;
    if ((style() & ES_NUMBER) && !(c >= '0' && c <= '9'))
        return 0;
    char typed = c;
    if (style() & ES_UPPERCASE)
        typed = to_upper_1252(c);
    else if (style() & ES_LOWERCASE)
        typed = to_lower_1252(c);
    replace(std::string_view(&typed, 1), Origin::typed, true);
    return 0;
}

LRESULT Edit::on_key_down(WPARAM key)
{
    note_modifier_key(WM_KEYDOWN, key);
    const bool shift = shift_down();
    const bool ctrl_held = control_down();
    switch (key) {
    case VK_LEFT:
        if (!shift && m_anchor != m_caret)
            move_caret(sel_start(), false);
        else
            move_caret(step_left(m_caret), shift);
        return 0;
    case VK_RIGHT:
        if (!shift && m_anchor != m_caret)
            move_caret(sel_end(), false);
        else
            move_caret(step_right(m_caret), shift);
        return 0;
    case VK_HOME:
        move_caret(ctrl_held ? 0 : line_start(m_caret), shift);
        return 0;
    case VK_END:
        move_caret(ctrl_held ? m_text.size() : line_end(m_caret), shift);
        return 0;
    case VK_UP:
    case VK_DOWN: {
        if (!multiline()) {
            move_caret(key == VK_UP ? step_left(m_caret) : step_right(m_caret), shift);
            return 0;
        }
        const size_t line = line_of(m_caret);
        const size_t column = m_caret - line_start(m_caret);
        if ((key == VK_UP && line == 0) || (key == VK_DOWN && line + 1 >= line_count()))
            return 0;
        const size_t start = start_of_line(key == VK_UP ? line - 1 : line + 1);
        move_caret(std::min(start + column, line_end(start)), shift);
        return 0;
    }
    case VK_DELETE:
        if (shift)
            return on_cut();
        if (read_only())
            return 0;
        if (m_anchor == m_caret)
            m_caret = step_right(m_caret);
        replace({}, Origin::typed, true);
        return 0;
    case VK_INSERT:
        if (ctrl_held)
            return on_copy();
        if (shift)
            return on_paste();
        return 0;
    default:
        return 0;
    }
}

// The selection's ends, start first, in the LRESULT's words (-1 when an
// end does not fit in a word) and in the DWORDs the parameters point to.
LRESULT Edit::on_get_sel(WPARAM wParam, LPARAM lParam) const
{
    const auto start = static_cast<DWORD>(sel_start());
    const auto end = static_cast<DWORD>(sel_end());
    if (wParam)
        *reinterpret_cast<DWORD*>(wParam) = start;
    if (lParam)
        *reinterpret_cast<DWORD*>(lParam) = end;
    if (start > 0xFFFF || end > 0xFFFF)
        return -1;
    return static_cast<LRESULT>(MAKELONG(start, end));
}

// Start -1 removes the selection; an end of -1 (or any negative) is the end
// of the text; ends beyond it are held to it. The caret goes to the second
// position, so start may be after end.
LRESULT Edit::on_set_sel(WPARAM wParam, LPARAM lParam)
{
    const int start = static_cast<int>(wParam);
    const int end = static_cast<int>(lParam);
    if (start == -1) {
        m_anchor = m_caret;
    } else {
        auto clamp = [&](int v) { return v < 0 ? m_text.size() : std::min(static_cast<size_t>(v), m_text.size()); };
        m_anchor = clamp(start);
        m_caret = clamp(end);
        // Never between the CR and LF of a line end.
        if (m_anchor > 0 && m_anchor < m_text.size() && m_text[m_anchor - 1] == '\r' && m_text[m_anchor] == '\n')
            ++m_anchor;
        if (m_caret > 0 && m_caret < m_text.size() && m_text[m_caret - 1] == '\r' && m_text[m_caret] == '\n')
            ++m_caret;
    }
    m_typing = false;
    InvalidateRect(m_window, nullptr, TRUE);
    return 0;
}

LRESULT Edit::on_replace_sel(WPARAM can_undo, LPARAM lParam)
{
    const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
    replace(text, Origin::inserted, can_undo != 0);
    return 0;
}

LRESULT Edit::on_limit_text(WPARAM limit)
{
    m_limit = limit == 0 ? no_limit : std::min(static_cast<size_t>(limit), no_limit);
    return 0;
}

LRESULT Edit::on_set_read_only(WPARAM read_only)
{
    const DWORD s = style();
    SetWindowLong(m_window, GWL_STYLE, static_cast<LONG>(read_only ? (s | ES_READONLY) : (s & ~ES_READONLY)));
    InvalidateRect(m_window, nullptr, TRUE);
    return TRUE;
}

// Undo swaps the text with the kept one, so a second undo redoes.
LRESULT Edit::on_undo()
{
    if (!m_can_undo || read_only())
        return FALSE;
    Undo now{m_text, m_anchor, m_caret};
    m_text = std::move(m_undo.text);
    m_anchor = m_undo.anchor;
    m_caret = m_undo.caret;
    m_undo = std::move(now);
    m_typing = false;
    changed();
    return TRUE;
}

LRESULT Edit::on_cut()
{
    if (m_anchor == m_caret || m_password_char || read_only())
        return 0;
    on_copy();
    replace({}, Origin::inserted, true);
    return 0;
}

LRESULT Edit::on_copy() const
{
    if (m_anchor == m_caret || m_password_char)
        return 0;
    clipboard_put_text(m_window, m_text.substr(sel_start(), sel_end() - sel_start()));
    return 0;
}

// A single-line edit pastes the first line only.
LRESULT Edit::on_paste()
{
    if (read_only())
        return 0;
    std::string text;
    if (!clipboard_take_text(m_window, text))
        return 0;
    if (!multiline())
        text = text.substr(0, text.find_first_of("\r\n"));
    replace(text, Origin::inserted, true);
    return 0;
}

LRESULT Edit::on_clear()
{
    if (m_anchor == m_caret || read_only())
        return 0;
    replace({}, Origin::inserted, true);
    return 0;
}

LRESULT Edit::on_line_index(WPARAM line) const
{
    if (static_cast<int>(line) == -1)
        return static_cast<LRESULT>(line_start(m_caret));
    const size_t start = start_of_line(static_cast<size_t>(static_cast<int>(line)));
    return start == std::string::npos || static_cast<int>(line) < 0 ? -1 : static_cast<LRESULT>(start);
}

// For -1, the characters on the selection's lines that are not selected.
LRESULT Edit::on_line_length(WPARAM index) const
{
    if (static_cast<int>(index) == -1) {
        if (m_anchor == m_caret)
            return static_cast<LRESULT>(line_end(m_caret) - line_start(m_caret));
        return static_cast<LRESULT>((sel_start() - line_start(sel_start())) + (line_end(sel_end()) - sel_end()));
    }
    const size_t pos = std::min(static_cast<size_t>(static_cast<int>(index) < 0 ? 0 : index), m_text.size());
    return static_cast<LRESULT>(line_end(pos) - line_start(pos));
}

LRESULT Edit::on_line_from_char(WPARAM index) const
{
    const size_t pos = static_cast<int>(index) < 0 ? sel_start() : std::min(static_cast<size_t>(index), m_text.size());
    return static_cast<LRESULT>(line_of(pos));
}

// The buffer's first WORD says how many bytes it holds; the line is copied
// without a NUL.
LRESULT Edit::on_get_line(WPARAM line, LPARAM lParam) const
{
    auto* buffer = reinterpret_cast<char*>(lParam);
    if (!buffer)
        return 0;
    WORD room;
    std::memcpy(&room, buffer, sizeof room);
    const size_t start = start_of_line(static_cast<size_t>(multiline() ? static_cast<int>(line) : 0));
    if (start == std::string::npos || static_cast<int>(line) < 0)
        return 0;
    const size_t n = std::min(line_end(start) - start, static_cast<size_t>(room));
    std::memcpy(buffer, m_text.data() + start, n);
    return static_cast<LRESULT>(n);
}

LRESULT Edit::on_set_focus()
{
    notify_parent(m_window, EN_SETFOCUS);
    return 0;
}

LRESULT Edit::on_kill_focus()
{
    m_typing = false;
    notify_parent(m_window, EN_KILLFOCUS);
    return 0;
}

// Text is not measured yet, so a click only takes the focus.
LRESULT Edit::on_button_down()
{
    if (GetFocus() != m_window)
        SetFocus(m_window);
    return 0;
}

// The text line by line from the top, the selection in the highlight
// colours while focused (or with ES_NOHIDESEL), grey text when disabled. A
// single line too long for the box is shifted so the caret stays in view.
LRESULT Edit::on_paint()
{
    const bool grey = read_only() || !IsWindowEnabled(m_window);
    PaintScope paint(m_window, grey ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    m_brush = paint.brush();
    HDC dc = paint.dc();
    if (!dc)
        return 0;
    const RECT& client = paint.client();
    FillRect(dc, &client, m_brush);
    const std::string shown = m_password_char ? std::string(m_text.size(), m_password_char) : m_text;
    const int height = line_height(font_of(m_window));
    constexpr int margin = 1;
    auto width_of = [&](size_t from, size_t to) {
        SIZE size{};
        if (to > from)
            GetTextExtentPoint32(dc, shown.data() + from, static_cast<int>(to - from), &size);
        return static_cast<int>(size.cx);
    };
    const bool show_selection = sel_start() != sel_end() && (GetFocus() == m_window || (style() & ES_NOHIDESEL));
    const COLORREF text_colour = IsWindowEnabled(m_window) ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
    SetBkMode(dc, TRANSPARENT);
    size_t line_start = 0;
    int y = client.top;
    while (line_start <= shown.size() && y < client.bottom) {
        size_t line_end = multiline() ? shown.find("\r\n", line_start) : std::string::npos;
        if (line_end == std::string::npos)
            line_end = shown.size();
        int x = client.left + margin;
        if (!multiline()) {
            const int room = client.right - client.left - 2 * margin;
            const int caret_x = width_of(0, m_caret);
            if (caret_x > room)
                x -= caret_x - room;
            const DWORD align = style() & (ES_CENTER | ES_RIGHT);
            const int full = width_of(0, shown.size());
            if (full < room && align == ES_RIGHT)
                x += room - full;
            else if (full < room && align == ES_CENTER)
                x += (room - full) / 2;
        }
        // Three runs: before, inside and after the selection.
        const size_t cuts[4] = {line_start, std::clamp(sel_start(), line_start, line_end),
                                std::clamp(sel_end(), line_start, line_end), line_end};
        for (int run = 0; run < 3; ++run) {
            const size_t from = cuts[run], to = cuts[run + 1];
            if (to <= from)
                continue;
            const int w = width_of(from, to);
            const bool selected = run == 1 && show_selection;
            if (selected) {
                RECT back{x, y, x + w, y + height};
                FillRect(dc, &back, GetSysColorBrush(COLOR_HIGHLIGHT));
                SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            } else {
                SetTextColor(dc, text_colour);
            }
            TextOut(dc, x, y, shown.data() + from, static_cast<int>(to - from));
            x += w;
        }
        if (line_end >= shown.size())
            break;
        line_start = line_end + 2;
        y += height;
    }
    return 0;
}

bool Edit::replace(std::string_view text, Origin origin, bool undoable)
{
    const size_t start = sel_start();
    const size_t removed = sel_end() - start;
    const size_t room = m_limit > m_text.size() - removed ? m_limit - (m_text.size() - removed) : 0;
    if (text.size() > room) {
        notify_parent(m_window, EN_MAXTEXT);
        if (origin == Origin::typed)
            return false;
        text = text.substr(0, room);
        // Never keep half of a line end.
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
    }
    if (text.empty() && removed == 0)
        return false;
    const bool typing = origin == Origin::typed;
    if (undoable && !(typing && m_typing)) {
        m_undo = {m_text, m_anchor, m_caret};
        m_can_undo = true;
    }
    m_typing = typing && undoable;
    m_text.replace(start, removed, text);
    m_anchor = m_caret = start + text.size();
    m_modified = true;
    changed();
    return true;
}

void Edit::changed()
{
    InvalidateRect(m_window, nullptr, TRUE);
    notify_parent(m_window, EN_UPDATE);
    notify_parent(m_window, EN_CHANGE);
}

void Edit::move_caret(size_t to, bool extend)
{
    m_caret = std::min(to, m_text.size());
    if (!extend)
        m_anchor = m_caret;
    m_typing = false;
    InvalidateRect(m_window, nullptr, TRUE);
}

size_t Edit::step_left(size_t pos) const
{
    if (pos == 0)
        return 0;
    if (pos >= 2 && m_text[pos - 1] == '\n' && m_text[pos - 2] == '\r')
        return pos - 2;
    return pos - 1;
}

size_t Edit::step_right(size_t pos) const
{
    if (pos >= m_text.size())
        return m_text.size();
    if (pos + 1 < m_text.size() && m_text[pos] == '\r' && m_text[pos + 1] == '\n')
        return pos + 2;
    return pos + 1;
}

size_t Edit::line_start(size_t pos) const
{
    if (!multiline())
        return 0;
    pos = std::min(pos, m_text.size());
    if (pos < 2)
        return 0;
    const size_t found = m_text.rfind("\r\n", pos - 2);
    return found == std::string::npos ? 0 : found + 2;
}

size_t Edit::line_end(size_t pos) const
{
    if (!multiline())
        return m_text.size();
    const size_t found = m_text.find("\r\n", line_start(pos));
    return found == std::string::npos ? m_text.size() : found;
}

size_t Edit::line_of(size_t pos) const
{
    if (!multiline())
        return 0;
    size_t line = 0;
    const size_t start = line_start(pos);
    for (size_t at = m_text.find("\r\n"); at != std::string::npos && at + 2 <= start; at = m_text.find("\r\n", at + 2))
        ++line;
    return line;
}

size_t Edit::line_count() const
{
    size_t lines = 1;
    for (size_t at = m_text.find("\r\n"); at != std::string::npos; at = m_text.find("\r\n", at + 2))
        ++lines;
    return lines;
}

size_t Edit::start_of_line(size_t line) const
{
    if (!multiline())
        return line == 0 ? 0 : std::string::npos;
    size_t start = 0;
    for (size_t i = 0; i < line; ++i) {
        const size_t at = m_text.find("\r\n", start);
        if (at == std::string::npos)
            return std::string::npos;
        start = at + 2;
    }
    return start;
}

}  // namespace helm::user::controls
