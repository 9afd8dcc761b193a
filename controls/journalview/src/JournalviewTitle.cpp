#include "JournalviewTitle.h"

#include "JournalviewRes.h"
#include "toolkit/CStringLang.h"

BEGIN_MESSAGE_MAP(JournalviewTitle, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

JournalviewTitle::~JournalviewTitle()
{
    if (m_font)
        DeleteObject(m_font);
}

void JournalviewTitle::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (!m_font)
        m_font = CreateFont(8, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "MS Sans Serif");
    HGDIOBJ old = SelectObject(dc, m_font);
    CRect client;
    GetClientRect(&client);
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    FillRect(dc, &client, black);
    DeleteObject(black);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    CStringLang title;
    title.LoadString(helm_this_module(), IDS_JOURNALVIEW_TITLE);
    DrawText(dc, title, title.GetLength(), &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    SelectObject(dc, old);
    EndPaint(m_hWnd, &paint);
}
