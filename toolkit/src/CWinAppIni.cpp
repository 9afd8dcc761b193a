#include "toolkit/CWinAppIni.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "helm/kernel/files.h"
#include "helm/kernel/process.h"
#include "helm/outside/toolbase.h"
#include "command_line.h"

IMPLEMENT_DYNAMIC(CWinAppIni, CWinApp)

namespace {

// Room for any path the program may live at (Linux paths outgrow MAX_PATH).
constexpr DWORD path_room = 4096;

std::string program_path()
{
    std::string path(path_room, '\0');
    DWORD length = GetModuleFileName(nullptr, path.data(), path_room);
    if (length == 0 || length >= path_room)
        return {};
    path.resize(length);
    return path;
}

// Reads a decimal component of a colour: digits only, 0 to 255.
bool read_component(std::string_view& text, int& value)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value < 0 || value > 255)
        return false;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return true;
}

bool expect(std::string_view& text, char c)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return true;
}

}  // namespace

CWinAppIni::CWinAppIni(LPCSTR appName) : CWinApp(appName) {}

CWinAppIni::~CWinAppIni() = default;

BOOL CWinAppIni::InitInstance()
{
    CWinApp::InitInstance();
    const std::string exe = program_path();
    const std::string_view name = helm::outside::file_name_part(m_pszExeName ? m_pszExeName : "");
    if (!exe.empty() && !name.empty()) {
        const std::string profile =
            helm::outside::change_extension(helm::outside::replace_file_part(exe, name), ".ini");
        std::free(const_cast<char*>(m_pszProfileName));
        m_pszProfileName = strdup(profile.c_str());
    }
    if (helm::toolkit::has_argument(GetCommandLine(), "/rtfd") && m_pszProfileName)
        DeleteFile(m_pszProfileName);
    return TRUE;
}

int CWinAppIni::ExitInstance()
{
    if (m_bReset) {
        const std::string exe = program_path();
        if (!exe.empty())
            ShellExecute(nullptr, "open", exe.c_str(), "/rtfd", nullptr, SW_SHOWNORMAL);
    }
    return CWinApp::ExitInstance();
}

void CWinAppIni::F_ResetConfig(bool reset, bool confirm)
{
    if (!(reset && confirm)) {
        m_bReset = reset;
        return;
    }
    if (AfxMessageBox("To Restore its Default's Configuration, the Application will be Restarted.",
                      MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    m_bReset = true;
    if (CWnd* main = AfxGetMainWnd(); main && main->m_hWnd)
        main->PostMessage(WM_CLOSE);
}

BOOL CWinAppIni::WriteProfileColor(LPCSTR section, LPCSTR entry, COLORREF colour)
{
    CString text;
    text.Format("RGB(%03d,%03d,%03d)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return WriteProfileString(section, entry, text);
}

COLORREF CWinAppIni::GetProfileColor(LPCSTR section, LPCSTR entry, COLORREF defaultColour)
{
    const CString stored = GetProfileString(section, entry, "");
    const std::string_view all(stored.GetString(), static_cast<size_t>(stored.GetLength()));
    const size_t start = all.find("RGB(");
    if (start == std::string_view::npos)
        return defaultColour;
    std::string_view text = all.substr(start + 4);
    int red, green, blue;
    if (!read_component(text, red) || !expect(text, ',') || !read_component(text, green) || !expect(text, ',') ||
        !read_component(text, blue) || !expect(text, ')'))
        return defaultColour;
    return RGB(red, green, blue);
}

BOOL CWinAppIni::WriteProfileFloat(LPCSTR section, LPCSTR entry, float value)
{
    CString text;
    text.Format("%f", static_cast<double>(value));
    return WriteProfileString(section, entry, text);
}

float CWinAppIni::GetProfileFloat(LPCSTR section, LPCSTR entry, float defaultValue)
{
    CString fallback;
    fallback.Format("%f", static_cast<double>(defaultValue));
    const CString stored = GetProfileString(section, entry, fallback);
    // As atof reads it (blanks, a sign, then the number), but text that
    // holds no number, or one no float can hold, gives the default.
    std::string_view text(stored.GetString(), static_cast<size_t>(stored.GetLength()));
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    float value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value))
        return defaultValue;
    return value;
}
