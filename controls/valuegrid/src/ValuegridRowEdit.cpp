#include "ValuegridRowEdit.h"

#include "ValuegridCtrl.h"

BEGIN_MESSAGE_MAP(ValuegridRowEdit, CEditRestricted)
    ON_WM_KILLFOCUS()
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
END_MESSAGE_MAP()

void ValuegridRowEdit::OnKillFocus(CWnd* newWindow)
{
    m_grid.P_NotifyEditedItems();
    CEditRestricted::OnKillFocus(newWindow);
}

void ValuegridRowEdit::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_RETURN)
        m_grid.P_NotifyEditedItems();
    CEditRestricted::OnKeyDown(key, repeat, flags);
}

void ValuegridRowEdit::OnChar(UINT ch, UINT repeat, UINT flags)
{
    // The multi-line box would take Return (and Ctrl+Return) as a line
    // break; a value is one line.
    if (ch == '\r' || ch == '\n')
        return;
    CEditRestricted::OnChar(ch, repeat, flags);
}
