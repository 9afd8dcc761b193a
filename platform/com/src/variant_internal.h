// Shared between the value conversions and the call machinery.
#pragma once

#include "helm/com/variant.h"

namespace helm::com::detail {

// Bytes of a plain value of base type `vt`: 0 for empty and null, -1 for
// types that are not plain values (strings, interfaces, variants) or not
// carried at all.
int scalar_size(VARTYPE vt);

}  // namespace helm::com::detail
