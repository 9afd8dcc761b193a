#include "selections.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "connection.h"
#include "helm/gdi/images.h"
#include "helm/kernel/objects.h"
#include "helm/gdi/text.h"
#include "helm/user/clipboard.h"

namespace helm::display {
namespace {

uint32_t read_u32(const std::byte* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
uint16_t read_u16(const std::byte* p)
{
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
template <class T>
void put(std::vector<std::byte>& out, T value)
{
    const auto* p = reinterpret_cast<const std::byte*>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

std::vector<std::byte> bytes_of(std::string_view text)
{
    std::vector<std::byte> out(text.size());
    std::memcpy(out.data(), text.data(), text.size());
    return out;
}

}  // namespace

std::string desktop_text_of(const std::vector<std::byte>& cf_text)
{
    const char* bytes = reinterpret_cast<const char*>(cf_text.data());
    const std::string_view text(bytes, strnlen(bytes, cf_text.size()));
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            lines += text[i];
            continue;
        }
        lines += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return gdi::utf8_from_1252(lines);
}

std::vector<std::byte> cf_text_of_1252(std::string_view text)
{
    std::string lines;
    for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            lines += text[i];
        }
    }
    std::vector<std::byte> out = bytes_of(lines);
    out.push_back(std::byte{0});
    return out;
}

std::vector<std::byte> cf_text_of(std::string_view utf8) { return cf_text_of_1252(gdi::text_1252_from_utf8(utf8)); }

// A packed DIB with the file header a BMP file starts with.
std::vector<std::byte> bmp_file_of(const std::vector<std::byte>& dib)
{
    if (dib.size() < 40)
        return {};
    const uint32_t header = read_u32(dib.data());
    const uint16_t bits = read_u16(dib.data() + 14);
    const uint32_t compression = read_u32(dib.data() + 16);
    const uint32_t used = read_u32(dib.data() + 32);
    if (header < 40 || header > dib.size() || used > 256)
        return {};
    size_t palette = used ? used : (bits <= 8 ? (1u << bits) : 0);
    size_t offset = 14 + header + palette * 4;
    if (compression == 3 && header == 40)  // BI_BITFIELDS: three masks follow the header
        offset += 12;
    if (offset > dib.size() + 14 || dib.size() + 14 > UINT32_MAX)
        return {};
    std::vector<std::byte> file;
    file.reserve(dib.size() + 14);
    file.push_back(std::byte{'B'});
    file.push_back(std::byte{'M'});
    put<uint32_t>(file, static_cast<uint32_t>(dib.size() + 14));
    put<uint32_t>(file, 0);
    put<uint32_t>(file, static_cast<uint32_t>(offset));
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

// A picture as a 24-bit bottom-up DIB, as the suite puts pictures on the
// clipboard itself.
std::vector<std::byte> dib_of_image(const void* data, size_t size)
{
    auto picture = gdi::decode_image(data, size);
    if (!picture)
        return {};
    const int width = picture->width(), height = picture->height();
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    if (stride * static_cast<size_t>(height) + 40 > Selections::max_transfer)
        return {};
    std::vector<std::byte> dib;
    dib.reserve(40 + stride * static_cast<size_t>(height));
    put<uint32_t>(dib, 40);
    put<int32_t>(dib, width);
    put<int32_t>(dib, height);
    put<uint16_t>(dib, 1);
    put<uint16_t>(dib, 24);
    put<uint32_t>(dib, 0);  // BI_RGB
    put<uint32_t>(dib, static_cast<uint32_t>(stride * static_cast<size_t>(height)));
    put<int32_t>(dib, 3780);  // 96 dots per inch
    put<int32_t>(dib, 3780);
    put<uint32_t>(dib, 0);
    put<uint32_t>(dib, 0);
    for (int y = height - 1; y >= 0; --y) {
        const uint32_t* row = picture->row(y);
        size_t written = 0;
        for (int x = 0; x < width; ++x) {
            // Premultiplied pixels over white, as a picture with holes shows.
            const uint32_t argb = row[x];
            const uint32_t alpha = argb >> 24;
            for (int shift : {0, 8, 16}) {
                const uint32_t c = (argb >> shift) & 0xFF;
                dib.push_back(static_cast<std::byte>(std::min<uint32_t>(255, c + (255 - alpha))));
            }
            written += 3;
        }
        for (; written < stride; ++written)
            dib.push_back(std::byte{0});
    }
    return dib;
}

Selections::Selections(Connection& connection) : m_connection(connection)
{
    Display* display = connection.display();
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    m_window = XCreateWindow(display, connection.root(), -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                             CWEventMask, &attributes);
    int error_base = 0;
    if (XFixesQueryExtension(display, &m_fixes_event, &error_base)) {
        XFixesSelectSelectionInput(display, m_window, connection.atoms().clipboard,
                                   XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                       XFixesSelectionClientCloseNotifyMask);
    } else {
        m_fixes_event = -1;
    }
    // Without XFixes every read looks again; with it, what is there at the
    // start counts as new.
    const Window owner = XGetSelectionOwner(display, connection.atoms().clipboard);
    m_changed = m_fixes_event < 0 || owner != None;
}

void Selections::publish(std::vector<user::ClipboardItem> items)
{
    m_published = std::move(items);
    m_published_time = m_connection.last_time();
    XSetSelectionOwner(m_connection.display(), m_connection.atoms().clipboard, m_window, m_published_time);
}

bool Selections::Handoff::give(Items items)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_abandoned)
            return false;
        m_items = std::move(items);
        m_done = true;
    }
    m_given.notify_all();
    return true;
}

