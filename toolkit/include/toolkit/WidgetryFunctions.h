// The toolkit's exported functions. Each switches to the toolkit's own
// module state for its resources.
#pragma once

#include "afxwin.h"

// Icon kinds 0 to 5 (pin, pinned, minimise, compass, information, keyboard);
// null for any other kind.
HICON F_Q_LoadIcon(int kind);
// Bitmap kinds 0 to 2 (small logo, large logo, banner), attached to
// `bitmap` (which lets go of what it held); `info` gets its size when given.
// The handle, or null for another kind or a null object.
HBITMAP F_Q_LoadBitmap(int kind, CBitmap* bitmap, BITMAP* info);
// The modeless About box over `parent` (null: the main window), with the
// texts of the calling program's version block; made on first use and
// brought to the front afterwards. The second form replaces the texts
// given (null keeps the version block's).
void LoadAboutBox(HWND parent);
inline void LoadAboutBox(CWnd* parent)
{
    LoadAboutBox(parent ? parent->m_hWnd : nullptr);
}
void LoadAboutBox2(HWND parent, LPCSTR name, LPCSTR copyright, LPCSTR comments);
// The modeless Shortcuts dialog over `parent`: one line per entry of the
// calling program's main accelerator table (resource 128), its keys beside
// its command's text (the part after the first newline of the command's
// string), sorted by keys.
void ShowAccelerators(HWND parent);
// The toolkit's string `id` in the chosen language with "%app%" replaced by
// the calling application's name; `out` is left as it was when the string
// is missing or empty.
void AppLoadString(CString& out, UINT id);
