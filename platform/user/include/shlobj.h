// The system includes the shell's folder browser by this name.
#pragma once
#include <windows.h>
#include "helm/user/common_dialogs.h"