Selections::Items Selections::Handoff::wait(DWORD timeout)
{
    std::unique_lock lock(m_mutex);
    if (!m_given.wait_for(lock, std::chrono::milliseconds(timeout), [&] { return m_done; })) {
        m_abandoned = true;
        return std::nullopt;
    }
    return std::move(m_items);
}

bool Selections::take_desktop(std::vector<user::ClipboardItem>* items, DWORD timeout)
{
    if (!m_connection.alive())
        return false;
    auto reader = std::make_shared<Handoff>();
    m_connection.post([this, reader] {
        // A change another program made before asking is told by now: the
        // round trip brings every event the server sent before it.
        XSync(m_connection.display(), False);
        m_connection.handle_events();
        if (m_late) {
            // A slow owner answered after the last reader gave up.
            if (reader->give(std::move(m_late)))
                m_late.reset();
            return;
        }
        const uint64_t now = kernel::steady_ms();
        if (m_fetch && now - m_fetch->started_ms < give_up_ms) {
            // Still asking an owner slow to answer: its answer is this
            // reader's when it comes.
            m_fetch->reader = reader;
            return;
        }
        m_fetch.reset();  // an owner that never answered
        if (!m_changed) {
            reader->give(std::nullopt);
            return;
        }
        m_changed = m_fixes_event < 0;
        if (XGetSelectionOwner(m_connection.display(), m_connection.atoms().clipboard) == m_window) {
            // Ours again: what we published is what the layer holds.
            reader->give(std::nullopt);
            return;
        }
        m_fetch = std::make_shared<Fetch>();
        m_fetch->reader = reader;
        m_fetch->started_ms = now;
        m_fetch->targets = {m_connection.atoms().targets};
        ask_next();
    });
    auto taken = reader->wait(timeout);
    if (!taken)
        return false;
    *items = std::move(*taken);
    return true;
}

void Selections::ask_next()
{
    if (m_fetch->targets.empty()) {
        finish_fetch();
        return;
    }
    m_fetch->asked = m_fetch->targets.front();
    m_fetch->targets.erase(m_fetch->targets.begin());
    m_fetch->incremental = false;
    m_fetch->received.clear();
    XConvertSelection(m_connection.display(), m_connection.atoms().clipboard, m_fetch->asked,
                      m_connection.atoms().transfer, m_window, m_connection.last_time());
}

void Selections::finish_fetch()
{
    auto fetch = std::move(m_fetch);
    m_fetch.reset();
    if (!fetch->reader->give(fetch->items) && !fetch->outdated)
        m_late = std::move(fetch->items);
}

