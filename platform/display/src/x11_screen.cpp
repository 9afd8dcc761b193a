#include "x11_screen.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include <algorithm>

#include "cursors.h"
#include "helm/gdi/surface.h"
#include "helm/gdi/text.h"
#include "helm/kernel/messages.h"
#include "helm/kernel/threads.h"
#include "helm/user/dialogs.h"
#include "helm/user/input.h"
#include "helm/user/menus.h"
#include "helm/user/snapshot.h"
#include "monitors.h"

namespace helm::display {
namespace {

constexpr DWORD clipboard_timeout_ms = 1000;
constexpr size_t max_cursors = 64;
constexpr int max_icon_side = 256;
constexpr int max_title = 4096;

// _NET_WM_ICON of a window: its WM_SETICON icon, else its class's; width,
// height, then straight (not premultiplied) ARGB pixels.
std::vector<unsigned long> icon_property(HWND window)
{
    auto icon = reinterpret_cast<HICON>(SendMessage(window, WM_GETICON, ICON_BIG, 0));
    if (!icon)
        icon = reinterpret_cast<HICON>(SendMessage(window, WM_GETICON, ICON_SMALL, 0));
    if (!icon) {
        char name[256];
        WNDCLASSEX wc{};
        wc.cbSize = sizeof wc;
        if (GetClassName(window, name, sizeof name) &&
            GetClassInfoEx(reinterpret_cast<HINSTANCE>(GetWindowLongPtr(window, GWLP_HINSTANCE)), name, &wc))
            icon = wc.hIcon ? wc.hIcon : wc.hIconSm;
    }
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return {};
    std::vector<unsigned long> property;
    auto pixels = gdi::bitmap_surface(info.hbmColor);
    if (pixels && pixels->width() <= max_icon_side && pixels->height() <= max_icon_side) {
        property.push_back(static_cast<unsigned long>(pixels->width()));
        property.push_back(static_cast<unsigned long>(pixels->height()));
        for (int y = 0; y < pixels->height(); ++y)
            for (int x = 0; x < pixels->width(); ++x) {
                const uint32_t argb = pixels->row(y)[x];
                const uint32_t alpha = argb >> 24;
                uint32_t straight = argb & 0xFF000000u;
                for (int shift : {0, 8, 16}) {
                    const uint32_t c = (argb >> shift) & 0xFF;
                    straight |= (alpha ? std::min<uint32_t>(255, c * 255 / alpha) : 0) << shift;
                }
                property.push_back(straight);
            }
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return property;
}

// The window a disabled one hands its activation to: the enabled window it
// owns (a modal dialog), or that window's own, as deep as they go.
HWND enabled_popup_of(HWND window)
{
    struct Search {
        HWND owner;
        HWND found;
    };
    for (int depth = 0; depth < 16 && window && !IsWindowEnabled(window); ++depth) {
        Search search{window, nullptr};
        EnumWindows(
            [](HWND w, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                if (GetWindow(w, GW_OWNER) == s->owner && IsWindowVisible(w)) {
                    s->found = w;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        window = search.found;
    }
    return window && IsWindowEnabled(window) ? window : nullptr;
}

// A caption-less tool or topmost popup (a menu, a dropped list, a tip, the
// unseen window a menu holds the mouse with): placed by us, above its owner.
bool placed_popup(DWORD style, DWORD ex_style)
{
    return (style & WS_CAPTION) != WS_CAPTION && (style & WS_POPUP) && (ex_style & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
}

bool focus_change_counts(const XFocusChangeEvent& event)
{
    if (event.mode != NotifyNormal && event.mode != NotifyWhileGrabbed)
        return false;
    return event.detail == NotifyAncestor || event.detail == NotifyVirtual || event.detail == NotifyNonlinear ||
           event.detail == NotifyNonlinearVirtual;
}

}  // namespace

std::shared_ptr<LiveScreen> open_x11_screen(const char* display_name) { return X11Screen::open(display_name); }

std::shared_ptr<X11Screen> X11Screen::open(const char* display_name)
{
    auto connection = Connection::open(display_name);
    if (!connection)
        return nullptr;
    std::shared_ptr<X11Screen> screen(new X11Screen(std::move(connection)));
    X11Screen* self = screen.get();
    self->m_connection->start([self](XEvent& event) { self->on_event(event); });
    return screen;
}

X11Screen::X11Screen(std::unique_ptr<Connection> connection) : m_connection(std::move(connection))
{
    Display* display = m_connection->display();
    XkbSetDetectableAutoRepeat(display, True, nullptr);
    m_keymap.load(display);
    m_monitors = user::HeadlessScreen(read_monitors(display, m_connection->atoms())).monitors();
    m_selections = std::make_unique<Selections>(*m_connection);
    int error_base = 0;
    if (XRRQueryExtension(display, &m_randr_event, &error_base))
        XRRSelectInput(display, m_connection->root(), RRScreenChangeNotifyMask);
    else
        m_randr_event = -1;
}

X11Screen::~X11Screen()
{
    // The X windows go before the connection that made them.
    m_connection->run_and_wait(
        [this] {
            for (auto& [xid, native] : m_by_xid)
                native->destroy(m_connection->display());
            m_by_xid.clear();
        },
        5000);
    m_connection->stop();
}

std::vector<user::Monitor> X11Screen::monitors() const
{
    std::lock_guard lock(m_mutex);
    return m_monitors;
}

std::shared_ptr<NativeWindow> X11Screen::native(HWND window, bool make)
{
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(window);
    if (it != m_windows.end())
        return it->second;
    if (!make)
        return nullptr;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!thread)
        return nullptr;
    auto made = std::make_shared<NativeWindow>(window, thread);
    m_windows.emplace(window, made);
    return made;
}

void X11Screen::describe(HWND window, bool details)
{
    if (!IsWindow(window) || (GetWindowLong(window, GWL_STYLE) & WS_CHILD))
        return;
    auto native = this->native(window, true);
    if (!native)
        return;
    const auto style = static_cast<DWORD>(GetWindowLong(window, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLong(window, GWL_EXSTYLE));
    WindowLook look;
    look.visible = (style & WS_VISIBLE) != 0;
    look.minimized = (style & WS_MINIMIZE) != 0;
    look.maximized = (style & WS_MAXIMIZE) != 0;
    look.topmost = (ex_style & WS_EX_TOPMOST) != 0;
    look.captioned = (style & WS_CAPTION) == WS_CAPTION;
    look.popup = placed_popup(style, ex_style);
    look.sizable = (style & WS_THICKFRAME) != 0;
    GetWindowRect(window, &look.whole);
    look.framed = framed_part(window);
    look.owner = GetWindow(window, GW_OWNER);
    char text[max_title];
    if (GetClassName(window, text, sizeof text))
        look.class_name = text;
    // Asked of the window's procedure: only on its own thread.
    if (details && native->thread == GetCurrentThreadId()) {
        look.has_details = true;
        GetWindowText(window, text, sizeof text);
        look.title = gdi::utf8_from_1252(text);
        look.icon = icon_property(window);
        if (look.sizable) {
            const MINMAXINFO limits = user::min_max_info(window);
            look.min_track = {limits.ptMinTrackSize.x, limits.ptMinTrackSize.y};
            look.max_track = {limits.ptMaxTrackSize.x, limits.ptMaxTrackSize.y};
        }
    }
    look.from_x = NativeWindow::applying(window);
    m_connection->post([this, native, look] { apply(native, look); });
}

void X11Screen::apply(const std::shared_ptr<NativeWindow>& native, const WindowLook& look)
{
    Window owner_xid = None;
    if (look.owner)
        if (auto owner = this->native(look.owner, false))
            owner_xid = owner->xid();
    const Window before = native->xid();
    native->apply(*m_connection, look, owner_xid);
    if (!before && native->xid()) {
        m_by_xid[native->xid()] = native;
        define_cursor(native->xid());
        native->show_pixels(m_connection->display());
    }
}

void X11Screen::window_destroyed(HWND window)
{
    std::shared_ptr<NativeWindow> native;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_windows.find(window);
        if (it == m_windows.end())
            return;
        native = std::move(it->second);
        m_windows.erase(it);
    }
    m_connection->post([this, native] {
        if (const Window xid = native->xid()) {
            m_by_xid.erase(xid);
            if (m_grab == xid)
                m_grab = None;
            if (m_pointer_window == xid)
                m_pointer_window = None;
        }
        native->destroy(m_connection->display());
    });
}

void X11Screen::window_restacked(HWND window)
{
    describe(window, false);
    // Brought up among the others: raised on the screen too.
    HWND above = GetWindow(window, GW_HWNDPREV);
    const bool topmost = (GetWindowLong(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (above && (topmost || !(GetWindowLong(above, GWL_EXSTYLE) & WS_EX_TOPMOST)))
        return;
    if (auto native = this->native(window, false))
        m_connection->post([this, native] {
            if (native->xid() && native->look().visible)
                XRaiseWindow(m_connection->display(), native->xid());
        });
}

void X11Screen::window_activated(HWND window)
{
    if (!window || NativeWindow::applying(window))
        return;
    if (auto native = this->native(window, true))
        m_connection->post([this, native] { ask_focus(native); });
}

// A popup that takes the capture (a menu, a dropped list) gets every press,
// also outside the program's windows, as the capture does on Windows: the
// pointer is grabbed on its X window, or, for a popup never shown (a menu's
// holder of the mouse), on the nearest shown one up its owners. Other
// windows have X's own grab while a button is down.
void X11Screen::capture_changed(HWND window)
{
    constexpr int max_owners = 16;
    std::vector<std::shared_ptr<NativeWindow>> candidates;
    HWND top = window ? GetAncestor(window, GA_ROOT) : nullptr;
    if (top && placed_popup(static_cast<DWORD>(GetWindowLong(top, GWL_STYLE)),
                            static_cast<DWORD>(GetWindowLong(top, GWL_EXSTYLE))))
        for (HWND w = top; w && candidates.size() < max_owners; w = GetWindow(w, GW_OWNER))
            if (auto native = this->native(w, false))
                candidates.push_back(std::move(native));
    m_connection->post([this, candidates] {
        Display* display = m_connection->display();
        Window wanted = None;
        for (const auto& native : candidates)
            if (native->xid() && native->look().visible) {
                wanted = native->xid();
                break;
            }
        if (wanted == m_grab)
            return;
        if (m_grab)
            XUngrabPointer(display, CurrentTime);
        m_grab = None;
        if (wanted && XGrabPointer(display, wanted, True,
                                   ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                                       LeaveWindowMask,
                                   GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess)
            m_grab = wanted;
    });
}

void X11Screen::cursor_changed(HCURSOR cursor)
{
    CursorPicture picture = picture_of(cursor);
    m_connection->post([this, cursor, picture = std::move(picture)] {
        Display* display = m_connection->display();
        if (m_cursors.size() >= max_cursors && !m_cursors.count(cursor)) {
            for (auto& [handle, made] : m_cursors)
                if (made != m_cursor)
                    XFreeCursor(display, made);
            std::erase_if(m_cursors, [&](const auto& entry) { return entry.second != m_cursor; });
        }
        Cursor& made = m_cursors[cursor];
        if (!made)
            made = make_cursor(display, picture);
        m_cursor = made;
        if (m_pointer_window)
            XDefineCursor(display, m_pointer_window, m_cursor);
    });
}

void X11Screen::ask_focus(const std::shared_ptr<NativeWindow>& native)
{
    m_focus_asked = native;
    native->request_focus(*m_connection);
}

// The focus coming to a window is the layer's business only when the X side
// moved it: not when it answers the layer's own request (the layer may have
// moved on since), nor when it is already gone again.
bool X11Screen::focus_moved_from_outside(const std::shared_ptr<NativeWindow>& native)
{
    if (native == m_focus_asked)
        return false;
    const Window now = focused_window();
    if (now != native->xid() || (m_focus_asked && now == m_focus_asked->xid()))
        return false;
    m_focus_asked.reset();
    return true;
}

Window X11Screen::focused_window() const
{
    Window window = None;
    int revert = 0;
    XGetInputFocus(m_connection->display(), &window, &revert);
    return window;
}

void X11Screen::define_cursor(Window window)
{
    Display* display = m_connection->display();
    if (!m_cursor) {
        Cursor& arrow = m_cursors[nullptr];
        if (!arrow)
            arrow = make_cursor(display, picture_of(nullptr));
        m_cursor = arrow;
    }
    XDefineCursor(display, window, m_cursor);
}

void X11Screen::window_painted(HWND top_level, const RECT& area)
{
    auto native = this->native(top_level, true);
    auto surface = user::window_surface(top_level);
    if (native && surface && native->take_pixels(*surface, area))
        m_connection->post([this, native] { native->show_pixels(m_connection->display()); });
}

char X11Screen::key_character(BYTE virtual_key, BYTE scan_code, DWORD time, user::KeyModifiers modifiers) const
{
    // The keypad's characters follow its virtual keys, which Num Lock chose.
    if (scan_code == 0 || (virtual_key >= VK_NUMPAD0 && virtual_key <= VK_DIVIDE))
        return Screen::key_character(virtual_key, scan_code, time, modifiers);
    return m_keymap.character(scan_code + 8u, time, modifiers);
}

void X11Screen::clipboard_published(const std::vector<user::ClipboardItem>& items)
{
    m_connection->post([this, items] { m_selections->publish(items); });
}

bool X11Screen::clipboard_from_desktop(std::vector<user::ClipboardItem>* items)
{
    return !m_connection->on_display_thread() && m_selections->take_desktop(items, clipboard_timeout_ms);
}

bool X11Screen::sync(DWORD timeout)
{
    // The events the round trip brought are handled before it counts as done.
    return m_connection->run_and_wait(
        [this] {
            XSync(m_connection->display(), False);
            m_connection->handle_events();
        },
        timeout);
}

unsigned long X11Screen::x_window_of(HWND top_level)
{
    auto native = this->native(top_level, false);
    if (!native)
        return 0;
    auto xid = std::make_shared<std::atomic<unsigned long>>(0);
    m_connection->run_and_wait([native, xid] { *xid = native->xid(); }, 5000);
    return *xid;
}

void X11Screen::to_layer(const std::shared_ptr<NativeWindow>& native, std::function<void()> work)
{
    std::weak_ptr<X11Screen> screen = weak_from_this();
    kernel::queue_sent_work(native->thread, [screen, native, work = std::move(work)] {
        if (auto alive = screen.lock(); alive && IsWindow(native->hwnd))
            work();
    });
}

void X11Screen::on_event(XEvent& event)
{
    Display* display = m_connection->display();
    if (m_selections->handle(event))
        return;
    if (m_randr_event >= 0 && event.type == m_randr_event + RRScreenChangeNotify) {
        XRRUpdateConfiguration(&event);
        auto layout = user::HeadlessScreen(read_monitors(display, m_connection->atoms())).monitors();
        std::lock_guard lock(m_mutex);
        m_monitors = std::move(layout);
        return;
    }
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        m_keymap.load(display);
        return;
    }
    if (event.type == PropertyNotify && event.xproperty.window == m_connection->root()) {
        on_root_property(event.xproperty);
        return;
    }
    auto it = m_by_xid.find(event.xany.window);
    if (it != m_by_xid.end()) {
        auto native = it->second;  // the handler may forget it
        on_window_event(native, event);
    }
}

void X11Screen::on_root_property(const XPropertyEvent& event)
{
    const Atoms& atoms = m_connection->atoms();
    if (event.atom == atoms.net_workarea || event.atom == atoms.net_current_desktop) {
        auto layout = user::HeadlessScreen(read_monitors(m_connection->display(), atoms)).monitors();
        std::lock_guard lock(m_mutex);
        m_monitors = std::move(layout);
    } else if (event.atom == atoms.net_supporting_wm_check || event.atom == atoms.net_supported) {
        m_connection->read_window_manager();
    }
}

void X11Screen::on_window_event(const std::shared_ptr<NativeWindow>& native, XEvent& event)
{
    Display* display = m_connection->display();
    const Atoms& atoms = m_connection->atoms();
    auto follow_x_side = [this, native] {
        if (!native->apply_x_side())
            describe(native->hwnd, false);
    };
    switch (event.type) {
    case Expose: {
        const XExposeEvent& e = event.xexpose;
        const RECT exposed{e.x, e.y, e.x + e.width, e.y + e.height};
        native->show_pixels(display, &exposed);
        break;
    }
    case ConfigureNotify:
        if (native->note_configure(*m_connection, event.xconfigure))
            to_layer(native, follow_x_side);
        break;
    case PropertyNotify:
        if (native->note_property(*m_connection, event.xproperty))
            to_layer(native, follow_x_side);
        break;
    case MapNotify: native->note_mapped(*m_connection, true); break;
    case UnmapNotify: native->note_mapped(*m_connection, false); break;
    case ReparentNotify: native->note_reparented(event.xreparent.parent, *m_connection); break;
    case FocusIn:
        if (!focus_change_counts(event.xfocus) || !focus_moved_from_outside(native))
            break;
        to_layer(native, [this, native] {
            HWND target = native->hwnd;
            if (!IsWindowEnabled(target)) {
                // A window a modal dialog disabled hands the activation on.
                target = enabled_popup_of(target);
                if (!target)
                    return;
                if (auto popup = this->native(target, false))
                    m_connection->post([this, popup] { ask_focus(popup); });
            }
            NativeWindow::Applying applying(target);
            SetActiveWindow(target);
        });
        break;
    case FocusOut: {
        // Left for another window of the same thread, that one's activation
        // does it all.
        const Window now = focused_window();
        auto to = m_by_xid.find(now);
        if (!focus_change_counts(event.xfocus) || now == native->xid() ||
            (to != m_by_xid.end() && to->second->thread == native->thread))
            break;
        m_focus_asked.reset();
        to_layer(native, [native] {
            if (GetActiveWindow() != native->hwnd)
                return;
            NativeWindow::Applying applying(native->hwnd);
            SetActiveWindow(nullptr);
            SetFocus(nullptr);
        });
        break;
    }
    case KeyPress:
    case KeyRelease: on_key(native, event.xkey); break;
    case ButtonPress:
    case ButtonRelease: {
        const XButtonEvent& e = event.xbutton;
        const bool down = event.type == ButtonPress;
        const POINT point{e.x_root, e.y_root};
        const user::input::Origin origin{native->hwnd, m_connection->tick_of(e.time)};
        if (e.button == Button4 || e.button == Button5) {
            if (down)
                to_layer(native, [=] {
                    user::input::mouse_wheel(point, e.button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA, origin);
                });
            break;
        }
        const auto button = e.button == Button1   ? user::input::Button::left
                            : e.button == Button2 ? user::input::Button::middle
                                                  : user::input::Button::right;
        if (e.button <= Button3)
            to_layer(native, [=] { user::input::mouse_button(point, button, down, origin); });
        break;
    }
    case MotionNotify: {
        // Only where the mouse is now counts.
        while (XCheckTypedWindowEvent(display, event.xmotion.window, MotionNotify, &event)) {
        }
        const POINT point{event.xmotion.x_root, event.xmotion.y_root};
        const user::input::Origin origin{native->hwnd, m_connection->tick_of(event.xmotion.time)};
        to_layer(native, [=] { user::input::mouse_move(point, origin); });
        break;
    }
    case EnterNotify:
        m_pointer_window = event.xcrossing.window;
        define_cursor(m_pointer_window);
        break;
    case LeaveNotify:
        if (m_pointer_window == event.xcrossing.window)
            m_pointer_window = None;
        break;
    case ClientMessage:
        if (event.xclient.message_type != atoms.wm_protocols)
            break;
        if (static_cast<Atom>(event.xclient.data.l[0]) == atoms.wm_delete_window) {
            // The close box of the window manager's frame.
            to_layer(native, [native] {
                if (IsWindowEnabled(native->hwnd))
                    SendMessage(native->hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            });
        } else if (static_cast<Atom>(event.xclient.data.l[0]) == atoms.net_wm_ping) {
            XEvent reply = event;
            reply.xclient.window = m_connection->root();
            XSendEvent(display, m_connection->root(), False, SubstructureNotifyMask | SubstructureRedirectMask, &reply);
        }
        break;
    default: break;
    }
}

void X11Screen::on_key(const std::shared_ptr<NativeWindow>& native, XKeyEvent& event)
{
    Display* display = m_connection->display();
    const bool down = event.type == KeyPress;
    const unsigned group = static_cast<unsigned>(XkbGroupForCoreState(event.state));
    const DWORD time = m_connection->tick_of(event.time);
    const KeySym plain = XkbKeycodeToKeysym(display, static_cast<KeyCode>(event.keycode), static_cast<int>(group), 0);
    KeySym effective = NoSymbol;
    char text[16];
    XLookupString(&event, text, sizeof text, &effective, nullptr);
    if (down)
        m_keymap.note_press(display, event.keycode, group, time);
    std::vector<BYTE> keys;
    if (plain == XK_ISO_Level3_Shift || plain == XK_Mode_switch)
        keys = {VK_CONTROL, VK_MENU};  // AltGr, as Windows reports it
    else if (BYTE key = virtual_key_of(effective, plain, event.keycode))
        keys = {key};
    if (keys.empty())
        return;
    const auto scan = static_cast<BYTE>(event.keycode >= 8 ? event.keycode - 8 : 0);
    const user::input::Origin origin{native->hwnd, time};
    to_layer(native, [keys, down, scan, origin] {
        for (BYTE key : keys)
            user::input::key(key, down, scan, origin);
    });
}

}  // namespace helm::display

extern "C" void helm_open_live_screen(std::shared_ptr<helm::user::Screen>* screen)
{
    if (screen)
        *screen = helm::display::open_x11_screen(nullptr);
}
