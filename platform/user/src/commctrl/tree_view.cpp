#include "tree_view.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "view_draw.h"
#include "view_text.h"

namespace helm::user::commctrl {

namespace {

controls::ControlMap<TreeView>& trees()
{
    static auto* map = new controls::ControlMap<TreeView>;
    return *map;
}

// Item handles are unique in the process, so a handle of one tree (or a
// deleted item) is never taken for an item of another.
std::atomic<uintptr_t> g_next_item{0x1000};

// A bound on items, so a runaway filler fails rather than exhausting memory.
constexpr size_t max_items = 1 << 20;

bool is_special(HTREEITEM item)
{
    return item == TVI_ROOT || item == TVI_FIRST || item == TVI_LAST || item == TVI_SORT;
}

}  // namespace

TreeView::TreeView(HWND window, const CREATESTRUCT&) : m_window(window) {}

LRESULT CALLBACK TreeView::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return controls::run_control(trees(), window, message, wParam, lParam, [](HWND w, const CREATESTRUCT& cs) {
        return std::make_shared<TreeView>(w, cs);
    });
}

TreeView::Item* TreeView::find(Id id)
{
    auto it = m_items.find(id);
    return it == m_items.end() ? nullptr : &it->second;
}

TreeView::Item* TreeView::find(HTREEITEM item) { return is_special(item) ? nullptr : find(id_of(item)); }

std::vector<TreeView::Id>& TreeView::siblings_of(Id parent)
{
    Item* p = parent ? find(parent) : nullptr;
    return p ? p->children : m_roots;
}

bool TreeView::has_children(const Item& item) const
{
    if (item.kids == -2)
        return !item.children.empty();
    return item.kids != 0;
}

int TreeView::level_of(Id id)
{
    int level = 0;
    for (Item* item = find(id); item && item->parent; item = find(item->parent))
        ++level;
    return level;
}

int TreeView::default_item_height() const
{
    int height = line_height(m_window) + 3;
    int cx = 0, cy = 0;
    if (m_images && ImageList_GetIconSize(m_images, &cx, &cy))
        height = std::max(height, cy);
    if (!(style() & TVS_NONEVENHEIGHT))
        height += height & 1;
    return height;
}