// Reads the transfer property whole (at most max_transfer bytes) and deletes
// it, which also tells an incremental sender to go on.
bool Selections::read_transfer(Atom* type, std::string* data, bool* incremental)
{
    Display* display = m_connection.display();
    data->clear();
    *incremental = false;
    long offset = 0;
    for (;;) {
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* chunk = nullptr;
        if (XGetWindowProperty(display, m_window, m_connection.atoms().transfer, offset, 1 << 16, False,
                               AnyPropertyType, type, &format, &count, &after, &chunk) != Success)
            return false;
        const size_t item = format == 32 ? sizeof(long) : format == 16 ? sizeof(short) : 1;
        if (chunk) {
            if (data->size() + count * item > max_transfer) {
                XFree(chunk);
                XDeleteProperty(display, m_window, m_connection.atoms().transfer);
                return false;
            }
            data->append(reinterpret_cast<const char*>(chunk), count * item);
            XFree(chunk);
        }
        offset += static_cast<long>(count * static_cast<unsigned long>(format) / 32);
        if (after == 0 || count == 0)
            break;
    }
    *incremental = *type == m_connection.atoms().incr;
    XDeleteProperty(display, m_window, m_connection.atoms().transfer);
    return true;
}

void Selections::take_reply(Atom type, std::string data)
{
    const Atoms& atoms = m_connection.atoms();
    Fetch& fetch = *m_fetch;
    if (fetch.asked == atoms.targets) {
        std::vector<Atom> offered(data.size() / sizeof(long));
        for (size_t i = 0; i < offered.size(); ++i) {
            long value;
            std::memcpy(&value, data.data() + i * sizeof(long), sizeof value);
            offered[i] = static_cast<Atom>(value);
        }
        auto first_of = [&](std::initializer_list<Atom> wanted) -> Atom {
            for (Atom a : wanted)
                if (std::find(offered.begin(), offered.end(), a) != offered.end())
                    return a;
            return None;
        };
        if (Atom text = first_of({atoms.utf8_string, atoms.text_plain_utf8, XA_STRING, atoms.text_plain}))
            fetch.targets.push_back(text);
        if (Atom image = first_of({atoms.image_png, atoms.image_bmp}))
            fetch.targets.push_back(image);
    } else if (fetch.asked == atoms.image_png || fetch.asked == atoms.image_bmp) {
        auto dib = dib_of_image(data.data(), data.size());
        if (!dib.empty())
            fetch.items.push_back({CF_DIB, std::move(dib)});
    } else if (type == XA_STRING || fetch.asked == XA_STRING || fetch.asked == atoms.text_plain) {
        // Latin-1 is Windows-1252 but for its control characters.
        for (char& c : data)
            if (static_cast<unsigned char>(c) >= 0x80 && static_cast<unsigned char>(c) < 0xA0)
                c = '?';
        fetch.items.push_back({CF_TEXT, cf_text_of_1252(data)});
    } else {
        fetch.items.push_back({CF_TEXT, cf_text_of(data)});
    }
    ask_next();
}

bool Selections::handle(XEvent& event)
{
    const Atoms& atoms = m_connection.atoms();
    if (m_fixes_event >= 0 && event.type == m_fixes_event + XFixesSelectionNotify) {
        const auto& notify = reinterpret_cast<const XFixesSelectionNotifyEvent&>(event);
        if (notify.selection == atoms.clipboard && notify.owner != m_window) {
            m_changed = true;
            // What a former owner gives, or gave late, is not the clipboard any more.
            m_late.reset();
            if (m_fetch)
                m_fetch->outdated = true;
        }
        return true;
    }
    switch (event.type) {
    case SelectionRequest:
        if (event.xselectionrequest.owner != m_window)
            return false;
        answer(event.xselectionrequest);
        return true;
    case SelectionClear:
        if (event.xselectionclear.window != m_window)
            return false;
        m_published.clear();
        return true;
    case SelectionNotify: {
        if (event.xselection.requestor != m_window)
            return false;
        if (!m_fetch || event.xselection.target != m_fetch->asked)
            return true;
        if (event.xselection.property == None) {
            ask_next();  // refused
            return true;
        }
        Atom type = None;
        std::string data;
        bool incremental = false;
        if (!read_transfer(&type, &data, &incremental)) {
            ask_next();
        } else if (incremental) {
            m_fetch->incremental = true;  // the pieces come as new values of the property
        } else {
            take_reply(type, std::move(data));
        }
        return true;
    }
    case PropertyNotify: {
        if (event.xproperty.window != m_window)
            return false;
        if (m_fetch && m_fetch->incremental && event.xproperty.atom == atoms.transfer &&
            event.xproperty.state == PropertyNewValue) {
            Atom type = None;
            std::string piece;
            bool incremental = false;
            if (!read_transfer(&type, &piece, &incremental) ||
                m_fetch->received.size() + piece.size() > max_transfer) {
                ask_next();
            } else if (piece.empty()) {
                take_reply(type, std::move(m_fetch->received));
            } else {
                m_fetch->received += piece;
            }
        }
        return true;
    }
    default: return false;
    }
}

