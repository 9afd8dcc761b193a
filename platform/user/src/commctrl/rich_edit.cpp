#include "rich_edit.h"

#include <algorithm>
#include <cstring>

#include "helm/user/clipboard.h"
#include "view_draw.h"
#include "view_text.h"

namespace helm::user::commctrl {

namespace {

controls::ControlMap<RichEdit>& rich_edits()
{
    static auto* map = new controls::ControlMap<RichEdit>;
    return *map;
}

// The largest limit a program may set, so text from outside never grows
// without bound.
constexpr long max_limit = 16 * 1024 * 1024;
// The room left of the text, and the distance between tab stops.
constexpr int left_margin = 1;
constexpr int tab_stop = 48;
// Fonts kept for the formats drawn; past this many the cache starts again.
constexpr size_t max_fonts = 64;
constexpr DWORD font_effects = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT;

}  // namespace

RichEdit::RichEdit(HWND window, const CREATESTRUCT& cs)
    : m_window(window), m_bars(static_cast<DWORD>(cs.style) & (WS_VSCROLL | WS_HSCROLL))
{
    if (cs.lpszName && !IS_INTRESOURCE(cs.lpszName)) {
        m_text.assign(cs.lpszName, strnlen(cs.lpszName, static_cast<size_t>(max_limit)));
        m_formats.assign(m_text.size(), m_default);
    }
}

RichEdit::~RichEdit()
{
    for (const FontEntry& f : m_fonts)
        DeleteObject(f.font);
}

LRESULT CALLBACK RichEdit::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return controls::run_control(rich_edits(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<RichEdit>(w, cs);
    });
}

void RichEdit::tell(int code)
{
    const DWORD needs = code == EN_CHANGE ? ENM_CHANGE : code == EN_UPDATE ? ENM_UPDATE : 0;
    if (needs && !(m_event_mask & needs))
        return;
    controls::notify_parent(m_window, code);
}

