#include "CSetupdeskApp.h"

#include <cstring>

BOOL CSetupdeskApp::InitInstance()
{
    CWinAppIni::InitInstance();
    return TRUE;
}

namespace {

// The application object and its attachment, in this order: the object is
// made first and goes last.
CSetupdeskApp g_app;

// When the library is loaded into a process its application object is
// initialised in the library's own module state.
struct LibraryAttachment {
    LibraryAttachment()
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        g_app.m_hInstance = AfxGetInstanceHandle();
        // The library's name, not its file's: the profile is "Setupdesk.ini".
        g_app.m_pszExeName = strdup("Setupdesk");
        g_app.SetCurrentHandles();
        g_app.InitInstance();
    }
    // Run while the process ends, when the thread's class-library state
    // may be gone: the object ends without switching to it.
    ~LibraryAttachment() { g_app.ExitInstance(); }
};
LibraryAttachment g_attachment;

}  // namespace

CSetupdeskApp& helm::sysdesc::library_app()
{
    return g_app;
}