LRESULT TreeView::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        m_item_height = default_item_height();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case TVM_INSERTITEM:
        return on_insert(reinterpret_cast<const TVINSERTSTRUCT*>(lParam));
    case TVM_DELETEITEM:
        return on_delete(reinterpret_cast<HTREEITEM>(lParam));
    case TVM_EXPAND:
        return on_expand(wParam, reinterpret_cast<HTREEITEM>(lParam));
    case TVM_GETITEMRECT:
        return on_get_item_rect(wParam, reinterpret_cast<RECT*>(lParam));
    case TVM_GETCOUNT:
        return static_cast<LRESULT>(m_items.size());
    case TVM_GETINDENT:
        return m_indent;
    case TVM_SETINDENT:
        m_indent = std::max(static_cast<int>(wParam), 0);
        redraw();
        return 0;
    case TVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(wParam == TVSIL_STATE ? m_state_images : m_images);
    case TVM_SETIMAGELIST: {
        HIMAGELIST& slot = wParam == TVSIL_STATE ? m_state_images : m_images;
        HIMAGELIST before = slot;
        slot = reinterpret_cast<HIMAGELIST>(lParam);
        if (!m_height_set)
            m_item_height = default_item_height();
        update_scroll_bar();
        redraw();
        return reinterpret_cast<LRESULT>(before);
    }
    case TVM_GETNEXTITEM:
        return on_get_next(wParam, reinterpret_cast<HTREEITEM>(lParam));
    case TVM_SELECTITEM:
        return on_select(wParam, reinterpret_cast<HTREEITEM>(lParam));
    case TVM_GETITEM:
        return on_get_item(reinterpret_cast<TVITEM*>(lParam));
    case TVM_SETITEM:
        return on_set_item(reinterpret_cast<const TVITEM*>(lParam));
    case TVM_GETEDITCONTROL:
        return 0;
    case TVM_GETVISIBLECOUNT:
        return rows_per_page();
    case TVM_HITTEST:
        return on_hit_test(reinterpret_cast<TVHITTESTINFO*>(lParam));
    case TVM_SORTCHILDREN:
        return on_sort_children(reinterpret_cast<HTREEITEM>(lParam), wParam != 0, nullptr, 0);
    case TVM_SORTCHILDRENCB: {
        const auto* sort = reinterpret_cast<const TVSORTCB*>(lParam);
        return sort ? on_sort_children(sort->hParent, false, sort->lpfnCompare, sort->lParam) : FALSE;
    }
    case TVM_ENSUREVISIBLE:
        return on_ensure_visible(reinterpret_cast<HTREEITEM>(lParam));
    case TVM_SETTOOLTIPS: {
        HWND before = m_tooltips;
        m_tooltips = reinterpret_cast<HWND>(wParam);
        return reinterpret_cast<LRESULT>(before);
    }
    case TVM_GETTOOLTIPS:
        return reinterpret_cast<LRESULT>(m_tooltips);
    case TVM_SETITEMHEIGHT: {
        const int before = m_item_height;
        const int asked = static_cast<short>(LOWORD(wParam));
        if (asked == -1) {
            m_height_set = false;
            m_item_height = default_item_height();
        } else if (asked > 0) {
            m_height_set = true;
            m_item_height = (style() & TVS_NONEVENHEIGHT) ? asked : asked & ~1;
            m_item_height = std::max(m_item_height, 1);
        }
        clamp_top();
        update_scroll_bar();
        redraw();
        return before;
    }
    case TVM_GETITEMHEIGHT:
        return m_item_height;
    case TVM_SETBKCOLOR: {
        const COLORREF before = m_back;
        m_back = static_cast<COLORREF>(lParam);
        redraw();
        return static_cast<LRESULT>(static_cast<int>(before));
    }
    case TVM_GETBKCOLOR:
        return static_cast<LRESULT>(static_cast<int>(m_back));
    case TVM_SETTEXTCOLOR: {
        const COLORREF before = m_text;
        m_text = static_cast<COLORREF>(lParam);
        redraw();
        return static_cast<LRESULT>(static_cast<int>(before));
    }
    case TVM_GETTEXTCOLOR:
        return static_cast<LRESULT>(static_cast<int>(m_text));
    case TVM_SETLINECOLOR: {
        const COLORREF before = m_lines;
        m_lines = static_cast<COLORREF>(lParam);
        return static_cast<LRESULT>(static_cast<int>(before));
    }
    case TVM_GETLINECOLOR:
        return static_cast<LRESULT>(static_cast<int>(m_lines));
    case TVM_GETITEMSTATE: {
        Item* item = find(reinterpret_cast<HTREEITEM>(wParam));
        return item ? static_cast<LRESULT>(item->state & static_cast<UINT>(lParam)) : 0;
    }
    case WM_SETFONT:
        if (!m_height_set)
            m_item_height = default_item_height();
        update_scroll_bar();
        return 0;
    case WM_SIZE:
        clamp_top();
        update_scroll_bar();
        return 0;
    case WM_LBUTTONDOWN:
        return on_button_down(lParam);
    case WM_LBUTTONUP:
        return on_button_up(lParam);
    case WM_LBUTTONDBLCLK:
        return on_double_click(lParam);
    case WM_RBUTTONDOWN:
        SetFocus(m_window);
        return 0;
    case WM_RBUTTONUP:
        notify(m_window, NM_RCLICK);
        return 0;
    case WM_CAPTURECHANGED:
        m_tracking = false;
        return 0;
    case WM_KEYDOWN:
        controls::note_modifier_key(message, wParam);
        return on_key_down(wParam);
    case WM_KEYUP:
        controls::note_modifier_key(message, wParam);
        return 0;
    case WM_CHAR:
        return on_char(wParam);
    case WM_VSCROLL:
        return on_scroll(wParam);
    case WM_MOUSEWHEEL:
        return on_wheel(wParam);
    case WM_SETFOCUS:
        invalidate_item(m_selection);
        notify(m_window, NM_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        invalidate_item(m_selection);
        notify(m_window, NM_KILLFOCUS);
        return 0;
    case WM_PAINT:
        return on_paint();
    case WM_ERASEBKGND:
        return erase_view(m_window, reinterpret_cast<HDC>(wParam),
                          m_back == CLR_NONE ? GetSysColor(COLOR_WINDOW) : m_back);
    case WM_DESTROY:
        // The parent hears of every item still there, to free their data.
        on_delete(TVI_ROOT);
        return 0;
    default:
        return DefWindowProc(m_window, message, wParam, lParam);
    }
}

LRESULT TreeView::on_insert(const TVINSERTSTRUCT* insert)
{
    if (!insert || m_items.size() >= max_items)
        return 0;
    Id parent = 0;
    if (insert->hParent && insert->hParent != TVI_ROOT) {
        if (!find(insert->hParent))
            return 0;
        parent = id_of(insert->hParent);
    }
    const TVITEM& in = insert->item;
    Item item;
    item.parent = parent;
    if (in.mask & TVIF_TEXT) {
        if (in.pszText == LPSTR_TEXTCALLBACK)
            item.text_callback = true;
        else if (in.pszText)
            item.text = in.pszText;
    }
    if (in.mask & TVIF_STATE)
        item.state = in.state & in.stateMask & ~static_cast<UINT>(TVIS_SELECTED);
    if (in.mask & TVIF_IMAGE)
        item.image = in.iImage;
    if (in.mask & TVIF_SELECTEDIMAGE)
        item.selected_image = in.iSelectedImage;
    if (in.mask & TVIF_CHILDREN)
        item.kids = in.cChildren;
    if (in.mask & TVIF_PARAM)
        item.data = in.lParam;

    std::vector<Id>& siblings = siblings_of(parent);
    size_t at = siblings.size();
    HTREEITEM after = insert->hInsertAfter;
    if (after == TVI_FIRST) {
        at = 0;
    } else if (after == TVI_SORT && !item.text_callback) {
        // After the last sibling whose text does not sort after the new one.
        at = 0;
        for (size_t i = 0; i < siblings.size(); ++i) {
            Item* other = find(siblings[i]);
            if (other && (other->text_callback || controls::compare_nocase_1252(other->text, item.text) <= 0))
                at = i + 1;
            else
                break;
        }
    } else if (after && after != TVI_LAST && after != TVI_SORT) {
        // After a sibling; an item that is not one of them puts it last.
        auto it = std::find(siblings.begin(), siblings.end(), id_of(after));
        if (it != siblings.end())
            at = static_cast<size_t>(it - siblings.begin()) + 1;
    }
    const Id id = g_next_item.fetch_add(1);
    siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(at), id);
    m_items.emplace(id, std::move(item));
    update_scroll_bar();
    redraw();
    return reinterpret_cast<LRESULT>(handle_of(id));
}

