#include "class_objects.h"

#include <mutex>
#include <vector>

#include "helm/com/creation.h"

namespace helm::com {
namespace {

struct Registration {
    DWORD cookie;
    CLSID clsid;
    ComPtr<IUnknown> factory;
};

struct ClassTable {
    std::mutex mutex;
    std::vector<Registration> entries;
    DWORD next_cookie = 1;
};

ClassTable& table()
{
    static ClassTable* t = new ClassTable;  // outlives the static objects that revoke
    return *t;
}

}  // namespace

ComPtr<IUnknown> registered_class_object(REFCLSID clsid)
{
    ClassTable& t = table();
    std::lock_guard lock(t.mutex);
    for (const Registration& entry : t.entries) {
        if (entry.clsid == clsid)
            return entry.factory;
    }
    return nullptr;
}

}  // namespace helm::com

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD context, DWORD, LPDWORD cookie)
{
    if (!factory || !cookie)
        return E_INVALIDARG;
    *cookie = 0;
    if (!(context & CLSCTX_INPROC_SERVER))
        return E_INVALIDARG;
    auto& t = helm::com::table();
    std::lock_guard lock(t.mutex);
    for (const auto& entry : t.entries) {
        if (entry.clsid == clsid)
            return CO_E_OBJISREG;
    }
    factory->AddRef();
    t.entries.push_back({t.next_cookie, clsid, helm::com::ComPtr<IUnknown>::adopt(factory)});
    *cookie = t.next_cookie++;
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie)
{
    helm::com::ComPtr<IUnknown> released;
    auto& t = helm::com::table();
    std::lock_guard lock(t.mutex);
    for (auto it = t.entries.begin(); it != t.entries.end(); ++it) {
        if (it->cookie == cookie) {
            released = std::move(it->factory);
            t.entries.erase(it);
            return S_OK;
        }
    }
    return CO_E_OBJNOTREG;
}