LRESULT RichEdit::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
        if (style() & ES_MULTILINE)
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_SETTEXT:
        return on_set_text(reinterpret_cast<const char*>(lParam));
    case WM_GETTEXT:
        return controls::copy_out(m_text, reinterpret_cast<char*>(lParam), static_cast<size_t>(wParam));
    case WM_GETTEXTLENGTH:
        return length();
    case EM_GETSEL:
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(sel_start());
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(sel_end());
        return MAKELRESULT(std::min(sel_start(), 0xFFFFL), std::min(sel_end(), 0xFFFFL));
    case EM_SETSEL:
        set_selection(static_cast<long>(static_cast<int>(wParam)), static_cast<long>(static_cast<int>(lParam)));
        return 0;
    case EM_EXGETSEL:
        if (auto* range = reinterpret_cast<CHARRANGE*>(lParam)) {
            range->cpMin = sel_start();
            range->cpMax = sel_end();
        }
        return 0;
    case EM_EXSETSEL: {
        const auto* range = reinterpret_cast<const CHARRANGE*>(lParam);
        if (!range)
            return sel_end();
        set_selection(static_cast<long>(range->cpMin), static_cast<long>(range->cpMax));
        return sel_end();
    }
    case EM_REPLACESEL:
        if (lParam) {
            const char* text = reinterpret_cast<const char*>(lParam);
            replace_selection(std::string(text, strnlen(text, static_cast<size_t>(max_limit))));
        }
        return 0;
    case EM_GETSELTEXT:
        return lParam ? controls::copy_out(m_text.substr(static_cast<size_t>(sel_start()),
                                                         static_cast<size_t>(sel_end() - sel_start())),
                                           reinterpret_cast<char*>(lParam), static_cast<size_t>(sel_end() - sel_start()) + 1)
                      : 0;
    case EM_GETTEXTRANGE:
        return on_get_text_range(reinterpret_cast<TEXTRANGE*>(lParam));
    case EM_SETCHARFORMAT:
        return on_set_char_format(wParam, reinterpret_cast<const CHARFORMAT*>(lParam));
    case EM_GETCHARFORMAT:
        return on_get_char_format(wParam, reinterpret_cast<CHARFORMAT*>(lParam));
    case EM_LIMITTEXT:
        // As the rich edit takes it: 0 is 64K characters.
        m_limit = wParam ? std::min(static_cast<long>(wParam), max_limit) : 65536;
        return 0;
    case EM_EXLIMITTEXT:
        m_limit = lParam ? std::clamp(static_cast<long>(lParam), 0L, max_limit) : 65536;
        return 0;
    case EM_GETLIMITTEXT:
        return m_limit;
    case EM_GETLINECOUNT:
        return static_cast<LRESULT>(line_starts().size());
    case EM_LINEINDEX: {
        const std::vector<long> starts = line_starts();
        const long line = static_cast<int>(wParam) < 0 ? line_of(m_caret) : static_cast<long>(wParam);
        return line < static_cast<long>(starts.size()) ? starts[static_cast<size_t>(line)] : -1;
    }
    case EM_LINELENGTH: {
        // The length of the line holding the character, without its break.
        const long at = static_cast<int>(wParam) < 0 ? m_caret : static_cast<long>(wParam);
        const std::vector<long> starts = line_starts();
        const long line = line_of(std::min(at, length()));
        long end = line + 1 < static_cast<long>(starts.size()) ? starts[static_cast<size_t>(line) + 1] : length();
        while (end > starts[static_cast<size_t>(line)] && (m_text[static_cast<size_t>(end) - 1] == '\n' ||
                                                           m_text[static_cast<size_t>(end) - 1] == '\r'))
            --end;
        return end - starts[static_cast<size_t>(line)];
    }
    case EM_LINEFROMCHAR:
        return line_of(static_cast<int>(wParam) < 0 ? m_caret : std::min(static_cast<long>(wParam), length()));
    case EM_EXLINEFROMCHAR:
        return line_of(std::clamp(static_cast<long>(lParam), 0L, length()));
    case EM_GETFIRSTVISIBLELINE:
        return m_first_line;
    case EM_LINESCROLL:
        scroll_to_line(m_first_line + static_cast<int>(lParam));
        return TRUE;
    case EM_SCROLL: {
        const long before = m_first_line;
        on_scroll(wParam);
        return MAKELRESULT(static_cast<WORD>(m_first_line - before), TRUE);
    }
    case EM_SCROLLCARET:
        scroll_caret_into_view();
        return 0;
    case EM_SETREADONLY: {
        LONG s = GetWindowLong(m_window, GWL_STYLE);
        SetWindowLong(m_window, GWL_STYLE, wParam ? (s | ES_READONLY) : (s & ~ES_READONLY));
        return TRUE;
    }
    case EM_GETMODIFY:
        return m_modified;
    case EM_SETMODIFY:
        m_modified = wParam != 0;
        return 0;
    case EM_SETEVENTMASK: {
        const DWORD before = m_event_mask;
        m_event_mask = static_cast<DWORD>(lParam);
        return before;
    }
    case EM_GETEVENTMASK:
        return m_event_mask;
    case EM_SETBKGNDCOLOR: {
        const COLORREF before = m_background == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : m_background;
        m_background = wParam ? CLR_DEFAULT : static_cast<COLORREF>(lParam);
        InvalidateRect(m_window, nullptr, TRUE);
        return before;
    }
    case EM_SELECTIONTYPE:
        return sel_start() == sel_end() ? SEL_EMPTY : SEL_TEXT;
    case EM_HIDESELECTION:
        InvalidateRect(m_window, nullptr, TRUE);
        return 0;
    case EM_CANPASTE:
        return (style() & ES_READONLY) ? FALSE : TRUE;
    case WM_COPY:
        if (sel_end() > sel_start())
            clipboard_put_text(m_window, m_text.substr(static_cast<size_t>(sel_start()),
                                                       static_cast<size_t>(sel_end() - sel_start())));
        return 0;
    case WM_CUT:
    case WM_CLEAR:
    case WM_PASTE: {
        if (style() & ES_READONLY)
            return 0;
        if (message == WM_CUT)
            handle(WM_COPY, 0, 0);
        std::string text;
        if (message == WM_PASTE && !clipboard_take_text(m_window, text))
            return 0;
        replace_selection(text);
        return 0;
    }
    case WM_KEYDOWN:
        controls::note_modifier_key(message, wParam);
        return on_key_down(wParam);
    case WM_KEYUP:
        controls::note_modifier_key(message, wParam);
        return 0;
    case WM_CHAR:
        return on_char(wParam);
    case WM_LBUTTONDOWN:
        SetFocus(m_window);
        return 0;
    case WM_VSCROLL:
        return on_scroll(wParam);
    case WM_HSCROLL:
        return on_horizontal_scroll(wParam);
    case WM_MOUSEWHEEL:
        scroll_to_line(m_first_line - static_cast<short>(HIWORD(wParam)) / 120 * 3);
        return 0;
    case WM_SIZE:
        scroll_to_line(m_first_line);
        scroll_x_to(m_scroll_x);
        update_scroll_bar();
        return 0;
    case WM_PAINT:
        return on_paint();
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

