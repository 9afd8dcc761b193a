// Builds dialog templates in memory (the classic DLGTEMPLATE form) for the
// dialog tests.
#pragma once

#include <cstring>
#include <vector>

#include "afxwin.h"

namespace afx_test {

struct Item {
    WORD atom;  // 0x0080 button, 0x0081 edit, 0x0082 static, 0x0085 combo box
    WORD id;
    DWORD style;
    const char* text;
    short x, y, cx, cy;
};

class DialogTemplate {
public:
    DialogTemplate(DWORD style, const char* title, std::initializer_list<Item> items)
    {
        put32(style | DS_SETFONT);
        put32(0);
        put16(static_cast<WORD>(items.size()));
        put16(0), put16(0), put16(200), put16(120);
        put16(0);  // no menu
        put16(0);  // the dialog class
        text(title);
        put16(8);
        text("MS Shell Dlg");
        for (const Item& item : items) {
            while (m_bytes.size() % 4)
                m_bytes.push_back(0);
            put32(item.style | WS_CHILD | WS_VISIBLE);
            put32(0);
            put16(static_cast<WORD>(item.x)), put16(static_cast<WORD>(item.y));
            put16(static_cast<WORD>(item.cx)), put16(static_cast<WORD>(item.cy));
            put16(item.id);
            put16(0xFFFF);
            put16(item.atom);
            text(item.text);
            put16(0);  // no creation data
        }
        m_words.resize((m_bytes.size() + 3) / 4);
        std::memcpy(m_words.data(), m_bytes.data(), m_bytes.size());
    }

    LPCDLGTEMPLATE get() const { return reinterpret_cast<LPCDLGTEMPLATE>(m_words.data()); }

private:
    void put16(WORD value)
    {
        m_bytes.push_back(static_cast<BYTE>(value & 0xff));
        m_bytes.push_back(static_cast<BYTE>(value >> 8));
    }
    void put32(DWORD value)
    {
        put16(static_cast<WORD>(value & 0xffff));
        put16(static_cast<WORD>(value >> 16));
    }
    void text(const char* ascii)
    {
        for (const char* c = ascii ? ascii : ""; *c; ++c)
            put16(static_cast<BYTE>(*c));
        put16(0);
    }

    std::vector<BYTE> m_bytes;
    std::vector<DWORD> m_words;  // DWORD-aligned storage
};

}  // namespace afx_test
