// Creating objects by class id or ProgID. The class is looked up in the
// station's control registry, its plug-in is loaded with dlopen and asked
// for a class factory through DllGetClassObject. A plug-in once loaded
// stays loaded until the process ends, so no object can outlive its code.
#pragma once

#include "helm/com/registry.h"
#include "helm/com/unknown.h"

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
#define CLSCTX_INPROC (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)
typedef DWORD CLSCTX;

// REGDB_E_CLASSNOTREG when the class is not registered; CO_E_DLLNOTFOUND
// when its file cannot be loaded; CO_E_ERRORINDLL when the file lacks
// DllGetClassObject; the factory's own failure otherwise. Only in-process
// servers exist: a context without CLSCTX_INPROC_SERVER gives
// REGDB_E_CLASSNOTREG. `*object` is null after any failure.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID reserved, REFIID riid, LPVOID* object);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, LPVOID* object);
// Class objects a module of this process offers itself (a library that
// implements a class the system's code creates by class id, such as the XML
// document). CoGetClassObject looks here before the registry. The table
// holds a reference to the factory until it is revoked; only
// CLSCTX_INPROC_SERVER registrations exist (else E_INVALIDARG), and a class
// registered twice is refused with CO_E_OBJISREG.
#define REGCLS_SINGLEUSE 0
#define REGCLS_MULTIPLEUSE 1
#define CO_E_OBJISREG ((HRESULT)0x800401FCL)
#define CO_E_OBJNOTREG ((HRESULT)0x800401FBL)
HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD context, DWORD flags, LPDWORD cookie);
// CO_E_OBJNOTREG for a cookie that is not (or no longer) registered.
HRESULT CoRevokeClassObject(DWORD cookie);
// Either ProgID of a registered class; REGDB_E_CLASSNOTREG (CO_E_CLASSSTRING
// for a null text) otherwise.
HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid);
// The versioned ProgID, allocated with CoTaskMemAlloc.
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId);

// A control that lives in a child window of its host. A host (the dialog
// manager, a composite control) creates the control by class id, then asks
// for this interface and lets the control make its window.
struct IControlWindow : IUnknown {
    static constexpr IID iid = {0x25A576D1, 0x03CF, 0x4EB3, {0xA8, 0xF2, 0xDF, 0x1E, 0xDA, 0xDA, 0x80, 0xBF}};
    // The control's window, a child of `parent` with the rectangle (in the
    // parent's client pixels), control id and styles (WS_CHILD is added).
    // E_UNEXPECTED when the control already has a window.
    virtual HRESULT CreateControlWindow(HWND parent, const RECT& rect, UINT id, DWORD style, DWORD ex_style,
                                        HWND* window) = 0;
    // Null while the control has no window.
    virtual HWND GetControlWindow() = 0;

protected:
    ~IControlWindow() = default;
};

namespace helm::com {

// Creates the control of `clsid` as a child window of `parent`, as a
// dialog does for a template item that names a class id, and gives the
// interface `riid` of the control. The caller owns that reference; it
// destroys the window (or lets the parent's destruction do so) and then
// releases the control. When the class is not registered, cannot be made,
// or makes no window, nothing is left behind and the failure is returned.
HRESULT create_control_window(REFCLSID clsid, HWND parent, const RECT& rect, UINT id, DWORD style, DWORD ex_style,
                              REFIID riid, void** control, HWND* window);

}  // namespace helm::com
