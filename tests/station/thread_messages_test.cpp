#include <pthread.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "helm/kernel/error.h"
#include "helm/station/fabric.h"
#include "station_test_util.h"

using namespace station_test;
using helm::test::spawn_child;

namespace {

constexpr UINT sequence_message = WM_APP + 1;
constexpr UINT sequence_done = WM_APP + 2;
constexpr UINT sequence_ack = WM_APP + 3;
constexpr int sequence_length = 10000;

LPARAM sequence_lparam(int i) { return static_cast<LPARAM>(i) * 1000003 - 77; }  // needs 64 bits

// Posts the sequence to the parent's thread, waits for the parent's count.
HELM_TEST_CHILD(post_sequence)
{
    const DWORD parent = to_dword(args.at(0));
    helm::kernel::ensure_current_queue();
    // The parent may not be reachable at once; a refused post delivers nothing.
    if (!helm::test::eventually([&] { return PostThreadMessage(parent, sequence_message, 0, sequence_lparam(0)); }))
        return 10;
    for (int i = 1; i < sequence_length; ++i)
        if (!PostThreadMessage(parent, sequence_message, static_cast<WPARAM>(i), sequence_lparam(i)))
            return 11;
    if (!PostThreadMessage(parent, sequence_done, GetCurrentThreadId(), 0))
        return 12;
    MSG msg{};
    if (!get_message_within(msg, 20000) || msg.message != sequence_ack)
        return 13;
    return msg.wParam == static_cast<WPARAM>(sequence_length) ? 0 : 14;
}

TEST(CrossProcessThreadMessages, TenThousandArriveInOrderBothWays)
{
    helm::kernel::ensure_current_queue();
    auto child = spawn_child("post_sequence", {std::to_string(GetCurrentThreadId())});
    int in_order = 0;
    MSG msg{};
    for (;;) {
        ASSERT_TRUE(get_message_within(msg, 20000)) << "after " << in_order << " messages";
        if (msg.message == sequence_done)
            break;
        ASSERT_EQ(msg.message, sequence_message);
        ASSERT_EQ(msg.hwnd, nullptr);
        ASSERT_EQ(msg.wParam, static_cast<WPARAM>(in_order)) << "out of order";
        ASSERT_EQ(msg.lParam, sequence_lparam(in_order));
        ++in_order;
    }
    EXPECT_EQ(in_order, sequence_length);
    ASSERT_TRUE(PostThreadMessage(static_cast<DWORD>(msg.wParam), sequence_ack, static_cast<WPARAM>(in_order), 0))
        << GetLastError();
    EXPECT_EQ(child.wait(), 0);
}

// With "queue": opens its endpoint, starts a worker thread that ends at
// once, publishes "<main tid> <ended worker tid>" and waits for WM_QUIT.
// With "no-queue": no queue and no other thread (so no endpoint); publishes
// "<main tid> 0" and stays until killed.
HELM_TEST_CHILD(idle_with_ended_worker)
{
    if (args.at(1) != "queue") {
        publish(args.at(0), std::to_string(GetCurrentThreadId()) + " 0");
        pause();
        return 0;
    }
    helm::kernel::ensure_current_queue();
    DWORD worker = 0;
    HANDLE thread = CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, &worker);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    // The handle is signalled when the thread function returns; the Linux
    // task goes a moment later, and until then the thread still looks alive.
    const std::string task = "/proc/self/task/" + std::to_string(worker);
    for (int i = 0; i < 5000 && access(task.c_str(), F_OK) == 0; ++i)
        Sleep(1);
    publish(args.at(0), std::to_string(GetCurrentThreadId()) + " " + std::to_string(worker));
    MSG msg{};
    return get_message_within(msg, 30000) && msg.message == WM_QUIT ? 0 : 20;
}

struct ChildThreads {
    DWORD main = 0;
    DWORD ended_worker = 0;
};

ChildThreads read_threads(const std::string& path)
{
    ChildThreads t;
    std::istringstream in(helm::test::read_file(path));
    in >> t.main >> t.ended_worker;
    return t;
}

void expect_post_fails(DWORD thread, const char* what)
{
    SetLastError(0);
    EXPECT_FALSE(PostThreadMessage(thread, WM_APP, 0, 0)) << what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID)) << what;
}

TEST(CrossProcessThreadMessages, PostToAnEndedThreadFails)
{
    DWORD ended = 0;
    HANDLE thread = CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, &ended);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    expect_post_fails(ended, "ended thread of this process");

    helm::test::TempDir dir;
    auto child = spawn_child("idle_with_ended_worker", {dir.file("tids"), "queue"});
    ASSERT_TRUE(wait_for_file(dir.file("tids")));
    ChildThreads t = read_threads(dir.file("tids"));
    expect_post_fails(t.ended_worker, "ended thread of a running process");
    EXPECT_TRUE(PostThreadMessage(t.main, WM_QUIT, 0, 0)) << GetLastError();
    EXPECT_EQ(child.wait(), 0);
    expect_post_fails(t.main, "thread of a process that has exited");
    expect_post_fails(0, "thread id 0");
}

