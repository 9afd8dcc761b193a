// Push buttons, plain and default (BS_PUSHBUTTON, BS_DEFPUSHBUTTON).
#pragma once

#include "button_base.h"

namespace helm::user::controls {

class PushButton : public ButtonBase {
public:
    using ButtonBase::ButtonBase;

protected:
    LRESULT dlg_code() const override;
    UINT ctlcolor_message() const override { return WM_CTLCOLORBTN; }
    void draw(const PaintScope& paint) override { draw_push(paint, pushed(), type() == BS_DEFPUSHBUTTON); }
};

}  // namespace helm::user::controls
