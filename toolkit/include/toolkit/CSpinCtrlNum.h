// CSpinCtrlNum: an up-down control that steps a CEditNum buddy by its
// delta. Value, range and delta live in the buddy; without a CEditNum
// buddy the getters give 0 and the setters drive the control alone.
#pragma once

#include "afxcmn.h"
#include "toolkit/CEditNum.h"

class CSpinCtrlNum : public CSpinButtonCtrl {
    DECLARE_DYNAMIC(CSpinCtrlNum)

public:
    virtual float GetPos() const;
    virtual void GetRange(float& low, float& high) const;
    virtual float GetDelta() const;
    virtual void SetDelta(float delta);
    // The control's position is the value's integer part (its low 16 bits).
    virtual void SetPos(float value);
    // The control's range is the bounds' integer parts.
    virtual void SetRange(float low, float high);
    // The buddy when it is a CEditNum, else null.
    virtual CEditNum* GetBuddy() const;
    // A CEditNum buddy starts at 0.
    virtual void SetBuddy(CEditNum* buddy);

protected:
    void OnDeltapos(NMHDR* header, LRESULT* result);

    DECLARE_MESSAGE_MAP()
};
