// ValuegridCtrl: a black panel of rows, each a label on the left, a value
// in the middle and a unit on the right, sized to fit the control. Hosts
// add the rows once, then update values and row states; Rebuilt lays the
// visible rows out. A row's value can be edited in place in a numeric edit
// box; the control then posts its registered item-changed message to the
// window the host chose.
#pragma once

#include <memory>
#include <vector>

#include "afxwin.h"
#include "helm/com/control.h"
#include "valuegrid/Valuegrid.h"
#include "valuegrid/ValuegridRows.h"
#include "ValuegridRowEdit.h"

const helm::com::DispatchTable<IValuegridCtrl>& valuegrid_table();

class ValuegridCtrl final : public helm::com::WindowedControl<IValuegridCtrl, valuegrid_table>, public IValuegridRows {
public:
    ValuegridCtrl();
    ~ValuegridCtrl() override;

    // IUnknown, for both branches of the object.
    HRESULT QueryInterface(REFIID riid, void** object) override { return WindowedControl::QueryInterface(riid, object); }
    ULONG AddRef() override { return WindowedControl::AddRef(); }
    ULONG Release() override { return WindowedControl::Release(); }

    // IValuegridCtrl
    HRESULT AddItem(USHORT* item, char* label, char* value, char* unit, USHORT digits, double valueMax,
                    double valueMin, VARIANT_BOOL bounded, VARIANT_BOOL edit) override;
    HRESULT SetItemValue(USHORT item, char* value) override;
    HRESULT SetItemLabel(USHORT item, char* label) override;
    HRESULT SetItemUnit(USHORT item, char* unit) override;
    HRESULT SetItemVisible(USHORT item, VARIANT_BOOL visible) override;
    HRESULT SetItemState(USHORT item, VARIANT_BOOL state) override;
    HRESULT SetItemEdit(USHORT item, VARIANT_BOOL edit) override;
    HRESULT Rebuilt() override;
    HRESULT E_ItemEdited(USHORT item, VARIANT data) override;
    HRESULT GetItemChangedMsg(ULONG* message) override;
    HRESULT SetNotifyWnd(LONG window) override;
    HRESULT GetItemEditedString(USHORT item, BSTR* text) override;
    HRESULT SetItemEditReadOnly(USHORT item, VARIANT_BOOL readOnly) override;

    // IValuegridRows
    USHORT RowCount() override { return static_cast<USHORT>(m_rows.size()); }
    HRESULT GetRow(USHORT item, ValuegridRow* row) override;
    int FontSize() override { return m_fontSize; }

    // The window.
    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    HRESULT OnDraw(HDC dc, const RECT& bounds) override;

    // An edit box was left or Return was pressed in it: every visible row
    // whose box was modified takes the box's text and is reported to the
    // notify window.
    void P_NotifyEditedItems();

private:
    struct Row {
        explicit Row(ValuegridCtrl& grid) : edit(grid) {}
        ValuegridRowEdit edit;  // bound to the row's EDIT window, when the control had one
        CString edited;
        CString label;
        CRect labelRect;
        CString value;
        CRect valueRect;
        double maximum = 0;
        double minimum = 0;
        bool bounded = false;
        USHORT digits = 10;
        bool state = true;
        CString unit;
        CRect unitRect;
        short number = 0;
        bool visible = true;
        bool editMode = false;
    };

    void* query_more(REFIID riid) override
    {
        return riid == IValuegridRows::iid ? static_cast<IValuegridRows*>(this) : nullptr;
    }
    Row* row(USHORT item) { return item < m_rows.size() ? m_rows[item].get() : nullptr; }
    // Runs `change` on row `item`; E_INVALIDARG, and nothing changed, past
    // the last row.
    template <class Change>
    HRESULT on_row(USHORT item, Change change)
    {
        Row* r = row(item);
        if (!r)
            return E_INVALIDARG;
        change(*r);
        return S_OK;
    }

    std::vector<std::unique_ptr<Row>> m_rows;
    std::vector<Row*> m_visible;  // rebuilt by Rebuilt, in row order
    HFONT m_font = nullptr;
    int m_fontSize = 0;
    HWND m_notify = nullptr;
    UINT m_itemChangedMsg = 0;
    static constexpr int margin = 2;
};
