#include "toolkit/CButtonPin.h"

#include "toolkit/CDialogTopMost.h"
#include "toolkit/WidgetryFunctions.h"

IMPLEMENT_DYNAMIC(CButtonPin, CButton)
IMPLEMENT_DYNAMIC(CButtonMin, CButton)

BEGIN_MESSAGE_MAP(CButtonPin, CButton)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CButtonMin, CButton)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

namespace {

// Icon kinds of F_Q_LoadIcon.
constexpr int pin_icon = 0;
constexpr int pinned_icon = 1;
constexpr int minimise_icon = 2;

void make_icon_button(CButton& button, int kind)
{
    button.ModifyStyle(0, BS_ICON);
    button.SetIcon(F_Q_LoadIcon(kind));
}

}  // namespace

void CButtonPin::PreSubclassWindow()
{
    CButton::PreSubclassWindow();
    show_state();
}

void CButtonPin::show_state()
{
    const auto* dialog = DYNAMIC_DOWNCAST(CDialogTopMost, GetParent());
    make_icon_button(*this, dialog && dialog->F_GetTopMost() ? pinned_icon : pin_icon);
}

BOOL CButtonPin::OnClicked()
{
    if (auto* dialog = DYNAMIC_DOWNCAST(CDialogTopMost, GetParent()))
        dialog->P_SetTopMost(!dialog->F_GetTopMost());
    show_state();
    return FALSE;  // the parent hears of the click too
}

void CButtonMin::PreSubclassWindow()
{
    CButton::PreSubclassWindow();
    make_icon_button(*this, minimise_icon);
}

BOOL CButtonMin::OnClicked()
{
    if (CWnd* parent = GetParent())
        parent->ShowWindow(SW_MINIMIZE);
    return FALSE;
}
