#include "helm/afx/CDataExchange.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "helm/afx/CWnd.h"
#include "helm/afx/message_box.h"
#include "helm/kernel/trace.h"
#include "helm/user/controls.h"

// The class library's own prompts.
namespace {

constexpr const char* prompt_int = "Please enter an integer.";
constexpr const char* prompt_uint = "Please enter a positive integer.";
constexpr const char* prompt_real = "Please enter a number.";

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The text holds only the number, with blanks around it.
bool only_blanks(const char* rest)
{
    while (is_blank(*rest))
        ++rest;
    return *rest == 0;
}

bool parse_signed(const char* text, long long minimum, long long maximum, long long& value)
{
    while (is_blank(*text))
        ++text;
    if (!*text)
        return false;
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(text, &end, 10);
    if (end == text || errno == ERANGE || !only_blanks(end) || parsed < minimum || parsed > maximum)
        return false;
    value = parsed;
    return true;
}

bool parse_unsigned(const char* text, unsigned long long maximum, unsigned long long& value)
{
    while (is_blank(*text))
        ++text;
    // A minus sign is no positive integer, whatever strtoull makes of it.
    if (!*text || *text == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text, &end, 10);
    if (end == text || errno == ERANGE || !only_blanks(end) || parsed > maximum)
        return false;
    value = parsed;
    return true;
}

bool parse_real(const char* text, double& value)
{
    while (is_blank(*text))
        ++text;
    if (!*text)
        return false;
    char* end = nullptr;
    double parsed = std::strtod(text, &end);
    if (end == text || !only_blanks(end) || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

CString window_text(HWND window)
{
    CString text;
    int length = GetWindowTextLength(window);
    GetWindowText(window, text.GetBufferSetLength(length), length + 1);
    text.ReleaseBuffer();
    return text;
}

void fail_with(CDataExchange* dx, const char* prompt)
{
    AfxMessageBox(prompt, MB_ICONEXCLAMATION);
    dx->Fail();
}

template <class T>
void exchange_signed(CDataExchange* dx, int id, T& value, long long minimum, long long maximum)
{
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        long long parsed = 0;
        if (!parse_signed(window_text(control), minimum, maximum, parsed))
            fail_with(dx, prompt_int);
        value = static_cast<T>(parsed);
    } else {
        char text[32];
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
        SetWindowText(control, text);
    }
}

template <class T>
void exchange_unsigned(CDataExchange* dx, int id, T& value, unsigned long long maximum)
{
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        unsigned long long parsed = 0;
        if (!parse_unsigned(window_text(control), maximum, parsed))
            fail_with(dx, prompt_uint);
        value = static_cast<T>(parsed);
    } else {
        char text[32];
        std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(value));
        SetWindowText(control, text);
    }
}

template <class T>
void exchange_real(CDataExchange* dx, int id, T& value, int digits)
{
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        double parsed = 0;
        if (!parse_real(window_text(control), parsed))
            fail_with(dx, prompt_real);
        value = static_cast<T>(parsed);
    } else {
        char text[64];
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        SetWindowText(control, text);
    }
}

template <class T>
void check_range(CDataExchange* dx, T value, T minimum, T maximum, const char* format)
{
    if (!dx->m_bSaveAndValidate || (value >= minimum && value <= maximum))
        return;
    CString prompt;
    prompt.Format(format, minimum, maximum);
    fail_with(dx, prompt);
}

bool is_radio(HWND control)
{
    return (SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

CString combo_entry(HWND combo, int index)
{
    CString text;
    LRESULT length = SendMessage(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0)
        return text;
    LPSTR buffer = text.GetBufferSetLength(static_cast<int>(length));
    SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    text.ReleaseBuffer();
    return text;
}

CString list_entry(HWND list, int index)
{
    CString text;
    LRESULT length = SendMessage(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0)
        return text;
    LPSTR buffer = text.GetBufferSetLength(static_cast<int>(length));
    SendMessage(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    text.ReleaseBuffer();
    return text;
}

bool is_drop_down_list(HWND combo)
{
    return (GetWindowLong(combo, GWL_STYLE) & 0x3) == CBS_DROPDOWNLIST;
}

void combo_string(CDataExchange* dx, int id, CString& value, UINT find)
{
    HWND combo = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        LRESULT index = SendMessage(combo, CB_GETCURSEL, 0, 0);
        value = index != CB_ERR ? combo_entry(combo, static_cast<int>(index)) : window_text(combo);
        return;
    }
    LRESULT index = value.IsEmpty() ? CB_ERR
                                    : SendMessage(combo, find, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(static_cast<LPCSTR>(value)));
    SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // A drop-down combo shows the text even when no entry holds it.
    if (!is_drop_down_list(combo) && (index == CB_ERR || find == CB_FINDSTRING))
        SetWindowText(combo, value);
}

}  // namespace

HWND CDataExchange::PrepareCtrl(int id)
{
    HWND control = GetDlgItem(m_pDlgWnd->m_hWnd, id);
    if (!control) {
        helm::kernel::trace("dialog data: no control %d in the dialog\n", id);
        throw helm::afx::DataExchangeFailure{};
    }
    m_idLastControl = control;
    m_bEditLastControl = FALSE;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int id)
{
    HWND control = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_idLastControl) {
        SetFocus(m_idLastControl);
        if (m_bEditLastControl)
            SendMessage(m_idLastControl, EM_SETSEL, 0, -1);
    }
    throw helm::afx::DataExchangeFailure{};
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd)
        return;
    // An item whose ActiveX control could not be made: the object stays
    // unbound and the dialog runs without it.
    if (!GetDlgItem(dx->m_pDlgWnd->m_hWnd, id) && helm::com::is_missing_control(dx->m_pDlgWnd->m_hWnd, id)) {
        helm::kernel::trace("dialog data: control %d was left out of the dialog\n", id);
        return;
    }
    HWND window = dx->PrepareCtrl(id);
    if (!control.SubclassWindow(window)) {
        helm::kernel::trace("dialog data: control %d is bound to another object\n", id);
        throw helm::afx::DataExchangeFailure{};
    }
}