void TreeView::delete_subtree(Id id)
{
    Item* item = find(id);
    if (!item)
        return;
    const std::vector<Id> children = item->children;
    for (Id child : children)
        delete_subtree(child);
    item = find(id);
    if (!item)
        return;
    NMTREEVIEW nm{};
    nm.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
    nm.itemOld.hItem = handle_of(id);
    nm.itemOld.lParam = item->data;
    notify(m_window, TVN_DELETEITEM, nm.hdr);
    item = find(id);
    if (!item)
        return;
    std::vector<Id>& siblings = siblings_of(item->parent);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), id), siblings.end());
    if (m_selection == id)
        m_selection = 0;
    if (m_drop == id)
        m_drop = 0;
    if (m_pressed == id)
        m_pressed = 0;
    m_items.erase(id);
}

LRESULT TreeView::on_delete(HTREEITEM handle)
{
    if (!handle || handle == TVI_ROOT) {
        const std::vector<Id> roots = m_roots;
        for (Id id : roots)
            delete_subtree(id);
        m_top = 0;
    } else {
        Item* item = find(handle);
        if (!item)
            return FALSE;
        const Id parent = item->parent;
        delete_subtree(id_of(handle));
        // A parent left without children is no longer open.
        if (Item* p = find(parent); p && p->children.empty() && p->kids == -2)
            p->state &= ~static_cast<UINT>(TVIS_EXPANDED);
    }
    clamp_top();
    update_scroll_bar();
    redraw();
    return TRUE;
}

bool TreeView::expand_silently(Id id, UINT code)
{
    Item* item = find(id);
    if (!item)
        return false;
    const UINT action = code & 3;
    bool open = expanded(*item);
    if (action == TVE_EXPAND)
        open = true;
    else if (action == TVE_COLLAPSE)
        open = false;
    else if (action == TVE_TOGGLE)
        open = !open;
    else
        return false;
    if (open && !has_children(*item))
        return false;
    if (open)
        item->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    else
        item->state &= ~static_cast<UINT>(TVIS_EXPANDED);
    if (!open && (code & TVE_COLLAPSERESET)) {
        const std::vector<Id> children = item->children;
        for (Id child : children)
            delete_subtree(child);
        if ((item = find(id)))
            item->state &= ~static_cast<UINT>(TVIS_EXPANDEDONCE);
    }
    // A selection hidden by the collapse moves up to the collapsed item.
    if (!open && m_selection && m_selection != id) {
        for (Item* up = find(m_selection); up && up->parent; up = find(up->parent)) {
            if (up->parent == id) {
                select(id, TVC_UNKNOWN);
                break;
            }
        }
    }
    clamp_top();
    update_scroll_bar();
    redraw();
    return true;
}

bool TreeView::expand_notified(Id id, UINT code)
{
    Item* item = find(id);
    if (!item)
        return false;
    const bool open = expanded(*item);
    const UINT action = (code & 3) == TVE_TOGGLE ? (open ? TVE_COLLAPSE : TVE_EXPAND) : (code & 3);
    if ((action == TVE_EXPAND) == open || (action == TVE_EXPAND && !has_children(*item)))
        return false;
    NMTREEVIEW nm{};
    nm.action = action;
    fill_item(id, nm.itemNew, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM);
    if (notify(m_window, TVN_ITEMEXPANDING, nm.hdr))
        return false;
    if (!expand_silently(id, action))
        return false;
    NMTREEVIEW done{};
    done.action = action;
    fill_item(id, done.itemNew, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM);
    notify(m_window, TVN_ITEMEXPANDED, done.hdr);
    return true;
}

LRESULT TreeView::on_expand(WPARAM code, HTREEITEM item)
{
    // Windows' TVM_EXPAND tells the parent nothing.
    return find(item) && expand_silently(id_of(item), static_cast<UINT>(code)) ? TRUE : FALSE;
}

std::string TreeView::text_of(Id id)
{
    Item* item = find(id);
    if (!item)
        return {};
    if (!item->text_callback)
        return item->text;
    // The parent gives the text of a callback item each time it is needed.
    char buffer[260] = {};
    NMTVDISPINFO nm{};
    nm.item.mask = TVIF_TEXT;
    nm.item.hItem = handle_of(id);
    nm.item.lParam = item->data;
    nm.item.pszText = buffer;
    nm.item.cchTextMax = sizeof buffer;
    notify(m_window, TVN_GETDISPINFO, nm.hdr);
    return answered_text(nm.item.pszText, buffer, sizeof buffer);
}

void TreeView::fill_item(Id id, TVITEM& out, UINT mask)
{
    Item* item = find(id);
    out.mask = mask;
    out.hItem = handle_of(id);
    if (!item)
        return;
    out.state = item->state | (id == m_selection ? TVIS_SELECTED : 0) | (id == m_drop ? TVIS_DROPHILITED : 0);
    out.stateMask = 0xFFFF;
    out.lParam = item->data;
    out.iImage = item->image;
    out.iSelectedImage = item->selected_image;
    out.cChildren = item->kids == -2 ? (item->children.empty() ? 0 : 1) : item->kids;
}

