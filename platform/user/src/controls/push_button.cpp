#include "push_button.h"

#include "helm/user/controls.h"

namespace helm::user::controls {

LRESULT PushButton::dlg_code() const
{
    return DLGC_BUTTON | (type() == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

}  // namespace helm::user::controls
