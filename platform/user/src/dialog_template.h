// A dialog template read into plain values: both Windows forms (the classic
// DLGTEMPLATE and the extended DLGTEMPLATEEX), with their strings turned
// from UTF-16 into Windows-1252.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "helm/user/winuser.h"

namespace helm::user {

// A menu, class or title field: absent, an ordinal, or a name.
struct NameOrOrdinal {
    bool present = false;
    bool is_ordinal = false;
    WORD ordinal = 0;
    std::string name;
};

struct DialogItem {
    DWORD help_id = 0;
    DWORD style = 0;
    DWORD ex_style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    NameOrOrdinal window_class;
    NameOrOrdinal title;
    std::vector<std::byte> creation_data;  // with its WORD size first, as the control gets it
};

struct DialogTemplate {
    bool extended = false;
    DWORD help_id = 0;
    DWORD style = 0;
    DWORD ex_style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal window_class;
    std::string title;
    bool has_font = false;
    WORD points = 0;
    WORD weight = 0;
    bool italic = false;
    BYTE charset = 0;
    std::string face;
    std::vector<DialogItem> items;
};

// The most items a template may hold, and the bytes it may span, beyond
// which it is refused as damaged.
inline constexpr size_t max_template_items = 1024;
inline constexpr size_t max_template_bytes = 1 << 20;

// Reads a template of at most `size` bytes, only as far as its fields say.
// False for a damaged one (a field running past the end, a string without
// its terminator, too many items).
bool parse_dialog_template(const void* data, size_t size, DialogTemplate* out);

// UTF-16 to Windows-1252: characters the code page lacks become '?'.
std::string to_windows_1252(const WCHAR* text, size_t length);

}  // namespace helm::user
