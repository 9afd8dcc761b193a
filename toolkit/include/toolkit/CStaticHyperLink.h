// CStaticHyperLink: a static that opens its link when clicked, in the link
// colour until visited, underlined by default, with the link as its tip.
// The link is opened by the desktop's opener (xdg-open), given the link as
// one argument; no shell ever reads it.
#pragma once

#include "afxcmn.h"
#include "toolkit/CStaticColor.h"

class CStaticHyperLink : public CStaticColor {
    DECLARE_DYNAMIC(CStaticHyperLink)

public:
    CStaticHyperLink();
    ~CStaticHyperLink() override;

    void F_URL_SetURL(CString url);
    CString F_URL_GetURL() const { return m_strURL; }
    void F_URL_SetColours(COLORREF link, COLORREF visited);
    COLORREF F_URL_GetLinkColour() const { return m_crLinkColour; }
    COLORREF F_URL_GetVisitedColour() const { return m_crVisitedColour; }
    void F_URL_SetVisited(BOOL visited);
    BOOL F_URL_GetVisited() const { return m_bVisited; }
    void F_URL_SetUnderline(BOOL underline);
    BOOL F_URL_GetUnderline() const { return m_bUnderline; }
    void F_URL_SetLinkCursor(HICON cursor) { m_hLinkCursor = cursor; }

    // Opens `url` with the desktop's opener. Above 32 when it was started;
    // else a ShellExecute error code (2 when there is no opener, 31 for a
    // link it cannot be given: empty, too long, starting with '-' or holding
    // control characters).
    static HINSTANCE F_URL_GotoURL(const char* url, int showCmd);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void PreSubclassWindow() override;
    HBRUSH CtlColor(CDC* dc, UINT ctlColor);
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    void OnClicked();
    void F_URL_ReportError(HINSTANCE code);
    void P_Repaint();

    int m_nToolId = 1;
    COLORREF m_crLinkColour = RGB(0, 0, 238);
    COLORREF m_crVisitedColour = RGB(85, 26, 139);
    BOOL m_bVisited = FALSE;
    BOOL m_bUnderline = TRUE;
    CString m_strURL;
    CFont m_underlineFont;
    HCURSOR m_hLinkCursor = nullptr;
    CToolTipCtrl m_tooltip;

    DECLARE_MESSAGE_MAP()
};
