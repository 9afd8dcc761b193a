#include "native_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "connection.h"
#include "helm/user/input.h"
#include "helm/user/winuser.h"

namespace helm::display {
namespace {

thread_local HWND t_applying = nullptr;

bool same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
int width_of(const RECT& r) { return std::max<int>(1, r.right - r.left); }
int height_of(const RECT& r) { return std::max<int>(1, r.bottom - r.top); }

// A colour as a pixel of the default visual (a true-colour one on every
// server the suite meets).
unsigned long pixel_of(Display* display, COLORREF colour)
{
    const Visual* visual = DefaultVisual(display, DefaultScreen(display));
    auto place = [](unsigned long mask, unsigned value) {
        if (!mask)
            return 0ul;
        int shift = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        unsigned long bits = mask >> shift;
        return ((static_cast<unsigned long>(value) * bits / 255) << shift) & mask;
    };
    return place(visual->red_mask, GetRValue(colour)) | place(visual->green_mask, GetGValue(colour)) |
           place(visual->blue_mask, GetBValue(colour));
}

// The Motif hints that turn the window manager's frame off.
struct MotifHints {
    unsigned long flags, functions, decorations;
    long input_mode;
    unsigned long status;
};
constexpr unsigned long motif_hints_decorations = 1ul << 1;

}  // namespace

RECT framed_part(HWND window)
{
    RECT part{};
    GetWindowRect(window, &part);
    RECT frame{};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLong(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLong(window, GWL_EXSTYLE)) & ~WS_EX_CLIENTEDGE);
    part.left -= frame.left;
    part.top -= frame.top;
    part.right -= frame.right;
    part.bottom -= frame.bottom;
    part.right = std::max(part.right, part.left);
    part.bottom = std::max(part.bottom, part.top);
    return part;
}

NativeWindow::Applying::Applying(HWND hwnd) : m_previous(t_applying) { t_applying = hwnd; }
NativeWindow::Applying::~Applying() { t_applying = m_previous; }
bool NativeWindow::applying(HWND hwnd) { return hwnd && t_applying == hwnd; }

bool NativeWindow::take_pixels(const gdi::Surface& surface, const RECT& area)
{
    std::lock_guard lock(m_pixels_mutex);
    const RECT whole{0, 0, surface.width(), surface.height()};
    RECT part;
    if (!m_front || m_front->width() != surface.width() || m_front->height() != surface.height()) {
        m_front = gdi::Surface::create(surface.width(), surface.height());
        if (!m_front)
            return false;
        part = whole;
    } else if (!IntersectRect(&part, &area, &whole)) {
        return false;
    }
    cairo_t* cr = cairo_create(m_front->cairo());
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, surface.cairo(), 0, 0);
    cairo_rectangle(cr, part.left, part.top, part.right - part.left, part.bottom - part.top);
    cairo_fill(cr);
    cairo_destroy(cr);
    if (IsRectEmpty(&m_dirty))
        m_dirty = part;
    else
        UnionRect(&m_dirty, &m_dirty, &part);
    const bool post = !m_flush_posted;
    m_flush_posted = true;
    return post;
}

