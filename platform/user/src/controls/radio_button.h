// Radio buttons. An automatic one, when clicked, checks itself and clears
// the other automatic radio buttons of its group (the siblings from the
// nearest WS_GROUP before it up to the next WS_GROUP).
#pragma once

#include "button_base.h"

namespace helm::user::controls {

class RadioButton : public ButtonBase {
public:
    using ButtonBase::ButtonBase;

protected:
    LRESULT dlg_code() const override { return DLGC_BUTTON | DLGC_RADIOBUTTON; }
    void on_activated() override;
    bool checkable() const override { return true; }
    void draw(const PaintScope& paint) override { draw_marked(paint, DFCS_BUTTONRADIO); }

private:
    void clear_group();
};

}  // namespace helm::user::controls
