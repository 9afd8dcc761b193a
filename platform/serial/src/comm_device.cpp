#include "comm_device.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "helm/kernel/error.h"
#include "helm/serial/port_names.h"
#include "line_settings.h"

namespace helm::serial::detail {

namespace {

constexpr DWORD kLineEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING;
constexpr int kIdlePollMs = 250;  // how soon a wait sees its handle closed
constexpr int kLinePollMs = 20;   // modem lines, errors and EV_TXEMPTY cannot be polled for

DWORD modem_bits(int tiocm)
{
    DWORD bits = 0;
    if (tiocm & TIOCM_CTS)
        bits |= MS_CTS_ON;
    if (tiocm & TIOCM_DSR)
        bits |= MS_DSR_ON;
    if (tiocm & TIOCM_RI)
        bits |= MS_RING_ON;
    if (tiocm & TIOCM_CD)
        bits |= MS_RLSD_ON;
    return bits;
}

DWORD open_error(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
    case EBUSY:
        return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case EIO:  // a pseudo-terminal whose other side is closed
        return ERROR_FILE_NOT_FOUND;
    default:
        return kernel::error_from_errno(err);
    }
}

}  // namespace

DWORD check_dcb(const DCB& dcb)
{
    if (dcb.BaudRate < kLowestBaud || dcb.BaudRate > kHighestBaud || dcb.ByteSize < 5 || dcb.ByteSize > 8 ||
        dcb.Parity > SPACEPARITY || dcb.StopBits > TWOSTOPBITS)
        return ERROR_INVALID_PARAMETER;
    if ((dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) || (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5))
        return ERROR_INVALID_PARAMETER;
    if ((dcb.fOutX || dcb.fInX) && dcb.XonChar == dcb.XoffChar)
        return ERROR_INVALID_PARAMETER;
    if (dcb.fOutxDsrFlow || dcb.fDtrControl == DTR_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_TOGGLE)
        return ERROR_NOT_SUPPORTED;
    return 0;
}

DCB default_dcb()
{
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = CBR_9600;
    dcb.fBinary = 1;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.XonLim = 2048;
    dcb.XoffLim = 512;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    return dcb;
}

std::shared_ptr<CommDevice> CommDevice::open(int port, DWORD& error)
{
    std::string path = device_path(port);
    if (path.empty()) {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = open_error(errno);
        return nullptr;
    }
    if (!isatty(fd)) {
        ::close(fd);
        error = ERROR_GEN_FAILURE;
        return nullptr;
    }
    // A port belongs to one program at a time, as on Windows.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        error = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    ioctl(fd, TIOCEXCL);
    int wake_fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake_fd < 0) {
        error = kernel::error_from_errno(errno);
        ::close(fd);
        return nullptr;
    }
    std::shared_ptr<CommDevice> device(new CommDevice(fd, wake_fd));
    DCB dcb = default_dcb();
    if (int err = apply_line_settings(fd, dcb)) {
        error = kernel::error_from_errno(err);
        return nullptr;
    }
    device->m_dcb = dcb;
    flush_line(fd, true, true);
    error = 0;
    return device;
}

CommDevice::CommDevice(int fd, int wake_fd)
    : m_fd(fd), m_wake_fd(wake_fd), m_input(std::make_unique<std::array<unsigned char, kInputQueueSize>>())
{
    int lines = 0;
    m_has_modem_lines = ioctl(fd, TIOCMGET, &lines) == 0;
    if (m_has_modem_lines)
        m_lines = modem_bits(lines);
    serial_icounter_struct counts{};
    m_has_error_counts = ioctl(fd, TIOCGICOUNT, &counts) == 0;
    if (m_has_error_counts)
        m_error_counts = {counts.frame, counts.parity, counts.overrun, counts.brk};
}

CommDevice::~CommDevice()
{
    if (m_fd >= 0) {
        // Give what was written a moment to leave, then drop the rest: a
        // close must not wait for a line held by flow control.
        for (int i = 0; i < 50 && !m_gone && output_queue_length(m_fd) > 0; ++i)
            usleep(10000);
        flush_line(m_fd, true, true);
        ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
    }
    if (m_wake_fd >= 0)
        ::close(m_wake_fd);
}

