// CTreeCtrlColor: a tree whose items may each have their own background
// and text colours, one pair while the item is selected and one while it
// is not, and a bold state.
#pragma once

#include <map>

#include "afxcmn.h"

class CTreeCtrlColor : public CTreeCtrl {
    DECLARE_DYNAMIC(CTreeCtrlColor)

public:
    CTreeCtrlColor() = default;
    ~CTreeCtrlColor() override = default;

    // A new item, in the tree's own colours until given its own; null when
    // it could not be made.
    HTREEITEM InsertItem(LPCSTR text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    BOOL DeleteAllItems();
    // "On": while the item is selected; "off": while it is not. The item's
    // row is repainted when something changed.
    void F_SetItemColor(HTREEITEM item, COLORREF backgroundOn, COLORREF backgroundOff, COLORREF textOn,
                        COLORREF textOff);
    void F_SetItemBold(HTREEITEM item, bool bold);

protected:
    void OnCustomDraw(NMHDR* header, LRESULT* result);
    BOOL OnDeleteItem(NMHDR* header, LRESULT* result);
    void repaint(HTREEITEM item);
    bool known(HTREEITEM item) const;

    struct Colours {
        COLORREF backgroundOn, backgroundOff, textOn, textOff;
        bool operator==(const Colours&) const = default;
    };
    std::map<HTREEITEM, Colours> m_colours;

    DECLARE_MESSAGE_MAP()
};