void RichEdit::set_selection(long start, long end)
{
    // Windows' ranges: start -1 takes away the selection; (0, -1) all.
    if (start == -1) {
        m_anchor = m_caret;
    } else {
        if (end < 0)
            end = length();
        m_anchor = std::clamp(start, 0L, length());
        m_caret = std::clamp(end, 0L, length());
    }
    m_has_pending = false;
    if (style() & ES_AUTOVSCROLL)
        scroll_caret_into_view();
    InvalidateRect(m_window, nullptr, TRUE);
}

RichEdit::Format RichEdit::insertion_format() const
{
    if (m_has_pending)
        return m_pending;
    const long at = sel_start();
    if (at > 0)
        return m_formats[static_cast<size_t>(at) - 1];
    if (!m_formats.empty())
        return m_formats.front();
    return m_default;
}

void RichEdit::replace_selection(std::string text)
{
    const long start = sel_start();
    const long removed = sel_end() - start;
    const long room = std::max(0L, m_limit - (length() - removed));
    if (static_cast<long>(text.size()) > room) {
        // Never half of a CR LF pair.
        size_t keep = static_cast<size_t>(room);
        if (keep > 0 && text[keep - 1] == '\r' && keep < text.size() && text[keep] == '\n')
            --keep;
        text.resize(keep);
        controls::notify_parent(m_window, EN_MAXTEXT);
        if (!IsWindow(m_window))
            return;
    }
    if (text.empty() && removed == 0)
        return;
    const Format format = insertion_format();
    m_text.replace(static_cast<size_t>(start), static_cast<size_t>(removed), text);
    m_formats.erase(m_formats.begin() + start, m_formats.begin() + start + removed);
    m_formats.insert(m_formats.begin() + start, text.size(), format);
    m_caret = m_anchor = start + static_cast<long>(text.size());
    m_has_pending = false;
    // Every change of the text counts, the program's included.
    m_modified = true;
    measure_lines(start, start + static_cast<long>(text.size()), removed > 0);
    if (style() & ES_AUTOVSCROLL)
        scroll_caret_into_view();
    update_scroll_bar();
    InvalidateRect(m_window, nullptr, TRUE);
    HWND self = m_window;
    tell(EN_UPDATE);
    if (IsWindow(self))
        tell(EN_CHANGE);
}

LRESULT RichEdit::on_set_char_format(WPARAM scope, const CHARFORMAT* in)
{
    if (!in || in->cbSize != sizeof(CHARFORMAT))
        return FALSE;
    auto apply = [&](Format& f) {
        const DWORD effect_bits = in->dwMask & (CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED);
        f.effects = (f.effects & ~effect_bits) | (in->dwEffects & effect_bits);
        if (in->dwMask & CFM_COLOR) {
            f.effects = (f.effects & ~static_cast<DWORD>(CFE_AUTOCOLOR)) | (in->dwEffects & CFE_AUTOCOLOR);
            f.colour = in->crTextColor;
        }
        if ((in->dwMask & CFM_SIZE) && in->yHeight > 0)
            f.height = std::min<LONG>(in->yHeight, 32767);
    };
    // Only formats of the text itself change the widths of its lines.
    const bool text_formats = (scope & SCF_ALL) || ((scope & SCF_SELECTION) && sel_start() != sel_end());
    if (scope & SCF_ALL) {
        for (Format& f : m_formats)
            apply(f);
        apply(m_default);
    } else if (scope & SCF_SELECTION) {
        if (sel_start() == sel_end()) {
            // An empty selection keeps the format for what is typed or
            // replaced there next.
            m_pending = insertion_format();
            apply(m_pending);
            m_has_pending = true;
        } else {
            for (long i = sel_start(); i < sel_end(); ++i)
                apply(m_formats[static_cast<size_t>(i)]);
        }
    } else {
        apply(m_default);
        if (m_text.empty())
            m_has_pending = false;
    }
    if (text_formats) {
        measure_lines(0, 0, true);
        update_scroll_bar();
    }
    InvalidateRect(m_window, nullptr, TRUE);
    return TRUE;
}

