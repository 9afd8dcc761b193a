// Menus on the screen: the popups of TrackPopupMenu, of the system menu and
// of a window's menu bar, each a "#32768" window, run by one modal loop (a
// menu session). The session holds the mouse while it runs: a release over
// an enabled command picks it, a press outside the popups and the bar
// closes them all and is eaten. A popup item opens its submenu beside it,
// at once when pressed or by the keys, after the hover delay when the mouse
// rests on it. The loop hands the thread's keys to the deepest popup: the
// arrows, Enter, Escape, Alt, F10 and the letters after '&'.

#include <algorithm>
#include <memory>
#include <mutex>

#include "common_dialog.h"
#include "controls/control.h"
#include "helm/kernel/error.h"
#include "helm/user/input.h"
#include "helm/user/painting.h"
#include "menu_table.h"
#include "paint_internal.h"
#include "window_table.h"

namespace helm::user {

namespace {

constexpr char popup_class[] = "#32768";
constexpr int frame = 3;             // the raised edge round a popup's items
constexpr int separator_height = 9;
constexpr int check_column = 17;     // before the text: the check mark
constexpr int arrow_column = 17;     // after it: a submenu's arrow
constexpr int accelerator_gap = 12;  // between the texts and their keys
constexpr UINT_PTR open_timer = 1;
constexpr UINT open_delay = 400;     // ms the mouse rests on a popup item before it opens

bool is_separator(const MenuItem& it) { return (it.flags & MF_SEPARATOR) != 0; }
bool is_popup(const MenuItem& it) { return (it.flags & MF_POPUP) != 0; }
bool is_greyed(const MenuItem& it) { return (it.flags & (MF_GRAYED | MF_DISABLED)) != 0; }

// One popup on the screen.
struct Level {
    HMENU menu = nullptr;
    HWND window = nullptr;
    std::vector<MenuItem> items;
    std::vector<RECT> rects;  // client coordinates
    int key_x = 0;            // where the accelerator keys' column starts
    int highlight = -1;
    int opened_from = -1;     // the item of the level before that opened it
};

// A text item of a popup in the classic look: its check mark, text, key
// and submenu arrow; in the highlight colours when lit; greyed ones
// embossed (grey on the highlight when lit).
void draw_menu_item(HDC dc, const MenuItem& item, const RECT& r, bool lit, int key_x)
{
    const bool greyed = is_greyed(item);
    if (lit)
        FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    const MenuLabel label = menu_label(item.text);
    const RECT check{r.left, r.top, r.left + check_column, r.bottom};
    const RECT arrow{r.right - arrow_column, r.top, r.right, r.bottom};
    RECT text{r.left + check_column, r.top, r.right - arrow_column, r.bottom};
    RECT key{key_x, r.top, r.right - arrow_column, r.bottom};
    const UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    // Drawn once in `colour`, or embossed: white one pixel down and right,
    // then the shadow colour.
    auto draw = [&](COLORREF colour, int dx) {
        RECT t = text, k = key, c = check, a = arrow;
        for (RECT* each : {&t, &k, &c, &a})
            OffsetRect(each, dx, dx);
        SetTextColor(dc, colour);
        DrawText(dc, label.text.c_str(), static_cast<int>(label.text.size()), &t, format);
        if (!label.key.empty())
            DrawText(dc, label.key.c_str(), static_cast<int>(label.key.size()), &k, format);
        if (item.flags & MF_CHECKED)
            draw_check_glyph(dc, c, colour);
        if (is_popup(item))
            draw_arrow_glyph(dc, a, 3, colour);
    };
    if (greyed && !lit) {
        draw(GetSysColor(COLOR_BTNHIGHLIGHT), 1);
        draw(GetSysColor(COLOR_BTNSHADOW), 0);
    } else {
        draw(GetSysColor(greyed ? COLOR_GRAYTEXT : lit ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT), 0);
    }
}

std::mutex g_shown_mutex;
// The popups shown, for GetMenuItemRect.
std::vector<const Level*>& shown_levels()
{
    static auto* list = new std::vector<const Level*>();
    return *list;
}

LRESULT CALLBACK popup_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

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

POINT screen_of(HWND window, LPARAM lParam)
{
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(window, &p);
    return p;
}

RECT work_area_at(POINT p)
{
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfo(MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

// Where a root popup goes: the point as the alignment flags say, kept on
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
    const RECT work = work_area_at(POINT{x, y});
    x = std::max<int>(work.left, std::min<int>(x, work.right - size.cx));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - size.cy));
    return POINT{x, y};
}

// A submenu beside the item that opens it (screen rectangle): to its right,
// or to the left of its popup when the monitor ends first.
POINT cascade(const RECT& item, const RECT& popup, SIZE size)
{
    const RECT work = work_area_at(POINT{item.right, item.top});
    int x = item.right + frame;
    if (x + size.cx > work.right)
        x = popup.left - size.cx + frame;
    const int y = std::max<int>(work.top, std::min<int>(item.top - frame, work.bottom - size.cy));
    return POINT{std::max<int>(work.left, x), y};
}

class Session {
public:
    Session(HWND owner, UINT flags, bool system) : m_owner(owner), m_flags(flags), m_system(system) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Shows `menu` at the point as the TPM_ flags place it and runs until
    // a pick or the end; the command picked, 0 for none.
    UINT_PTR track(HMENU menu, int x, int y);
    // The same from item `index` of the owner's menu bar; by the keys its
    // popup's first item is highlighted.
    UINT_PTR track_bar(HMENU bar, int index, bool by_key);
    bool ran() const { return m_ran; }