// Pixels go to the X window with XPutImage, from the copy of the layer's
// surface straight when the visual has the surface's layout (32 bits, red,
// green, blue bytes in the host's order, as every true-colour server the
// suite meets has), else converted pixel by pixel.
void NativeWindow::show_pixels(Display* display, const RECT* exposed)
{
    if (!m_xid)
        return;
    const RECT shown = shown_of(m_look);
    const POINT offset = offset_of(m_look);
    std::lock_guard lock(m_pixels_mutex);
    RECT area;
    if (exposed) {
        area = *exposed;
        OffsetRect(&area, offset.x, offset.y);
    } else {
        area = m_dirty;
        m_dirty = RECT{};
        m_flush_posted = false;
    }
    if (!m_front)
        return;
    // Only what the X window shows, and what the surface has.
    const RECT visible{offset.x, offset.y, offset.x + width_of(shown), offset.y + height_of(shown)};
    const RECT whole{0, 0, m_front->width(), m_front->height()};
    if (!IntersectRect(&area, &area, &visible) || !IntersectRect(&area, &area, &whole))
        return;
    cairo_surface_flush(m_front->cairo());
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    const int width = area.right - area.left, height = area.bottom - area.top;
    XImage* image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(m_front->row(0)), static_cast<unsigned>(m_front->width()),
                                 static_cast<unsigned>(m_front->height()), 32,
                                 cairo_image_surface_get_stride(m_front->cairo()));
    if (!image)
        return;
    const uint32_t probe = 1;
    const int host_order = *reinterpret_cast<const unsigned char*>(&probe) ? LSBFirst : MSBFirst;
    const bool same_layout = image->bits_per_pixel == 32 && image->byte_order == host_order &&
                             visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
    if (same_layout) {
        XPutImage(display, m_xid, DefaultGC(display, screen), image, area.left, area.top, area.left - offset.x,
                  area.top - offset.y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    } else if (XImage* converted = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                                                static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0)) {
        converted->data = static_cast<char*>(
            std::calloc(static_cast<size_t>(converted->bytes_per_line), static_cast<size_t>(height)));
        for (int y = 0; converted->data && y < height; ++y) {
            const uint32_t* row = m_front->row(area.top + y) + area.left;
            for (int x = 0; x < width; ++x)
                XPutPixel(converted, x, y, pixel_of(display, gdi::colorref_of(row[x])));
        }
        if (converted->data)
            XPutImage(display, m_xid, DefaultGC(display, screen), converted, 0, 0, area.left - offset.x,
                      area.top - offset.y, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XDestroyImage(converted);
    }
    image->data = nullptr;  // the surface's, not the image's
    XDestroyImage(image);
}

