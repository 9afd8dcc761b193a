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
// The toolkit's string `id` in the chosen language with "%app%" replaced by
// the calling application's name; `out` is left as it was when the string
// is missing or empty.
void AppLoadString(CString& out, UINT id);
