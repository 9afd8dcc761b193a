// The edit box of one value grid row: a restricted edit that accepts only
// the characters of a number. It tells its grid when the operator leaves
// it or presses Return, so the grid can report the changed values; Return
// commits without putting a line break into the value, and every other key
// (arrows, Home, End, Delete) reaches the edit as usual.
#pragma once

#include "toolkit/CEditRestricted.h"

class ValuegridCtrl;

class ValuegridRowEdit : public CEditRestricted {
public:
    explicit ValuegridRowEdit(ValuegridCtrl& grid) : m_grid(grid) {}

protected:
    void OnKillFocus(CWnd* newWindow);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT ch, UINT repeat, UINT flags);

private:
    ValuegridCtrl& m_grid;

    DECLARE_MESSAGE_MAP()
};
