#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "helm/kernel/error.h"
#include "helm/kernel/messages.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/threads.h"

namespace {

constexpr UINT kPing = WM_APP + 1;

// Starts a thread that runs `body` and returns its handle and id.
struct Started {
    HANDLE handle;
    DWORD id;
};

template <class F>
Started start(F* body)
{
    Started s{};
    s.handle = CreateThread(nullptr, 0, [](LPVOID p) -> DWORD { return (*static_cast<F*>(p))(); }, body, 0, &s.id);
    return s;
}

TEST(Threads, ParameterIdAndExitCode)
{
    std::atomic<DWORD> seen_id{0};
    auto body = [&]() -> DWORD {
        seen_id = GetCurrentThreadId();
        MSG msg;
        GetMessage(&msg, nullptr, 0, 0);  // until told to end
        return static_cast<DWORD>(msg.wParam);
    };
    Started t = start(&body);
    ASSERT_NE(t.handle, nullptr);
    EXPECT_NE(t.id, GetCurrentThreadId());

    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(t.handle, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(t.handle, 20), WAIT_TIMEOUT);

    // The queue exists as soon as CreateThread returns.
    ASSERT_TRUE(PostThreadMessage(t.id, kPing, 42, 0));
    EXPECT_EQ(WaitForSingleObject(t.handle, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(seen_id.load(), t.id);
    ASSERT_TRUE(GetExitCodeThread(t.handle, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(CloseHandle(t.handle));
    EXPECT_FALSE(CloseHandle(t.handle));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Threads, SuspendedStartAndExitThread)
{
    std::atomic<bool> ran{false};
    auto body = [&]() -> DWORD {
        ran = true;
        ExitThread(7);
        return 0;
    };
    DWORD id = 0;
    HANDLE h = CreateThread(nullptr, 0, [](LPVOID p) -> DWORD { return (*static_cast<decltype(body)*>(p))(); }, &body,
                            CREATE_SUSPENDED, &id);
    ASSERT_NE(h, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(ran);
    EXPECT_EQ(ResumeThread(h), 1u);
    EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(h, &code);
    EXPECT_EQ(code, 7u);
    CloseHandle(h);
}

TEST(Messages, PostToEndedThreadFails)
{
    auto body = []() -> DWORD { return 0; };
    Started t = start(&body);
    ASSERT_EQ(WaitForSingleObject(t.handle, 5000), WAIT_OBJECT_0);
    SetLastError(0);
    EXPECT_FALSE(PostThreadMessage(t.id, kPing, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
    CloseHandle(t.handle);
    EXPECT_FALSE(PostThreadMessage(0, kPing, 0, 0));
}

TEST(Messages, OrderKeptPerSender)
{
    constexpr int kSenders = 4;
    constexpr int kEach = 2000;
    DWORD me = GetCurrentThreadId();
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);  // make sure the queue exists
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s)
        senders.emplace_back([=] {
            for (int i = 0; i < kEach; ++i)
                while (!PostThreadMessage(me, kPing + s, i, s))
                    std::this_thread::yield();
        });
    std::vector<int> next(kSenders, 0);
    for (int n = 0; n < kSenders * kEach; ++n) {
        ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
        int s = static_cast<int>(msg.lParam);
        ASSERT_EQ(msg.message, kPing + s);
        ASSERT_EQ(static_cast<int>(msg.wParam), next[s]) << "sender " << s;
        ++next[s];
    }
    for (auto& t : senders)
        t.join();
}

TEST(Messages, PeekRemoveFilterAndQuit)
{
    DWORD me = GetCurrentThreadId();
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PostThreadMessage(me, WM_USER + 1, 1, 0));
    ASSERT_TRUE(PostThreadMessage(me, WM_USER + 2, 2, 0));

    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1u);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    EXPECT_EQ(msg.hwnd, nullptr);

    // A quit request comes after the posted messages that are waiting.
    PostQuitMessage(5);
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_USER + 1u);
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 5u);

    // A posted WM_QUIT also ends GetMessage.
    ASSERT_TRUE(PostThreadMessage(me, WM_QUIT, 0, 0));
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), FALSE);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Messages, QueueIsBounded)
{
    DWORD me = GetCurrentThreadId();
    int accepted = 0;
    while (PostThreadMessage(me, kPing, accepted, 0) && accepted < HELM_QUEUE_LIMIT + 10)
        ++accepted;
    EXPECT_EQ(accepted, HELM_QUEUE_LIMIT);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
    MSG msg;
    int drained = 0;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        ASSERT_EQ(static_cast<int>(msg.wParam), drained++);
    EXPECT_EQ(drained, HELM_QUEUE_LIMIT);
}

