// The value grid control: its class id, ProgIDs, dual interface with its
// dispatch ids, event interface and registered message, for hosts that
// call it through its interface or by dispatch id.
#pragma once

#include <windows.h>

inline constexpr CLSID CLSID_ValuegridCtrl = {
    0x64226BF7, 0xC9FD, 0x4941, {0xA9, 0xAD, 0x33, 0xF1, 0xC0, 0x7E, 0x69, 0x7B}};
inline constexpr GUID LIBID_ValuegridLib = {
    0xCD6AFEA7, 0x4659, 0x4076, {0xB2, 0x30, 0x41, 0xA6, 0xA7, 0xC9, 0x42, 0xAC}};
inline constexpr IID DIID__IValuegridCtrlEvents = {
    0xBF9D36DB, 0x2D9B, 0x45E6, {0x95, 0x7E, 0x00, 0xBB, 0xF7, 0xC3, 0xEA, 0x33}};
inline constexpr const char* valuegrid_prog_id = "Valuegrid.ValuegridCtrl.1";
inline constexpr const char* valuegrid_independent_prog_id = "Valuegrid.ValuegridCtrl";

// Posted to the notify window when the operator changed a row's value:
// wParam the row number, lParam 0.
inline constexpr const char* valuegrid_item_changed_message =
    "VARNEK VALUEGRID ATL CONTROL - ITEM CHANGED - {AAC6E510-49C6-4693-8E98-0ED516CB74FE}";

enum ValuegridDispid : DISPID {
    dispid_valuegrid_add_item = 1,
    dispid_valuegrid_set_item_value = 2,
    dispid_valuegrid_set_item_label = 3,
    dispid_valuegrid_set_item_unit = 4,
    dispid_valuegrid_set_item_visible = 5,
    dispid_valuegrid_set_item_state = 6,
    dispid_valuegrid_set_item_edit = 7,
    dispid_valuegrid_rebuilt = 8,
    dispid_valuegrid_item_edited = 9,
    dispid_valuegrid_get_item_changed_msg = 10,
    dispid_valuegrid_set_notify_wnd = 11,
    dispid_valuegrid_get_item_edited_string = 12,
    dispid_valuegrid_set_item_edit_read_only = 13,
};

// Rows are numbered in the order they are added. Every member answers
// E_INVALIDARG for a row number at or beyond the number of rows, and
// changes nothing then.
struct IValuegridCtrl : IDispatch {
    static constexpr IID iid = {0x15B4D18B, 0xD954, 0x4F9A, {0x9A, 0x63, 0xF8, 0xC3, 0x42, 0xA9, 0x73, 0x7E}};
    using base_interface = IDispatch;

    virtual HRESULT AddItem(USHORT* item, char* label, char* value, char* unit, USHORT digits, double valueMax,
                            double valueMin, VARIANT_BOOL bounded, VARIANT_BOOL edit) = 0;
    virtual HRESULT SetItemValue(USHORT item, char* value) = 0;
    virtual HRESULT SetItemLabel(USHORT item, char* label) = 0;
    virtual HRESULT SetItemUnit(USHORT item, char* unit) = 0;
    virtual HRESULT SetItemVisible(USHORT item, VARIANT_BOOL visible) = 0;
    virtual HRESULT SetItemState(USHORT item, VARIANT_BOOL state) = 0;
    virtual HRESULT SetItemEdit(USHORT item, VARIANT_BOOL edit) = 0;
    virtual HRESULT Rebuilt() = 0;
    virtual HRESULT E_ItemEdited(USHORT item, VARIANT data) = 0;
    virtual HRESULT GetItemChangedMsg(ULONG* message) = 0;
    virtual HRESULT SetNotifyWnd(LONG window) = 0;
    virtual HRESULT GetItemEditedString(USHORT item, BSTR* text) = 0;
    virtual HRESULT SetItemEditReadOnly(USHORT item, VARIANT_BOOL readOnly) = 0;

protected:
    ~IValuegridCtrl() = default;
};
