// A program on the toolkit's application object, started by the toolkit's
// tests to show the reset cycle. Each run appends one line to the file
// named by TOOLKIT_RESET_REPORT: "first" or "reset", what its profile held
// when it started, and whether "Widgetry.ini" was there. A first run asks
// for the reset (the operator says OK), which closes its main window; the
// run that follows with "/rtfd" only reports.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "helm/kernel/process.h"
#include "toolkit/CWinAppIni.h"

namespace {

class MainWindow : public CWnd {
protected:
    void OnDestroy()
    {
        CWnd::OnDestroy();
        PostQuitMessage(0);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MainWindow, CWnd)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

std::string beside_program(const char* name)
{
    char path[4096] = {0};
    GetModuleFileName(nullptr, path, sizeof path);
    std::string directory(path);
    return directory.substr(0, directory.find_last_of('/') + 1) + name;
}

class ResetApp : public CWinAppIni {
public:
    BOOL InitInstance() override
    {
        CWinAppIni::InitInstance();
        const bool reset_run = std::string(m_lpCmdLine ? m_lpCmdLine : "").find("/rtfd") != std::string::npos;
        if (FILE* report = std::fopen(std::getenv("TOOLKIT_RESET_REPORT"), "a")) {
            std::fprintf(report, "%s marker=%d widgetry=%d\n", reset_run ? "reset" : "first",
                         static_cast<int>(GetProfileInt("Test", "Marker", -1)),
                         access(beside_program("Widgetry.ini").c_str(), F_OK) == 0 ? 1 : 0);
            std::fclose(report);
        }
        if (reset_run)
            return FALSE;
        helm::afx::set_message_box([](HWND, const char*, const char*, UINT) { return IDOK; });
        m_window.CreateEx(0, nullptr, "Reset", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr);
        m_pMainWnd = &m_window;
        F_ResetConfig(true, true);
        return TRUE;
    }

private:
    MainWindow m_window;
};

ResetApp theApp;

}  // namespace
