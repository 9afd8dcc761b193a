// The class library's extensions: the status bar (afxwin.h holds the rest).
#pragma once

#include "afxwin.h"
#include "helm/afx/CStatusBar.h"
