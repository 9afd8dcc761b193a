// The whole road of a sentence through a real Portserver: N pseudo-terminals
// play sensors at a set sentence rate each, Portserver (started through
// Portlink, as client programs start it) reads, timestamps, frames and
// parses them, and a client thread in another process, subscribed to the
// parsed blocks of the N ports, receives the messages. Prints, per port
// count, the latency from the moment the last byte of a sentence was
// written to the moment the client holds its message (p50, p99, max), and
// the server's CPU time over the run as a share of one core.
//
//   portserver_bench [--ports 1,8,32] [--rate 100] [--seconds 10]
//
// The ports' sentences are spread evenly over the period, as independent
// sensors would be, not sent all at the same instant. The first block a
// port reads after it opens is not kept by the server, so each port gets a
// line before the run. Runs in a private station of its own.
#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>

#include "helm/portlink/channel_client.h"
#include "helm/portlink/server_client.h"
#include "helm/serial/comm.h"
#include "helm/serial/pty_port.h"
#include "helm/test/support.h"

extern char** environ;

namespace {

int64_t now_ns()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void sleep_until(int64_t ns)
{
    timespec t{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

// A sensor's line of about the length of an attitude sentence, carrying the
// port and a sequence number so the client can tell which write it is.
std::string sentence(int port, int sequence)
{
    char body[96];
    std::snprintf(body, sizeof body, "KVTRO,%d,%d,+001.52,-000.25,+0.02", port, sequence);
    unsigned sum = 0;
    for (const char* c = body; *c; ++c)
        sum ^= static_cast<unsigned char>(*c);
    char line[128];
    std::snprintf(line, sizeof line, "$%s*%02X\r\n", body, sum);
    return line;
}

// CPU time, in ns, of every thread of a process so far.
int64_t process_cpu_ns(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return -1;
    int64_t total = 0;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        long long on_cpu = 0;
        std::istringstream(helm::test::read_file(tasks + "/" + entry->d_name + "/schedstat")) >> on_cpu;
        total += on_cpu;
    }
    closedir(dir);
    return total;
}

// The client process: subscribes one thread to the parsed blocks of ports
// 1..ports, writes "port sequence arrival_ns" per record to `out` and ends
// once the line has been quiet for 3 s after the first record.
int run_subscriber(int ports, const char* out, const char* ready)
{
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    std::vector<sMMF_CLIENT> clients(static_cast<size_t>(ports) + 1);
    for (int port = 1; port <= ports; ++port) {
        if (F_OpenSerialMMF(&clients[port], port) != 1 ||
            F_ConnectThreadToMMF(&clients[port], GetCurrentThreadId(), 0) != 1)
            return 2;
    }
    std::ofstream(ready) << "ready\n";
    const UINT parsed = helm::portlink::channel_messages().new_parsed_data;
    std::vector<std::string> lines;
    lines.reserve(1 << 20);
    bool started = false;
    for (;;) {
        if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, started ? 3000 : 60000, QS_POSTMESSAGE) ==
                WAIT_TIMEOUT)
                break;
            continue;
        }
        const int64_t arrival = now_ns();
        if (msg.message != parsed || msg.wParam < 1 || msg.wParam > static_cast<WPARAM>(ports))
            continue;
        started = true;
        char text[256];
        int port = 0, sequence = 0;
        if (helm::portlink::read_raw_text(clients[msg.wParam], msg.lParam, text, sizeof text) > 0 &&
            std::sscanf(text, "$KVTRO,%d,%d,", &port, &sequence) == 2)
            lines.push_back(std::to_string(port) + ' ' + std::to_string(sequence) + ' ' + std::to_string(arrival));
    }
    for (int port = 1; port <= ports; ++port) {
        F_DisconnectThreadToMMF(&clients[port], GetCurrentThreadId());
        F_CloseSerialMMF(&clients[port]);
    }
    std::ofstream file(out);
    for (const std::string& line : lines)
        file << line << '\n';
    return 0;
}

struct Result {
    int ports = 0;
    size_t sent = 0, received = 0;
    double p50_us = 0, p99_us = 0, max_us = 0;
    double cpu_percent = 0;
};

