// CWinApp: the application object, one per program (a shared library may
// hold its own, for its own module state). AfxWinMain initialises it, runs
// InitInstance and then the message loop (Run) unless InitInstance returned
// FALSE; the program's result is ExitInstance's.
//
// The profile functions read and write the INI file m_pszProfileName
// through the kernel's private-profile functions. By default it is the
// program's name with ".INI", in the program's directory. m_pszAppName,
// m_pszExeName and m_pszProfileName are malloc'ed strings the object frees;
// a program may free one and put its own strdup in its place.
#pragma once

#include "helm/afx/CString.h"
#include "helm/afx/CWinThread.h"

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)

public:
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    LPCSTR m_pszAppName = nullptr;
    HINSTANCE m_hInstance = nullptr;
    HINSTANCE m_hPrevInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    LPCSTR m_pszExeName = nullptr;
    LPCSTR m_pszProfileName = nullptr;
    LPCSTR m_pszRegistryKey = nullptr;
    LPCSTR m_pszHelpFilePath = nullptr;

    virtual BOOL InitApplication();
    BOOL InitInstance() override;
    int ExitInstance() override;
    int Run() override;
    BOOL OnIdle(LONG count) override;

    UINT GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue);
    BOOL WriteProfileInt(LPCSTR section, LPCSTR entry, int value);
    CString GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR defaultValue = nullptr);
    // A null value deletes the entry, a null entry the whole section.
    BOOL WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value);
    // Settings stay in the INI file here; the key is only kept.
    void SetRegistryKey(LPCSTR key);

    // Sets the names from the program's file (done by AfxWinInit).
    void SetCurrentHandles();

    // The help command's handler, for an application's map (ID_HELP). There
    // is no help viewer here: the request is traced.
    void OnHelp();

    DECLARE_MESSAGE_MAP()
};

#define ID_HELP 0xE146

CWinApp* AfxGetApp();
// The application's main window (the calling thread's, for a worker).
CWnd* AfxGetMainWnd();
LPCSTR AfxGetAppName();
BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
// Lets dialogs host ActiveX controls: template items that name a class id
// become those controls (see CWnd::CreateControl and event sink maps).
void AfxEnableControlContainer();

namespace helm::afx {
// What follows the program's name on a command line (quotes respected),
// without the blanks in between.
const char* command_line_arguments(const char* commandLine);
}  // namespace helm::afx
