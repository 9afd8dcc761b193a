#include "extension.h"

namespace {

AFX_EXTENSION_MODULE g_module = {FALSE, nullptr, nullptr};
CDynLinkLibrary* g_library = nullptr;

}  // namespace

void extension_join()
{
    AfxInitExtensionModule(g_module, helm_this_module());
    if (!g_library)
        g_library = new CDynLinkLibrary(g_module);
}

void extension_leave()
{
    delete g_library;
    g_library = nullptr;
    AfxTermExtensionModule(g_module);
}

CString extension_own_string(UINT id)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CString text;
    text.LoadString(id);
    return text;
}

HMODULE extension_module()
{
    return helm_this_module();
}
