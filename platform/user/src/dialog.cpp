// The dialog manager: dialogs made from templates, the dialog class and
// DefDlgProc, the modal loop and EndDialog.

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "dialog_internal.h"
#include "dialog_template.h"
#include "helm/kernel/error.h"
#include "helm/kernel/threads.h"
#include "helm/kernel/trace.h"
#include "helm/user/menus.h"
#include "helm/user/screen.h"
#include "paint_internal.h"
#include "window_table.h"

using namespace helm::user;

namespace {

constexpr ATOM dialog_atom = 0x8002;
constexpr char dialog_class_name[] = "#32770";

std::mutex g_states_mutex;
std::unordered_map<uint32_t, std::shared_ptr<DialogState>> g_states;
std::atomic<const ClassIdItemHost*> g_class_id_host{nullptr};

// The standard control classes a template names by atom.
constexpr struct {
    WORD atom;
    const char* name;
} item_classes[] = {
    {0x0080, "Button"}, {0x0081, "Edit"}, {0x0082, "Static"},
    {0x0083, "ListBox"}, {0x0084, "ScrollBar"}, {0x0085, "ComboBox"},
};

// Windows' dialog manager gives edits and list boxes a sunken client edge
// in place of a plain border; a combo box draws its own sunken field.
void sunken_border(LPCSTR item_class, DWORD& style, DWORD& ex_style)
{
    if (IS_INTRESOURCE(item_class) || !(style & WS_BORDER))
        return;
    const bool edge = equal_ascii_nocase(item_class, "Edit") || equal_ascii_nocase(item_class, "ListBox");
    if (!edge && !equal_ascii_nocase(item_class, "ComboBox"))
        return;
    style &= ~static_cast<DWORD>(WS_BORDER);
    if (edge)
        ex_style |= WS_EX_CLIENTEDGE;
}

// As MulDiv: rounded half away from zero.
LONG scale(LONG value, LONG numerator, LONG denominator)
{
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<LONG>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

void register_dialog_class()
{
    auto c = std::make_shared<WindowClass>();
    c->name = dialog_class_name;
    c->atom = dialog_atom;
    c->style = CS_DBLCLKS;
    c->proc = DefDlgProc;
    c->window_extra = DLGWINDOWEXTRA;
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    if (!t.find_class(WC_DIALOG))
        t.classes.push_back(std::move(c));
}

// The dialog class is there from the layer's start, as a system class.
const bool g_dialog_class_registered = (register_dialog_class(), true);

// Messages whose DLGPROC answer is the result itself rather than
// DWLP_MSGRESULT.
bool answers_directly(UINT message)
{
    switch (message) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
    case 0x0133:  // WM_CTLCOLOREDIT
    case 0x0134:  // WM_CTLCOLORLISTBOX
    case 0x0135:  // WM_CTLCOLORBTN
    case 0x0137:  // WM_CTLCOLORSCROLLBAR
    case 0x002E:  // WM_VKEYTOITEM
    case 0x002F:  // WM_CHARTOITEM
    case 0x0037:  // WM_QUERYDRAGICON
        return true;
    default:
        return false;
    }
}

HWND root_of(HWND window)
{
    HWND w = window;
    while (w && (GetWindowLong(w, GWL_STYLE) & WS_CHILD)) {
        HWND parent = GetParent(w);
        if (!parent)
            break;
        w = parent;
    }
    return w;
}

RECT work_area_for(HWND owner)
{
    HMONITOR monitor = owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                             : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfo(monitor, &info))
        return info.rcWork;
    return screen()->monitors().front().work_area;
}

void restore_focus(HWND dialog, DialogState& state)
{
    HWND saved = state.saved_focus ? WindowTable::hwnd_of(state.saved_focus) : nullptr;
    if (saved && IsWindow(saved) && IsChild(dialog, saved) && IsWindowEnabled(saved)) {
        SetFocus(saved);
        update_default_look(dialog, saved);
        return;
    }
    if (HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE))
        set_dialog_focus(dialog, first);
}

void save_focus(HWND dialog, DialogState& state)
{
    HWND focus = GetFocus();
    if (focus && IsChild(dialog, focus))
        state.saved_focus = WindowTable::value_of(focus);
}

// Gives the owner back its input when a modal dialog ends.
void enable_owner(HWND dialog, DialogState& state)
{
    if (!state.disabled_owner)
        return;
    HWND owner = WindowTable::hwnd_of(std::exchange(state.disabled_owner, 0));
    if (!IsWindow(owner))
        return;
    EnableWindow(owner, TRUE);
    if (GetActiveWindow() == dialog || !GetActiveWindow())
        SetActiveWindow(owner);
}

