#include "control_container.h"

#include <algorithm>

#include "helm/afx/CWinApp.h"
#include "helm/kernel/trace.h"

namespace helm::afx {

using helm::com::ComPtr;

// Receives one control's events for a window's map.
class EventSink final : public helm::com::Object<helm::com::WithoutTypeInfo<IDispatch>> {
public:
    EventSink(CCmdTarget& target, UINT id, const IID& events) : m_target(&target), m_id(id), m_events(events) {}

    // The window is going: events that still arrive reach nothing.
    void forget_target() { m_target = nullptr; }

    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   UINT* argError) override
    {
        for (const AFX_EVENTSINKMAP* map = m_target ? m_target->GetEventSinkMap() : nullptr; map;
             map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
            for (const AFX_EVENTSINKMAP_ENTRY* entry = map->lpEntries; entry->pfn; ++entry) {
                if (entry->nCtlID != m_id || entry->dispid != dispid)
                    continue;
                // The arguments converted to the listed types, as a call to
                // a control's member would be.
                std::vector<VARTYPE> types;
                for (const BYTE* code = entry->pbParams; code && *code; ++code)
                    types.push_back(vts_type(*code));
                const helm::com::MemberShape shape{dispid, DISPATCH_METHOD, "", &types, VT_EMPTY};
                Call call{entry, m_target};
                size_t chosen = 0;
                HRESULT hr = helm::com::invoke_shape(&shape, 1, dispid, DISPATCH_METHOD, params, result, argError,
                                                     &chosen, &Call::run, &call);
                if (hr != S_FALSE)
                    return hr;
            }
        }
        return S_OK;  // an event nobody handles
    }

private:
    struct Call {
        const AFX_EVENTSINKMAP_ENTRY* entry;
        CCmdTarget* target;
        static HRESULT run(void* context, size_t, helm::com::Arguments& args, VARIANT&)
        {
            auto* c = static_cast<Call*>(context);
            return c->entry->pfn(c->target, args) ? S_OK : S_FALSE;
        }
    };

    void* query_more(REFIID riid) override { return riid == m_events ? static_cast<IDispatch*>(this) : nullptr; }

    CCmdTarget* m_target;
    UINT m_id;
    IID m_events;
};

void ControlDeleter::operator()(ControlSite* site) const { delete site; }
void ControlDeleter::operator()(ControlContainer* container) const { delete container; }

namespace {

bool map_names(const CCmdTarget& target, UINT id)
{
    for (const AFX_EVENTSINKMAP* map = target.GetEventSinkMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
        for (const AFX_EVENTSINKMAP_ENTRY* entry = map->lpEntries; entry->pfn; ++entry)
            if (entry->nCtlID == id)
                return true;
    return false;
}

}  // namespace

ControlContainer::~ControlContainer()
{
    for (Connection& c : m_connections) {
        c.sink->forget_target();
        c.point->Unadvise(c.cookie);
        c.sink->Release();
    }
}

void ControlContainer::connect_hosted(CWnd& host)
{
    for (HWND child = ::GetWindow(host.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ComPtr<IUnknown> control;
        if (SUCCEEDED(AtlAxGetControl(child, control.put())))
            connect(host, control.get(), static_cast<UINT>(::GetDlgCtrlID(child)));
    }
}

void ControlContainer::connect(CWnd& host, IUnknown* control, UINT id)
{
    if (!control || !map_names(host, id))
        return;
    if (!host.m_control_container)
        host.m_control_container.reset(new ControlContainer);
    auto& connections = host.m_control_container->m_connections;
    if (std::any_of(connections.begin(), connections.end(), [&](const Connection& c) { return c.id == id; }))
        return;
    // The control names its event interface; there are no type libraries
    // to read it from.
    ComPtr<IProvideClassInfo2> info;
    ComPtr<IConnectionPointContainer> points;
    control->QueryInterface(IProvideClassInfo2::iid, info.put_void());
    control->QueryInterface(IConnectionPointContainer::iid, points.put_void());
    GUID events = GUID_NULL;
    ComPtr<IConnectionPoint> point;
    if (!info || FAILED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events)) || !points ||
        FAILED(points->FindConnectionPoint(events, point.put()))) {
        helm::kernel::trace("control container: control %u fires no events to connect\n", id);
        return;
    }
    auto* sink = new EventSink(host, id, events);
    DWORD cookie = 0;
    if (FAILED(point->Advise(sink, &cookie))) {
        sink->Release();
        return;
    }
    connections.push_back({id, std::move(point), cookie, sink});
}

}  // namespace helm::afx

using helm::afx::ControlContainer;
using helm::afx::ControlSite;

void AfxEnableControlContainer() { helm::com::enable_control_hosting(); }

BOOL CWnd::CreateControl(REFCLSID clsid, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                         CFile*, BOOL, BSTR)
{
    if (m_hWnd || !parent || !::IsWindow(parent->m_hWnd))
        return FALSE;
    std::unique_ptr<ControlSite, helm::afx::ControlDeleter> site(new ControlSite);
    HWND window = nullptr;
    HRESULT hr = helm::com::create_control_window(clsid, parent->m_hWnd, rect, id, style, 0, IID_IUnknown,
                                                  site->control.put_void(), &window);
    if (FAILED(hr)) {
        helm::kernel::trace("CreateControl: %s not made (0x%08X)\n", helm::com::format_guid(clsid).c_str(),
                            static_cast<unsigned>(hr));
        return FALSE;
    }
    if (!SubclassWindow(window)) {
        ::DestroyWindow(window);
        return FALSE;
    }
    if (windowName && *windowName)
        ::SetWindowText(window, windowName);
    site->dispatch = site->control.query<IDispatch>();
    IUnknown* control = site->control.get();
    m_control_site = std::move(site);
    ControlContainer::connect(*parent, control, id);
    return TRUE;
}

BOOL CWnd::CreateControl(LPCSTR classOrProgId, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                         UINT id, CFile* persist, BOOL storage, BSTR licenseKey)
{
    if (!classOrProgId)
        return FALSE;
    CLSID clsid{};
    if (auto parsed = helm::com::parse_guid(classOrProgId)) {
        clsid = *parsed;
    } else {
        std::u16string name = helm::com::widen(classOrProgId);
        if (FAILED(CLSIDFromProgID(name.c_str(), &clsid))) {
            helm::kernel::trace("CreateControl: no class %s\n", classOrProgId);
            return FALSE;
        }
    }
    return CreateControl(clsid, windowName, style, rect, parent, id, persist, storage, licenseKey);
}

ControlSite* CWnd::control_site() const
{
    if (!m_control_site && m_hWnd) {
        std::unique_ptr<ControlSite, helm::afx::ControlDeleter> site(new ControlSite);
        if (SUCCEEDED(AtlAxGetControl(m_hWnd, site->control.put()))) {
            site->dispatch = site->control.query<IDispatch>();
            m_control_site = std::move(site);
        }
    }
    return m_control_site.get();
}

LPUNKNOWN CWnd::GetControlUnknown()
{
    ControlSite* site = control_site();
    return site ? site->control.get() : nullptr;
}
