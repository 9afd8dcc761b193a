#include "check_box.h"

#include "helm/user/controls.h"

namespace helm::user::controls {

// Unchecked, checked, then indeterminate for the three-state kind.
void CheckBox::on_activated()
{
    if (type() == BS_AUTOCHECKBOX)
        set_check(m_check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    else if (type() == BS_AUTO3STATE)
        set_check(m_check == BST_UNCHECKED ? BST_CHECKED
                  : m_check == BST_CHECKED ? BST_INDETERMINATE
                                           : BST_UNCHECKED);
}

}  // namespace helm::user::controls
