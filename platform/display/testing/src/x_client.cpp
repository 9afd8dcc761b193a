#include "helm/display/testing/x_client.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <poll.h>

#include <chrono>
#include <mutex>

namespace helm::display::testing {
namespace {

Display* dpy(void* display) { return static_cast<Display*>(display); }

// Waits for an event on the connection at most `timeout_ms`.
bool wait_event(Display* display, int timeout_ms)
{
    if (XPending(display))
        return true;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    return poll(&fd, 1, timeout_ms) > 0 && XPending(display);
}

}  // namespace

// The clipboard's owner: a connection and thread of its own that answers
// the requests of other programs.
struct XClient::Owner {
    Owner(const std::string& name, const std::map<std::string, std::string>& targets, int answer_after_ms)
        : display(XOpenDisplay(name.c_str())), delay_ms(answer_after_ms)
    {
        if (!display)
            return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
        for (const auto& [target, bytes] : targets)
            offered[XInternAtom(display, target.c_str(), False)] = bytes;
        clipboard = XInternAtom(display, "CLIPBOARD", False);
        targets_atom = XInternAtom(display, "TARGETS", False);
        XSetSelectionOwner(display, clipboard, window, CurrentTime);
        XSync(display, False);
        thread = std::thread([this] { serve(); });
    }
    ~Owner()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
        if (display)
            XCloseDisplay(display);
    }
    void serve()
    {
        while (!stop) {
            if (!wait_event(display, 20))
                continue;
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != SelectionRequest)
                continue;
            // A slow program: the first request is answered late.
            for (int waited = 0; waited < delay_ms && !stop; waited += 10)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            delay_ms = 0;
            const XSelectionRequestEvent& request = event.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = request.requestor;
            reply.xselection.selection = request.selection;
            reply.xselection.target = request.target;
            reply.xselection.time = request.time;
            reply.xselection.property = None;
            if (request.target == targets_atom) {
                std::vector<Atom> list{targets_atom};
                for (const auto& [target, bytes] : offered)
                    list.push_back(target);
                XChangeProperty(display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(list.data()), static_cast<int>(list.size()));
                reply.xselection.property = request.property;
            } else if (auto it = offered.find(request.target); it != offered.end()) {
                XChangeProperty(display, request.requestor, request.property, request.target, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(it->second.data()),
                                static_cast<int>(it->second.size()));
                reply.xselection.property = request.property;
            }
            XSendEvent(display, request.requestor, False, NoEventMask, &reply);
            XFlush(display);
        }
    }
    Display* display;
    int delay_ms;
    Window window = 0;
    Atom clipboard = None, targets_atom = None;
    std::map<Atom, std::string> offered;
    std::atomic<bool> stop{false};
    std::thread thread;
};

XClient::XClient(const std::string& display) : m_display(XOpenDisplay(display.c_str())) {}

XClient::~XClient()
{
    m_owner.reset();
    if (m_display)
        XCloseDisplay(dpy(m_display));
}

unsigned long XClient::root() const { return DefaultRootWindow(dpy(m_display)); }
void XClient::sync() { XSync(dpy(m_display), False); }
unsigned long XClient::atom(const char* name) { return XInternAtom(dpy(m_display), name, False); }

std::string XClient::text_property(unsigned long window, const char* name)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(dpy(m_display), window, atom(name), 0, 1 << 16, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        format == 8 && data)
        text.assign(reinterpret_cast<const char*>(data), count);
    if (data)
        XFree(data);
    return text;
}

std::vector<long> XClient::values_property(unsigned long window, const char* name)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(dpy(m_display), window, atom(name), 0, 1 << 20, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        format == 32 && data) {
        const long* list = reinterpret_cast<const long*>(data);
        values.assign(list, list + count);
    }
    if (data)
        XFree(data);
    return values;
}

std::vector<std::string> XClient::atoms_property(unsigned long window, const char* name)
{
    std::vector<std::string> names;
    for (long value : values_property(window, name)) {
        char* text = XGetAtomName(dpy(m_display), static_cast<Atom>(value));
        names.push_back(text ? text : "");
        if (text)
            XFree(text);
    }
    return names;
}

void XClient::set_values_property(unsigned long window, const char* name, const char* type,
                                  const std::vector<long>& values)
{
    XChangeProperty(dpy(m_display), window, atom(name), atom(type), 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(values.data()), static_cast<int>(values.size()));
}

void XClient::set_atoms_property(unsigned long window, const char* name, const std::vector<std::string>& atoms)
{
    std::vector<long> values;
    for (const auto& a : atoms)
        values.push_back(static_cast<long>(atom(a.c_str())));
    XChangeProperty(dpy(m_display), window, atom(name), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(values.data()), static_cast<int>(values.size()));
}

