// TrackPopupMenu: the popup window (class "#32768") and its modal loop. The
// popup holds the mouse while shown: a release over an enabled item picks
// it, a press outside closes the menu (and is eaten). The loop hands the
// thread's keys to the popup: the arrows move the highlight, Enter picks,
// Escape and Alt close, a letter picks the item whose '&' mnemonic it is.

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

#include "common_dialog.h"
#include "helm/kernel/error.h"
#include "helm/user/painting.h"
#include "menu_table.h"

namespace helm::user {

namespace {

constexpr char popup_class[] = "#32768";
constexpr int padding = 3;
constexpr int item_height = 19;
constexpr int separator_height = 9;
constexpr int char_width = 7;  // until text is measured
constexpr int text_margin = 48;
constexpr int least_width = 80;

struct Popup {
    HMENU menu;
    HWND owner;
    UINT flags;
    std::vector<MenuItem> items;
    std::vector<RECT> rects;  // client coordinates
    int highlight = -1;
    bool pressed_inside = false;
    bool done = false;
    UINT_PTR chosen = 0;
};

bool selectable(const MenuItem& it)
{
    return !(it.flags & (MF_SEPARATOR | MF_POPUP));
}

bool enabled(const MenuItem& it)
{
    return selectable(it) && !(it.flags & (MF_GRAYED | MF_DISABLED));
}

int item_at(const Popup& p, POINT client)
{
    for (size_t i = 0; i < p.rects.size(); ++i)
        if (PtInRect(&p.rects[i], client))
            return static_cast<int>(i);
    return -1;
}

void set_highlight(HWND popup, Popup& p, int index)
{
    if (index == p.highlight)
        return;
    p.highlight = index;
    if (!(p.flags & TPM_NONOTIFY) && index >= 0) {
        const MenuItem& it = p.items[static_cast<size_t>(index)];
        UINT state = (it.flags & 0xFFFF) | MF_HILITE;
        SendMessage(p.owner, WM_MENUSELECT, MAKEWPARAM(static_cast<WORD>(it.id), static_cast<WORD>(state)),
                    reinterpret_cast<LPARAM>(p.menu));
    }
    InvalidateRect(popup, nullptr, TRUE);
}

void choose(Popup& p, int index)
{
    if (index < 0 || !enabled(p.items[static_cast<size_t>(index)]))
        return;
    p.chosen = p.items[static_cast<size_t>(index)].id;
    p.done = true;
}

// The next item the arrows can reach, wrapping; -1 when there is none.
int step(const Popup& p, int from, int direction)
{
    const int n = static_cast<int>(p.items.size());
    for (int k = 1; k <= n; ++k) {
        int i = ((from < 0 ? (direction > 0 ? -1 : 0) : from) + direction * k + n * 2) % n;
        if (selectable(p.items[static_cast<size_t>(i)]))
            return i;
    }
    return -1;
}

void on_key(HWND popup, Popup& p, UINT message, WPARAM key)
{
    if (message == WM_CHAR) {
        const int c = std::tolower(static_cast<unsigned char>(key));
        for (size_t i = 0; i < p.items.size(); ++i) {
            const std::string& t = p.items[i].text;
            size_t amp = t.find('&');
            if (amp != std::string::npos && amp + 1 < t.size() &&
                std::tolower(static_cast<unsigned char>(t[amp + 1])) == c && enabled(p.items[i])) {
                choose(p, static_cast<int>(i));
                return;
            }
        }
        return;
    }
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN)
        return;
    switch (key) {
    case VK_UP:
        set_highlight(popup, p, step(p, p.highlight, -1));
        break;
    case VK_DOWN:
        set_highlight(popup, p, step(p, p.highlight, 1));
        break;
    case VK_RETURN:
        choose(p, p.highlight);
        break;
    case VK_ESCAPE:
    case VK_MENU:
    case VK_F10:
        p.done = true;
        break;
    default:
        break;
    }
}

void paint(HWND popup, Popup& p)
{
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(popup, &ps);
    RECT client{};
    GetClientRect(popup, &client);
    if (dc) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_MENU));
        DrawEdge(dc, &client, EDGE_RAISED, BF_RECT);
        SetBkMode(dc, TRANSPARENT);
    }
    for (size_t i = 0; i < p.items.size(); ++i) {
        const MenuItem& it = p.items[i];
        RECT r = p.rects[i];
        const bool lit = static_cast<int>(i) == p.highlight;
        if (it.flags & MF_OWNERDRAW) {
            DRAWITEMSTRUCT dis{};
            dis.CtlType = ODT_MENU;
            dis.itemID = static_cast<UINT>(it.id);
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = (lit ? ODS_SELECTED : 0) | ((it.flags & MF_GRAYED) ? ODS_GRAYED : 0) |
                            ((it.flags & MF_DISABLED) ? ODS_DISABLED : 0) | ((it.flags & MF_CHECKED) ? ODS_CHECKED : 0);
            dis.hwndItem = reinterpret_cast<HWND>(p.menu);
            dis.hDC = dc;
            dis.rcItem = r;
            dis.itemData = it.data;
            SendMessage(p.owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
            continue;
        }
        if (!dc)
            continue;
        if (it.flags & MF_SEPARATOR) {
            RECT line{r.left, (r.top + r.bottom) / 2 - 1, r.right, (r.top + r.bottom) / 2 + 1};
            DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
            continue;
        }
        if (lit)
            FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor((it.flags & MF_GRAYED) ? COLOR_GRAYTEXT
                                     : lit                   ? COLOR_HIGHLIGHTTEXT
                                                             : COLOR_MENUTEXT));
        std::string label;
        for (size_t k = 0; k < it.text.size() && it.text[k] != '\t'; ++k)
            if (it.text[k] != '&' || (k + 1 < it.text.size() && it.text[k + 1] == '&' && ++k))
                label += it.text[k];
        if (it.flags & MF_CHECKED)
            TextOut(dc, r.left + 6, r.top + 2, "\xD6", 1);
        RECT text = r;
        text.left += 20;
        DrawText(dc, label.c_str(), static_cast<int>(label.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    EndPaint(popup, &ps);
}

LRESULT CALLBACK popup_proc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (common_dialog_message(popup, message))
        return 0;
    auto* p = reinterpret_cast<Popup*>(GetWindowLongPtr(popup, GWLP_USERDATA));
    if (!p)
        return DefWindowProc(popup, message, wParam, lParam);
    POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    RECT client{};
    GetClientRect(popup, &client);
    const bool inside = PtInRect(&client, pt) != FALSE;
    switch (message) {
    case WM_MOUSEMOVE:
        if (inside)
            set_highlight(popup, *p, item_at(*p, pt));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        if (!inside) {
            p->done = true;  // a press elsewhere closes the menu, eaten
        } else {
            p->pressed_inside = true;
            set_highlight(popup, *p, item_at(*p, pt));
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        // The right button picks too, as it does with TPM_RIGHTBUTTON and
        // for a menu opened by that button's release.
        if (inside && (message == WM_LBUTTONUP || (p->flags & TPM_RIGHTBUTTON) || p->pressed_inside))
            choose(*p, item_at(*p, pt));
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
        on_key(popup, *p, message, wParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != popup)
            p->done = true;
        return 0;
    case WM_PAINT:
        paint(popup, *p);
        return 0;
    default:
        return DefWindowProc(popup, message, wParam, lParam);
    }
}

void register_popup_class()
{
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASS wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = popup_proc;
        wc.lpszClassName = popup_class;
        RegisterClass(&wc);
    });
}

