// What the settings-file and record pages share: a folder kept in a buffer
// of 1024 characters and a file name, shown in their edits; the file name
// edit refuses the characters no file name may hold; the folder browser
// that gives a folder ending with a backslash.
#pragma once

#include <cstddef>

#include "afxwin.h"
#include "toolkit/CEditRestricted.h"

namespace helm::dialogs {

inline constexpr size_t folder_size = 1024;
inline constexpr const char* not_in_file_names = "\\/:*?\"<>|";

// Copies `text` into the folder buffer, cut to fit with its zero.
void keep_folder(char (&folder)[folder_size], const char* text);
// The edit's text into `out`; -1 (and `out` untouched) when it is empty.
int edit_text(const CWnd& edit, CString& out);
// The folder browser over `owner`, starting at `folder`; true with the
// chosen folder in `chosen`.
bool browse_folder(HWND owner, const char* folder, CString& chosen);

}  // namespace helm::dialogs
