// Part of the class library gathered in afxwin.h here, and the common
// dialogs.
#pragma once

#include "afxwin.h"
#include "helm/afx/CFileDialog.h"
