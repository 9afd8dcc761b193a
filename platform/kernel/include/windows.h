// The one header the suite's code includes for the platform, as it would on
// Windows. It pulls in every layer that is on the include path.
#pragma once

#include "helm/kernel/types.h"
#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/threads.h"
#include "helm/kernel/messages.h"
#include "helm/kernel/sync.h"
#include "helm/kernel/mapping.h"
#include "helm/kernel/clock.h"
#include "helm/kernel/process.h"
#include "helm/kernel/files.h"
#include "helm/kernel/profile.h"
#include "helm/kernel/trace.h"

#if __has_include("helm/station/atoms.h")
#include "helm/station/atoms.h"
#endif

#if __has_include("helm/gdi/wingdi.h")
#include "helm/gdi/wingdi.h"
#include "helm/gdi/gdiplus.h"
#endif

#if __has_include("helm/user/winuser.h")
#include "helm/user/winuser.h"
#endif

#if __has_include("helm/com/com.h")
#include "helm/com/com.h"
#endif