// Starts a worker with a queue that ends on WM_QUIT, publishes
// "<main tid> <worker tid>", and once the worker's task has gone publishes
// "ended" beside it; then waits for WM_QUIT itself.
HELM_TEST_CHILD(worker_ends_when_told)
{
    helm::kernel::ensure_current_queue();
    DWORD worker = 0;
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID) -> DWORD {
            MSG msg{};
            while (get_message_within(msg, 30000) && msg.message != WM_QUIT) {
            }
            return 0;
        },
        nullptr, 0, &worker);
    publish(args.at(0), std::to_string(GetCurrentThreadId()) + " " + std::to_string(worker));
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    const std::string task = "/proc/self/task/" + std::to_string(worker);
    for (int i = 0; i < 5000 && access(task.c_str(), F_OK) == 0; ++i)
        Sleep(1);
    publish(args.at(0) + ".ended", "ended");
    MSG msg{};
    return get_message_within(msg, 30000) && msg.message == WM_QUIT ? 0 : 20;
}

// A thread already reached once ends while its process lives on: the
// sender learns it from that process and its posts fail from then on.
TEST(CrossProcessThreadMessages, PostsToAThreadThatEndedAfterBeingReachedFail)
{
    helm::test::TempDir dir;
    auto child = spawn_child("worker_ends_when_told", {dir.file("tids")});
    ASSERT_TRUE(wait_for_file(dir.file("tids")));
    ChildThreads t = read_threads(dir.file("tids"));
    ASSERT_TRUE(helm::test::eventually([&] { return PostThreadMessage(t.ended_worker, WM_APP, 0, 0) != FALSE; }));
    ASSERT_TRUE(PostThreadMessage(t.ended_worker, WM_QUIT, 0, 0)) << GetLastError();
    ASSERT_TRUE(wait_for_file(dir.file("tids.ended")));

    // The sender still takes the thread for the child's, so the post goes
    // and the child answers that it has no such thread (unless the sender's
    // check of once a second has seen the end first, on a slow machine).
    const uint64_t received = helm::station::fabric_stats().received;
    if (PostThreadMessage(t.ended_worker, WM_APP, 0, 0)) {
        ASSERT_TRUE(helm::test::eventually([&] { return helm::station::fabric_stats().received > received; }));
    }
    expect_post_fails(t.ended_worker, "ended thread, once its process said so");
    EXPECT_TRUE(PostThreadMessage(t.main, WM_QUIT, 0, 0)) << GetLastError();
    EXPECT_EQ(child.wait(), 0);
}

TEST(CrossProcessThreadMessages, ProcessWithoutQueueIsNotReachedThroughAStaleSocket)
{
    helm::test::TempDir dir;
    auto child = spawn_child("idle_with_ended_worker", {dir.file("tids"), "no-queue"});
    ASSERT_TRUE(wait_for_file(dir.file("tids")));
    ChildThreads t = read_threads(dir.file("tids"));
    expect_post_fails(t.main, "running process that has no endpoint");

    // A socket file bound and then closed: nobody receives there.
    const std::string stale = helm::station::endpoint_path(static_cast<DWORD>(child.pid()));
    {
        int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(stale.size(), sizeof address.sun_path);
        std::memcpy(address.sun_path, stale.c_str(), stale.size() + 1);
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        close(fd);
    }
    expect_post_fails(t.main, "running process behind a stale socket file");
}

TEST(CrossProcessThreadMessages, KilledProcessLooksDeadAndItsSocketIsRemoved)
{
    helm::test::TempDir dir;
    auto child = spawn_child("idle_with_ended_worker", {dir.file("tids"), "queue"});
    ASSERT_TRUE(wait_for_file(dir.file("tids")));
    ChildThreads t = read_threads(dir.file("tids"));
    const std::string endpoint = helm::station::endpoint_path(static_cast<DWORD>(child.pid()));
    struct stat st {};
    ASSERT_EQ(stat(endpoint.c_str(), &st), 0);

    // Killed, not yet waited for: its main thread's id still names a zombie.
    ASSERT_EQ(::kill(child.pid(), SIGKILL), 0);
    ASSERT_TRUE(helm::test::eventually([&] {
        std::string status = helm::test::read_file("/proc/" + std::to_string(child.pid()) + "/stat");
        return status.find(") Z") != std::string::npos;
    }));
    expect_post_fails(t.main, "killed process");

    // Whoever opens an endpoint next clears what dead processes left.
    auto next = spawn_child("idle_with_ended_worker", {dir.file("tids2"), "queue"});
    ASSERT_TRUE(wait_for_file(dir.file("tids2")));
    EXPECT_TRUE(helm::test::eventually([&] { return stat(endpoint.c_str(), &st) != 0; }));
    PostThreadMessage(read_threads(dir.file("tids2")).main, WM_QUIT, 0, 0);
    EXPECT_EQ(next.wait(), 0);
}

