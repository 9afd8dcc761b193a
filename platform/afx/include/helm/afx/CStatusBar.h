// CStatusBar: a status bar of panes, each with an id, a style, a width (the
// room for its text) and a text, over the status bar control. Each pane's
// part is its width plus the control's edges and margin, so a text as wide
// as the pane shows whole; a pane with SBPS_STRETCH takes the bar's room
// the others leave.
#pragma once

#include <vector>

#include "helm/afx/CWnd.h"
#include "helm/user/commctrl.h"

#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS 0x0100
#define SBPS_POPOUT 0x0200
#define SBPS_DISABLED 0x04000000
#define SBPS_STRETCH 0x08000000
#define ID_SEPARATOR 0
#define AFX_IDW_STATUS_BAR 0xE801
#define CBRS_BOTTOM 0x00008000L

class CStatusBar : public CWnd {
    DECLARE_DYNAMIC(CStatusBar)

public:
    // The room a part needs around its text: the edges and the margin the
    // control draws.
    static constexpr int pane_padding = 4;

    using CWnd::Create;
    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = AFX_IDW_STATUS_BAR);
    // One pane per id; a pane's text is the string of its id (none for
    // ID_SEPARATOR), and its width that text's.
    BOOL SetIndicators(const UINT* ids, int count);
    int GetCount() const { return static_cast<int>(m_panes.size()); }
    int CommandToIndex(UINT id) const;
    void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
    void SetPaneInfo(int index, UINT id, UINT style, int width);
    virtual BOOL SetPaneText(int index, LPCSTR text, BOOL update = TRUE);
    CString GetPaneText(int index) const;
    // The pane's part, in the bar's client coordinates.
    void GetItemRect(int index, LPRECT rect) const;

protected:
    // The width of `text` in the bar's font.
    int text_width(LPCSTR text) const;
    void layout();

    struct Pane {
        UINT id = ID_SEPARATOR;
        UINT style = SBPS_NORMAL;
        int width = 0;
        CString text;
    };
    std::vector<Pane> m_panes;
};
