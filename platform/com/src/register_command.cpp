#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "helm/com/guid.h"
#include "helm/com/registry.h"

namespace helm::com {

int run_register_command(const std::vector<std::string>& args, std::string& out, std::string& err)
{
    bool unregister = false, silent = false, bad_option = false;
    std::vector<std::string> files;
    for (const auto& a : args) {
        if (a == "-u" || a == "/u")
            unregister = true;
        else if (a == "-s" || a == "/s")
            silent = true;
        else if (a.empty() || a[0] == '-')
            bad_option = true;
        else
            files.push_back(a);
    }
    if (files.empty() || bad_option) {
        if (!silent)
            err += "usage: helm_regsvr [-u] [-s] <plug-in>...\n";
        return 1;
    }
    const char* entry_name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    int code = 0;
    // Plug-ins stay loaded: what they registered may have started threads
    // or handed out pointers that an unload would leave dangling.
    for (const auto& file : files) {
        char resolved[PATH_MAX];
        std::string path = ::realpath(file.c_str(), resolved) ? resolved : file;
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            if (!silent) {
                const char* why = ::dlerror();
                err += "cannot load " + file + ": " + (why ? why : "unknown error") + "\n";
            }
            code = code ? code : 3;
            continue;
        }
        auto entry = reinterpret_cast<DllRegisterServerFn>(::dlsym(handle, entry_name));
        if (!entry) {
            if (!silent)
                err += file + " has no " + entry_name + "\n";
            code = code ? code : 4;
            continue;
        }
        HRESULT hr = entry();
        char buf[32];
        std::snprintf(buf, sizeof buf, "0x%08X", unsigned(hr));
        if (FAILED(hr)) {
            if (!silent)
                err += std::string(entry_name) + " in " + file + " failed: " + buf + "\n";
            code = code ? code : 5;
        } else if (!silent) {
            out += std::string(entry_name) + " in " + file + " succeeded.\n";
        }
    }
    return code;
}

}  // namespace helm::com
