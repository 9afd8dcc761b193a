#include "helm/com/hosting.h"

#include <mutex>
#include <unordered_map>
#include <vector>

#include <windows.h>

namespace helm::com {
namespace {

uintptr_t key(HWND window) { return reinterpret_cast<uintptr_t>(window); }

struct Site {
    uintptr_t dialog;
    ComPtr<IUnknown> control;
};

// The hosted controls by their windows, and the items left out, by dialog.
struct Sites {
    std::mutex mutex;
    std::unordered_map<uintptr_t, Site> by_window;
    std::unordered_multimap<uintptr_t, int> missing;
};

Sites& sites()
{
    static Sites* s = new Sites;  // outlives every static destructor
    return *s;
}

HWND create_item(HWND dialog, const char* class_id, const RECT& rect, UINT id, DWORD style, DWORD ex_style)
{
    ComPtr<IUnknown> control;
    HWND window = nullptr;
    HRESULT hr = REGDB_E_CLASSNOTREG;
    if (auto clsid = parse_guid(class_id))
        hr = create_control_window(*clsid, dialog, rect, id, style, ex_style, IID_IUnknown, control.put_void(),
                                   &window);
    Sites& s = sites();
    std::lock_guard lock(s.mutex);
    if (FAILED(hr)) {
        helm::kernel::trace("hosting: control %s of item %u not made (0x%08X)\n", class_id, id,
                            static_cast<unsigned>(hr));
        s.missing.emplace(key(dialog), static_cast<int>(id));
        return nullptr;
    }
    s.by_window[key(window)] = {key(dialog), std::move(control)};
    return window;
}

void dialog_destroyed(HWND dialog)
{
    std::vector<ComPtr<IUnknown>> going;
    {
        Sites& s = sites();
        std::lock_guard lock(s.mutex);
        for (auto it = s.by_window.begin(); it != s.by_window.end();) {
            if (it->second.dialog == key(dialog)) {
                going.push_back(std::move(it->second.control));
                it = s.by_window.erase(it);
            } else {
                ++it;
            }
        }
        s.missing.erase(key(dialog));
    }
    // Released outside the lock: a composite control going closes its own
    // dialog, which comes back here.
    going.clear();
}

const helm::user::ClassIdItemHost host{&create_item, &dialog_destroyed};

}  // namespace

void enable_control_hosting() { helm::user::set_class_id_item_host(&host); }

bool is_missing_control(HWND dialog, int id)
{
    Sites& s = sites();
    std::lock_guard lock(s.mutex);
    auto [first, last] = s.missing.equal_range(key(dialog));
    for (auto it = first; it != last; ++it)
        if (it->second == id)
            return true;
    return false;
}

}  // namespace helm::com

HRESULT AtlAxGetControl(HWND window, IUnknown** control)
{
    if (!control)
        return E_POINTER;
    *control = nullptr;
    auto& s = helm::com::sites();
    std::lock_guard lock(s.mutex);
    auto it = s.by_window.find(helm::com::key(window));
    if (!window || it == s.by_window.end())
        return E_FAIL;
    *control = it->second.control.get();
    (*control)->AddRef();
    return S_OK;
}
