#include "template_writer.h"

#include "resource_codepage.h"

namespace helm::user {

namespace {

// Offsets into the head, in words.
constexpr size_t count_word = 4;

}  // namespace

TemplateWriter::TemplateWriter(DWORD style, short x, short y, short cx, short cy, std::string_view title,
                               std::string_view face, WORD points)
{
    if (!face.empty())
        style |= DS_SETFONT;
    else
        style &= ~static_cast<DWORD>(DS_SETFONT);
    put_dword(style);
    put_dword(0);
    m_words.push_back(0);  // item count, counted by add
    for (short v : {x, y, cx, cy})
        m_words.push_back(static_cast<WORD>(v));
    m_words.push_back(0);  // no menu
    m_words.push_back(0);  // the dialog class
    put_string(title);
    if (!face.empty()) {
        m_words.push_back(points);
        put_string(face);
    }
}

void TemplateWriter::add(WORD class_atom, DWORD style, short x, short y, short cx, short cy, WORD id,
                         std::string_view text)
{
    item_head(style, x, y, cx, cy, id);
    m_words.push_back(0xFFFF);
    m_words.push_back(class_atom);
    item_tail(text);
}

void TemplateWriter::add(std::string_view class_name, DWORD style, short x, short y, short cx, short cy, WORD id,
                         std::string_view text)
{
    item_head(style, x, y, cx, cy, id);
    put_string(class_name);
    item_tail(text);
}

void TemplateWriter::put_dword(DWORD value)
{
    m_words.push_back(static_cast<WORD>(value & 0xFFFF));
    m_words.push_back(static_cast<WORD>(value >> 16));
}

void TemplateWriter::put_string(std::string_view text)
{
    for (char c : text)
        m_words.push_back(codepage::to_unicode(static_cast<unsigned char>(c)));
    m_words.push_back(0);
}

void TemplateWriter::item_head(DWORD style, short x, short y, short cx, short cy, WORD id)
{
    // Items start on a DWORD boundary of the template.
    if (m_words.size() % 2)
        m_words.push_back(0);
    put_dword(style | WS_CHILD);
    put_dword(0);
    for (short v : {x, y, cx, cy})
        m_words.push_back(static_cast<WORD>(v));
    m_words.push_back(id);
    ++m_words[count_word];
}

void TemplateWriter::item_tail(std::string_view text)
{
    put_string(text);
    m_words.push_back(0);  // no creation data
}

}  // namespace helm::user
