// The test plug-in: its two classes, their dispatch tables, and the
// entry points, all through the layer's bases.

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "helm/com/control.h"
#include "helm/testcontrol/test_control.h"

using helm::com::Arguments;
using helm::com::ComPtr;
using helm::com::DispatchMember;
using helm::com::DispatchTable;

namespace {

const DispatchTable<ITestControl>& test_control_table();
const DispatchTable<ITestPanel>& test_panel_table();

class TestControl final : public helm::com::WindowedControl<ITestControl, test_control_table> {
public:
    TestControl() : WindowedControl(DIID_ITestControlEvents) {}

    // ITestControl
    HRESULT AddItem(USHORT* row, char* label, char* value, char* unit, USHORT digits, double max, double min,
                    VARIANT_BOOL bounded, VARIANT_BOOL editable) override
    {
        if (!row || !label || !value || !unit)
            return E_POINTER;
        m_rows.push_back({label, editable ? "" : value, 1.0});
        *row = USHORT(m_rows.size() - 1);
        note("AddItem(%s,%s,%s,%u,%g,%g,%d,%d)=%u", label, value, unit, digits, max, min, bounded, editable, *row);
        return S_OK;
    }
    HRESULT SetItemValue(USHORT row, char* value) override
    {
        if (row >= m_rows.size())
            return E_INVALIDARG;
        if (!value)
            return E_POINTER;
        m_rows[row].value = value;
        note("SetItemValue(%u,%s)", row, value);
        return S_OK;
    }
    HRESULT GetItemText(USHORT row, char* buffer) override
    {
        if (row >= m_rows.size())
            return E_INVALIDARG;
        if (!buffer)
            return E_POINTER;
        std::snprintf(buffer, 201, "%s", m_rows[row].value.c_str());
        return S_OK;
    }
    HRESULT get_Scale(ULONG mask, double* value) override
    {
        if (!value)
            return E_POINTER;
        for (size_t i = 0; i < m_rows.size() && i < 32; ++i)
            if (mask & (1u << i)) {
                *value = m_rows[i].scale;
                return S_OK;
            }
        return S_FALSE;
    }
    HRESULT put_Scale(ULONG mask, double value) override
    {
        for (size_t i = 0; i < m_rows.size() && i < 32; ++i)
            if (mask & (1u << i))
                m_rows[i].scale = value;
        note("Scale(%lX)=%g", static_cast<unsigned long>(mask), value);
        return S_OK;
    }
    HRESULT get_Caption(BSTR* value) override
    {
        if (!value)
            return E_POINTER;
        *value = SysAllocStringLen(m_caption.data(), UINT(m_caption.size()));
        return *value ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT put_Caption(BSTR value) override
    {
        m_caption = helm::com::view(value);
        note("Caption=%s", helm::com::text_from_bstr(value).c_str());
        return S_OK;
    }
    HRESULT get_Flag(VARIANT_BOOL* value) override
    {
        if (!value)
            return E_POINTER;
        *value = m_flag ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT put_Flag(VARIANT_BOOL value) override
    {
        m_flag = value == VARIANT_TRUE;
        note("Flag=%d", value);
        return S_OK;
    }
    HRESULT Stamp(DATE when, VARIANT* any) override
    {
        helm::com::Bstr text;
        VarBstrFromDate(when, LOCALE_USER_DEFAULT, 0, text.put());
        note("Stamp(%s,vt=%u)", text.text().c_str(), any ? any->vt : 0xFFFF);
        return S_OK;
    }
    HRESULT GetRange(double* low, double* high) override
    {
        if (!low || !high)
            return E_POINTER;
        *low = m_low;
        *high = m_high;
        return S_OK;
    }
    HRESULT Fire(ULONG samples) override
    {
        return fire(dispid_selection_changed,
                    {helm::com::arg_r8(m_low), helm::com::arg_r8(m_high), helm::com::arg_ui4(samples)});
    }
    HRESULT SetNumbers(SHORT i2, USHORT ui2, LONG i4, ULONG ui4, FLOAT r4) override
    {
        note("SetNumbers(%d,%u,%ld,%lu,%g)", i2, ui2, static_cast<long>(i4), static_cast<unsigned long>(ui4),
             double(r4));
        m_low = i4;
        m_high = r4;
        return S_OK;
    }
    HRESULT get_Journal(BSTR* value) override
    {
        if (!value)
            return E_POINTER;
        *value = helm::com::bstr_from_text(m_journal);
        return *value ? S_OK : E_OUTOFMEMORY;
    }

    // The window: painted in one colour; what hosting does to it noted.
    BOOL ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM lParam, LRESULT& result) override
    {
        switch (message) {
        case WM_SIZE:
            note("size(%d,%d)", LOWORD(lParam), HIWORD(lParam));
            return FALSE;
        case WM_SETFOCUS:
            note("focus");
            return FALSE;
        case WM_KILLFOCUS:
            note("unfocus");
            return FALSE;
        case WM_LBUTTONDOWN:
            note("press(%d,%d)", static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
            return FALSE;  // the default handling takes the focus
        case WM_ERASEBKGND:
            result = 1;  // OnDraw covers everything
            return TRUE;
        default:
            return FALSE;
        }
    }
    HRESULT OnDraw(HDC dc, const RECT& bounds) override
    {
        HBRUSH brush = CreateSolidBrush(test_control_colour);
        FillRect(dc, &bounds, brush);
        DeleteObject(brush);
        return S_OK;
    }

private:
    [[gnu::format(printf, 2, 3)]] void note(const char* format, ...)
    {
        char line[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        m_journal += line;
        m_journal += '\n';
    }

    struct Row {
        std::string label;
        std::string value;
        double scale;
    };
    std::vector<Row> m_rows;
    std::u16string m_caption = u"Test";
    bool m_flag = false;
    double m_low = 0.5;
    double m_high = 20.0;
    std::string m_journal;
};

// The panel: its dialog hosts a test control in item 201, which it keeps
// to the dialog's size and calls directly.
class TestPanel final : public helm::com::CompositeControl<ITestPanel, test_panel_table> {
public:
    TestPanel() : CompositeControl(IID_NULL, helm_this_module(), test_panel_dialog) {}

    HRESULT AddRow(char* label) override
    {
        if (!m_inner)
            return E_FAIL;
        USHORT row = 0;
        char value[] = "---", unit[] = " ";
        return m_inner->AddItem(&row, label, value, unit, 20, 0, 0, VARIANT_FALSE, VARIANT_FALSE);
    }
    HRESULT get_InnerReady(VARIANT_BOOL* ready) override
    {
        if (!ready)
            return E_POINTER;
        *ready = m_inner ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    BOOL ProcessWindowMessage(HWND dialog, UINT message, WPARAM, LPARAM lParam, LRESULT& result) override
    {
        switch (message) {
        case WM_INITDIALOG:
            GetDlgControl(test_panel_inner_item, ITestControl::iid, reinterpret_cast<void**>(m_inner.put()));
            result = FALSE;
            return TRUE;
        case WM_SIZE:
            if (HWND inner = GetDlgItem(dialog, test_panel_inner_item))
                MoveWindow(inner, 4, 4, LOWORD(lParam) - 8, HIWORD(lParam) - 8, TRUE);
            return TRUE;
        default:
            return FALSE;
        }
    }

private:
    void FinalRelease() override
    {
        m_inner.reset();
        CompositeControl::FinalRelease();
    }

    ComPtr<ITestControl> m_inner;
};

// Declared parameter types, left to right; each row forwards to the
// interface method of the same id.
const DispatchTable<ITestControl>& test_control_table()
{
    using M = DispatchMember<ITestControl>;
    static const DispatchTable<ITestControl> table({
        M{dispid_add_item, DISPATCH_METHOD, "AddItem",
          {VT_UI2 | VT_BYREF, VT_I1 | VT_BYREF, VT_I1 | VT_BYREF, VT_I1 | VT_BYREF, VT_UI2, VT_R8, VT_R8, VT_BOOL,
           VT_BOOL},
          VT_EMPTY,
          [](ITestControl& c, Arguments& a, VARIANT&) {
              return c.AddItem(a.ref<USHORT>(0), a.text(1), a.text(2), a.text(3), a.ui2(4), a.r8(5), a.r8(6),
                               a.boolean(7), a.boolean(8));
          }},
        M{dispid_set_item_value, DISPATCH_METHOD, "SetItemValue", {VT_UI2, VT_I1 | VT_BYREF}, VT_EMPTY,
          [](ITestControl& c, Arguments& a, VARIANT&) { return c.SetItemValue(a.ui2(0), a.text(1)); }},
        M{dispid_get_item_text, DISPATCH_METHOD, "GetItemText", {VT_UI2, VT_I1 | VT_BYREF}, VT_EMPTY,
          [](ITestControl& c, Arguments& a, VARIANT&) { return c.GetItemText(a.ui2(0), a.text(1)); }},
        M{dispid_scale, DISPATCH_PROPERTYGET, "Scale", {VT_UI4}, VT_R8,
          [](ITestControl& c, Arguments& a, VARIANT& r) {
              r.vt = VT_R8;
              return c.get_Scale(a.ui4(0), &r.dblVal);
          }},
        M{dispid_scale, DISPATCH_PROPERTYPUT, "Scale", {VT_UI4, VT_R8}, VT_EMPTY,
          [](ITestControl& c, Arguments& a, VARIANT&) { return c.put_Scale(a.ui4(0), a.r8(1)); }},
        M{dispid_caption, DISPATCH_PROPERTYGET, "Caption", {}, VT_BSTR,
          [](ITestControl& c, Arguments&, VARIANT& r) {
              HRESULT hr = c.get_Caption(&r.bstrVal);
              if (SUCCEEDED(hr))
                  r.vt = VT_BSTR;
              return hr;
          }},
        M{dispid_caption, DISPATCH_PROPERTYPUT, "Caption", {VT_BSTR}, VT_EMPTY,
          [](ITestControl& c, Arguments& a, VARIANT&) { return c.put_Caption(a.bstr(0)); }},
        M{dispid_flag, DISPATCH_PROPERTYGET, "Flag", {}, VT_BOOL,
          [](ITestControl& c, Arguments&, VARIANT& r) {
              r.vt = VT_BOOL;
              return c.get_Flag(&r.boolVal);
          }},
        M{dispid_flag, DISPATCH_PROPERTYPUT, "Flag", {VT_BOOL}, VT_EMPTY,
          [](ITestControl& c, Arguments& a, VARIANT&) { return c.put_Flag(a.boolean(0)); }},
        M{dispid_stamp, DISPATCH_METHOD, "Stamp", {VT_DATE, VT_VARIANT}, VT_EMPTY,
          [](ITestControl& c, Arguments& a, VARIANT&) { return c.Stamp(a.date(0), a.variant(1)); }},
        M{dispid_get_range, DISPATCH_METHOD, "GetRange", {VT_R8 | VT_BYREF, VT_R8 | VT_BYREF}, VT_EMPTY,
          [](ITestControl& c, Arguments& a, VARIANT&) { return c.GetRange(a.ref<double>(0), a.ref<double>(1)); }},
        M{dispid_fire, DISPATCH_METHOD, "Fire", {VT_UI4}, VT_EMPTY,
          [](ITestControl& c, Arguments& a, VARIANT&) { return c.Fire(a.ui4(0)); }},
        M{dispid_set_numbers, DISPATCH_METHOD, "SetNumbers", {VT_I2, VT_UI2, VT_I4, VT_UI4, VT_R4}, VT_EMPTY,
          [](ITestControl& c, Arguments& a, VARIANT&) {
              return c.SetNumbers(a.i2(0), a.ui2(1), a.i4(2), a.ui4(3), a.r4(4));
          }},
        M{dispid_journal, DISPATCH_PROPERTYGET, "Journal", {}, VT_BSTR,
          [](ITestControl& c, Arguments&, VARIANT& r) {
              HRESULT hr = c.get_Journal(&r.bstrVal);
              if (SUCCEEDED(hr))
                  r.vt = VT_BSTR;
              return hr;
          }},
    });
    return table;
}

const DispatchTable<ITestPanel>& test_panel_table()
{
    using M = DispatchMember<ITestPanel>;
    static const DispatchTable<ITestPanel> table({
        M{dispid_panel_add_row, DISPATCH_METHOD, "AddRow", {VT_I1 | VT_BYREF}, VT_EMPTY,
          [](ITestPanel& c, Arguments& a, VARIANT&) { return c.AddRow(a.text(0)); }},
        M{dispid_panel_inner_ready, DISPATCH_PROPERTYGET, "InnerReady", {}, VT_BOOL,
          [](ITestPanel& c, Arguments&, VARIANT& r) {
              r.vt = VT_BOOL;
              return c.get_InnerReady(&r.boolVal);
          }},
    });
    return table;
}

helm::com::Server server({
    {helm::com::control_registration(CLSID_TestControl, "TestControl Class", test_control_prog_id,
                                     test_control_independent_prog_id),
     &helm::com::Server::create<TestControl>},
    {helm::com::control_registration(CLSID_TestPanel, "TestPanel Class", test_panel_prog_id, "HelmTest.TestPanel"),
     &helm::com::Server::create<TestPanel>},
});

}  // namespace

HELM_COM_PLUGIN_ENTRY_POINTS(server)
