#include "helm/afx/CStatusBar.h"

#include <algorithm>
#include <cstring>

#include "helm/afx/CDC.h"

IMPLEMENT_DYNAMIC(CStatusBar, CWnd)

namespace {
// More panes than the control takes are not kept.
constexpr int pane_limit = 256;
}  // namespace

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id)
{
    // The control bar style is the class library's; the control aligns
    // itself to its parent's bottom.
    const DWORD controlStyle = (style & ~CBRS_BOTTOM) | WS_CHILD;
    return CWnd::Create(STATUSCLASSNAME, nullptr, controlStyle, CRect(), parent, id);
}

int CStatusBar::text_width(LPCSTR text) const
{
    CClientDC dc(const_cast<CStatusBar*>(this));
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    const int width = dc.GetTextExtent(text ? text : "", static_cast<int>(text ? std::strlen(text) : 0)).cx;
    if (old)
        ::SelectObject(dc, old);
    return width;
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count)
{
    if (count < 0 || count > pane_limit || (count > 0 && !ids))
        return FALSE;
    m_panes.assign(static_cast<size_t>(count), Pane{});
    for (int i = 0; i < count; ++i) {
        Pane& pane = m_panes[static_cast<size_t>(i)];
        pane.id = ids[i];
        if (pane.id != ID_SEPARATOR) {
            pane.text.LoadString(pane.id);
            pane.width = text_width(pane.text);
        }
    }
    layout();
    for (int i = 0; i < count; ++i) {
        const CString text = m_panes[static_cast<size_t>(i)].text;
        SetPaneText(i, text, FALSE);
    }
    return TRUE;
}

int CStatusBar::CommandToIndex(UINT id) const
{
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].id == id)
            return static_cast<int>(i);
    return -1;
}

void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const
{
    if (index < 0 || index >= GetCount())
        return;
    const Pane& pane = m_panes[static_cast<size_t>(index)];
    id = pane.id;
    style = pane.style;
    width = pane.width;
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width)
{
    if (index < 0 || index >= GetCount())
        return;
    Pane& pane = m_panes[static_cast<size_t>(index)];
    pane.id = id;
    pane.style = style;
    pane.width = std::max(width, 0);
    layout();
}

BOOL CStatusBar::SetPaneText(int index, LPCSTR text, BOOL update)
{
    if (index < 0 || index >= GetCount())
        return FALSE;
    Pane& pane = m_panes[static_cast<size_t>(index)];
    pane.text = text ? text : "";
    const UINT kind = pane.style & (SBPS_NOBORDERS | SBPS_POPOUT);
    if (!SendMessage(SB_SETTEXT, static_cast<WPARAM>(index) | kind, reinterpret_cast<LPARAM>(pane.text.GetString())))
        return FALSE;
    if (update)
        UpdateWindow();
    return TRUE;
}

CString CStatusBar::GetPaneText(int index) const
{
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].text : CString();
}

void CStatusBar::GetItemRect(int index, LPRECT rect) const
{
    SendMessage(SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect));
}

void CStatusBar::layout()
{
    if (!m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    int borders[3] = {0, 0, 0};  // at the ends, above and below, between parts
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    const int gap = borders[2];
    int fixed = 0;
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (!(m_panes[i].style & SBPS_STRETCH))
            fixed += m_panes[i].width + pane_padding + (i > 0 ? gap : 0);
    std::vector<int> edges;
    int right = borders[0];
    bool stretched = false;
    for (size_t i = 0; i < m_panes.size(); ++i) {
        const Pane& pane = m_panes[i];
        int width = pane.width + pane_padding;
        if ((pane.style & SBPS_STRETCH) && !stretched) {
            width = std::max(width, client.Width() - 2 * borders[0] - fixed);
            stretched = true;
        }
        right += width + (i > 0 ? gap : 0);
        edges.push_back(right);
    }
    SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}
