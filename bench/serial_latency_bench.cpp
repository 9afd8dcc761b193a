// Time from a write on the device side of a pseudo-terminal to the moment
// the read-thread routine of CTTY holds the bytes: the wake-up of the comm
// event wait plus the read. Prints p50 and p99 in microseconds.
//
//   serial_latency_bench [samples] [baud]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "helm/kernel/objects.h"
#include "helm/kernel/sync.h"
#include "helm/serial/pty_port.h"
#include "helm/serial/tty.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int64_t> g_arrival_ns{0};
std::atomic<int> g_arrivals{0};

int64_t now_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

DWORD WINAPI read_thread(LPVOID parameter)
{
    auto* tty = static_cast<CTTY*>(parameter);
    DWORD mask = tty->F_getEventMask();
    SetCommMask(tty->F_getHandle(), mask);
    SetEvent(tty->F_getStartedEvent());
    while (tty->F_isConnected()) {
        DWORD events = 0;
        if (!WaitCommEvent(tty->F_getHandle(), &events, nullptr))
            break;
        if (WaitForSingleObject(tty->F_getStopEvent(), 0) == WAIT_OBJECT_0)
            break;
        if ((events & mask) != mask)
            continue;
        char buffer[1024];
        if (tty->ReadCommBlock(buffer, sizeof buffer) > 0) {
            g_arrival_ns = now_ns();
            ++g_arrivals;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int samples = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    DWORD baud = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 19200;
    helm::serial::testing::PtyPort pty(1);
    if (!pty.ok()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    CTTY tty('\n');  // wakes on the end of a sentence, as the I/O server's ports do
    tty.P_setPort(1);
    tty.P_setBaud(baud);
    if (tty.OpenConnection(read_thread) != 1) {
        std::fprintf(stderr, "open failed\n");
        return 1;
    }
    const std::string sentence = "$HEHDT,123.45,T*2C\r\n";
    std::vector<double> us;
    us.reserve(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        int before = g_arrivals;
        int64_t sent = now_ns();
        pty.write(sentence);
        auto limit = Clock::now() + std::chrono::seconds(2);
        while (g_arrivals == before && Clock::now() < limit)
            std::this_thread::yield();
        if (g_arrivals == before) {
            std::fprintf(stderr, "sentence %d never arrived\n", i);
            return 1;
        }
        us.push_back(static_cast<double>(g_arrival_ns - sent) / 1000.0);
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    tty.CloseConnection();
    std::sort(us.begin(), us.end());
    auto pct = [&](double p) { return us[static_cast<size_t>(p * (us.size() - 1))]; };
    std::printf("pty write -> read thread, %d sentences of %zu bytes: p50 %.1f us, p99 %.1f us, max %.1f us\n",
                samples, sentence.size(), pct(0.50), pct(0.99), us.back());
    return 0;
}