void CommDevice::wake()
{
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(m_wake_fd, &one, sizeof one);
}

DCB CommDevice::state()
{
    std::lock_guard lock(m_mutex);
    return m_dcb;
}

DWORD CommDevice::set_state(const DCB& dcb)
{
    if (DWORD error = check_dcb(dcb))
        return error;
    std::lock_guard lock(m_mutex);
    if (m_gone)
        return ERROR_DEVICE_NOT_CONNECTED;
    if (int err = apply_line_settings(m_fd, dcb))
        return err == EIO ? ERROR_DEVICE_NOT_CONNECTED : kernel::error_from_errno(err);
    m_dcb = dcb;
    m_dcb.DCBlength = sizeof(DCB);
    return 0;
}

void CommDevice::set_mask(DWORD mask)
{
    {
        std::lock_guard lock(m_mutex);
        m_mask = mask;
        m_events = 0;
        ++m_mask_generation;
    }
    wake();
}

DWORD CommDevice::mask()
{
    std::lock_guard lock(m_mutex);
    return m_mask;
}

void CommDevice::abort_waits()
{
    {
        std::lock_guard lock(m_mutex);
        m_aborted = true;
    }
    wake();
}

bool CommDevice::gone_and_drained()
{
    // A hang-up is seen by the wait or the read that meets it; asking the
    // tty here as well would cost a read on every turn of a read loop.
    std::lock_guard lock(m_mutex);
    return m_gone && m_input_count == 0;
}

void CommDevice::store_locked(const unsigned char* bytes, size_t count)
{
    size_t room = kInputQueueSize - m_input_count;
    size_t kept = std::min(room, count);
    for (size_t i = 0; i < kept; ++i)
        (*m_input)[(m_input_head + m_input_count + i) % kInputQueueSize] = bytes[i];
    m_input_count += kept;
    if (kept < count) {
        m_errors |= CE_RXOVER;
        m_events |= m_mask & EV_ERR;
    }
    if (count > 0)
        m_events |= m_mask & EV_RXCHAR;
    if ((m_mask & EV_RXFLAG) && std::memchr(bytes, static_cast<unsigned char>(m_dcb.EvtChar), count))
        m_events |= EV_RXFLAG;
}

void CommDevice::pull_locked()
{
    if (m_gone)
        return;
    unsigned char chunk[4096];
    for (;;) {
        ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n > 0) {
            store_locked(chunk, static_cast<size_t>(n));
            if (static_cast<size_t>(n) < sizeof chunk) {
                m_tty_empty = true;
                return;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_tty_empty = true;
            return;
        }
        // 0 is a hang-up (reads never return 0 otherwise, see VMIN); EIO a
        // pseudo-terminal whose other side closed or a device unplugged.
        m_gone = true;
        m_events |= m_mask & EV_ERR;
        return;
    }
}

bool CommDevice::queue_holds_event_char_locked() const
{
    const unsigned char wanted = static_cast<unsigned char>(m_dcb.EvtChar);
    for (size_t i = 0; i < m_input_count; ++i)
        if ((*m_input)[(m_input_head + i) % kInputQueueSize] == wanted)
            return true;
    return false;
}

void CommDevice::announce_unread_locked()
{
    if (m_input_count == 0)
        return;
    // A Windows driver announces a byte once. A reader that takes 1024
    // bytes per event would then leave the rest of a burst in the queue
    // until the line speaks again, so bytes still unread are announced
    // again. With an event character, only when one is among them: a
    // reader that waits for the character must not spin on the bytes
    // before it.
    if (m_mask & EV_RXFLAG) {
        if (queue_holds_event_char_locked())
            m_events |= m_mask & (EV_RXCHAR | EV_RXFLAG);
    } else {
        m_events |= m_mask & EV_RXCHAR;
    }
}

