// The include name the suite's code uses for the rich edit control.
#pragma once

#include "helm/user/richedit.h"
