// Messages: sent versus posted, across threads, the loop's translation,
// timers and WM_PAINT.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "recorder.h"

using namespace user_test;

namespace {

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(recording_class(), nullptr);
        Recorder::instance().clear();
        clear_answers();
        m_window = CreateWindowEx(0, recording_class(), "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
        pump();
        Recorder::instance().clear();
    }
    void TearDown() override
    {
        if (IsWindow(m_window))
            DestroyWindow(m_window);
        pump();
    }
    HWND m_window = nullptr;
};

// A thread that owns a recording window and pumps until WM_QUIT.
class WindowThread {
public:
    WindowThread()
    {
        m_thread = std::thread([this] {
            HWND w = CreateWindowEx(0, recording_class(), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
            m_window = w;
            MSG msg;
            while (GetMessage(&msg, nullptr, 0, 0) > 0)
                DispatchMessage(&msg);
            DestroyWindow(w);
        });
        while (!m_window)
            std::this_thread::yield();
    }
    ~WindowThread()
    {
        DWORD id = GetWindowThreadProcessId(m_window, nullptr);
        PostThreadMessage(id, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND window() const { return m_window; }

private:
    std::atomic<HWND> m_window{nullptr};
    std::thread m_thread;
};

TEST_F(MessagesTest, SendIsADirectCallPostWaitsForTheLoop)
{
    set_answer(WM_APP, 99);
    EXPECT_EQ(SendMessage(m_window, WM_APP, 1, 2), 99);
    EXPECT_EQ(Recorder::instance().take().size(), 1u);
    ASSERT_TRUE(PostMessage(m_window, WM_APP, 3, 4));
    ASSERT_TRUE(PostMessage(m_window, WM_APP + 1, 5, 6));
    EXPECT_TRUE(Recorder::instance().take().empty());
    pump();
    auto seen = Recorder::instance().take();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], (Seen{m_window, WM_APP, 3, 4}));
    EXPECT_EQ(seen[1], (Seen{m_window, WM_APP + 1, 5, 6}));
}

TEST_F(MessagesTest, PointerMessagesAreNeverPosted)
{
    for (UINT message : {WM_SETTEXT, WM_GETTEXT, WM_COPYDATA, WM_CREATE, WM_WINDOWPOSCHANGED}) {
        EXPECT_FALSE(PostMessage(m_window, message, 0, 0)) << message;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY));
    }
}

TEST_F(MessagesTest, SentFromAnotherThreadRunsBeforePostedMessages)
{
    ASSERT_TRUE(PostMessage(m_window, WM_APP, 0, 0));
    std::atomic<LRESULT> result{0};
    set_answer(WM_APP + 1, 7);
    std::thread sender([&] { result = SendMessage(m_window, WM_APP + 1, 0, 0); });
    // Let the send arrive before this thread looks at its queue.
    while (!(GetQueueStatus(QS_SENDMESSAGE) & QS_SENDMESSAGE))
        std::this_thread::yield();
    MSG msg;
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));
    sender.join();
    EXPECT_EQ(result, 7);
    auto seen = Recorder::instance().take();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_APP + 1)) << "handled inside GetMessage, before the post returned";
}

LRESULT CALLBACK echo_back_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    // Sends back to the window in wParam, whose thread is waiting on us.
    if (m == WM_APP + 2)
        return SendMessage(reinterpret_cast<HWND>(wp), WM_APP + 3, 0, 0) + 1;
    return DefWindowProc(w, m, wp, lp);
}

TEST_F(MessagesTest, AThreadWaitingOnASendServesMessagesSentToIt)
{
    WindowThread other;
    WNDPROC original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(other.window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(echo_back_proc)));
    set_answer(WM_APP + 3, 40);
    EXPECT_EQ(SendMessage(other.window(), WM_APP + 2, reinterpret_cast<WPARAM>(m_window), 0), 41);
    EXPECT_EQ(Recorder::instance().messages_of(m_window, {WM_APP + 3}).size(), 1u);
    SetWindowLongPtr(other.window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
}