TEST(Messages, MsgWaitReportsNewPostsAndTimesOut)
{
    DWORD me = GetCurrentThreadId();
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    uint64_t before = helm::kernel::steady_ms();
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_POSTMESSAGE), WAIT_TIMEOUT);
    EXPECT_GE(helm::kernel::steady_ms() - before, 45u);

    std::thread poster([=] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        PostThreadMessage(me, kPing, 1, 0);
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_POSTMESSAGE), WAIT_OBJECT_0);
    poster.join();

    // A message only peeked at is no longer new: the wait does not return
    // for it again, as on Windows.
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_POSTMESSAGE), WAIT_TIMEOUT);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Messages, MsgWaitWithHandles)
{
    DWORD me = GetCurrentThreadId();
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    auto body = []() -> DWORD {
        MSG m;
        GetMessage(&m, nullptr, 0, 0);
        return 0;
    };
    Started t = start(&body);
    std::thread poster([=] { PostThreadMessage(me, kPing, 0, 0); });
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &t.handle, FALSE, 5000, QS_POSTMESSAGE), WAIT_OBJECT_0 + 1);
    poster.join();
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));

    PostThreadMessage(t.id, kPing, 0, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &t.handle, FALSE, 5000, QS_POSTMESSAGE), WAIT_OBJECT_0);
    CloseHandle(t.handle);
    HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FFF0000));
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &bogus, FALSE, 0, QS_POSTMESSAGE), WAIT_FAILED);
}

MSG input_message(UINT message, WPARAM wParam)
{
    MSG msg{};
    msg.message = message;
    msg.wParam = wParam;
    return msg;
}

TEST(Messages, InputIsServedAfterPostedMessagesAndBeforeQuit)
{
    constexpr UINT key_down = 0x0100, mouse_move = 0x0200, button_down = 0x0201;
    DWORD me = GetCurrentThreadId();
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    using helm::kernel::post_input_to_local_thread;
    ASSERT_EQ(post_input_to_local_thread(me, input_message(key_down, 'A')), helm::kernel::LocalPost::delivered);
    // Mouse moves waiting last are coalesced; one behind a press is kept.
    post_input_to_local_thread(me, input_message(mouse_move, 0));
    post_input_to_local_thread(me, input_message(mouse_move, 0));
    post_input_to_local_thread(me, input_message(button_down, 1));
    post_input_to_local_thread(me, input_message(mouse_move, 1));
    PostQuitMessage(0);
    ASSERT_TRUE(PostThreadMessage(me, kPing, 0, 0));  // posted after all of it, served first

    EXPECT_EQ(GetQueueStatus(QS_ALLINPUT) & 0xFFFF, QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE);
    std::vector<UINT> order;
    while (GetMessage(&msg, nullptr, 0, 0))
        order.push_back(msg.message);
    EXPECT_EQ(order, (std::vector<UINT>{kPing, key_down, mouse_move, button_down, mouse_move}));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

// Routes input as a window layer would, recording when it is asked.
struct RecordingRouter final : helm::kernel::InputRouter {
    bool route(MSG* msg) override
    {
        routed.push_back(static_cast<int>(msg->wParam));
        msg->lParam = 100 + static_cast<LPARAM>(routed.size());
        return msg->wParam != 0;  // 0 has nowhere to go
    }
    std::vector<int> routed;
};

TEST(Messages, InputIsRoutedOnlyWhenTheThreadComesToIt)
{
    DWORD me = GetCurrentThreadId();
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    RecordingRouter router;
    helm::kernel::set_input_router(&router);
    using helm::kernel::post_input_to_local_thread;
    for (WPARAM key : {1, 0, 2})
        post_input_to_local_thread(me, input_message(0x0100, key));
    MSG routed_elsewhere = input_message(0x0100, 3);
    routed_elsewhere.lParam = 7;
    post_input_to_local_thread(me, routed_elsewhere, true);

    // A peek routes the first input once; taking it does not route again.
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(router.routed, (std::vector<int>{1}));
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.lParam, 101);
    EXPECT_EQ(router.routed, (std::vector<int>{1}));
    // Input the router drops is never seen; input routed already is not
    // routed again.
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 2u);
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(msg.lParam, 7);
    EXPECT_EQ(router.routed, (std::vector<int>{1, 0, 2}));
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    helm::kernel::set_input_router(nullptr);
}

TEST(Messages, MsgWaitWakesForInputOnlyWhenAskedTo)
{
    DWORD me = GetCurrentThreadId();
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    helm::kernel::post_input_to_local_thread(me, input_message(0x0100, 'A'));
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_POSTMESSAGE), WAIT_TIMEOUT);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_MOUSE), WAIT_TIMEOUT);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_KEY), WAIT_OBJECT_0);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('A'));

    std::thread typist([=] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        helm::kernel::post_input_to_local_thread(me, input_message(0x0201, 1));
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT), WAIT_OBJECT_0);
    typist.join();
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Messages, SentWorkRunsBeforePostedMessages)
{
    DWORD me = GetCurrentThreadId();
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    ASSERT_TRUE(PostThreadMessage(me, kPing, 0, 0));
    std::vector<int> order;
    ASSERT_TRUE(helm::kernel::queue_sent_work(me, [&] { order.push_back(1); }));
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    order.push_back(2);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));

    // A thread blocked in a wait still serves work sent to it.
    std::atomic<bool> served{false};
    std::thread sender([&] { helm::kernel::queue_sent_work(me, [&] { served = true; }); });
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_POSTMESSAGE), WAIT_TIMEOUT);
    sender.join();
    EXPECT_TRUE(served);
}

}  // namespace
