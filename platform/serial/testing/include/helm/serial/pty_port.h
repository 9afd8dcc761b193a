// For tests: a pseudo-terminal pair standing in for a serial device. The
// port side (the pty's slave, a real tty) is mapped to COMn through the
// environment variable HELM_COMn, so CTTY and OpenCommPort open it, and so
// do child processes started afterwards; the test plays the device on the
// other side (the master).
#pragma once

#include <string>

#include "helm/kernel/types.h"

namespace helm::serial::testing {

class PtyPort {
public:
    // Maps `port` to a new pair; the mapping is undone at destruction.
    explicit PtyPort(int port);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    bool ok() const { return m_device_fd >= 0; }
    int port() const { return m_port; }
    const std::string& path() const { return m_path; }

    // The device side. Writes wait until every byte is taken.
    bool write(const std::string& bytes);
    // Reads what has come, waiting up to `timeout_ms` for the first byte and
    // then until `count` bytes or a quiet `timeout_ms`.
    std::string read(size_t count, int timeout_ms = 2000);
    // The device goes away: the port side sees a hang-up.
    void unplug();

    // The line settings as the tty holds them (what CTTY applied). A
    // pseudo-terminal keeps speed, stop bits, PARODD, CMSPAR and flow
    // control, but forces 8 data bits and clears PARENB: data bits and
    // parity on/off are not visible here.
    struct Line {
        unsigned baud = 0;
        int data_bits = 0;
        bool parity = false, odd = false, mark_space = false;
        bool two_stop_bits = false;
        bool rts_cts = false, xon_xoff = false;
        bool raw = false;  // no canonical mode, echo, signals or output processing
    };
    Line line() const;

    int device_fd() const { return m_device_fd; }

private:
    int m_port;
    int m_device_fd = -1;  // master
    int m_port_fd = -1;    // slave, kept open so the tty stays readable
    std::string m_path;
    std::string m_variable;
};

}  // namespace helm::serial::testing
