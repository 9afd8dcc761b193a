// The standard control classes, registered once for the process the first
// time the layer creates a window or looks a class up; GetComboBoxInfo.

#include <mutex>

#include "../window_table.h"
#include "helm/kernel/error.h"
#include "../commctrl/common.h"
#include "button_base.h"
#include "combo_box.h"
#include "edit.h"
#include "helm/user/controls.h"
#include "list_box.h"
#include "scroll_bar.h"
#include "static_control.h"

namespace helm::user {

void register_system_classes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        register_control_classes({
            {"Static", controls::StaticControl::procedure, CS_DBLCLKS | CS_PARENTDC},
            {"Button", controls::ButtonBase::procedure, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW},
            {"Edit", controls::Edit::procedure, CS_DBLCLKS | CS_PARENTDC, IDC_IBEAM},
            {"ListBox", controls::ListBox::procedure, CS_DBLCLKS | CS_PARENTDC},
            {controls::combo_list_class, controls::ListBox::procedure, CS_DBLCLKS},
            {"ComboBox", controls::ComboBox::procedure, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW},
            {"ScrollBar", controls::ScrollBar::procedure, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW},
        });
        commctrl::register_common_classes();
    });
}

// Their pointers mean nothing in another process or after the sender has
// moved on, so these are never posted nor taken from the station.
bool control_carries_pointer(UINT message)
{
    switch (message) {
    case EM_GETSEL:
    case EM_GETRECT:
    case EM_SETRECT:
    case EM_SETRECTNP:
    case EM_REPLACESEL:
    case EM_GETLINE:
    case EM_SETTABSTOPS:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_GETTEXT:
    case LB_SELECTSTRING:
    case LB_DIR:
    case LB_FINDSTRING:
    case LB_GETSELITEMS:
    case LB_SETTABSTOPS:
    case LB_ADDFILE:
    case LB_GETITEMRECT:
    case LB_FINDSTRINGEXACT:
    case CB_GETEDITSEL:
    case CB_ADDSTRING:
    case CB_DIR:
    case CB_GETLBTEXT:
    case CB_INSERTSTRING:
    case CB_FINDSTRING:
    case CB_SELECTSTRING:
    case CB_GETDROPPEDCONTROLRECT:
    case CB_FINDSTRINGEXACT:
    case CB_GETCOMBOBOXINFO:
    case SBM_GETRANGE:
    case SBM_SETSCROLLINFO:
    case SBM_GETSCROLLINFO:
        return true;
    default:
        return false;
    }
}

}  // namespace helm::user

BOOL GetComboBoxInfo(HWND combo, PCOMBOBOXINFO info)
{
    if (!info || info->cbSize != sizeof(COMBOBOXINFO) || !IsWindow(combo)) {
        SetLastError(IsWindow(combo) ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessage(combo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(info)) ? TRUE : FALSE;
}