bool CommDevice::watching_lines_locked() const
{
    return (m_has_modem_lines && (m_mask & kLineEvents)) || (m_has_error_counts && (m_mask & (EV_ERR | EV_BREAK))) ||
           (m_tx_pending && (m_mask & EV_TXEMPTY));
}

void CommDevice::watch_lines_locked()
{
    if (m_gone)
        return;
    if (m_has_modem_lines && (m_mask & kLineEvents)) {
        int tiocm = 0;
        if (ioctl(m_fd, TIOCMGET, &tiocm) == 0) {
            DWORD lines = modem_bits(tiocm);
            DWORD changed = lines ^ m_lines;
            DWORD events = 0;
            if (changed & MS_CTS_ON)
                events |= EV_CTS;
            if (changed & MS_DSR_ON)
                events |= EV_DSR;
            if (changed & MS_RLSD_ON)
                events |= EV_RLSD;
            if ((changed & MS_RING_ON) && (lines & MS_RING_ON))
                events |= EV_RING;
            m_events |= events & m_mask;
            m_lines = lines;
        }
    }
    if (m_has_error_counts && (m_mask & (EV_ERR | EV_BREAK))) {
        serial_icounter_struct c{};
        if (ioctl(m_fd, TIOCGICOUNT, &c) == 0) {
            std::array<int, 4> now{c.frame, c.parity, c.overrun, c.brk};
            if (now[0] != m_error_counts[0])
                m_errors |= CE_FRAME;
            if (now[1] != m_error_counts[1])
                m_errors |= CE_RXPARITY;
            if (now[2] != m_error_counts[2])
                m_errors |= CE_OVERRUN;
            if (now[3] != m_error_counts[3]) {
                m_errors |= CE_BREAK;
                m_events |= m_mask & EV_BREAK;
            }
            if (now[0] != m_error_counts[0] || now[1] != m_error_counts[1] || now[2] != m_error_counts[2])
                m_events |= m_mask & EV_ERR;
            m_error_counts = now;
        }
    }
    if (m_tx_pending && output_queue_length(m_fd) == 0) {
        m_tx_pending = false;
        m_events |= m_mask & EV_TXEMPTY;
    }
}

BOOL CommDevice::wait_event(HANDLE self, DWORD& events)
{
    events = 0;
    std::unique_lock lock(m_mutex);
    m_fresh_from_wait = false;
    if (m_mask == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const uint64_t generation = m_mask_generation;
    for (;;) {
        if (m_aborted) {
            SetLastError(ERROR_OPERATION_ABORTED);
            return FALSE;
        }
        if (generation != m_mask_generation)
            return TRUE;  // the mask was changed: an empty event, as on Windows
        if (!m_tty_empty)
            pull_locked();
        watch_lines_locked();
        announce_unread_locked();
        if (DWORD ready = m_events & m_mask) {
            m_events &= ~ready;
            events = ready;
            m_fresh_from_wait = m_tty_empty;
            return TRUE;
        }
        if (m_gone) {
            SetLastError(ERROR_DEVICE_NOT_CONNECTED);
            return FALSE;
        }
        int timeout = watching_lines_locked() ? kLinePollMs : kIdlePollMs;
        lock.unlock();
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wake_fd, POLLIN, 0}};
        int ready = poll(fds, 2, timeout);
        if (ready > 0 && (fds[1].revents & POLLIN)) {
            uint64_t count;
            [[maybe_unused]] ssize_t n = ::read(m_wake_fd, &count, sizeof count);
        }
        if (ready == 0 && kernel::lookup_handle(self).get() != this) {
            SetLastError(ERROR_OPERATION_ABORTED);
            return FALSE;
        }
        lock.lock();
        if (ready > 0 && fds[0].revents != 0)
            m_tty_empty = false;
    }
}

