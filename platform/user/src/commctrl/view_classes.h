// The classes of the list and tree views, their header and the rich edit.
#pragma once

namespace helm::user::commctrl {

// Registered with the other common controls.
void register_view_classes();

}  // namespace helm::user::commctrl
