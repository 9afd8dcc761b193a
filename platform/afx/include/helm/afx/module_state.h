// Module states and the resource chain. Each module (the program, or a
// shared library that switches to its own state at its entry points with
// AFX_MANAGE_STATE(AfxGetStaticModuleState())) has its own instance and
// resource handles. Resources are looked for in the current module state's
// resource module, then in each extension library that joined the chain
// (CDynLinkLibrary), in the order they joined.
#pragma once


#include "helm/afx/CObject.h"
#include "helm/user/resources.h"

class CWinApp;
class CDynLinkLibrary;

struct AFX_MODULE_STATE {
    CWinApp* m_pCurrentWinApp = nullptr;
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    HINSTANCE m_hCurrentResourceHandle = nullptr;
    LPCSTR m_lpszCurrentAppName = nullptr;
    BOOL m_bDLL = FALSE;
    BOOL m_bSystem = FALSE;
    CDynLinkLibrary* m_libraryList = nullptr;  // the first that joined
};

// What an extension library keeps of itself.
struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
};

// An extension library's place in the resource chain of the module state
// current when it is made (the host program's, at load time).
class CDynLinkLibrary : public CObject {
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
    CDynLinkLibrary(HINSTANCE module, HINSTANCE resource);
    ~CDynLinkLibrary() override;
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

    HMODULE m_hModule = nullptr;
    HMODULE m_hResource = nullptr;
    BOOL m_bSystem = FALSE;
    CDynLinkLibrary* m_pNextDLL = nullptr;

private:
    AFX_MODULE_STATE* m_owner = nullptr;
};

AFX_MODULE_STATE* AfxGetModuleState();
AFX_MODULE_STATE* AfxGetAppModuleState();
// Makes `state` the thread's current module state; returns the one before.
AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state);

// Switches the thread's module state for the life of the object.
struct AFX_MAINTAIN_STATE2 {
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : m_previous(AfxSetModuleState(state)) {}
    ~AFX_MAINTAIN_STATE2() { AfxSetModuleState(m_previous); }
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
    AFX_MODULE_STATE* m_previous;
};
#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p)

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resource);
// The module that holds the resource: the current resource module, then
// each extension library of the chain; the current resource module when
// none has it.
HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type);
HINSTANCE AfxFindStringResourceHandle(UINT id);
BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

namespace helm::afx {
// The module state of a module, made at first use: its instance and
// resource handles are the module itself.
AFX_MODULE_STATE* module_state_of(HMODULE module);
}  // namespace helm::afx

// The calling module's own state (helm_this_module names the module that
// holds the calling code).
#define AfxGetStaticModuleState() (helm::afx::module_state_of(helm_this_module()))