LRESULT TreeView::on_get_item(TVITEM* out)
{
    if (!out)
        return FALSE;
    const Id id = id_of(out->hItem);
    Item* item = find(out->hItem);
    if (!item)
        return FALSE;
    const UINT mask = out->mask;
    if (mask & TVIF_TEXT) {
        if (out->pszText && out->cchTextMax > 0)
            controls::copy_out(text_of(id), out->pszText, static_cast<size_t>(out->cchTextMax));
        if (!(item = find(id)))
            return FALSE;
    }
    TVITEM full{};
    fill_item(id, full, mask);
    if (mask & TVIF_STATE)
        out->state = full.state & out->stateMask;
    if (mask & TVIF_IMAGE)
        out->iImage = full.iImage;
    if (mask & TVIF_SELECTEDIMAGE)
        out->iSelectedImage = full.iSelectedImage;
    if (mask & TVIF_CHILDREN)
        out->cChildren = full.cChildren;
    if (mask & TVIF_PARAM)
        out->lParam = full.lParam;
    return TRUE;
}

LRESULT TreeView::on_set_item(const TVITEM* in)
{
    if (!in)
        return FALSE;
    Item* item = find(in->hItem);
    if (!item)
        return FALSE;
    if (in->mask & TVIF_TEXT) {
        item->text_callback = in->pszText == LPSTR_TEXTCALLBACK;
        item->text = item->text_callback || !in->pszText ? std::string() : std::string(in->pszText);
    }
    if (in->mask & TVIF_STATE) {
        // The selection itself moves only with TVM_SELECTITEM.
        const UINT mask = in->stateMask & ~static_cast<UINT>(TVIS_SELECTED);
        item->state = (item->state & ~mask) | (in->state & mask);
        if ((item->state & TVIS_EXPANDED) && !has_children(*item))
            item->state &= ~static_cast<UINT>(TVIS_EXPANDED);
    }
    if (in->mask & TVIF_IMAGE)
        item->image = in->iImage;
    if (in->mask & TVIF_SELECTEDIMAGE)
        item->selected_image = in->iSelectedImage;
    if (in->mask & TVIF_CHILDREN)
        item->kids = in->cChildren;
    if (in->mask & TVIF_PARAM)
        item->data = in->lParam;
    if (in->mask & (TVIF_STATE | TVIF_CHILDREN)) {
        clamp_top();
        update_scroll_bar();
        redraw();
    } else {
        invalidate_item(id_of(in->hItem));
    }
    return TRUE;
}

std::vector<TreeView::Id> TreeView::rows()
{
    std::vector<Id> out;
    std::vector<std::pair<const std::vector<Id>*, size_t>> stack{{&m_roots, 0}};
    while (!stack.empty()) {
        auto& [list, index] = stack.back();
        if (index >= list->size()) {
            stack.pop_back();
            continue;
        }
        const Id id = (*list)[index++];
        out.push_back(id);
        Item* item = find(id);
        if (item && expanded(*item) && !item->children.empty())
            stack.push_back({&item->children, 0});
    }
    return out;
}

int TreeView::row_of(Id id)
{
    const std::vector<Id> all = rows();
    auto it = std::find(all.begin(), all.end(), id);
    return it == all.end() ? -1 : static_cast<int>(it - all.begin());
}

LRESULT TreeView::on_get_next(WPARAM code, HTREEITEM handle)
{
    const Id id = id_of(handle);
    Item* item = find(handle);
    auto sibling = [&](int step) -> Id {
        if (!item)
            return 0;
        const std::vector<Id>& list = siblings_of(item->parent);
        auto it = std::find(list.begin(), list.end(), id);
        if (it == list.end())
            return 0;
        const std::ptrdiff_t at = (it - list.begin()) + step;
        return at >= 0 && at < static_cast<std::ptrdiff_t>(list.size()) ? list[static_cast<size_t>(at)] : 0;
    };
    Id result = 0;
    switch (code) {
    case TVGN_ROOT:
        result = m_roots.empty() ? 0 : m_roots.front();
        break;
    case TVGN_NEXT:
        result = sibling(1);
        break;
    case TVGN_PREVIOUS:
        result = sibling(-1);
        break;
    case TVGN_PARENT:
        result = item ? item->parent : 0;
        break;
    case TVGN_CHILD:
        if (!handle || handle == TVI_ROOT)
            result = m_roots.empty() ? 0 : m_roots.front();
        else
            result = item && !item->children.empty() ? item->children.front() : 0;
        break;
    case TVGN_CARET:
        result = m_selection;
        break;
    case TVGN_DROPHILITE:
        result = m_drop;
        break;
    case TVGN_FIRSTVISIBLE: {
        const std::vector<Id> all = rows();
        result = m_top < static_cast<int>(all.size()) ? all[static_cast<size_t>(m_top)] : 0;
        break;
    }
    case TVGN_LASTVISIBLE: {
        const std::vector<Id> all = rows();
        result = all.empty() ? 0 : all.back();
        break;
    }
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE: {
        if (!item)
            break;
        const std::vector<Id> all = rows();
        auto it = std::find(all.begin(), all.end(), id);
        if (it == all.end())
            break;
        if (code == TVGN_NEXTVISIBLE)
            result = it + 1 == all.end() ? 0 : *(it + 1);
        else
            result = it == all.begin() ? 0 : *(it - 1);
        break;
    }
    default:
        break;
    }
    return reinterpret_cast<LRESULT>(handle_of(result));
}

