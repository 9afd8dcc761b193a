// Dialog data exchange: DoDataExchange runs the DDX_ and DDV_ functions in
// one direction, loading the controls from the members (UpdateData(FALSE))
// or saving and checking what the operator entered (UpdateData(TRUE)). A
// value that does not parse or is out of range shows its message through
// AfxMessageBox, gives the control the focus and ends the exchange:
// UpdateData returns FALSE and the members after it keep their values.
#pragma once

#include "helm/afx/CString.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND m_idLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;

    // The control with this id (the last control from now on); a missing
    // control ends the exchange.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Ends the exchange: the last control gets the focus (an edit its text
    // selected) when saving.
    [[noreturn]] void Fail();
};

namespace helm::afx {
// Thrown by CDataExchange::Fail and caught by UpdateData.
struct DataExchangeFailure {};
}  // namespace helm::afx

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
void DDX_Text(CDataExchange* dx, int id, short& value);
// LONG and DWORD are int and UINT here; a native long keeps the 32-bit range
// the Windows long had.
void DDX_Text(CDataExchange* dx, int id, long& value);
void DDX_Text(CDataExchange* dx, int id, unsigned long& value);
void DDX_Text(CDataExchange* dx, int id, BYTE& value);
void DDX_Text(CDataExchange* dx, int id, double& value);
void DDX_Text(CDataExchange* dx, int id, float& value);
// 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* dx, int id, int& value);
// The index of the checked radio button of the group that starts at `id`
// (up to the next WS_GROUP control), -1 for none.
void DDX_Radio(CDataExchange* dx, int id, int& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
// Loading selects the first entry that begins with the text (a drop-down
// combo shows the text itself); saving takes the selected entry's text or
// the edit's.
void DDX_CBString(CDataExchange* dx, int id, CString& value);
void DDX_CBStringExact(CDataExchange* dx, int id, CString& value);
void DDX_LBIndex(CDataExchange* dx, int id, int& index);
void DDX_LBString(CDataExchange* dx, int id, CString& value);

// Checked when saving; loading limits an edit to `count` characters.
void DDV_MaxChars(CDataExchange* dx, const CString& value, int count);
void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minimum, UINT maximum);
void DDV_MinMaxLong(CDataExchange* dx, LONG value, LONG minimum, LONG maximum);
void DDV_MinMaxDWord(CDataExchange* dx, DWORD value, DWORD minimum, DWORD maximum);
void DDV_MinMaxShort(CDataExchange* dx, short value, short minimum, short maximum);
void DDV_MinMaxByte(CDataExchange* dx, BYTE value, BYTE minimum, BYTE maximum);
void DDV_MinMaxDouble(CDataExchange* dx, const double& value, double minimum, double maximum);
void DDV_MinMaxFloat(CDataExchange* dx, const float& value, float minimum, float maximum);
