#include "helm/serial/tty.h"

#include <cstring>

#include "comm_device.h"
#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/sync.h"
#include "helm/serial/port_names.h"

namespace {

constexpr DWORD kStartWaitMs = 2000;
constexpr DWORD kStopWaitMs = 5000;

const char* const kParityNames[] = {"None", "Odd", "Even", "Mark", "Space"};
const char kParityLetters[] = {'N', 'O', 'E', 'M', 'S'};
const char* const kStopNames[] = {"1", "1.5", "2"};
const char* const kFlowNames[] = {"None", "XON/XOFF", "RTS/CTS"};

}  // namespace

CTTY::CTTY()
{
    m_stop_event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    m_started_event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    m_ended_event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
}

CTTY::CTTY(BYTE trigger) : CTTY()
{
    m_event_mask = EV_RXCHAR | EV_RXFLAG;
    m_event_char = trigger;
}

CTTY::~CTTY()
{
    if (!CloseConnection()) {
        // The routine still runs and uses this object.
        HANDLE thread;
        {
            std::lock_guard lock(m_mutex);
            thread = m_thread;
        }
        WaitForSingleObject(thread, INFINITE);
        std::lock_guard lock(m_open_close);
        std::lock_guard settings(m_mutex);
        CloseHandle(m_thread);
        m_thread = nullptr;
        close_port_locked();
    }
    CloseHandle(m_stop_event);
    CloseHandle(m_started_event);
    CloseHandle(m_ended_event);
}

DCB CTTY::dcb_locked() const
{
    DCB dcb = helm::serial::detail::default_dcb();
    dcb.BaudRate = m_baud;
    dcb.ByteSize = m_data_bits;
    dcb.Parity = m_parity;
    dcb.StopBits = m_stop;
    dcb.fParity = m_parity != NOPARITY;
    dcb.EvtChar = static_cast<char>(m_event_char);
    if (m_flow == TTY_FLOW_XONXOFF) {
        dcb.fOutX = 1;
        dcb.fInX = 1;
    } else if (m_flow == TTY_FLOW_RTSCTS) {
        dcb.fOutxCtsFlow = 1;
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    } else if (m_flow != TTY_FLOW_NONE) {
        dcb.BaudRate = 0;  // refused below as an invalid setting
    }
    return dcb;
}

void CTTY::apply_if_open_locked()
{
    if (!m_port_handle)
        return;
    DCB dcb = dcb_locked();
    SetCommState(m_port_handle, &dcb);
}

void CTTY::P_setPort(int port)
{
    std::lock_guard lock(m_mutex);
    m_port = port;  // takes effect at the next OpenConnection
}

void CTTY::P_setBaud(DWORD baud)
{
    std::lock_guard lock(m_mutex);
    m_baud = baud;
    apply_if_open_locked();
}

void CTTY::P_setBit(BYTE dataBits)
{
    std::lock_guard lock(m_mutex);
    m_data_bits = dataBits;
    apply_if_open_locked();
}

void CTTY::P_setParity(BYTE parity)
{
    std::lock_guard lock(m_mutex);
    m_parity = parity;
    apply_if_open_locked();
}

void CTTY::P_setStop(BYTE stop)
{
    std::lock_guard lock(m_mutex);
    m_stop = stop;
    apply_if_open_locked();
}

void CTTY::P_setFlowControl(int flow)
{
    std::lock_guard lock(m_mutex);
    m_flow = flow;
    apply_if_open_locked();
}

void CTTY::P_setEventMask(DWORD mask)
{
    std::lock_guard lock(m_mutex);
    m_event_mask = mask;
    if (m_port_handle)
        SetCommMask(m_port_handle, mask);
}

DWORD WINAPI CTTY::thread_main(LPVOID self)
{
    auto* tty = static_cast<CTTY*>(self);
    DWORD result = tty->m_routine(tty);
    {
        std::lock_guard lock(tty->m_mutex);
        tty->m_thread_running = false;
    }
    SetEvent(tty->m_ended_event);
    return result;
}