bool run(int ports, int rate, int seconds, const std::string& dir, const char* self, Result& result)
{
    result.ports = ports;
    std::vector<std::unique_ptr<helm::serial::testing::PtyPort>> ptys;
    for (int port = 1; port <= ports; ++port) {
        ptys.push_back(std::make_unique<helm::serial::testing::PtyPort>(port));
        if (!ptys.back()->ok()) {
            std::fprintf(stderr, "no pseudo-terminal for port %d\n", port);
            return false;
        }
    }
    if (F_RunServerInSleepMode(0) != 1 ||
        !helm::test::eventually([] { return F_IsPortDispo(1) == 1; }, 10000)) {
        std::fprintf(stderr, "Portserver did not start\n");
        return false;
    }
    const pid_t server = helm::test::child_process("Portserver");
    for (int port = 1; port <= ports; ++port) {
        if (F_ConfigPort(port, 19200, TWOSTOPBITS, ODDPARITY, 8, "NMEA0183") != 1 || F_SetPortON(port) != 1) {
            std::fprintf(stderr, "port %d would not open\n", port);
            return false;
        }
    }

    const std::string out = dir + "/arrivals-" + std::to_string(ports);
    const std::string ready = out + ".ready";
    const std::string ports_text = std::to_string(ports);
    char* child_argv[] = {const_cast<char*>(self), const_cast<char*>("--subscriber"),
                          const_cast<char*>(ports_text.c_str()), const_cast<char*>(out.c_str()),
                          const_cast<char*>(ready.c_str()), nullptr};
    pid_t subscriber = 0;
    if (posix_spawn(&subscriber, self, nullptr, nullptr, child_argv, environ) != 0 ||
        !helm::test::eventually([&] { return !helm::test::read_file(ready).empty(); }, 10000)) {
        std::fprintf(stderr, "the subscriber did not start\n");
        return false;
    }
    // The first block after a port opens is not kept.
    for (auto& pty : ptys)
        pty->write("\r\n");
    usleep(300000);

    const int64_t period = 1000000000LL / rate;
    const int per_port = rate * seconds;
    std::vector<std::vector<int64_t>> written(static_cast<size_t>(ports), std::vector<int64_t>(per_port, 0));
    std::vector<std::vector<std::string>> lines(static_cast<size_t>(ports));
    for (int port = 1; port <= ports; ++port)
        for (int sequence = 0; sequence < per_port; ++sequence)
            lines[port - 1].push_back(sentence(port, sequence));

    const int64_t cpu_before = process_cpu_ns(server);
    const int64_t cpu_from = now_ns();
    const int64_t start = cpu_from + 10000000;
    for (int sequence = 0; sequence < per_port; ++sequence) {
        for (int port = 1; port <= ports; ++port) {
            sleep_until(start + sequence * period + (port - 1) * period / ports);
            const std::string& line = lines[port - 1][sequence];
            if (::write(ptys[port - 1]->device_fd(), line.data(), line.size()) != static_cast<ssize_t>(line.size()))
                return false;
            written[port - 1][sequence] = now_ns();
        }
    }
    usleep(100000);  // the last sentences through
    const int64_t cpu_after = process_cpu_ns(server);
    const int64_t cpu_to = now_ns();
    result.cpu_percent = 100.0 * static_cast<double>(cpu_after - cpu_before) / static_cast<double>(cpu_to - cpu_from);

    int status = 0;
    waitpid(subscriber, &status, 0);
    std::vector<double> latencies;
    std::istringstream in(helm::test::read_file(out));
    int port, sequence;
    long long arrival;
    while (in >> port >> sequence >> arrival) {
        if (port >= 1 && port <= ports && sequence >= 0 && sequence < per_port && written[port - 1][sequence])
            latencies.push_back(static_cast<double>(arrival - written[port - 1][sequence]) / 1000.0);
    }
    result.sent = static_cast<size_t>(ports) * per_port;
    result.received = latencies.size();
    if (!latencies.empty()) {
        std::sort(latencies.begin(), latencies.end());
        auto at = [&](double p) { return latencies[static_cast<size_t>(p * (latencies.size() - 1))]; };
        result.p50_us = at(0.50);
        result.p99_us = at(0.99);
        result.max_us = latencies.back();
    }

    F_StopServer();
    const bool closed =
        helm::test::eventually([] { return FindWindow(PORTSERVER_WINDOW_CLASS, nullptr) == nullptr; }, 10000);
    if (!closed && server > 0)
        ::kill(server, SIGKILL);
    waitpid(server, &status, 0);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--subscriber") == 0)
        return run_subscriber(std::atoi(argv[2]), argv[3], argv[4]);

    std::vector<int> counts = {1, 8, 32};
    int rate = 100, seconds = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--ports") == 0) {
            counts.clear();
            std::istringstream list(argv[i + 1]);
            for (std::string item; std::getline(list, item, ',');)
                counts.push_back(std::clamp(std::atoi(item.c_str()), 1, 32));
        } else if (std::strcmp(argv[i], "--rate") == 0) {
            rate = std::clamp(std::atoi(argv[i + 1]), 1, 1000);
        } else if (std::strcmp(argv[i], "--seconds") == 0) {
            seconds = std::clamp(std::atoi(argv[i + 1]), 1, 600);
        } else {
            std::fprintf(stderr, "usage: portserver_bench [--ports 1,8,32] [--rate 100] [--seconds 10]\n");
            return 2;
        }
    }

    char dir_template[] = "/tmp/portserver-bench-XXXXXX";
    const char* dir = mkdtemp(dir_template);
    if (!dir)
        return 1;
    setenv("HELM_STATION", (std::string(dir) + "/station").c_str(), 1);
    setenv("HELM_PORTLINK_INI", (std::string(dir) + "/Portserver.ini").c_str(), 1);
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return 1;
    self[length] = '\0';

    std::printf("%d sentences/s per port, %d s a run; latency from the last byte written to the client's message\n",
                rate, seconds);
    int failures = 0;
    for (int ports : counts) {
        Result r;
        if (!run(ports, rate, seconds, dir, self, r)) {
            ++failures;
            continue;
        }
        std::printf("%2d ports: %zu/%zu received, p50 %.0f us, p99 %.0f us, max %.0f us, server CPU %.2f %% of a core\n",
                    r.ports, r.received, r.sent, r.p50_us, r.p99_us, r.max_us, r.cpu_percent);
        std::fflush(stdout);
    }
    std::system(("rm -rf '" + std::string(dir) + "'").c_str());
    return failures ? 1 : 0;
}
