// CColorTools: colour arithmetic.
#pragma once

#include "afxwin.h"

class CColorTools {
public:
    // Each of red, green and blue raised by `amount`, at most 255.
    static COLORREF F_ColorLighten(COLORREF colour, BYTE amount);
};
