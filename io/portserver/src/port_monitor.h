// The port-monitor thread of Portserver's window: a client thread, like any
// other program's, subscribed to the raw block of the port the operator
// selected, that hands that port's raw records to the window for its spy
// view. The window is told with a message that records are waiting and
// takes them; no record travels in a message, so none is lost with a
// message that is never taken.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

#include "helm/portlink/channel_client.h"

namespace helm::portserver {

// One raw record as it arrived on the watched port.
struct MonitoredRecord {
    int port = 0;
    double time_ms = 0;
    SYSTEMTIME local_time{};
    std::string bytes;
};

class PortMonitor {
public:
    // Records not yet taken by the window; beyond, the oldest go.
    static constexpr size_t kMaxWaiting = 256;

    // `notify` is posted to `window` (wParam 0, lParam 0) when records
    // start waiting.
    PortMonitor(HWND window, UINT notify);
    ~PortMonitor();
    PortMonitor(const PortMonitor&) = delete;
    PortMonitor& operator=(const PortMonitor&) = delete;

    // Watches `port` (1 to 37) from now on; 0 watches nothing. Records of
    // the previous port still waiting are dropped.
    void watch(int port);
    // The monitor's thread, which the close request does not count as a
    // client.
    DWORD thread_id() const { return m_thread_id; }
    // Window thread: the records that came since the last call, oldest first.
    std::vector<MonitoredRecord> take();

private:
    static DWORD WINAPI thread_main(LPVOID self);
    void run();
    void follow(sMMF_CLIENT& client, int port);
    void keep(sMMF_CLIENT& client, int port, LPARAM offset);

    const HWND m_window;
    const UINT m_notify;
    HANDLE m_thread = nullptr;
    DWORD m_thread_id = 0;

    std::mutex m_mutex;  // the records waiting, the watched port, the window told
    std::deque<MonitoredRecord> m_waiting;
    int m_port = 0;
    bool m_told = false;  // the window was told and has not taken the records yet
};

}  // namespace helm::portserver
