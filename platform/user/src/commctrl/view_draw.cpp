#include "view_draw.h"

#include <algorithm>
#include <cstring>

#include "common.h"
#include "view_text.h"

namespace helm::user::commctrl {

namespace {

// The longest text read from a parent's own storage.
constexpr size_t max_answered_text = 4096;

}  // namespace

CustomDrawPaint::CustomDrawPaint(HWND window, NMCUSTOMDRAW& block)
    : m_window(window), m_block(block)
{
    m_dc = BeginPaint(m_window, &m_paint);
    GetClientRect(m_window, &m_client);
    if (m_dc) {
        SelectObject(m_dc, view_font(m_window));
        SetBkMode(m_dc, TRANSPARENT);
    }
    m_block.dwDrawStage = CDDS_PREPAINT;
    m_block.hdc = m_dc;
    m_block.rc = m_client;
    m_wants = notify(m_window, NM_CUSTOMDRAW, m_block.hdr);
}

void CustomDrawPaint::finish()
{
    if (m_wants & CDRF_NOTIFYPOSTPAINT) {
        m_block.dwDrawStage = CDDS_POSTPAINT;
        notify(m_window, NM_CUSTOMDRAW, m_block.hdr);
    }
    if (IsWindow(m_window))
        EndPaint(m_window, &m_paint);
}

void selection_colours(bool selected, bool focused, COLORREF& text, COLORREF& back)
{
    if (selected && focused) {
        text = GetSysColor(COLOR_HIGHLIGHTTEXT);
        back = GetSysColor(COLOR_HIGHLIGHT);
    } else if (selected) {
        back = GetSysColor(COLOR_BTNFACE);
    }
}

LRESULT erase_view(HWND window, HDC dc, COLORREF background)
{
    if (dc && background != CLR_NONE) {
        RECT client;
        GetClientRect(window, &client);
        fill(dc, client, background, COLOR_WINDOW);
    }
    return 1;
}

void fit_scroll_bar(HWND window, int bar, int count, int page, int pos)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = std::max(count - 1, 0);
    info.nPage = static_cast<UINT>(std::max(page, 1));
    info.nPos = pos;
    SetScrollInfo(window, bar, &info, TRUE);  // shows the bar while count > page
}

void invalidate_band(HWND window, int top, int bottom)
{
    RECT client;
    GetClientRect(window, &client);
    RECT r{0, top, client.right, bottom};
    InvalidateRect(window, &r, TRUE);
}

std::string answered_text(const char* answer, char* buffer, size_t size)
{
    if (answer == buffer) {
        buffer[size - 1] = '\0';
        return buffer;
    }
    if (!answer || answer == LPSTR_TEXTCALLBACK)
        return {};
    return std::string(answer, strnlen(answer, max_answered_text));
}

}  // namespace helm::user::commctrl
