// CSpinButtonCtrl: the up-down control's object.
#pragma once

#include "helm/afx/CWnd.h"
#include "helm/user/commctrl.h"

class CSpinButtonCtrl : public CWnd {
    DECLARE_DYNAMIC(CSpinButtonCtrl)

public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(UPDOWN_CLASS, nullptr, style, rect, parent, id);
    }
    CWnd* SetBuddy(CWnd* buddy)
    {
        return FromHandle(reinterpret_cast<HWND>(
            SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy ? buddy->m_hWnd : nullptr))));
    }
    CWnd* GetBuddy() const { return FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY))); }
    int SetPos(int position) { return static_cast<int>(SendMessage(UDM_SETPOS, 0, MAKELPARAM(position, 0))); }
    int GetPos() const { return static_cast<int>(SendMessage(UDM_GETPOS)); }
    int GetPos32(BOOL* error = nullptr) const
    {
        return static_cast<int>(SendMessage(UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(error)));
    }
    void SetRange32(int lower, int upper) { SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    void GetRange32(int& lower, int& upper) const
    {
        SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
    }
};
