#include "list_box.h"

#include <algorithm>
#include <cstring>

#include "helm/user/controls.h"

namespace helm::user::controls {

namespace {

ControlMap<ListBox>& list_boxes()
{
    static auto* map = new ControlMap<ListBox>;
    return *map;
}

// A bound on items, so a runaway filler meets LB_ERRSPACE rather than
// exhausting memory.
constexpr size_t max_items = 1 << 20;

}  // namespace

ListBox::ListBox(HWND window, const CREATESTRUCT& cs) : m_window(window), m_own_bar((cs.style & WS_VSCROLL) != 0) {}

LRESULT CALLBACK ListBox::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return run_control(list_boxes(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<ListBox>(w, cs);
    });
}

std::shared_ptr<ListBox> ListBox::of(HWND window) { return list_boxes().get(window); }

LRESULT ListBox::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = dispatch(message, wParam, lParam);
    if (m_own_bar && message != WM_NCDESTROY && IsWindow(m_window))
        fit_scroll_bar();
    return result;
}

// As Windows does, the bar follows the items at once, not at the next
// paint: it is gone (with LBS_DISABLENOSCROLL, disabled) while they all
// fit, so the items' places are known as soon as they are added.
void ListBox::fit_scroll_bar()
{
    const BarState now{count(), visible_count(), m_top};
    if (now == m_bar)
        return;
    m_bar = now;
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | ((style() & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
    bar.nMax = std::max(0, now.count - 1);
    bar.nPage = static_cast<UINT>(std::max(now.page, 0));
    bar.nPos = now.top;
    SetScrollInfo(m_window, SB_VERT, &bar, TRUE);
}

LRESULT ListBox::dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case LB_ADDSTRING:
        return on_add_string(lParam);
    case LB_INSERTSTRING:
        return on_insert_string(wParam, lParam);
    case LB_DELETESTRING:
        return on_delete_string(wParam);
    case LB_RESETCONTENT:
        return on_reset_content();
    case LB_GETCOUNT:
        return count();
    case LB_SETCURSEL:
        return on_set_cur_sel(wParam);
    case LB_GETCURSEL:
        return on_get_cur_sel();
    case LB_GETTEXT:
        return on_get_text(wParam, lParam);
    case LB_GETTEXTLEN:
        return valid(wParam) ? static_cast<LRESULT>(m_items[wParam].text.size()) : LB_ERR;
    case LB_FINDSTRING:
        return on_find(wParam, lParam, false);
    case LB_FINDSTRINGEXACT:
        return on_find(wParam, lParam, true);
    case LB_SELECTSTRING:
        return on_select_string(wParam, lParam);
    case LB_SETITEMDATA:
        return on_set_item_data(wParam, lParam);
    case LB_GETITEMDATA:
        return valid(wParam) ? static_cast<LRESULT>(m_items[wParam].data) : LB_ERR;
    case LB_GETITEMRECT:
        return on_get_item_rect(wParam, lParam);
    case LB_SETTOPINDEX:
        return on_set_top_index(wParam);
    case LB_GETTOPINDEX:
        return m_top;
    case LB_GETITEMHEIGHT:
        return m_item_height;
    case LB_SETITEMHEIGHT:
        return on_set_item_height(lParam);
    case LB_ITEMFROMPOINT:
        return on_item_from_point(lParam);
    case LB_SETSEL:
        return on_set_sel(wParam, lParam);
    case LB_GETSEL:
        return on_get_sel(wParam);
    case LB_GETSELCOUNT:
        return on_get_sel_count();
    case LB_GETSELITEMS:
        return on_get_sel_items(wParam, lParam);
    case LB_GETCARETINDEX:
        return m_items.empty() ? 0 : m_caret;
    case LB_SETCARETINDEX:
        if (!valid(wParam))
            return LB_ERR;
        m_caret = static_cast<int>(wParam);
        ensure_visible(m_caret);
        return LB_OKAY;
    case WM_LBUTTONDOWN:
        return on_button_down(lParam, false);
    case WM_LBUTTONDBLCLK:
        return on_button_down(lParam, true);
    case WM_MOUSEMOVE:
        return on_mouse_move(lParam);
    case WM_LBUTTONUP:
        return on_button_up(lParam);
    case WM_CANCELMODE:
        release_mouse(m_window);
        m_tracking = false;
        return 0;
    case WM_CAPTURECHANGED:
        return on_capture_changed(lParam);
    case WM_KEYDOWN:
        return on_key_down(wParam);
    case WM_KEYUP:
        note_modifier_key(message, wParam);
        return 0;
    case WM_CHAR:
        return on_char(wParam);
    case WM_SETFOCUS:
        return on_focus(LBN_SETFOCUS);
    case WM_KILLFOCUS:
        m_tracking = false;
        return on_focus(LBN_KILLFOCUS);
    case WM_SIZE:
        clamp_top();
        return 0;
    case WM_SETFONT:
        // Items are as high as a line of the font.
        m_item_height = line_height(wParam ? reinterpret_cast<HFONT>(wParam) : font_of(m_window));
        clamp_top();
        return 0;
    case WM_PAINT:
        return on_paint();
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

// Owner-drawn lists without LBS_HASSTRINGS keep the caller's value as the
// item's data and no text, as Windows does.
bool ListBox::has_strings() const
{
    const DWORD s = style();
    return !(s & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (s & LBS_HASSTRINGS);
}

LRESULT ListBox::on_add_string(LPARAM lParam)
{
    int index = count();
    if ((style() & LBS_SORT) && has_strings() && lParam)
        index = sorted_position(reinterpret_cast<const char*>(lParam));
    return insert(index, lParam);
}

LRESULT ListBox::on_insert_string(WPARAM index, LPARAM lParam)
{
    const int at = static_cast<int>(index);
    if (at < -1 || at > count())
        return LB_ERR;
    return insert(at == -1 ? count() : at, lParam);
}

LRESULT ListBox::insert(int index, LPARAM lParam)
{
    if (m_items.size() >= max_items) {
        notify(LBN_ERRSPACE);
        return LB_ERRSPACE;
    }
    Item item;
    if (has_strings())
        item.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
    else
        item.data = static_cast<ULONG_PTR>(lParam);
    m_items.insert(m_items.begin() + index, std::move(item));
    if (m_selection >= index)
        ++m_selection;
    if (m_caret >= index && count() > 1)
        ++m_caret;
    InvalidateRect(m_window, nullptr, TRUE);
    return index;
}

// After the items that sort equal, so equal texts keep their order.
int ListBox::sorted_position(const std::string& text) const
{
    auto it = std::upper_bound(m_items.begin(), m_items.end(), text, [](const std::string& t, const Item& item) {
        return compare_nocase_1252(t, item.text) < 0;
    });
    return static_cast<int>(it - m_items.begin());
}

LRESULT ListBox::on_delete_string(WPARAM index)
{
    if (!valid(index))
        return LB_ERR;
    const int at = static_cast<int>(index);
    m_items.erase(m_items.begin() + at);
    if (m_selection == at)
        m_selection = -1;
    else if (m_selection > at)
        --m_selection;
    if (m_caret > at || m_caret >= count())
        m_caret = std::max(0, m_caret - 1);
    clamp_top();
    InvalidateRect(m_window, nullptr, TRUE);
    return count();
}

LRESULT ListBox::on_reset_content()
{
    m_items.clear();
    m_selection = -1;
    m_caret = 0;
    m_top = 0;
    InvalidateRect(m_window, nullptr, TRUE);
    return 0;
}

// -1 or an index out of range removes the selection and answers LB_ERR.
LRESULT ListBox::on_set_cur_sel(WPARAM index)
{
    if (multiple())
        return LB_ERR;
    InvalidateRect(m_window, nullptr, TRUE);
    if (!valid(index)) {
        m_selection = -1;
        return LB_ERR;
    }
    m_selection = m_caret = static_cast<int>(index);
    ensure_visible(m_selection);
    return m_selection;
}

// A multiple-selection list answers with its focus item.
LRESULT ListBox::on_get_cur_sel() const
{
    if (multiple())
        return m_items.empty() ? LB_ERR : m_caret;
    return m_selection;
}

LRESULT ListBox::on_get_text(WPARAM index, LPARAM buffer) const
{
    if (!valid(index) || !buffer)
        return LB_ERR;
    const Item& item = m_items[index];
    if (!has_strings()) {
        std::memcpy(reinterpret_cast<void*>(buffer), &item.data, sizeof item.data);
        return sizeof item.data;
    }
    std::memcpy(reinterpret_cast<char*>(buffer), item.text.c_str(), item.text.size() + 1);
    return static_cast<LRESULT>(item.text.size());
}

// From the item after `start` (the whole list for -1), wrapping round to
// `start` itself; a prefix or the whole text, without regard to case.
LRESULT ListBox::on_find(WPARAM start, LPARAM text, bool exact) const
{
    if (!text || m_items.empty() || !has_strings())
        return LB_ERR;
    const std::string_view wanted = reinterpret_cast<const char*>(text);
    int from = static_cast<int>(start);
    if (from < 0 || from >= count())
        from = -1;
    for (int step = 1; step <= count(); ++step) {
        const int i = (from + step) % count();
        const std::string& t = m_items[static_cast<size_t>(i)].text;
        if (exact ? compare_nocase_1252(t, wanted) == 0 : starts_with_nocase_1252(t, wanted))
            return i;
    }
    return LB_ERR;
}

LRESULT ListBox::on_select_string(WPARAM start, LPARAM text)
{
    const LRESULT found = on_find(start, text, false);
    if (found == LB_ERR)
        return LB_ERR;
    if (multiple()) {
        m_items[static_cast<size_t>(found)].selected = true;
        m_caret = static_cast<int>(found);
        ensure_visible(m_caret);
        InvalidateRect(m_window, nullptr, TRUE);
        return found;
    }
    return on_set_cur_sel(static_cast<WPARAM>(found));
}

LRESULT ListBox::on_set_item_data(WPARAM index, LPARAM data)
{
    if (!valid(index))
        return LB_ERR;
    m_items[index].data = static_cast<ULONG_PTR>(data);
    return TRUE;
}

LRESULT ListBox::on_get_item_rect(WPARAM index, LPARAM rect) const
{
    if (!rect || !valid(index))
        return LB_ERR;
    RECT client;
    GetClientRect(m_window, &client);
    const int top = (static_cast<int>(index) - m_top) * m_item_height;
    *reinterpret_cast<RECT*>(rect) = {0, top, client.right, top + m_item_height};
    return TRUE;
}

// The list never scrolls past the page that ends with its last item.
LRESULT ListBox::on_set_top_index(WPARAM index)
{
    if (!valid(index))
        return LB_ERR;
    m_top = static_cast<int>(index);
    clamp_top();
    InvalidateRect(m_window, nullptr, TRUE);
    return LB_OKAY;
}

LRESULT ListBox::on_set_item_height(LPARAM height)
{
    const int h = LOWORD(height);
    if (h <= 0 || h > 255)
        return LB_ERR;
    m_item_height = h;
    clamp_top();
    InvalidateRect(m_window, nullptr, TRUE);
    return LB_OKAY;
}

// The nearest item in the low word; the high word is 1 when the point is
// outside the client area or past the last item.
LRESULT ListBox::on_item_from_point(LPARAM point) const
{
    const POINT p = point_of(point);
    if (m_items.empty())
        return MAKELONG(0, 1);
    const int i = p.y < 0 ? m_top - 1 : m_top + p.y / m_item_height;
    const bool outside = !in_client(m_window, p) || i < 0 || i >= count();
    return MAKELONG(static_cast<WORD>(std::clamp(i, 0, count() - 1)), outside ? 1 : 0);
}

LRESULT ListBox::on_set_sel(WPARAM select, LPARAM index)
{
    if (!multiple())
        return LB_ERR;
    const int at = static_cast<int>(index);
    if (at == -1) {
        for (Item& item : m_items)
            item.selected = select != 0;
    } else if (at >= 0 && at < count()) {
        m_items[static_cast<size_t>(at)].selected = select != 0;
    } else {
        return LB_ERR;
    }
    InvalidateRect(m_window, nullptr, TRUE);
    return LB_OKAY;
}

LRESULT ListBox::on_get_sel(WPARAM index) const
{
    if (!valid(index))
        return LB_ERR;
    return multiple() ? (m_items[index].selected ? 1 : 0) : (m_selection == static_cast<int>(index) ? 1 : 0);
}

LRESULT ListBox::on_get_sel_count() const
{
    if (!multiple())
        return LB_ERR;
    return std::count_if(m_items.begin(), m_items.end(), [](const Item& item) { return item.selected; });
}

LRESULT ListBox::on_get_sel_items(WPARAM room, LPARAM out) const
{
    if (!multiple() || !out)
        return LB_ERR;
    auto* indexes = reinterpret_cast<int*>(out);
    int n = 0;
    for (int i = 0; i < count() && n < static_cast<int>(room); ++i)
        if (m_items[static_cast<size_t>(i)].selected)
            indexes[n++] = i;
    return n;
}

LRESULT ListBox::on_button_down(LPARAM lParam, bool double_click)
{
    if (in_combo()) {
        const POINT p = point_of(lParam);
        if (!in_client(m_window, p)) {
            tell_combo(-1);
            return 0;
        }
        const int i = item_at(p);
        if (i >= 0)
            m_caret = i;
        return 0;
    }
    if (GetFocus() != m_window)
        SetFocus(m_window);
    const int i = item_at(point_of(lParam));
    if (i < 0)
        return 0;
    m_tracking = true;
    capture_mouse(m_window);
    select_by_operator(i, style() & LBS_MULTIPLESEL);
    if (double_click)
        notify(LBN_DBLCLK);
    return 0;
}

// A single-selection list follows the dragged mouse; a dropped list only
// moves its hot item.
LRESULT ListBox::on_mouse_move(LPARAM lParam)
{
    const int i = item_at(point_of(lParam));
    if (i < 0)
        return 0;
    if (in_combo()) {
        m_caret = i;
        InvalidateRect(m_window, nullptr, TRUE);
    } else if (m_tracking && !multiple()) {
        select_by_operator(i, false);
    }
    return 0;
}

LRESULT ListBox::on_button_up(LPARAM lParam)
{
    if (!in_combo()) {
        if (m_tracking) {
            m_tracking = false;
            release_mouse(m_window);
        }
        return 0;
    }
    // The release that follows the click dropping the list lands outside it
    // and means nothing; one on an item picks it, even after a drag.
    const int i = item_at(point_of(lParam));
    if (i >= 0)
        tell_combo(i);
    return 0;
}

LRESULT ListBox::on_capture_changed(LPARAM lParam)
{
    if (reinterpret_cast<HWND>(lParam) == m_window)
        return 0;
    m_tracking = false;
    if (in_combo() && IsWindowVisible(m_window))
        tell_combo(-1);
    return 0;
}

void ListBox::tell_combo(int index)
{
    if (auto picked = m_picked)  // a copy: the pick may destroy this list with its combo
        picked(index);
}

LRESULT ListBox::on_key_down(WPARAM key)
{
    note_modifier_key(WM_KEYDOWN, key);
    if (m_items.empty())
        return 0;
    const int from = multiple() ? m_caret : std::max(m_selection, 0);
    int to;
    switch (key) {
    case VK_UP:
    case VK_LEFT:
        to = m_selection < 0 && !multiple() ? 0 : from - 1;
        break;
    case VK_DOWN:
    case VK_RIGHT:
        to = m_selection < 0 && !multiple() ? 0 : from + 1;
        break;
    case VK_PRIOR:
        to = from - std::max(visible_count() - 1, 1);
        break;
    case VK_NEXT:
        to = from + std::max(visible_count() - 1, 1);
        break;
    case VK_HOME:
        to = 0;
        break;
    case VK_END:
        to = count() - 1;
        break;
    case VK_SPACE:
        if (style() & LBS_MULTIPLESEL)
            select_by_operator(m_caret, true);
        return 0;
    default:
        return 0;
    }
    to = std::clamp(to, 0, count() - 1);
    if (multiple()) {
        m_caret = to;
        ensure_visible(to);
        InvalidateRect(m_window, nullptr, TRUE);
        if (style() & LBS_EXTENDEDSEL)
            select_by_operator(to, false);
        return 0;
    }
    select_by_operator(to, false);
    return 0;
}

// A typed character moves to the next item that starts with it.
LRESULT ListBox::on_char(WPARAM ch)
{
    const char c = static_cast<char>(ch & 0xFF);
    if (static_cast<unsigned char>(c) < 0x20 || m_items.empty())
        return 0;
    const char text[2] = {c, '\0'};
    const int from = multiple() ? m_caret : m_selection;
    const LRESULT found = on_find(static_cast<WPARAM>(from), reinterpret_cast<LPARAM>(text), false);
    if (found != LB_ERR)
        select_by_operator(static_cast<int>(found), false);
    return 0;
}

LRESULT ListBox::on_focus(int code)
{
    InvalidateRect(m_window, nullptr, TRUE);
    notify(code);
    return 0;
}

// Items from the top index down, selected ones in the highlight colours
// (in a dropped list, the item under the mouse), the focus item framed
// while the list has the focus.
LRESULT ListBox::on_paint()
{
    PaintScope paint(m_window, WM_CTLCOLORLISTBOX);
    m_brush = paint.brush();
    HDC dc = paint.dc();
    if (!dc)
        return 0;
    const RECT& client = paint.client();
    FillRect(dc, &client, m_brush);
    const bool enabled = IsWindowEnabled(m_window) != FALSE;
    const COLORREF text_colour = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
    const bool focused = GetFocus() == m_window;
    SetBkMode(dc, TRANSPARENT);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (style() & LBS_USETABSTOPS)
        format |= DT_EXPANDTABS;
    for (int i = m_top, y = 0; i < count() && y < client.bottom; ++i, y += m_item_height) {
        RECT item{0, y, client.right, y + m_item_height};
        const bool selected = in_combo() ? i == m_caret : multiple() ? m_items[size_t(i)].selected : i == m_selection;
        if (selected) {
            FillRect(dc, &item, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        } else {
            SetTextColor(dc, text_colour);
        }
        RECT text = item;
        text.left += 2;
        DrawText(dc, m_items[size_t(i)].text.c_str(), -1, &text, format);
        if (focused && i == m_caret && !in_combo())
            DrawFocusRect(dc, &item);
    }
    return 0;
}

int ListBox::item_at(POINT point) const
{
    if (!in_client(m_window, point))
        return -1;
    const int i = m_top + point.y / m_item_height;
    return i < count() ? i : -1;
}

int ListBox::visible_count() const
{
    RECT client;
    GetClientRect(m_window, &client);
    return std::max(1, static_cast<int>(client.bottom) / m_item_height);
}

void ListBox::ensure_visible(int index)
{
    if (index < m_top)
        m_top = index;
    else if (index >= m_top + visible_count())
        m_top = index - visible_count() + 1;
    clamp_top();
}

void ListBox::clamp_top() { m_top = std::clamp(m_top, 0, std::max(0, count() - visible_count())); }

void ListBox::select_by_operator(int index, bool toggle)
{
    InvalidateRect(m_window, nullptr, TRUE);
    m_caret = index;
    ensure_visible(index);
    if (multiple()) {
        Item& item = m_items[static_cast<size_t>(index)];
        if (toggle) {
            item.selected = !item.selected;
        } else {
            for (Item& other : m_items)
                other.selected = false;
            item.selected = true;
        }
        notify(LBN_SELCHANGE);
        return;
    }
    if (m_selection == index)
        return;
    m_selection = index;
    notify(LBN_SELCHANGE);
}

// Only LBS_NOTIFY lists tell their parent of selection, double clicks and
// focus; LBN_ERRSPACE always goes. A dropped list tells nobody: its combo
// box reports for it.
void ListBox::notify(int code)
{
    if (in_combo())
        return;
    if (code == LBN_ERRSPACE || (style() & LBS_NOTIFY))
        notify_parent(m_window, code);
}

}  // namespace helm::user::controls
