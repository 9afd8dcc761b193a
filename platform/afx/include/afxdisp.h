// ActiveX controls as the class library has them: AfxEnableControlContainer,
// VTS_ parameter lists, CWnd::InvokeHelper and its kin, event sink maps
// (afxwin.h gathers the same); and Automation dates (COleDateTime).
#pragma once

#include "helm/afx/COleDateTime.h"
#include "helm/afx/CWinApp.h"
#include "helm/afx/CWnd.h"
#include "helm/afx/dispatch_arguments.h"
#include "helm/afx/event_sink_map.h"
