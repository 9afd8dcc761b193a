#include "list_view.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "header_control.h"
#include "view_draw.h"
#include "view_text.h"

namespace helm::user::commctrl {

namespace {

controls::ControlMap<ListView>& lists()
{
    static auto* map = new controls::ControlMap<ListView>;
    return *map;
}

// Bounds, so a runaway filler fails rather than exhausting memory.
constexpr size_t max_rows = 1 << 20;
// The space around a cell's text, and around a title's.
constexpr int cell_margin = 12;
constexpr int title_margin = 12;
constexpr int header_id = 0;

}  // namespace

ListView::ListView(HWND window, const CREATESTRUCT&)
    : m_window(window),
      m_back(GetSysColor(COLOR_WINDOW)),
      m_text(GetSysColor(COLOR_WINDOWTEXT)),
      m_text_back(GetSysColor(COLOR_WINDOW))
{
}

LRESULT CALLBACK ListView::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return controls::run_control(lists(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<ListView>(w, cs);
    });
}

int ListView::columns() const { return static_cast<int>(m_subitems.size()); }

int ListView::subitem_of(int column) const
{
    return column >= 0 && column < columns() ? m_subitems[static_cast<size_t>(column)] : -1;
}

int ListView::column_of(int subitem) const
{
    auto it = std::find(m_subitems.begin(), m_subitems.end(), subitem);
    return it == m_subitems.end() ? -1 : static_cast<int>(it - m_subitems.begin());
}

ListView::Cell* ListView::cell(int row, int subitem)
{
    if (!addressable(row, subitem))
        return nullptr;
    std::vector<Cell>& cells = m_rows[static_cast<size_t>(row)].cells;
    if (static_cast<int>(cells.size()) <= subitem)
        cells.resize(static_cast<size_t>(subitem) + 1);
    return &cells[static_cast<size_t>(subitem)];
}

int ListView::header_height() const
{
    if (!m_header || (style() & LVS_NOCOLUMNHEADER))
        return 0;
    RECT r;
    GetWindowRect(m_header, &r);
    return r.bottom - r.top;
}

int ListView::row_height() const
{
    int height = line_height(m_window) + 1;
    int cx = 0, cy = 0;
    if (m_small && ImageList_GetIconSize(m_small, &cx, &cy))
        height = std::max(height, cy);
    if (m_state_images && ImageList_GetIconSize(m_state_images, &cx, &cy))
        height = std::max(height, cy);
    return height;
}

int ListView::rows_per_page() const
{
    RECT client;
    GetClientRect(m_window, &client);
    return std::max(0, static_cast<int>(client.bottom - header_height()) / std::max(row_height(), 1));
}

