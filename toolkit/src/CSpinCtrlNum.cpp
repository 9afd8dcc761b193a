#include "toolkit/CSpinCtrlNum.h"

#include <cstdlib>

IMPLEMENT_DYNAMIC(CSpinCtrlNum, CSpinButtonCtrl)

BEGIN_MESSAGE_MAP(CSpinCtrlNum, CSpinButtonCtrl)
    ON_NOTIFY_REFLECT(UDN_DELTAPOS, OnDeltapos)
END_MESSAGE_MAP()

namespace {
// The position the control is put back to before it nears either end of
// its range, so that it never stops at a bound.
constexpr int centre_position = 500;
constexpr int far_position = 40000000;
}  // namespace

CEditNum* CSpinCtrlNum::GetBuddy() const
{
    if (!m_hWnd)
        return nullptr;
    HWND buddy = reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY));
    return DYNAMIC_DOWNCAST(CEditNum, CWnd::FromHandlePermanent(buddy));
}

void CSpinCtrlNum::SetBuddy(CEditNum* buddy)
{
    SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy ? buddy->m_hWnd : nullptr));
    if (CEditNum* edit = GetBuddy())
        edit->SetValue(0.0f);
}

float CSpinCtrlNum::GetPos() const
{
    const CEditNum* buddy = GetBuddy();
    return buddy ? buddy->GetValue() : 0.0f;
}

void CSpinCtrlNum::GetRange(float& low, float& high) const
{
    if (const CEditNum* buddy = GetBuddy())
        buddy->GetRange(low, high);
}

float CSpinCtrlNum::GetDelta() const
{
    const CEditNum* buddy = GetBuddy();
    return buddy ? buddy->GetDelta() : 0.0f;
}

void CSpinCtrlNum::SetDelta(float delta)
{
    if (CEditNum* buddy = GetBuddy())
        buddy->SetDelta(delta);
}

void CSpinCtrlNum::SetPos(float value)
{
    SendMessage(UDM_SETPOS, 0, MAKELPARAM(static_cast<int>(value), 0));
    if (CEditNum* buddy = GetBuddy())
        buddy->SetValue(value);
}

void CSpinCtrlNum::SetRange(float low, float high)
{
    SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(static_cast<int>(low)), static_cast<int>(high));
    if (CEditNum* buddy = GetBuddy())
        buddy->SetRange(low, high);
}

void CSpinCtrlNum::OnDeltapos(NMHDR* header, LRESULT* result)
{
    const NMUPDOWN* change = reinterpret_cast<const NMUPDOWN*>(header);
    // Near either end the control goes back to the middle: a step down
    // that would reach 0 counts as well as one up toward the far end.
    if (std::abs(change->iDelta) >= change->iPos || change->iPos >= far_position - change->iDelta)
        SendMessage(UDM_SETPOS32, 0, centre_position);
    if (CEditNum* buddy = GetBuddy())
        buddy->ChangeAmount(change->iDelta);
    *result = 0;
}
