#include "tab_control.h"

#include <algorithm>
#include <cstring>

namespace helm::user::commctrl {

namespace {
controls::ControlMap<TabControl>& tabs()
{
    static auto* map = new controls::ControlMap<TabControl>;
    return *map;
}

// Tabs start this far in; the display area sits inside the frame and a
// margin of 2 each.
constexpr int tabs_inset = 2;
constexpr int frame_and_margin = 4;
constexpr int default_min_width = 42;
constexpr int image_size = 16;
constexpr size_t max_text = 1024;
constexpr size_t max_items = 4096;
}  // namespace

TabControl::TabControl(HWND window, const CREATESTRUCT&) : m_window(window) {}

LRESULT CALLBACK TabControl::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return controls::run_control(tabs(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<TabControl>(w, cs);
    });
}

int TabControl::tab_width(const Item& item) const
{
    if ((style() & TCS_FIXEDWIDTH) && m_fixed_width > 0)
        return m_fixed_width;
    int width = 2 * m_padding.x + measured_width(m_window, item.text);
    if (item.image >= 0 && m_images)
        width += image_size + m_padding.x;
    const int least = m_min_width >= 0 ? m_min_width : default_min_width;
    return std::max(width, least);
}

std::vector<RECT> TabControl::layout(int* rows) const
{
    RECT client{};
    GetClientRect(m_window, &client);
    const int height = m_height > 0 ? m_height : controls::default_item_height + 2 * m_padding.y - 1;
    const bool multiline = (style() & TCS_MULTILINE) != 0;
    std::vector<RECT> out;
    int x = tabs_inset;
    int row = 0;
    for (const Item& item : m_items) {
        const int w = tab_width(item);
        if (multiline && x > tabs_inset && x + w > client.right - tabs_inset) {
            x = tabs_inset;
            ++row;
        }
        const int top = tabs_inset + row * height;
        out.push_back({x, top, x + w, top + height});
        x += w;
    }
    if (rows)
        *rows = m_items.empty() ? 0 : row + 1;
    return out;
}

int TabControl::item_at(POINT p, UINT* flags) const
{
    const std::vector<RECT> rects = layout();
    for (size_t i = 0; i < rects.size(); ++i) {
        if (PtInRect(&rects[i], p)) {
            if (flags) {
                const bool icon = m_items[i].image >= 0 && m_images && p.x < rects[i].left + m_padding.x + image_size;
                *flags = icon ? TCHT_ONITEMICON : TCHT_ONITEMLABEL;
            }
            return static_cast<int>(i);
        }
    }
    if (flags)
        *flags = TCHT_NOWHERE;
    return -1;
}

void TabControl::take(Item& item, const TCITEMA& from)
{
    if ((from.mask & TCIF_TEXT) && from.pszText && from.pszText != LPSTR_TEXTCALLBACK)
        item.text.assign(from.pszText, strnlen(from.pszText, max_text));
    if (from.mask & TCIF_IMAGE)
        item.image = from.iImage;
    if (from.mask & TCIF_PARAM)
        item.param = from.lParam;
    if (from.mask & TCIF_STATE)
        item.state = (item.state & ~from.dwStateMask) | (from.dwState & from.dwStateMask);
}

void TabControl::give(const Item& item, TCITEMA& to) const
{
    if ((to.mask & TCIF_TEXT) && to.pszText && to.cchTextMax > 0)
        controls::copy_out(item.text, to.pszText, static_cast<size_t>(to.cchTextMax));
    if (to.mask & TCIF_IMAGE)
        to.iImage = item.image;
    if (to.mask & TCIF_PARAM)
        to.lParam = item.param;
    if (to.mask & TCIF_STATE)
        to.dwState = item.state & to.dwStateMask;
}

LRESULT TabControl::insert(WPARAM index, const TCITEMA* item)
{
    if (!item || m_items.size() >= max_items || static_cast<int>(index) < 0)
        return -1;
    const auto at = static_cast<int>(std::min<size_t>(index, m_items.size()));
    Item made;
    take(made, *item);
    m_items.insert(m_items.begin() + at, made);
    // The first tab becomes the selected one; later ones shift it along.
    if (m_selected < 0 && m_items.size() == 1)
        m_selected = 0;
    else if (m_selected >= at)
        ++m_selected;
    if (m_focus >= at)
        ++m_focus;
    InvalidateRect(m_window, nullptr, TRUE);
    return at;
}

LRESULT TabControl::remove(WPARAM index)
{
    if (!valid(index))
        return FALSE;
    const auto at = static_cast<int>(index);
    m_items.erase(m_items.begin() + at);
    if (m_selected == at)
        m_selected = -1;
    else if (m_selected > at)
        --m_selected;
    if (m_focus == at)
        m_focus = -1;
    else if (m_focus > at)
        --m_focus;
    InvalidateRect(m_window, nullptr, TRUE);
    return TRUE;
}

