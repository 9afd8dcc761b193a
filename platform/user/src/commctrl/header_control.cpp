#include "header_control.h"

#include <algorithm>
#include <cstring>

#include "view_text.h"

namespace helm::user::commctrl {

namespace {

controls::ControlMap<HeaderControl>& headers()
{
    static auto* map = new controls::ControlMap<HeaderControl>;
    return *map;
}

constexpr size_t max_items = 4096;
// How far from a divider the mouse still takes it.
constexpr int divider_reach = 4;

}  // namespace

HeaderControl::HeaderControl(HWND window, const CREATESTRUCT&) : m_window(window) {}

LRESULT CALLBACK HeaderControl::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return controls::run_control(headers(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<HeaderControl>(w, cs);
    });
}

int HeaderControl::height_for(HWND window) { return line_height(window) + 4; }

LRESULT HeaderControl::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case HDM_GETITEMCOUNT:
        return count();
    case HDM_INSERTITEM:
        return on_insert(wParam, reinterpret_cast<const HDITEM*>(lParam));
    case HDM_DELETEITEM:
        return on_delete(wParam);
    case HDM_GETITEM:
        return on_get(wParam, reinterpret_cast<HDITEM*>(lParam));
    case HDM_SETITEM:
        return on_set(wParam, reinterpret_cast<const HDITEM*>(lParam));
    case HDM_LAYOUT:
        return on_layout(reinterpret_cast<HDLAYOUT*>(lParam));
    case HDM_HITTEST:
        return on_hit_test(reinterpret_cast<HDHITTESTINFO*>(lParam));
    case HDM_GETITEMRECT:
        return on_get_rect(wParam, reinterpret_cast<RECT*>(lParam));
    case HDM_SETIMAGELIST: {
        HIMAGELIST before = m_images;
        m_images = reinterpret_cast<HIMAGELIST>(lParam);
        return reinterpret_cast<LRESULT>(before);
    }
    case HDM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(m_images);
    case HDM_ORDERTOINDEX:
        return valid(wParam) ? m_order[wParam] : static_cast<LRESULT>(wParam);
    case HDM_SETORDERARRAY:
        return on_set_order(wParam, reinterpret_cast<const int*>(lParam));
    case HDM_GETORDERARRAY:
        return on_get_order(wParam, reinterpret_cast<int*>(lParam));
    case WM_LBUTTONDOWN:
        return on_button_down(lParam);
    case WM_MOUSEMOVE:
        return on_mouse_move(lParam);
    case WM_LBUTTONUP:
        return on_button_up(lParam);
    case WM_LBUTTONDBLCLK:
        return on_double_click(lParam);
    case WM_CAPTURECHANGED:
        m_track = -1;
        m_pressed = -1;
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

LRESULT HeaderControl::tell(UINT code, int index, HDITEM* item)
{
    NMHEADER nm{};
    nm.iItem = index;
    nm.iButton = 0;
    nm.pitem = item;
    return notify(m_window, code, nm.hdr);
}

LRESULT HeaderControl::on_insert(WPARAM index, const HDITEM* in)
{
    if (!in || m_items.size() >= max_items)
        return -1;
    Item item;
    if (in->mask & HDI_TEXT) {
        item.text_callback = in->pszText == LPSTR_TEXTCALLBACK;
        if (!item.text_callback && in->pszText)
            item.text = in->pszText;
    }
    if (in->mask & HDI_WIDTH)
        item.width = std::max(in->cxy, 0);
    if (in->mask & HDI_FORMAT)
        item.format = in->fmt;
    if (in->mask & HDI_LPARAM)
        item.data = in->lParam;
    if (in->mask & HDI_IMAGE)
        item.image = in->iImage;
    if (in->mask & HDI_BITMAP)
        item.bitmap = in->hbm;
    const int at = std::clamp(static_cast<int>(index), 0, count());
    m_items.insert(m_items.begin() + at, std::move(item));
    // Indexes after the new one move up; it takes the display place asked
    // for (HDI_ORDER) or the one of its index.
    for (int& o : m_order)
        if (o >= at)
            ++o;
    int position = (in->mask & HDI_ORDER) ? in->iOrder : at;
    position = std::clamp(position, 0, static_cast<int>(m_order.size()));
    m_order.insert(m_order.begin() + position, at);
    InvalidateRect(m_window, nullptr, TRUE);
    return at;
}

