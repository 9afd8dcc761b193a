// CZQOSerialCom: a client of one port through Portserver with a thread of
// its own. The thread subscribes to both blocks of the port and forwards
// each new record to a notify window; text given to F_Transmit is sent to
// the port from that thread.
#pragma once

#include <atomic>

#include "helm/portlink/channel_memory.h"

class CZQOSerialCom {
public:
    CZQOSerialCom() = default;
    ~CZQOSerialCom();  // stops
    CZQOSerialCom(const CZQOSerialCom&) = delete;
    CZQOSerialCom& operator=(const CZQOSerialCom&) = delete;

    // Opens the port's blocks and starts the thread, which subscribes to
    // both. 1 once it is subscribed; 0 (nothing left open) when the port
    // has no blocks, the thread cannot subscribe, or it already runs.
    int F_Start(int port);
    // The thread leaves both lists and ends, and the blocks are closed.
    // 1 when it was running.
    int F_Stop();
    // Posts a copy of `text` to the thread, which writes it to the port
    // (F_WriteDataToPort). 1 when posted; 0 when not running, the text is
    // null, or the thread's queue is full.
    int F_Transmit(const char* text);

    // The window that gets "ZQO_ZQOSERIALCOM_OUT_PARSED_DATA" and
    // "ZQO_ZQOSERIALCOM_OUT_RAW_DATA" (wParam the port, lParam the record in
    // the block, to be read before the ring comes round); null: nobody.
    void F_NotifyMe(HWND window) { m_notify = window; }
    HWND F_GetNotify() const { return m_notify; }
    // The thread runs and is subscribed.
    bool F_GetConnected() const { return m_connected; }

    static UINT F_GetMsg_Out_ParsedData();
    static UINT F_GetMsg_Out_RawData();
    static UINT F_GetMsg_Transmit();

private:
    static DWORD WINAPI thread_main(LPVOID self);
    void run();

    sMMF_CLIENT m_client{};
    HANDLE m_thread = nullptr;
    DWORD m_thread_id = 0;
    HANDLE m_ready = nullptr;  // set once the thread has tried to subscribe
    std::atomic<HWND> m_notify{nullptr};
    std::atomic<bool> m_connected{false};
};