    void on_mouse(UINT message, POINT screen);
    void on_key(UINT message, WPARAM key);
    void on_timer();
    void paint(HWND window);
    void cancel() { m_done = true; }
    bool owns(HWND window) const;

private:
    bool notify() const { return !(m_flags & TPM_NONOTIFY); }
    bool begin();
    UINT_PTR run();
    void end();
    bool open(HMENU menu, POINT at, const RECT* beside, int opened_from);
    void open_child(size_t level, int item, bool by_key);
    // Closes the levels from `first` on, deepest first.
    void close_from(size_t first);
    void set_highlight(size_t level, int item);
    void hover(size_t level, int item);
    void choose(size_t level, int item);
    int step(const Level& level, int from, int direction) const;
    int item_at(const Level& level, POINT screen) const;
    int level_at(POINT screen) const;
    SIZE layout(Level& level);

    // The menu bar the session came from, if any.
    int bar_item_at(POINT screen) const;
    void open_bar_item(int index, bool by_key);

    HWND m_owner;
    UINT m_flags;
    bool m_system;
    HWND m_holder = nullptr;  // holds the mouse for every popup of the session
    std::vector<std::unique_ptr<Level>> m_levels;
    HMENU m_bar = nullptr;
    int m_bar_item = -1;
    size_t m_pending_level = 0;
    int m_pending_item = -1;
    bool m_pressed_inside = false;
    bool m_done = false;
    bool m_ran = false;
    UINT_PTR m_chosen = 0;
};

Session* session_of(HWND window)
{
    return reinterpret_cast<Session*>(GetWindowLongPtr(window, GWLP_USERDATA));
}

LRESULT CALLBACK popup_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (common_dialog_message(window, message))
        return 0;
    Session* session = session_of(window);
    if (!session)
        return DefWindowProc(window, message, wParam, lParam);
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        session->on_mouse(message, screen_of(window, lParam));
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR:
        session->on_key(message, wParam);
        return 0;
    case WM_TIMER:
        if (wParam == open_timer)
            session->on_timer();
        return 0;
    case WM_CAPTURECHANGED:
        if (!session->owns(reinterpret_cast<HWND>(lParam)))
            session->cancel();
        return 0;
    case WM_PAINT:
        session->paint(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProc(window, message, wParam, lParam);
    }
}