LRESULT HeaderControl::on_delete(WPARAM index)
{
    if (!valid(index))
        return FALSE;
    const int at = static_cast<int>(index);
    m_items.erase(m_items.begin() + at);
    m_order.erase(std::remove(m_order.begin(), m_order.end(), at), m_order.end());
    for (int& o : m_order)
        if (o > at)
            --o;
    InvalidateRect(m_window, nullptr, TRUE);
    return TRUE;
}

LRESULT HeaderControl::on_get(WPARAM index, HDITEM* out)
{
    if (!out || !valid(index))
        return FALSE;
    const Item& item = m_items[index];
    if (out->mask & HDI_TEXT) {
        if (item.text_callback)
            out->pszText = LPSTR_TEXTCALLBACK;
        else if (out->pszText && out->cchTextMax > 0)
            controls::copy_out(item.text, out->pszText, static_cast<size_t>(out->cchTextMax));
    }
    if (out->mask & HDI_WIDTH)
        out->cxy = item.width;
    if (out->mask & HDI_FORMAT)
        out->fmt = item.format;
    if (out->mask & HDI_LPARAM)
        out->lParam = item.data;
    if (out->mask & HDI_IMAGE)
        out->iImage = item.image;
    if (out->mask & HDI_BITMAP)
        out->hbm = item.bitmap;
    if (out->mask & HDI_ORDER) {
        auto it = std::find(m_order.begin(), m_order.end(), static_cast<int>(index));
        out->iOrder = static_cast<int>(it - m_order.begin());
    }
    return TRUE;
}

bool HeaderControl::change(int index, const HDITEM& in)
{
    HDITEM asked = in;
    HWND self = m_window;
    if (tell(HDN_ITEMCHANGING, index, &asked) || !IsWindow(self) || index >= count())
        return false;
    Item& item = m_items[static_cast<size_t>(index)];
    if (in.mask & HDI_TEXT) {
        item.text_callback = in.pszText == LPSTR_TEXTCALLBACK;
        item.text = item.text_callback || !in.pszText ? std::string() : std::string(in.pszText);
    }
    if (in.mask & HDI_WIDTH)
        item.width = std::max(in.cxy, 0);
    if (in.mask & HDI_FORMAT)
        item.format = in.fmt;
    if (in.mask & HDI_LPARAM)
        item.data = in.lParam;
    if (in.mask & HDI_IMAGE)
        item.image = in.iImage;
    if (in.mask & HDI_BITMAP)
        item.bitmap = in.hbm;
    if (in.mask & HDI_ORDER) {
        m_order.erase(std::remove(m_order.begin(), m_order.end(), index), m_order.end());
        const int position = std::clamp(in.iOrder, 0, static_cast<int>(m_order.size()));
        m_order.insert(m_order.begin() + position, index);
    }
    InvalidateRect(self, nullptr, TRUE);
    HDITEM done = in;
    done.pszText = nullptr;
    done.mask &= ~static_cast<UINT>(HDI_TEXT);
    tell(HDN_ITEMCHANGED, index, &done);
    return true;
}

LRESULT HeaderControl::on_set(WPARAM index, const HDITEM* in)
{
    if (!in || !valid(index))
        return FALSE;
    return change(static_cast<int>(index), *in) ? TRUE : FALSE;
}

LRESULT HeaderControl::on_layout(HDLAYOUT* layout)
{
    if (!layout || !layout->prc || !layout->pwpos)
        return FALSE;
    RECT& r = *layout->prc;
    const int height = (style() & HDS_HIDDEN) ? 0 : height_for(m_window);
    WINDOWPOS& pos = *layout->pwpos;
    pos = WINDOWPOS{};
    pos.hwnd = m_window;
    pos.x = r.left;
    pos.y = r.top;
    pos.cx = r.right - r.left;
    pos.cy = height;
    pos.flags = SWP_NOZORDER | SWP_NOACTIVATE;
    r.top += height;
    return TRUE;
}

