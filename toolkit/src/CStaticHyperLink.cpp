#include "toolkit/CStaticHyperLink.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "helm/kernel/process.h"

IMPLEMENT_DYNAMIC(CStaticHyperLink, CStaticColor)

BEGIN_MESSAGE_MAP(CStaticHyperLink, CStaticColor)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_SETCURSOR()
    ON_CONTROL_REFLECT(STN_CLICKED, OnClicked)
END_MESSAGE_MAP()

namespace {

// The longest link handed to the opener.
constexpr size_t url_limit = 2048;
// What ShellExecute answers for a start that worked.
constexpr INT_PTR started = 42;

HINSTANCE result(INT_PTR code)
{
    return reinterpret_cast<HINSTANCE>(code);
}

// The desktop's opener, looked for along $PATH (absolute directories
// only, so the current directory never supplies one).
std::string desktop_opener()
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string_view directory = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (directory.empty() || directory.front() != '/')
            continue;
        std::string candidate = std::string(directory) + "/xdg-open";
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

bool acceptable_link(std::string_view url)
{
    if (url.empty() || url.size() > url_limit || url.front() == '-')
        return false;
    for (unsigned char c : url)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

}  // namespace

CStaticHyperLink::CStaticHyperLink() = default;

CStaticHyperLink::~CStaticHyperLink() = default;

HINSTANCE CStaticHyperLink::F_URL_GotoURL(const char* url, int showCmd)
{
    if (!url || !acceptable_link(url))
        return result(SE_ERR_NOASSOC);
    const std::string opener = desktop_opener();
    if (opener.empty())
        return result(ERROR_FILE_NOT_FOUND);
    std::string line = helm::kernel::join_command_line({"xdg-open", url});
    STARTUPINFO startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCmd);
    PROCESS_INFORMATION process{};
    if (!CreateProcess(opener.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND: return result(ERROR_FILE_NOT_FOUND);
        case ERROR_PATH_NOT_FOUND: return result(ERROR_PATH_NOT_FOUND);
        case ERROR_ACCESS_DENIED: return result(SE_ERR_ACCESSDENIED);
        case ERROR_BAD_EXE_FORMAT: return result(ERROR_BAD_FORMAT);
        default: return result(SE_ERR_NOASSOC);
        }
    }
    // The opener hands the link on and ends; nobody waits for it.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result(started);
}

void CStaticHyperLink::F_URL_SetURL(CString url)
{
    m_strURL = url;
    if (m_tooltip.m_hWnd)
        m_tooltip.UpdateTipText(m_strURL, this, static_cast<UINT_PTR>(m_nToolId));
}

void CStaticHyperLink::F_URL_SetColours(COLORREF link, COLORREF visited)
{
    m_crLinkColour = link;
    m_crVisitedColour = visited;
    P_Repaint();
}

void CStaticHyperLink::F_URL_SetVisited(BOOL visited)
{
    m_bVisited = visited;
    P_Repaint();
}

void CStaticHyperLink::F_URL_SetUnderline(BOOL underline)
{
    m_bUnderline = underline;
    P_Repaint();
}

void CStaticHyperLink::P_Repaint()
{
    if (!m_hWnd)
        return;
    // The link paints no background of its own: what lies under it is
    // painted again first, so no trace of the old text stays.
    if (CWnd* parent = GetParent()) {
        CRect area;
        GetWindowRect(&area);
        parent->ScreenToClient(&area);
        parent->InvalidateRect(&area);
    }
    Invalidate();
}

void CStaticHyperLink::PreSubclassWindow()
{
    ModifyStyle(0, SS_NOTIFY);
    if (m_strURL.IsEmpty())
        GetWindowText(m_strURL);
    m_hLinkCursor = LoadCursor(nullptr, IDC_ARROW);
    if (m_tooltip.Create(this)) {
        CRect client;
        GetClientRect(&client);
        m_tooltip.AddTool(this, m_strURL, &client, static_cast<UINT_PTR>(m_nToolId));
    }
    CStaticColor::PreSubclassWindow();
}

BOOL CStaticHyperLink::PreTranslateMessage(MSG* msg)
{
    if (m_tooltip.m_hWnd)
        m_tooltip.RelayEvent(msg);
    return CStaticColor::PreTranslateMessage(msg);
}

HBRUSH CStaticHyperLink::CtlColor(CDC* dc, UINT)
{
    dc->SetTextColor(m_bVisited ? m_crVisitedColour : m_crLinkColour);
    if (m_bUnderline) {
        if (!m_underlineFont.m_hObject) {
            LOGFONT font{};
            HGDIOBJ own = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
            if (!own || !::GetObject(own, sizeof font, &font))
                ::GetObject(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
            font.lfUnderline = 1;
            m_underlineFont.CreateFontIndirect(&font);
        }
        dc->SelectObject(&m_underlineFont);
    }
    dc->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

BOOL CStaticHyperLink::OnSetCursor(CWnd*, UINT, UINT)
{
    ::SetCursor(m_hLinkCursor);
    return TRUE;
}

void CStaticHyperLink::OnClicked()
{
    const HINSTANCE code = F_URL_GotoURL(m_strURL, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(code) > 32) {
        F_URL_SetVisited(TRUE);
    } else {
        MessageBeep(MB_ICONEXCLAMATION);
        F_URL_ReportError(code);
    }
}

void CStaticHyperLink::F_URL_ReportError(HINSTANCE code)
{
    static constexpr struct {
        INT_PTR code;
        const char* text;
    } texts[] = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
    };
    const INT_PTR number = reinterpret_cast<INT_PTR>(code);
    CString reason;
    reason.Format("Unknown Error (%d) occurred.", static_cast<int>(number));
    for (const auto& row : texts)
        if (row.code == number)
            reason = row.text;
    AfxMessageBox(CString("Unable to open hyperlink:\n\n") + reason, MB_ICONEXCLAMATION);
}
