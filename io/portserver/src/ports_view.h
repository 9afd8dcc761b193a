// What Portserver's window shows: the list of its ports with their state,
// settings and protocol, and the spy view, in which the raw bytes of the
// port selected in the list scroll by as they arrive. The port-monitor
// thread brings them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "port_monitor.h"

namespace helm::portserver {

// A text of Portserver's string table (resource.h), empty when missing.
std::string server_text(UINT id);

class PortsView {
public:
    // Lines the spy view keeps; the oldest go first.
    static constexpr int kSpyLines = 500;

    // One row of the list.
    struct Row {
        int port = 0;
        bool on = false;
        std::string settings;
        std::string protocol;
    };

    // Makes the list and the spy view in `parent` and starts the monitor,
    // which tells `parent` with `recordsMessage` that records wait.
    bool create(HWND parent, UINT recordsMessage);
    // Stops the monitor before the window goes.
    void destroy();

    // Fills the list; the selected port stays selected, else the first row
    // is, and the monitor follows the selection.
    void show_ports(const std::vector<Row>& rows);
    // The parent's WM_SIZE. A minimised window shows nothing, so the
    // monitor watches no port until it is restored.
    void layout(bool minimised);
    // The parent's WM_NOTIFY; true when it was the list's.
    bool on_notify(const NMHDR& header);
    // The parent's records message: the waiting records go to the spy view.
    void show_records();

    // 0 when no port is selected.
    int selected_port() const { return m_selected_port; }
    DWORD monitor_thread() const { return m_monitor ? m_monitor->thread_id() : 0; }
    HWND list() const { return m_list; }
    HWND spy() const { return m_spy; }

    // A record's line: local time, then the bytes, with CR, LF and other
    // control bytes written as <CR>, <LF>, <xx>.
    static std::string spy_line(const MonitoredRecord& record);

private:
    void select_port(int port);
    // The monitor watches the selected port, or none while minimised.
    void follow();

    HWND m_parent = nullptr;
    HWND m_list = nullptr;
    HWND m_spy = nullptr;
    std::unique_ptr<PortMonitor> m_monitor;
    int m_selected_port = 0;
    int m_watched_port = 0;
    bool m_minimised = false;
};

}  // namespace helm::portserver
