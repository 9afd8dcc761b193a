#include "helm/com/creation.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

#include <windows.h>

#include "helm/com/bstr.h"
#include "class_objects.h"

namespace helm::com {
namespace {

// Loaded plug-ins by file. They are never unloaded: an object or a class
// factory may still point into one.
struct Modules {
    std::mutex mutex;
    std::map<std::string, void*> by_file;
};

Modules& modules()
{
    static Modules* m = new Modules;  // outlives every static destructor
    return *m;
}

HRESULT load(const std::string& file, DllGetClassObjectFn& entry)
{
    auto& m = modules();
    std::lock_guard lock(m.mutex);
    void*& handle = m.by_file[file];
    if (!handle)
        handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        m.by_file.erase(file);
        return CO_E_DLLNOTFOUND;
    }
    entry = reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
    return entry ? S_OK : CO_E_ERRORINDLL;
}

}  // namespace

HRESULT create_control_window(REFCLSID clsid, HWND parent, const RECT& rect, UINT id, DWORD style, DWORD ex_style,
                              REFIID riid, void** control, HWND* window)
{
    if (!control)
        return E_POINTER;
    *control = nullptr;
    if (window)
        *window = nullptr;
    ComPtr<IControlWindow> host;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IControlWindow::iid, host.put_void());
    if (FAILED(hr))
        return hr;
    HWND made = nullptr;
    hr = host->CreateControlWindow(parent, rect, id, style | WS_CHILD, ex_style, &made);
    if (SUCCEEDED(hr) && !made)
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = host->QueryInterface(riid, control);
    if (FAILED(hr)) {
        if (made && IsWindow(made))
            DestroyWindow(made);
        return hr;
    }
    if (window)
        *window = made;
    return S_OK;
}

}  // namespace helm::com

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID, REFIID riid, LPVOID* object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    if (helm::com::ComPtr<IUnknown> own = helm::com::registered_class_object(clsid))
        return own->QueryInterface(riid, object);
    auto entry = helm::com::find_class(clsid);
    if (!entry)
        return REGDB_E_CLASSNOTREG;
    DllGetClassObjectFn get = nullptr;
    HRESULT hr = helm::com::load(entry->file, get);
    if (FAILED(hr))
        return hr;
    hr = get(clsid, riid, object);
    if (FAILED(hr))
        *object = nullptr;
    return hr;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, LPVOID* object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(outer, riid, object);
    factory->Release();
    if (FAILED(hr))
        *object = nullptr;
    return hr;
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid)
{
    if (!clsid)
        return E_INVALIDARG;
    *clsid = CLSID_NULL;
    if (!progId)
        return CO_E_CLASSSTRING;
    auto entry = helm::com::find_prog_id(helm::com::narrow(std::u16string_view(progId)));
    if (!entry)
        return REGDB_E_CLASSNOTREG;
    *clsid = entry->clsid;
    return S_OK;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId)
{
    if (!progId)
        return E_INVALIDARG;
    *progId = nullptr;
    auto entry = helm::com::find_class(clsid);
    if (!entry || entry->prog_id.empty())
        return REGDB_E_CLASSNOTREG;
    std::u16string wide = helm::com::widen(entry->prog_id);
    auto* text = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
    if (!text)
        return E_OUTOFMEMORY;
    std::copy(wide.begin(), wide.end(), text);
    text[wide.size()] = 0;
    *progId = text;
    return S_OK;
}