TEST_F(MessagesTest, SendTimeoutToAThreadThatDoesNotPump)
{
    std::atomic<HWND> window{nullptr};
    std::atomic<bool> release{false};
    std::thread stuck([&] {
        window = CreateWindowEx(0, recording_class(), "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        pump();
        DestroyWindow(window);
    });
    while (!window)
        std::this_thread::yield();
    DWORD_PTR result = 123;
    const uint64_t start = helm::kernel::steady_ms();
    EXPECT_EQ(SendMessageTimeout(window, WM_APP, 0, 0, SMTO_NORMAL, 100, &result), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_GE(helm::kernel::steady_ms() - start, 95u);
    EXPECT_EQ(result, 123u);
    release = true;
    stuck.join();
    EXPECT_TRUE(Recorder::instance().messages_of(window, {WM_APP}).empty()) << "an abandoned send is not run";
}

TEST_F(MessagesTest, TranslateMessagePostsCharactersForPrintableKeys)
{
    struct Case {
        WPARAM key;
        bool shift;
        int character;  // -1: none
    } cases[] = {{'A', false, 'a'}, {'A', true, 'A'}, {'7', false, '7'}, {VK_NUMPAD0 + 3, false, '3'},
                 {VK_DECIMAL, false, '.'}, {VK_RETURN, false, '\r'}, {VK_LEFT, false, -1}};
    for (const Case& c : cases) {
        if (c.shift) {
            MSG shift{m_window, WM_KEYDOWN, VK_SHIFT, 0, 0, {}};
            TranslateMessage(&shift);
        }
        MSG down{m_window, WM_KEYDOWN, c.key, 1, 0, {}};
        TranslateMessage(&down);
        if (c.shift) {
            MSG up{m_window, WM_KEYUP, VK_SHIFT, 0, 0, {}};
            TranslateMessage(&up);
        }
        MSG msg;
        bool got = PeekMessage(&msg, m_window, WM_CHAR, WM_CHAR, PM_REMOVE);
        EXPECT_EQ(got, c.character >= 0) << c.key;
        if (got) {
            EXPECT_EQ(msg.wParam, static_cast<WPARAM>(c.character)) << c.key;
        }
    }
}

TEST_F(MessagesTest, TimersAreLowPriorityAndCoalesced)
{
    ASSERT_EQ(SetTimer(m_window, 5, 20, nullptr), 5u);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));  // several periods, nothing pumped
    PostMessage(m_window, WM_APP, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP)) << "posted messages come before timers";
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.hwnd, m_window);
    EXPECT_EQ(msg.wParam, 5u);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) << "one WM_TIMER for all missed periods";
    // GetMessage wakes up for the next one.
    const uint64_t start = helm::kernel::steady_ms();
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_LT(helm::kernel::steady_ms() - start, 1000u);
    EXPECT_TRUE(KillTimer(m_window, 5));
    EXPECT_FALSE(KillTimer(m_window, 5));
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

std::atomic<int> g_timer_calls{0};
void CALLBACK count_timer(HWND, UINT, UINT_PTR, DWORD) { ++g_timer_calls; }

TEST_F(MessagesTest, TimerProcsAndMsgWaitWakeForTimers)
{
    g_timer_calls = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 10, count_timer);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 2000, QS_TIMER), WAIT_OBJECT_0);
    pump();
    EXPECT_EQ(g_timer_calls, 1);
    EXPECT_TRUE(KillTimer(nullptr, id));
}

TEST_F(MessagesTest, PaintIsGeneratedWhenTheQueueIsEmptyAndOnlyForVisibleWindows)
{
    InvalidateRect(m_window, nullptr, TRUE);
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "hidden windows are not painted";
    ShowWindow(m_window, SW_SHOWNA);
    PostMessage(m_window, WM_APP, 0, 0);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) << "WM_PAINT stays until validated";
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    DispatchMessage(&msg);  // DefWindowProc validates
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(Recorder::instance().messages_of(m_window, {WM_ERASEBKGND}).size(), 1u);
    RECT part{10, 10, 20, 20};
    InvalidateRect(m_window, &part, FALSE);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(m_window, &update, FALSE));
    EXPECT_TRUE(EqualRect(&update, &part));
    Recorder::instance().clear();
    UpdateWindow(m_window);
    EXPECT_EQ(Recorder::instance().messages_of(m_window, {WM_PAINT}).size(), 1u);
    EXPECT_FALSE(GetUpdateRect(m_window, &update, FALSE));
}

TEST_F(MessagesTest, InvalidatingFromAnotherThreadWakesTheOwner)
{
    ShowWindow(m_window, SW_SHOWNA);
    pump();
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        InvalidateRect(m_window, nullptr, FALSE);
    });
    MSG msg;
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    DispatchMessage(&msg);
    other.join();
}
}  // namespace