XClient::Geometry XClient::geometry(unsigned long window)
{
    Geometry g;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(dpy(m_display), window, &attributes))
        return g;
    Window child;
    XTranslateCoordinates(dpy(m_display), window, root(), 0, 0, &g.x, &g.y, &child);
    g.width = attributes.width;
    g.height = attributes.height;
    g.viewable = attributes.map_state == IsViewable;
    g.override_redirect = attributes.override_redirect != 0;
    return g;
}

std::vector<unsigned long> XClient::top_windows()
{
    Window root_return, parent;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<unsigned long> top_first;
    if (XQueryTree(dpy(m_display), root(), &root_return, &parent, &children, &count)) {
        for (unsigned int i = count; i > 0; --i)
            top_first.push_back(children[i - 1]);
        if (children)
            XFree(children);
    }
    return top_first;
}

void XClient::move_resize(unsigned long window, int x, int y, int width, int height)
{
    XMoveResizeWindow(dpy(m_display), window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
}

void XClient::ask_to_close(unsigned long window)
{
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = atom("WM_PROTOCOLS");
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(atom("WM_DELETE_WINDOW"));
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy(m_display), window, False, NoEventMask, &message);
}

void XClient::focus(unsigned long window) { XSetInputFocus(dpy(m_display), window, RevertToParent, CurrentTime); }

unsigned long XClient::focused()
{
    Window window = None;
    int revert = 0;
    XGetInputFocus(dpy(m_display), &window, &revert);
    return window;
}

unsigned long XClient::cover(int x, int y, int width, int height)
{
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = 0x00FF00FF;
    Window window = XCreateWindow(dpy(m_display), root(), x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                  CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(dpy(m_display), window);
    return window;
}

void XClient::uncover(unsigned long window) { XDestroyWindow(dpy(m_display), window); }

unsigned long XClient::cursor_digest()
{
    XFixesCursorImage* image = XFixesGetCursorImage(dpy(m_display));
    if (!image)
        return 0;
    unsigned long digest = static_cast<unsigned long>(image->width) * 31 + image->height;
    for (unsigned i = 0; i < static_cast<unsigned>(image->width) * image->height; ++i)
        digest = digest * 131 + image->pixels[i];
    XFree(image);
    return digest;
}

void XClient::watch_window_manager_requests()
{
    XSelectInput(dpy(m_display), root(), SubstructureNotifyMask);
    XSync(dpy(m_display), False);
}

std::optional<std::pair<std::string, std::array<long, 5>>> XClient::next_request(int timeout_ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !wait_event(dpy(m_display), static_cast<int>(left.count())))
            return std::nullopt;
        XEvent event;
        XNextEvent(dpy(m_display), &event);
        if (event.type != ClientMessage)
            continue;
        char* name = XGetAtomName(dpy(m_display), event.xclient.message_type);
        std::pair<std::string, std::array<long, 5>> request{name ? name : "", {}};
        if (name)
            XFree(name);
        for (int i = 0; i < 5; ++i)
            request.second[static_cast<size_t>(i)] = event.xclient.data.l[i];
        return request;
    }
}

void XClient::offer_clipboard(const std::map<std::string, std::string>& targets, int answer_after_ms)
{
    m_owner.reset();
    m_owner = std::make_unique<Owner>(DisplayString(dpy(m_display)), targets, answer_after_ms);
}

std::optional<std::string> XClient::read_clipboard(const char* target, int timeout_ms)
{
    Display* display = dpy(m_display);
    Window window = XCreateSimpleWindow(display, root(), 0, 0, 1, 1, 0, 0, 0);
    const Atom property = atom("TEST_CLIPBOARD");
    XConvertSelection(display, atom("CLIPBOARD"), atom(target), property, window, CurrentTime);
    XFlush(display);
    std::optional<std::string> result;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !wait_event(display, static_cast<int>(left.count())))
            break;
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != SelectionNotify || event.xselection.requestor != window)
            continue;
        if (event.xselection.property != None) {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, window, property, 0, 1 << 24, True, AnyPropertyType, &type, &format,
                                   &count, &after, &data) == Success &&
                data) {
                const size_t item = format == 32 ? sizeof(long) : static_cast<size_t>(format / 8);
                result = std::string(reinterpret_cast<const char*>(data), count * item);
            }
            if (data)
                XFree(data);
        }
        break;
    }
    XDestroyWindow(display, window);
    return result;
}

}  // namespace helm::display::testing
