// Builds dialog templates in memory, in Windows' classic DLGTEMPLATE form,
// for the layer's own dialogs (message boxes, file and folder pickers), so
// they are made by the dialog manager exactly as a program's are.
#pragma once

#include <string_view>
#include <vector>

#include "helm/user/winuser.h"

namespace helm::user {

class TemplateWriter {
public:
    // The dialog's head; units are dialog units. A face gives DS_SETFONT.
    TemplateWriter(DWORD style, short x, short y, short cx, short cy, std::string_view title, std::string_view face,
                   WORD points);
    // One control of a predefined class (0x80 Button ... 0x85 ComboBox).
    void add(WORD class_atom, DWORD style, short x, short y, short cx, short cy, WORD id, std::string_view text);
    // One control of a class given by name.
    void add(std::string_view class_name, DWORD style, short x, short y, short cx, short cy, WORD id,
             std::string_view text);
    LPCDLGTEMPLATE get() const { return reinterpret_cast<LPCDLGTEMPLATE>(m_words.data()); }

private:
    void put_dword(DWORD value);
    void put_string(std::string_view text);  // Windows-1252 to UTF-16, with its zero
    void item_head(DWORD style, short x, short y, short cx, short cy, WORD id);
    void item_tail(std::string_view text);

    std::vector<WORD> m_words;
};

}  // namespace helm::user
