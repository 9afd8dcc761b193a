// CIPAddressCtrl: the IP address control's object. The address is four
// fields a.b.c.d, a in the high byte of the 32-bit form.
#pragma once

#include "helm/afx/CWnd.h"
#include "helm/user/commctrl.h"

class CIPAddressCtrl : public CWnd {
    DECLARE_DYNAMIC(CIPAddressCtrl)

public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_IPADDRESS, nullptr, style, rect, parent, id);
    }
    void SetAddress(BYTE field0, BYTE field1, BYTE field2, BYTE field3)
    {
        SendMessage(IPM_SETADDRESS, 0, MAKEIPADDRESS(field0, field1, field2, field3));
    }
    void SetAddress(DWORD address) { SendMessage(IPM_SETADDRESS, 0, static_cast<LPARAM>(address)); }
    // The number of fields that are not blank (blank ones read 0).
    int GetAddress(BYTE& field0, BYTE& field1, BYTE& field2, BYTE& field3) const
    {
        DWORD address = 0;
        const int filled = GetAddress(address);
        field0 = static_cast<BYTE>(FIRST_IPADDRESS(address));
        field1 = static_cast<BYTE>(SECOND_IPADDRESS(address));
        field2 = static_cast<BYTE>(THIRD_IPADDRESS(address));
        field3 = static_cast<BYTE>(FOURTH_IPADDRESS(address));
        return filled;
    }
    int GetAddress(DWORD& address) const
    {
        return static_cast<int>(SendMessage(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)));
    }
    void ClearAddress() { SendMessage(IPM_CLEARADDRESS); }
    BOOL IsBlank() const { return static_cast<BOOL>(SendMessage(IPM_ISBLANK)); }

private:
    using CWnd::Create;
};
