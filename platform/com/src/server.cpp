#include "helm/com/server.h"

#include <windows.h>

namespace helm::com {

ClassEntry control_registration(const CLSID& clsid, const char* description, const char* prog_id,
                                const char* version_independent_prog_id, const GUID& type_library)
{
    ClassEntry e;
    e.clsid = clsid;
    e.description = description;
    e.prog_id = prog_id;
    e.version_independent_prog_id = version_independent_prog_id;
    e.keys = key_programmable | key_control | key_insertable;
    e.misc_status = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT |
                    OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
    e.toolbox_bitmap = 103;
    e.type_library = type_library;
    e.type_library_version = "1.0";
    return e;
}

// A class factory for one served class. It lives as long as its server;
// its references only keep the plug-in busy.
class Server::Factory final : public IClassFactory {
public:
    Factory(Server& server, const ServedClass& served) : m_server(server), m_served(served) {}

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory)
            return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ULONG(++m_server.m_locks); }
    ULONG Release() override { return ULONG(--m_server.m_locks); }
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return m_served.create(m_server, riid, object);
    }
    HRESULT LockServer(BOOL lock) override
    {
        lock ? m_server.lock() : m_server.unlock();
        return S_OK;
    }

    const CLSID& clsid() const { return m_served.registration.clsid; }

private:
    Server& m_server;
    const ServedClass& m_served;
};

ServedObject::~ServedObject()
{
    if (m_server)
        --m_server->m_objects;
}

Server::Server(std::vector<ServedClass> classes) : m_classes(std::move(classes))
{
    for (const ServedClass& c : m_classes)
        m_factories.push_back(std::make_unique<Factory>(*this, c));
}

Server::~Server() = default;

void Server::adopt(ServedObject& object)
{
    object.m_server = this;
    ++m_objects;
}

HRESULT Server::DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    for (auto& f : m_factories)
        if (f->clsid() == clsid)
            return f->QueryInterface(riid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT Server::DllCanUnloadNow() const { return m_objects == 0 && m_locks == 0 ? S_OK : S_FALSE; }

HRESULT Server::DllRegisterServer()
{
    // The server is a static object of the plug-in: its address names the file.
    const std::string file = module_file(this);
    if (file.empty())
        return SELFREG_E_CLASS;
    std::vector<ClassEntry> entries;
    for (const ServedClass& c : m_classes) {
        entries.push_back(c.registration);
        entries.back().file = file;
    }
    return SUCCEEDED(register_classes(entries)) ? S_OK : SELFREG_E_CLASS;
}

HRESULT Server::DllUnregisterServer()
{
    std::vector<CLSID> ids;
    for (const ServedClass& c : m_classes)
        ids.push_back(c.registration.clsid);
    return SUCCEEDED(unregister_classes(ids)) ? S_OK : SELFREG_E_CLASS;
}

}  // namespace helm::com
