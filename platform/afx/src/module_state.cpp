#include "helm/afx/module_state.h"

#include <map>
#include <memory>
#include <mutex>

#include "resource_chain.h"
#include "thread_state.h"

namespace {

AFX_MODULE_STATE& app_state()
{
    static AFX_MODULE_STATE state = [] {
        AFX_MODULE_STATE s;
        s.m_hCurrentInstanceHandle = GetModuleHandle(nullptr);
        s.m_hCurrentResourceHandle = s.m_hCurrentInstanceHandle;
        return s;
    }();
    return state;
}

std::mutex g_states_mutex;

}  // namespace

AFX_MODULE_STATE* helm::afx::module_state_of(HMODULE module)
{
    if (!module || module == GetModuleHandle(nullptr))
        return &app_state();
    static std::map<HMODULE, std::unique_ptr<AFX_MODULE_STATE>> states;
    std::lock_guard lock(g_states_mutex);
    auto& slot = states[module];
    if (!slot) {
        slot = std::make_unique<AFX_MODULE_STATE>();
        slot->m_hCurrentInstanceHandle = module;
        slot->m_hCurrentResourceHandle = module;
        slot->m_bDLL = TRUE;
    }
    return slot.get();
}

AFX_MODULE_STATE* AfxGetAppModuleState()
{
    return &app_state();
}

AFX_MODULE_STATE* AfxGetModuleState()
{
    helm::afx::ThreadState* state = helm::afx::thread_state_if_alive();
    if (state && state->module_state)
        return state->module_state;
    return &app_state();
}

AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* module)
{
    helm::afx::ThreadState& state = helm::afx::thread_state();
    AFX_MODULE_STATE* previous = state.module_state ? state.module_state : &app_state();
    state.module_state = module;
    return previous;
}

HINSTANCE AfxGetInstanceHandle()
{
    return AfxGetModuleState()->m_hCurrentInstanceHandle;
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetModuleState()->m_hCurrentResourceHandle;
}

void AfxSetResourceHandle(HINSTANCE resource)
{
    AfxGetModuleState()->m_hCurrentResourceHandle = resource;
}

HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type)
{
    AFX_MODULE_STATE* module = AfxGetModuleState();
    HINSTANCE own = module->m_hCurrentResourceHandle;
    if (!module->m_bSystem && FindResource(own, name, type))
        return own;
    std::lock_guard lock(g_states_mutex);
    for (CDynLinkLibrary* library = module->m_libraryList; library; library = library->m_pNextDLL) {
        if (!library->m_bSystem && library->m_hResource && FindResource(library->m_hResource, name, type))
            return library->m_hResource;
    }
    for (CDynLinkLibrary* library = module->m_libraryList; library; library = library->m_pNextDLL) {
        if (library->m_bSystem && library->m_hResource && FindResource(library->m_hResource, name, type))
            return library->m_hResource;
    }
    return own;
}

HINSTANCE AfxFindStringResourceHandle(UINT id)
{
    // Strings live in blocks of sixteen, block id / 16 + 1.
    return AfxFindResourceHandle(MAKEINTRESOURCE((id >> 4) + 1), RT_STRING);
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module)
{
    if (state.bInitialized)
        return TRUE;
    state.hModule = module;
    state.hResource = module;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL)
{
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : CDynLinkLibrary(state.hModule, state.hResource)
{
    m_bSystem = system;
}

CDynLinkLibrary::CDynLinkLibrary(HINSTANCE module, HINSTANCE resource)
    : m_hModule(module), m_hResource(resource), m_owner(AfxGetModuleState())
{
    std::lock_guard lock(g_states_mutex);
    CDynLinkLibrary** tail = &m_owner->m_libraryList;
    while (*tail)
        tail = &(*tail)->m_pNextDLL;
    *tail = this;
}

CDynLinkLibrary::~CDynLinkLibrary()
{
    std::lock_guard lock(g_states_mutex);
    for (CDynLinkLibrary** link = &m_owner->m_libraryList; *link; link = &(*link)->m_pNextDLL) {
        if (*link == this) {
            *link = m_pNextDLL;
            break;
        }
    }
}

HINSTANCE helm::afx::find_string_module(UINT id)
{
    return AfxFindStringResourceHandle(id);
}

std::string helm::afx::load_string(HINSTANCE module, UINT id)
{
    // LoadString cuts to the buffer: grow until the string fits.
    std::string text(256, '\0');
    for (;;) {
        int length = LoadString(module, id, text.data(), static_cast<int>(text.size()));
        if (length <= 0)
            return {};
        if (static_cast<size_t>(length) + 1 < text.size() || text.size() >= 65536) {
            text.resize(static_cast<size_t>(length));
            return text;
        }
        text.resize(text.size() * 2);
    }
}
