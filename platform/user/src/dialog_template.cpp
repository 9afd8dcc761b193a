// Reading dialog templates. Both forms are WORD streams whose items start
// on DWORD boundaries (counted from the template's start); every field is
// checked against the size before it is read.

#include "dialog_template.h"

#include "resource_codepage.h"

#include <cstring>

namespace helm::user {

namespace {

constexpr WORD extended_signature = 0xFFFF;
constexpr WORD ordinal_marker = 0xFFFF;
// Longest string field read; a longer one is taken as damage.
constexpr size_t max_string_chars = 4096;

class Reader {
public:
    Reader(const std::byte* data, size_t size) : m_data(data), m_size(size) {}

    template <class T>
    bool read(T* out)
    {
        if (m_at > m_size || m_size - m_at < sizeof(T))
            return false;
        std::memcpy(out, m_data + m_at, sizeof(T));
        m_at += sizeof(T);
        return true;
    }
    bool align(size_t to)
    {
        size_t aligned = (m_at + to - 1) / to * to;
        if (aligned > m_size)
            return false;
        m_at = aligned;
        return true;
    }
    bool bytes(size_t count, std::vector<std::byte>* out)
    {
        if (m_size - m_at < count)
            return false;
        out->assign(m_data + m_at, m_data + m_at + count);
        m_at += count;
        return true;
    }
    // A zero-terminated UTF-16 string.
    bool string(std::string* out)
    {
        std::u16string text;
        for (;;) {
            WCHAR c;
            if (!read(&c) || text.size() > max_string_chars)
                return false;
            if (c == 0)
                break;
            text.push_back(c);
        }
        *out = to_windows_1252(text.data(), text.size());
        return true;
    }
    bool name_or_ordinal(NameOrOrdinal* out)
    {
        WORD first;
        if (!read(&first))
            return false;
        if (first == 0) {
            *out = {};
            return true;
        }
        out->present = true;
        if (first == ordinal_marker) {
            out->is_ordinal = true;
            return read(&out->ordinal);
        }
        m_at -= sizeof(WORD);
        out->is_ordinal = false;
        return string(&out->name);
    }

private:
    const std::byte* m_data;
    size_t m_size;
    size_t m_at = 0;
};

bool read_creation_data(Reader& r, DialogItem* item)
{
    WORD count;
    if (!r.read(&count))
        return false;
    if (count == 0)
        return true;
    // The control gets the block with its size word in front, as on Windows.
    std::vector<std::byte> body;
    if (!r.bytes(count, &body))
        return false;
    item->creation_data.resize(sizeof(WORD) + body.size());
    std::memcpy(item->creation_data.data(), &count, sizeof(WORD));
    std::memcpy(item->creation_data.data() + sizeof(WORD), body.data(), body.size());
    return true;
}

bool read_classic(Reader& r, DialogTemplate* t)
{
    WORD count;
    if (!r.read(&t->style) || !r.read(&t->ex_style) || !r.read(&count) || !r.read(&t->x) || !r.read(&t->y) ||
        !r.read(&t->cx) || !r.read(&t->cy))
        return false;
    if (count > max_template_items)
        return false;
    if (!r.name_or_ordinal(&t->menu) || !r.name_or_ordinal(&t->window_class) || !r.string(&t->title))
        return false;
    if (t->style & DS_SETFONT) {
        t->has_font = true;
        if (!r.read(&t->points) || !r.string(&t->face))
            return false;
    }
    t->items.resize(count);
    for (DialogItem& item : t->items) {
        WORD id;
        if (!r.align(4) || !r.read(&item.style) || !r.read(&item.ex_style) || !r.read(&item.x) || !r.read(&item.y) ||
            !r.read(&item.cx) || !r.read(&item.cy) || !r.read(&id))
            return false;
        item.id = id;
        if (!r.name_or_ordinal(&item.window_class) || !r.name_or_ordinal(&item.title) || !read_creation_data(r, &item))
            return false;
    }
    return true;
}

bool read_extended(Reader& r, DialogTemplate* t)
{
    WORD version, signature, count;
    if (!r.read(&version) || !r.read(&signature) || version != 1 || signature != extended_signature)
        return false;
    t->extended = true;
    if (!r.read(&t->help_id) || !r.read(&t->ex_style) || !r.read(&t->style) || !r.read(&count) || !r.read(&t->x) ||
        !r.read(&t->y) || !r.read(&t->cx) || !r.read(&t->cy))
        return false;
    if (count > max_template_items)
        return false;
    if (!r.name_or_ordinal(&t->menu) || !r.name_or_ordinal(&t->window_class) || !r.string(&t->title))
        return false;
    if (t->style & DS_SETFONT) {
        BYTE italic;
        t->has_font = true;
        if (!r.read(&t->points) || !r.read(&t->weight) || !r.read(&italic) || !r.read(&t->charset) ||
            !r.string(&t->face))
            return false;
        t->italic = italic != 0;
    }
    t->items.resize(count);
    for (DialogItem& item : t->items) {
        if (!r.align(4) || !r.read(&item.help_id) || !r.read(&item.ex_style) || !r.read(&item.style) ||
            !r.read(&item.x) || !r.read(&item.y) || !r.read(&item.cx) || !r.read(&item.cy) || !r.read(&item.id))
            return false;
        if (!r.name_or_ordinal(&item.window_class) || !r.name_or_ordinal(&item.title) || !read_creation_data(r, &item))
            return false;
    }
    return true;
}

}  // namespace

std::string to_windows_1252(const WCHAR* text, size_t length)
{
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        int byte = codepage::from_unicode(text[i]);
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return out;
}

bool parse_dialog_template(const void* data, size_t size, DialogTemplate* out)
{
    if (!data || !out)
        return false;
    *out = DialogTemplate{};
    Reader r(static_cast<const std::byte*>(data), size);
    WORD head[2];
    if (size < sizeof head)
        return false;
    std::memcpy(head, data, sizeof head);
    return head[1] == extended_signature ? read_extended(r, out) : read_classic(r, out);
}

}  // namespace helm::user