LRESULT RichEdit::on_get_char_format(WPARAM scope, CHARFORMAT* out) const
{
    if (!out || out->cbSize != sizeof(CHARFORMAT))
        return 0;
    std::vector<Format> range;
    if (scope & SCF_SELECTION) {
        if (sel_start() == sel_end())
            range.push_back(insertion_format());
        else
            range.assign(m_formats.begin() + sel_start(), m_formats.begin() + sel_end());
    } else {
        range.push_back(m_default);
    }
    const Format& first = range.front();
    // The attributes that are the same over the whole range.
    DWORD mask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED | CFM_COLOR | CFM_SIZE |
                 CFM_FACE | CFM_CHARSET | CFM_OFFSET;
    for (const Format& f : range) {
        for (DWORD bit : {static_cast<DWORD>(CFM_BOLD), static_cast<DWORD>(CFM_ITALIC),
                          static_cast<DWORD>(CFM_UNDERLINE), static_cast<DWORD>(CFM_STRIKEOUT),
                          static_cast<DWORD>(CFM_PROTECTED)})
            if ((f.effects & bit) != (first.effects & bit))
                mask &= ~bit;
        if (f.colour != first.colour || (f.effects & CFE_AUTOCOLOR) != (first.effects & CFE_AUTOCOLOR))
            mask &= ~static_cast<DWORD>(CFM_COLOR);
        if (f.height != first.height)
            mask &= ~static_cast<DWORD>(CFM_SIZE);
    }
    out->dwMask = mask;
    out->dwEffects = first.effects;
    out->yHeight = first.height;
    out->yOffset = 0;
    out->crTextColor = first.colour;
    out->bCharSet = 0;  // ANSI_CHARSET
    out->bPitchAndFamily = 0;
    std::strncpy(out->szFaceName, "MS Sans Serif", sizeof out->szFaceName - 1);
    out->szFaceName[sizeof out->szFaceName - 1] = '\0';
    return mask;
}

LRESULT RichEdit::on_set_text(const char* text)
{
    const std::string next = text ? std::string(text, strnlen(text, static_cast<size_t>(max_limit))) : std::string();
    m_text = next;
    m_formats.assign(m_text.size(), m_default);
    m_anchor = m_caret = 0;
    m_has_pending = false;
    m_first_line = 0;
    m_scroll_x = 0;
    m_modified = false;
    measure_lines(0, 0, true);
    update_scroll_bar();
    InvalidateRect(m_window, nullptr, TRUE);
    HWND self = m_window;
    tell(EN_UPDATE);
    if (IsWindow(self))
        tell(EN_CHANGE);
    return TRUE;
}

LRESULT RichEdit::on_get_text_range(TEXTRANGE* range) const
{
    if (!range || !range->lpstrText)
        return 0;
    const long from = std::clamp(static_cast<long>(range->chrg.cpMin), 0L, length());
    const long to =
        range->chrg.cpMax < 0 ? length() : std::clamp(static_cast<long>(range->chrg.cpMax), from, length());
    // The caller's buffer holds the range and its terminating zero.
    std::memcpy(range->lpstrText, m_text.data() + from, static_cast<size_t>(to - from));
    range->lpstrText[to - from] = '\0';
    return to - from;
}

std::vector<long> RichEdit::line_starts() const
{
    std::vector<long> starts{0};
    for (long i = 0; i < length(); ++i) {
        const char c = m_text[static_cast<size_t>(i)];
        if (c == '\r' && i + 1 < length() && m_text[static_cast<size_t>(i) + 1] == '\n')
            continue;  // the LF that follows ends the line
        if (c == '\n' || c == '\r')
            starts.push_back(i + 1);
    }
    return starts;
}

