#include "toolkit/CEditNum.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

IMPLEMENT_DYNCREATE(CEditNum, CEditRestricted)

BEGIN_MESSAGE_MAP(CEditNum, CEditRestricted)
    ON_CONTROL_REFLECT_EX(EN_CHANGE, OnTextChanged)
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

CEditNum::CEditNum()
{
    F_SetEnableChars("0123456789.-+eE");
}

float CEditNum::clamped(float value) const
{
    return std::clamp(value, m_fLow, m_fHigh);
}

void CEditNum::show()
{
    if (!m_hWnd)
        return;
    CString text;
    text.Format("%g", static_cast<double>(m_fValue));
    m_bShowing = true;
    SetWindowText(text);
    m_bShowing = false;
}

void CEditNum::SetValue(float value)
{
    if (!std::isfinite(value))
        return;
    m_fValue = clamped(value);
    show();
}

void CEditNum::SetRange(float low, float high)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        return;
    m_fLow = std::min(low, high);
    m_fHigh = std::max(low, high);
    SetValue(m_fValue);
}

void CEditNum::PreSubclassWindow()
{
    CEditRestricted::PreSubclassWindow();
    show();
}

BOOL CEditNum::OnTextChanged()
{
    if (!m_bShowing) {
        CString text;
        GetWindowText(text);
        char* end = nullptr;
        const double typed = std::strtod(text, &end);
        if (end != text.GetString() && std::isfinite(typed))
            m_fValue = clamped(static_cast<float>(std::clamp<double>(typed, -FLT_MAX, FLT_MAX)));
    }
    return FALSE;  // the parent hears of the change too
}

void CEditNum::OnKillFocus(CWnd* newWindow)
{
    CEditRestricted::OnKillFocus(newWindow);
    show();
}
