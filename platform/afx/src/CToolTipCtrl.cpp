#include "helm/afx/CToolTipCtrl.h"

IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

TOOLINFO CToolTipCtrl::tool(CWnd* window, UINT_PTR id, LPCSTR text) const
{
    TOOLINFO info{};
    info.cbSize = sizeof info;
    info.hwnd = window ? window->m_hWnd : nullptr;
    info.uId = id;
    info.lpszText = const_cast<LPSTR>(text);
    return info;
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style)
{
    return CreateEx(0, TOOLTIPS_CLASS, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, parent ? parent->m_hWnd : nullptr, nullptr);
}

BOOL CToolTipCtrl::AddTool(CWnd* window, LPCSTR text, LPCRECT rect, UINT_PTR id)
{
    if (!window || !window->m_hWnd)
        return FALSE;
    TOOLINFO info = tool(window, id, text);
    if (rect)
        info.rect = *rect;
    else
        ::GetClientRect(window->m_hWnd, &info.rect);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(LPCSTR text, CWnd* window, UINT_PTR id)
{
    TOOLINFO info = tool(window, id, text);
    SendMessage(TTM_UPDATETIPTEXT, 0, reinterpret_cast<LPARAM>(&info));
}

CString CToolTipCtrl::GetText(CWnd* window, UINT_PTR id) const
{
    char text[1024] = {0};
    TOOLINFO info = tool(window, id, text);
    SendMessage(TTM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(&info));
    return text;
}