long RichEdit::line_of(long position) const
{
    const std::vector<long> starts = line_starts();
    auto it = std::upper_bound(starts.begin(), starts.end(), position);
    return static_cast<long>(it - starts.begin()) - 1;
}

int RichEdit::lines_per_page() const
{
    RECT client;
    GetClientRect(m_window, &client);
    return std::max(1, static_cast<int>(client.bottom - client.top) / std::max(line_height(m_window), 1));
}

void RichEdit::scroll_to_line(long line)
{
    const long lines = static_cast<long>(line_starts().size());
    const long before = m_first_line;
    m_first_line = std::clamp(line, 0L, std::max(lines - 1, 0L));
    if (m_first_line != before) {
        update_scroll_bar();
        InvalidateRect(m_window, nullptr, TRUE);
    }
}

void RichEdit::scroll_caret_into_view()
{
    const long line = line_of(m_caret);
    const long page = lines_per_page();
    if (line < m_first_line)
        scroll_to_line(line);
    else if (line >= m_first_line + page)
        scroll_to_line(line - page + 1);
}

void RichEdit::update_scroll_bar()
{
    if (m_bars & WS_VSCROLL)
        fit_scroll_bar(m_window, SB_VERT, static_cast<int>(line_starts().size()), lines_per_page(),
                       static_cast<int>(m_first_line));
    if ((m_bars & WS_HSCROLL) && IsWindow(m_window)) {
        RECT client;
        GetClientRect(m_window, &client);
        fit_scroll_bar(m_window, SB_HORZ, m_widest + 2 * left_margin, client.right, m_scroll_x);
    }
}

