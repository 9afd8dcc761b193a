// The include name the suite's code uses for the common controls.
#pragma once

#include "helm/user/commctrl.h"
