// Dialog templates from a module's resources (RT_DIALOG), read with the
// size the resource runtime gives, so a damaged resource cannot be read past
// its end.

#include "dialog_template.h"
#include "helm/kernel/error.h"

#if __has_include("helm/user/resources.h")
#include "helm/user/resources.h"
#define HELM_USER_HAS_RESOURCES 1
#endif

namespace helm::user {

bool load_dialog_resource(HINSTANCE instance, LPCSTR name, DialogTemplate* out)
{
#ifdef HELM_USER_HAS_RESOURCES
    HRSRC found = FindResource(instance, name, RT_DIALOG);
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(instance, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(instance, found);
    if (!bytes || !parse_dialog_template(bytes, size, out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
#else
    (void)instance;
    (void)name;
    (void)out;
    SetLastError(1814);  // ERROR_RESOURCE_NAME_NOT_FOUND
    return false;
#endif
}

}  // namespace helm::user
