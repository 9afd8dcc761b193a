#include "helm/outside/timestamper.h"

#include "helm/kernel/clock.h"

DWORD F_GetTickCountEx()
{
    return GetTickCount();
}
