#include "helm/sensorlink/C_Q_Server.h"

#include <afxwin.h>

#include <cstring>

#include "helm/kernel/clock.h"
#include "helm/kernel/files.h"
#include "helm/kernel/trace.h"
#include "helm/portlink/server_client.h"
#include "helm/sensorlink/C_Q_Tools.h"
#include "helm/sensorlink/window_post.h"
#include "helm/station/atoms.h"
#include "section_lock.h"
#include "server_link.h"

using namespace helm::sensorlink;

namespace {

bool is_serial_port(unsigned short port) { return port >= 1 && port <= 32; }
bool is_socket_port(unsigned short port) { return port >= 33 && port <= 37; }

// A port the server owns and that nobody has switched on.
bool is_free_port(int port) { return F_IsPortDispo(port) >= 1 && F_GetPortOnOff(port) == 0; }

// "<folder>\<sub>\" made, and "<folder>\<sub>\<file>" into `path`; an
// empty path when it does not fit.
void make_folder_path(const char* folder, const char* sub, const char* file, char* path, std::size_t size)
{
    char directory[1024];
    const int n = std::snprintf(directory, sizeof directory, "%s\\%s\\", folder, sub);
    path[0] = '\0';
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof directory)
        return;
    CreateDirectory(directory, nullptr);  // an existing folder is no error
    const int m = std::snprintf(path, size, "%s%s", directory, file);
    if (m < 0 || static_cast<std::size_t>(m) >= size)
        path[0] = '\0';
}

}  // namespace

C_Q_Server::C_Q_Server()
{
    InitializeCriticalSection(&m_recordsLock);
    InitializeCriticalSection(&m_relayLock);
    init_records();
}

C_Q_Server::~C_Q_Server()
{
    if (m_relay != nullptr)
        stop_thread(&m_relay, &m_stopRelay, INFINITE);
    if (m_worker != nullptr)
        stop_thread(&m_worker, &m_stopWorker, INFINITE);
    if (m_replayFile != nullptr)
        std::fclose(m_replayFile);
    DeleteCriticalSection(&m_relayLock);
    DeleteCriticalSection(&m_recordsLock);
}

void C_Q_Server::init_records()
{
    SectionLock lock(&m_recordsLock);
    m_tvrData.P_InitAllTvrData();
    m_insData.P_InitAllInsData();
    m_tvrCtrlCmd.P_InitAllTvrTextAndCnf();
    m_insCtrlCmd.P_InitAllInsTextAndCnf();
}

int C_Q_Server::F_InitData()
{
    init_records();
    return 0;
}

void C_Q_Server::F_UpdateCheminSoft(const char* folder, bool debug, unsigned short repeaterType)
{
    m_debug = debug ? 1 : 0;
    m_repeaterType = repeaterType;
    if (folder == nullptr)
        return;
    make_folder_path(folder, "ReplayFile", "TmpReplay.txt", m_replayPath, sizeof m_replayPath);
    make_folder_path(folder, "DebugFile", "Recept_Send_Debug.txt", m_debugPath, sizeof m_debugPath);
}

UINT C_Q_Server::F_GetServerConnectionStateMessage()
{
    return RegisterWindowMessage("VARNEK_SERVER_CONNECTION_STATE");
}

UINT C_Q_Server::F_GetReplayMessage()
{
    return RegisterWindowMessage("ZQO_REPLAY_FILE");
}

UINT C_Q_Server::F_GetDistStartMessage()
{
    return RegisterWindowMessage("ZQO_MSG_NOTIFY_SSLSTART_5EBC700F-C530-480a-8BB4-2820A71EA2A2");
}

UINT C_Q_Server::F_GetDistStopMessage()
{
    return RegisterWindowMessage("ZQO_MSG_NOTIFY_SSLCLOSE_5EBC700F-C530-480a-8BB4-2820A71EA2A2");
}

UINT C_Q_Server::F_GetServStartMessage()
{
    return RegisterWindowMessage(MSG_NAME_NOTIFY_APPSTART);
}

unsigned int C_Q_Server::F_GetSystemTimeInMS()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return ((now.wHour * 3600u + now.wMinute * 60u + now.wSecond) * 1000u) + now.wMilliseconds;
}

int C_Q_Server::F_CheckAndListValidSerialPort()
{
    m_nbValidSerial = 0;
    for (int port = 1; port <= 31; ++port) {
        if (is_free_port(port))
            m_validSerial[m_nbValidSerial++] = static_cast<unsigned int>(port);
    }
    return m_nbValidSerial > 0 ? 0 : -1;
}