bool Session::owns(HWND window) const
{
    if (window && window == m_holder)
        return true;
    return std::any_of(m_levels.begin(), m_levels.end(), [&](const auto& l) { return l->window == window; });
}

// Items measured in the menu font: the check column, the text, the keys'
// column, the arrow column; owner-drawn items as the owner measures them.
SIZE Session::layout(Level& level)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = dc ? SelectObject(dc, menu_font()) : nullptr;
    TEXTMETRIC metrics{};
    if (dc)
        GetTextMetrics(dc, &metrics);
    const int text_height = std::max<int>(metrics.tmHeight + 4, 17);
    auto width_of = [&](const std::string& text) {
        SIZE size{};
        if (dc && !text.empty())
            GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(std::min<size_t>(text.size(), 1024)), &size);
        return static_cast<int>(size.cx);
    };
    int widest_text = 0, widest_key = 0, widest_drawn = 0;
    std::vector<int> heights;
    for (const MenuItem& it : level.items) {
        int height = is_separator(it) ? separator_height : text_height;
        if (it.flags & MF_OWNERDRAW) {
            MEASUREITEMSTRUCT mis{};
            mis.CtlType = ODT_MENU;
            mis.itemID = static_cast<UINT>(it.id);
            mis.itemHeight = static_cast<UINT>(text_height);
            mis.itemData = it.data;
            SendMessage(m_owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
            height = static_cast<int>(std::min<UINT>(mis.itemHeight, 1000));
            widest_drawn = std::max(widest_drawn, static_cast<int>(std::min<UINT>(mis.itemWidth, 4000)));
        } else if (!is_separator(it)) {
            const MenuLabel label = menu_label(it.text);
            widest_text = std::max(widest_text, width_of(label.text));
            widest_key = std::max(widest_key, width_of(label.key));
        }
        heights.push_back(height);
    }
    if (dc) {
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    const int inner = std::max(check_column + widest_text + (widest_key ? accelerator_gap + widest_key : 0) + arrow_column,
                               widest_drawn);
    level.key_x = frame + check_column + widest_text + accelerator_gap;
    level.rects.clear();
    int y = frame;
    for (int height : heights) {
        level.rects.push_back(RECT{frame, y, frame + inner, y + height});
        y += height;
    }
    return SIZE{inner + 2 * frame, y + frame};
}

bool Session::open(HMENU menu, POINT at, const RECT* beside, int opened_from)
{
    if (notify()) {
        const bool system_root = m_system && m_levels.empty();
        SendMessage(m_owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
                    MAKELPARAM(std::max(opened_from, 0), system_root ? 1 : 0));
    }
    auto level = std::make_unique<Level>();
    level->menu = menu;
    level->opened_from = opened_from;
    if (!IsWindow(m_owner) || !menu_items(menu, level->items))
        return false;
    const SIZE size = layout(*level);
    POINT p;
    if (beside) {
        RECT parent{};
        GetWindowRect(m_levels.back()->window, &parent);
        p = cascade(*beside, parent, size);
    } else {
        p = place(m_flags, at.x, at.y, size);
    }
    level->window = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, popup_class, "", WS_POPUP, p.x, p.y, size.cx,
                                   size.cy, m_owner, nullptr, nullptr, nullptr);
    if (!level->window)
        return false;
    SetWindowLongPtr(level->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    {
        std::lock_guard lock(g_shown_mutex);
        shown_levels().push_back(level.get());
    }
    HWND window = level->window;
    m_levels.push_back(std::move(level));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return true;
}

void Session::close_from(size_t first)
{
    while (m_levels.size() > first) {
        std::unique_ptr<Level> level = std::move(m_levels.back());
        m_levels.pop_back();
        {
            std::lock_guard lock(g_shown_mutex);
            auto& list = shown_levels();
            list.erase(std::remove(list.begin(), list.end(), level.get()), list.end());
        }
        SetWindowLongPtr(level->window, GWLP_USERDATA, 0);
        DestroyWindow(level->window);
        if (notify() && IsWindow(m_owner))
            SendMessage(m_owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(level->menu), 0);
    }
    if (m_pending_level >= first)
        m_pending_item = -1;
}

void Session::open_child(size_t level, int item, bool by_key)
{
    if (level >= m_levels.size())
        return;
    close_from(level + 1);
    Level& parent = *m_levels[level];
    const MenuItem it = parent.items[static_cast<size_t>(item)];
    if (!is_popup(it) || is_greyed(it))
        return;
    RECT beside = parent.rects[static_cast<size_t>(item)];
    MapWindowPoints(parent.window, nullptr, reinterpret_cast<POINT*>(&beside), 2);
    if (open(it.popup, POINT{}, &beside, item) && by_key) {
        Level& child = *m_levels.back();
        set_highlight(m_levels.size() - 1, step(child, -1, 1));
    }
}

void Session::set_highlight(size_t index, int item)
{
    Level& level = *m_levels[index];
    if (item == level.highlight)
        return;
    level.highlight = item;
    if (notify() && item >= 0) {
        const MenuItem& it = level.items[static_cast<size_t>(item)];
        // A popup item is told by its position, a command by its id.
        const WORD which = is_popup(it) ? static_cast<WORD>(item) : static_cast<WORD>(it.id);
        const UINT state = (it.flags & 0xFFFF) | MF_HILITE | (m_system ? MF_SYSMENU : 0);
        SendMessage(m_owner, WM_MENUSELECT, MAKEWPARAM(which, static_cast<WORD>(state)),
                    reinterpret_cast<LPARAM>(level.menu));
    }
    InvalidateRect(level.window, nullptr, TRUE);
}

void Session::hover(size_t index, int item)
{
    set_highlight(index, item);
    if (index >= m_levels.size())
        return;
    // A submenu stays open while its own item is the one under the mouse.
    if (index + 1 < m_levels.size() && m_levels[index + 1]->opened_from != item && item >= 0)
        close_from(index + 1);
    KillTimer(m_holder, open_timer);
    m_pending_item = -1;
    const Level& level = *m_levels[index];
    if (item >= 0 && is_popup(level.items[static_cast<size_t>(item)]) && index + 1 == m_levels.size()) {
        m_pending_level = index;
        m_pending_item = item;
        SetTimer(m_holder, open_timer, open_delay, nullptr);
    }
}

void Session::on_timer()
{
    KillTimer(m_holder, open_timer);
    if (m_pending_item >= 0 && m_pending_level < m_levels.size() &&
        m_levels[m_pending_level]->highlight == m_pending_item && m_pending_level + 1 == m_levels.size())
        open_child(m_pending_level, m_pending_item, false);
    m_pending_item = -1;
}

void Session::choose(size_t index, int item)
{
    if (index >= m_levels.size() || item < 0)
        return;
    const MenuItem& it = m_levels[index]->items[static_cast<size_t>(item)];
    if (is_separator(it) || is_greyed(it))
        return;
    if (is_popup(it)) {
        open_child(index, item, true);
        return;
    }
    m_chosen = it.id;
    m_done = true;
}

// The next item the arrows reach, passing separators, wrapping; -1 for none.
int Session::step(const Level& level, int from, int direction) const
{
    const int n = static_cast<int>(level.items.size());
    for (int k = 1; k <= n; ++k) {
        const int i = ((from < 0 ? (direction > 0 ? -1 : 0) : from) + direction * k + n * 2) % n;
        if (!is_separator(level.items[static_cast<size_t>(i)]))
            return i;
    }
    return -1;
}

int Session::item_at(const Level& level, POINT screen) const
{
    POINT p = screen;
    ScreenToClient(level.window, &p);
    for (size_t i = 0; i < level.rects.size(); ++i)
        if (PtInRect(&level.rects[i], p))
            return static_cast<int>(i);
    return -1;
}

int Session::level_at(POINT screen) const
{
    for (size_t i = m_levels.size(); i-- > 0;) {
        RECT r{};
        GetWindowRect(m_levels[i]->window, &r);
        if (PtInRect(&r, screen))
            return static_cast<int>(i);
    }
    return -1;
}

int Session::bar_item_at(POINT screen) const
{
    return m_bar ? menu_bar_item_at(m_owner, screen) : -1;
}

void Session::on_mouse(UINT message, POINT screen)
{
    const bool press = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_LBUTTONDBLCLK ||
                       message == WM_RBUTTONDBLCLK;
    const bool release = message == WM_LBUTTONUP || message == WM_RBUTTONUP;
    const int index = level_at(screen);
    if (index < 0) {
        const int bar_item = bar_item_at(screen);
        if (bar_item >= 0) {
            // On the bar: another item opens in place of this one; a press
            // on the open one closes the menu.
            if (bar_item != m_bar_item)
                open_bar_item(bar_item, false);
            else if (press)
                m_done = true;
            return;
        }
        if (press)
            m_done = true;  // a press elsewhere closes the menu, eaten
        else if (message == WM_MOUSEMOVE && !m_levels.empty() &&
                 (m_levels.size() == 1 || m_levels.back()->highlight >= 0))
            set_highlight(m_levels.size() - 1, -1);
        return;
    }
    const size_t level = static_cast<size_t>(index);
    const int item = item_at(*m_levels[level], screen);
    if (message == WM_MOUSEMOVE) {
        hover(level, item);
    } else if (press) {
        m_pressed_inside = true;
        hover(level, item);
        if (item >= 0 && is_popup(m_levels[level]->items[static_cast<size_t>(item)]))
            open_child(level, item, false);
    } else if (release && item >= 0 && !is_popup(m_levels[level]->items[static_cast<size_t>(item)])) {
        // The right button picks too, as it does with TPM_RIGHTBUTTON and
        // for a menu opened by that button's release.
        if (message == WM_LBUTTONUP || (m_flags & TPM_RIGHTBUTTON) || m_pressed_inside)
            choose(level, item);
    }
}

void Session::on_key(UINT message, WPARAM key)
{
    if (m_levels.empty())
        return;
    const size_t deepest = m_levels.size() - 1;
    Level& level = *m_levels[deepest];
    if (message == WM_CHAR || message == WM_SYSCHAR) {
        for (size_t i = 0; i < level.items.size(); ++i) {
            if (menu_mnemonic(level.items[i].text) == controls::to_lower_1252(static_cast<char>(key)) &&
                !is_greyed(level.items[i])) {
                set_highlight(deepest, static_cast<int>(i));
                choose(deepest, static_cast<int>(i));
                return;
            }
        }
        return;
    }
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN)
        return;
    const int lit = level.highlight;
    const bool on_popup = lit >= 0 && is_popup(level.items[static_cast<size_t>(lit)]);
    switch (key) {
    case VK_UP:
        set_highlight(deepest, step(level, lit, -1));
        break;
    case VK_DOWN:
        set_highlight(deepest, step(level, lit, 1));
        break;
    case VK_RIGHT:
        if (on_popup)
            open_child(deepest, lit, true);
        else if (m_bar)
            open_bar_item((m_bar_item + 1) % std::max(GetMenuItemCount(m_bar), 1), true);
        break;
    case VK_LEFT:
        if (deepest > 0)
            close_from(deepest);
        else if (m_bar)
            open_bar_item((m_bar_item + GetMenuItemCount(m_bar) - 1) % std::max(GetMenuItemCount(m_bar), 1), true);
        break;
    case VK_RETURN:
        choose(deepest, lit);
        break;
    case VK_ESCAPE:
        if (deepest > 0)
            close_from(deepest);
        else
            m_done = true;
        break;
    case VK_MENU:
    case VK_F10:
        m_done = true;
        break;
    default:
        break;
    }
}

