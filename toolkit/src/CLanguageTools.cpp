#include "toolkit/CLanguageTools.h"

#include "toolkit/CStringLang.h"

void CLanguageTools::F_ProcessWindow(CWnd* window)
{
    if (!window || !::IsWindow(window->m_hWnd))
        return;
    for (HWND child = ::GetWindow(window->m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        if (id < 0 || id > 0xFFFF)
            continue;
        CStringLang text;
        if (text.LoadString(static_cast<UINT>(id)) && text.Left(2) != "//")
            ::SetWindowText(child, text);
    }
}