bool Selections::convert(Atom target, Atom* type, int* format, std::string* data) const
{
    const Atoms& atoms = m_connection.atoms();
    const user::ClipboardItem* text = nullptr;
    const user::ClipboardItem* dib = nullptr;
    for (const auto& item : m_published) {
        if (item.format == CF_TEXT)
            text = &item;
        if (item.format == CF_DIB)
            dib = &item;
    }
    *format = 8;
    if (target == atoms.targets) {
        std::vector<long> list = {static_cast<long>(atoms.targets), static_cast<long>(atoms.timestamp)};
        if (text)
            for (Atom a : {atoms.utf8_string, atoms.text_plain_utf8, XA_STRING, atoms.text, atoms.text_plain})
                list.push_back(static_cast<long>(a));
        if (dib)
            for (Atom a : {atoms.image_png, atoms.image_bmp})
                list.push_back(static_cast<long>(a));
        *type = XA_ATOM;
        *format = 32;
        data->assign(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(long));
        return true;
    }
    if (target == atoms.timestamp) {
        const long time = static_cast<long>(m_published_time);
        *type = XA_INTEGER;
        *format = 32;
        data->assign(reinterpret_cast<const char*>(&time), sizeof time);
        return true;
    }
    if (text && (target == atoms.utf8_string || target == atoms.text_plain_utf8 || target == atoms.text)) {
        *type = target == atoms.text ? atoms.utf8_string : target;
        *data = desktop_text_of(text->bytes);
        return true;
    }
    if (text && (target == XA_STRING || target == atoms.text_plain)) {
        // Latin-1: what Windows-1252 has beyond it becomes '?'.
        const std::string utf8 = desktop_text_of(text->bytes);
        const std::string cp1252 = gdi::text_1252_from_utf8(utf8);
        data->clear();
        for (unsigned char c : cp1252)
            *data += static_cast<char>(c >= 0x80 && c < 0xA0 ? '?' : c);
        *type = target;
        return true;
    }
    if (dib && target == atoms.image_bmp) {
        const auto file = bmp_file_of(dib->bytes);
        data->assign(reinterpret_cast<const char*>(file.data()), file.size());
        *type = target;
        return !file.empty();
    }
    if (dib && target == atoms.image_png) {
        auto picture = gdi::decode_image(dib->bytes.data(), dib->bytes.size());
        if (!picture)
            return false;
        const auto png = picture->png();
        data->assign(reinterpret_cast<const char*>(png.data()), png.size());
        *type = target;
        return true;
    }
    return false;
}

void Selections::answer(const XSelectionRequestEvent& request)
{
    Display* display = m_connection.display();
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    // Obsolete clients name no property: the target stands for it.
    const Atom property = request.property != None ? request.property : request.target;
    Atom type = None;
    int format = 8;
    std::string data;
    // One request carries an answer: larger ones are refused, not sent in
    // pieces.
    long max_bytes = XExtendedMaxRequestSize(display);
    if (max_bytes == 0)
        max_bytes = XMaxRequestSize(display);
    max_bytes = max_bytes * 4 - 1024;
    if (request.selection == m_connection.atoms().clipboard && !m_published.empty() &&
        convert(request.target, &type, &format, &data) && static_cast<long>(data.size()) <= max_bytes) {
        const int elements = static_cast<int>(format == 32 ? data.size() / sizeof(long) : data.size());
        XChangeProperty(display, request.requestor, property, type, format, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(data.data()), elements);
        reply.xselection.property = property;
    }
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
}

}  // namespace helm::display