// A popup in the classic look: the raised frame on the menu colour; items
// with their check marks, texts, keys and submenu arrows, the highlighted
// one in the highlight colours, greyed ones embossed; etched separators;
// owner-drawn items by their owner.
void Session::paint(HWND window)
{
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window, &ps);
    auto it = std::find_if(m_levels.begin(), m_levels.end(), [&](const auto& l) { return l->window == window; });
    if (!dc || it == m_levels.end()) {
        EndPaint(window, &ps);
        return;
    }
    const Level& level = **it;
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_MENU));
    DrawEdge(dc, &client, EDGE_RAISED, BF_RECT);
    HGDIOBJ old_font = SelectObject(dc, menu_font());
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < level.items.size(); ++i) {
        const MenuItem& item = level.items[i];
        const RECT r = level.rects[i];
        const bool lit = static_cast<int>(i) == level.highlight;
        if (item.flags & MF_OWNERDRAW) {
            DRAWITEMSTRUCT dis{};
            dis.CtlType = ODT_MENU;
            dis.itemID = static_cast<UINT>(item.id);
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = (lit ? ODS_SELECTED : 0) | ((item.flags & MF_GRAYED) ? ODS_GRAYED : 0) |
                            ((item.flags & MF_DISABLED) ? ODS_DISABLED : 0) | ((item.flags & MF_CHECKED) ? ODS_CHECKED : 0);
            dis.hwndItem = reinterpret_cast<HWND>(level.menu);
            dis.hDC = dc;
            dis.rcItem = r;
            dis.itemData = item.data;
            SendMessage(m_owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
            SelectObject(dc, menu_font());
            SetBkMode(dc, TRANSPARENT);
            continue;
        }
        if (is_separator(item)) {
            RECT line{r.left, (r.top + r.bottom) / 2 - 1, r.right, (r.top + r.bottom) / 2 + 1};
            DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
            continue;
        }
        draw_menu_item(dc, item, r, lit, level.key_x);
    }
    SelectObject(dc, old_font);
    EndPaint(window, &ps);
}

