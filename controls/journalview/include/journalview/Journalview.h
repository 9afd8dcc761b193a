// The event-log controls: the event-log view (JournalviewCtrl) and the
// event marker (EventMarker), with their class ids, ProgIDs, dual
// interfaces, dispatch ids and the event marker's registered message.
#pragma once

#include <windows.h>

inline constexpr GUID LIBID_JournalviewLib = {
    0x00F38398, 0x0D31, 0x42E0, {0xA1, 0x33, 0x8D, 0x2C, 0x7A, 0xBF, 0x0D, 0x73}};

inline constexpr CLSID CLSID_JournalviewCtrl = {
    0x9E1F7D5F, 0x70E1, 0x45F7, {0xA7, 0xE1, 0x11, 0x5D, 0xD3, 0x2F, 0xBF, 0xEA}};
inline constexpr const char* journalview_prog_id = "Journalview.JournalviewCtrl.1";
inline constexpr const char* journalview_independent_prog_id = "Journalview.JournalviewCtrl";

inline constexpr CLSID CLSID_EventMarker = {
    0xCF763F6C, 0x3A9B, 0x418A, {0xA9, 0xCC, 0x93, 0xAD, 0x9C, 0x52, 0x54, 0x9D}};
inline constexpr const char* event_marker_prog_id = "Journalview.EventMarker.1";
inline constexpr const char* event_marker_independent_prog_id = "Journalview.EventMarker";
inline constexpr IID DIID__IEventMarkerEvents = {
    0xCAFF3721, 0x0DAD, 0x45FF, {0x87, 0x5A, 0x77, 0x5F, 0x77, 0xC9, 0x9E, 0xA8}};

// Posted to the notify window when the operator closes the event-mark
// dialog: wParam 1 after OK, 0 after Cancel; lParam 0.
inline constexpr const char* event_marker_message = "VARNEK EVENT MESSAGE - {E3A450FD-6039-435e-8F12-96848E736708}";

// The caller's buffer for EventText: the text (at most 200 bytes) and its zero.
inline constexpr size_t event_text_buffer_size = 201;

enum JournalviewDispid : DISPID {
    dispid_journalview_add_info = 1,
    dispid_journalview_set_log_on = 2,
    dispid_journalview_set_log_off = 3,
};

// Event types of F_AddInfo: 1 is shown red, 2 green, any other white.
struct IJournalviewCtrl : IDispatch {
    static constexpr IID iid = {0x30ADD5A5, 0x22E7, 0x4317, {0xBE, 0x93, 0x2D, 0xF5, 0x74, 0xCD, 0x9B, 0x08}};
    using base_interface = IDispatch;

    virtual HRESULT F_AddInfo(USHORT V_I_sInfoType, char* V_P_C_pInfoText) = 0;
    // S_OK when the file is open, S_FALSE when it cannot be opened.
    virtual HRESULT F_SetLogON(char* V_P_C_LogFileName) = 0;
    virtual HRESULT F_SetLogOFF() = 0;

protected:
    ~IJournalviewCtrl() = default;
};

enum EventMarkerDispid : DISPID {
    dispid_event_marker_event_mark = 1,
    dispid_event_marker_is_opened = 2,
    dispid_event_marker_hwnd_notify = 3,
    dispid_event_marker_event_message = 4,
    dispid_event_marker_event_text = 5,
    dispid_event_marker_event_date_time = 6,
};

struct IEventMarker : IDispatch {
    static constexpr IID iid = {0x4CF9C6B9, 0x479B, 0x47F7, {0x99, 0x47, 0xD5, 0x10, 0xA9, 0x3F, 0xE9, 0x02}};
    using base_interface = IDispatch;

    // Opens the event-mark dialog for that date (shows it when it is open).
    virtual HRESULT F_EventMark(VARIANT V_O_varDateTime) = 0;
    // 1 while the dialog exists and is visible, else 0.
    virtual HRESULT get_IsOpened(VARIANT_BOOL* opened) = 0;
    virtual HRESULT put_HwndNotify(LONG window) = 0;
    virtual HRESULT get_EventMessage(ULONG* message) = 0;
    // The text of the last OK with its zero, into a buffer of
    // event_text_buffer_size bytes.
    virtual HRESULT get_EventText(char* buffer) = 0;
    virtual HRESULT get_EventDateTime(VARIANT* date) = 0;

protected:
    ~IEventMarker() = default;
};
