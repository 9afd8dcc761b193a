#include "toolkit/CEditRestricted.h"

IMPLEMENT_DYNCREATE(CEditRestricted, CEdit)

BEGIN_MESSAGE_MAP(CEditRestricted, CEdit)
    ON_WM_CHAR()
END_MESSAGE_MAP()

void CEditRestricted::F_SetEnableChars(const char* chars)
{
    m_disabled.clear();
    m_enabled = std::string(chars ? chars : "") + "\t\r\n\b";
}

void CEditRestricted::F_SetDisableChars(const char* chars)
{
    m_enabled.clear();
    m_disabled = chars ? chars : "";
}

bool CEditRestricted::accepts(UINT ch) const
{
    const char c = static_cast<char>(ch);
    if (!m_disabled.empty())
        return m_disabled.find(c) == std::string::npos;
    return m_enabled.empty() || m_enabled.find(c) != std::string::npos;
}

void CEditRestricted::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (GetKeyState(VK_CONTROL) < 0 || accepts(ch))
        CEdit::OnChar(ch, repeat, flags);
}
