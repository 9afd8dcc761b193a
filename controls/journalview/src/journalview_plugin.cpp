// The plug-in: the dispatch tables of JournalviewCtrl and EventMarker,
// their registration and the entry points.

#include "EventMarker.h"
#include "JournalviewCtrl.h"

using helm::com::Arguments;
using helm::com::DispatchMember;
using helm::com::DispatchTable;

namespace {
constexpr VARTYPE text = VT_I1 | VT_BYREF;
}  // namespace

const DispatchTable<IJournalviewCtrl>& journalview_table()
{
    using M = DispatchMember<IJournalviewCtrl>;
    static const DispatchTable<IJournalviewCtrl> table({
        M{dispid_journalview_add_info, DISPATCH_METHOD, "F_AddInfo", {VT_UI2, text}, VT_EMPTY,
          [](IJournalviewCtrl& c, Arguments& a, VARIANT&) { return c.F_AddInfo(a.ui2(0), a.text(1)); }},
        M{dispid_journalview_set_log_on, DISPATCH_METHOD, "F_SetLogON", {text}, VT_EMPTY,
          [](IJournalviewCtrl& c, Arguments& a, VARIANT&) { return c.F_SetLogON(a.text(0)); }},
        M{dispid_journalview_set_log_off, DISPATCH_METHOD, "F_SetLogOFF", {}, VT_EMPTY,
          [](IJournalviewCtrl& c, Arguments&, VARIANT&) { return c.F_SetLogOFF(); }},
    });
    return table;
}

const DispatchTable<IEventMarker>& event_marker_table()
{
    using M = DispatchMember<IEventMarker>;
    static const DispatchTable<IEventMarker> table({
        M{dispid_event_marker_event_mark, DISPATCH_METHOD, "F_EventMark", {VT_VARIANT}, VT_EMPTY,
          [](IEventMarker& c, Arguments& a, VARIANT&) { return c.F_EventMark(*a.variant(0)); }},
        M{dispid_event_marker_is_opened, DISPATCH_PROPERTYGET, "IsOpened", {}, VT_BOOL,
          [](IEventMarker& c, Arguments&, VARIANT& r) {
              r.vt = VT_BOOL;
              return c.get_IsOpened(&r.boolVal);
          }},
        M{dispid_event_marker_hwnd_notify, DISPATCH_PROPERTYPUT, "HwndNotify", {VT_I4}, VT_EMPTY,
          [](IEventMarker& c, Arguments& a, VARIANT&) { return c.put_HwndNotify(a.i4(0)); }},
        M{dispid_event_marker_event_message, DISPATCH_PROPERTYGET, "EventMessage", {}, VT_UI4,
          [](IEventMarker& c, Arguments&, VARIANT& r) {
              r.vt = VT_UI4;
              return c.get_EventMessage(&r.ulVal);
          }},
        M{dispid_event_marker_event_text, DISPATCH_PROPERTYGET, "EventText", {text}, VT_EMPTY,
          [](IEventMarker& c, Arguments& a, VARIANT&) { return c.get_EventText(a.text(0)); }},
        M{dispid_event_marker_event_date_time, DISPATCH_PROPERTYGET, "EventDateTime", {}, VT_VARIANT,
          [](IEventMarker& c, Arguments&, VARIANT& r) { return c.get_EventDateTime(&r); }},
    });
    return table;
}

namespace {

// The event marker is a programmable object, not a control.
helm::com::ClassEntry marker_registration()
{
    helm::com::ClassEntry e;
    e.clsid = CLSID_EventMarker;
    e.description = "EventMarker Class";
    e.prog_id = event_marker_prog_id;
    e.version_independent_prog_id = event_marker_independent_prog_id;
    e.keys = helm::com::key_programmable;
    e.type_library = LIBID_JournalviewLib;
    e.type_library_version = "1.0";
    return e;
}

helm::com::Server server({
    {helm::com::control_registration(CLSID_JournalviewCtrl, "JournalviewCtrl Class", journalview_prog_id,
                                     journalview_independent_prog_id, LIBID_JournalviewLib),
     &helm::com::Server::create<JournalviewCtrl>},
    {marker_registration(), &helm::com::Server::create<EventMarker>},
});

}  // namespace

HELM_COM_PLUGIN_ENTRY_POINTS(server)