// `rect` is the item's place in the dialog's client pixels.
void create_class_id_item(HWND dialog, const DialogItem& item, const RECT& rect)
{
    const ClassIdItemHost* host = g_class_id_host.load();
    HWND control = nullptr;
    if (host && host->create)
        control = host->create(dialog, item.window_class.name.c_str(), rect, item.id, item.style | WS_CHILD,
                               item.ex_style | WS_EX_NOPARENTNOTIFY);
    if (!control)
        helm::kernel::trace("dialog: item %u of class %s left out\n", static_cast<unsigned>(item.id),
                            item.window_class.name.c_str());
}

// Creates the dialog window, its controls and runs WM_INITDIALOG. Null when
// the window or (without DS_NOFAILCREATE) a control could not be made.
HWND create_dialog(HINSTANCE instance, const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param, bool modal)
{
    if (owner && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const SIZE units = t.has_font ? dialog_base_units(t.face.c_str(), t.points) : dialog_base_units(nullptr, 0);
    HFONT font = t.has_font ? dialog_font(t.face.c_str(), t.points) : nullptr;

    DWORD style = t.style;
    DWORD ex_style = t.ex_style;
    if (style & DS_MODALFRAME)
        ex_style |= WS_EX_DLGMODALFRAME;
    if (style & DS_CONTROL) {
        // A dialog inside a dialog: no caption of its own, and its controls
        // join the parent's keyboard navigation.
        style &= ~(WS_CAPTION | WS_SYSMENU);
        ex_style |= WS_EX_CONTROLPARENT;
    }
    const bool child = (style & WS_CHILD) != 0;
    HWND parent = child ? owner : (owner ? root_of(owner) : nullptr);
    if (child && !parent) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }

    // The template gives the client area; the frame goes around it.
    RECT rect{scale(t.x, units.cx, 4), scale(t.y, units.cy, 8), 0, 0};
    rect.right = rect.left + scale(t.cx, units.cx, 4);
    rect.bottom = rect.top + scale(t.cy, units.cy, 8);
    AdjustWindowRectEx(&rect, style, t.menu.present, ex_style);
    LONG width = rect.right - rect.left;
    LONG height = rect.bottom - rect.top;
    POINT pos{rect.left, rect.top};
    if (style & DS_CENTER) {
        RECT area{};
        if (child)
            GetClientRect(parent, &area);
        else
            area = work_area_for(owner);
        pos = {area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
    } else if (!child && owner && !(style & DS_ABSALIGN)) {
        ClientToScreen(owner, &pos);
    }
    if (!child) {
        // A top-level dialog is kept on its monitor's work area.
        RECT area = work_area_for(owner);
        pos.x = std::max(area.left, std::min(pos.x, area.right - width));
        pos.y = std::max(area.top, std::min(pos.y, area.bottom - height));
    }

    std::string class_storage;
    LPCSTR class_name = WC_DIALOG;
    if (t.window_class.present) {
        if (t.window_class.is_ordinal) {
            class_name = reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(t.window_class.ordinal));
        } else {
            class_storage = t.window_class.name;
            class_name = class_storage.c_str();
        }
    }
    HWND dialog = CreateWindowEx(ex_style, class_name, t.title.c_str(), style & ~WS_VISIBLE, pos.x, pos.y, width, height,
                                 parent, nullptr, instance, reinterpret_cast<LPVOID>(param));
    if (!dialog)
        return nullptr;
    // The template's menu is the dialog's bar; the frame was sized for it.
    if (t.menu.present)
        SetMenu(dialog, LoadMenu(instance, t.menu.is_ordinal ? MAKEINTRESOURCE(t.menu.ordinal) : t.menu.name.c_str()));
    auto state = dialog_state(dialog);
    state->font = font;
    state->units = units;
    state->initializing = true;
    SetWindowLongPtr(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    if (modal && owner) {
        HWND to_disable = root_of(owner);
        if (IsWindowEnabled(to_disable)) {
            // Disabling takes the focus away: a dialog owner keeps where it
            // was, to have it back when this one ends.
            if (auto owner_state = find_dialog_state(to_disable))
                save_focus(to_disable, *owner_state);
            state->disabled_owner = WindowTable::value_of(to_disable);
            EnableWindow(to_disable, FALSE);
        }
    }
    if (font)
        SendMessage(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    for (const DialogItem& item : t.items) {
        if (!IsWindow(dialog))
            return nullptr;
        std::string item_class_storage;
        LPCSTR item_class = nullptr;
        if (item.window_class.is_ordinal) {
            for (const auto& row : item_classes)
                if (row.atom == item.window_class.ordinal)
                    item_class = row.name;
            if (!item_class)
                item_class = reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(item.window_class.ordinal));
        } else {
            item_class_storage = item.window_class.name;
            item_class = item_class_storage.c_str();
        }
        // A title given as an ordinal (an icon or bitmap resource of a
        // static) reaches the control as 0xFF and the id's two bytes.
        std::string text = item.title.name;
        if (item.title.is_ordinal) {
            text.assign({static_cast<char>(0xFF), static_cast<char>(item.title.ordinal & 0xFF),
                         static_cast<char>(item.title.ordinal >> 8)});
        }
        const RECT r{scale(item.x, units.cx, 4), scale(item.y, units.cy, 8), scale(item.cx, units.cx, 4),
                     scale(item.cy, units.cy, 8)};
        if (!item.window_class.is_ordinal && item.window_class.name.starts_with('{')) {
            // A control of the component layer, which chooses its own
            // fonts: one that cannot be made is left out, and the dialog
            // runs without it.
            create_class_id_item(dialog, item, RECT{r.left, r.top, r.left + r.right, r.top + r.bottom});
            continue;
        }
        LPVOID data = item.creation_data.empty() ? nullptr : const_cast<std::byte*>(item.creation_data.data());
        DWORD style = item.style | WS_CHILD;
        DWORD ex_style = item.ex_style | WS_EX_NOPARENTNOTIFY;
        sunken_border(item_class, style, ex_style);
        HWND control = CreateWindowEx(ex_style, item_class, text.c_str(), style, r.left, r.top, r.right, r.bottom, dialog,
                                      reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.id)), instance, data);
        if (!control) {
            if (t.style & DS_NOFAILCREATE)
                continue;
            enable_owner(dialog, *state);
            DestroyWindow(dialog);
            return nullptr;
        }
        if (font)
            SendMessage(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (!state->has_default_id && (SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) {
            state->default_id = static_cast<WORD>(item.id);
            state->has_default_id = true;
        }
    }

    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    LRESULT wants_focus = SendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
    if (!IsWindow(dialog))
        return nullptr;
    // A dialog inside another leaves the focus where its host has it. The
    // activation the focus brings does not move it again meanwhile.
    if (wants_focus && !child && !state->ended) {
        first = GetNextDlgTabItem(dialog, nullptr, FALSE);
        if (first && IsWindow(first))
            set_dialog_focus(dialog, first);
    }
    state->initializing = false;
    if ((t.style & WS_VISIBLE) && !state->ended && IsWindow(dialog)) {
        ShowWindow(dialog, child ? SW_SHOWNA : SW_SHOWNORMAL);
        UpdateWindow(dialog);
    }
    return IsWindow(dialog) ? dialog : nullptr;
}

INT_PTR run_modal(HWND dialog)
{
    auto state = find_dialog_state(dialog);
    if (!state)
        return -1;
    if (!state->ended && !IsWindowVisible(dialog)) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        UpdateWindow(dialog);
    }
    MSG msg;
    while (!state->ended && IsWindow(dialog)) {
        BOOL got = GetMessage(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The quit request belongs to the loop outside: pass it on.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        if (!IsDialogMessage(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }
    const INT_PTR result = state->result;
    if (IsWindow(dialog))
        DestroyWindow(dialog);
    return result;
}

// A template by pointer alone: read as far as its fields say.
bool parse_indirect(LPCDLGTEMPLATE dialogTemplate, DialogTemplate* out)
{
    if (!dialogTemplate || !parse_dialog_template(dialogTemplate, max_template_bytes, out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

}  // namespace

namespace helm::user {

std::shared_ptr<DialogState> dialog_state(HWND dialog)
{
    if (!IsWindow(dialog))
        return nullptr;
    std::lock_guard lock(g_states_mutex);
    auto& state = g_states[WindowTable::value_of(dialog)];
    if (!state) {
        state = std::make_shared<DialogState>();
        state->units = dialog_base_units(nullptr, 0);
    }
    return state;
}

std::shared_ptr<DialogState> find_dialog_state(HWND dialog)
{
    std::lock_guard lock(g_states_mutex);
    auto it = g_states.find(WindowTable::value_of(dialog));
    return it == g_states.end() ? nullptr : it->second;
}

bool is_dialog(HWND window) { return IsWindow(window) && find_dialog_state(window) != nullptr; }

void forget_dialog_state(HWND dialog)
{
    std::lock_guard lock(g_states_mutex);
    g_states.erase(WindowTable::value_of(dialog));
}

void set_class_id_item_host(const ClassIdItemHost* host) { g_class_id_host.store(host); }

// Reads a dialog template resource; defined with the resource runtime.
bool load_dialog_resource(HINSTANCE instance, LPCSTR name, DialogTemplate* out);

}  // namespace helm::user

HWND CreateDialogIndirectParam(HINSTANCE instance, LPCDLGTEMPLATE dialogTemplate, HWND parent, DLGPROC proc,
                               LPARAM param)
{
    DialogTemplate t;
    if (!parse_indirect(dialogTemplate, &t))
        return nullptr;
    return create_dialog(instance, t, parent, proc, param, false);
}

HWND CreateDialogParam(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc, LPARAM param)
{
    DialogTemplate t;
    if (!load_dialog_resource(instance, templateName, &t))
        return nullptr;
    return create_dialog(instance, t, parent, proc, param, false);
}

INT_PTR DialogBoxIndirectParam(HINSTANCE instance, LPCDLGTEMPLATE dialogTemplate, HWND parent, DLGPROC proc,
                               LPARAM param)
{
    DialogTemplate t;
    if (!parse_indirect(dialogTemplate, &t))
        return -1;
    HWND dialog = create_dialog(instance, t, parent, proc, param, true);
    return dialog ? run_modal(dialog) : -1;
}

INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc, LPARAM param)
{
    DialogTemplate t;
    if (!load_dialog_resource(instance, templateName, &t))
        return -1;
    HWND dialog = create_dialog(instance, t, parent, proc, param, true);
    return dialog ? run_modal(dialog) : -1;
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    auto state = find_dialog_state(dialog);
    if (!state || !IsWindow(dialog)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    state->result = result;
    state->ended = true;
    enable_owner(dialog, *state);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Wakes a modal loop waiting in GetMessage.
    PostMessage(dialog, WM_NULL, 0, 0);
    return TRUE;
}

LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto state = dialog_state(dialog);
    if (!state)
        return 0;
    if (auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtr(dialog, DWLP_DLGPROC))) {
        SetWindowLongPtr(dialog, DWLP_MSGRESULT, 0);
        INT_PTR handled = proc(dialog, message, wParam, lParam);
        if (!IsWindow(dialog))
            return handled;
        if (handled)
            return answers_directly(message) ? handled : GetWindowLongPtr(dialog, DWLP_MSGRESULT);
    }
    switch (message) {
    case WM_ERASEBKGND:
        erase_dialog_background(dialog, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_SHOWWINDOW:
        if (!wParam)
            save_focus(dialog, *state);
        return DefWindowProc(dialog, message, wParam, lParam);
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            save_focus(dialog, *state);
        else if (!state->initializing)
            restore_focus(dialog, *state);
        return 0;
    case WM_SETFOCUS:
        if (!state->initializing)
            restore_focus(dialog, *state);
        return 0;
    case DM_SETDEFID:
        state->default_id = static_cast<WORD>(wParam);
        state->has_default_id = true;
        update_default_look(dialog, GetFocus());
        return TRUE;
    case DM_GETDEFID: {
        if (state->has_default_id)
            return MAKELRESULT(state->default_id, DC_HASDEFID);
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (SendMessage(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
                return MAKELRESULT(GetDlgCtrlID(c), DC_HASDEFID);
        return 0;
    }
    case WM_NEXTDLGCTL: {
        HWND target;
        if (LOWORD(lParam))
            target = reinterpret_cast<HWND>(wParam);
        else
            target = GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
        if (target && IsWindow(target))
            set_dialog_focus(dialog, target);
        return 0;
    }
    case WM_CLOSE: {
        HWND cancel = GetDlgItem(dialog, IDCANCEL);
        if (!cancel || IsWindowEnabled(cancel))
            PostMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, notify_clicked), reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case WM_NCDESTROY: {
        enable_owner(dialog, *state);
        forget_dialog_state(dialog);
        // Every item window is gone by now: the controls made for them go.
        const ClassIdItemHost* host = g_class_id_host.load();
        if (host && host->dialog_destroyed)
            host->dialog_destroyed(dialog);
        return DefWindowProc(dialog, message, wParam, lParam);
    }
    default:
        return DefWindowProc(dialog, message, wParam, lParam);
    }
}

BOOL MapDialogRect(HWND dialog, LPRECT rect)
{
    auto state = find_dialog_state(dialog);
    if (!state || !rect) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    rect->left = scale(rect->left, state->units.cx, 4);
    rect->right = scale(rect->right, state->units.cx, 4);
    rect->top = scale(rect->top, state->units.cy, 8);
    rect->bottom = scale(rect->bottom, state->units.cy, 8);
    return TRUE;
}
