// Colours as properties carry them: 0x00BBGGRR for a plain colour,
// 0x80000000 | index for a system colour, 0x01000000 | index for an entry of
// a palette, 0x02BBGGRR for the nearest palette colour.
#pragma once

#include "helm/com/hresult.h"

typedef DWORD OLE_COLOR;

// A plain or nearest-palette colour gives its RGB; a system colour gives
// GetSysColor of its index (0 to 30). Palettes do not exist here (every
// surface is true colour), so a palette index fails, as does any other
// form, with E_INVALIDARG. A null `out` only checks.
HRESULT OleTranslateColor(OLE_COLOR color, HPALETTE palette, COLORREF* out);
