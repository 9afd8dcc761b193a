// EventMarker: opens a modeless event-mark dialog in which the operator
// types a remark about a date, and tells a window of the caller's choice
// through a registered message when the dialog is closed (wParam 1 after
// OK, 0 after Cancel). The text typed last is kept, at most 200 bytes.
#pragma once

#include "afxwin.h"
#include "helm/com/control.h"
#include "journalview/Journalview.h"

const helm::com::DispatchTable<IEventMarker>& event_marker_table();

class EventMarker final : public helm::com::AutomationObject<IEventMarker, event_marker_table> {
public:
    EventMarker();
    ~EventMarker() override;

    // IEventMarker
    HRESULT F_EventMark(VARIANT V_O_varDateTime) override;
    HRESULT get_IsOpened(VARIANT_BOOL* opened) override;
    HRESULT put_HwndNotify(LONG window) override;
    HRESULT get_EventMessage(ULONG* message) override;
    HRESULT get_EventText(char* buffer) override;
    HRESULT get_EventDateTime(VARIANT* date) override;

private:
    static INT_PTR CALLBACK dialog_procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void on_init_dialog(HWND dialog);
    // OK (wParam 1) or Cancel (0): told to the notify window, then the
    // dialog goes.
    void close(bool ok);
    void FinalRelease() override;

    UINT m_eventMessage;
    HWND m_notify = nullptr;
    HWND m_dialog = nullptr;
    CString m_text;
    VARIANT m_date;
};
