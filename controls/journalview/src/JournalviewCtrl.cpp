#include "JournalviewCtrl.h"

#include <algorithm>

#include "helm/kernel/station_path.h"

namespace {

constexpr DWORD box_style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                            ES_AUTOHSCROLL | ES_READONLY | ES_WANTRETURN;
static_assert(box_style == 0x503018C4);

COLORREF colour_of(USHORT type)
{
    switch (type) {
    case 1: return RGB(255, 0, 0);
    case 2: return RGB(0, 255, 0);
    default: return RGB(255, 255, 255);
    }
}

int line_breaks(const CString& text)
{
    int breaks = 0;
    for (int i = 0; i < text.GetLength(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.GetLength() || text[i + 1] != '\n')))
            ++breaks;
    return breaks;
}

}  // namespace

JournalviewCtrl::~JournalviewCtrl()
{
    F_SetLogOFF();
}

HRESULT JournalviewCtrl::F_AddInfo(USHORT V_I_sInfoType, char* V_P_C_pInfoText)
{
    CString line = V_P_C_pInfoText ? V_P_C_pInfoText : "";
    if (line.Find('\n') < 0)
        line += "\r\n";
    if (m_logging)
        log_line(line);
    if (!m_box.m_hWnd)
        return S_OK;
    make_room(line.GetLength(), line_breaks(line));
    m_box.SetSel(0, 0);
    CHARFORMAT format{};
    m_box.GetSelectionCharFormat(format);
    format.dwMask = CFM_COLOR | CFM_BOLD;
    format.dwEffects = CFE_BOLD;
    format.crTextColor = colour_of(V_I_sInfoType);
    m_box.SetSelectionCharFormat(format);
    m_box.ReplaceSel(line);
    m_box.SetSel(0, 0);
    return S_OK;
}

void JournalviewCtrl::make_room(long length, int lines)
{
    const long limit = m_box.GetLimitText();
    const long now = m_box.GetTextLength();
    // The last line of the box is the empty one after the final break.
    const int whole = m_box.GetLineCount() - 1;
    if (whole + lines <= max_lines && now + length <= limit)
        return;
    // A quarter of the box goes at once, so that a full box is not cut
    // again at every event. Whole lines are kept from the top (the newest).
    int keep = std::max(std::min(whole, max_lines * 3 / 4 - lines), 0);
    const long room = limit * 3 / 4 - length;
    long end = m_box.LineIndex(keep);
    while (keep > 0 && (end < 0 || end > room)) {
        --keep;
        end = m_box.LineIndex(keep);
    }
    if (end >= 0 && end < now) {
        m_box.SetSel(end, now);
        m_box.ReplaceSel("");
    }
}

void JournalviewCtrl::log_line(const CString& line)
{
    if (!m_log)
        return;
    // One CR LF per line end, whether the line came with LF or CR LF.
    CString disk;
    for (int i = 0; i < line.GetLength(); ++i) {
        if (line[i] == '\n' && (i == 0 || line[i - 1] != '\r'))
            disk += '\r';
        disk += line[i];
    }
    std::fwrite(static_cast<LPCSTR>(disk), 1, static_cast<size_t>(disk.GetLength()), m_log);
    std::fflush(m_log);
}

HRESULT JournalviewCtrl::F_SetLogON(char* V_P_C_LogFileName)
{
    F_SetLogOFF();
    if (!V_P_C_LogFileName)
        return S_FALSE;
    m_log = std::fopen(helm::kernel::native_path(V_P_C_LogFileName).c_str(), "ab");
    if (!m_log)
        return S_FALSE;
    m_logging = true;
    return S_OK;
}

HRESULT JournalviewCtrl::F_SetLogOFF()
{
    if (m_log)
        std::fclose(m_log);
    m_log = nullptr;
    m_logging = false;
    return S_OK;
}

void JournalviewCtrl::on_create()
{
    CRect client;
    GetClientRect(m_hWnd, &client);
    HWND title = CreateWindowEx(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0, 0,
                                client.Width(), title_height, m_hWnd, nullptr, nullptr, nullptr);
    if (title)
        m_title.SubclassWindow(title);
    HWND box = CreateWindowEx(0, RICHEDIT_CLASS, "", box_style, 0, title_height, client.Width(),
                              client.Height() - title_height, m_hWnd, nullptr, nullptr, nullptr);
    if (box) {
        m_box.Attach(box);
        m_box.SetBackgroundColor(FALSE, RGB(0, 0, 0));
    }
}

void JournalviewCtrl::on_destroy()
{
    if (m_box.m_hWnd)
        m_box.DestroyWindow();
    if (m_title.m_hWnd)
        m_title.DestroyWindow();
    // The log goes with the window that shows it.
    F_SetLogOFF();
}

void JournalviewCtrl::place_children(int width, int height)
{
    if (m_title.m_hWnd)
        m_title.MoveWindow(0, 0, width, title_height);
    if (m_box.m_hWnd)
        m_box.MoveWindow(0, title_height, width, height - title_height);
}

BOOL JournalviewCtrl::ProcessWindowMessage(HWND window, UINT message, WPARAM, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_CREATE:
        on_create();
        result = 0;
        return TRUE;
    case WM_DESTROY:
        on_destroy();
        return FALSE;
    case WM_SIZE:
        place_children(LOWORD(lParam), HIWORD(lParam));
        return FALSE;
    case WM_SETFOCUS: {
        HWND focus = GetFocus();
        if (m_box.m_hWnd && focus != m_box.m_hWnd && !IsChild(window, focus))
            m_box.SetFocus();
        return FALSE;
    }
    default:
        return FALSE;
    }
}
