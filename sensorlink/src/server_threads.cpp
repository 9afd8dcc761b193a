// The link server's two threads: the worker on the sensor's port and the
// relay on the remote-support socket. Each switches its port on, joins the
// port's parsed block and waits on its message queue; the worker decodes
// what arrives and writes the due commands, and the two hand each other the
// texts relayed between the sensor and the tunnel.
#include <afxwin.h>

#include <cstddef>
#include <cstring>

#include "helm/kernel/clock.h"
#include "helm/kernel/files.h"
#include "helm/kernel/station_path.h"
#include "helm/kernel/trace.h"
#include "helm/portlink/channel_client.h"
#include "helm/portlink/server_client.h"
#include "helm/sensorlink/C_Q_Server.h"
#include "helm/sensorlink/window_post.h"
#include "helm/station/atoms.h"
#include "section_lock.h"
#include "server_link.h"

using namespace helm::sensorlink;

namespace {

struct LinkMessages {
    UINT parsed;
    UINT write;
    UINT record;
};

LinkMessages link_messages()
{
    return {RegisterWindowMessage(MSG_NAME_NEW_PARSED_DATA), RegisterWindowMessage(MSG_NAME_WRITE_SERIAL_DATA),
            RegisterWindowMessage("ZQO_RECORD_FOR_REPLAY")};
}

void post_state(WPARAM state)
{
    post_to_main_window(C_Q_Server::F_GetServerConnectionStateMessage(), state, 0);
}

}  // namespace

UINT C_Q_Server::worker_entry(LPVOID server)
{
    return static_cast<C_Q_Server*>(server)->run_worker();
}

UINT C_Q_Server::relay_entry(LPVOID server)
{
    return static_cast<C_Q_Server*>(server)->run_relay();
}

bool C_Q_Server::set_up_port(unsigned short port, unsigned short type, const sCNX_PARAM& param, sMMF_CLIENT* client)
{
    if (type == CNX_TYPE_SERIAL) {
        F_ConfigPort(port, param.BaudRate, param.StopBits, param.Parity, 8, "RAW");
    } else if (type == CNX_TYPE_SOCKET) {
        // On/off, socket type and time-out are left at zero: only the
        // link's own fields are set.
        sSOCK_CONFIG config;
        std::memset(&config, 0, sizeof config);
        config.connection_mode = static_cast<BYTE>(param.Mode);
        std::memcpy(config.ip_address, param.IpAddress, sizeof config.ip_address);
        config.ip_port = static_cast<int32_t>(param.IpPort);
        F_ConfigSockParam(port, &config, "RAW");
    }
    F_SetPortON(port);
    if (F_GetPortOnOff(port) == 0)
        return false;
    return F_OpenSerialMMF(client, port) == 1 && F_ConnectThreadToMMF(client, GetCurrentThreadId(), 2) == 1;
}

void C_Q_Server::tear_down_port(unsigned short port, sMMF_CLIENT* client)
{
    F_DisconnectThreadToMMF(client, GetCurrentThreadId());
    F_CloseSerialMMF(client);
    // Sent only while the settings file still says on.
    F_SetPortOFF(port);
}

UINT C_Q_Server::run_worker()
{
    const unsigned short port = m_systemPort;
    sMMF_CLIENT client{};
    const bool up = set_up_port(port, m_cnxType, m_cnxParam, &client);
    bool lost = !up;
    if (up && !m_stopWorker) {
        m_connected = 1;
        init_records();
        post_state(SERVER_STATE_CONNECTED);
        m_workerStarted = 1;
        if (m_debugPath[0] != '\0') {
            DeleteFile(m_debugPath);
            if (m_debug)
                m_traceFile = std::fopen(helm::kernel::native_path(m_debugPath).c_str(), "ab+");
        }
        lost = !wait_loop(port, &client, false);
    }
    {
        SectionLock lock(&m_relayLock);
        m_workerThreadId = 0;
        m_toSensor.clear();
    }
    // The failure path ends here too: the port goes off and what was
    // opened is closed; the window thread reaps this thread later.
    tear_down_port(port, &client);
    if (m_traceFile != nullptr) {
        std::fclose(m_traceFile);
        m_traceFile = nullptr;
    }
    if (m_replayFile != nullptr) {
        std::fclose(m_replayFile);
        m_replayFile = nullptr;
    }
    m_recording = 0;
    if (up)
        init_records();
    m_connected = 0;
    m_workerStarted = 1;
    if (lost)
        post_state(SERVER_STATE_DISCONNECTED);
    return 0;
}