bool TreeView::select(Id id, UINT action)
{
    if (id == m_selection)
        return true;
    NMTREEVIEW nm{};
    nm.action = action;
    fill_item(m_selection, nm.itemOld, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM);
    fill_item(id, nm.itemNew, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM);
    if (!m_selection)
        nm.itemOld = TVITEM{};
    if (!id)
        nm.itemNew = TVITEM{};
    if (notify(m_window, TVN_SELCHANGING, nm.hdr))
        return false;
    if (id && !find(id))
        return false;  // deleted while the parent was asked
    const Id before = m_selection;
    m_selection = id;
    invalidate_item(before);
    invalidate_item(id);
    NMTREEVIEW done = nm;
    fill_item(before, done.itemOld, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM);
    fill_item(id, done.itemNew, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM);
    if (!before || !find(before))
        done.itemOld = TVITEM{};
    if (!id)
        done.itemNew = TVITEM{};
    notify(m_window, TVN_SELCHANGED, done.hdr);
    return true;
}

LRESULT TreeView::on_select(WPARAM code, HTREEITEM handle)
{
    const Id id = handle && find(handle) ? id_of(handle) : 0;
    if (handle && !id)
        return FALSE;
    switch (code & 0xFF) {
    case TVGN_CARET:
        if (!select(id, TVC_UNKNOWN))
            return FALSE;
        if (id)
            on_ensure_visible(handle);
        return TRUE;
    case TVGN_DROPHILITE:
        invalidate_item(m_drop);
        m_drop = id;
        invalidate_item(id);
        return TRUE;
    case TVGN_FIRSTVISIBLE: {
        if (!id)
            return FALSE;
        on_ensure_visible(handle);
        scroll_to(row_of(id));
        return TRUE;
    }
    default:
        return FALSE;
    }
}

LRESULT TreeView::on_ensure_visible(HTREEITEM handle)
{
    Item* item = find(handle);
    if (!item)
        return FALSE;
    const Id id = id_of(handle);
    // Open the closed parents, top first, each with its notifications.
    std::vector<Id> parents;
    for (Id up = item->parent; up; up = find(up) ? find(up)->parent : 0)
        parents.push_back(up);
    bool opened = false;
    for (auto it = parents.rbegin(); it != parents.rend(); ++it) {
        Item* p = find(*it);
        if (p && !expanded(*p))
            opened = expand_notified(*it, TVE_EXPAND) || opened;
    }
    const int row = row_of(id);
    if (row < 0)
        return FALSE;
    const int page = std::max(rows_per_page(), 1);
    if (row < m_top)
        scroll_to(row);
    else if (row >= m_top + page)
        scroll_to(row - page + 1);
    return opened ? FALSE : TRUE;
}

int TreeView::rows_per_page() const
{
    RECT client;
    GetClientRect(m_window, &client);
    return std::max(0, static_cast<int>(client.bottom - client.top) / std::max(m_item_height, 1));
}

int TreeView::item_left(Id id)
{
    int level = level_of(id);
    if ((style() & TVS_LINESATROOT) && (style() & (TVS_HASLINES | TVS_HASBUTTONS)))
        ++level;
    return level * m_indent;
}

RECT TreeView::label_rect(Id id, int row)
{
    const int top = (row - m_top) * m_item_height;
    int left = item_left(id);
    int cx = 0, cy = 0;
    if (m_state_images && ImageList_GetIconSize(m_state_images, &cx, &cy))
        left += cx;
    if (m_images && ImageList_GetIconSize(m_images, &cx, &cy))
        left += cx + 3;
    // The label holds the text with two pixels on each side.
    Item* item = find(id);
    const HFONT font = item && (item->state & TVIS_BOLD) ? m_bold.of(m_window) : nullptr;
    const int width = label_width(m_window, text_of(id), font) + 4;
    return RECT{left, top, left + width, top + m_item_height};
}

LRESULT TreeView::on_get_item_rect(WPARAM text_only, RECT* rect)
{
    if (!rect)
        return FALSE;
    HTREEITEM handle;
    std::memcpy(&handle, rect, sizeof handle);
    if (!find(handle))
        return FALSE;
    const Id id = id_of(handle);
    const int row = row_of(id);
    if (row < 0)
        return FALSE;  // under a closed parent
    if (text_only) {
        *rect = label_rect(id, row);
    } else {
        RECT client;
        GetClientRect(m_window, &client);
        const int top = (row - m_top) * m_item_height;
        *rect = RECT{0, top, client.right, top + m_item_height};
    }
    return TRUE;
}

