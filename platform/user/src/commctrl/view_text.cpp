#include "view_text.h"

#include <algorithm>

namespace helm::user::commctrl {

namespace {

// A measuring context with the control's font selected; ends with the scope.
class Measure {
public:
    Measure(HWND control, HFONT font)
    {
        m_dc = CreateCompatibleDC(nullptr);
        if (!font)
            font = view_font(control);
        if (m_dc)
            m_old = SelectObject(m_dc, font);
    }
    ~Measure()
    {
        if (m_dc) {
            SelectObject(m_dc, m_old);
            DeleteDC(m_dc);
        }
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;
    HDC dc() const { return m_dc; }

private:
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
};

}  // namespace

HFONT view_font(HWND control)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessage(control, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int label_width(HWND control, std::string_view text, HFONT font)
{
    if (text.empty())
        return 0;
    Measure measure(control, font);
    SIZE size{};
    // Labels are bounded so a huge text costs a bounded measurement.
    const int count = static_cast<int>(std::min<size_t>(text.size(), 4096));
    if (!measure.dc() || !GetTextExtentPoint32(measure.dc(), text.data(), count, &size))
        return 6 * count;
    return size.cx;
}

int line_height(HWND control)
{
    Measure measure(control, nullptr);
    TEXTMETRIC metrics{};
    if (!measure.dc() || !GetTextMetrics(measure.dc(), &metrics))
        return 13;
    return metrics.tmHeight;
}

BoldFont::~BoldFont()
{
    if (m_bold)
        DeleteObject(m_bold);
}

HFONT BoldFont::of(HWND control)
{
    HFONT source = view_font(control);
    if (m_bold && source == m_source)
        return m_bold;
    if (m_bold)
        DeleteObject(m_bold);
    LOGFONT description{};
    GetObject(source, sizeof description, &description);
    description.lfWeight = FW_BOLD;
    m_source = source;
    m_bold = CreateFontIndirect(&description);
    return m_bold ? m_bold : source;
}

}  // namespace helm::user::commctrl
