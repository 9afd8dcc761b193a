// A shared library that holds only resources, loaded by the resource tests.
#include <windows.h>

extern "C" HMODULE resources_lib_module()
{
    return helm_this_module();
}
