// Waiting for several kernel objects at once, shared by the multiple waits.
#pragma once

#include <functional>

#include "helm/kernel/types.h"

namespace helm::kernel {
// Waits for one of `handles` (all of them when waitAll) or for `extra` to
// hold; `extra` is looked at after every wake-up and reported as
// WAIT_OBJECT_0 + count.
DWORD wait_for_objects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                       const std::function<bool()>& extra);
}  // namespace helm::kernel
