// What the value grid holds and where it lays its rows out, read by tests
// through the real control (QueryInterface for IValuegridRows): hosts
// reach the grid only through IValuegridCtrl.
#pragma once

#include <windows.h>

#include <string>

struct ValuegridRow {
    std::string label, value, unit;
    std::string edited;  // the text last read from the edit box
    double maximum = 0, minimum = 0;
    bool bounded = false;
    USHORT digits = 0;
    bool state = true;
    bool visible = true;
    bool edit_mode = false;
    RECT label_rect{}, value_rect{}, unit_rect{};
    HWND edit = nullptr;  // the row's edit box
};

struct IValuegridRows : IUnknown {
    static constexpr IID iid = {0x6D0B2F4A, 0x8C31, 0x4E7B, {0x9A, 0x15, 0x3E, 0x5C, 0x70, 0xB2, 0x41, 0xD8}};
    using base_interface = IUnknown;

    virtual USHORT RowCount() = 0;
    // E_INVALIDARG past the last row.
    virtual HRESULT GetRow(USHORT item, ValuegridRow* row) = 0;
    // The row font's height in pixels (0 before the first Rebuilt).
    virtual int FontSize() = 0;

protected:
    ~IValuegridRows() = default;
};
