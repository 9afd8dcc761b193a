// CommConfigDialog: the port settings dialog, a modal dialog of the window
// layer from this library's resource script, over the DCB of a COMMCONFIG.
#include "helm/serial/comm_dialog.h"

#include <windows.h>

#include <string>

#include "helm/serial/comm_dialog_ids.h"

namespace {

// The flow control choices, in the order of the list.
enum Flow : LPARAM { kFlowXonXoff, kFlowHardware, kFlowNone };

struct Choice {
    const char* text;
    LPARAM value;
};

constexpr DWORD kBaudRates[] = {110, 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
constexpr Choice kDataBits[] = {{"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}};
constexpr Choice kParities[] = {
    {"Even", EVENPARITY}, {"Odd", ODDPARITY}, {"None", NOPARITY}, {"Mark", MARKPARITY}, {"Space", SPACEPARITY}};
constexpr Choice kStopBits[] = {{"1", ONESTOPBIT}, {"1.5", ONE5STOPBITS}, {"2", TWOSTOPBITS}};
constexpr Choice kFlows[] = {{"Xon / Xoff", kFlowXonXoff}, {"Hardware", kFlowHardware}, {"None", kFlowNone}};

struct DialogState {
    std::string caption;
    DCB* dcb;
    LPARAM flow = kFlowNone;  // as the DCB had it
};

LPARAM flow_of(const DCB& dcb)
{
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
        return kFlowHardware;
    return dcb.fOutX || dcb.fInX ? kFlowXonXoff : kFlowNone;
}

// Flow control as this layer sets it up (RTS/CTS for the hardware kind).
void set_flow(DCB& dcb, LPARAM flow)
{
    dcb.fOutX = dcb.fInX = flow == kFlowXonXoff;
    dcb.fOutxCtsFlow = flow == kFlowHardware;
    dcb.fOutxDsrFlow = 0;
    if (flow == kFlowHardware)
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    else if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE)
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
}

void add_choice(HWND combo, const char* text, LPARAM value, LPARAM current)
{
    const LRESULT index = SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index < 0)
        return;
    SendMessage(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), value);
    if (value == current)
        SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

template <size_t N>
void fill(HWND dialog, int id, const Choice (&choices)[N], LPARAM current)
{
    const HWND combo = GetDlgItem(dialog, id);
    for (const Choice& choice : choices)
        add_choice(combo, choice.text, choice.value, current);
}

// The rate the DCB has is listed in its place when it is not a usual one.
void fill_baud(HWND dialog, DWORD current)
{
    const HWND combo = GetDlgItem(dialog, IDC_PORT_BAUD);
    bool listed = false;
    for (DWORD rate : kBaudRates) {
        if (!listed && current < rate) {
            add_choice(combo, std::to_string(current).c_str(), current, current);
            listed = true;
        }
        listed = listed || rate == current;
        add_choice(combo, std::to_string(rate).c_str(), rate, current);
    }
    if (!listed)
        add_choice(combo, std::to_string(current).c_str(), current, current);
}

// The value of the entry picked, or `unchanged` when none is.
LPARAM picked(HWND dialog, int id, LPARAM unchanged)
{
    const HWND combo = GetDlgItem(dialog, id);
    const LRESULT index = SendMessage(combo, CB_GETCURSEL, 0, 0);
    return index < 0 ? unchanged : SendMessage(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}

INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* state = reinterpret_cast<DialogState*>(lParam);
        SetWindowLongPtr(dialog, DWLP_USER, lParam);
        SetWindowText(dialog, state->caption.c_str());
        const DCB& dcb = *state->dcb;
        fill_baud(dialog, dcb.BaudRate);
        fill(dialog, IDC_PORT_DATA_BITS, kDataBits, dcb.ByteSize);
        fill(dialog, IDC_PORT_PARITY, kParities, dcb.Parity);
        fill(dialog, IDC_PORT_STOP_BITS, kStopBits, dcb.StopBits);
        state->flow = flow_of(dcb);
        fill(dialog, IDC_PORT_FLOW, kFlows, state->flow);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtr(dialog, DWLP_USER));
            DCB& dcb = *state->dcb;
            dcb.BaudRate = static_cast<DWORD>(picked(dialog, IDC_PORT_BAUD, dcb.BaudRate));
            dcb.ByteSize = static_cast<BYTE>(picked(dialog, IDC_PORT_DATA_BITS, dcb.ByteSize));
            dcb.Parity = static_cast<BYTE>(picked(dialog, IDC_PORT_PARITY, dcb.Parity));
            dcb.StopBits = static_cast<BYTE>(picked(dialog, IDC_PORT_STOP_BITS, dcb.StopBits));
            // The DCB's own flow settings stay unless another kind is picked.
            const LPARAM flow = picked(dialog, IDC_PORT_FLOW, state->flow);
            if (flow != state->flow)
                set_flow(dcb, flow);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

BOOL CommConfigDialog(LPCSTR name, HWND owner, LPCOMMCONFIG config)
{
    if (!config || config->dwSize < sizeof(COMMCONFIG)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Only a port the serial layer knows has a dialog.
    COMMCONFIG defaults{};
    DWORD size = sizeof defaults;
    if (!GetDefaultCommConfig(name, &defaults, &size))
        return FALSE;
    // The choices go to a copy, so Cancel leaves the caller's DCB as it was.
    DCB dcb = config->dcb;
    DialogState state{std::string(name) + " Properties", &dcb};
    const INT_PTR result = DialogBoxParam(helm_this_module(), MAKEINTRESOURCE(IDD_PORT_SETTINGS), owner, dialog_proc,
                                          reinterpret_cast<LPARAM>(&state));
    if (result == -1)
        return FALSE;
    if (result != IDOK) {
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    }
    config->dcb = dcb;
    return TRUE;
}
