// The desktop's clipboard (the CLIPBOARD selection) joined to the layer's.
// What the process publishes is offered to other programs as UTF-8 or
// Latin-1 text (CF_TEXT) and as PNG or BMP (CF_DIB); what another program
// puts there is converted back when the layer reads its clipboard. XFixes
// tells when the selection changes owner, so it is read once per change.
#pragma once

#include <X11/Xlib.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
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
    // or the owner has not answered within `timeout` ms. An owner that
    // answers later is not lost: what it gives is kept for the next call.
    bool take_desktop(std::vector<user::ClipboardItem>* items, DWORD timeout);

    // The largest transfer taken in, and the limit of one answer.
    static constexpr size_t max_transfer = 64u << 20;
    // An owner that has not answered for this long is not waited for again.
    static constexpr uint64_t give_up_ms = 10000;

private:
    using Items = std::optional<std::vector<user::ClipboardItem>>;

    // What one reader waits for; the display thread answers it, or keeps
    // the answer when the reader has stopped waiting.
    class Handoff {
    public:
        // Display thread: false when the reader no longer waits.
        bool give(Items items);
        // The reader: the answer, or nullopt (and no later answer) on time-out.
        Items wait(DWORD timeout);

    private:
        std::mutex m_mutex;
        std::condition_variable m_given;
        bool m_done = false;
        bool m_abandoned = false;
        Items m_items;
    };

    struct Fetch {
        std::shared_ptr<Handoff> reader;
        uint64_t started_ms = 0;
        std::vector<Atom> targets;  // still to ask for
        std::vector<user::ClipboardItem> items;
        Atom asked = None;
        bool incremental = false;
        bool outdated = false;  // the clipboard changed owner meanwhile
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
    // Display thread: an answer that came after its reader stopped waiting,
    // for the next reader (dropped when the clipboard changes again).
    std::optional<std::vector<user::ClipboardItem>> m_late;
};

}  // namespace helm::display
