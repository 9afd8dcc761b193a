#include "toolkit/CMenuTitled.h"

IMPLEMENT_DYNAMIC(CMenuTitled, CMenu)

namespace {
// Room around the title's text.
constexpr int title_margin_x = 8;
constexpr int title_margin_y = 3;
}  // namespace

CMenuTitled::CMenuTitled() : m_nTitleId(RegisterWindowMessage("Pop Up Menu Title")) {}

CMenuTitled::~CMenuTitled() = default;

void CMenuTitled::F_MenuAddTitle(const char* title)
{
    if (!m_hMenu)
        return;
    m_strTitle = title ? title : "";
    InsertMenu(0, MF_BYPOSITION | MF_OWNERDRAW | MF_DISABLED, m_nTitleId,
               reinterpret_cast<LPCSTR>(m_strTitle.GetString()));
    InsertMenu(1, MF_BYPOSITION | MF_SEPARATOR);
}

HFONT CMenuTitled::title_font()
{
    if (!m_font.m_hObject) {
        LOGFONT font{};
        ::GetObject(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfWeight = FW_BOLD;
        m_font.CreateFontIndirect(&font);
    }
    return m_font;
}

void CMenuTitled::MeasureItem(LPMEASUREITEMSTRUCT measureItem)
{
    if (measureItem->itemID != m_nTitleId)
        return;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, title_font());
    SIZE size{};
    ::GetTextExtentPoint32(dc, m_strTitle, m_strTitle.GetLength(), &size);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    measureItem->itemWidth = static_cast<UINT>(size.cx + 2 * title_margin_x);
    measureItem->itemHeight = static_cast<UINT>(size.cy + 2 * title_margin_y);
}

void CMenuTitled::DrawItem(LPDRAWITEMSTRUCT drawItem)
{
    if (drawItem->itemID != m_nTitleId)
        return;
    CDC* dc = CDC::FromHandle(drawItem->hDC);
    CRect area(drawItem->rcItem);
    dc->FillSolidRect(&area, GetSysColor(COLOR_ACTIVECAPTION));
    CFont* old = dc->SelectObject(CFont::FromHandle(title_font()));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(GetSysColor(COLOR_CAPTIONTEXT));
    area.DeflateRect(title_margin_x, 0);
    dc->DrawText(m_strTitle, &area, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    dc->SelectObject(old);
}