int C_Q_Server::F_CheckAndListValidSocketPort()
{
    m_nbValidSocket = 0;
    for (int socket = 1; socket <= 5; ++socket) {
        if (is_free_port(socket + 32))
            m_validSocket[m_nbValidSocket++] = static_cast<unsigned int>(socket);
    }
    return m_nbValidSocket > 0 ? 0 : -1;
}

// ---- The link ------------------------------------------------------------

void C_Q_Server::reap_if_ended(CWinThread** thread)
{
    if (*thread != nullptr && WaitForSingleObject((*thread)->m_hThread, 0) == WAIT_OBJECT_0) {
        delete *thread;
        *thread = nullptr;
    }
}

CWinThread* C_Q_Server::start_thread(UINT (*entry)(LPVOID), DWORD* thread_id)
{
    // Kept after its end, so that its handle can be waited for and reaped.
    CWinThread* thread = AfxBeginThread(entry, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (thread == nullptr)
        return nullptr;
    thread->m_bAutoDelete = FALSE;
    {
        SectionLock lock(&m_relayLock);
        *thread_id = thread->m_nThreadID;
    }
    thread->ResumeThread();
    return thread;
}

int C_Q_Server::stop_thread(CWinThread** thread, std::atomic<bool>* stop, DWORD wait_ms)
{
    *stop = true;
    (*thread)->PostThreadMessage(kStopThreadMessage, 0, 0);
    const DWORD result = WaitForSingleObject((*thread)->m_hThread, wait_ms);
    if (result != WAIT_OBJECT_0)
        return result == WAIT_ABANDONED ? -2 : -1;  // kept: reaped or joined later
    delete *thread;
    *thread = nullptr;
    return 0;
}

int C_Q_Server::F_ConnectToSystem(unsigned short type, unsigned short port, sCNX_PARAM* param)
{
    const UINT state = F_GetServerConnectionStateMessage();
    post_to_main_window(state, SERVER_STATE_CONNECTING, 0);
    // A worker whose link failed or was lost ended on its own; a worker
    // still running keeps the port, so no second one starts beside it.
    reap_if_ended(&m_worker);
    const bool busy = m_worker != nullptr || m_replaying || (m_connected && m_systemPort != 0);
    const bool port_fits = (type == CNX_TYPE_SERIAL && is_serial_port(port)) ||
                           (type == CNX_TYPE_SOCKET && is_socket_port(port));
    if (busy || param == nullptr || !port_fits || !is_free_port(port)) {
        post_to_main_window(state, SERVER_STATE_DISCONNECTED, 0);
        return -1;
    }
    m_systemPort = port;
    m_cnxType = type;
    std::memcpy(&m_cnxParam, param, sizeof m_cnxParam);
    m_connected = 0;
    m_workerStarted = 0;
    m_stopWorker = false;
    m_worker = start_thread(&C_Q_Server::worker_entry, &m_workerThreadId);
    if (m_worker == nullptr) {
        post_to_main_window(state, SERVER_STATE_DISCONNECTED, 0);
        return -1;
    }
    return 0;
}

int C_Q_Server::F_DisconnectCnxSystem()
{
    // The relay lives on the sensor link: it ends first.
    if (m_relay != nullptr)
        F_DisconnectCnxPcDistant();
    if (m_connected && m_systemPort >= 1)
        F_SetPortOFF(m_systemPort);
    int result = 0;
    if (m_worker != nullptr)
        result = stop_thread(&m_worker, &m_stopWorker, 1000);
    init_records();
    post_to_main_window(F_GetServerConnectionStateMessage(), SERVER_STATE_DISCONNECTED, 0);
    m_connected = 0;
    m_workerStarted = 0;
    m_systemPort = 0;
    return result;
}

int C_Q_Server::F_GetCnxSystemState()
{
    if (m_connected)
        return m_systemPort;
    if (m_worker != nullptr)
        return m_workerStarted ? -2 : -1;
    return 0;
}

int C_Q_Server::F_AskSendFrameToSystem()
{
    if (!m_connected || m_worker == nullptr)
        return -1;
    // The wake-up goes out whatever the queue holds: a sensor asleep sends
    // no data until it is woken.
    const bool talvor = is_talvor();
    const bool pending = talvor ? m_tvrCtrlCmd.F_GetTailleFifo() > 0 || m_tvrData.F_GetTvrWakeUpState() == 1
                                : m_insCtrlCmd.F_GetTailleFifo() > 0 || m_insData.F_GetInsWakeUpState() == 1;
    if (!pending)
        return -1;
    const UINT write = RegisterWindowMessage(MSG_NAME_WRITE_SERIAL_DATA);
    return m_worker->PostThreadMessage(write, 0, talvor ? kWriteTalvor : kWriteInertial) ? 0 : -1;
}

int C_Q_Server::F_MakeSendFrameToSystem(CString* frame)
{
    if (frame == nullptr)
        return -1;
    CString built;
    SectionLock lock(&m_recordsLock);
    sMSG msg{};
    if (is_talvor()) {
        if (m_tvrData.F_GetTvrWakeUpState() == 1)
            m_tvrCtrlCmd.F_TvrWakeUp(&built);
        else if (m_tvrCtrlCmd.F_GetFirstMsgFifo(&msg) == 0)
            m_tvrCtrlCmd.P_MakeTvrFrame(static_cast<uint16_t>(msg.id), msg.type, &built);
    } else {
        if (m_insData.F_GetInsWakeUpState() == 1)
            m_insCtrlCmd.F_InsWakeUp(&built);
        else if (m_insCtrlCmd.F_GetFirstMsgFifo(&msg) == 0)
            m_insCtrlCmd.P_MakeInsFrame(static_cast<uint16_t>(msg.id), msg.type, &built);
    }
    if (built.IsEmpty())
        return -1;
    *frame += built;
    return 0;
}

int C_Q_Server::F_DecodeFrameFromSystem(std::string_view text, DWORD timeStamp)
{
    trace(text);
    if (!C_Q_Tools::F_TestNMEAChecksum(text))
        return -1;
    SectionLock lock(&m_recordsLock);
    const bool talvor = is_talvor();
    if ((talvor ? m_tvrCtrlCmd.F_DecodeTvrCnf(text) : m_insCtrlCmd.F_DecodeInsCnf(text)) == 0) {
        OutputDebugString(("\nRecept : " + std::string(text) + "\n").c_str());
        record(text, timeStamp);
        return 0;
    }
    const int data = talvor ? m_tvrData.F_DecodeTvrData(text, timeStamp) : m_insData.F_DecodeInsData(text, timeStamp);
    if (data != 0)
        return data;
    record(text, timeStamp);
    // Data from a sensor whose model is not known yet: ask for it. A replay
    // sends nothing.
    if (!m_replaying) {
        if (talvor && m_tvrCtrlCmd.F_GetTvrSystemType() == 0)
            m_tvrCtrlCmd.F_AddNewMsgFifo(TVR_ID_MODEL, 0, false, 0);
        else if (!talvor && m_insCtrlCmd.F_GetInsSystemType() == 0)
            m_insCtrlCmd.F_AddNewMsgFifo(INS_ID_EQP, 0, true, 0);
    }
    return 0;
}

void C_Q_Server::trace(std::string_view text)
{
    if (m_traceFile == nullptr)
        return;
    std::fwrite(text.data(), 1, text.size(), m_traceFile);
    std::fflush(m_traceFile);
}

// ---- Remote support --------------------------------------------------------

int C_Q_Server::F_ConnectToPcDistant(unsigned short tunnelPort)
{
    reap_if_ended(&m_relay);
    if (!m_connected || m_worker == nullptr || m_relay != nullptr || tunnelPort == 0)
        return -1;
    unsigned short socket = 0;
    for (unsigned short port = 33; port <= 37 && socket == 0; ++port) {
        if (port != m_systemPort && is_free_port(port))
            socket = port;
    }
    if (socket == 0)
        return -1;
    m_remotePort = socket;
    m_remoteParam = {};
    m_remoteParam.Mode = SOCK_MODE_TCP_CLIENT;
    const uint8_t loopback[4] = {127, 0, 0, 1};
    std::memcpy(m_remoteParam.IpAddress, loopback, sizeof loopback);
    m_remoteParam.IpPort = tunnelPort;
    m_remoteConnected = 0;
    m_stopRelay = false;
    m_relay = start_thread(&C_Q_Server::relay_entry, &m_relayThreadId);
    return m_relay != nullptr ? 0 : -1;
}

int C_Q_Server::F_DisconnectCnxPcDistant()
{
    int result = -1;
    if (m_relay != nullptr) {
        if (m_remoteConnected && m_remotePort != 0)
            F_SetPortOFF(m_remotePort);
        result = stop_thread(&m_relay, &m_stopRelay, 1000);
    }
    m_remoteConnected = 0;
    post_to_main_window(F_GetServerConnectionStateMessage(), SERVER_STATE_REMOTE_CLOSED, 0);
    return result;
}

int C_Q_Server::F_GetCnxPcDistantState()
{
    if (m_remoteConnected)
        return m_remotePort;
    reap_if_ended(&m_relay);
    return m_relay != nullptr ? -1 : 0;
}
