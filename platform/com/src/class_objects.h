// The process's own class objects (CoRegisterClassObject).
#pragma once

#include "helm/com/unknown.h"

namespace helm::com {
// The factory registered for `clsid` in this process, with a reference for
// the caller; null when none.
ComPtr<IUnknown> registered_class_object(REFCLSID clsid);
}  // namespace helm::com
