// Group boxes: a frame with a caption around other controls; never takes
// the focus or a click.
#pragma once

#include "button_base.h"

namespace helm::user::controls {

class GroupBox : public ButtonBase {
public:
    using ButtonBase::ButtonBase;

protected:
    LRESULT dlg_code() const override { return DLGC_STATIC; }
    bool takes_input() const override { return false; }
    void draw(const PaintScope& paint) override;
};

}  // namespace helm::user::controls
