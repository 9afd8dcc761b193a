// The class library's collection templates.
#pragma once

#include "helm/afx/CArray.h"
#include "helm/afx/CList.h"
