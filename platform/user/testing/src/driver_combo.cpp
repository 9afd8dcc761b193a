// Picking a combo box entry as the operator does: open the list with a
// click, then click the entry. Its own file, so that programs that never
// pick an entry do not need the combo box.

#include "helm/user/testing/driver.h"

namespace helm::user::testing {

bool pick_combo_entry(HWND combo, int index)
{
    click(combo);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(combo, &info) || !info.hwndList || !IsWindowVisible(info.hwndList))
        return false;
    RECT item{};
    if (SendMessage(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) ==
        LB_ERR)
        return false;
    POINT p{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(info.hwndList, &p);
    click_at(p);
    return true;
}

bool pick_combo_text(HWND combo, const char* text)
{
    const LRESULT index =
        SendMessage(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    return index >= 0 && pick_combo_entry(combo, static_cast<int>(index));
}

}  // namespace helm::user::testing
