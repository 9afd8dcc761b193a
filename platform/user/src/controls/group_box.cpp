#include "group_box.h"

#include "helm/user/controls.h"

namespace helm::user::controls {

// An etched frame from half the text's height down, the text over its top
// line on the parent's brush. The inside is left to the parent.
void GroupBox::draw(const PaintScope& paint)
{
    HDC dc = paint.dc();
    const RECT& client = paint.client();
    const int height = line_height(font_of(m_window));
    RECT frame{client.left, client.top + height / 2, client.right, client.bottom};
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    const std::string label = text();
    if (label.empty())
        return;
    RECT extent{0, 0, 0, 0};
    DrawText(dc, label.c_str(), -1, &extent, DT_SINGLELINE | DT_CALCRECT);
    constexpr int indent = 8, pad = 2;
    RECT back{client.left + indent - pad, client.top, client.left + indent + extent.right + pad, client.top + height};
    back.right = std::min(back.right, client.right - pad);
    FillRect(dc, &back, paint.brush());
    RECT where{client.left + indent, client.top, back.right, client.top + height};
    draw_label(dc, where, DT_LEFT | DT_TOP | DT_SINGLELINE);
}

}  // namespace helm::user::controls
