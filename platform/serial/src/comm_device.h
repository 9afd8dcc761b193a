// One open serial port behind a comm handle. The bytes that arrive are
// moved from the tty into our own input queue whenever the port is looked
// at, so that the event character can be seen (Linux has none) and a
// device that went away can still give what it sent before.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "helm/kernel/objects.h"
#include "helm/serial/comm.h"

namespace helm::serial::detail {

// Checks a DCB as SetCommState does: 0 or the Windows error code.
DWORD check_dcb(const DCB& dcb);
// What OpenCommPort gives a port: 9600 8N1, DTR and RTS on, no flow control.
DCB default_dcb();

class CommDevice : public kernel::KernelObject {
public:
    // Bytes the input queue holds before further bytes are dropped with
    // CE_RXOVER, as a Windows driver's queue would.
    static constexpr size_t kInputQueueSize = 64 * 1024;

    static std::shared_ptr<CommDevice> open(int port, DWORD& error);
    ~CommDevice() override;
    CommDevice(const CommDevice&) = delete;
    CommDevice& operator=(const CommDevice&) = delete;

    DCB state();
    DWORD set_state(const DCB& dcb);
    void set_mask(DWORD mask);
    DWORD mask();
    // `self` is the handle the caller waits through: the wait ends when it
    // is closed.
    BOOL wait_event(HANDLE self, DWORD& events);
    int read(void* buffer, DWORD size);
    int write(const void* data, DWORD size, DWORD timeout_ms);
    void purge(DWORD flags);
    BOOL clear_error(DWORD* errors, COMSTAT* status);
    BOOL modem_status(DWORD& status);
    BOOL escape(DWORD function);
    void abort_waits();
    // The device went away and every byte it sent has been read.
    bool gone_and_drained();

private:
    CommDevice(int fd, int wake_fd);
    void pull_locked();
    void watch_lines_locked();
    void announce_unread_locked();
    bool queue_holds_event_char_locked() const;
    bool watching_lines_locked() const;
    void store_locked(const unsigned char* bytes, size_t count);
    void wake();

    int m_fd = -1;
    int m_wake_fd = -1;  // eventfd: SetCommMask and aborts end a poll
    bool m_has_modem_lines = false;
    bool m_has_error_counts = false;

    std::mutex m_mutex;  // everything below
    std::unique_ptr<std::array<unsigned char, kInputQueueSize>> m_input;
    size_t m_input_head = 0;
    size_t m_input_count = 0;
    DCB m_dcb{};
    DWORD m_mask = 0;
    DWORD m_events = 0;   // events of the mask not yet given to a wait
    DWORD m_errors = 0;   // CE_* since the last ClearCommError
    uint64_t m_mask_generation = 0;
    bool m_gone = false;
    bool m_aborted = false;
    // The last read found the tty empty; only a poll that sees it readable
    // (or hung up) makes another read worth its system call.
    bool m_tty_empty = false;
    // A wait has just emptied the tty into the queue: the read that follows
    // takes the queue as it is, without asking the tty again.
    bool m_fresh_from_wait = false;
    bool m_tx_pending = false;  // written bytes not yet seen leave the queue
    DWORD m_lines = 0;          // MS_* when last looked at
    std::array<int, 4> m_error_counts{};  // frame, parity, overrun, break

    std::mutex m_write_mutex;  // one writer at a time
};

}  // namespace helm::serial::detail
