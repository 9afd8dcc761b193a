// The dialog item helpers: text, numbers and check marks of a dialog's
// controls by id, and GetAncestor.

#include <cstdio>
#include <cstring>

#include "dialog_internal.h"
#include "helm/kernel/error.h"
#include "window_table.h"

using namespace helm::user;

namespace {

// The longest text GetDlgItemInt reads as a number ("-2147483648" and
// surrounding spaces fit easily).
constexpr int max_number_text = 64;

}  // namespace

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? SendMessage(item, message, wParam, lParam) : 0;
}

BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? SetWindowText(item, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int size)
{
    if (buffer && size > 0)
        buffer[0] = '\0';
    HWND item = GetDlgItem(dialog, id);
    return item ? static_cast<UINT>(GetWindowText(item, buffer, size)) : 0;
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned)
{
    char text[16];
    if (isSigned)
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    else
        std::snprintf(text, sizeof text, "%u", value);
    return SetDlgItemText(dialog, id, text);
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned)
{
    if (translated)
        *translated = FALSE;
    HWND item = GetDlgItem(dialog, id);
    if (!item || GetWindowTextLength(item) >= max_number_text)
        return 0;
    char text[max_number_text];
    GetWindowText(item, text, sizeof text);
    const char* p = text;
    while (*p == ' ')
        ++p;
    bool negative = false;
    if (isSigned && *p == '-') {
        negative = true;
        ++p;
    }
    if (*p < '0' || *p > '9')
        return 0;
    unsigned long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value > 0xFFFFFFFFull)
            return 0;  // out of range: not translated
    }
    while (*p == ' ')
        ++p;
    if (*p)
        return 0;
    if (isSigned && value > (negative ? 0x80000000ull : 0x7FFFFFFFull))
        return 0;
    if (translated)
        *translated = TRUE;
    return negative ? static_cast<UINT>(-static_cast<long long>(value)) : static_cast<UINT>(value);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
    HWND item = GetDlgItem(dialog, id);
    if (!item)
        return FALSE;
    SendMessage(item, button_setcheck, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? static_cast<UINT>(SendMessage(item, button_getcheck, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId)
{
    if (!IsWindow(dialog))
        return FALSE;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(c);
        if (id >= firstId && id <= lastId)
            SendMessage(c, button_setcheck, id == checkId ? 1 : 0, 0);
    }
    return TRUE;
}

HWND GetAncestor(HWND window, UINT flags)
{
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto is_child = [](HWND w) { return (GetWindowLong(w, GWL_STYLE) & WS_CHILD) != 0; };
    switch (flags) {
    case GA_PARENT:
        return is_child(window) ? GetParent(window) : GetDesktopWindow();
    case GA_ROOT:
    case GA_ROOTOWNER: {
        HWND w = window;
        for (HWND parent; is_child(w) && (parent = GetParent(w));)
            w = parent;
        if (flags == GA_ROOTOWNER)
            for (HWND owner = GetWindow(w, GW_OWNER); owner; owner = GetWindow(w, GW_OWNER))
                w = owner;
        return w;
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}
