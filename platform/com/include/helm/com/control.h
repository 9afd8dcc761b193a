// Bases for the objects and controls a plug-in serves.
//
// AutomationObject: a dual interface answered through its dispatch table,
// one event interface with its connection point (IProvideClassInfo2 names
// it to hosts), counted by the plug-in's Server.
//
// WindowedControl: an AutomationObject that lives in a child window of the
// layer's control class ("HelmControl"). The window's messages reach
// ProcessWindowMessage; what it leaves goes to the default handling, where
// WM_PAINT draws through OnDraw and a button press takes the focus. The
// control destroys its window when its last reference goes.
//
// CompositeControl: a WindowedControl whose window is a dialog made from a
// template of its own module; the template's class-id items are further
// controls, which GetDlgControl gives. ProcessWindowMessage sees the
// dialog's messages, WM_INITDIALOG included (the dialog's DWLP_USER is the
// control's).
//
//     class ValuegridCtrl final : public helm::com::WindowedControl<IValuegridCtrl, valuegrid_table> {
//     public:
//         ValuegridCtrl() : WindowedControl(DIID__IValuegridCtrlEvents) {}
//         BOOL ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override;
//         HRESULT OnDraw(HDC dc, const RECT& bounds) override;
//         ...
//     };
#pragma once

#include <initializer_list>

#include "helm/com/connection.h"
#include "helm/com/creation.h"
#include "helm/com/hosting.h"
#include "helm/com/server.h"

namespace helm::com {

// The window side of a control, apart from its interfaces.
class ControlWindow {
public:
    // Null while the control has no window.
    HWND m_hWnd = nullptr;

    // The window's messages; TRUE when handled, with `result` the answer.
    virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Draws the control into `bounds` (its client area) on WM_PAINT.
    virtual HRESULT OnDraw(HDC dc, const RECT& bounds);
    // The control's picture changed: its window is repainted.
    void FireViewChange();

protected:
    // A window of the layer's control class.
    ControlWindow() = default;
    // A dialog made from template `dialog_id` of `module`.
    ControlWindow(HINSTANCE module, UINT dialog_id) : m_module(module), m_dialog_id(dialog_id) {}
    virtual ~ControlWindow() = default;
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

    HRESULT make_window(HWND parent, const RECT& rect, UINT id, DWORD style, DWORD ex_style, HWND* window);
    void destroy_window();

private:
    static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK dialog_procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_module = nullptr;
    UINT m_dialog_id = 0;
};

// The window class of windowed controls.
inline constexpr const char* control_window_class = "HelmControl";

template <class Dual, const DispatchTable<Dual>& (*table)(), class... More>
class AutomationObject
    : public Object<DispatchImpl<Dual, table>, IConnectionPointContainer, IProvideClassInfo2, More...>,
      public ServedObject {
public:
    // `events` is the event interface fired (IID_NULL for none).
    explicit AutomationObject(const IID& events = IID_NULL)
        : m_events(static_cast<IConnectionPointContainer&>(*this), events)
    {
    }

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override
    {
        if (points)
            *points = nullptr;
        return E_NOTIMPL;
    }
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override
    {
        if (m_events.events() == IID_NULL) {
            if (point)
                *point = nullptr;
            return point ? CONNECT_E_NOCONNECTION : E_POINTER;
        }
        return find_connection_point({&m_events}, riid, point);
    }
    HRESULT GetClassInfo(ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetGUID(DWORD kind, GUID* guid) override
    {
        if (!guid)
            return E_POINTER;
        *guid = GUID_NULL;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID)
            return E_INVALIDARG;
        if (m_events.events() == IID_NULL)
            return E_NOTIMPL;
        *guid = m_events.events();
        return S_OK;
    }

protected:
    // Fires an event to every connected sink (arguments left to right).
    HRESULT fire(DISPID id, std::initializer_list<VARIANT> args) { return m_events.fire(id, args); }

private:
    ConnectionPoint m_events;
};

template <class Dual, const DispatchTable<Dual>& (*table)()>
class WindowedControl : public AutomationObject<Dual, table, IControlWindow>, public ControlWindow {
public:
    explicit WindowedControl(const IID& events = IID_NULL) : AutomationObject<Dual, table, IControlWindow>(events) {}

    HRESULT CreateControlWindow(HWND parent, const RECT& rect, UINT id, DWORD style, DWORD ex_style,
                                HWND* window) override
    {
        return make_window(parent, rect, id, style, ex_style, window);
    }
    HWND GetControlWindow() override { return m_hWnd; }

protected:
    WindowedControl(const IID& events, HINSTANCE module, UINT dialog_id)
        : AutomationObject<Dual, table, IControlWindow>(events), ControlWindow(module, dialog_id)
    {
    }
    // A derived control that overrides this calls it last.
    void FinalRelease() override { destroy_window(); }
};

template <class Dual, const DispatchTable<Dual>& (*table)()>
class CompositeControl : public WindowedControl<Dual, table> {
public:
    // `module` is the control's own (helm_this_module() in the plug-in).
    CompositeControl(const IID& events, HINSTANCE module, UINT dialog_id)
        : WindowedControl<Dual, table>(events, module, dialog_id)
    {
    }

    // The hosted control of item `id` of the control's dialog, as `riid`.
    HRESULT GetDlgControl(int id, REFIID riid, void** object)
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        ComPtr<IUnknown> control;
        HRESULT hr = AtlAxGetControl(GetDlgItem(this->m_hWnd, id), control.put());
        return SUCCEEDED(hr) ? control->QueryInterface(riid, object) : hr;
    }
};

}  // namespace helm::com
