#include "atoms.h"

#include <iterator>

namespace helm::display {

void Atoms::intern(Display* display)
{
    struct Name {
        Atom Atoms::*member;
        const char* name;
    };
    static constexpr Name names[] = {
        {&Atoms::wm_protocols, "WM_PROTOCOLS"},
        {&Atoms::wm_delete_window, "WM_DELETE_WINDOW"},
        {&Atoms::wm_state, "WM_STATE"},
        {&Atoms::wm_change_state, "WM_CHANGE_STATE"},
        {&Atoms::net_wm_ping, "_NET_WM_PING"},
        {&Atoms::net_wm_name, "_NET_WM_NAME"},
        {&Atoms::net_wm_icon, "_NET_WM_ICON"},
        {&Atoms::net_wm_pid, "_NET_WM_PID"},
        {&Atoms::net_wm_state, "_NET_WM_STATE"},
        {&Atoms::net_wm_state_maximized_vert, "_NET_WM_STATE_MAXIMIZED_VERT"},
        {&Atoms::net_wm_state_maximized_horz, "_NET_WM_STATE_MAXIMIZED_HORZ"},
        {&Atoms::net_wm_state_above, "_NET_WM_STATE_ABOVE"},
        {&Atoms::net_wm_state_hidden, "_NET_WM_STATE_HIDDEN"},
        {&Atoms::net_wm_window_type, "_NET_WM_WINDOW_TYPE"},
        {&Atoms::net_wm_window_type_normal, "_NET_WM_WINDOW_TYPE_NORMAL"},
        {&Atoms::net_wm_window_type_dialog, "_NET_WM_WINDOW_TYPE_DIALOG"},
        {&Atoms::motif_wm_hints, "_MOTIF_WM_HINTS"},
        {&Atoms::net_active_window, "_NET_ACTIVE_WINDOW"},
        {&Atoms::net_supporting_wm_check, "_NET_SUPPORTING_WM_CHECK"},
        {&Atoms::net_supported, "_NET_SUPPORTED"},
        {&Atoms::net_workarea, "_NET_WORKAREA"},
        {&Atoms::net_current_desktop, "_NET_CURRENT_DESKTOP"},
        {&Atoms::utf8_string, "UTF8_STRING"},
        {&Atoms::clipboard, "CLIPBOARD"},
        {&Atoms::targets, "TARGETS"},
        {&Atoms::timestamp, "TIMESTAMP"},
        {&Atoms::incr, "INCR"},
        {&Atoms::text, "TEXT"},
        {&Atoms::text_plain, "text/plain"},
        {&Atoms::text_plain_utf8, "text/plain;charset=utf-8"},
        {&Atoms::image_png, "image/png"},
        {&Atoms::image_bmp, "image/bmp"},
        {&Atoms::transfer, "HELM_TRANSFER"},
    };
    char* list[std::size(names)];
    for (size_t i = 0; i < std::size(names); ++i)
        list[i] = const_cast<char*>(names[i].name);
    Atom atoms[std::size(names)];
    XInternAtoms(display, list, static_cast<int>(std::size(names)), False, atoms);
    for (size_t i = 0; i < std::size(names); ++i)
        this->*(names[i].member) = atoms[i];
}

}  // namespace helm::display