void DDX_Text(CDataExchange* dx, int id, CString& value)
{
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = window_text(control);
    else
        SetWindowText(control, value);
}

void DDX_Text(CDataExchange* dx, int id, int& value)
{
    exchange_signed(dx, id, value, INT_MIN, INT_MAX);
}

void DDX_Text(CDataExchange* dx, int id, short& value)
{
    exchange_signed(dx, id, value, SHRT_MIN, SHRT_MAX);
}

void DDX_Text(CDataExchange* dx, int id, long& value)
{
    exchange_signed(dx, id, value, INT_MIN, INT_MAX);
}

void DDX_Text(CDataExchange* dx, int id, unsigned long& value)
{
    exchange_unsigned(dx, id, value, UINT_MAX);
}

void DDX_Text(CDataExchange* dx, int id, UINT& value)
{
    exchange_unsigned(dx, id, value, UINT_MAX);
}

void DDX_Text(CDataExchange* dx, int id, BYTE& value)
{
    exchange_unsigned(dx, id, value, UCHAR_MAX);
}

void DDX_Text(CDataExchange* dx, int id, double& value)
{
    exchange_real(dx, id, value, DBL_DIG);
}

void DDX_Text(CDataExchange* dx, int id, float& value)
{
    exchange_real(dx, id, value, FLT_DIG);
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(SendMessage(control, BM_GETCHECK, 0, 0));
    else
        SendMessage(control, BM_SETCHECK, static_cast<WPARAM>(value >= 0 && value <= 2 ? value : 0), 0);
}

void DDX_Radio(CDataExchange* dx, int id, int& value)
{
    HWND first = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (HWND control = first; control; control = GetWindow(control, GW_HWNDNEXT)) {
        if (control != first && (GetWindowLong(control, GWL_STYLE) & WS_GROUP))
            break;
        if (!is_radio(control))
            continue;
        if (dx->m_bSaveAndValidate) {
            if (SendMessage(control, BM_GETCHECK, 0, 0) == BST_CHECKED && value == -1)
                value = index;
        } else {
            SendMessage(control, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index)
{
    HWND combo = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        index = static_cast<int>(SendMessage(combo, CB_GETCURSEL, 0, 0));
    else
        SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_CBString(CDataExchange* dx, int id, CString& value)
{
    combo_string(dx, id, value, CB_FINDSTRING);
}

void DDX_CBStringExact(CDataExchange* dx, int id, CString& value)
{
    combo_string(dx, id, value, CB_FINDSTRINGEXACT);
}

void DDX_LBIndex(CDataExchange* dx, int id, int& index)
{
    HWND list = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        index = static_cast<int>(SendMessage(list, LB_GETCURSEL, 0, 0));
    else
        SendMessage(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_LBString(CDataExchange* dx, int id, CString& value)
{
    HWND list = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        LRESULT index = SendMessage(list, LB_GETCURSEL, 0, 0);
        value = index != LB_ERR ? list_entry(list, static_cast<int>(index)) : CString();
    } else if (value.IsEmpty()) {
        SendMessage(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    } else {
        SendMessage(list, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                    reinterpret_cast<LPARAM>(static_cast<LPCSTR>(value)));
    }
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int count)
{
    if (!dx->m_bSaveAndValidate) {
        if (dx->m_idLastControl && dx->m_bEditLastControl)
            SendMessage(dx->m_idLastControl, EM_LIMITTEXT, static_cast<WPARAM>(count), 0);
        return;
    }
    if (value.GetLength() > count) {
        CString prompt;
        prompt.Format("Enter no more than %d characters.", count);
        fail_with(dx, prompt);
    }
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum)
{
    check_range(dx, value, minimum, maximum, "Please enter an integer between %d and %d.");
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minimum, UINT maximum)
{
    check_range(dx, value, minimum, maximum, "Please enter an integer between %u and %u.");
}

void DDV_MinMaxLong(CDataExchange* dx, LONG value, LONG minimum, LONG maximum)
{
    check_range(dx, value, minimum, maximum, "Please enter an integer between %ld and %ld.");
}

void DDV_MinMaxDWord(CDataExchange* dx, DWORD value, DWORD minimum, DWORD maximum)
{
    check_range(dx, value, minimum, maximum, "Please enter an integer between %lu and %lu.");
}

void DDV_MinMaxShort(CDataExchange* dx, short value, short minimum, short maximum)
{
    check_range<int>(dx, value, minimum, maximum, "Please enter an integer between %d and %d.");
}

void DDV_MinMaxByte(CDataExchange* dx, BYTE value, BYTE minimum, BYTE maximum)
{
    check_range<int>(dx, value, minimum, maximum, "Please enter an integer between %d and %d.");
}

void DDV_MinMaxDouble(CDataExchange* dx, const double& value, double minimum, double maximum)
{
    check_range(dx, value, minimum, maximum, "Please enter a number between %g and %g.");
}

void DDV_MinMaxFloat(CDataExchange* dx, const float& value, float minimum, float maximum)
{
    check_range<double>(dx, value, minimum, maximum, "Please enter a number between %g and %g.");
}
