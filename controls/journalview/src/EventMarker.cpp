#include "EventMarker.h"

#include <algorithm>
#include <cstring>

#include "JournalviewRes.h"
#include "toolkit/CStringLang.h"

namespace {

// The text the dialog takes and keeps, in bytes, without its zero.
constexpr int max_text = static_cast<int>(event_text_buffer_size) - 1;

}  // namespace

EventMarker::EventMarker() : AutomationObject(DIID__IEventMarkerEvents), m_eventMessage(RegisterWindowMessage(event_marker_message))
{
    VariantInit(&m_date);
}

EventMarker::~EventMarker() { VariantClear(&m_date); }

void EventMarker::FinalRelease()
{
    if (m_dialog && IsWindow(m_dialog))
        DestroyWindow(m_dialog);
    m_dialog = nullptr;
}

HRESULT EventMarker::F_EventMark(VARIANT V_O_varDateTime)
{
    if (!m_dialog) {
        VariantClear(&m_date);
        VariantCopy(&m_date, &V_O_varDateTime);
        m_dialog = CreateDialogParam(helm_this_module(), MAKEINTRESOURCE(IDD_EVENT_MARK), m_notify,
                                     &EventMarker::dialog_procedure, reinterpret_cast<LPARAM>(this));
        if (!m_dialog)
            return S_OK;
    }
    if (!IsWindowVisible(m_dialog))
        ShowWindow(m_dialog, SW_SHOW);
    return S_OK;
}

void EventMarker::on_init_dialog(HWND dialog)
{
    CStringLang caption;
    if (caption.LoadString(helm_this_module(), IDS_EVENT_MARK_CAPTION))
        SetWindowText(dialog, caption);
    VARIANT date;
    VariantInit(&date);
    CString shown = "Invalid DateTime";
    if (SUCCEEDED(VariantChangeType(&date, &m_date, 0, VT_DATE))) {
        helm::com::Bstr text;
        if (SUCCEEDED(VarBstrFromDate(date.date, LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE, text.put())))
            shown = text.text().c_str();
    }
    VariantClear(&date);
    SetDlgItemText(dialog, IDC_EVENT_MARK_DATE, shown);
    SendDlgItemMessage(dialog, IDC_EVENT_MARK_TEXT, EM_LIMITTEXT, max_text, 0);
}

void EventMarker::close(bool ok)
{
    if (ok) {
        char text[event_text_buffer_size] = {};
        GetDlgItemText(m_dialog, IDC_EVENT_MARK_TEXT, text, sizeof text);
        m_text = text;
    }
    if (m_notify && IsWindow(m_notify))
        PostMessage(m_notify, m_eventMessage, ok ? 1 : 0, 0);
    DestroyWindow(m_dialog);
}

INT_PTR CALLBACK EventMarker::dialog_procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<EventMarker*>(GetWindowLongPtr(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtr(dialog, DWLP_USER, lParam);
        self = reinterpret_cast<EventMarker*>(lParam);
        self->m_dialog = dialog;
        self->on_init_dialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (!self)
            return FALSE;
        if (LOWORD(wParam) == IDC_EVENT_MARK_TEXT && HIWORD(wParam) == EN_CHANGE) {
            EnableWindow(GetDlgItem(dialog, IDOK), GetWindowTextLength(GetDlgItem(dialog, IDC_EVENT_MARK_TEXT)) > 0);
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            self->close(LOWORD(wParam) == IDOK);
            return TRUE;
        }
        return FALSE;
    case WM_NCDESTROY:
        if (self)
            self->m_dialog = nullptr;
        SetWindowLongPtr(dialog, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

HRESULT EventMarker::get_IsOpened(VARIANT_BOOL* opened)
{
    if (!opened)
        return E_POINTER;
    *opened = m_dialog && IsWindowVisible(m_dialog) ? 1 : 0;
    return S_OK;
}

HRESULT EventMarker::put_HwndNotify(LONG window)
{
    m_notify = reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<ULONG>(window)));
    return S_OK;
}

HRESULT EventMarker::get_EventMessage(ULONG* message)
{
    if (!message)
        return E_POINTER;
    *message = m_eventMessage;
    return S_OK;
}

HRESULT EventMarker::get_EventText(char* buffer)
{
    if (!buffer)
        return E_POINTER;
    const int length = std::min(m_text.GetLength(), max_text);
    std::memcpy(buffer, static_cast<LPCSTR>(m_text), static_cast<size_t>(length));
    buffer[length] = '\0';
    return S_OK;
}

HRESULT EventMarker::get_EventDateTime(VARIANT* date)
{
    if (!date)
        return E_POINTER;
    VariantInit(date);
    return VariantCopy(date, &m_date);
}
