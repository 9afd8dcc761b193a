// Keyboard navigation in dialogs: the tab order (into child dialogs marked
// WS_EX_CONTROLPARENT), groups, the default push button, and
// IsDialogMessage's handling of Tab, arrows, Enter and Escape.

#include <algorithm>
#include <vector>

#include "dialog_internal.h"
#include "window_table.h"

using namespace helm::user;

namespace {

bool usable(HWND w)
{
    LONG style = GetWindowLong(w, GWL_STYLE);
    return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

bool container(HWND w) { return (GetWindowLong(w, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0; }

// Every control of the dialog in tab order: children in Z order, those of a
// visible, enabled WS_EX_CONTROLPARENT child in its place.
void collect_controls(HWND parent, std::vector<HWND>& out)
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (container(c)) {
            if (usable(c))
                collect_controls(c, out);
            continue;
        }
        out.push_back(c);
    }
}

// The position in `controls` of `control` or of the container holding it;
// -1 when it is not there.
long position_of(const std::vector<HWND>& controls, HWND dialog, HWND control)
{
    for (HWND w = control; w && w != dialog; w = GetParent(w)) {
        auto it = std::find(controls.begin(), controls.end(), w);
        if (it != controls.end())
            return it - controls.begin();
        if (!(GetWindowLong(w, GWL_STYLE) & WS_CHILD))
            break;
    }
    return -1;
}

LRESULT dialog_code(HWND control, const MSG* msg = nullptr)
{
    return SendMessage(control, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg));
}

bool is_push_button(LRESULT code) { return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0; }

// The command a default or standard button sends its dialog.
void click(HWND dialog, int id)
{
    HWND button = find_dialog_control(dialog, id);
    if (button && !IsWindowEnabled(button))
        return;
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, notify_clicked), reinterpret_cast<LPARAM>(button));
}

bool in_dialog(HWND dialog, HWND window) { return window == dialog || IsChild(dialog, window); }

}  // namespace

namespace helm::user {

HWND find_dialog_control(HWND dialog, int id)
{
    if (HWND direct = GetDlgItem(dialog, id))
        return direct;
    std::vector<HWND> controls;
    collect_controls(dialog, controls);
    for (HWND c : controls)
        if (GetDlgCtrlID(c) == id)
            return c;
    return nullptr;
}

void update_default_look(HWND dialog, HWND focus)
{
    std::vector<HWND> controls;
    collect_controls(dialog, controls);
    HWND wanted = nullptr;
    if (focus && in_dialog(dialog, focus) && is_push_button(dialog_code(focus))) {
        wanted = focus;
    } else {
        LRESULT def = SendMessage(dialog, DM_GETDEFID, 0, 0);
        if (HIWORD(def) == DC_HASDEFID)
            wanted = find_dialog_control(dialog, LOWORD(def));
    }
    for (HWND c : controls) {
        LRESULT code = dialog_code(c);
        if (c != wanted && (code & DLGC_DEFPUSHBUTTON))
            SendMessage(c, button_setstyle, style_pushbutton, TRUE);
    }
    if (wanted && (dialog_code(wanted) & DLGC_UNDEFPUSHBUTTON))
        SendMessage(wanted, button_setstyle, style_defpushbutton, TRUE);
}

void set_dialog_focus(HWND dialog, HWND control)
{
    if (dialog_code(control) & DLGC_HASSETSEL)
        SendMessage(control, edit_setsel, 0, -1);
    SetFocus(control);
    update_default_look(dialog, GetFocus());
}

}  // namespace helm::user

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous)
{
    if (!IsWindow(dialog))
        return nullptr;
    std::vector<HWND> controls;
    collect_controls(dialog, controls);
    const long count = static_cast<long>(controls.size());
    if (count == 0)
        return nullptr;
    long start = control ? position_of(controls, dialog, control) : -1;
    const long step = previous ? -1 : 1;
    if (start < 0)
        start = previous ? 0 : count - 1;  // so the first step lands on an end
    for (long k = 1; k <= count; ++k) {
        long i = ((start + step * k) % count + count) % count;
        HWND c = controls[static_cast<size_t>(i)];
        if ((GetWindowLong(c, GWL_STYLE) & WS_TABSTOP) && usable(c))
            return c;
    }
    // Nothing else takes the tab: the control keeps it.
    return control;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous)
{
    if (!IsWindow(dialog) || !control || !IsChild(dialog, control))
        return nullptr;
    // The group: from the nearest sibling at or before `control` with
    // WS_GROUP up to the next one with WS_GROUP.
    std::vector<HWND> siblings;
    for (HWND c = GetWindow(control, GW_HWNDFIRST); c; c = GetWindow(c, GW_HWNDNEXT))
        siblings.push_back(c);
    long at = std::find(siblings.begin(), siblings.end(), control) - siblings.begin();
    long first = at;
    while (first > 0 && !(GetWindowLong(siblings[static_cast<size_t>(first)], GWL_STYLE) & WS_GROUP))
        --first;
    long end = at + 1;
    while (end < static_cast<long>(siblings.size()) &&
           !(GetWindowLong(siblings[static_cast<size_t>(end)], GWL_STYLE) & WS_GROUP))
        ++end;
    const long size = end - first;
    for (long k = 1; k < size; ++k) {
        long i = first + (((at - first) + (previous ? -k : k)) % size + size) % size;
        HWND c = siblings[static_cast<size_t>(i)];
        if (usable(c))
            return c;
    }
    return control;
}

BOOL IsDialogMessage(HWND dialog, LPMSG msg)
{
    if (!msg || !dialog || !msg->hwnd || !IsWindow(dialog) || !in_dialog(dialog, msg->hwnd))
        return FALSE;
    note_input_message(*msg);
    switch (msg->message) {
    case WM_KEYDOWN: {
        const LRESULT code = dialog_code(msg->hwnd, msg);
        if (code & DLGC_WANTALLKEYS)
            break;
        switch (msg->wParam) {
        case VK_TAB:
            if (code & DLGC_WANTTAB)
                break;
            SendMessage(dialog, WM_NEXTDLGCTL, (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0, 0);
            return TRUE;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
            if (code & DLGC_WANTARROWS)
                break;
            const bool back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
            HWND next = GetNextDlgGroupItem(dialog, msg->hwnd, back ? TRUE : FALSE);
            if (next && next != msg->hwnd) {
                set_dialog_focus(dialog, next);
                // Moving within a group of radio buttons picks the one reached.
                if (dialog_code(next) & DLGC_RADIOBUTTON)
                    SendMessage(next, button_click, 0, 0);
            }
            return TRUE;
        }
        case VK_RETURN: {
            if (is_push_button(code) && (code & DLGC_DEFPUSHBUTTON) && msg->hwnd != dialog) {
                click(dialog, GetDlgCtrlID(msg->hwnd));
                return TRUE;
            }
            LRESULT def = SendMessage(dialog, DM_GETDEFID, 0, 0);
            click(dialog, HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK);
            return TRUE;
        }
        case VK_ESCAPE:
            click(dialog, IDCANCEL);
            return TRUE;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
    // Keys handled above are never translated, so their characters never
    // come; everything else reaches the control as usual.
    TranslateMessage(msg);
    DispatchMessage(msg);
    return TRUE;
}
