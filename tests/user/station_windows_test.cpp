// Windows across processes of a station: FindWindow and WM_COPYDATA with
// its result, HWND_BROADCAST within one station only, and sends to a
// process that died.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "helm/test/support.h"

namespace {

constexpr char server_class[] = "HelmTestCopyDataServer";
constexpr char listener_class[] = "HelmTestBroadcastListener";
constexpr char broadcast_name[] = "HELM_TEST_BROADCAST";

std::string g_out_dir;  // where a child notes what it received

// Answers WM_COPYDATA with dwData plus the sum of the bytes, and ends on WM_CLOSE.
LRESULT CALLBACK server_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_COPYDATA) {
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        LRESULT sum = static_cast<LRESULT>(cds->dwData);
        for (DWORD i = 0; i < cds->cbData; ++i)
            sum += static_cast<const unsigned char*>(cds->lpData)[i];
        return sum;
    }
    if (m == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProc(w, m, wp, lp);
}

LRESULT CALLBACK listener_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    static const UINT broadcast = RegisterWindowMessage(broadcast_name);
    if (m == broadcast) {
        helm::test::write_file(g_out_dir + "/got-" + std::to_string(getpid()), std::to_string(wp));
        return 0;
    }
    if (m == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProc(w, m, wp, lp);
}

HWND make_window(LPCSTR class_name, WNDPROC proc, LPCSTR title)
{
    WNDCLASS wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = class_name;
    RegisterClass(&wc);
    return CreateWindowEx(0, class_name, title, WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

int run_loop()
{
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0)
        DispatchMessage(&msg);
    return static_cast<int>(msg.wParam);
}

HELM_TEST_CHILD(copydata_server)
{
    if (!make_window(server_class, server_proc, "Server"))
        return 2;
    return run_loop();
}

// Creates its window, then never looks at its queue again.
HELM_TEST_CHILD(hung_server)
{
    if (!make_window(server_class, server_proc, "Hung"))
        return 2;
    for (;;)
        Sleep(1000);
}

HELM_TEST_CHILD(listener)
{
    g_out_dir = args.at(0);
    if (!make_window(listener_class, listener_proc, args.at(1).c_str()))
        return 2;
    helm::test::write_file(g_out_dir + "/ready-" + args.at(1), "1");
    return run_loop();
}

constexpr char keeper_class[] = "HelmTestToolKeeper";

// Answers WM_USER + 4 (a message of its own, as a program's) with 42, and
// WM_APP with the number of tools of the tooltip it keeps.
LRESULT CALLBACK keeper_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_USER + 4)
        return 42;
    if (m == WM_APP)
        return SendMessage(reinterpret_cast<HWND>(GetWindowLongPtr(w, GWLP_USERDATA)), TTM_GETTOOLCOUNT, 0, 0);
    if (m == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProc(w, m, wp, lp);
}

// A top-level tooltip (published like any top-level window) and a window of
// the program's own class beside it.
HELM_TEST_CHILD(tool_keeper)
{
    HWND keeper = make_window(keeper_class, keeper_proc, "Keeper");
    HWND tip = CreateWindowEx(WS_EX_TOPMOST, TOOLTIPS_CLASS, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, keeper,
                              nullptr, nullptr, nullptr);
    if (!keeper || !tip)
        return 2;
    SetWindowLongPtr(keeper, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(tip));
    return run_loop();
}

HWND find_within(LPCSTR class_name, LPCSTR title, int ms = 10000)
{
    HWND found = nullptr;
    helm::test::eventually([&] { return (found = FindWindow(class_name, title)) != nullptr; }, ms);
    return found;
}

