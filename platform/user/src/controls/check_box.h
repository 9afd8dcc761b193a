// Check boxes: two-state and three-state, manual and automatic (an
// automatic one changes its own state when clicked), push-like or not.
#pragma once

#include "button_base.h"

namespace helm::user::controls {

class CheckBox : public ButtonBase {
public:
    using ButtonBase::ButtonBase;

protected:
    LRESULT dlg_code() const override { return DLGC_BUTTON; }
    void on_activated() override;
    bool checkable() const override { return true; }
    void draw(const PaintScope& paint) override { draw_marked(paint, DFCS_BUTTONCHECK); }
};

}  // namespace helm::user::controls
