#include "line_settings.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <iterator>

namespace helm::serial::detail {

namespace {

struct SpeedCode {
    unsigned baud;
    tcflag_t code;
};

const SpeedCode kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},         {134, B134},         {150, B150},
    {200, B200},       {300, B300},       {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

tcflag_t speed_code(unsigned baud)
{
    for (const SpeedCode& s : kSpeeds)
        if (s.baud == baud)
            return s.code;
    return BOTHER;
}

}  // namespace

int apply_line_settings(int fd, const DCB& dcb)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;

    t.c_iflag = 0;  // no CR/LF translation, no stripping, no parity marks
    t.c_oflag = 0;
    t.c_lflag = 0;  // no canonical mode, echo or signals
    t.c_cflag &= ~(CBAUD | CBAUDEX | CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS | (CBAUD << IBSHIFT));
    t.c_cflag |= CREAD | CLOCAL;

    static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[dcb.ByteSize - 5];
    // 1.5 stop bits exist only with 5 data bits, where the UART gives them
    // for CSTOPB.
    if (dcb.StopBits != ONESTOPBIT)
        t.c_cflag |= CSTOPB;
    switch (dcb.Parity) {
    case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: t.c_cflag |= PARENB; break;
    case MARKPARITY: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
        t.c_cflag |= CRTSCTS;
    if (dcb.fOutX)
        t.c_iflag |= IXON;
    if (dcb.fInX)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    // Reads never block: a read with nothing there fails with EAGAIN, so
    // that 0 means the line hung up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;

    tcflag_t code = speed_code(dcb.BaudRate);
    t.c_cflag |= code;
    t.c_ospeed = dcb.BaudRate;
    t.c_ispeed = dcb.BaudRate;
    if (ioctl(fd, TCSETS2, &t) != 0)
        return errno;

    // Modem lines are best effort: a pseudo-terminal has none.
    int dtr = TIOCM_DTR, rts = TIOCM_RTS;
    ioctl(fd, dcb.fDtrControl == DTR_CONTROL_DISABLE ? TIOCMBIC : TIOCMBIS, &dtr);
    if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE)
        ioctl(fd, dcb.fRtsControl == RTS_CONTROL_DISABLE ? TIOCMBIC : TIOCMBIS, &rts);
    return 0;
}

int flush_line(int fd, bool input, bool output)
{
    if (!input && !output)
        return 0;
    int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return ioctl(fd, TCFLSH, which) == 0 ? 0 : errno;
}

int output_queue_length(int fd)
{
    int count = 0;
    return ioctl(fd, TIOCOUTQ, &count) == 0 ? count : -1;
}

int input_queue_length(int fd)
{
    int count = 0;
    return ioctl(fd, TIOCINQ, &count) == 0 ? count : -1;
}

}  // namespace helm::serial::detail
