// The test control's plug-in: class factory, registration entry points,
// the object with its dispatch table, its event point and its window.

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "helm/testcontrol/test_control.h"

using helm::com::Arguments;
using helm::com::ConnectionPoint;
using helm::com::DispatchMember;
using helm::com::DispatchTable;

namespace {

std::atomic<long> live_objects{0};
std::atomic<long> server_locks{0};

const DispatchTable<ITestControl>& test_control_table();

class TestControl final
    : public helm::com::Object<helm::com::DispatchImpl<ITestControl, test_control_table>, IConnectionPointContainer,
                               IControlWindow> {
public:
    TestControl() { ++live_objects; }

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
        return m_events.fire(dispid_selection_changed,
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

    // IConnectionPointContainer
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override
    {
        if (points)
            *points = nullptr;
        return E_NOTIMPL;
    }
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override
    {
        return helm::com::find_connection_point({&m_events}, riid, point);
    }

    // IControlWindow
    HRESULT CreateControlWindow(HWND parent, const RECT& r, UINT id, DWORD style, HWND* window) override
    {
        if (!window)
            return E_POINTER;
        *window = nullptr;
        if (m_window)
            return E_UNEXPECTED;
        if (!register_window_class())
            return E_FAIL;
        m_window = CreateWindowEx(0, test_control_window_class, "", style | WS_CHILD, r.left, r.top,
                                  r.right - r.left, r.bottom - r.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, this);
        *window = m_window;
        return m_window ? S_OK : E_FAIL;
    }
    HWND GetControlWindow() override { return m_window; }

private:
    ~TestControl() override
    {
        if (m_window && IsWindow(m_window))
            DestroyWindow(m_window);
        --live_objects;
    }

    static bool register_window_class()
    {
        static const bool registered = [] {
            WNDCLASS wc{};
            wc.lpfnWndProc = &TestControl::window_procedure;
            wc.hInstance = helm_this_module();
            wc.lpszClassName = test_control_window_class;
            return RegisterClass(&wc) != 0;
        }();
        return registered;
    }

    static LRESULT window_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCT*>(lParam);
            SetWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<TestControl*>(GetWindowLongPtr(window, GWLP_USERDATA));
        if (message == WM_NCDESTROY && self) {
            // The host destroyed the window; the object lives on until released.
            self->m_window = nullptr;
            SetWindowLongPtr(window, GWLP_USERDATA, 0);
        }
        return DefWindowProc(window, message, wParam, lParam);
    }

    template <class... A>
    void note(const char* format, A... args)
    {
        char line[512];
        std::snprintf(line, sizeof line, format, args...);
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
    ConnectionPoint m_events{*this, DIID_ITestControlEvents};
    HWND m_window = nullptr;
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

class Factory final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is one static object: its count only keeps the plug-in busy.
    ULONG AddRef() override { return ULONG(++server_locks); }
    ULONG Release() override { return ULONG(--server_locks); }
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* control = new TestControl;
        HRESULT hr = control->QueryInterface(riid, object);
        control->Release();
        return hr;
    }
    HRESULT LockServer(BOOL lock) override
    {
        lock ? ++server_locks : --server_locks;
        return S_OK;
    }
};

Factory factory;

helm::com::ClassEntry entry()
{
    helm::com::ClassEntry e;
    e.clsid = CLSID_TestControl;
    e.description = "TestControl Class";
    e.prog_id = test_control_prog_id;
    e.version_independent_prog_id = test_control_independent_prog_id;
    e.file = helm::com::module_file(reinterpret_cast<const void*>(&test_control_table));
    e.threading_model = "Apartment";
    e.keys = helm::com::key_programmable | helm::com::key_control | helm::com::key_insertable;
    e.misc_status = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT |
                    OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
    e.toolbox_bitmap = 103;
    e.type_library_version = "1.0";
    return e;
}

}  // namespace

extern "C" {

HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_TestControl)
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, object);
}

HRESULT DllCanUnloadNow() { return live_objects == 0 && server_locks == 0 ? S_OK : S_FALSE; }

HRESULT DllRegisterServer()
{
    helm::com::ClassEntry e = entry();
    if (e.file.empty())
        return SELFREG_E_CLASS;
    return SUCCEEDED(helm::com::register_classes({&e, 1})) ? S_OK : SELFREG_E_CLASS;
}

HRESULT DllUnregisterServer()
{
    CLSID id = CLSID_TestControl;
    return SUCCEEDED(helm::com::unregister_classes({&id, 1})) ? S_OK : SELFREG_E_CLASS;
}

}  // extern "C"
