#include "helm/afx/CWinApp.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "helm/afx/CWnd.h"
#include "helm/afx/module_state.h"
#include "helm/kernel/profile.h"
#include "helm/kernel/trace.h"
#include "thread_state.h"

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

// The string of the application's title in its resources.
#define AFX_IDS_APP_TITLE 0xE000

namespace {

AFX_MODULE_STATE* state_of_object(const void* object)
{
    // A static application object of a shared library belongs to that
    // library's module state; one of the program, or one on the heap, to
    // the program's.
    return helm::afx::module_state_of(helm::kernel::module_of_address(object));
}

void replace(LPCSTR& field, const std::string& value)
{
    std::free(const_cast<char*>(field));
    field = strdup(value.c_str());
}

}  // namespace

CWinApp::CWinApp(LPCSTR appName)
{
    if (appName)
        m_pszAppName = strdup(appName);
    AFX_MODULE_STATE* state = state_of_object(this);
    state->m_pCurrentWinApp = this;
    if (state == AfxGetAppModuleState())
        m_nThreadID = GetCurrentThreadId();
}

CWinApp::~CWinApp()
{
    AFX_MODULE_STATE* state = state_of_object(this);
    if (state->m_pCurrentWinApp == this)
        state->m_pCurrentWinApp = nullptr;
    if (AfxGetAppModuleState()->m_pCurrentWinApp == this)
        AfxGetAppModuleState()->m_pCurrentWinApp = nullptr;
    std::free(const_cast<char*>(m_pszAppName));
    std::free(const_cast<char*>(m_pszExeName));
    std::free(const_cast<char*>(m_pszProfileName));
    std::free(const_cast<char*>(m_pszRegistryKey));
    std::free(const_cast<char*>(m_pszHelpFilePath));
    // The main thread's handle is not ours to close.
    m_hThread = nullptr;
    if (helm::afx::ThreadState* thread = helm::afx::thread_state_if_alive()) {
        if (thread->thread == this)
            thread->thread = nullptr;
    }
}

void CWinApp::SetCurrentHandles()
{
    char path[MAX_PATH * 4] = {0};
    DWORD length = GetModuleFileName(m_hInstance, path, sizeof path);
    std::string full(path, length < sizeof path ? length : 0);
    size_t slash = full.find_last_of("/\\");
    std::string directory = slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? full : full.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    if (!m_pszExeName)
        replace(m_pszExeName, name);
    if (!m_pszAppName) {
        CString title;
        if (title.LoadString(AFX_IDS_APP_TITLE))
            replace(m_pszAppName, title.str());
        else
            replace(m_pszAppName, m_pszExeName);
    }
    if (!m_pszProfileName)
        replace(m_pszProfileName, directory + m_pszExeName + ".INI");
    AfxGetModuleState()->m_lpszCurrentAppName = m_pszAppName;
}

BOOL CWinApp::InitApplication()
{
    return TRUE;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return m_nExitCode;
}

int CWinApp::Run()
{
    // A program whose InitInstance made no main window has nothing to wait
    // for: it ends at once, as the class library's loop does.
    if (!m_pMainWnd && AfxGetApp() == this)
        ::PostQuitMessage(0);
    return CWinThread::Run();
}

BOOL CWinApp::OnIdle(LONG count)
{
    return CWinThread::OnIdle(count);
}

UINT CWinApp::GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue)
{
    return GetPrivateProfileInt(section, entry, defaultValue, m_pszProfileName);
}

BOOL CWinApp::WriteProfileInt(LPCSTR section, LPCSTR entry, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return WritePrivateProfileString(section, entry, text, m_pszProfileName);
}

CString CWinApp::GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR defaultValue)
{
    // A value cut to the buffer comes back one short of it: grow and ask
    // again, up to the largest profile file there can be.
    std::string buffer(4096, '\0');
    for (;;) {
        DWORD length = GetPrivateProfileString(section, entry, defaultValue ? defaultValue : "", buffer.data(),
                                               static_cast<DWORD>(buffer.size()), m_pszProfileName);
        if (length + 1 < buffer.size() || buffer.size() >= helm::kernel::profile_file_limit)
            return CString(std::string_view(buffer.data(), length));
        buffer.resize(buffer.size() * 4);
    }
}

BOOL CWinApp::WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value)
{
    return WritePrivateProfileString(section, entry, value, m_pszProfileName);
}

void CWinApp::SetRegistryKey(LPCSTR key)
{
    std::free(const_cast<char*>(m_pszRegistryKey));
    m_pszRegistryKey = key ? strdup(key) : nullptr;
}

void CWinApp::OnHelp()
{
    helm::kernel::trace("help asked for %s\n", m_pszAppName ? m_pszAppName : "");
}

CWinApp* AfxGetApp()
{
    CWinApp* app = AfxGetModuleState()->m_pCurrentWinApp;
    return app ? app : AfxGetAppModuleState()->m_pCurrentWinApp;
}

CWnd* AfxGetMainWnd()
{
    CWinThread* thread = AfxGetThread();
    return thread ? thread->GetMainWnd() : nullptr;
}

LPCSTR AfxGetAppName()
{
    CWinApp* app = AfxGetApp();
    return app && app->m_pszAppName ? app->m_pszAppName : "";
}

const char* helm::afx::command_line_arguments(const char* line)
{
    if (!line)
        return "";
    while (*line == ' ' || *line == '\t')
        ++line;
    bool quoted = false;
    for (; *line; ++line) {
        if (*line == '"')
            quoted = !quoted;
        else if (!quoted && (*line == ' ' || *line == '\t'))
            break;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    state->m_hCurrentInstanceHandle = instance;
    state->m_hCurrentResourceHandle = instance;
    CWinApp* app = AfxGetApp();
    if (app) {
        app->m_hInstance = instance;
        app->m_hPrevInstance = previous;
        app->m_lpCmdLine = commandLine;
        app->m_nCmdShow = show;
        app->SetCurrentHandles();
    }
    return TRUE;
}

int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    CWinApp* app = AfxGetApp();
    if (!app || !AfxWinInit(instance, previous, commandLine, show) || !app->InitApplication())
        return -1;
    helm::afx::thread_state().thread = app;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}
