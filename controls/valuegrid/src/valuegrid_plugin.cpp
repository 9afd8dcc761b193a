// The plug-in: ValuegridCtrl's dispatch table, its registration and the
// entry points.

#include "ValuegridCtrl.h"

using helm::com::Arguments;
using helm::com::DispatchMember;
using helm::com::DispatchTable;

// Declared parameter types, left to right; each member forwards to the
// interface method of the same id.
const DispatchTable<IValuegridCtrl>& valuegrid_table()
{
    using M = DispatchMember<IValuegridCtrl>;
    constexpr VARTYPE text = VT_I1 | VT_BYREF;
    static const DispatchTable<IValuegridCtrl> table({
        M{dispid_valuegrid_add_item, DISPATCH_METHOD, "AddItem",
          {VT_UI2 | VT_BYREF, text, text, text, VT_UI2, VT_R8, VT_R8, VT_BOOL, VT_BOOL}, VT_EMPTY,
          [](IValuegridCtrl& c, Arguments& a, VARIANT&) {
              return c.AddItem(a.ref<USHORT>(0), a.text(1), a.text(2), a.text(3), a.ui2(4), a.r8(5), a.r8(6),
                               a.boolean(7), a.boolean(8));
          }},
        M{dispid_valuegrid_set_item_value, DISPATCH_METHOD, "SetItemValue", {VT_UI2, text}, VT_EMPTY,
          [](IValuegridCtrl& c, Arguments& a, VARIANT&) { return c.SetItemValue(a.ui2(0), a.text(1)); }},
        M{dispid_valuegrid_set_item_label, DISPATCH_METHOD, "SetItemLabel", {VT_UI2, text}, VT_EMPTY,
          [](IValuegridCtrl& c, Arguments& a, VARIANT&) { return c.SetItemLabel(a.ui2(0), a.text(1)); }},
        M{dispid_valuegrid_set_item_unit, DISPATCH_METHOD, "SetItemUnit", {VT_UI2, text}, VT_EMPTY,
          [](IValuegridCtrl& c, Arguments& a, VARIANT&) { return c.SetItemUnit(a.ui2(0), a.text(1)); }},
        M{dispid_valuegrid_set_item_visible, DISPATCH_METHOD, "SetItemVisible", {VT_UI2, VT_BOOL}, VT_EMPTY,
          [](IValuegridCtrl& c, Arguments& a, VARIANT&) { return c.SetItemVisible(a.ui2(0), a.boolean(1)); }},
        M{dispid_valuegrid_set_item_state, DISPATCH_METHOD, "SetItemState", {VT_UI2, VT_BOOL}, VT_EMPTY,
          [](IValuegridCtrl& c, Arguments& a, VARIANT&) { return c.SetItemState(a.ui2(0), a.boolean(1)); }},
        M{dispid_valuegrid_set_item_edit, DISPATCH_METHOD, "SetItemEdit", {VT_UI2, VT_BOOL}, VT_EMPTY,
          [](IValuegridCtrl& c, Arguments& a, VARIANT&) { return c.SetItemEdit(a.ui2(0), a.boolean(1)); }},
        M{dispid_valuegrid_rebuilt, DISPATCH_METHOD, "Rebuilt", {}, VT_EMPTY,
          [](IValuegridCtrl& c, Arguments&, VARIANT&) { return c.Rebuilt(); }},
        M{dispid_valuegrid_item_edited, DISPATCH_METHOD, "E_ItemEdited", {VT_UI2, VT_VARIANT}, VT_EMPTY,
          [](IValuegridCtrl& c, Arguments& a, VARIANT&) { return c.E_ItemEdited(a.ui2(0), *a.variant(1)); }},
        M{dispid_valuegrid_get_item_changed_msg, DISPATCH_METHOD, "GetItemChangedMsg", {VT_UI4 | VT_BYREF}, VT_EMPTY,
          [](IValuegridCtrl& c, Arguments& a, VARIANT&) { return c.GetItemChangedMsg(a.ref<ULONG>(0)); }},
        M{dispid_valuegrid_set_notify_wnd, DISPATCH_METHOD, "SetNotifyWnd", {VT_I4}, VT_EMPTY,
          [](IValuegridCtrl& c, Arguments& a, VARIANT&) { return c.SetNotifyWnd(a.i4(0)); }},
        M{dispid_valuegrid_get_item_edited_string, DISPATCH_METHOD, "GetItemEditedString",
          {VT_UI2, VT_BSTR | VT_BYREF}, VT_EMPTY,
          [](IValuegridCtrl& c, Arguments& a, VARIANT&) { return c.GetItemEditedString(a.ui2(0), a.ref<BSTR>(1)); }},
        M{dispid_valuegrid_set_item_edit_read_only, DISPATCH_METHOD, "SetItemEditReadOnly", {VT_UI2, VT_BOOL},
          VT_EMPTY,
          [](IValuegridCtrl& c, Arguments& a, VARIANT&) { return c.SetItemEditReadOnly(a.ui2(0), a.boolean(1)); }},
    });
    return table;
}

namespace {

helm::com::Server server({
    {helm::com::control_registration(CLSID_ValuegridCtrl, "ValuegridCtrl Class", valuegrid_prog_id,
                                     valuegrid_independent_prog_id, LIBID_ValuegridLib),
     &helm::com::Server::create<ValuegridCtrl>},
});

}  // namespace

HELM_COM_PLUGIN_ENTRY_POINTS(server)
