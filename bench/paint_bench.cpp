// Painting: the time of one full repaint of a dialog-like window of 40
// standard controls (frame, background, every control), headless into its
// surface; mean, p50 and p99 over the repaints.
//
//   paint_bench [repaints]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <windows.h>

#include "helm/user/snapshot.h"

namespace {

HWND make_dialog()
{
    WNDCLASS wc{};
    wc.lpfnWndProc = DefWindowProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "PaintBenchDialog";
    RegisterClass(&wc);
    HWND top = CreateWindowEx(0, wc.lpszClassName, "Forty controls", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                              0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    HFONT font = helm::user::dialog_font("MS Shell Dlg", 8);
    struct Kind {
        const char* window_class;
        const char* text;
        DWORD style;
        int height;
    };
    const Kind kinds[] = {
        {"Static", "Protocol:", SS_LEFT, 14},
        {"Edit", "4800 baud", ES_AUTOHSCROLL | WS_BORDER, 21},
        {"ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL, 120},
        {"Button", "Heading", BS_AUTOCHECKBOX, 16},
        {"Button", "Serial", BS_AUTORADIOBUTTON, 16},
        {"Button", "Apply", BS_PUSHBUTTON, 23},
        {"ListBox", "", LBS_NOTIFY | WS_BORDER, 60},
        {"ScrollBar", "", SBS_HORZ, 16},
    };
    for (int i = 0; i < 40; ++i) {
        const Kind& k = kinds[i % 8];
        const int column = i / 10, row = i % 10;
        HWND c = CreateWindowEx(0, k.window_class, k.text, WS_CHILD | WS_VISIBLE | k.style, 8 + column * 156,
                                8 + row * 44, 148, k.height, top, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)),
                                nullptr, nullptr);
        SendMessage(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (k.window_class[0] == 'L' || k.window_class[0] == 'C') {
            for (const char* item : {"NMEA 0183", "Binary", "Proprietary"})
                SendMessage(c, k.window_class[0] == 'L' ? LB_ADDSTRING : CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(item));
            SendMessage(c, k.window_class[0] == 'L' ? LB_SETCURSEL : CB_SETCURSEL, 1, 0);
        }
    }
    return top;
}

}  // namespace

int main(int argc, char** argv)
{
    const int repaints = argc > 1 ? std::atoi(argv[1]) : 500;
    if (repaints <= 0) {
        std::fprintf(stderr, "usage: %s [repaints]\n", argv[0]);
        return 2;
    }
    char dir_template[] = "/tmp/helm-bench-station-XXXXXX";
    if (!mkdtemp(dir_template))
        return 1;
    setenv("HELM_STATION", dir_template, 1);
    HWND top = make_dialog();
    helm::user::paint_pending(top);  // the first paint makes the surface and fonts
    std::vector<double> times;
    times.reserve(static_cast<size_t>(repaints));
    for (int i = 0; i < repaints; ++i) {
        const auto start = std::chrono::steady_clock::now();
        InvalidateRect(top, nullptr, TRUE);
        helm::user::paint_pending(top);
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times)
        sum += t;
    std::printf("full repaint of 40 controls (640 x 480): mean %.0f us, p50 %.0f us, p99 %.0f us over %d\n",
                sum / repaints, times[times.size() / 2], times[times.size() * 99 / 100], repaints);
    DestroyWindow(top);
    std::filesystem::remove_all(dir_template);
    return 0;
}