int ListView::total_width() const
{
    int width = 0;
    for (int c = 0; c < columns(); ++c)
        width += static_cast<int>(SendMessage(m_window, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
    return width;
}

RECT ListView::cell_rect(int row, int column) const
{
    int left = -m_scroll_x;
    int width = 0;
    int order[max_columns];
    const int n = columns();
    if (m_header && n > 0 && SendMessage(m_header, HDM_GETORDERARRAY, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(order))) {
        for (int i = 0; i < n; ++i) {
            RECT r{};
            SendMessage(m_header, HDM_GETITEMRECT, static_cast<WPARAM>(order[i]), reinterpret_cast<LPARAM>(&r));
            if (order[i] == column) {
                width = r.right - r.left;
                break;
            }
            left += r.right - r.left;
        }
    }
    const int top = header_height() + (row - m_top) * row_height();
    return RECT{left, top, left + width, top + row_height()};
}

void ListView::layout_header()
{
    if (!m_header)
        return;
    RECT client;
    GetClientRect(m_window, &client);
    // The header scrolls sideways with the rows.
    RECT area{-m_scroll_x, 0, std::max(static_cast<int>(client.right), total_width() - m_scroll_x), client.bottom};
    WINDOWPOS pos{};
    HDLAYOUT layout{&area, &pos};
    SendMessage(m_header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
    SetWindowPos(m_header, nullptr, pos.x, pos.y, pos.cx, pos.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string ListView::text_of(int row, int subitem)
{
    Cell* c = cell(row, subitem);
    if (!c)
        return {};
    if (!c->text_callback)
        return c->text;
    char buffer[260] = {};
    NMLVDISPINFO nm{};
    nm.item.mask = LVIF_TEXT;
    nm.item.iItem = row;
    nm.item.iSubItem = subitem;
    nm.item.pszText = buffer;
    nm.item.cchTextMax = sizeof buffer;
    nm.item.lParam = m_rows[static_cast<size_t>(row)].data;
    notify(m_window, LVN_GETDISPINFO, nm.hdr);
    return answered_text(nm.item.pszText, buffer, sizeof buffer);
}

void ListView::notify_list(UINT code, int item, int subitem, UINT new_state, UINT old_state, UINT changed, POINT at)
{
    NMLISTVIEW nm{};
    nm.iItem = item;
    nm.iSubItem = subitem;
    nm.uNewState = new_state;
    nm.uOldState = old_state;
    nm.uChanged = changed;
    nm.ptAction = at;
    nm.lParam = valid(item) ? m_rows[static_cast<size_t>(item)].data : 0;
    notify(m_window, code, nm.hdr);
}

LRESULT ListView::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        DWORD header_style = WS_CHILD | HDS_HORZ;
        if (!(style() & LVS_NOSORTHEADER))
            header_style |= HDS_BUTTONS;
        if (style() & LVS_NOCOLUMNHEADER)
            header_style |= HDS_HIDDEN;
        else
            header_style |= WS_VISIBLE;
        m_header = CreateWindowEx(0, WC_HEADER, "", header_style, 0, 0, 0, 0, m_window,
                                  reinterpret_cast<HMENU>(static_cast<intptr_t>(header_id)), nullptr, nullptr);
        if (!m_header)
            return -1;
        layout_header();
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr && hdr->hwndFrom == m_header && m_header)
            return on_header_notify(hdr);
        return 0;
    }
    case LVM_GETHEADER:
        return reinterpret_cast<LRESULT>(m_header);
    case LVM_GETITEMCOUNT:
        return count();
    case LVM_INSERTITEM:
        return on_insert_item(reinterpret_cast<const LVITEM*>(lParam));
    case LVM_SETITEM:
        return on_set_item(reinterpret_cast<const LVITEM*>(lParam));
    case LVM_GETITEM:
        return on_get_item(reinterpret_cast<LVITEM*>(lParam));
    case LVM_DELETEITEM:
        return on_delete_item(static_cast<int>(wParam));
    case LVM_DELETEALLITEMS:
        return on_delete_all();
    case LVM_SETITEMSTATE:
        return on_set_state(static_cast<int>(wParam), reinterpret_cast<const LVITEM*>(lParam));
    case LVM_GETITEMSTATE:
        return valid(static_cast<int>(wParam))
                   ? static_cast<LRESULT>(m_rows[wParam].state & static_cast<UINT>(lParam))
                   : 0;
    case LVM_GETNEXTITEM:
        return on_get_next(static_cast<int>(wParam), LOWORD(lParam));
    case LVM_GETITEMTEXT:
        return on_get_text(static_cast<int>(wParam), reinterpret_cast<LVITEM*>(lParam));
    case LVM_SETITEMTEXT:
        return on_set_text(static_cast<int>(wParam), reinterpret_cast<const LVITEM*>(lParam));
    case LVM_GETSELECTEDCOUNT:
        return std::count_if(m_rows.begin(), m_rows.end(), [](const Row& r) { return r.state & LVIS_SELECTED; });
    case LVM_INSERTCOLUMN:
        return on_insert_column(static_cast<int>(wParam), reinterpret_cast<const LVCOLUMN*>(lParam));
    case LVM_GETCOLUMN:
        return on_get_column(static_cast<int>(wParam), reinterpret_cast<LVCOLUMN*>(lParam));
    case LVM_SETCOLUMN:
        return on_set_column(static_cast<int>(wParam), reinterpret_cast<const LVCOLUMN*>(lParam));
    case LVM_DELETECOLUMN:
        return on_delete_column(static_cast<int>(wParam));
    case LVM_GETCOLUMNWIDTH: {
        HDITEM item{};
        item.mask = HDI_WIDTH;
        return m_header && SendMessage(m_header, HDM_GETITEM, wParam, reinterpret_cast<LPARAM>(&item)) ? item.cxy : 0;
    }
    case LVM_SETCOLUMNWIDTH:
        return on_set_column_width(static_cast<int>(wParam), static_cast<short>(LOWORD(lParam)));
    case LVM_SETCOLUMNORDERARRAY:
        return m_header ? SendMessage(m_header, HDM_SETORDERARRAY, wParam, lParam) : FALSE;
    case LVM_GETCOLUMNORDERARRAY:
        return m_header ? SendMessage(m_header, HDM_GETORDERARRAY, wParam, lParam) : FALSE;
    case LVM_GETITEMRECT:
        return on_get_item_rect(static_cast<int>(wParam), reinterpret_cast<RECT*>(lParam));
    case LVM_GETSUBITEMRECT:
        return on_get_subitem_rect(static_cast<int>(wParam), reinterpret_cast<RECT*>(lParam));
    case LVM_HITTEST:
        return on_hit_test(reinterpret_cast<LVHITTESTINFO*>(lParam), false);
    case LVM_SUBITEMHITTEST:
        return on_hit_test(reinterpret_cast<LVHITTESTINFO*>(lParam), true);
    case LVM_FINDITEM:
        return on_find(static_cast<int>(wParam), reinterpret_cast<const LVFINDINFO*>(lParam));
    case LVM_SORTITEMS:
        return on_sort(static_cast<LPARAM>(wParam), reinterpret_cast<PFNLVCOMPARE>(lParam));
    case LVM_ENSUREVISIBLE:
        if (!valid(static_cast<int>(wParam)))
            return FALSE;
        ensure_visible(static_cast<int>(wParam));
        return TRUE;
    case LVM_SCROLL: {
        scroll_x_to(m_scroll_x + static_cast<int>(wParam));
        const int dy = static_cast<int>(lParam);
        const int rows = dy / std::max(row_height(), 1);
        scroll_rows_to(m_top + (rows == 0 && dy != 0 ? (dy > 0 ? 1 : -1) : rows));
        return TRUE;
    }
    case LVM_GETTOPINDEX:
        return m_top;
    case LVM_GETCOUNTPERPAGE:
        return rows_per_page();
    case LVM_GETORIGIN:
        if (auto* p = reinterpret_cast<POINT*>(lParam))
            *p = POINT{0, 0};
        return TRUE;
    case LVM_GETVIEWRECT:
        if (auto* r = reinterpret_cast<RECT*>(lParam)) {
            *r = RECT{-m_scroll_x, -m_top * row_height(), total_width() - m_scroll_x,
                      (count() - m_top) * row_height()};
            return TRUE;
        }
        return FALSE;
    case LVM_GETSTRINGWIDTH:
        return lParam ? label_width(m_window, reinterpret_cast<const char*>(lParam)) : 0;
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        const DWORD before = m_ex_style;
        const DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
        m_ex_style = (m_ex_style & ~mask) | (static_cast<DWORD>(lParam) & mask);
        redraw();
        return before;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return m_ex_style;
    case LVM_SETIMAGELIST: {
        HIMAGELIST& slot = wParam == LVSIL_SMALL ? m_small : wParam == LVSIL_STATE ? m_state_images : m_normal;
        HIMAGELIST before = slot;
        slot = reinterpret_cast<HIMAGELIST>(lParam);
        clamp();
        update_scroll_bars();
        redraw();
        return reinterpret_cast<LRESULT>(before);
    }
    case LVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(wParam == LVSIL_SMALL   ? m_small
                                         : wParam == LVSIL_STATE ? m_state_images
                                                                 : m_normal);
    case LVM_SETBKCOLOR:
        m_back = static_cast<COLORREF>(lParam);
        redraw();
        return TRUE;
    case LVM_GETBKCOLOR:
        return m_back;
    case LVM_SETTEXTCOLOR:
        m_text = static_cast<COLORREF>(lParam);
        redraw();
        return TRUE;
    case LVM_GETTEXTCOLOR:
        return m_text;
    case LVM_SETTEXTBKCOLOR:
        m_text_back = static_cast<COLORREF>(lParam);
        redraw();
        return TRUE;
    case LVM_GETTEXTBKCOLOR:
        return m_text_back;
    case LVM_SETCALLBACKMASK:
        m_callback_mask = static_cast<UINT>(wParam);
        return TRUE;
    case LVM_GETCALLBACKMASK:
        return m_callback_mask;
    case LVM_SETTOOLTIPS: {
        HWND before = m_tooltips;
        m_tooltips = reinterpret_cast<HWND>(wParam);
        return reinterpret_cast<LRESULT>(before);
    }
    case LVM_GETTOOLTIPS:
        return reinterpret_cast<LRESULT>(m_tooltips);
    case LVM_GETEDITCONTROL:
        return 0;
    case LVM_REDRAWITEMS:
        for (int i = static_cast<int>(wParam); i <= static_cast<int>(lParam) && valid(i); ++i)
            invalidate_row(i);
        return TRUE;
    case LVM_UPDATE:
        invalidate_row(static_cast<int>(wParam));
        return TRUE;
    case LVM_ARRANGE:
        return TRUE;
    case WM_SETFONT:
        if (m_header)
            SendMessage(m_header, WM_SETFONT, wParam, lParam);
        layout_header();
        clamp();
        update_scroll_bars();
        return 0;
    case WM_SIZE:
        layout_header();
        clamp();
        update_scroll_bars();
        return 0;
    case WM_LBUTTONDOWN:
        return on_button_down(lParam, false);
    case WM_RBUTTONDOWN:
        return on_button_down(lParam, true);
    case WM_LBUTTONUP:
        return on_button_up(lParam, false);
    case WM_RBUTTONUP:
        return on_button_up(lParam, true);
    case WM_LBUTTONDBLCLK:
        return on_double_click(lParam);
    case WM_CAPTURECHANGED:
        m_tracking = false;
        return 0;
    case WM_KEYDOWN:
        controls::note_modifier_key(message, wParam);
        return on_key_down(wParam);
    case WM_KEYUP:
        controls::note_modifier_key(message, wParam);
        return 0;
    case WM_VSCROLL:
        return on_scroll(true, wParam);
    case WM_HSCROLL:
        return on_scroll(false, wParam);
    case WM_MOUSEWHEEL:
        scroll_rows_to(m_top - static_cast<short>(HIWORD(wParam)) / 120 * 3);
        return 0;
    case WM_SETFOCUS:
        notify(m_window, NM_SETFOCUS);
        redraw();
        return 0;
    case WM_KILLFOCUS:
        notify(m_window, NM_KILLFOCUS);
        redraw();
        return 0;
    case WM_PAINT:
        return on_paint();
    case WM_ERASEBKGND:
        return erase_view(m_window, reinterpret_cast<HDC>(wParam), m_back);
    case WM_DESTROY:
        // The parent hears of the rows still there, to free their data.
        on_delete_all();
        return 0;
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

LRESULT ListView::on_insert_item(const LVITEM* in)
{
    if (!in || in->iSubItem != 0 || m_rows.size() >= max_rows)
        return -1;
    Row row;
    row.cells.resize(1);
    if (in->mask & LVIF_TEXT) {
        row.cells[0].text_callback = in->pszText == LPSTR_TEXTCALLBACK;
        if (!row.cells[0].text_callback && in->pszText)
            row.cells[0].text = in->pszText;
    }
    if (in->mask & LVIF_IMAGE)
        row.image = in->iImage;
    if (in->mask & LVIF_PARAM)
        row.data = in->lParam;
    if (in->mask & LVIF_INDENT)
        row.indent = in->iIndent;
    int at = std::clamp(in->iItem, 0, count());
    if (style() & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
        const bool down = (style() & LVS_SORTDESCENDING) != 0;
        at = 0;
        while (at < count()) {
            const int c = controls::compare_nocase_1252(m_rows[static_cast<size_t>(at)].cells[0].text, row.cells[0].text);
            if (down ? c < 0 : c > 0)
                break;
            ++at;
        }
    }
    m_rows.insert(m_rows.begin() + at, std::move(row));
    if (m_anchor >= at)
        ++m_anchor;
    HWND self = m_window;
    notify_list(LVN_INSERTITEM, at);
    if (!IsWindow(self))
        return -1;
    // A state asked for on insertion is set as a change of the new row.
    if ((in->mask & LVIF_STATE) && (in->stateMask & in->state) && valid(at))
        change_state(at, in->state, in->stateMask);
    clamp();
    update_scroll_bars();
    redraw();
    return at;
}

bool ListView::change_state(int index, UINT state, UINT mask)
{
    if (!valid(index))
        return false;
    // One focused row, and one selected row with LVS_SINGLESEL: the others
    // lose it first, each with its own change.
    HWND self = m_window;
    if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED)) {
        for (int i = 0; i < count(); ++i)
            if (i != index && (m_rows[static_cast<size_t>(i)].state & LVIS_FOCUSED))
                if (!change_state(i, 0, LVIS_FOCUSED) || !IsWindow(self))
                    return false;
    }
    if ((mask & LVIS_SELECTED) && (state & LVIS_SELECTED) && single()) {
        for (int i = 0; i < count(); ++i)
            if (i != index && (m_rows[static_cast<size_t>(i)].state & LVIS_SELECTED))
                if (!change_state(i, 0, LVIS_SELECTED) || !IsWindow(self))
                    return false;
    }
    if (!valid(index))
        return false;
    const UINT before = m_rows[static_cast<size_t>(index)].state;
    const UINT after = (before & ~mask) | (state & mask);
    if (after == before)
        return true;
    NMLISTVIEW nm{};
    nm.iItem = index;
    nm.uNewState = after;
    nm.uOldState = before;
    nm.uChanged = LVIF_STATE;
    nm.ptAction = POINT{-1, -1};
    nm.lParam = m_rows[static_cast<size_t>(index)].data;
    if (notify(self, LVN_ITEMCHANGING, nm.hdr) || !IsWindow(self) || !valid(index))
        return false;
    m_rows[static_cast<size_t>(index)].state = after;
    if (after & LVIS_SELECTED)
        m_anchor = index;
    invalidate_row(index);
    notify_list(LVN_ITEMCHANGED, index, 0, after, before, LVIF_STATE);
    return IsWindow(self);
}

LRESULT ListView::on_set_state(int index, const LVITEM* in)
{
    if (!in)
        return FALSE;
    if (index == -1) {
        HWND self = m_window;
        for (int i = 0; i < count(); ++i)
            if (!change_state(i, in->state, in->stateMask) && !IsWindow(self))
                return FALSE;
        return TRUE;
    }
    return valid(index) && change_state(index, in->state, in->stateMask) ? TRUE : FALSE;
}

LRESULT ListView::on_set_item(const LVITEM* in)
{
    if (!in || !addressable(in->iItem, in->iSubItem))
        return FALSE;
    Row& row = m_rows[static_cast<size_t>(in->iItem)];
    if (in->mask & LVIF_TEXT) {
        Cell* c = cell(in->iItem, in->iSubItem);
        c->text_callback = in->pszText == LPSTR_TEXTCALLBACK;
        c->text = c->text_callback || !in->pszText ? std::string() : std::string(in->pszText);
    }
    if (in->iSubItem == 0) {
        if (in->mask & LVIF_IMAGE)
            row.image = in->iImage;
        if (in->mask & LVIF_PARAM)
            row.data = in->lParam;
        if (in->mask & LVIF_INDENT)
            row.indent = in->iIndent;
        if (in->mask & LVIF_STATE)
            change_state(in->iItem, in->state, in->stateMask);
    }
    invalidate_row(in->iItem);
    return TRUE;
}

LRESULT ListView::on_get_item(LVITEM* out)
{
    if (!out || !addressable(out->iItem, out->iSubItem))
        return FALSE;
    if (out->mask & LVIF_TEXT) {
        copy_text(out->iItem, *out);
        if (!valid(out->iItem))
            return FALSE;
    }
    const Row& row = m_rows[static_cast<size_t>(out->iItem)];
    if (out->mask & LVIF_IMAGE)
        out->iImage = row.image;
    if (out->mask & LVIF_PARAM)
        out->lParam = row.data;
    if (out->mask & LVIF_STATE)
        out->state = row.state & out->stateMask;
    if (out->mask & LVIF_INDENT)
        out->iIndent = row.indent;
    return TRUE;
}

LRESULT ListView::on_get_text(int index, LVITEM* out)
{
    return out && addressable(index, out->iSubItem) ? copy_text(index, *out) : 0;
}

LRESULT ListView::copy_text(int row, const LVITEM& item)
{
    if (!item.pszText || item.cchTextMax <= 0)
        return 0;
    return controls::copy_out(text_of(row, item.iSubItem), item.pszText, static_cast<size_t>(item.cchTextMax));
}

LRESULT ListView::on_set_text(int index, const LVITEM* in)
{
    if (!in)
        return FALSE;
    LVITEM item = *in;
    item.mask = LVIF_TEXT;
    item.iItem = index;
    return on_set_item(&item);
}

LRESULT ListView::on_delete_item(int index)
{
    if (!valid(index))
        return FALSE;
    HWND self = m_window;
    notify_list(LVN_DELETEITEM, index);
    if (!IsWindow(self) || !valid(index))
        return FALSE;
    m_rows.erase(m_rows.begin() + index);
    if (m_anchor == index)
        m_anchor = -1;
    else if (m_anchor > index)
        --m_anchor;
    clamp();
    update_scroll_bars();
    redraw();
    return TRUE;
}

LRESULT ListView::on_delete_all()
{
    if (m_rows.empty())
        return TRUE;
    HWND self = m_window;
    NMLISTVIEW nm{};
    nm.iItem = -1;
    // A nonzero answer spares the parent one LVN_DELETEITEM per row.
    const bool quiet = notify(self, LVN_DELETEALLITEMS, nm.hdr) != 0;
    if (!IsWindow(self))
        return FALSE;
    if (!quiet) {
        for (int i = 0; i < count(); ++i) {
            notify_list(LVN_DELETEITEM, i);
            if (!IsWindow(self))
                return FALSE;
        }
    }
    m_rows.clear();
    m_anchor = -1;
    m_top = 0;
    update_scroll_bars();
    redraw();
    return TRUE;
}

LRESULT ListView::on_get_next(int start, UINT flags) const
{
    const UINT want = flags & (LVNI_SELECTED | LVNI_FOCUSED | LVNI_CUT | LVNI_DROPHILITED);
    auto matches = [&](int i) {
        const UINT state = m_rows[static_cast<size_t>(i)].state;
        return ((want & LVNI_SELECTED) == 0 || (state & LVIS_SELECTED)) &&
               ((want & LVNI_FOCUSED) == 0 || (state & LVIS_FOCUSED)) &&
               ((want & LVNI_CUT) == 0 || (state & LVIS_CUT)) &&
               ((want & LVNI_DROPHILITED) == 0 || (state & LVIS_DROPHILITED));
    };
    if (flags & (LVNI_ABOVE | LVNI_TOLEFT)) {
        for (int i = std::min(start, count()) - 1; i >= 0; --i)
            if (matches(i))
                return i;
        return -1;
    }
    for (int i = std::max(start + 1, 0); i < count(); ++i)
        if (matches(i))
            return i;
    return -1;
}

LRESULT ListView::on_insert_column(int index, const LVCOLUMN* in)
{
    if (!in || !m_header || columns() >= max_columns)
        return -1;
    HDITEM item{};
    item.mask = HDI_FORMAT;
    // The first column is always left-aligned, as on Windows.
    const int at = std::clamp(index, 0, columns());
    item.fmt = HDF_STRING | (at == 0 ? HDF_LEFT : ((in->mask & LVCF_FMT) ? (in->fmt & LVCFMT_JUSTIFYMASK) : HDF_LEFT));
    if (in->mask & LVCF_TEXT) {
        item.mask |= HDI_TEXT;
        item.pszText = in->pszText;
    }
    if (in->mask & LVCF_WIDTH) {
        item.mask |= HDI_WIDTH;
        item.cxy = std::max(in->cx, 0);
    }
    if (in->mask & LVCF_IMAGE) {
        item.mask |= HDI_IMAGE;
        item.iImage = in->iImage;
        item.fmt |= HDF_IMAGE;
    }
    if (in->mask & LVCF_ORDER) {
        item.mask |= HDI_ORDER;
        item.iOrder = in->iOrder;
    }
    const int got = static_cast<int>(SendMessage(m_header, HDM_INSERTITEM, static_cast<WPARAM>(at),
                                                 reinterpret_cast<LPARAM>(&item)));
    if (got < 0)
        return -1;
    const int sub = (in->mask & LVCF_SUBITEM) ? std::clamp(in->iSubItem, 0, max_columns - 1) : got;
    m_subitems.insert(m_subitems.begin() + got, sub);
    layout_header();
    update_scroll_bars();
    redraw();
    return got;
}

LRESULT ListView::on_get_column(int index, LVCOLUMN* out)
{
    if (!out || index < 0 || index >= columns())
        return FALSE;
    HDITEM item{};
    item.mask = HDI_FORMAT | HDI_WIDTH | HDI_ORDER | HDI_IMAGE;
    if (out->mask & LVCF_TEXT) {
        item.mask |= HDI_TEXT;
        item.pszText = out->pszText;
        item.cchTextMax = out->cchTextMax;
    }
    if (!SendMessage(m_header, HDM_GETITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return FALSE;
    if (out->mask & LVCF_FMT)
        out->fmt = item.fmt & (LVCFMT_JUSTIFYMASK | LVCFMT_IMAGE);
    if (out->mask & LVCF_WIDTH)
        out->cx = item.cxy;
    if (out->mask & LVCF_SUBITEM)
        out->iSubItem = subitem_of(index);
    if (out->mask & LVCF_IMAGE)
        out->iImage = item.iImage;
    if (out->mask & LVCF_ORDER)
        out->iOrder = item.iOrder;
    return TRUE;
}

LRESULT ListView::on_set_column(int index, const LVCOLUMN* in)
{
    if (!in || index < 0 || index >= columns())
        return FALSE;
    HDITEM item{};
    if (in->mask & LVCF_TEXT) {
        item.mask |= HDI_TEXT;
        item.pszText = in->pszText;
    }
    if (in->mask & LVCF_WIDTH) {
        item.mask |= HDI_WIDTH;
        item.cxy = std::max(in->cx, 0);
    }
    if ((in->mask & LVCF_FMT) && index > 0) {
        item.mask |= HDI_FORMAT;
        item.fmt = HDF_STRING | (in->fmt & LVCFMT_JUSTIFYMASK);
    }
    if (in->mask & LVCF_IMAGE) {
        item.mask |= HDI_IMAGE;
        item.iImage = in->iImage;
    }
    if (in->mask & LVCF_ORDER) {
        item.mask |= HDI_ORDER;
        item.iOrder = in->iOrder;
    }
    if (in->mask & LVCF_SUBITEM)
        m_subitems[static_cast<size_t>(index)] = std::clamp(in->iSubItem, 0, max_columns - 1);
    return SendMessage(m_header, HDM_SETITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

LRESULT ListView::on_delete_column(int index)
{
    if (index < 0 || index >= columns())
        return FALSE;
    if (!SendMessage(m_header, HDM_DELETEITEM, static_cast<WPARAM>(index), 0))
        return FALSE;
    const int sub = m_subitems[static_cast<size_t>(index)];
    m_subitems.erase(m_subitems.begin() + index);
    // The cells of that subitem go with it.
    for (Row& row : m_rows)
        if (sub > 0 && sub < static_cast<int>(row.cells.size()))
            row.cells[static_cast<size_t>(sub)] = Cell{};
    layout_header();
    update_scroll_bars();
    redraw();
    return TRUE;
}

int ListView::content_width(int column)
{
    const int sub = subitem_of(column);
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, label_width(m_window, text_of(i, sub)));
    int width = widest + cell_margin;
    int cx = 0, cy = 0;
    if (sub == 0 && m_small && ImageList_GetIconSize(m_small, &cx, &cy))
        width += cx + 2;
    if (sub == 0 && m_state_images && ImageList_GetIconSize(m_state_images, &cx, &cy))
        width += cx;
    return width;
}

LRESULT ListView::on_set_column_width(int index, int width)
{
    if (index < 0 || index >= columns())
        return FALSE;
    if (width == LVSCW_AUTOSIZE) {
        width = content_width(index);
    } else if (width == LVSCW_AUTOSIZE_USEHEADER) {
        char title[260] = {};
        HDITEM item{};
        item.mask = HDI_TEXT;
        item.pszText = title;
        item.cchTextMax = sizeof title;
        SendMessage(m_header, HDM_GETITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        width = std::max(label_width(m_window, title) + title_margin, content_width(index));
        // The last column also fills what the list has left on the right.
        if (index == columns() - 1) {
            RECT client;
            GetClientRect(m_window, &client);
            int others = 0;
            for (int c = 0; c < columns() - 1; ++c)
                others += static_cast<int>(SendMessage(m_window, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
            width = std::max(width, static_cast<int>(client.right) - others);
        }
    } else if (width < 0) {
        return FALSE;
    }
    HDITEM item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    return SendMessage(m_header, HDM_SETITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

LRESULT ListView::on_header_notify(NMHDR* hdr)
{
    // The parent hears the header as Windows lets it, and its answer stands.
    HWND self = m_window;
    HWND parent = GetParent(self);
    const LRESULT answer = parent ? SendMessage(parent, WM_NOTIFY, hdr->idFrom, reinterpret_cast<LPARAM>(hdr)) : 0;
    if (!IsWindow(self))
        return answer;
    auto* nm = reinterpret_cast<NMHEADER*>(hdr);
    switch (hdr->code) {
    case HDN_ITEMCHANGED:
        layout_header();
        clamp();
        update_scroll_bars();
        redraw();
        break;
    case HDN_ITEMCLICK:
        notify_list(LVN_COLUMNCLICK, -1, nm->iItem);
        break;
    case HDN_DIVIDERDBLCLICK:
        if (!answer)
            on_set_column_width(nm->iItem, LVSCW_AUTOSIZE);
        break;
    default:
        break;
    }
    return answer;
}

LRESULT ListView::on_get_item_rect(int index, RECT* rect)
{
    if (!rect || !valid(index))
        return FALSE;
    const int code = rect->left;
    RECT first = cell_rect(index, 0);
    RECT r{-m_scroll_x, first.top, total_width() - m_scroll_x, first.bottom};
    int cx = 0, cy = 0;
    const int state_width = m_state_images && ImageList_GetIconSize(m_state_images, &cx, &cy) ? cx : 0;
    const int icon_width = m_small && ImageList_GetIconSize(m_small, &cx, &cy) ? cx : 0;
    const int icon_left = first.left + state_width;
    switch (code) {
    case LVIR_BOUNDS:
        break;
    case LVIR_ICON:
        r = RECT{icon_left, first.top, icon_left + icon_width, first.bottom};
        break;
    case LVIR_LABEL:
        r = RECT{icon_left + icon_width, first.top, first.right, first.bottom};
        break;
    case LVIR_SELECTBOUNDS:
        if (!(m_ex_style & LVS_EX_FULLROWSELECT))
            r = RECT{icon_left, first.top, first.right, first.bottom};
        break;
    default:
        return FALSE;
    }
    *rect = r;
    return TRUE;
}

LRESULT ListView::on_get_subitem_rect(int index, RECT* rect)
{
    if (!rect || !valid(index))
        return FALSE;
    const int sub = rect->top;
    const int code = rect->left;
    if (sub == 0) {
        RECT r{code, 0, 0, 0};
        if (!on_get_item_rect(index, &r))
            return FALSE;
        *rect = r;
        return TRUE;
    }
    const int column = column_of(sub);
    if (column < 0)
        return FALSE;
    *rect = cell_rect(index, column);
    return TRUE;
}

LRESULT ListView::on_hit_test(LVHITTESTINFO* info, bool subitems)
{
    if (!info)
        return -1;
    info->flags = 0;
    info->iItem = -1;
    info->iSubItem = 0;
    RECT client;
    GetClientRect(m_window, &client);
    const POINT p = info->pt;
    if (p.y < header_height())
        info->flags |= LVHT_ABOVE;
    if (p.y >= client.bottom)
        info->flags |= LVHT_BELOW;
    if (p.x < 0)
        info->flags |= LVHT_TOLEFT;
    if (p.x >= client.right)
        info->flags |= LVHT_TORIGHT;
    if (info->flags)
        return -1;
    const int row = m_top + (p.y - header_height()) / std::max(row_height(), 1);
    if (!valid(row)) {
        info->flags = LVHT_NOWHERE;
        return -1;
    }
    int column = -1;
    for (int c = 0; c < columns(); ++c) {
        const RECT r = cell_rect(row, c);
        if (p.x >= r.left && p.x < r.right)
            column = c;
    }
    RECT icon{LVIR_ICON, 0, 0, 0};
    on_get_item_rect(row, &icon);
    RECT label{LVIR_LABEL, 0, 0, 0};
    on_get_item_rect(row, &label);
    if (p.x >= icon.left && p.x < icon.right)
        info->flags = LVHT_ONITEMICON;
    else if (p.x >= label.left && p.x < label.right)
        info->flags = LVHT_ONITEMLABEL;
    else if (p.x < icon.left && column == 0)
        info->flags = LVHT_ONITEMSTATEICON;
    else if (column >= 0 && ((m_ex_style & LVS_EX_FULLROWSELECT) || subitems))
        info->flags = LVHT_ONITEMLABEL;
    else
        info->flags = LVHT_NOWHERE;
    if (subitems && column >= 0)
        info->iSubItem = subitem_of(column);
    if (info->flags == LVHT_NOWHERE && !subitems)
        return -1;
    if (info->flags == LVHT_NOWHERE && column < 0)
        return -1;
    info->iItem = row;
    return row;
}

LRESULT ListView::on_find(int start, const LVFINDINFO* find)
{
    if (!find || count() == 0)
        return -1;
    const int first = std::max(start + 1, 0);
    const int n = count();
    const int span = (find->flags & LVFI_WRAP) ? n : n - first;
    for (int step = 0; step < span; ++step) {
        const int i = (first + step) % n;
        if (find->flags & LVFI_PARAM) {
            if (m_rows[static_cast<size_t>(i)].data == find->lParam)
                return i;
        } else if ((find->flags & (LVFI_STRING | LVFI_PARTIAL)) && find->psz) {
            const std::string text = text_of(i, 0);
            const std::string_view wanted(find->psz, strnlen(find->psz, 4096));
            if ((find->flags & LVFI_PARTIAL) ? controls::starts_with_nocase_1252(text, wanted)
                                             : controls::compare_nocase_1252(text, wanted) == 0)
                return i;
        }
    }
    return -1;
}

LRESULT ListView::on_sort(LPARAM data, PFNLVCOMPARE compare)
{
    if (!compare)
        return FALSE;
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [&](const Row& a, const Row& b) { return compare(a.data, b.data, data) < 0; });
    m_anchor = -1;
    redraw();
    return TRUE;
}

void ListView::pick(int index)
{
    HWND self = m_window;
    for (int i = 0; i < count(); ++i) {
        if (i != index && (m_rows[static_cast<size_t>(i)].state & LVIS_SELECTED)) {
            if (!change_state(i, 0, LVIS_SELECTED) && !IsWindow(self))
                return;
        }
    }
    if (valid(index)) {
        change_state(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        if (IsWindow(self) && valid(index))
            ensure_visible(index);
    }
}

LRESULT ListView::on_button_down(LPARAM lParam, bool right)
{
    HWND self = m_window;
    SetFocus(self);
    if (!IsWindow(self))
        return 0;
    LVHITTESTINFO hit{};
    hit.pt = controls::point_of(lParam);
    const int row = static_cast<int>(on_hit_test(&hit, false));
    // The selection moves on the press; the click is told on the release.
    if (row >= 0 && !single() && controls::control_down() && !right) {
        const bool on = (m_rows[static_cast<size_t>(row)].state & LVIS_SELECTED) != 0;
        change_state(row, (on ? 0 : LVIS_SELECTED) | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    } else if (row >= 0 && !single() && controls::shift_down() && m_anchor >= 0 && !right) {
        const int low = std::min(m_anchor, row), high = std::max(m_anchor, row);
        const int anchor = m_anchor;
        for (int i = 0; i < count() && IsWindow(self); ++i)
            change_state(i, i >= low && i <= high ? LVIS_SELECTED : 0, LVIS_SELECTED);
        if (IsWindow(self))
            change_state(row, LVIS_FOCUSED, LVIS_FOCUSED);
        m_anchor = anchor;
    } else if (row < 0 || !right || !(m_rows[static_cast<size_t>(row)].state & LVIS_SELECTED)) {
        pick(row);
    }
    if (!IsWindow(self))
        return 0;
    m_pressed = row;
    m_tracking = true;
    controls::capture_mouse(self);
    return 0;
}

LRESULT ListView::on_button_up(LPARAM lParam, bool right)
{
    if (!m_tracking)
        return 0;
    m_tracking = false;
    controls::release_mouse(m_window);
    LVHITTESTINFO hit{};
    hit.pt = controls::point_of(lParam);
    on_hit_test(&hit, true);
    NMITEMACTIVATE nm{};
    nm.iItem = hit.iItem;
    nm.iSubItem = hit.iSubItem;
    nm.ptAction = hit.pt;
    nm.uKeyFlags = (controls::control_down() ? LVKF_CONTROL : 0) | (controls::shift_down() ? LVKF_SHIFT : 0);
    notify(m_window, right ? NM_RCLICK : NM_CLICK, nm.hdr);
    return 0;
}

LRESULT ListView::on_double_click(LPARAM lParam)
{
    HWND self = m_window;
    LVHITTESTINFO hit{};
    hit.pt = controls::point_of(lParam);
    const int row = static_cast<int>(on_hit_test(&hit, false));
    on_hit_test(&hit, true);
    NMITEMACTIVATE nm{};
    nm.iItem = hit.iItem;
    nm.iSubItem = hit.iSubItem;
    nm.ptAction = hit.pt;
    notify(self, NM_DBLCLK, nm.hdr);
    if (IsWindow(self) && row >= 0) {
        NMITEMACTIVATE act = nm;
        notify(self, LVN_ITEMACTIVATE, act.hdr);
    }
    return 0;
}

LRESULT ListView::on_key_down(WPARAM key)
{
    HWND self = m_window;
    NMLVKEYDOWN nm{};
    nm.wVKey = static_cast<WORD>(key);
    notify(self, LVN_KEYDOWN, nm.hdr);
    if (!IsWindow(self) || count() == 0)
        return 0;
    const int focus = static_cast<int>(on_get_next(-1, LVNI_FOCUSED));
    const int page = std::max(rows_per_page() - 1, 1);
    int target = -2;
    switch (key) {
    case VK_UP:
        target = focus < 0 ? 0 : focus - 1;
        break;
    case VK_DOWN:
        target = focus < 0 ? 0 : focus + 1;
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = count() - 1;
        break;
    case VK_PRIOR:
        target = focus < 0 ? 0 : focus - page;
        break;
    case VK_NEXT:
        target = focus < 0 ? 0 : focus + page;
        break;
    case VK_RETURN: {
        notify(self, NM_RETURN);
        if (IsWindow(self) && focus >= 0) {
            NMITEMACTIVATE act{};
            act.iItem = focus;
            notify(self, LVN_ITEMACTIVATE, act.hdr);
        }
        return 0;
    }
    default:
        return 0;
    }
    pick(std::clamp(target, 0, count() - 1));
    return 0;
}

void ListView::scroll_rows_to(int top)
{
    const int before = m_top;
    m_top = top;
    clamp();
    if (m_top != before) {
        update_scroll_bars();
        redraw();
    }
}

void ListView::scroll_x_to(int x)
{
    const int before = m_scroll_x;
    m_scroll_x = x;
    clamp();
    if (m_scroll_x != before) {
        layout_header();
        update_scroll_bars();
        redraw();
    }
}

void ListView::clamp()
{
    const int page = std::max(rows_per_page(), 1);
    m_top = std::clamp(m_top, 0, std::max(count() - page, 0));
    RECT client;
    GetClientRect(m_window, &client);
    m_scroll_x = std::clamp(m_scroll_x, 0, std::max(total_width() - static_cast<int>(client.right), 0));
}

void ListView::update_scroll_bars()
{
    if (style() & LVS_NOSCROLL)
        return;
    fit_scroll_bar(m_window, SB_VERT, count(), rows_per_page(), m_top);
    if (!IsWindow(m_window))
        return;
    RECT client;
    GetClientRect(m_window, &client);
    fit_scroll_bar(m_window, SB_HORZ, total_width(), client.right, m_scroll_x);
}

LRESULT ListView::on_scroll(bool vertical, WPARAM wParam)
{
    const int code = LOWORD(wParam);
    if (vertical) {
        const int page = std::max(rows_per_page() - 1, 1);
        switch (code) {
        case SB_LINEUP: scroll_rows_to(m_top - 1); break;
        case SB_LINEDOWN: scroll_rows_to(m_top + 1); break;
        case SB_PAGEUP: scroll_rows_to(m_top - page); break;
        case SB_PAGEDOWN: scroll_rows_to(m_top + page); break;
        case SB_TOP: scroll_rows_to(0); break;
        case SB_BOTTOM: scroll_rows_to(count()); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: scroll_rows_to(static_cast<int>(HIWORD(wParam))); break;
        default: break;
        }
    } else {
        RECT client;
        GetClientRect(m_window, &client);
        const int line = 8;
        const int page = std::max(static_cast<int>(client.right) - line, line);
        switch (code) {
        case SB_LINELEFT: scroll_x_to(m_scroll_x - line); break;
        case SB_LINERIGHT: scroll_x_to(m_scroll_x + line); break;
        case SB_PAGELEFT: scroll_x_to(m_scroll_x - page); break;
        case SB_PAGERIGHT: scroll_x_to(m_scroll_x + page); break;
        case SB_LEFT: scroll_x_to(0); break;
        case SB_RIGHT: scroll_x_to(total_width()); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: scroll_x_to(static_cast<int>(HIWORD(wParam))); break;
        default: break;
        }
    }
    return 0;
}

void ListView::ensure_visible(int index)
{
    const int page = std::max(rows_per_page(), 1);
    if (index < m_top)
        scroll_rows_to(index);
    else if (index >= m_top + page)
        scroll_rows_to(index - page + 1);
}

void ListView::invalidate_row(int index)
{
    if (!valid(index))
        return;
    const RECT r = cell_rect(index, 0);
    invalidate_band(m_window, r.top, r.bottom);
}

// Custom draw offers the parent the list's own colours, as Windows does; a
// row whose state still says selected after it is drawn in the selection
// colours where they show.
LRESULT ListView::on_paint()
{
    HWND self = m_window;
    NMLVCUSTOMDRAW cd{};
    CustomDrawPaint paint(self, cd.nmcd);
    if (!paint.alive())
        return 0;
    HDC dc = paint.dc();
    const RECT& client = paint.client();
    const LRESULT wants = paint.wants();
    const bool focused = GetFocus() == self;
    const COLORREF own_back = m_text_back == CLR_NONE ? m_back : m_text_back;
    const int last = std::min(count(), m_top + rows_per_page() + 1);
    for (int row = m_top; row < last; ++row) {
        if (!valid(row))
            break;
        const UINT state = m_rows[static_cast<size_t>(row)].state;
        NMLVCUSTOMDRAW item{};
        item.nmcd.hdc = dc;
        item.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
        item.nmcd.uItemState = ((state & LVIS_SELECTED) ? CDIS_SELECTED : 0) |
                               ((state & LVIS_FOCUSED) && focused ? CDIS_FOCUS : 0);
        item.nmcd.lItemlParam = m_rows[static_cast<size_t>(row)].data;
        item.nmcd.rc = cell_rect(row, 0);
        item.nmcd.rc.left = 0;
        item.nmcd.rc.right = client.right;
        item.clrText = m_text;
        item.clrTextBk = own_back;
        LRESULT answer = CDRF_DODEFAULT;
        if (wants & CDRF_NOTIFYITEMDRAW) {
            item.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
            answer = notify(self, NM_CUSTOMDRAW, item.nmcd.hdr);
            if (!IsWindow(self))
                return 0;
            if (!valid(row))
                break;
        }
        const bool lit = (item.nmcd.uItemState & CDIS_SELECTED) && (focused || (style() & LVS_SHOWSELALWAYS));
        const bool full_row = (m_ex_style & LVS_EX_FULLROWSELECT) != 0;
        for (int c = 0; c < columns() && !(answer & CDRF_SKIPDEFAULT); ++c) {
            COLORREF cell_text = item.clrText, cell_back = item.clrTextBk;
            if (answer & CDRF_NOTIFYSUBITEMDRAW) {
                NMLVCUSTOMDRAW sub_cd = item;
                sub_cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
                sub_cd.nmcd.rc = cell_rect(row, c);
                sub_cd.iSubItem = subitem_of(c);
                const LRESULT cell_answer = notify(self, NM_CUSTOMDRAW, sub_cd.nmcd.hdr);
                if (!IsWindow(self))
                    return 0;
                if (!valid(row))
                    break;
                if (cell_answer & CDRF_SKIPDEFAULT)
                    continue;
                cell_text = sub_cd.clrText;
                cell_back = sub_cd.clrTextBk;
            }
            draw_cell(dc, row, c, cell_text, cell_back, lit && (full_row || subitem_of(c) == 0));
        }
        if (!valid(row))
            break;
        if (focused && (state & LVIS_FOCUSED) && !(answer & CDRF_SKIPDEFAULT)) {
            RECT focus = selection_rect(row);
            DrawFocusRect(dc, &focus);
        }
        if (answer & CDRF_NOTIFYPOSTPAINT) {
            item.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
            notify(self, NM_CUSTOMDRAW, item.nmcd.hdr);
            if (!IsWindow(self))
                return 0;
        }
    }
    if (m_ex_style & LVS_EX_GRIDLINES)
        draw_grid(dc, client);
    paint.finish();
    return 0;
}

RECT ListView::selection_rect(int row)
{
    RECT r{LVIR_SELECTBOUNDS, 0, 0, 0};
    on_get_item_rect(row, &r);
    if (!(m_ex_style & LVS_EX_FULLROWSELECT)) {
        RECT label{LVIR_LABEL, 0, 0, 0};
        on_get_item_rect(row, &label);
        r.right = std::min(label.left + label_width(m_window, text_of(row, 0)) + cell_margin, static_cast<int>(label.right));
    }
    return r;
}

void ListView::draw_cell(HDC dc, int row, int column, COLORREF text, COLORREF back, bool lit)
{
    const bool focused = GetFocus() == m_window;
    const int sub = subitem_of(column);
    RECT cell = cell_rect(row, column);
    if (cell.right <= cell.left)
        return;
    const Row& r = m_rows[static_cast<size_t>(row)];
    RECT label = cell;
    if (sub == 0) {
        RECT icon{LVIR_ICON, 0, 0, 0};
        on_get_item_rect(row, &icon);
        int cx = 0, cy = 0;
        if (back != CLR_NONE)
            fill(dc, RECT{cell.left, cell.top, icon.right, cell.bottom}, back, COLOR_WINDOW);
        const int state_image = static_cast<int>((r.state & LVIS_STATEIMAGEMASK) >> 12);
        if (m_state_images && state_image > 0 && ImageList_GetIconSize(m_state_images, &cx, &cy))
            ImageList_Draw(m_state_images, state_image - 1, dc, cell.left, cell.top + (cell.bottom - cell.top - cy) / 2,
                           ILD_TRANSPARENT);
        if (m_small && ImageList_GetIconSize(m_small, &cx, &cy))
            ImageList_Draw(m_small, r.image, dc, icon.left, cell.top + (cell.bottom - cell.top - cy) / 2,
                           ILD_TRANSPARENT);
        label.left = icon.right;
    }
    // The selection covers the whole cell in a full row, else the label's text.
    if (back != CLR_NONE)
        fill(dc, label, back, COLOR_WINDOW);
    if (lit) {
        RECT high = label;
        if (!(m_ex_style & LVS_EX_FULLROWSELECT))
            high.right = selection_rect(row).right;
        COLORREF lit_text = text, lit_back = back;
        selection_colours(true, focused, lit_text, lit_back);
        fill(dc, high, lit_back, COLOR_WINDOW);
        text = lit_text;
    }
    HDITEM format{};
    format.mask = HDI_FORMAT;
    SendMessage(m_header, HDM_GETITEM, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&format));
    UINT align = DT_LEFT;
    if (sub != 0 && (format.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT)
        align = DT_RIGHT;
    else if (sub != 0 && (format.fmt & HDF_JUSTIFYMASK) == HDF_CENTER)
        align = DT_CENTER;
    const std::string words = text_of(row, sub);
    RECT area = label;
    InflateRect(&area, -cell_margin / 2, 0);
    SetTextColor(dc, text);
    DrawText(dc, words.c_str(), static_cast<int>(words.size()), &area,
             align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

// Lines in the face colour under every row and at every column's right
// edge, down the whole client area as the classic grid shows them.
void ListView::draw_grid(HDC dc, const RECT& client)
{
    HBRUSH line = GetSysColorBrush(COLOR_BTNFACE);
    const int height = std::max(row_height(), 1);
    for (int y = header_height() + height - 1; y < client.bottom; y += height) {
        RECT r{0, y, client.right, y + 1};
        FillRect(dc, &r, line);
    }
    for (int c = 0; c < columns(); ++c) {
        const RECT cell = cell_rect(0, c);
        RECT r{cell.right - 1, header_height(), cell.right, client.bottom};
        FillRect(dc, &r, line);
    }
}

}  // namespace helm::user::commctrl
