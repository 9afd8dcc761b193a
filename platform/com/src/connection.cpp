#include "helm/com/connection.h"

#include <algorithm>

namespace helm::com {

ConnectionPoint::~ConnectionPoint()
{
    for (auto& s : m_sinks)
        s.dispatch->Release();
}

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid)
        return E_POINTER;
    *iid = m_events;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (!container)
        return E_POINTER;
    *container = &m_owner;
    m_owner.AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    void* events = nullptr;
    if (FAILED(sink->QueryInterface(m_events, &events)) || !events) {
        if (FAILED(sink->QueryInterface(IID_IDispatch, &events)) || !events)
            return CONNECT_E_CANNOTCONNECT;
    }
    // Event interfaces are dispatch interfaces: whichever answered is one.
    m_sinks.push_back({m_next_cookie, static_cast<IDispatch*>(events)});
    *cookie = m_next_cookie++;
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie)
{
    auto it = std::find_if(m_sinks.begin(), m_sinks.end(), [&](const Sink& s) { return s.cookie == cookie; });
    if (it == m_sinks.end())
        return CONNECT_E_NOCONNECTION;
    IDispatch* d = it->dispatch;
    m_sinks.erase(it);
    d->Release();
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** connections)
{
    if (connections)
        *connections = nullptr;
    return E_NOTIMPL;
}

HRESULT ConnectionPoint::fire(DISPID id, std::initializer_list<VARIANT> args)
{
    // A snapshot with its own references: sinks may come and go meanwhile.
    std::vector<IDispatch*> sinks;
    sinks.reserve(m_sinks.size());
    for (auto& s : m_sinks) {
        s.dispatch->AddRef();
        sinks.push_back(s.dispatch);
    }
    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::reverse(reversed.begin(), reversed.end());
    HRESULT last = S_OK;
    for (IDispatch* d : sinks) {
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, UINT(reversed.size()), 0};
        last = d->Invoke(id, IID_NULL, 0x400, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        d->Release();
    }
    return last;
}

HRESULT find_connection_point(std::initializer_list<ConnectionPoint*> points, REFIID riid, IConnectionPoint** point)
{
    if (!point)
        return E_POINTER;
    *point = nullptr;
    for (ConnectionPoint* p : points) {
        if (p->events() == riid) {
            *point = p;
            p->AddRef();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

}  // namespace helm::com

HRESULT AtlAdvise(IUnknown* source, IUnknown* sink, REFIID events, DWORD* cookie)
{
    if (!source || !cookie)
        return E_INVALIDARG;
    *cookie = 0;
    IConnectionPointContainer* container = nullptr;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (FAILED(hr))
        return hr;
    IConnectionPoint* point = nullptr;
    hr = container->FindConnectionPoint(events, &point);
    container->Release();
    if (FAILED(hr))
        return hr;
    hr = point->Advise(sink, cookie);
    point->Release();
    return hr;
}

HRESULT AtlUnadvise(IUnknown* source, REFIID events, DWORD cookie)
{
    if (!source)
        return E_INVALIDARG;
    IConnectionPointContainer* container = nullptr;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (FAILED(hr))
        return hr;
    IConnectionPoint* point = nullptr;
    hr = container->FindConnectionPoint(events, &point);
    container->Release();
    if (FAILED(hr))
        return hr;
    hr = point->Unadvise(cookie);
    point->Release();
    return hr;
}