void NativeWindow::apply(Connection& connection, const WindowLook& given, Window owner_xid)
{
    Display* display = connection.display();
    const Atoms& atoms = connection.atoms();
    WindowLook look = given;
    if (!look.has_details) {
        look.has_details = m_look.has_details;
        look.title = m_look.title;
        look.icon = m_look.icon;
        look.min_track = m_look.min_track;
        look.max_track = m_look.max_track;
    }
    const bool first = !m_xid;
    if (first) {
        if (!look.visible) {
            m_look = look;  // the X window is made when the window is first shown
            return;
        }
        m_framed = look.captioned && connection.window_manager();
        XSetWindowAttributes attributes{};
        attributes.background_pixel = pixel_of(display, GetSysColor(COLOR_BTNFACE));
        attributes.bit_gravity = NorthWestGravity;
        attributes.override_redirect = look.popup ? True : False;
        attributes.save_under = look.popup ? True : False;
        attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                                PointerMotionMask | EnterWindowMask | LeaveWindowMask | FocusChangeMask |
                                StructureNotifyMask | PropertyChangeMask;
        m_x_shown = shown_of(look);
        m_xid = XCreateWindow(display, connection.root(), m_x_shown.left, m_x_shown.top, width_of(m_x_shown),
                              height_of(m_x_shown), 0, CopyFromParent, InputOutput, CopyFromParent,
                              CWBackPixel | CWBitGravity | CWOverrideRedirect | CWSaveUnder | CWEventMask,
                              &attributes);
        Atom protocols[] = {atoms.wm_delete_window, atoms.net_wm_ping};
        XSetWMProtocols(display, m_xid, protocols, 2);
        const long pid = getpid();
        XChangeProperty(display, m_xid, atoms.net_wm_pid, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&pid), 1);
        XClassHint class_hint{};
        std::string program = program_invocation_short_name;
        class_hint.res_name = program.data();
        class_hint.res_class = look.class_name.data();
        XSetClassHint(display, m_xid, &class_hint);
        if (!look.popup) {
            const Atom type = look.owner ? atoms.net_wm_window_type_dialog : atoms.net_wm_window_type_normal;
            XChangeProperty(display, m_xid, atoms.net_wm_window_type, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&type), 1);
        }
        if (!look.popup && !m_framed) {
            MotifHints hints{motif_hints_decorations, 0, 0, 0, 0};
            XChangeProperty(display, m_xid, atoms.motif_wm_hints, atoms.motif_wm_hints, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&hints), 5);
        }
    }
    if (owner_xid && (first || look.owner != m_look.owner))
        XSetTransientForHint(display, m_xid, owner_xid);
    if (look.has_details && (first || look.title != m_look.title))
        set_title(connection, look.title);
    if (look.has_details && (first || look.icon != m_look.icon) && look.icon.size() > 2)
        XChangeProperty(display, m_xid, atoms.net_wm_icon, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(look.icon.data()), static_cast<int>(look.icon.size()));
    const RECT shown = shown_of(look);
    if (first || look.sizable != m_look.sizable || !same(shown, shown_of(m_look)) ||
        look.min_track.cx != m_look.min_track.cx || look.min_track.cy != m_look.min_track.cy ||
        look.max_track.cx != m_look.max_track.cx || look.max_track.cy != m_look.max_track.cy)
        set_hints(connection, look);

    // Where the window is and its state, unless the X side said so.
    if (!look.from_x) {
        const bool frames_state = look.maximized && connection.window_manager();
        if (!first && !look.minimized && !frames_state && !same(shown, m_x_shown))
            move_to(display, shown);
        if (first || look.maximized != m_look.maximized) {
            set_net_state(connection, atoms.net_wm_state_maximized_vert, look.maximized);
            set_net_state(connection, atoms.net_wm_state_maximized_horz, look.maximized);
        }
        if (m_look.visible && look.visible && look.minimized && !m_look.minimized)
            XIconifyWindow(display, m_xid, DefaultScreen(display));
        else if (m_look.visible && look.visible && !look.minimized && m_look.minimized)
            XMapWindow(display, m_xid);  // back from an icon
    }
    if (first || look.topmost != m_look.topmost)
        set_net_state(connection, atoms.net_wm_state_above, look.topmost);

    if (look.visible && (first || !m_look.visible)) {
        XWMHints hints{};
        hints.flags = InputHint | StateHint;
        hints.input = True;
        hints.initial_state = look.minimized ? IconicState : NormalState;
        XSetWMHints(display, m_xid, &hints);
        if (!first && !look.popup)
            move_to(display, shown);
        if (look.popup)
            XMapRaised(display, m_xid);
        else
            XMapWindow(display, m_xid);
    } else if (!look.visible && m_look.visible && !first) {
        m_focus_when_viewable = false;
        if (look.popup)
            XUnmapWindow(display, m_xid);
        else
            XWithdrawWindow(display, m_xid, DefaultScreen(display));
    }
    m_look = look;
}

void NativeWindow::set_title(Connection& connection, const std::string& title)
{
    Display* display = connection.display();
    XChangeProperty(display, m_xid, connection.atoms().net_wm_name, connection.atoms().utf8_string, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    // The old property for window managers without UTF-8.
    XTextProperty text{};
    char* list[] = {const_cast<char*>(title.c_str())};
    if (Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &text) >= Success) {
        XSetWMName(display, m_xid, &text);
        XFree(text.value);
    }
}

void NativeWindow::set_hints(Connection& connection, const WindowLook& look)
{
    XSizeHints* hints = XAllocSizeHints();
    if (!hints)
        return;
    // The client stays where the layer puts it; the frame goes around it.
    hints->flags = PPosition | USPosition | PWinGravity | PMinSize | PMaxSize;
    hints->win_gravity = StaticGravity;
    const RECT shown = shown_of(look);
    hints->x = shown.left;
    hints->y = shown.top;
    if (look.sizable) {
        // The tracking sizes are the whole window's; the frame is ours to take off.
        const LONG frame_x = width_of(look.whole) - width_of(shown);
        const LONG frame_y = height_of(look.whole) - height_of(shown);
        hints->min_width = std::max<int>(1, look.min_track.cx - frame_x);
        hints->min_height = std::max<int>(1, look.min_track.cy - frame_y);
        hints->max_width = std::max<int>(hints->min_width, look.max_track.cx - frame_x);
        hints->max_height = std::max<int>(hints->min_height, look.max_track.cy - frame_y);
    } else {
        hints->min_width = hints->max_width = width_of(shown);
        hints->min_height = hints->max_height = height_of(shown);
    }
    XSetWMNormalHints(connection.display(), m_xid, hints);
    XFree(hints);
}