TEST(StationWindows, CopyDataThroughFindWindowReturnsTheReceiversResult)
{
    auto server = helm::test::spawn_child("copydata_server");
    HWND window = find_within(server_class, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(FindWindow("helmtestcopydataserver", "SERVER"), window) << "names match without regard to case";
    EXPECT_EQ(FindWindow(server_class, "Other"), nullptr);

    struct Case {
        ULONG_PTR tag;
        std::string data;
    } cases[] = {{100, ""}, {103, std::string("\x01\x02\x03", 3)}, {900, std::string(64 * 1024, '\x01')}};
    for (const Case& c : cases) {
        COPYDATASTRUCT cds{c.tag, static_cast<DWORD>(c.data.size()), c.data.empty() ? nullptr : const_cast<char*>(c.data.data())};
        LRESULT sum = static_cast<LRESULT>(c.tag);
        for (unsigned char b : c.data)
            sum += b;
        EXPECT_EQ(SendMessage(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), sum) << c.tag;
    }
    std::string too_big(64 * 1024 + 1, 'x');
    COPYDATASTRUCT big{1, static_cast<DWORD>(too_big.size()), too_big.data()};
    EXPECT_EQ(SendMessage(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&big)), 0);
    char text[8] = "x";
    EXPECT_EQ(SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)), 0) << "pointers do not cross";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY));

    ASSERT_TRUE(PostMessage(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(server.wait(10000), 0);
    EXPECT_TRUE(helm::test::eventually([] { return FindWindow(server_class, nullptr) == nullptr; }));
}

// A control's own messages carry pointers into the sender's memory
// (TTM_ADDTOOL's TOOLINFO): from another process, or broadcast, they are
// dropped, where they would have read a foreign address. A program's own
// class still gets its WM_USER messages.
TEST(StationWindows, ControlMessagesFromAnotherProcessAreDropped)
{
    auto keeper_process = helm::test::spawn_child("tool_keeper");
    HWND keeper = find_within(keeper_class, "Keeper");
    HWND tip = find_within(TOOLTIPS_CLASS, nullptr);
    ASSERT_NE(keeper, nullptr);
    ASSERT_NE(tip, nullptr);

    const LPARAM foreign = 0x10;  // no address the keeper could read
    EXPECT_EQ(SendMessage(tip, TTM_ADDTOOL, 0, foreign), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY));
    EXPECT_EQ(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
    EXPECT_TRUE(PostMessage(tip, TTM_ADDTOOL, 0, foreign));  // posted: dropped on arrival
    EXPECT_TRUE(PostMessage(HWND_BROADCAST, TTM_ADDTOOL, 0, foreign));
    EXPECT_EQ(SendMessage(keeper, WM_USER + 4, 0, 0), 42);
    // The posts came before this send; the keeper lives and has no tool.
    EXPECT_EQ(SendMessage(keeper, WM_APP, 0, 0), 0);

    ASSERT_TRUE(PostMessage(keeper, WM_CLOSE, 0, 0));
    EXPECT_EQ(keeper_process.wait(10000), 0);
}

TEST(StationWindows, BroadcastReachesTwoProcessesOfTheStationAndNoneOfAnother)
{
    helm::test::TempDir out;
    helm::test::TempDir other_station;
    auto first = helm::test::spawn_child("listener", {out.path(), "first"});
    auto second = helm::test::spawn_child("listener", {out.path(), "second"});
    auto stranger = helm::test::spawn_child("listener", {out.path(), "stranger"}, {{"HELM_STATION", other_station.path()}});
    for (const char* name : {"first", "second", "stranger"})
        ASSERT_TRUE(helm::test::eventually([&] { return !helm::test::read_file(out.file(std::string("ready-") + name)).empty(); }, 10000)) << name;
    ASSERT_NE(find_within(listener_class, "first"), nullptr);
    ASSERT_NE(find_within(listener_class, "second"), nullptr);
    EXPECT_EQ(FindWindow(listener_class, "stranger"), nullptr);

    const UINT message = RegisterWindowMessage(broadcast_name);
    UINT seen_here = 0;
    struct Local {
        static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
        {
            if (m == RegisterWindowMessage(broadcast_name))
                *reinterpret_cast<UINT*>(GetWindowLongPtr(w, GWLP_USERDATA)) = static_cast<UINT>(wp);
            return DefWindowProc(w, m, wp, lp);
        }
    };
    HWND mine = make_window("HelmTestLocalListener", Local::proc, "local");
    SetWindowLongPtr(mine, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen_here));
    ASSERT_TRUE(PostMessage(HWND_BROADCAST, message, 77, 0));

    for (const auto* child : {&first, &second})
        EXPECT_TRUE(helm::test::eventually([&] { return helm::test::read_file(out.file("got-" + std::to_string(child->pid()))) == "77"; }));
    MSG msg;
    EXPECT_TRUE(helm::test::eventually([&] {
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
        return seen_here == 77;
    }));
    Sleep(200);
    EXPECT_EQ(helm::test::read_file(out.file("got-" + std::to_string(stranger.pid()))), "");
    DestroyWindow(mine);
}

TEST(StationWindows, SendToAKilledProcessFailsInsteadOfHanging)
{
    auto server = helm::test::spawn_child("hung_server");
    HWND window = find_within(server_class, "Hung");
    ASSERT_NE(window, nullptr);

    DWORD_PTR result = 5;
    uint64_t start = helm::kernel::steady_ms();
    EXPECT_EQ(SendMessageTimeout(window, WM_APP, 0, 0, SMTO_NORMAL, 200, &result), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_LT(helm::kernel::steady_ms() - start, 3000u);

    // A send without a time-out, to a process that dies while it waits.
    std::atomic<bool> returned{false};
    std::atomic<LRESULT> sent_result{-1};
    std::thread sender([&] {
        COPYDATASTRUCT cds{100, 0, nullptr};
        sent_result = SendMessage(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
        returned = true;
    });
    Sleep(100);
    EXPECT_FALSE(returned);
    server.kill();
    EXPECT_TRUE(helm::test::eventually([&] { return returned.load(); }, 5000));
    sender.join();
    EXPECT_EQ(sent_result, 0);
    EXPECT_FALSE(PostMessage(window, WM_APP, 0, 0));
    EXPECT_EQ(FindWindow(server_class, nullptr), nullptr) << "a dead process's windows are not found";
}

}  // namespace