bool Session::begin()
{
    register_popup_class();
    if (notify()) {
        SendMessage(m_owner, WM_ENTERMENULOOP, m_bar ? FALSE : TRUE, 0);
        if (m_bar || m_system)
            SendMessage(m_owner, WM_INITMENU, reinterpret_cast<WPARAM>(m_bar ? m_bar : GetSystemMenu(m_owner, FALSE)), 0);
    }
    // An unseen window holds the mouse for all the popups; at the screen's
    // origin, its client points are screen points.
    m_holder = CreateWindowEx(WS_EX_TOOLWINDOW, popup_class, "", WS_POPUP, 0, 0, 0, 0, m_owner, nullptr, nullptr,
                              nullptr);
    if (!m_holder)
        return false;
    SetWindowLongPtr(m_holder, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

UINT_PTR Session::run()
{
    if (m_levels.empty()) {
        end();
        return 0;
    }
    SetCapture(m_holder);
    note_when_shown(m_levels.front()->window);
    MSG msg;
    bool quit = false;
    int exit_code = 0;
    while (!m_done && IsWindow(m_owner) && !m_levels.empty()) {
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
            on_key(msg.message, msg.wParam);
            continue;
        }
        DispatchMessage(&msg);
    }
    m_ran = true;
    end();
    if (quit)
        PostQuitMessage(exit_code);
    return m_chosen;
}

void Session::end()
{
    if (m_holder) {
        KillTimer(m_holder, open_timer);
        if (GetCapture() == m_holder)
            ReleaseCapture();
        SetWindowLongPtr(m_holder, GWLP_USERDATA, 0);
        DestroyWindow(m_holder);
        m_holder = nullptr;
    }
    close_from(0);
    if (m_bar)
        set_menu_bar_open(m_owner, -1);
    if (notify() && IsWindow(m_owner)) {
        SendMessage(m_owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        SendMessage(m_owner, WM_EXITMENULOOP, m_bar ? FALSE : TRUE, 0);
    }
}

UINT_PTR Session::track(HMENU menu, int x, int y)
{
    if (!begin())
        return 0;
    open(menu, POINT{x, y}, nullptr, -1);
    return run();
}

void Session::open_bar_item(int index, bool by_key)
{
    close_from(0);
    m_bar_item = index;
    set_menu_bar_open(m_owner, index);
    std::vector<MenuItem> items;
    if (!menu_items(m_bar, items) || index < 0 || static_cast<size_t>(index) >= items.size())
        return;
    const MenuItem& it = items[static_cast<size_t>(index)];
    if (!is_popup(it) || is_greyed(it))
        return;
    const std::vector<RECT> bar_items = menu_bar_items(m_owner);
    if (static_cast<size_t>(index) >= bar_items.size())
        return;
    const RECT item = bar_items[static_cast<size_t>(index)];
    // Under the item, as TPM_LEFTALIGN | TPM_TOPALIGN would put it.
    const UINT flags = m_flags;
    m_flags = (m_flags & ~static_cast<UINT>(TPM_RIGHTALIGN | TPM_CENTERALIGN | TPM_BOTTOMALIGN | TPM_VCENTERALIGN));
    if (open(it.popup, POINT{item.left, item.bottom}, nullptr, index) && by_key)
        set_highlight(0, step(*m_levels.front(), -1, 1));
    m_flags = flags;
}

UINT_PTR Session::track_bar(HMENU bar, int index, bool by_key)
{
    m_bar = bar;
    if (!begin())
        return 0;
    open_bar_item(index, by_key);
    if (m_levels.empty()) {
        // A command on the bar itself is picked by a click (not by the key
        // that only reaches it).
        std::vector<MenuItem> items;
        if (!by_key && menu_items(bar, items) && index >= 0 && static_cast<size_t>(index) < items.size() &&
            !is_popup(items[static_cast<size_t>(index)]) && !is_greyed(items[static_cast<size_t>(index)]))
            m_chosen = items[static_cast<size_t>(index)].id;
        m_ran = true;
        end();
        return m_chosen;
    }
    return run();
}

// What the system menu offers for the window's state, as Windows greys it.
void update_system_menu(HWND window, HMENU menu)
{
    const DWORD style = static_cast<DWORD>(GetWindowLong(window, GWL_STYLE));
    const bool minimised = (style & WS_MINIMIZE) != 0, maximised = (style & WS_MAXIMIZE) != 0;
    const struct {
        UINT command;
        bool enabled;
    } rows[] = {
        {SC_RESTORE, minimised || maximised},
        {SC_MOVE, !maximised},
        {SC_SIZE, (style & WS_THICKFRAME) && !minimised && !maximised},
        {SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !minimised},
        {SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !maximised},
    };
    for (const auto& row : rows)
        EnableMenuItem(menu, row.command, MF_BYCOMMAND | (row.enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

// TrackPopupMenu and the system menu: the command picked, 0 for none; `ok`
// false when the menu could not be shown.
UINT_PTR track_popup(HMENU menu, UINT flags, int x, int y, HWND owner, bool* ok, bool system)
{
    *ok = false;
    if (!IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return 0;
    }
    Session session(owner, flags, system);
    const UINT_PTR chosen = session.track(menu, x, y);
    *ok = session.ran();
    return chosen;
}

// The owner's menu bar from one of its items; a pick is posted as
// WM_COMMAND.
void track_menu_bar(HWND window, int item, bool by_key)
{
    HMENU bar = GetMenu(window);
    if (!bar || item < 0 || item >= GetMenuItemCount(bar))
        return;
    Session session(window, 0, false);
    const UINT_PTR chosen = session.track_bar(bar, item, by_key);
    if (chosen)
        PostMessage(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
}

// GetMenuItemRect: an item of a window's menu bar, or of a popup on the
// screen.
bool menu_item_rect(HWND window, HMENU menu, UINT item, RECT* rect)
{
    if (window && menu && GetMenu(window) == menu) {
        const std::vector<RECT> items = menu_bar_items(window);
        if (item >= items.size())
            return false;
        *rect = items[item];
        return true;
    }
    std::lock_guard lock(g_shown_mutex);
    for (const Level* level : shown_levels()) {
        if (level->menu != menu || item >= level->rects.size())
            continue;
        *rect = level->rects[item];
        MapWindowPoints(level->window, nullptr, reinterpret_cast<POINT*>(rect), 2);
        return true;
    }
    return false;
}

void open_system_menu(HWND window)
{
    HMENU menu = GetSystemMenu(window, FALSE);
    if (!menu)
        return;
    update_system_menu(window, menu);
    // Under the caption's icon.
    const FrameParts parts = frame_parts(window);
    RECT r{};
    GetWindowRect(window, &r);
    const int x = r.left + parts.inside.left, y = r.top + parts.inside.top + GetSystemMetrics(SM_CYCAPTION);
    bool ok = false;
    const UINT_PTR chosen = track_popup(menu, TPM_LEFTALIGN | TPM_TOPALIGN, x, y, window, &ok, true);
    if (chosen && IsWindow(window))
        SendMessage(window, WM_SYSCOMMAND, chosen, MAKELPARAM(x, y));
}

void system_command(HWND window, WPARAM command, LPARAM where)
{
    switch (command & 0xFFF0) {
    case SC_CLOSE:
        SendMessage(window, WM_CLOSE, 0, 0);
        break;
    case SC_MINIMIZE:
        ShowWindow(window, SW_MINIMIZE);
        break;
    case SC_MAXIMIZE:
        ShowWindow(window, SW_MAXIMIZE);
        break;
    case SC_RESTORE:
        ShowWindow(window, SW_RESTORE);
        break;
    case SC_MOUSEMENU:
        if ((command & 0x000F) == HTSYSMENU) {
            open_system_menu(window);
        } else if ((command & 0x000F) == HTMENU) {
            const POINT at{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
            const int item = menu_bar_item_at(window, at);
            if (item >= 0)
                track_menu_bar(window, item, false);
        }
        break;
    case SC_KEYMENU: {
        // Alt+Space: the system menu; F10 or Alt alone: the bar's first
        // item; Alt+letter: the bar item it is the mnemonic of.
        const char key = controls::to_lower_1252(static_cast<char>(where));
        if (key == ' ') {
            if (GetWindowLong(window, GWL_STYLE) & WS_SYSMENU)
                open_system_menu(window);
            break;
        }
        HMENU bar = GetMenu(window);
        std::vector<MenuItem> items;
        if (!bar || !menu_items(bar, items))
            break;
        for (size_t i = 0; i < items.size(); ++i) {
            if (key == 0 || menu_mnemonic(items[i].text) == key) {
                track_menu_bar(window, static_cast<int>(i), true);
                break;
            }
        }
        break;
    }
    default:
        break;
    }
}

}  // namespace helm::user

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*)
{
    bool ok = false;
    UINT_PTR chosen = helm::user::track_popup(menu, flags, x, y, owner, &ok, false);
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

BOOL GetMenuItemRect(HWND window, HMENU menu, UINT item, LPRECT rect)
{
    if (!rect)
        return FALSE;
    return helm::user::menu_item_rect(window, menu, item, rect) ? TRUE : FALSE;
}
