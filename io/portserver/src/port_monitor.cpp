#include "port_monitor.h"

#include <cstring>

namespace helm::portserver {

namespace {

// Thread messages of the monitor: watch another port (wParam), end.
constexpr UINT kWatch = WM_APP + 1;
constexpr UINT kEnd = WM_APP + 2;

}  // namespace

PortMonitor::PortMonitor(HWND window, UINT notify) : m_window(window), m_notify(notify)
{
    m_thread = CreateThread(nullptr, 0, thread_main, this, 0, &m_thread_id);
}

PortMonitor::~PortMonitor()
{
    if (!m_thread)
        return;
    PostThreadMessage(m_thread_id, kEnd, 0, 0);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
}

void PortMonitor::watch(int port)
{
    {
        std::lock_guard lock(m_mutex);
        m_port = port;
        m_waiting.clear();
    }
    PostThreadMessage(m_thread_id, kWatch, static_cast<WPARAM>(port), 0);
}

std::vector<MonitoredRecord> PortMonitor::take()
{
    std::lock_guard lock(m_mutex);
    m_told = false;
    std::vector<MonitoredRecord> records(std::make_move_iterator(m_waiting.begin()),
                                         std::make_move_iterator(m_waiting.end()));
    m_waiting.clear();
    return records;
}

DWORD WINAPI PortMonitor::thread_main(LPVOID self)
{
    static_cast<PortMonitor*>(self)->run();
    return 0;
}

void PortMonitor::follow(sMMF_CLIENT& client, int port)
{
    if (client.port != 0) {
        F_DisconnectThreadToMMF(&client, GetCurrentThreadId());
        F_CloseSerialMMF(&client);
    }
    client = sMMF_CLIENT{};
    // A port whose blocks do not exist (not present, server closing) is
    // simply not watched.
    if (port != 0 && (F_OpenSerialMMF(&client, port) != 1 || F_ConnectThreadToMMF(&client, GetCurrentThreadId(), 1) != 1)) {
        F_CloseSerialMMF(&client);
        client = sMMF_CLIENT{};
    }
}

void PortMonitor::keep(sMMF_CLIENT& client, int port, LPARAM offset)
{
    BYTE* record = nullptr;
    if (F_GetRawMMFData(&client, offset, &record) != 1 || !record)
        return;
    sRAW_RECORD head;
    std::memcpy(&head, record, sizeof head);
    MonitoredRecord kept;
    kept.port = port;
    kept.time_ms = head.time_stamp_ms;
    kept.local_time = head.local_time;
    kept.bytes.assign(reinterpret_cast<const char*>(record) + RAW_RECORD_HEAD_SIZE, head.length);
    {
        std::lock_guard lock(m_mutex);
        if (port != m_port)
            return;  // a record of the port watched before
        if (m_waiting.size() >= kMaxWaiting)
            m_waiting.pop_front();
        m_waiting.push_back(std::move(kept));
        if (m_told)
            return;
        m_told = true;
    }
    if (!PostMessage(m_window, m_notify, 0, 0)) {
        std::lock_guard lock(m_mutex);
        m_told = false;  // told with the next record
    }
}

void PortMonitor::run()
{
    const UINT raw = portlink::channel_messages().raw_serial_data;
    sMMF_CLIENT client{};
    int port = 0;
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kEnd)
            break;
        if (msg.message == kWatch) {
            port = static_cast<int>(msg.wParam);
            follow(client, port);
        } else if (msg.message == raw && port != 0 && msg.wParam == static_cast<WPARAM>(port)) {
            keep(client, port, msg.lParam);
        }
    }
    follow(client, 0);
}

}  // namespace helm::portserver
