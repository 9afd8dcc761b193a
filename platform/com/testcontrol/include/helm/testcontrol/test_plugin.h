// For the tests that host the test controls: registering their plug-in
// into the test's station and checking that no object of it is left. The
// test target defines HELM_TEST_CONTROL_FILE, the plug-in's path.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "helm/com/testing/plugin.h"
#include "helm/testcontrol/test_control.h"

namespace helm::testcontrol {

inline const std::string plugin_file = HELM_TEST_CONTROL_FILE;

inline int regsvr(std::vector<std::string> args) { return helm::com::testing::regsvr(std::move(args)); }
inline bool register_plugin() { return helm::com::testing::register_plugin(plugin_file); }
inline bool unregister_plugin() { return helm::com::testing::unregister_plugin(plugin_file); }
// Whether the plug-in has no live object left (true when never loaded).
inline bool plugin_idle() { return helm::com::testing::plugin_idle(plugin_file); }

// The test control's journal of calls and window events.
inline std::string journal(IDispatch* control)
{
    helm::com::Variant v;
    if (FAILED(helm::com::invoke_by_id(control, dispid_journal, DISPATCH_PROPERTYGET, {}, &v)) || v.vt != VT_BSTR)
        return "?";
    return helm::com::text_from_bstr(v.bstrVal);
}

}  // namespace helm::testcontrol