LRESULT TreeView::on_hit_test(TVHITTESTINFO* info)
{
    if (!info)
        return 0;
    info->flags = 0;
    info->hItem = nullptr;
    RECT client;
    GetClientRect(m_window, &client);
    const POINT p = info->pt;
    if (p.x < client.left)
        info->flags |= TVHT_TOLEFT;
    if (p.x >= client.right)
        info->flags |= TVHT_TORIGHT;
    if (p.y < client.top)
        info->flags |= TVHT_ABOVE;
    if (p.y >= client.bottom)
        info->flags |= TVHT_BELOW;
    if (info->flags)
        return 0;
    const std::vector<Id> all = rows();
    const int row = m_top + p.y / std::max(m_item_height, 1);
    if (row < 0 || row >= static_cast<int>(all.size())) {
        info->flags = TVHT_NOWHERE;
        return 0;
    }
    const Id id = all[static_cast<size_t>(row)];
    info->hItem = handle_of(id);
    const int left = item_left(id);
    const RECT label = label_rect(id, row);
    int cx = 0, cy = 0;
    const int state_width =
        m_state_images && ImageList_GetIconSize(m_state_images, &cx, &cy) ? cx : 0;
    const int image_width = m_images && ImageList_GetIconSize(m_images, &cx, &cy) ? cx + 3 : 0;
    Item* item = find(id);
    const bool button_here = (style() & TVS_HASBUTTONS) && item && has_children(*item) &&
                             (item->parent || (style() & TVS_LINESATROOT));
    if (p.x < left)
        info->flags = button_here && p.x >= left - m_indent ? TVHT_ONITEMBUTTON : TVHT_ONITEMINDENT;
    else if (p.x < left + state_width)
        info->flags = TVHT_ONITEMSTATEICON;
    else if (p.x < left + state_width + image_width)
        info->flags = TVHT_ONITEMICON;
    else if (p.x < label.right)
        info->flags = TVHT_ONITEMLABEL;
    else
        info->flags = TVHT_ONITEMRIGHT;
    return reinterpret_cast<LRESULT>(info->hItem);
}

LRESULT TreeView::on_sort_children(HTREEITEM parent, bool recurse, PFNTVCOMPARE compare, LPARAM data)
{
    Id id = 0;
    if (parent && parent != TVI_ROOT) {
        if (!find(parent))
            return FALSE;
        id = id_of(parent);
    }
    std::vector<Id>& list = siblings_of(id);
    std::stable_sort(list.begin(), list.end(), [&](Id a, Id b) {
        Item* x = find(a);
        Item* y = find(b);
        if (compare)
            return compare(x->data, y->data, data) < 0;
        return controls::compare_nocase_1252(x->text, y->text) < 0;
    });
    if (recurse) {
        const std::vector<Id> children = list;
        for (Id child : children)
            on_sort_children(handle_of(child), true, compare, data);
    }
    redraw();
    return TRUE;
}

LRESULT TreeView::on_button_down(LPARAM lParam)
{
    SetFocus(m_window);
    TVHITTESTINFO hit{};
    hit.pt = controls::point_of(lParam);
    on_hit_test(&hit);
    if (!hit.hItem)
        return 0;
    const Id id = id_of(hit.hItem);
    if (hit.flags & TVHT_ONITEMBUTTON) {
        expand_notified(id, TVE_TOGGLE);
        return 0;
    }
    if (hit.flags & (TVHT_ONITEM | ((style() & TVS_FULLROWSELECT) ? TVHT_ONITEMRIGHT | TVHT_ONITEMINDENT : 0))) {
        // As on Windows the click is told on release, before the selection
        // moves: the parent's NM_CLICK sees the old selection.
        m_pressed = id;
        m_tracking = true;
        controls::capture_mouse(m_window);
    }
    return 0;
}

LRESULT TreeView::on_button_up(LPARAM)
{
    if (!m_tracking)
        return 0;
    m_tracking = false;
    const Id id = m_pressed;
    m_pressed = 0;
    controls::release_mouse(m_window);
    HWND self = m_window;
    if (notify(self, NM_CLICK) || !IsWindow(self))
        return 0;
    if (find(id))
        select(id, TVC_BYMOUSE);
    return 0;
}

LRESULT TreeView::on_double_click(LPARAM lParam)
{
    TVHITTESTINFO hit{};
    hit.pt = controls::point_of(lParam);
    on_hit_test(&hit);
    if (hit.hItem && (hit.flags & TVHT_ONITEMBUTTON)) {
        expand_notified(id_of(hit.hItem), TVE_TOGGLE);
        return 0;
    }
    HWND self = m_window;
    if (notify(self, NM_DBLCLK) || !IsWindow(self))
        return 0;
    if (hit.hItem && (hit.flags & TVHT_ONITEM) && find(hit.hItem))
        expand_notified(id_of(hit.hItem), TVE_TOGGLE);
    return 0;
}

