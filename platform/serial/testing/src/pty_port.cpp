#include "helm/serial/pty_port.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace helm::serial::testing {

PtyPort::PtyPort(int port) : m_port(port), m_variable("HELM_COM" + std::to_string(port))
{
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return;
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        ::close(master);
        return;
    }
    m_port_fd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_port_fd < 0) {
        ::close(master);
        return;
    }
    m_device_fd = master;
    m_path = name;
    setenv(m_variable.c_str(), m_path.c_str(), 1);
}

PtyPort::~PtyPort()
{
    unsetenv(m_variable.c_str());
    unplug();
    if (m_port_fd >= 0)
        ::close(m_port_fd);
}

bool PtyPort::write(const std::string& bytes)
{
    size_t done = 0;
    while (m_device_fd >= 0 && done < bytes.size()) {
        ssize_t n = ::write(m_device_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno != EINTR)
            return false;
    }
    return done == bytes.size();
}

std::string PtyPort::read(size_t count, int timeout_ms)
{
    std::string out;
    char chunk[4096];
    while (m_device_fd >= 0 && out.size() < count) {
        pollfd fd{m_device_fd, POLLIN, 0};
        if (poll(&fd, 1, timeout_ms) <= 0)
            break;
        ssize_t n = ::read(m_device_fd, chunk, std::min(sizeof chunk, count - out.size()));
        if (n <= 0)
            break;
        out.append(chunk, static_cast<size_t>(n));
    }
    return out;
}

void PtyPort::unplug()
{
    if (m_device_fd >= 0) {
        ::close(m_device_fd);
        m_device_fd = -1;
    }
}

PtyPort::Line PtyPort::line() const
{
    Line line;
    struct termios2 t {};
    if (m_port_fd < 0 || ioctl(m_port_fd, TCGETS2, &t) != 0)
        return line;
    line.baud = t.c_ospeed;
    static const int kBits[] = {5, 6, 7, 8};
    line.data_bits = kBits[(t.c_cflag & CSIZE) >> 4];
    line.parity = t.c_cflag & PARENB;
    line.odd = t.c_cflag & PARODD;
    line.mark_space = t.c_cflag & CMSPAR;
    line.two_stop_bits = t.c_cflag & CSTOPB;
    line.rts_cts = t.c_cflag & CRTSCTS;
    line.xon_xoff = (t.c_iflag & IXON) && (t.c_iflag & IXOFF);
    line.raw = !(t.c_lflag & (ICANON | ECHO | ISIG)) && !(t.c_oflag & OPOST) && !(t.c_iflag & (ICRNL | INLCR));
    return line;
}

}  // namespace helm::serial::testing
