// An extension library of the class-library tests.
#pragma once

#include "afxwin.h"

// Joins the host's resource chain (what a library's entry point does).
void extension_join();
void extension_leave();
// String `id` as the library's own code sees it, in its own module state.
CString extension_own_string(UINT id);
// The module handle of the library.
HMODULE extension_module();
