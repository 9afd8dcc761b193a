// Thread messages between two processes of one station: latency by
// ping-pong (half the round trip, and one way on the shared monotonic
// clock) and one-way throughput with the receiver draining.
//
//   thread_messages_bench [round_trips] [bulk_messages]
//
// Runs in a private station of its own; the peer is this program again.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "helm/kernel/error.h"
#include "helm/kernel/messages.h"
#include "helm/kernel/threads.h"

extern char** environ;

namespace {

constexpr UINT hello = WM_APP + 1;  // peer -> main: wParam = peer's thread
constexpr UINT ping = WM_APP + 2;   // lParam = send time
constexpr UINT pong = WM_APP + 3;   // lParam = the ping's send time, wParam = its arrival time
constexpr UINT bulk = WM_APP + 4;   // wParam = sequence number
constexpr UINT bulk_done = WM_APP + 5;  // wParam = messages seen in order, lParam = last arrival time

int64_t now_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool post(DWORD thread, UINT message, WPARAM w, LPARAM l)
{
    while (!PostThreadMessage(thread, message, w, l)) {
        if (GetLastError() != ERROR_NOT_ENOUGH_QUOTA) {
            std::fprintf(stderr, "post failed: %u\n", GetLastError());
            return false;
        }
    }
    return true;
}

int run_peer(DWORD main_thread)
{
    helm::kernel::ensure_current_queue();
    // Main opened its endpoint before starting us; retry only while it settles.
    for (int i = 0; !PostThreadMessage(main_thread, hello, GetCurrentThreadId(), 0); ++i) {
        if (i > 5000)
            return 2;
        usleep(1000);
    }
    MSG msg{};
    WPARAM expected = 0;
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        switch (msg.message) {
        case ping:
            post(main_thread, pong, static_cast<WPARAM>(now_ns()), msg.lParam);
            break;
        case bulk:
            if (msg.wParam == expected)
                ++expected;
            if (msg.lParam != 0)  // the last one
                post(main_thread, bulk_done, expected, static_cast<LPARAM>(now_ns()));
            break;
        }
    }
    return 0;
}

double percentile(std::vector<int64_t>& values, double p)
{
    std::sort(values.begin(), values.end());
    size_t index = std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())));
    return static_cast<double>(values[index]) / 1000.0;
}

MSG wait_for(UINT message)
{
    MSG msg{};
    while (GetMessage(&msg, nullptr, 0, 0) > 0 && msg.message != message) {
    }
    return msg;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--peer") == 0)
        return run_peer(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));

    const int round_trips = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int bulk_messages = argc > 2 ? std::atoi(argv[2]) : 1000000;
    if (round_trips < 1 || bulk_messages < 1) {
        std::fprintf(stderr, "usage: %s [round_trips] [bulk_messages]\n", argv[0]);
        return 1;
    }

    std::string station = (std::filesystem::temp_directory_path() / "helm-bench-XXXXXX").string();
    if (!mkdtemp(station.data()))
        return 1;
    setenv("HELM_STATION", station.c_str(), 1);
    helm::kernel::ensure_current_queue();

    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string tid = std::to_string(GetCurrentThreadId());
    char* peer_argv[] = {self.data(), const_cast<char*>("--peer"), tid.data(), nullptr};
    pid_t peer = -1;
    if (posix_spawn(&peer, self.c_str(), nullptr, nullptr, peer_argv, environ) != 0)
        return 1;
    const DWORD peer_thread = static_cast<DWORD>(wait_for(hello).wParam);

    // Latency: one message in flight at a time.
    const int warm_up = std::min(1000, round_trips);
    std::vector<int64_t> half_round, one_way;
    half_round.reserve(static_cast<size_t>(round_trips));
    one_way.reserve(static_cast<size_t>(round_trips));
    for (int i = 0; i < warm_up + round_trips; ++i) {
        int64_t sent = now_ns();
        if (!post(peer_thread, ping, 0, static_cast<LPARAM>(sent)))
            return 1;
        MSG msg = wait_for(pong);
        int64_t back = now_ns();
        if (i < warm_up)
            continue;
        half_round.push_back((back - sent) / 2);
        one_way.push_back(static_cast<int64_t>(msg.wParam) - sent);
    }

    // Throughput: posts as fast as they go; the peer drains.
    int64_t start = now_ns();
    for (int i = 0; i < bulk_messages; ++i)
        if (!post(peer_thread, bulk, static_cast<WPARAM>(i), i == bulk_messages - 1 ? 1 : 0))
            return 1;
    MSG done = wait_for(bulk_done);
    int64_t elapsed = static_cast<int64_t>(done.lParam) - start;

    PostThreadMessage(peer_thread, WM_QUIT, 0, 0);
    int status = 0;
    waitpid(peer, &status, 0);
    std::filesystem::remove_all(station);

    std::printf("thread messages between two processes\n");
    std::printf("  latency, half round trip (%d): p50 %.1f us  p99 %.1f us\n", round_trips,
                percentile(half_round, 0.50), percentile(half_round, 0.99));
    std::printf("  latency, one way           (%d): p50 %.1f us  p99 %.1f us\n", round_trips,
                percentile(one_way, 0.50), percentile(one_way, 0.99));
    std::printf("  throughput, one way: %d messages in %.3f s = %.0f messages/s (%zu in order)\n", bulk_messages,
                static_cast<double>(elapsed) / 1e9, bulk_messages / (static_cast<double>(elapsed) / 1e9),
                static_cast<size_t>(done.wParam));
    return done.wParam == static_cast<WPARAM>(bulk_messages) ? 0 : 1;
}
