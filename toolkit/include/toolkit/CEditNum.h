// CEditNum: an edit holding a floating-point value within a range, stepped
// by a delta. Only characters of a number can be typed; the value follows
// the text as it is typed (within the range), and the text shows the value
// again when the edit loses the focus.
#pragma once

#include <cfloat>

#include "toolkit/CEditRestricted.h"

class CEditNum : public CEditRestricted {
    DECLARE_DYNCREATE(CEditNum)

public:
    CEditNum();
    ~CEditNum() override = default;

    float GetValue() const { return m_fValue; }
    // Kept within the range, and shown.
    void SetValue(float value);
    void GetRange(float& low, float& high) const
    {
        low = m_fLow;
        high = m_fHigh;
    }
    // The bounds in either order; the value is brought within them.
    void SetRange(float low, float high);
    float GetDelta() const { return m_fDelta; }
    void SetDelta(float delta) { m_fDelta = delta; }
    // The value moved by `steps` deltas (negative: down).
    void ChangeAmount(int steps) { SetValue(m_fValue + static_cast<float>(steps) * m_fDelta); }

protected:
    void PreSubclassWindow() override;
    BOOL OnTextChanged();
    void OnKillFocus(CWnd* newWindow);
    float clamped(float value) const;
    void show();

    float m_fValue = 0.0f;
    float m_fLow = -FLT_MAX;
    float m_fHigh = FLT_MAX;
    float m_fDelta = 1.0f;
    bool m_bShowing = false;

    DECLARE_MESSAGE_MAP()
};