RECT HeaderControl::rect_of(int index) const
{
    RECT client;
    GetClientRect(m_window, &client);
    int left = 0;
    for (int o : m_order) {
        const int width = m_items[static_cast<size_t>(o)].width;
        if (o == index)
            return RECT{left, 0, left + width, client.bottom};
        left += width;
    }
    return RECT{0, 0, 0, 0};
}

LRESULT HeaderControl::on_get_rect(WPARAM index, RECT* rect)
{
    if (!rect || !valid(index))
        return FALSE;
    *rect = rect_of(static_cast<int>(index));
    return TRUE;
}

int HeaderControl::hit(POINT p, UINT& flags) const
{
    RECT client;
    GetClientRect(m_window, &client);
    flags = 0;
    if (p.x < client.left)
        flags |= HHT_TOLEFT;
    if (p.x >= client.right)
        flags |= HHT_TORIGHT;
    if (p.y < client.top)
        flags |= HHT_ABOVE;
    if (p.y >= client.bottom)
        flags |= HHT_BELOW;
    if (flags)
        return -1;
    // A divider wins over the titles on either side of it; of two close
    // dividers (a narrow column), the later one, so a zero width can grow.
    for (auto it = m_order.rbegin(); it != m_order.rend(); ++it) {
        const RECT r = rect_of(*it);
        if (p.x >= r.right - divider_reach && p.x < r.right + divider_reach) {
            flags = HHT_ONDIVIDER;
            return *it;
        }
    }
    for (int o : m_order) {
        const RECT r = rect_of(o);
        if (p.x >= r.left && p.x < r.right) {
            flags = HHT_ONHEADER;
            return o;
        }
    }
    flags = HHT_NOWHERE;
    return -1;
}

LRESULT HeaderControl::on_hit_test(HDHITTESTINFO* info)
{
    if (!info)
        return -1;
    info->iItem = hit(info->pt, info->flags);
    return info->iItem;
}

LRESULT HeaderControl::on_set_order(WPARAM n, const int* order)
{
    if (!order || static_cast<int>(n) != count())
        return FALSE;
    std::vector<int> next(order, order + n);
    std::vector<int> sorted = next;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < count(); ++i)
        if (sorted[static_cast<size_t>(i)] != i)
            return FALSE;
    m_order = std::move(next);
    InvalidateRect(m_window, nullptr, TRUE);
    return TRUE;
}

LRESULT HeaderControl::on_get_order(WPARAM n, int* order) const
{
    if (!order || static_cast<int>(n) != count())
        return FALSE;
    std::copy(m_order.begin(), m_order.end(), order);
    return TRUE;
}

LRESULT HeaderControl::on_button_down(LPARAM lParam)
{
    const POINT p = controls::point_of(lParam);
    UINT flags = 0;
    const int index = hit(p, flags);
    if (index < 0)
        return 0;
    if (flags & HHT_ONDIVIDER) {
        HDITEM item{};
        item.mask = HDI_WIDTH;
        item.cxy = m_items[static_cast<size_t>(index)].width;
        HWND self = m_window;
        if (tell(HDN_BEGINTRACK, index, &item) || !IsWindow(self))
            return 0;  // the parent refuses the drag
        m_track = index;
        m_track_width = m_items[static_cast<size_t>(index)].width;
        m_track_offset = p.x - rect_of(index).right;
        controls::capture_mouse(self);
        return 0;
    }
    if (style() & HDS_BUTTONS) {
        m_pressed = index;
        m_pressed_inside = true;
        controls::capture_mouse(m_window);
        InvalidateRect(m_window, nullptr, TRUE);
    }
    return 0;
}