void CTTY::close_port_locked()
{
    if (m_port_handle) {
        CloseHandle(m_port_handle);
        m_port_handle = nullptr;
    }
    m_connected = false;
}

int CTTY::OpenConnection(LPTHREAD_START_ROUTINE readThread)
{
    std::lock_guard open_close(m_open_close);
    if (!readThread) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    HANDLE thread;
    {
        std::lock_guard lock(m_mutex);
        if (m_connected || m_thread) {
            SetLastError(ERROR_BUSY);
            return 0;
        }
        DCB dcb = dcb_locked();
        if (DWORD error = helm::serial::detail::check_dcb(dcb)) {
            SetLastError(error);
            return 0;
        }
        if (m_port < helm::serial::kFirstPort || m_port > helm::serial::kLastPort) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        HANDLE port = OpenCommPort(static_cast<ULONG>(m_port), 0, 0);
        if (port == INVALID_HANDLE_VALUE)
            return 0;
        if (!SetCommState(port, &dcb) || !SetCommMask(port, m_event_mask)) {
            DWORD error = GetLastError();
            CloseHandle(port);
            SetLastError(error);
            return 0;
        }
        m_port_handle = port;
        m_connected = true;
        m_thread_running = true;
        m_routine = readThread;
        ResetEvent(m_stop_event);
        ResetEvent(m_started_event);
        ResetEvent(m_ended_event);
        m_thread = CreateThread(nullptr, 0, &CTTY::thread_main, this, 0, nullptr);
        if (!m_thread) {
            DWORD error = GetLastError();
            m_thread_running = false;
            close_port_locked();
            SetLastError(error);
            return 0;
        }
        thread = m_thread;
    }

    HANDLE started_or_ended[] = {m_started_event, thread};
    DWORD waited = WaitForMultipleObjects(2, started_or_ended, FALSE, kStartWaitMs);
    if (waited == WAIT_OBJECT_0 + 1) {
        // The routine gave up before it ever waited (its event or mask failed).
        std::lock_guard lock(m_mutex);
        CloseHandle(m_thread);
        m_thread = nullptr;
        close_port_locked();
        SetLastError(ERROR_GEN_FAILURE);
        return 0;
    }
    return 1;
}

int CTTY::CloseConnection()
{
    std::lock_guard open_close(m_open_close);
    HANDLE thread;
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread) {
            close_port_locked();
            return 1;
        }
        m_connected = false;
        thread = m_thread;
        SetEvent(m_stop_event);
        // Every wait of the routine, now or later, returns at once.
        helm::serial::abort_comm_waits(m_port_handle);
    }
    if (WaitForSingleObject(thread, kStopWaitMs) != WAIT_OBJECT_0) {
        SetLastError(ERROR_TIMEOUT);
        return 0;
    }
    std::lock_guard lock(m_mutex);
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_thread_running = false;
    if (m_port_handle)
        PurgeComm(m_port_handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    close_port_locked();
    return 1;
}