// A worker with a queue that answers WM_APP with WM_APP + 1 to the thread
// in wParam, publishes "<main tid> <worker tid>", then either lets its main
// thread end alone (args[1] "main-ends": the process lives on in the
// worker, a zombie leader with a running thread) or waits to be killed.
HELM_TEST_CHILD(worker_outlives_main)
{
    helm::kernel::ensure_current_queue();
    DWORD worker = 0;
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID) -> DWORD {
            MSG msg{};
            while (get_message_within(msg, 30000) && msg.message != WM_QUIT)
                if (msg.message == WM_APP)
                    PostThreadMessage(static_cast<DWORD>(msg.wParam), WM_APP + 1, 0, 0);
            _exit(0);  // the station's receiver would keep the process
        },
        nullptr, 0, &worker);
    publish(args.at(0), std::to_string(GetCurrentThreadId()) + " " + std::to_string(worker));
    if (args.at(1) == "main-ends")
        pthread_exit(nullptr);
    WaitForSingleObject(thread, INFINITE);
    return 0;
}

bool answered_by(DWORD worker)
{
    if (!PostThreadMessage(worker, WM_APP, GetCurrentThreadId(), 0))
        return false;
    MSG msg{};
    return get_message_within(msg, 10000) && msg.message == WM_APP + 1;
}

// Opens an endpoint, which sweeps what dead processes left, and ends.
HELM_TEST_CHILD(open_endpoint_and_end)
{
    helm::kernel::ensure_current_queue();
    return helm::station::open_endpoint() ? 0 : 1;
}

// A process whose main thread has ended is alive while another thread
// runs; a killed one is dead even while one of its threads has not gone
// yet (held here by a tracer, as a thread slow to end would be).
TEST(CrossProcessThreadMessages, AZombieLeaderIsAliveOnlyWhileAnotherThreadRuns)
{
    helm::kernel::ensure_current_queue();
    helm::test::TempDir dir;
    auto child = spawn_child("worker_outlives_main", {dir.file("tids"), "main-ends"});
    ASSERT_TRUE(wait_for_file(dir.file("tids")));
    const ChildThreads t = read_threads(dir.file("tids"));
    ASSERT_TRUE(helm::test::eventually([&] {
        return helm::test::read_file("/proc/" + std::to_string(child.pid()) + "/stat").find(") Z") !=
               std::string::npos;
    }));
    const std::string endpoint = helm::station::endpoint_path(static_cast<DWORD>(child.pid()));
    EXPECT_EQ(spawn_child("open_endpoint_and_end").wait(), 0);
    struct stat st {};
    EXPECT_EQ(stat(endpoint.c_str(), &st), 0) << "the endpoint of a live process was swept";
    EXPECT_TRUE(answered_by(t.ended_worker)) << "the worker of a zombie leader is still reached";
    EXPECT_TRUE(PostThreadMessage(t.ended_worker, WM_QUIT, 0, 0));
    EXPECT_EQ(child.wait(), 0);

    auto killed = spawn_child("worker_outlives_main", {dir.file("tids2"), "wait"});
    ASSERT_TRUE(wait_for_file(dir.file("tids2")));
    const ChildThreads k = read_threads(dir.file("tids2"));
    ASSERT_TRUE(answered_by(k.ended_worker));
    // A traced thread stays until its tracer has seen it end.
    if (ptrace(PTRACE_SEIZE, static_cast<pid_t>(k.ended_worker), nullptr, nullptr) != 0)
        GTEST_SKIP() << "threads cannot be traced here";
    ASSERT_EQ(::kill(killed.pid(), SIGKILL), 0);
    ASSERT_TRUE(helm::test::eventually([&] {
        return helm::test::read_file("/proc/" + std::to_string(k.ended_worker) + "/stat").find(") Z") !=
               std::string::npos;
    }));
    const std::string killed_endpoint = helm::station::endpoint_path(static_cast<DWORD>(killed.pid()));
    EXPECT_EQ(stat(killed_endpoint.c_str(), &st), 0);
    EXPECT_EQ(spawn_child("open_endpoint_and_end").wait(), 0);
    EXPECT_NE(stat(killed_endpoint.c_str(), &st), 0) << "the endpoint of a killed process was kept";
    expect_post_fails(k.ended_worker, "thread of a killed process");
    int status = 0;
    waitpid(static_cast<pid_t>(k.ended_worker), &status, __WALL);
}

}  // namespace
