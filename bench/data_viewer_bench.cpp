// The data viewer as the main window feeds it for every data sentence: all
// 57 logical rows written with formatted values (the rows the type lacks
// are skipped), then the window repainted, headless, with the real value
// grid. Mean, p50 and p99 of one update over the updates, per viewer type.
//
//   data_viewer_bench [updates]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "afxwin.h"
#include "dialogs/C_Q_DlgDataViewer.h"
#include "dialogs/HelmdialogsRes.h"
#include "helm/user/snapshot.h"

namespace {

struct Figures {
    double mean, p50, p99;
};

Figures run(CWnd& main, unsigned short type, int updates)
{
    C_Q_DlgDataViewer viewer(&main);
    viewer.P_SetTypeViewer(type);
    viewer.Create(IDD_DATA_VIEWER, &main);
    viewer.MoveWindow(0, 0, 320, 240);
    viewer.ShowWindow(SW_SHOW);
    helm::user::paint_pending(main.m_hWnd);
    std::vector<double> times;
    times.reserve(static_cast<size_t>(updates));
    CString text;
    for (int i = 0; i < updates; ++i) {
        const auto start = std::chrono::steady_clock::now();
        for (unsigned index = 0; index < C_Q_DlgDataViewer::logical_rows; ++index) {
            text.Format("%.2f", (i % 3600) * 0.1 + index);
            viewer.P_SetValue(index, &text);
        }
        helm::user::paint_pending(main.m_hWnd);
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    viewer.DestroyWindow();
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times)
        sum += t;
    return {sum / updates, times[times.size() / 2], times[times.size() * 99 / 100]};
}

}  // namespace

int main(int argc, char** argv)
{
    const int updates = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (updates <= 0) {
        std::fprintf(stderr, "usage: %s [updates]\n", argv[0]);
        return 2;
    }
    char dir_template[] = "/tmp/helm-bench-station-XXXXXX";
    if (!mkdtemp(dir_template))
        return 1;
    setenv("HELM_STATION", dir_template, 1);
    setenv("HELM_HEADLESS", "1", 1);
    std::string out, err;
    if (helm::com::run_register_command({HELM_VALUEGRID_FILE}, out, err) != 0) {
        std::fprintf(stderr, "cannot register the value grid: %s\n", err.c_str());
        return 1;
    }
    AfxEnableControlContainer();
    CWnd main;
    main.CreateEx(0, AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)), "Helmsight",
                  WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr);
    for (unsigned short type : {0, 11, 18}) {
        const Figures f = run(main, type, updates);
        std::printf("data viewer type %2u (320 x 240), 57 rows written and repainted: mean %.0f us, p50 %.0f us, "
                    "p99 %.0f us over %d updates\n",
                    type, f.mean, f.p50, f.p99, updates);
    }
    main.DestroyWindow();
    std::filesystem::remove_all(dir_template);
    return 0;
}