// A state of the window's _NET_WM_STATE: set before the window is mapped,
// asked of the window manager afterwards, as the hints say.
void NativeWindow::set_net_state(Connection& connection, Atom state, bool on)
{
    Display* display = connection.display();
    const Atoms& atoms = connection.atoms();
    if (!m_look.visible) {
        std::vector<Atom> states;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, m_xid, atoms.net_wm_state, 0, 32, False, XA_ATOM, &type, &format, &count,
                               &after, &data) == Success &&
            type == XA_ATOM && format == 32) {
            const auto* list = reinterpret_cast<const Atom*>(data);
            states.assign(list, list + count);
        }
        if (data)
            XFree(data);
        std::erase(states, state);
        if (on)
            states.push_back(state);
        XChangeProperty(display, m_xid, atoms.net_wm_state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states.data()), static_cast<int>(states.size()));
        return;
    }
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = m_xid;
    message.xclient.message_type = atoms.net_wm_state;
    message.xclient.format = 32;
    message.xclient.data.l[0] = on ? 1 : 0;  // add or remove
    message.xclient.data.l[1] = static_cast<long>(state);
    message.xclient.data.l[3] = 1;  // from an application
    XSendEvent(display, connection.root(), False, SubstructureNotifyMask | SubstructureRedirectMask, &message);
}

POINT NativeWindow::offset_of(const WindowLook& look) const
{
    const RECT shown = shown_of(look);
    return {shown.left - look.whole.left, shown.top - look.whole.top};
}

void NativeWindow::move_to(Display* display, const RECT& shown)
{
    m_x_shown = shown;
    XMoveResizeWindow(display, m_xid, shown.left, shown.top, static_cast<unsigned>(width_of(shown)),
                      static_cast<unsigned>(height_of(shown)));
}

void NativeWindow::destroy(Display* display)
{
    if (m_xid)
        XDestroyWindow(display, m_xid);
    m_xid = 0;
    m_viewable = false;
}

void NativeWindow::request_focus(Connection& connection)
{
    if (m_look.popup)
        return;
    if (!m_xid || !m_viewable) {
        m_focus_when_viewable = true;
        return;
    }
    m_focus_when_viewable = false;
    Display* display = connection.display();
    if (connection.supports(connection.atoms().net_active_window)) {
        XEvent message{};
        message.xclient.type = ClientMessage;
        message.xclient.window = m_xid;
        message.xclient.message_type = connection.atoms().net_active_window;
        message.xclient.format = 32;
        message.xclient.data.l[0] = 1;  // from an application
        message.xclient.data.l[1] = static_cast<long>(connection.last_time());
        XSendEvent(display, connection.root(), False, SubstructureNotifyMask | SubstructureRedirectMask, &message);
    } else {
        XSetInputFocus(display, m_xid, RevertToParent, CurrentTime);
    }
}

bool NativeWindow::note_configure(Connection& connection, const XConfigureEvent& event)
{
    int x = event.x, y = event.y;
    // A real event of a framed window is in its frame's coordinates; the
    // window manager's own (sent) events are in the screen's.
    if (!event.send_event && m_reparented) {
        Window child;
        XTranslateCoordinates(connection.display(), m_xid, connection.root(), 0, 0, &x, &y, &child);
    }
    const RECT shown{x, y, x + event.width, y + event.height};
    if (same(shown, m_x_shown) || m_look.popup)
        return false;
    m_x_shown = shown;
    std::lock_guard lock(m_side_mutex);
    if (!m_side.known) {
        m_side.minimized = m_look.minimized;
        m_side.maximized = m_look.maximized;
    }
    m_side.known = true;
    m_side.shown = shown;
    const bool post = !m_side_posted;
    m_side_posted = true;
    return post;
}

