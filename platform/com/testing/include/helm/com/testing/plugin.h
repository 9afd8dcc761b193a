// For tests that host real plug-ins: registering a plug-in into the test's
// station (through helm_regsvr's command, as an installation does), hosting
// its control in a dialog, and checking that no object of it is left once
// the host has closed.
#pragma once

#include <dlfcn.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace helm::com::testing {

// helm_regsvr's command on its arguments; its exit code.
inline int regsvr(std::vector<std::string> args)
{
    std::string out, err;
    return helm::com::run_register_command(args, out, err);
}
inline bool register_plugin(const std::string& file) { return regsvr({file}) == 0; }
inline bool unregister_plugin(const std::string& file) { return regsvr({"-u", file}) == 0; }

// Whether the plug-in has no live object left (true when never loaded).
inline bool plugin_idle(const std::string& file)
{
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return true;
    auto can_unload = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(handle, "DllCanUnloadNow"));
    bool idle = can_unload && can_unload() == S_OK;
    ::dlclose(handle);  // drops only the count NOLOAD added
    return idle;
}

// A control of a plug-in hosted by its class id in item `item` of dialog
// template `dialog` of the test program's resources: the plug-in is
// registered and the dialog opened at construction; the dialog closed and
// the plug-in unregistered at destruction.
class DialogHost {
public:
    DialogHost(std::string plugin, int dialog, int item) : m_plugin(std::move(plugin))
    {
        enable_control_hosting();
        m_registered = register_plugin(m_plugin);
        m_dialog = CreateDialogParam(nullptr, MAKEINTRESOURCE(dialog), nullptr, &plain_dialog, 0);
        m_item = m_dialog ? GetDlgItem(m_dialog, item) : nullptr;
    }
    ~DialogHost()
    {
        if (IsWindow(m_dialog))
            DestroyWindow(m_dialog);
        unregister_plugin(m_plugin);
    }
    DialogHost(const DialogHost&) = delete;
    DialogHost& operator=(const DialogHost&) = delete;

    bool registered() const { return m_registered; }
    HWND dialog() const { return m_dialog; }
    // The control's window; null when it was not made.
    HWND item() const { return m_item; }
    template <class Interface>
    ComPtr<Interface> control() const
    {
        ComPtr<IUnknown> unknown;
        if (!m_item || FAILED(AtlAxGetControl(m_item, unknown.put())))
            return nullptr;
        return unknown.query<Interface>();
    }

private:
    static INT_PTR CALLBACK plain_dialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

    std::string m_plugin;
    bool m_registered = false;
    HWND m_dialog = nullptr;
    HWND m_item = nullptr;
};

}  // namespace helm::com::testing