// Lays the items out, asking the owner for owner-drawn sizes.
SIZE layout(Popup& p)
{
    int width = least_width;
    int y = padding;
    p.rects.clear();
    for (const MenuItem& it : p.items) {
        int h = (it.flags & MF_SEPARATOR) ? separator_height : item_height;
        int w = static_cast<int>(it.text.size()) * char_width + text_margin;
        if (it.flags & MF_OWNERDRAW) {
            MEASUREITEMSTRUCT mis{};
            mis.CtlType = ODT_MENU;
            mis.itemID = static_cast<UINT>(it.id);
            mis.itemHeight = item_height;
            mis.itemData = it.data;
            SendMessage(p.owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
            h = static_cast<int>(std::min<UINT>(mis.itemHeight, 1000));
            w = static_cast<int>(std::min<UINT>(mis.itemWidth, 4000)) + 2 * padding;
        }
        width = std::max(width, w);
        p.rects.push_back(RECT{padding, y, 0, y + h});
        y += h;
    }
    for (RECT& r : p.rects)
        r.right = width - padding;
    return SIZE{width, y + padding};
}

// Where the popup goes: the point as the alignment flags say, then kept on
// the point's monitor.
POINT place(UINT flags, int x, int y, SIZE size)
{
    if (flags & TPM_RIGHTALIGN)
        x -= size.cx;
    else if (flags & TPM_CENTERALIGN)
        x -= size.cx / 2;
    if (flags & TPM_BOTTOMALIGN)
        y -= size.cy;
    else if (flags & TPM_VCENTERALIGN)
        y -= size.cy / 2;
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (GetMonitorInfo(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST), &mi)) {
        x = std::max<int>(mi.rcWork.left, std::min<int>(x, mi.rcWork.right - size.cx));
        y = std::max<int>(mi.rcWork.top, std::min<int>(y, mi.rcWork.bottom - size.cy));
    }
    return POINT{x, y};
}

