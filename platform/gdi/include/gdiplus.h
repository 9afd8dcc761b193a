// The GDI+ header under the name the suite's code includes.
#pragma once

#include "helm/gdi/gdiplus.h"
