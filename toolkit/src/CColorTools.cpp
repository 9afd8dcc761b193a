#include "toolkit/CColorTools.h"

#include <algorithm>

COLORREF CColorTools::F_ColorLighten(COLORREF colour, BYTE amount)
{
    auto lift = [amount](int channel) { return static_cast<BYTE>(std::min(channel + amount, 255)); };
    return RGB(lift(GetRValue(colour)), lift(GetGValue(colour)), lift(GetBValue(colour)));
}
