#include "radio_button.h"

#include <vector>

#include "helm/user/controls.h"

namespace helm::user::controls {

namespace {
bool is_auto_radio(HWND window)
{
    char name[16];
    return GetClassName(window, name, sizeof name) > 0 && compare_nocase_1252(name, "Button") == 0 &&
           (style_of(window) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}
}  // namespace

void RadioButton::on_activated()
{
    if (type() != BS_AUTORADIOBUTTON)
        return;
    set_check(BST_CHECKED);
    clear_group();
}

void RadioButton::clear_group()
{
    HWND parent = GetParent(m_window);
    if (!parent)
        return;
    std::vector<HWND> siblings;
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        siblings.push_back(w);
    size_t self = 0;
    while (self < siblings.size() && siblings[self] != m_window)
        ++self;
    if (self == siblings.size())
        return;
    size_t first = self;
    while (first > 0 && !(style_of(siblings[first]) & WS_GROUP))
        --first;
    for (size_t i = first; i < siblings.size(); ++i) {
        if (i > first && (style_of(siblings[i]) & WS_GROUP))
            break;
        if (i != self && is_auto_radio(siblings[i]))
            SendMessage(siblings[i], BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

}  // namespace helm::user::controls
