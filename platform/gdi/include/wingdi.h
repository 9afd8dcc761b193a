// The GDI header under its Windows name.
#pragma once

#include "helm/gdi/wingdi.h"
