// A window's menu bar on its frame: its items laid out under the caption in
// the menu font and drawn in the classic look, the item whose popup is open
// pressed in. The menu sessions (menu_popup.cpp) open its popups.

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "controls/control.h"
#include "menu_table.h"
#include "paint_internal.h"

namespace helm::user {

namespace {

// The room on each side of an item's text.
constexpr int item_padding = 6;

std::mutex g_open_mutex;
std::unordered_map<HWND, int>& open_items()
{
    static auto* table = new std::unordered_map<HWND, int>();
    return *table;
}

int open_item(HWND window)
{
    std::lock_guard lock(g_open_mutex);
    auto it = open_items().find(window);
    return it == open_items().end() ? -1 : it->second;
}

// The items laid out in `band` (window coordinates), in the menu font.
std::vector<RECT> menu_bar_layout(HWND window, const RECT& band)
{
    std::vector<RECT> rects;
    std::vector<MenuItem> items;
    HMENU bar = GetMenu(window);
    if (!bar || !menu_items(bar, items))
        return rects;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return rects;
    HGDIOBJ old = SelectObject(dc, menu_font());
    int x = band.left;
    for (const MenuItem& item : items) {
        const MenuLabel label = menu_label(item.text);
        SIZE size{};
        if (!(item.flags & MF_SEPARATOR) && !label.text.empty())
            GetTextExtentPoint32(dc, label.text.c_str(), static_cast<int>(std::min<size_t>(label.text.size(), 1024)), &size);
        const int width = (item.flags & MF_SEPARATOR) ? 0 : size.cx + 2 * item_padding;
        rects.push_back(RECT{x, band.top, std::min<int>(x + width, band.right), band.bottom});
        x = std::min<int>(x + width, band.right);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return rects;
}

}  // namespace

std::vector<RECT> menu_bar_items(HWND window)
{
    std::vector<RECT> items = menu_bar_layout(window, frame_parts(window).menu_bar);
    RECT origin{};
    GetWindowRect(window, &origin);
    for (RECT& r : items)
        OffsetRect(&r, origin.left, origin.top);
    return items;
}

int menu_bar_item_at(HWND window, POINT screen)
{
    const std::vector<RECT> items = menu_bar_items(window);
    for (size_t i = 0; i < items.size(); ++i)
        if (PtInRect(&items[i], screen))
            return static_cast<int>(i);
    return -1;
}

void paint_menu_bar(HDC dc, HWND window, const RECT& band)
{
    FillRect(dc, &band, GetSysColorBrush(COLOR_MENU));
    std::vector<MenuItem> items;
    HMENU bar = GetMenu(window);
    if (!bar || !menu_items(bar, items))
        return;
    const std::vector<RECT> rects = menu_bar_layout(window, band);
    const int open = open_item(window);
    HGDIOBJ old = SelectObject(dc, menu_font());
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < items.size() && i < rects.size(); ++i) {
        RECT r = rects[i];
        if (r.right <= r.left)
            continue;
        if (static_cast<int>(i) == open) {
            DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
            OffsetRect(&r, 1, 1);
        }
        const MenuLabel label = menu_label(items[i].text);
        const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
        if (items[i].flags & (MF_GRAYED | MF_DISABLED)) {
            controls::draw_grey_text(dc, label.text.c_str(), static_cast<int>(label.text.size()), r, format);
        } else {
            SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
            DrawText(dc, label.text.c_str(), static_cast<int>(label.text.size()), &r, format);
        }
    }
    SelectObject(dc, old);
}

void set_menu_bar_open(HWND window, int item)
{
    {
        std::lock_guard lock(g_open_mutex);
        if (item < 0)
            open_items().erase(window);
        else
            open_items()[window] = item;
    }
    const FrameParts parts = frame_parts(window);
    if (parts.menu_bar.bottom <= parts.menu_bar.top)
        return;
    if (HDC dc = GetWindowDC(window)) {
        paint_menu_bar(dc, window, parts.menu_bar);
        ReleaseDC(window, dc);
    }
}

}  // namespace helm::user