LRESULT TreeView::on_key_down(WPARAM key)
{
    HWND self = m_window;
    NMTVKEYDOWN nm{};
    nm.wVKey = static_cast<WORD>(key);
    notify(self, TVN_KEYDOWN, nm.hdr);
    if (!IsWindow(self))
        return 0;
    const std::vector<Id> all = rows();
    if (all.empty())
        return 0;
    const int row = m_selection ? row_of(m_selection) : -1;
    const int last = static_cast<int>(all.size()) - 1;
    const int page = std::max(rows_per_page() - 1, 1);
    auto move_to = [&](int target) {
        target = std::clamp(target, 0, last);
        const Id id = all[static_cast<size_t>(target)];
        if (select(id, TVC_BYKEYBOARD) && find(id))
            on_ensure_visible(handle_of(id));
    };
    Item* item = m_selection ? find(m_selection) : nullptr;
    switch (key) {
    case VK_UP:
        move_to(row < 0 ? 0 : row - 1);
        break;
    case VK_DOWN:
        move_to(row < 0 ? 0 : row + 1);
        break;
    case VK_HOME:
        move_to(0);
        break;
    case VK_END:
        move_to(last);
        break;
    case VK_PRIOR:
        move_to(row < 0 ? 0 : row - page);
        break;
    case VK_NEXT:
        move_to(row < 0 ? 0 : row + page);
        break;
    case VK_LEFT:
        if (item && expanded(*item))
            expand_notified(m_selection, TVE_COLLAPSE);
        else if (item && item->parent)
            move_to(row_of(item->parent));
        break;
    case VK_RIGHT:
        if (item && has_children(*item)) {
            if (!expanded(*item))
                expand_notified(m_selection, TVE_EXPAND);
            else if (!item->children.empty())
                move_to(row + 1);
        }
        break;
    case VK_ADD:
        if (item)
            expand_notified(m_selection, TVE_EXPAND);
        break;
    case VK_SUBTRACT:
        if (item)
            expand_notified(m_selection, TVE_COLLAPSE);
        break;
    case VK_MULTIPLY:
        if (item) {
            // The whole branch under the selection opens.
            std::vector<Id> todo{m_selection};
            while (!todo.empty()) {
                const Id next = todo.back();
                todo.pop_back();
                expand_notified(next, TVE_EXPAND);
                if (Item* open = find(next))
                    todo.insert(todo.end(), open->children.begin(), open->children.end());
            }
        }
        break;
    case VK_RETURN:
        notify(self, NM_RETURN);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT TreeView::on_char(WPARAM ch)
{
    // A typed character selects the next shown item whose text starts with it.
    if (ch < 0x20)
        return 0;
    const std::vector<Id> all = rows();
    if (all.empty())
        return 0;
    const int from = m_selection ? row_of(m_selection) : -1;
    const char typed[2] = {static_cast<char>(ch), 0};
    for (size_t step = 1; step <= all.size(); ++step) {
        const size_t at = (static_cast<size_t>(from + 1) + step - 1) % all.size();
        if (controls::starts_with_nocase_1252(text_of(all[at]), typed)) {
            if (select(all[at], TVC_BYKEYBOARD) && find(all[at]))
                on_ensure_visible(handle_of(all[at]));
            break;
        }
    }
    return 0;
}

void TreeView::scroll_to(int top)
{
    const int before = m_top;
    m_top = top;
    clamp_top();
    if (m_top != before) {
        update_scroll_bar();
        redraw();
    }
}

void TreeView::clamp_top()
{
    const int count = static_cast<int>(rows().size());
    const int page = std::max(rows_per_page(), 1);
    m_top = std::clamp(m_top, 0, std::max(count - page, 0));
}

void TreeView::update_scroll_bar()
{
    if (!(style() & TVS_NOSCROLL))
        fit_scroll_bar(m_window, SB_VERT, static_cast<int>(rows().size()), rows_per_page(), m_top);
}

LRESULT TreeView::on_scroll(WPARAM wParam)
{
    const int page = std::max(rows_per_page() - 1, 1);
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
        scroll_to(m_top - 1);
        break;
    case SB_LINEDOWN:
        scroll_to(m_top + 1);
        break;
    case SB_PAGEUP:
        scroll_to(m_top - page);
        break;
    case SB_PAGEDOWN:
        scroll_to(m_top + page);
        break;
    case SB_TOP:
        scroll_to(0);
        break;
    case SB_BOTTOM:
        scroll_to(static_cast<int>(rows().size()));
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        scroll_to(static_cast<int>(HIWORD(wParam)));
        break;
    default:
        break;
    }
    return 0;
}

LRESULT TreeView::on_wheel(WPARAM wParam)
{
    const int delta = static_cast<short>(HIWORD(wParam));
    scroll_to(m_top - delta / 120 * 3);
    return 0;
}

void TreeView::invalidate_item(Id id)
{
    if (!id)
        return;
    const int row = row_of(id);
    if (row < m_top || row >= m_top + rows_per_page() + 1)
        return;
    invalidate_band(m_window, (row - m_top) * m_item_height, (row - m_top + 1) * m_item_height);
}

LRESULT TreeView::on_paint()
{
    HWND self = m_window;
    const COLORREF window_text = m_text == CLR_NONE ? GetSysColor(COLOR_WINDOWTEXT) : m_text;
    const COLORREF window_back = m_back == CLR_NONE ? GetSysColor(COLOR_WINDOW) : m_back;
    NMTVCUSTOMDRAW cd{};
    CustomDrawPaint paint(self, cd.nmcd);
    if (!paint.alive())
        return 0;
    HDC dc = paint.dc();
    const RECT& client = paint.client();
    const LRESULT wants = paint.wants();
    const bool focused = GetFocus() == self;

    const std::vector<Id> all = rows();
    const int page = rows_per_page() + 1;
    for (int row = m_top; row < std::min(static_cast<int>(all.size()), m_top + page); ++row) {
        const Id id = all[static_cast<size_t>(row)];
        Item* item = find(id);
        if (!item)
            continue;
        // The default colours of the item, which the parent may change.
        const bool lit = (id == m_selection && (focused || (style() & TVS_SHOWSELALWAYS))) || id == m_drop;
        COLORREF text = window_text;
        COLORREF back = window_back;
        selection_colours(lit, focused || id == m_drop, text, back);
        NMTVCUSTOMDRAW item_cd{};
        item_cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        item_cd.nmcd.hdc = dc;
        item_cd.nmcd.rc = RECT{0, (row - m_top) * m_item_height, client.right, (row - m_top + 1) * m_item_height};
        item_cd.nmcd.dwItemSpec = id;
        item_cd.nmcd.uItemState =
            (id == m_selection ? CDIS_SELECTED : 0) | (id == m_selection && focused ? CDIS_FOCUS : 0);
        item_cd.nmcd.lItemlParam = item->data;
        item_cd.clrText = text;
        item_cd.clrTextBk = back;
        item_cd.iLevel = level_of(id);
        LRESULT answer = CDRF_DODEFAULT;
        if (wants & CDRF_NOTIFYITEMDRAW) {
            answer = notify(self, NM_CUSTOMDRAW, item_cd.nmcd.hdr);
            if (!IsWindow(self))
                return 0;
            if (!(item = find(id)))
                continue;
        }
        if (!(answer & CDRF_SKIPDEFAULT))
            draw_item(dc, id, row, *item, item_cd.clrText, item_cd.clrTextBk, window_back, focused && id == m_selection);
        if (answer & CDRF_NOTIFYPOSTPAINT) {
            item_cd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
            notify(self, NM_CUSTOMDRAW, item_cd.nmcd.hdr);
            if (!IsWindow(self))
                return 0;
        }
    }
    paint.finish();
    return 0;
}

// Dotted lines on every other pixel of the client area, so the lines of
// neighbouring rows join.
void TreeView::dotted(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour)
{
    for (int x = x0; x <= x1; ++x)
        for (int y = y0; y <= y1; ++y)
            if (((x + y) & 1) == 0)
                SetPixelV(dc, x, y, colour);
}

// A row in the classic look: the lines joining it to its parent and
// siblings, the button, its images, then its label in the colours the
// parent chose, bold when it is, with the focus dots round it.
void TreeView::draw_item(HDC dc, Id id, int row, const Item& item, COLORREF text_colour, COLORREF back_colour,
                         COLORREF window_back, bool focus)
{
    const int top = (row - m_top) * m_item_height;
    const int middle = top + m_item_height / 2;
    const int left = item_left(id);
    const DWORD s = style();
    const COLORREF line_colour = m_lines == CLR_DEFAULT ? GetSysColor(COLOR_GRAYTEXT) : m_lines;
    // The column of an item's joint: half an indent before its label.
    auto joint = [&](Id of) { return item_left(of) - m_indent / 2; };
    auto has_next = [&](Id of) {
        Item* it = find(of);
        if (!it)
            return false;
        const std::vector<Id>& siblings = siblings_of(it->parent);
        return !siblings.empty() && siblings.back() != of;
    };
    const bool rooted = item.parent || (s & TVS_LINESATROOT);
    if ((s & TVS_HASLINES) && rooted) {
        const int x = joint(id);
        const bool first_root = !item.parent && !m_roots.empty() && m_roots.front() == id;
        dotted(dc, x, first_root ? middle : top, x, has_next(id) ? top + m_item_height - 1 : middle, line_colour);
        dotted(dc, x, middle, left - 1, middle, line_colour);
        // The lines of the ancestors that have siblings still to come.
        for (Id up = item.parent; up; up = find(up) ? find(up)->parent : 0) {
            Item* parent = find(up);
            if (parent && (parent->parent || (s & TVS_LINESATROOT)) && has_next(up))
                dotted(dc, joint(up), top, joint(up), top + m_item_height - 1, line_colour);
        }
    }
    if ((s & TVS_HASBUTTONS) && rooted && has_children(item)) {
        // A 9 x 9 box with a minus, and a plus while closed.
        const int x = joint(id);
        RECT box{x - 4, middle - 4, x + 5, middle + 5};
        fill(dc, box, window_back, COLOR_WINDOW);
        HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
        FrameRect(dc, &box, frame);
        DeleteObject(frame);
        RECT across{x - 2, middle, x + 3, middle + 1};
        FillRect(dc, &across, GetSysColorBrush(COLOR_WINDOWTEXT));
        if (!expanded(item)) {
            RECT down{x, middle - 2, x + 1, middle + 3};
            FillRect(dc, &down, GetSysColorBrush(COLOR_WINDOWTEXT));
        }
    }
    int x = left;
    int cx = 0, cy = 0;
    const int state_image = static_cast<int>((item.state & TVIS_STATEIMAGEMASK) >> 12);
    if (m_state_images && ImageList_GetIconSize(m_state_images, &cx, &cy)) {
        if (state_image > 0)
            ImageList_Draw(m_state_images, state_image, dc, x, top + (m_item_height - cy) / 2, ILD_TRANSPARENT);
        x += cx;
    }
    if (m_images && ImageList_GetIconSize(m_images, &cx, &cy)) {
        const int image = id == m_selection ? item.selected_image : item.image;
        ImageList_Draw(m_images, image, dc, x, top + (m_item_height - cy) / 2, ILD_TRANSPARENT);
    }
    HFONT font = (item.state & TVIS_BOLD) ? m_bold.of(m_window) : view_font(m_window);
    RECT label = label_rect(id, row);
    if ((s & TVS_FULLROWSELECT) && !(s & TVS_HASLINES)) {
        RECT client;
        GetClientRect(m_window, &client);
        label.right = client.right;
    }
    if (back_colour != window_back)
        fill(dc, label, back_colour, COLOR_WINDOW);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, text_colour);
    RECT text = label;
    text.left += 2;
    const std::string words = text_of(id);
    DrawText(dc, words.c_str(), static_cast<int>(words.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    if (focus)
        DrawFocusRect(dc, &label);
}

}  // namespace helm::user::commctrl
