// Window messages: in-process SendMessage (same thread, and to another
// thread) and PostMessage rates (also through a dialog's IsDialogMessage,
// as a modal loop dispatches), and the WM_COPYDATA round trip to a window
// of another process found with FindWindow (p50 and p99).
//
//   window_messages_bench [messages] [round_trips] [copy_bytes]
//
// Runs in a private station of its own; the server is this program again.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

extern char** environ;

namespace {

constexpr char server_class[] = "HelmBenchCopyDataServer";

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

LRESULT CALLBACK counting_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_APP)
        return static_cast<LRESULT>(wp + 1);
    if (m == WM_COPYDATA)
        return static_cast<LRESULT>(reinterpret_cast<const COPYDATASTRUCT*>(lp)->cbData);
    if (m == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProc(w, m, wp, lp);
}

HWND make_window(LPCSTR class_name)
{
    WNDCLASS wc{};
    wc.lpfnWndProc = counting_proc;
    wc.lpszClassName = class_name;
    RegisterClass(&wc);
    return CreateWindowEx(0, class_name, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

int serve()
{
    if (!make_window(server_class))
        return 1;
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0)
        DispatchMessage(&msg);
    return 0;
}

void in_process(long messages)
{
    HWND window = make_window("HelmBenchLocal");
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < messages; ++i)
        SendMessage(window, WM_APP, static_cast<WPARAM>(i), 0);
    std::printf("SendMessage, same thread:   %10.0f messages/s\n", messages / seconds_since(start));

    std::atomic<bool> stop{false};
    std::atomic<HWND> remote{nullptr};
    std::thread owner([&] {
        remote = make_window("HelmBenchLocal");
        MSG msg;
        while (!stop) {
            while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessage(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        DestroyWindow(remote);
    });
    while (!remote)
        std::this_thread::yield();
    const long cross = std::max(1L, messages / 10);
    start = std::chrono::steady_clock::now();
    for (long i = 0; i < cross; ++i)
        SendMessage(remote, WM_APP, static_cast<WPARAM>(i), 0);
    std::printf("SendMessage, other thread:  %10.0f messages/s\n", cross / seconds_since(start));
    stop = true;
    owner.join();

    const long batch = std::min(messages, 9000L);  // below the queue's limit
    long posted = 0;
    start = std::chrono::steady_clock::now();
    MSG msg;
    while (posted < messages) {
        for (long i = 0; i < batch && posted < messages; ++i, ++posted)
            PostMessage(window, WM_APP, 0, 0);
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
    }
    std::printf("PostMessage + dispatch:     %10.0f messages/s\n", messages / seconds_since(start));
    DestroyWindow(window);

    // A dialog with one control of the counting class, from a DLGTEMPLATEEX.
    std::vector<WORD> t = {1, 0xFFFF, 0, 0, 0, 0, static_cast<WORD>(WS_POPUP & 0xFFFF),
                           static_cast<WORD>(WS_POPUP >> 16), 1, 0, 0, 100, 50, 0, 0, 0};
    if (t.size() % 2)
        t.push_back(0);
    const WORD item[] = {0, 0, 0, 0, 0, static_cast<WORD>((WS_CHILD | WS_VISIBLE) >> 16), 0, 0, 50, 20, 7, 0};
    t.insert(t.end(), std::begin(item), std::end(item));
    for (char c : std::string("HelmBenchLocal"))
        t.push_back(static_cast<WORD>(c));
    t.insert(t.end(), {0, 0, 0});
    HWND dialog = CreateDialogIndirectParam(nullptr, reinterpret_cast<const DLGTEMPLATE*>(t.data()), nullptr,
                                            nullptr, 0);
    HWND control = dialog ? GetDlgItem(dialog, 7) : nullptr;
    if (!control) {
        std::fprintf(stderr, "dialog not made\n");
        return;
    }
    posted = 0;
    start = std::chrono::steady_clock::now();
    while (posted < messages) {
        for (long i = 0; i < batch && posted < messages; ++i, ++posted)
            PostMessage(control, WM_APP, 0, 0);
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessage(dialog, &msg))
                DispatchMessage(&msg);
    }
    std::printf("PostMessage + IsDialogMessage: %7.0f messages/s\n", messages / seconds_since(start));
    DestroyWindow(dialog);
}

void copy_data_round_trips(const char* self, int round_trips, DWORD bytes)
{
    char* argv[] = {const_cast<char*>(self), const_cast<char*>("--serve"), nullptr};
    pid_t server;
    if (posix_spawn(&server, self, nullptr, nullptr, argv, environ) != 0) {
        std::perror("posix_spawn");
        return;
    }
    HWND window = nullptr;
    for (int i = 0; i < 5000 && !(window = FindWindow(server_class, nullptr)); ++i)
        Sleep(2);
    if (!window) {
        std::fprintf(stderr, "server window not found\n");
        return;
    }
    std::vector<char> data(bytes, 'x');
    COPYDATASTRUCT cds{100, bytes, data.data()};
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(round_trips));
    int wrong = 0;
    for (int i = 0; i < round_trips; ++i) {
        auto start = std::chrono::steady_clock::now();
        LRESULT r = SendMessage(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
        micros.push_back(seconds_since(start) * 1e6);
        wrong += r != static_cast<LRESULT>(bytes);
    }
    std::sort(micros.begin(), micros.end());
    std::printf("WM_COPYDATA round trip, %u bytes, %d trips: p50 %.1f us, p99 %.1f us%s\n", bytes, round_trips,
                micros[micros.size() / 2], micros[micros.size() * 99 / 100], wrong ? " (WRONG RESULTS)" : "");
    PostMessage(window, WM_CLOSE, 0, 0);
    int status;
    waitpid(server, &status, 0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--serve")
        return serve();
    const long messages = argc > 1 ? std::atol(argv[1]) : 1000000;
    const int round_trips = argc > 2 ? std::atoi(argv[2]) : 10000;
    const DWORD bytes = argc > 3 ? static_cast<DWORD>(std::atol(argv[3])) : 581;
    if (messages <= 0 || round_trips <= 0 || bytes > 64 * 1024) {
        std::fprintf(stderr, "usage: %s [messages] [round_trips] [copy_bytes <= 65536]\n", argv[0]);
        return 2;
    }
    char dir_template[] = "/tmp/helm-bench-station-XXXXXX";
    if (!mkdtemp(dir_template))
        return 1;
    setenv("HELM_STATION", dir_template, 1);
    in_process(messages);
    copy_data_round_trips(argv[0], round_trips, bytes);
    std::filesystem::remove_all(dir_template);
    return 0;
}
