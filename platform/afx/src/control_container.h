// The class library's side of hosted controls: what a CWnd keeps of the
// control it stands for, and the sinks that bring controls' events to a
// window's event sink map.
#pragma once

#include <vector>

#include "helm/afx/CWnd.h"

namespace helm::afx {

// The control a window is, with a reference.
struct ControlSite {
    helm::com::ComPtr<IUnknown> control;
    helm::com::ComPtr<IDispatch> dispatch;
};

class EventSink;

// One per window whose map has events: a sink advised on each hosted
// control its map names, unadvised when the container goes.
class ControlContainer {
public:
    ControlContainer() = default;
    ~ControlContainer();
    ControlContainer(const ControlContainer&) = delete;
    ControlContainer& operator=(const ControlContainer&) = delete;

    // Connects `host`'s map to every control hosted in its dialog items.
    static void connect_hosted(CWnd& host);
    // Connects `host`'s map to `control` (item `id`) if the map names it.
    static void connect(CWnd& host, IUnknown* control, UINT id);

private:
    struct Connection {
        UINT id;
        helm::com::ComPtr<IConnectionPoint> point;
        DWORD cookie;
        EventSink* sink;
    };
    std::vector<Connection> m_connections;
};

}  // namespace helm::afx
