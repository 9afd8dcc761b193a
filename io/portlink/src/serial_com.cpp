#include "helm/portlink/serial_com.h"

#include <cstring>

#include <windows.h>

#include "helm/portlink/channel_client.h"
#include "helm/portlink/server_client.h"

namespace {

constexpr DWORD kStartWaitMs = 5000;

}  // namespace

UINT CZQOSerialCom::F_GetMsg_Out_ParsedData()
{
    static const UINT message = RegisterWindowMessage("ZQO_ZQOSERIALCOM_OUT_PARSED_DATA");
    return message;
}

UINT CZQOSerialCom::F_GetMsg_Out_RawData()
{
    static const UINT message = RegisterWindowMessage("ZQO_ZQOSERIALCOM_OUT_RAW_DATA");
    return message;
}

UINT CZQOSerialCom::F_GetMsg_Transmit()
{
    static const UINT message = RegisterWindowMessage("ZQO_ZQOSERIALCOM_TRANSMIT");
    return message;
}

CZQOSerialCom::~CZQOSerialCom() { F_Stop(); }

int CZQOSerialCom::F_Start(int port)
{
    if (m_thread)
        return 0;
    m_client = sMMF_CLIENT{};
    if (F_OpenSerialMMF(&m_client, port) != 1) {
        F_CloseSerialMMF(&m_client);
        return 0;
    }
    m_ready = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    m_thread = m_ready ? CreateThread(nullptr, 0, thread_main, this, 0, &m_thread_id) : nullptr;
    if (m_thread)
        WaitForSingleObject(m_ready, kStartWaitMs);
    if (!m_connected) {
        F_Stop();
        F_CloseSerialMMF(&m_client);
        return 0;
    }
    return 1;
}

int CZQOSerialCom::F_Stop()
{
    const bool running = m_thread != nullptr;
    if (running) {
        PostThreadMessage(m_thread_id, WM_QUIT, 0, 0);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
        m_thread_id = 0;
        F_CloseSerialMMF(&m_client);
    }
    if (m_ready) {
        CloseHandle(m_ready);
        m_ready = nullptr;
    }
    return running ? 1 : 0;
}

int CZQOSerialCom::F_Transmit(const char* text)
{
    if (!text || !m_connected)
        return 0;
    const size_t length = std::strlen(text);
    char* copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
    if (!PostThreadMessage(m_thread_id, F_GetMsg_Transmit(), 0, reinterpret_cast<LPARAM>(copy))) {
        delete[] copy;
        return 0;
    }
    return 1;
}

DWORD WINAPI CZQOSerialCom::thread_main(LPVOID self)
{
    static_cast<CZQOSerialCom*>(self)->run();
    return 0;
}

void CZQOSerialCom::run()
{
    const DWORD self = GetCurrentThreadId();
    const auto& channel = helm::portlink::channel_messages();
    const UINT transmit = F_GetMsg_Transmit();
    m_connected = F_ConnectThreadToMMF(&m_client, self, 2) == 1;
    if (!m_connected)
        F_DisconnectThreadToMMF(&m_client, self);  // a parsed subscription may have been made
    SetEvent(m_ready);
    if (!m_connected)
        return;

    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == transmit) {
            char* text = reinterpret_cast<char*>(msg.lParam);
            F_WriteDataToPort(&m_client, text);
            delete[] text;
            continue;
        }
        const bool parsed = msg.message == channel.new_parsed_data;
        if (!parsed && msg.message != channel.raw_serial_data)
            continue;
        BYTE* record = nullptr;
        const int found = parsed ? F_GetParsedMMFData(&m_client, msg.lParam, &record)
                                 : F_GetRawMMFData(&m_client, msg.lParam, &record);
        if (const HWND notify = m_notify; found == 1 && notify)
            PostMessage(notify, parsed ? F_GetMsg_Out_ParsedData() : F_GetMsg_Out_RawData(), msg.wParam,
                        reinterpret_cast<LPARAM>(record));
    }
    m_connected = false;
    F_DisconnectThreadToMMF(&m_client, self);
    // Texts still queued are freed, not sent.
    while (PeekMessage(&msg, nullptr, transmit, transmit, PM_REMOVE))
        delete[] reinterpret_cast<char*>(msg.lParam);
}
