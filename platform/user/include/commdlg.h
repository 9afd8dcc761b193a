// The system includes the common dialogs by this name.
#pragma once
#include <windows.h>
#include "helm/user/common_dialogs.h"
