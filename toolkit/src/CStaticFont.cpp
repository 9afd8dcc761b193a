#include "toolkit/CStaticFont.h"

IMPLEMENT_DYNAMIC(CStaticFont, CStatic)

CStaticFont::~CStaticFont()
{
    // The window may outlive the object: it must not keep a deleted font.
    if (m_hWnd && m_font.m_hObject &&
        reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)) == static_cast<HFONT>(m_font))
        SendMessage(WM_SETFONT, 0, FALSE);
}

void CStaticFont::F_SetFontHeight(LONG height, bool rebuild)
{
    m_lHeight = height;
    if (rebuild)
        P_RebuildFont();
}

void CStaticFont::F_SetFontWeight(LONG weight, bool rebuild)
{
    m_lWeight = weight;
    if (rebuild)
        P_RebuildFont();
}

void CStaticFont::F_SetFontUnderline(bool underline, bool rebuild)
{
    m_nUnderline = underline ? 1 : 0;
    if (rebuild)
        P_RebuildFont();
}

void CStaticFont::P_RebuildFont()
{
    if (!m_hWnd)
        return;
    HGDIOBJ current = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
    LOGFONT font{};
    if (!current || !::GetObject(current, sizeof font, &font))
        ::GetObject(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    if (m_lHeight)
        font.lfHeight = m_lHeight;
    if (m_lWeight)
        font.lfWeight = m_lWeight;
    if (m_nUnderline >= 0)
        font.lfUnderline = static_cast<BYTE>(m_nUnderline);
    CFont rebuilt;
    if (!rebuilt.CreateFontIndirect(&font))
        return;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(rebuilt)), TRUE);
    // The old font goes once the static holds the new one.
    m_font.DeleteObject();
    m_font.Attach(rebuilt.Detach());
    Invalidate();
}
