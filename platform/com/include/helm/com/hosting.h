// Controls hosted in dialogs. A dialog template item whose class is a class
// id ("{...}", as resource scripts write a control item) is made in place:
// the control is created by class id, its window becomes the dialog's item
// with the item's id, styles and rectangle (from dialog units), in template
// order, so tab order and focus work as for any control. The dialog holds
// the control until the dialog's windows are gone. A control that cannot be
// made (not registered, for one) is left out and the dialog opens without
// it.
#pragma once

#include "helm/com/creation.h"

// The control a dialog hosts in its item `window`, with a reference for the
// caller; E_FAIL and null for a window that is not a hosted control's.
HRESULT AtlAxGetControl(HWND window, IUnknown** control);

namespace helm::com {

// Gives the dialog manager its host for class-id items, once for the
// process (again does nothing). Hosts call it before their first dialog:
// the class library's AfxEnableControlContainer does, and every composite
// control does before it makes its own dialog. Until then such items are
// left out.
void enable_control_hosting();

// True when item `id` of `dialog` named a control that could not be made:
// the dialog runs without it, and whoever binds to the item can tell that
// apart from a mistaken id.
bool is_missing_control(HWND dialog, int id);

}  // namespace helm::com
