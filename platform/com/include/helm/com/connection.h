// Events: a source object keeps one connection point per event interface;
// a host advises its sink there and gets a cookie back, which unadvises it.
// Firing calls Invoke on every sink in the order they connected.
#pragma once

#include <vector>

#include "helm/com/dispatch.h"

struct IConnectionPointContainer;
struct IEnumConnections;
struct IEnumConnectionPoints;

struct IConnectionPoint : IUnknown {
    static constexpr IID iid = {0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
    virtual HRESULT GetConnectionInterface(IID* iid) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;
    virtual HRESULT EnumConnections(IEnumConnections** connections) = 0;

protected:
    ~IConnectionPoint() = default;
};
inline constexpr IID IID_IConnectionPoint = IConnectionPoint::iid;

struct IConnectionPointContainer : IUnknown {
    static constexpr IID iid = {0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
    virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) = 0;
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};
inline constexpr IID IID_IConnectionPointContainer = IConnectionPointContainer::iid;

// How a host learns which event interface a control fires (there are no
// type libraries to read it from): GetGUID with
// GUIDKIND_DEFAULT_SOURCE_DISP_IID.
struct IProvideClassInfo : IUnknown {
    static constexpr IID iid = {0xB196B283, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
    using base_interface = IUnknown;
    // No type information: E_NOTIMPL.
    virtual HRESULT GetClassInfo(ITypeInfo** info) = 0;

protected:
    ~IProvideClassInfo() = default;
};
#define GUIDKIND_DEFAULT_SOURCE_DISP_IID 1
struct IProvideClassInfo2 : IProvideClassInfo {
    static constexpr IID iid = {0xA6BC3AC0, 0xDBAA, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
    using base_interface = IProvideClassInfo;
    virtual HRESULT GetGUID(DWORD kind, GUID* guid) = 0;

protected:
    ~IProvideClassInfo2() = default;
};
inline constexpr IID IID_IProvideClassInfo = IProvideClassInfo::iid;
inline constexpr IID IID_IProvideClassInfo2 = IProvideClassInfo2::iid;

// Host side: connects `sink` to the point of `events` on `source`.
HRESULT AtlAdvise(IUnknown* source, IUnknown* sink, REFIID events, DWORD* cookie);
HRESULT AtlUnadvise(IUnknown* source, REFIID events, DWORD cookie);

namespace helm::com {

// A connection point that lives inside its source object and shares the
// object's reference count. A sink must answer the event interface or
// IDispatch (CONNECT_E_CANNOTCONNECT otherwise); it is held until
// unadvised or until the point goes. Cookies start at 1 and are never
// reused by one point.
class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer& owner, const IID& events) : m_owner(owner), m_events(events) {}
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return m_owner.AddRef(); }
    ULONG Release() override { return m_owner.Release(); }
    HRESULT GetConnectionInterface(IID* iid) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT Unadvise(DWORD cookie) override;
    HRESULT EnumConnections(IEnumConnections** connections) override;

    const IID& events() const { return m_events; }
    size_t connections() const { return m_sinks.size(); }
    // Calls every sink with DISPATCH_METHOD, locale 0x400 and the arguments
    // (left to right). A sink that unadvises, or advises another, during the
    // firing does not disturb it. The result is the last sink's; S_OK when
    // none is connected.
    HRESULT fire(DISPID id, std::initializer_list<VARIANT> args);

private:
    struct Sink {
        DWORD cookie;
        IDispatch* dispatch;
    };
    IConnectionPointContainer& m_owner;
    IID m_events;
    std::vector<Sink> m_sinks;
    DWORD m_next_cookie = 1;
};

// FindConnectionPoint for a source with the given points.
HRESULT find_connection_point(std::initializer_list<ConnectionPoint*> points, REFIID riid,
                              IConnectionPoint** point);

}  // namespace helm::com