void CTTY::Purge()
{
    HANDLE port = F_getHandle();
    if (port)
        PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

int CTTY::ReadCommBlock(char* buffer, int maxLength)
{
    if (!buffer || maxLength <= 0)
        return 0;
    HANDLE port = F_getHandle();
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    return helm::serial::read_comm(port, buffer, static_cast<DWORD>(maxLength));
}

int CTTY::WriteCom(const char* text, int length)
{
    if (!text || length < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    size_t size = length == 0 ? std::strlen(text) : static_cast<size_t>(length);
    if (size == 0)
        return 0;
    HANDLE port;
    double ms_per_char;
    {
        std::lock_guard lock(m_mutex);
        port = m_port_handle;
        ms_per_char = ms_per_char_locked();
    }
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    double line_ms = 2.0 * ms_per_char * static_cast<double>(size) + 1000.0;
    DWORD timeout = line_ms > 3600000.0 ? 3600000u : static_cast<DWORD>(line_ms);
    return helm::serial::write_comm(port, text, static_cast<DWORD>(size), timeout);
}

std::string CTTY::F_getTextePort() const
{
    std::lock_guard lock(m_mutex);
    return helm::serial::port_name(m_port);
}

std::string CTTY::F_getTexteBaud() const
{
    std::lock_guard lock(m_mutex);
    return std::to_string(m_baud);
}

std::string CTTY::F_getTexteBit() const
{
    std::lock_guard lock(m_mutex);
    return std::to_string(m_data_bits);
}

std::string CTTY::F_getTexteParity() const
{
    std::lock_guard lock(m_mutex);
    return m_parity <= SPACEPARITY ? kParityNames[m_parity] : "?";
}

std::string CTTY::F_getTexteStop() const
{
    std::lock_guard lock(m_mutex);
    return m_stop <= TWOSTOPBITS ? kStopNames[m_stop] : "?";
}

std::string CTTY::F_getTexteFlowControl() const
{
    std::lock_guard lock(m_mutex);
    return m_flow >= TTY_FLOW_NONE && m_flow <= TTY_FLOW_RTSCTS ? kFlowNames[m_flow] : "?";
}

std::string CTTY::F_getTexteSettings() const
{
    std::lock_guard lock(m_mutex);
    std::string text = std::to_string(m_baud);
    text += ',';
    text += m_parity <= SPACEPARITY ? kParityLetters[m_parity] : '?';
    text += ',';
    text += std::to_string(m_data_bits);
    text += ',';
    text += m_stop <= TWOSTOPBITS ? kStopNames[m_stop] : "?";
    return text;
}

HANDLE CTTY::F_getHandle() const
{
    std::lock_guard lock(m_mutex);
    return m_port_handle;
}

BOOL CTTY::F_isConnected() const
{
    std::lock_guard lock(m_mutex);
    if (!m_connected)
        return FALSE;
    // A read thread loops while connected, also over failed waits: a device
    // that went away must end that loop, once its last bytes are read.
    DWORD error = GetLastError();
    auto device = helm::kernel::lookup_handle_as<helm::serial::detail::CommDevice>(m_port_handle);
    SetLastError(error);
    return device && !device->gone_and_drained();
}

BOOL CTTY::F_isThreadRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_thread_running;
}

int CTTY::F_getPort() const
{
    std::lock_guard lock(m_mutex);
    return m_port;
}

DWORD CTTY::F_getBaud() const
{
    std::lock_guard lock(m_mutex);
    return m_baud;
}

BYTE CTTY::F_getBit() const
{
    std::lock_guard lock(m_mutex);
    return m_data_bits;
}

BYTE CTTY::F_getParity() const
{
    std::lock_guard lock(m_mutex);
    return m_parity;
}

BYTE CTTY::F_getStop() const
{
    std::lock_guard lock(m_mutex);
    return m_stop;
}

int CTTY::F_getFlowControl() const
{
    std::lock_guard lock(m_mutex);
    return m_flow;
}

DWORD CTTY::F_getEventMask() const
{
    std::lock_guard lock(m_mutex);
    return m_event_mask;
}

BYTE CTTY::F_getEventChar() const
{
    std::lock_guard lock(m_mutex);
    return m_event_char;
}

double CTTY::F_getMsPerChar() const
{
    std::lock_guard lock(m_mutex);
    return ms_per_char_locked();
}

double CTTY::ms_per_char_locked() const
{
    if (m_baud == 0)
        return 0.0;
    double stop_bits = m_stop == ONE5STOPBITS ? 1.5 : m_stop == TWOSTOPBITS ? 2.0 : 1.0;
    double bits = 1.0 + m_data_bits + (m_parity != NOPARITY ? 1.0 : 0.0) + stop_bits;
    return bits * 1000.0 / m_baud;
}