int CommDevice::read(void* buffer, DWORD size)
{
    std::lock_guard lock(m_mutex);
    if (!m_fresh_from_wait)
        pull_locked();
    m_fresh_from_wait = false;
    size_t count = std::min<size_t>(size, m_input_count);
    auto* out = static_cast<unsigned char*>(buffer);
    for (size_t i = 0; i < count; ++i)
        out[i] = (*m_input)[(m_input_head + i) % kInputQueueSize];
    m_input_head = (m_input_head + count) % kInputQueueSize;
    m_input_count -= count;
    if (count == 0 && m_gone && size > 0) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return -1;
    }
    return static_cast<int>(count);
}

int CommDevice::write(const void* data, DWORD size, DWORD timeout_ms)
{
    std::lock_guard write_lock(m_write_mutex);
    const uint64_t deadline = kernel::deadline_after(timeout_ms);
    const auto* bytes = static_cast<const unsigned char*>(data);
    size_t done = 0;
    DWORD error = 0;
    while (done < size) {
        ssize_t n = ::write(m_fd, bytes + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            uint64_t now = kernel::steady_ms();
            if (now >= deadline) {
                error = ERROR_TIMEOUT;
                break;
            }
            pollfd fd{m_fd, POLLOUT, 0};
            poll(&fd, 1, static_cast<int>(std::min<uint64_t>(deadline - now, 1000)));
            continue;
        }
        error = ERROR_DEVICE_NOT_CONNECTED;
        std::lock_guard lock(m_mutex);
        m_gone = true;
        break;
    }
    if (done > 0) {
        std::lock_guard lock(m_mutex);
        m_tx_pending = true;
    }
    if (error) {
        SetLastError(error);
        if (done == 0)
            return -1;
    }
    return static_cast<int>(done);
}

void CommDevice::purge(DWORD flags)
{
    std::lock_guard lock(m_mutex);
    bool input = flags & PURGE_RXCLEAR;
    bool output = flags & PURGE_TXCLEAR;
    if (input) {
        m_input_head = 0;
        m_input_count = 0;
    }
    if (!m_gone)
        flush_line(m_fd, input, output);
}

BOOL CommDevice::clear_error(DWORD* errors, COMSTAT* status)
{
    std::lock_guard lock(m_mutex);
    pull_locked();
    watch_lines_locked();
    if (errors)
        *errors = m_errors;
    m_errors = 0;
    if (status) {
        *status = COMSTAT{};
        int kernel_in = m_gone ? 0 : input_queue_length(m_fd);
        int kernel_out = m_gone ? 0 : output_queue_length(m_fd);
        status->cbInQue = static_cast<DWORD>(m_input_count + std::max(kernel_in, 0));
        status->cbOutQue = static_cast<DWORD>(std::max(kernel_out, 0));
    }
    if (m_gone && m_input_count == 0) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    return TRUE;
}

BOOL CommDevice::modem_status(DWORD& status)
{
    status = 0;
    if (!m_has_modem_lines) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    int tiocm = 0;
    if (ioctl(m_fd, TIOCMGET, &tiocm) != 0) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    status = modem_bits(tiocm);
    return TRUE;
}

BOOL CommDevice::escape(DWORD function)
{
    int rc;
    int line;
    switch (function) {
    case SETRTS: line = TIOCM_RTS; rc = ioctl(m_fd, TIOCMBIS, &line); break;
    case CLRRTS: line = TIOCM_RTS; rc = ioctl(m_fd, TIOCMBIC, &line); break;
    case SETDTR: line = TIOCM_DTR; rc = ioctl(m_fd, TIOCMBIS, &line); break;
    case CLRDTR: line = TIOCM_DTR; rc = ioctl(m_fd, TIOCMBIC, &line); break;
    case SETBREAK: rc = ioctl(m_fd, TIOCSBRK); break;
    case CLRBREAK: rc = ioctl(m_fd, TIOCCBRK); break;
    case SETXOFF: rc = tcflow(m_fd, TCOOFF); break;
    case SETXON: rc = tcflow(m_fd, TCOON); break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (rc != 0) {
        SetLastError(errno == EINVAL || errno == ENOTTY ? ERROR_NOT_SUPPORTED : kernel::error_from_errno(errno));
        return FALSE;
    }
    return TRUE;
}

}  // namespace helm::serial::detail
