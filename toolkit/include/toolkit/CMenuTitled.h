// CMenuTitled: a popup menu that can carry a title: an owner-drawn,
// disabled first item in the caption's colours, above a separator. The
// title item's command id is the number of the registered message "Pop Up
// Menu Title". The menu's owner window must be a class-library window, whose
// owner-drawn menu items reach the menu's object.
#pragma once

#include "afxwin.h"

class CMenuTitled : public CMenu {
    DECLARE_DYNAMIC(CMenuTitled)

public:
    CMenuTitled();
    ~CMenuTitled() override;

    // Inserts the title at position 0 and a separator at 1 of the attached
    // menu.
    void F_MenuAddTitle(const char* title);

    void MeasureItem(LPMEASUREITEMSTRUCT measureItem) override;
    void DrawItem(LPDRAWITEMSTRUCT drawItem) override;

protected:
    // The title's font: the menu font, bold.
    HFONT title_font();

    UINT m_nTitleId = 0;
    CString m_strTitle;
    CFont m_font;
};
