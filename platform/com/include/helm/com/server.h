// What a plug-in's four entry points do. A plug-in keeps one Server, a
// static object listing the classes it serves, and forwards its exported
// DllGetClassObject, DllCanUnloadNow, DllRegisterServer and
// DllUnregisterServer to it.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "helm/com/registry.h"
#include "helm/com/unknown.h"

namespace helm::com {

class Server;

// The base of every object a Server makes: the plug-in counts as busy
// (DllCanUnloadNow) while one lives.
class ServedObject {
protected:
    ServedObject() = default;
    ~ServedObject();
    ServedObject(const ServedObject&) = delete;
    ServedObject& operator=(const ServedObject&) = delete;

private:
    friend class Server;
    Server* m_server = nullptr;
};

// One class a plug-in serves: what registration writes (the file is filled
// in from the plug-in itself) and how an object is made.
struct ServedClass {
    ClassEntry registration;
    HRESULT (*create)(Server& server, REFIID riid, void** object);
};

// The registration of a control as ATL writes it for an ActiveX control:
// keys Programmable, Control and Insertable, the status bits of a windowed
// control that is activated when visible, toolbox bitmap 103, and the
// control's type library in version 1.0.
ClassEntry control_registration(const CLSID& clsid, const char* description, const char* prog_id,
                                const char* version_independent_prog_id, const GUID& type_library = GUID_NULL);

class Server {
public:
    explicit Server(std::vector<ServedClass> classes);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // A class factory for one of the classes; CLASS_E_CLASSNOTAVAILABLE for
    // another class id.
    HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);
    // S_OK when no object and no server lock is left, else S_FALSE.
    HRESULT DllCanUnloadNow() const;
    // Writes or removes every class's entry; SELFREG_E_CLASS when the
    // registry refuses.
    HRESULT DllRegisterServer();
    HRESULT DllUnregisterServer();

    // Makes an object of T (a ServedObject) counted by this server.
    template <class T>
    static HRESULT create(Server& server, REFIID riid, void** object)
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        T* made = new T;
        server.adopt(*made);
        HRESULT hr = made->QueryInterface(riid, object);
        made->Release();
        return hr;
    }

    void lock() { ++m_locks; }
    void unlock() { --m_locks; }

private:
    class Factory;
    void adopt(ServedObject& object);

    std::vector<ServedClass> m_classes;
    std::vector<std::unique_ptr<Factory>> m_factories;
    std::atomic<long> m_objects{0};
    std::atomic<long> m_locks{0};

    friend class ServedObject;
};

}  // namespace helm::com

// The four exported entry points of a plug-in, each forwarding to its one
// Server object: write HELM_COM_PLUGIN_ENTRY_POINTS(server) once, at file
// scope, after the server.
#define HELM_COM_PLUGIN_ENTRY_POINTS(server)                                                \
    extern "C" {                                                                           \
    HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object)                 \
    {                                                                                      \
        return (server).DllGetClassObject(clsid, riid, object);                            \
    }                                                                                      \
    HRESULT DllCanUnloadNow() { return (server).DllCanUnloadNow(); }                       \
    HRESULT DllRegisterServer() { return (server).DllRegisterServer(); }                   \
    HRESULT DllUnregisterServer() { return (server).DllUnregisterServer(); }               \
    }
