// Two small controls for the tests of the component layer. The test
// control: a list of rows like a value grid's, a few properties, outputs
// through references, one event, a window painted in one colour. Every
// call, and the window messages that matter to hosting, are written to a
// journal that the tests read. The test panel: a composite control whose
// own dialog hosts a test control, which it calls through its dual
// interface, as the gauges call their plots.
#pragma once

#include <windows.h>

#include "helm/com/control.h"

inline constexpr CLSID CLSID_TestControl = {
    0x45E1B16F, 0x9128, 0x4BEF, {0x80, 0x29, 0x10, 0x75, 0x63, 0x71, 0xC1, 0xED}};
inline constexpr IID DIID_ITestControlEvents = {
    0x2B631412, 0x4A51, 0x4105, {0x8E, 0x7D, 0x6B, 0x51, 0x04, 0xB4, 0x02, 0x49}};
inline constexpr const char* test_control_prog_id = "HelmTest.TestControl.1";
inline constexpr const char* test_control_independent_prog_id = "HelmTest.TestControl";
// What the control's window paints.
inline constexpr COLORREF test_control_colour = RGB(0x20, 0x80, 0x40);

enum TestControlDispid : DISPID {
    dispid_add_item = 1,
    dispid_set_item_value = 2,
    dispid_get_item_text = 3,
    dispid_scale = 4,
    dispid_caption = 5,
    dispid_flag = 6,
    dispid_stamp = 7,
    dispid_get_range = 8,
    dispid_fire = 9,
    dispid_set_numbers = 10,
    dispid_journal = 11,
};
// Event ids of the event interface: (double, double, unsigned long).
enum TestControlEventDispid : DISPID { dispid_selection_changed = 1 };

// The dual interface, in the order of its dispatch ids (a property's get
// before its put).
struct ITestControl : IDispatch {
    static constexpr IID iid = {0xFA9A62C2, 0xF76A, 0x493D, {0xB4, 0x2B, 0x3A, 0x34, 0x9D, 0x61, 0x72, 0xA1}};
    using base_interface = IDispatch;

    virtual HRESULT AddItem(USHORT* row, char* label, char* value, char* unit, USHORT digits, double max, double min,
                            VARIANT_BOOL bounded, VARIANT_BOOL editable) = 0;
    virtual HRESULT SetItemValue(USHORT row, char* value) = 0;
    // Copies the row's value with its zero into `buffer` (201 bytes).
    virtual HRESULT GetItemText(USHORT row, char* buffer) = 0;
    virtual HRESULT get_Scale(ULONG mask, double* value) = 0;  // S_FALSE when no bit of a row is set
    virtual HRESULT put_Scale(ULONG mask, double value) = 0;
    virtual HRESULT get_Caption(BSTR* value) = 0;
    virtual HRESULT put_Caption(BSTR value) = 0;
    virtual HRESULT get_Flag(VARIANT_BOOL* value) = 0;
    virtual HRESULT put_Flag(VARIANT_BOOL value) = 0;  // true only for VARIANT_TRUE
    virtual HRESULT Stamp(DATE when, VARIANT* any) = 0;
    virtual HRESULT GetRange(double* low, double* high) = 0;
    virtual HRESULT Fire(ULONG samples) = 0;  // fires the event with (low, high, samples)
    virtual HRESULT SetNumbers(SHORT i2, USHORT ui2, LONG i4, ULONG ui4, FLOAT r4) = 0;
    virtual HRESULT get_Journal(BSTR* value) = 0;

protected:
    ~ITestControl() = default;
};

inline constexpr CLSID CLSID_TestPanel = {
    0x7C0B7E55, 0x3B1D, 0x4F0A, {0x9E, 0x44, 0x51, 0x2A, 0x8D, 0x6C, 0x0F, 0x93}};
inline constexpr const char* test_panel_prog_id = "HelmTest.TestPanel.1";
// The panel's dialog template, and its item that hosts a test control.
inline constexpr UINT test_panel_dialog = 105;
inline constexpr int test_panel_inner_item = 201;

enum TestPanelDispid : DISPID {
    dispid_panel_add_row = 1,
    dispid_panel_inner_ready = 2,
};

struct ITestPanel : IDispatch {
    static constexpr IID iid = {0x0D7F3A21, 0x6C55, 0x4B8E, {0xA1, 0x3F, 0x7E, 0x90, 0x2C, 0x44, 0x19, 0xB6}};
    using base_interface = IDispatch;

    // Adds a row with this label to the hosted test control.
    virtual HRESULT AddRow(char* label) = 0;
    // Whether the panel found its hosted control when its dialog opened.
    virtual HRESULT get_InnerReady(VARIANT_BOOL* ready) = 0;

protected:
    ~ITestPanel() = default;
};