LRESULT TabControl::adjust(bool larger, RECT* r) const
{
    if (!r)
        return 0;
    int rows = 0;
    const std::vector<RECT> rects = layout(&rows);
    const int tabs_height = rows > 0 ? rects.back().bottom : tabs_inset;
    if (larger) {
        // From a display area to the control's rectangle around it.
        r->left -= frame_and_margin;
        r->right += frame_and_margin;
        r->top -= tabs_height + frame_and_margin - tabs_inset;
        r->bottom += frame_and_margin;
    } else {
        r->left += frame_and_margin;
        r->right -= frame_and_margin;
        r->top += tabs_height + frame_and_margin - tabs_inset;
        r->bottom -= frame_and_margin;
    }
    return 0;
}

bool TabControl::pick(int index)
{
    if (index < 0 || index >= count() || index == m_selected)
        return false;
    if (notify(m_window, TCN_SELCHANGING) || !IsWindow(m_window))
        return false;
    if (index >= count())
        return false;  // the parent took tabs away meanwhile
    m_selected = index;
    m_focus = index;
    InvalidateRect(m_window, nullptr, TRUE);
    notify(m_window, TCN_SELCHANGE);
    return true;
}

LRESULT TabControl::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case TCM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(m_images);
    case TCM_SETIMAGELIST: {
        HIMAGELIST before = m_images;
        m_images = reinterpret_cast<HIMAGELIST>(lParam);
        InvalidateRect(m_window, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(before);
    }
    case TCM_GETITEMCOUNT:
        return count();
    case TCM_GETITEMA: {
        auto* item = reinterpret_cast<TCITEMA*>(lParam);
        if (!item || !valid(wParam))
            return FALSE;
        give(m_items[wParam], *item);
        return TRUE;
    }
    case TCM_SETITEMA: {
        const auto* item = reinterpret_cast<const TCITEMA*>(lParam);
        if (!item || !valid(wParam))
            return FALSE;
        take(m_items[wParam], *item);
        InvalidateRect(m_window, nullptr, TRUE);
        return TRUE;
    }
    case TCM_INSERTITEMA:
        return insert(wParam, reinterpret_cast<const TCITEMA*>(lParam));
    case TCM_DELETEITEM:
        return remove(wParam);
    case TCM_DELETEALLITEMS:
        m_items.clear();
        m_selected = m_focus = -1;
        InvalidateRect(m_window, nullptr, TRUE);
        return TRUE;
    case TCM_GETITEMRECT: {
        auto* out = reinterpret_cast<RECT*>(lParam);
        if (!out || !valid(wParam))
            return FALSE;
        *out = layout()[wParam];
        return TRUE;
    }
    case TCM_GETCURSEL:
        return m_selected;
    case TCM_SETCURSEL: {
        if (!valid(wParam))
            return -1;
        const int before = m_selected;
        m_selected = static_cast<int>(wParam);
        m_focus = m_selected;
        InvalidateRect(m_window, nullptr, TRUE);
        return before;
    }
    case TCM_GETCURFOCUS:
        return m_focus >= 0 ? m_focus : m_selected;
    case TCM_SETCURFOCUS:
        if (!valid(wParam))
            return 0;
        // Without buttons the focused tab is the selected one.
        if (style() & TCS_BUTTONS)
            m_focus = static_cast<int>(wParam);
        else
            pick(static_cast<int>(wParam));
        return 0;
    case TCM_HITTEST: {
        auto* hit = reinterpret_cast<TCHITTESTINFO*>(lParam);
        if (!hit)
            return -1;
        return item_at(hit->pt, &hit->flags);
    }
    case TCM_SETITEMEXTRA:
        return TRUE;
    case TCM_ADJUSTRECT:
        return adjust(wParam != 0, reinterpret_cast<RECT*>(lParam));
    case TCM_SETITEMSIZE: {
        const int h = m_height > 0 ? m_height : controls::default_item_height + 2 * m_padding.y - 1;
        const LRESULT before = MAKELONG(m_fixed_width, h);
        m_fixed_width = LOWORD(lParam);
        if (HIWORD(lParam))
            m_height = HIWORD(lParam);
        InvalidateRect(m_window, nullptr, TRUE);
        return before;
    }
    case TCM_SETPADDING:
        m_padding = {LOWORD(lParam), HIWORD(lParam)};
        return 0;
    case TCM_SETMINTABWIDTH: {
        const int before = m_min_width >= 0 ? m_min_width : default_min_width;
        m_min_width = static_cast<int>(lParam);
        return before;
    }
    case TCM_GETROWCOUNT: {
        int rows = 0;
        layout(&rows);
        return rows;
    }
    case TCM_GETTOOLTIPS:
        return reinterpret_cast<LRESULT>(m_tooltips);
    case TCM_SETTOOLTIPS:
        m_tooltips = reinterpret_cast<HWND>(wParam);
        return 0;
    case TCM_DESELECTALL:
        for (Item& item : m_items)
            if (!wParam || static_cast<int>(&item - m_items.data()) != m_selected)
                item.state &= ~static_cast<DWORD>(TCIS_BUTTONPRESSED);
        return 0;
    case TCM_HIGHLIGHTITEM:
        if (!valid(wParam))
            return FALSE;
        if (LOWORD(lParam))
            m_items[wParam].state |= TCIS_HIGHLIGHTED;
        else
            m_items[wParam].state &= ~static_cast<DWORD>(TCIS_HIGHLIGHTED);
        InvalidateRect(m_window, nullptr, TRUE);
        return TRUE;
    case WM_LBUTTONDOWN: {
        const int at = item_at(controls::point_of(lParam), nullptr);
        if ((style() & TCS_FOCUSONBUTTONDOWN) && !(style() & TCS_FOCUSNEVER) && GetFocus() != m_window)
            SetFocus(m_window);
        if (IsWindow(m_window) && at >= 0)
            pick(at);
        return 0;
    }
    case WM_LBUTTONUP:
        if (item_at(controls::point_of(lParam), nullptr) >= 0)
            notify(m_window, NM_CLICK);
        return 0;
    case WM_RBUTTONUP:
        notify(m_window, NM_RCLICK);
        return 0;
    case WM_KEYDOWN: {
        NMTCKEYDOWN block{};
        block.wVKey = static_cast<WORD>(wParam);
        notify(m_window, TCN_KEYDOWN, block.hdr);
        if (!IsWindow(m_window))
            return 0;
        const int from = m_selected < 0 ? 0 : m_selected;
        if (wParam == VK_LEFT || wParam == VK_UP)
            pick(std::max(0, from - 1));
        else if (wParam == VK_RIGHT || wParam == VK_DOWN)
            pick(std::min(count() - 1, from + 1));
        else if (wParam == VK_HOME)
            pick(0);
        else if (wParam == VK_END)
            pick(count() - 1);
        return 0;
    }
    case WM_SETFOCUS:
        notify(m_window, NM_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        notify(m_window, NM_KILLFOCUS);
        return 0;
    case WM_PAINT:
        return on_paint();
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

// The classic look: a raised pane below the tabs, each tab raised on three
// sides with its text centred; the selected tab stands 2 pixels taller and
// wider and joins the pane, with the focus dots round its text.
LRESULT TabControl::on_paint()
{
    Paint paint(m_window);
    HDC dc = paint.dc();
    if (!dc)
        return 0;
    RECT client = paint.client();
    FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
    const std::vector<RECT> rects = layout();
    RECT pane = client;
    pane.top = rects.empty() ? tabs_inset : rects.back().bottom;
    DrawEdge(dc, &pane, EDGE_RAISED, BF_RECT | BF_SOFT);
    const bool enabled = IsWindowEnabled(m_window) != FALSE;
    // The selected tab last, over its neighbours.
    std::vector<size_t> order;
    for (size_t i = 0; i < rects.size(); ++i)
        if (static_cast<int>(i) != m_selected)
            order.push_back(i);
    if (m_selected >= 0 && static_cast<size_t>(m_selected) < rects.size())
        order.push_back(static_cast<size_t>(m_selected));
    for (size_t i : order) {
        RECT tab = rects[i];
        const bool selected = static_cast<int>(i) == m_selected;
        if (selected) {
            InflateRect(&tab, 2, 0);
            tab.top -= 2;
            tab.bottom += 1;
        }
        RECT face = tab;
        FillRect(dc, &face, GetSysColorBrush(COLOR_3DFACE));
        DrawEdge(dc, &face, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_SOFT);
        if (selected) {
            // Open to the pane: its top edge goes under the tab.
            RECT join{tab.left + 1, pane.top, tab.right - 2, pane.top + 2};
            FillRect(dc, &join, GetSysColorBrush(COLOR_3DFACE));
        }
        RECT text = tab;
        if (m_items[i].image >= 0 && m_images)
            text.left += image_size + m_padding.x;
        draw_text(dc, m_items[i].text, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                  enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
        if (selected && GetFocus() == m_window) {
            RECT focus = tab;
            InflateRect(&focus, -3, -3);
            DrawFocusRect(dc, &focus);
        }
    }
    return 0;
}

}  // namespace helm::user::commctrl
