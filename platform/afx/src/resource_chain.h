// The resource look-ups the string class and the dialog class share.
#pragma once

#include <string>

#include "helm/kernel/types.h"

namespace helm::afx {
// The module of the resource chain that has string `id`.
HINSTANCE find_string_module(UINT id);
// String `id` of the module, whole (no length limit of a caller's buffer);
// empty when the module lacks it.
std::string load_string(HINSTANCE module, UINT id);
}  // namespace helm::afx