LRESULT RichEdit::on_scroll(WPARAM code)
{
    const long page = std::max(lines_per_page() - 1, 1);
    switch (LOWORD(code)) {
    case SB_LINEUP: scroll_to_line(m_first_line - 1); break;
    case SB_LINEDOWN: scroll_to_line(m_first_line + 1); break;
    case SB_PAGEUP: scroll_to_line(m_first_line - page); break;
    case SB_PAGEDOWN: scroll_to_line(m_first_line + page); break;
    case SB_TOP: scroll_to_line(0); break;
    case SB_BOTTOM: scroll_to_line(static_cast<long>(line_starts().size()) - lines_per_page()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: scroll_to_line(static_cast<long>(HIWORD(code))); break;
    default: break;
    }
    return 0;
}

LRESULT RichEdit::on_key_down(WPARAM key)
{
    const bool shift = controls::shift_down();
    const bool ctrl = controls::control_down();
    auto move = [&](long to) {
        m_caret = std::clamp(to, 0L, length());
        if (!shift)
            m_anchor = m_caret;
        m_has_pending = false;
        scroll_caret_into_view();
        InvalidateRect(m_window, nullptr, TRUE);
    };
    const std::vector<long> starts = line_starts();
    const long line = line_of(m_caret);
    switch (key) {
    case VK_LEFT:
        // A CR LF pair is one step.
        move(m_caret >= 2 && m_text.compare(static_cast<size_t>(m_caret) - 2, 2, "\r\n") == 0 ? m_caret - 2
                                                                                               : m_caret - 1);
        break;
    case VK_RIGHT:
        move(m_text.compare(static_cast<size_t>(m_caret), 2, "\r\n") == 0 ? m_caret + 2 : m_caret + 1);
        break;
    case VK_UP:
    case VK_DOWN: {
        const long target = key == VK_UP ? line - 1 : line + 1;
        if (target < 0 || target >= static_cast<long>(starts.size()))
            break;
        const long column = m_caret - starts[static_cast<size_t>(line)];
        const long end = target + 1 < static_cast<long>(starts.size()) ? starts[static_cast<size_t>(target) + 1] : length();
        long to = std::min(starts[static_cast<size_t>(target)] + column, end);
        while (to > starts[static_cast<size_t>(target)] && to <= length() && to > 0 &&
               (m_text[static_cast<size_t>(to) - 1] == '\n' || m_text[static_cast<size_t>(to) - 1] == '\r') &&
               to == end)
            --to;
        move(to);
        break;
    }
    case VK_HOME:
        move(ctrl ? 0 : starts[static_cast<size_t>(line)]);
        break;
    case VK_END:
        move(ctrl ? length() : (line + 1 < static_cast<long>(starts.size()) ? starts[static_cast<size_t>(line) + 1] - 1 : length()));
        break;
    case VK_DELETE:
        if (!(style() & ES_READONLY)) {
            if (sel_start() == sel_end() && m_caret < length())
                m_caret = m_text.compare(static_cast<size_t>(m_caret), 2, "\r\n") == 0 ? m_caret + 2 : m_caret + 1;
            replace_selection(std::string());
        }
        break;
    default:
        break;
    }
    return 0;
}

LRESULT RichEdit::on_char(WPARAM ch)
{
    const bool ctrl = controls::control_down();
    if (ctrl && (ch == 1 || ch == 'a' || ch == 'A')) {
        set_selection(0, -1);
        return 0;
    }
    if (ctrl && (ch == 3 || ch == 'c' || ch == 'C')) {
        handle(WM_COPY, 0, 0);
        return 0;
    }
    if (style() & ES_READONLY)
        return 0;
    if (ctrl && (ch == 0x16 || ch == 'v' || ch == 'V')) {
        handle(WM_PASTE, 0, 0);
        return 0;
    }
    if (ctrl && (ch == 0x18 || ch == 'x' || ch == 'X')) {
        handle(WM_CUT, 0, 0);
        return 0;
    }
    if (ch == VK_BACK) {
        if (sel_start() == sel_end() && m_caret > 0)
            m_anchor = m_caret >= 2 && m_text.compare(static_cast<size_t>(m_caret) - 2, 2, "\r\n") == 0 ? m_caret - 2
                                                                                                      : m_caret - 1;
        replace_selection(std::string());
        return 0;
    }
    if (ch == '\r') {
        if (style() & ES_MULTILINE)
            replace_selection("\r\n");
        return 0;
    }
    if (ch < 0x20 && ch != '\t')
        return 0;
    replace_selection(std::string(1, static_cast<char>(ch)));
    return 0;
}

HFONT RichEdit::font_of(const Format& format)
{
    const DWORD effects = format.effects & font_effects;
    for (const FontEntry& f : m_fonts)
        if (f.effects == effects && f.height == format.height)
            return f.font;
    if (m_fonts.size() >= max_fonts) {
        for (const FontEntry& f : m_fonts)
            DeleteObject(f.font);
        m_fonts.clear();
    }
    // Heights are in twips: 1440 to the inch, 96 pixels to the inch.
    const int pixels = -static_cast<int>((format.height * 96 + 720) / 1440);
    HFONT font = CreateFont(pixels, 0, 0, 0, (effects & CFE_BOLD) ? FW_BOLD : FW_NORMAL, (effects & CFE_ITALIC) != 0,
                            (effects & CFE_UNDERLINE) != 0, (effects & CFE_STRIKEOUT) != 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                            "MS Sans Serif");
    m_fonts.push_back({effects, format.height, font});
    return font;
}

template <class F>
void RichEdit::for_each_run(long start, long end, bool show_selection, F f) const
{
    auto selected = [&](long i) { return show_selection && i >= sel_start() && i < sel_end(); };
    for (long i = start; i < end;) {
        long j = i + 1;
        if (m_text[static_cast<size_t>(i)] != '\t')
            while (j < end && m_text[static_cast<size_t>(j)] != '\t' && m_formats[static_cast<size_t>(j)] == m_formats[static_cast<size_t>(i)] &&
                   selected(j) == selected(i))
                ++j;
        f(i, j, m_formats[static_cast<size_t>(i)], selected(i));
        i = j;
    }
}

int RichEdit::draw_line(HDC dc, long start, long end, int x, int y, int height, bool show_selection)
{
    HDC measure = dc ? dc : CreateCompatibleDC(nullptr);
    if (!measure)
        return x;
    HGDIOBJ old_font = GetCurrentObject(measure, OBJ_FONT);
    const int origin = x;
    for_each_run(start, end, show_selection, [&](long first, long last, const Format& format, bool selected) {
        int width = 0;
        if (m_text[static_cast<size_t>(first)] == '\t') {
            width = tab_stop - (x - origin) % tab_stop;
        } else {
            SelectObject(measure, font_of(format));
            SIZE size{};
            GetTextExtentPoint32(measure, m_text.data() + first, static_cast<int>(last - first), &size);
            width = size.cx;
        }
        if (dc && selected) {
            RECT r{x, y, x + width, y + height};
            FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        if (dc && m_text[static_cast<size_t>(first)] != '\t') {
            const COLORREF colour = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                    : (format.effects & CFE_AUTOCOLOR) ? GetSysColor(COLOR_WINDOWTEXT)
                                                                        : format.colour;
            SetTextColor(dc, colour);
            TextOut(dc, x, y, m_text.data() + first, static_cast<int>(last - first));
        }
        x += width;
    });
    SelectObject(measure, old_font);
    if (!dc)
        DeleteDC(measure);
    return x;
}

long RichEdit::line_end(long line, const std::vector<long>& starts) const
{
    long end = line + 1 < static_cast<long>(starts.size()) ? starts[static_cast<size_t>(line) + 1] : length();
    while (end > starts[static_cast<size_t>(line)] &&
           (m_text[static_cast<size_t>(end) - 1] == '\n' || m_text[static_cast<size_t>(end) - 1] == '\r'))
        --end;
    return end;
}

void RichEdit::measure_lines(long from, long to, bool again)
{
    if (!(m_bars & WS_HSCROLL))
        return;
    const std::vector<long> starts = line_starts();
    long first = 0, last = static_cast<long>(starts.size()) - 1;
    if (again) {
        m_widest = 0;
    } else {
        first = line_of(from);
        last = line_of(to);
    }
    for (long line = first; line <= last; ++line)
        m_widest = std::max(m_widest, draw_line(nullptr, starts[static_cast<size_t>(line)], line_end(line, starts), 0, 0, 0, false));
}

void RichEdit::scroll_x_to(int x)
{
    RECT client;
    GetClientRect(m_window, &client);
    const int before = m_scroll_x;
    m_scroll_x = std::clamp(x, 0, std::max(m_widest + 2 * left_margin - static_cast<int>(client.right), 0));
    if (m_scroll_x != before) {
        update_scroll_bar();
        InvalidateRect(m_window, nullptr, TRUE);
    }
}

LRESULT RichEdit::on_horizontal_scroll(WPARAM code)
{
    RECT client;
    GetClientRect(m_window, &client);
    const int line = 8;
    const int page = std::max(static_cast<int>(client.right) - line, line);
    switch (LOWORD(code)) {
    case SB_LINELEFT: scroll_x_to(m_scroll_x - line); break;
    case SB_LINERIGHT: scroll_x_to(m_scroll_x + line); break;
    case SB_PAGELEFT: scroll_x_to(m_scroll_x - page); break;
    case SB_PAGERIGHT: scroll_x_to(m_scroll_x + page); break;
    case SB_LEFT: scroll_x_to(0); break;
    case SB_RIGHT: scroll_x_to(m_widest); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: scroll_x_to(static_cast<int>(HIWORD(code))); break;
    default: break;
    }
    return 0;
}

// Each shown line as runs of its characters' formats on the background
// colour, the selection in the highlight colours while the box has the
// focus (or ES_NOHIDESEL). Read-only changes nothing of the look.
LRESULT RichEdit::on_paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    if (dc) {
        RECT client;
        GetClientRect(m_window, &client);
        fill(dc, client, m_background, COLOR_WINDOW);
        SetBkMode(dc, TRANSPARENT);
        const bool show_selection = GetFocus() == m_window || (style() & ES_NOHIDESEL);
        const std::vector<long> starts = line_starts();
        const int height = std::max(line_height(m_window), 1);
        for (long line = m_first_line; line < static_cast<long>(starts.size()); ++line) {
            const int y = static_cast<int>(line - m_first_line) * height;
            if (y >= client.bottom)
                break;
            draw_line(dc, starts[static_cast<size_t>(line)], line_end(line, starts), left_margin - m_scroll_x, y, height,
                      show_selection);
        }
    }
    EndPaint(m_window, &ps);
    return 0;
}

}  // namespace helm::user::commctrl