bool NativeWindow::read_state(Connection& connection, bool* minimized, bool* maximized)
{
    Display* display = connection.display();
    const Atoms& atoms = connection.atoms();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    *minimized = false;
    *maximized = false;
    if (XGetWindowProperty(display, m_xid, atoms.wm_state, 0, 2, False, atoms.wm_state, &type, &format, &count, &after,
                           &data) == Success &&
        type == atoms.wm_state && format == 32 && count >= 1)
        *minimized = reinterpret_cast<const long*>(data)[0] == IconicState;
    if (data)
        XFree(data);
    data = nullptr;
    bool vertical = false, horizontal = false;
    if (XGetWindowProperty(display, m_xid, atoms.net_wm_state, 0, 32, False, XA_ATOM, &type, &format, &count, &after,
                           &data) == Success &&
        type == XA_ATOM && format == 32) {
        const auto* states = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            vertical = vertical || states[i] == atoms.net_wm_state_maximized_vert;
            horizontal = horizontal || states[i] == atoms.net_wm_state_maximized_horz;
            *minimized = *minimized || states[i] == atoms.net_wm_state_hidden;
        }
    }
    if (data)
        XFree(data);
    *maximized = vertical && horizontal;
    return true;
}

bool NativeWindow::note_property(Connection& connection, const XPropertyEvent& event)
{
    const Atoms& atoms = connection.atoms();
    if (m_look.popup || (event.atom != atoms.wm_state && event.atom != atoms.net_wm_state))
        return false;
    bool minimized, maximized;
    read_state(connection, &minimized, &maximized);
    std::lock_guard lock(m_side_mutex);
    const bool was_minimized = m_side.known ? m_side.minimized : m_look.minimized;
    const bool was_maximized = m_side.known ? m_side.maximized : m_look.maximized;
    if (minimized == was_minimized && maximized == was_maximized)
        return false;
    if (!m_side.known)
        m_side.shown = m_x_shown;
    m_side.known = true;
    m_side.minimized = minimized;
    m_side.maximized = maximized;
    const bool post = !m_side_posted;
    m_side_posted = true;
    return post;
}

void NativeWindow::note_mapped(Connection& connection, bool mapped)
{
    m_viewable = mapped;
    if (mapped && m_focus_when_viewable)
        request_focus(connection);
}

void NativeWindow::note_reparented(Window parent, Connection& connection)
{
    m_reparented = parent != connection.root();
}

bool NativeWindow::apply_x_side()
{
    XSide side;
    {
        std::lock_guard lock(m_side_mutex);
        side = m_side;
        m_side_posted = false;
    }
    if (!side.known || !IsWindow(hwnd))
        return true;
    RECT wanted{};
    {
        Applying applying(hwnd);
        if (side.minimized != (IsIconic(hwnd) != FALSE) || side.maximized != (IsZoomed(hwnd) != FALSE))
            ShowWindow(hwnd, side.minimized ? SW_MINIMIZE : side.maximized ? SW_MAXIMIZE : SW_RESTORE);
        if (side.minimized)
            return true;
        // A framed window's X window is its framed part: our border and
        // caption go around.
        RECT window{};
        GetWindowRect(hwnd, &window);
        wanted = side.shown;
        if (m_framed) {
            const RECT inside = framed_part(hwnd);
            wanted.left -= inside.left - window.left;
            wanted.top -= inside.top - window.top;
            wanted.right += window.right - inside.right;
            wanted.bottom += window.bottom - inside.bottom;
        }
        if (!same(wanted, window))
            SetWindowPos(hwnd, nullptr, wanted.left, wanted.top, wanted.right - wanted.left,
                         wanted.bottom - wanted.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The layer may have kept the window from that size (WM_GETMINMAXINFO):
    // then the X side is told where it is.
    RECT now{};
    GetWindowRect(hwnd, &now);
    return same(now, wanted);
}

}  // namespace helm::display
