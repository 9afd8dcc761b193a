// For the tests that host the test controls: registering their plug-in
// into the test's station and checking that no object of it is left. The
// test target defines HELM_TEST_CONTROL_FILE, the plug-in's path.
#pragma once

#include <dlfcn.h>

#include <windows.h>

#include <string>
#include <vector>

#include "helm/testcontrol/test_control.h"

namespace helm::testcontrol {

inline const std::string plugin_file = HELM_TEST_CONTROL_FILE;

// helm_regsvr's command on its arguments; its exit code.
inline int regsvr(std::vector<std::string> args)
{
    std::string out, err;
    return helm::com::run_register_command(args, out, err);
}
inline bool register_plugin() { return regsvr({plugin_file}) == 0; }
inline bool unregister_plugin() { return regsvr({"-u", plugin_file}) == 0; }

// Whether the plug-in has no live object left (true when never loaded).
inline bool plugin_idle()
{
    void* handle = ::dlopen(plugin_file.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return true;
    auto can_unload = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(handle, "DllCanUnloadNow"));
    bool idle = can_unload && can_unload() == S_OK;
    ::dlclose(handle);  // drops only the count NOLOAD added
    return idle;
}

// The test control's journal of calls and window events.
inline std::string journal(IDispatch* control)
{
    helm::com::Variant v;
    if (FAILED(helm::com::invoke_by_id(control, dispid_journal, DISPATCH_PROPERTYGET, {}, &v)) || v.vt != VT_BSTR)
        return "?";
    return helm::com::text_from_bstr(v.bstrVal);
}

}  // namespace helm::testcontrol