std::mutex g_shown_mutex;
std::vector<std::pair<HWND, Popup*>>& shown_popups()
{
    static auto* list = new std::vector<std::pair<HWND, Popup*>>();
    return *list;
}

}  // namespace

UINT_PTR track_popup(HMENU menu, UINT flags, int x, int y, HWND owner, bool* ok)
{
    *ok = false;
    Popup p{menu, owner, flags, {}, {}};
    if (!IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!menu_items(menu, p.items)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return 0;
    }
    register_popup_class();
    const bool notify = !(flags & TPM_NONOTIFY);
    if (notify) {
        SendMessage(owner, WM_ENTERMENULOOP, TRUE, 0);
        SendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        menu_items(menu, p.items);  // the owner may have changed it
    }
    SIZE size = layout(p);
    POINT at = place(flags, x, y, size);
    HWND popup = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, popup_class, "", WS_POPUP, at.x, at.y, size.cx,
                                size.cy, owner, nullptr, nullptr, nullptr);
    if (!popup)
        return 0;
    SetWindowLongPtr(popup, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&p));
    {
        std::lock_guard lock(g_shown_mutex);
        shown_popups().push_back({popup, &p});
    }
    ShowWindow(popup, SW_SHOWNOACTIVATE);
    SetCapture(popup);
    note_when_shown(popup);

    MSG msg;
    bool quit = false;
    int exit_code = 0;
    while (!p.done && IsWindow(owner)) {
        BOOL got = GetMessage(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            exit_code = static_cast<int>(msg.wParam);
            break;
        }
        // The thread's keys belong to the menu while it is up.
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN || msg.message == WM_KEYUP ||
            msg.message == WM_SYSKEYUP || msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
            if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
                TranslateMessage(&msg);
            on_key(popup, p, msg.message, msg.wParam);
            continue;
        }
        DispatchMessage(&msg);
    }
    {
        std::lock_guard lock(g_shown_mutex);
        auto& list = shown_popups();
        list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& e) { return e.first == popup; }),
                   list.end());
    }
    if (GetCapture() == popup)
        ReleaseCapture();
    SetWindowLongPtr(popup, GWLP_USERDATA, 0);
    DestroyWindow(popup);
    if (notify && IsWindow(owner)) {
        SendMessage(owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        SendMessage(owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        SendMessage(owner, WM_EXITMENULOOP, TRUE, 0);
    }
    if (quit)
        PostQuitMessage(exit_code);
    *ok = true;
    return p.chosen;
}

bool popup_item_rect(HMENU menu, UINT item, RECT* rect)
{
    std::lock_guard lock(g_shown_mutex);
    for (const auto& [window, popup] : shown_popups()) {
        if (popup->menu != menu || item >= popup->rects.size())
            continue;
        *rect = popup->rects[item];
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(rect), 2);
        return true;
    }
    return false;
}

}  // namespace helm::user

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*)
{
    bool ok = false;
    UINT_PTR chosen = helm::user::track_popup(menu, flags, x, y, owner, &ok);
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(chosen);
    if (chosen && !(flags & TPM_NONOTIFY))
        PostMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
    return ok;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const void*)
{
    return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

BOOL GetMenuItemRect(HWND, HMENU menu, UINT item, LPRECT rect)
{
    if (!rect)
        return FALSE;
    return helm::user::popup_item_rect(menu, item, rect) ? TRUE : FALSE;
}

void helm::user::open_system_menu(HWND window)
{
    HMENU menu = GetSystemMenu(window, FALSE);
    if (!menu)
        return;
    RECT r{};
    GetWindowRect(window, &r);
    bool ok = false;
    UINT_PTR chosen = track_popup(menu, TPM_LEFTALIGN | TPM_TOPALIGN, r.left, r.top + GetSystemMetrics(SM_CYCAPTION),
                                  window, &ok);
    if (chosen)
        SendMessage(window, WM_SYSCOMMAND, chosen, MAKELPARAM(r.left, r.top));
}
