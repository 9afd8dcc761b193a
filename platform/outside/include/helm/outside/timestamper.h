// Timestamper: the maker's millisecond tick for time stamps of arriving data.
#pragma once

#include "helm/kernel/types.h"

// Milliseconds on the clock of GetTickCount (it follows the tick seam of the
// kernel layer too), wrapping at 2^32.
DWORD F_GetTickCountEx();
