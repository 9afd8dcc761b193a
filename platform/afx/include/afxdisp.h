// Calls to ActiveX controls and their events, as the class library has
// them: VTS_ parameter lists, CWnd::InvokeHelper and its kin, event sink
// maps. afxwin.h gathers the same.
#pragma once

#include "helm/afx/CWnd.h"
#include "helm/afx/dispatch_arguments.h"
#include "helm/afx/event_sink_map.h"
