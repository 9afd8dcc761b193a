#include "WidgetryApp.h"

#include <cstdlib>
#include <cstring>

namespace helm::toolkit {

namespace {

// The library's own application object and its attachment, in this order:
// the object is made first and goes last.
WidgetryApp g_app;

// What the library does when it is loaded into a process and when it goes:
// its application object is initialised in the library's own module state,
// and ended.
struct LibraryAttachment {
    LibraryAttachment()
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        g_app.m_hInstance = AfxGetInstanceHandle();
        // The library's name, not its file's: the profile is "Widgetry.ini".
        g_app.m_pszExeName = strdup("Widgetry");
        g_app.SetCurrentHandles();
        g_app.InitInstance();
    }
    // Run while the process ends, when the thread's class-library state
    // may be gone: the object ends without switching to it.
    ~LibraryAttachment() { g_app.ExitInstance(); }
};
LibraryAttachment g_attachment;

}  // namespace

WidgetryApp::WidgetryApp() : CWinAppIni("Widgetry") {}

WidgetryApp::~WidgetryApp()
{
    delete m_pAboutBox;
    delete m_pShortcuts;
}

WidgetryApp& widgetry_app()
{
    return g_app;
}

CWinAppIni& library_app()
{
    return g_app;
}

}  // namespace helm::toolkit
