// The desktop's clipboard (the CLIPBOARD selection) joined to the layer's.
// What the process publishes is offered to other programs as UTF-8 or
// Latin-1 text (CF_TEXT) and as PNG or BMP (CF_DIB); what another program
// puts there is converted back when the layer reads its clipboard. XFixes
// tells when the selection changes owner, so it is read once per change.
#pragma once

#include <X11/Xlib.h>

#include <cstddef>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "helm/user/screen.h"

namespace helm::display {

class Connection;

// Text and pictures between the layer's formats and the desktop's.
std::string desktop_text_of(const std::vector<std::byte>& cf_text);            // UTF-8, LF line ends
std::vector<std::byte> cf_text_of(std::string_view utf8);                       // Windows-1252, CR LF, ends in 0
std::vector<std::byte> cf_text_of_1252(std::string_view text);                  // the same from Windows-1252
std::vector<std::byte> bmp_file_of(const std::vector<std::byte>& dib);          // empty when the DIB is damaged
std::vector<std::byte> dib_of_image(const void* data, size_t size);            // PNG or BMP file; empty when not one

class Selections {
public:
    // Before the display thread starts: makes the window that owns and asks
    // for the selection.
    explicit Selections(Connection& connection);

    // Display thread.
    void publish(std::vector<user::ClipboardItem> items);
    // True when the event was the clipboard's.
    bool handle(XEvent& event);

    // Any thread but the display thread: what another program put on the
    // desktop's clipboard since the last call, or false when nothing changed
    // (or the owner did not answer within `timeout` ms).
    bool take_desktop(std::vector<user::ClipboardItem>* items, DWORD timeout);

    // The largest transfer taken in, and the limit of one answer.
    static constexpr size_t max_transfer = 64u << 20;

private:
    struct Fetch {
        std::promise<std::optional<std::vector<user::ClipboardItem>>> done;
        std::vector<Atom> targets;  // still to ask for
        std::vector<user::ClipboardItem> items;
        Atom asked = None;
        bool incremental = false;
        std::string received;
    };

    void ask_next();
    void finish_fetch();
    void take_reply(Atom type, std::string data);
    bool read_transfer(Atom* type, std::string* data, bool* incremental);
    void answer(const XSelectionRequestEvent& request);
    bool convert(Atom target, Atom* type, int* format, std::string* data) const;

    Connection& m_connection;
    Window m_window = 0;
    int m_fixes_event = -1;  // XFixes' first event number, -1 without it
    bool m_changed = false;  // display thread
    std::vector<user::ClipboardItem> m_published;  // display thread
    Time m_published_time = CurrentTime;
    std::shared_ptr<Fetch> m_fetch;  // display thread
};

}  // namespace helm::display