LRESULT HeaderControl::on_mouse_move(LPARAM lParam)
{
    if (m_pressed >= 0) {
        // The title shows pressed while the mouse stays on it.
        UINT flags = 0;
        const bool inside = hit(controls::point_of(lParam), flags) == m_pressed && (flags & HHT_ONHEADER);
        if (inside != m_pressed_inside) {
            m_pressed_inside = inside;
            InvalidateRect(m_window, nullptr, TRUE);
        }
        return 0;
    }
    if (m_track < 0 || m_track >= count())
        return 0;
    const POINT p = controls::point_of(lParam);
    m_track_width = std::max(0, static_cast<int>(p.x - m_track_offset - rect_of(m_track).left));
    HDITEM item{};
    item.mask = HDI_WIDTH;
    item.cxy = m_track_width;
    HWND self = m_window;
    const int index = m_track;
    if (tell(HDN_TRACK, index, &item) || !IsWindow(self))
        return 0;
    if (style() & HDS_FULLDRAG)
        change(index, item);
    return 0;
}

LRESULT HeaderControl::on_button_up(LPARAM lParam)
{
    HWND self = m_window;
    if (m_track >= 0) {
        on_mouse_move(lParam);
        if (!IsWindow(self))
            return 0;
        const int index = m_track;
        m_track = -1;
        controls::release_mouse(self);
        if (index >= count())
            return 0;
        HDITEM item{};
        item.mask = HDI_WIDTH;
        item.cxy = m_track_width;
        tell(HDN_ENDTRACK, index, &item);
        if (IsWindow(self) && index < count() && m_items[static_cast<size_t>(index)].width != item.cxy)
            change(index, item);
        return 0;
    }
    if (m_pressed >= 0) {
        const int index = m_pressed;
        m_pressed = -1;
        controls::release_mouse(self);
        InvalidateRect(self, nullptr, TRUE);
        UINT flags = 0;
        if (hit(controls::point_of(lParam), flags) == index && (flags & HHT_ONHEADER))
            tell(HDN_ITEMCLICK, index, nullptr);
    }
    return 0;
}

LRESULT HeaderControl::on_double_click(LPARAM lParam)
{
    UINT flags = 0;
    const int index = hit(controls::point_of(lParam), flags);
    if (index < 0)
        return 0;
    tell((flags & HHT_ONDIVIDER) ? HDN_DIVIDERDBLCLICK : HDN_ITEMDBLCLICK, index, nullptr);
    return 0;
}

// The classic look: each title a raised button on the face colour, pressed
// flat while the mouse holds it down; the room after the last title an
// empty button. Titles are grey when the header is disabled.
LRESULT HeaderControl::on_paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    if (!dc) {
        EndPaint(m_window, &ps);
        return 0;
    }
    RECT client;
    GetClientRect(m_window, &client);
    HGDIOBJ old_font = SelectObject(dc, view_font(m_window));
    SetBkMode(dc, TRANSPARENT);
    const bool enabled = IsWindowEnabled(m_window) != FALSE;
    int right = 0;
    for (int index : m_order) {
        RECT r = rect_of(index);
        right = r.right;
        const Item& item = m_items[static_cast<size_t>(index)];
        const bool pressed = index == m_pressed && m_pressed_inside;
        if (pressed)
            DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_MIDDLE);
        else
            DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE);
        RECT text = r;
        InflateRect(&text, -6, -2);
        if (pressed)
            OffsetRect(&text, 1, 1);
        int cx = 0, cy = 0;
        if ((item.format & HDF_IMAGE) && m_images && ImageList_GetIconSize(m_images, &cx, &cy)) {
            ImageList_Draw(m_images, item.image, dc, text.left, text.top + (text.bottom - text.top - cy) / 2,
                           ILD_TRANSPARENT);
            text.left += cx + 3;
        }
        UINT align = DT_LEFT;
        if ((item.format & HDF_JUSTIFYMASK) == HDF_RIGHT)
            align = DT_RIGHT;
        else if ((item.format & HDF_JUSTIFYMASK) == HDF_CENTER)
            align = DT_CENTER;
        const UINT format = align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
        if (enabled) {
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            DrawText(dc, item.text.c_str(), static_cast<int>(item.text.size()), &text, format);
        } else {
            controls::draw_grey_text(dc, item.text.c_str(), static_cast<int>(item.text.size()), text, format);
        }
    }
    if (right < client.right) {
        RECT rest{right, 0, client.right, client.bottom};
        DrawEdge(dc, &rest, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE);
    }
    SelectObject(dc, old_font);
    EndPaint(m_window, &ps);
    return 0;
}

}  // namespace helm::user::commctrl