UINT C_Q_Server::run_relay()
{
    const unsigned short port = m_remotePort;
    sMMF_CLIENT client{};
    const bool up = set_up_port(port, CNX_TYPE_SOCKET, m_remoteParam, &client);
    bool lost = !up;
    if (up && !m_stopRelay) {
        m_remoteConnected = 1;
        post_state(SERVER_STATE_REMOTE_CONNECTED);
        lost = !wait_loop(port, &client, true);
    }
    {
        SectionLock lock(&m_relayLock);
        m_remoteConnected = 0;
        m_relayThreadId = 0;
        m_toRemote.clear();
    }
    tear_down_port(port, &client);
    if (lost)
        post_state(SERVER_STATE_REMOTE_CLOSED);
    return 0;
}

bool C_Q_Server::wait_loop(unsigned short port, sMMF_CLIENT* client, bool relay)
{
    const LinkMessages messages = link_messages();
    const std::atomic<bool>& stop = relay ? m_stopRelay : m_stopWorker;
    DWORD last_heard = GetTickCount();
    MSG msg{};
    while (!stop) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kQuietCheckMs, QS_POSTMESSAGE);
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == kStopThreadMessage || msg.message == WM_QUIT)
                return true;
            if (msg.message == messages.parsed && msg.wParam == port) {
                last_heard = GetTickCount();
                read_record(client, msg.lParam, relay);
            } else if (msg.message == messages.write) {
                if (!write_frames(client, msg.lParam, relay) && F_IsPortDispo(port) < 1)
                    return false;
            } else if (msg.message == messages.record && !relay) {
                toggle_recording();
            }
        }
        // A server that was killed says nothing: ask after a quiet spell.
        if (GetTickCount() - last_heard >= kQuietCheckMs) {
            if (F_IsPortDispo(port) < 1)
                return false;
            last_heard = GetTickCount();
        }
    }
    return true;
}

void C_Q_Server::read_record(sMMF_CLIENT* client, LPARAM offset, bool relay)
{
    // Offset, magic, kind and the text's end are checked against the view
    // before anything is read.
    char text[kMaxSentence + 1];
    const int length = helm::portlink::read_raw_text(*client, offset, text, sizeof text);
    if (length <= 0)
        return;
    DWORD stamp = 0;
    BYTE* record = nullptr;
    if (F_GetParsedMMFData(client, offset, &record) == 1)
        std::memcpy(&stamp, record + offsetof(sRAW_TEXT_RECORD, time_stamp_ms), sizeof stamp);
    const std::string_view sentence(text, static_cast<std::size_t>(length));
    if (relay) {
        pass_on(&m_toSensor, sentence, &m_workerThreadId);
        return;
    }
    if (m_remoteConnected)
        pass_on(&m_toRemote, sentence, &m_relayThreadId);
    F_DecodeFrameFromSystem(sentence, stamp);
}

void C_Q_Server::pass_on(std::deque<std::string>* queue, std::string_view text, const DWORD* thread)
{
    SectionLock lock(&m_relayLock);
    if (*thread == 0)
        return;
    // One message per batch: the thread takes the whole queue at once.
    const bool first = queue->empty();
    if (queue->size() >= kMaxRelayed)
        queue->pop_front();
    queue->emplace_back(text);
    if (first)
        PostThreadMessage(*thread, RegisterWindowMessage(MSG_NAME_WRITE_SERIAL_DATA), 0, kWriteRelayed);
}

bool C_Q_Server::write_frames(sMMF_CLIENT* client, LPARAM what, bool relay)
{
    bool written = true;
    auto send = [&](const std::string& text) {
        written = F_WriteDataToPort(client, text.c_str()) == 1 && written;
        if (!relay) {
            trace(text);
            OutputDebugString(("\nSending : " + text + "\n").c_str());
        }
    };
    if (what == kWriteRelayed) {
        std::deque<std::string> texts;
        {
            SectionLock lock(&m_relayLock);
            texts.swap(relay ? m_toRemote : m_toSensor);
        }
        // As few writes as the server's text area allows: each is a round
        // trip to the server, and a stop must not wait behind a backlog.
        const std::atomic<bool>& stop = relay ? m_stopRelay : m_stopWorker;
        std::string chunk;
        for (const std::string& text : texts) {
            if (stop)
                return written;
            if (!chunk.empty() && chunk.size() + text.size() > kMaxWriteText) {
                send(chunk);
                chunk.clear();
            }
            chunk += text;
        }
        if (!chunk.empty())
            send(chunk);
    } else if (!relay) {
        CString frame;
        if (F_MakeSendFrameToSystem(&frame) == 0)
            send(frame.str());
    }
    // The sensor's line is paced: one frame at most every 50 ms.
    if (!relay)
        Sleep(50);
    return written;
}
