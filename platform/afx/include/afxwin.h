// The class library's main header: strings, geometry, collections, windows,
// dialogs, the standard controls, the application and dialog data, and
// hosted ActiveX controls.
#pragma once

#include <windows.h>

#include "helm/afx/CButton.h"
#include "helm/afx/CComboBox.h"
#include "helm/afx/CDC.h"
#include "helm/afx/CDataExchange.h"
#include "helm/afx/CDialog.h"
#include "helm/afx/CEdit.h"
#include "helm/afx/CListBox.h"
#include "helm/afx/CMenu.h"
#include "helm/afx/CRect.h"
#include "helm/afx/CScrollBar.h"
#include "helm/afx/CStatic.h"
#include "helm/afx/CString.h"
#include "helm/afx/CWinApp.h"
#include "helm/afx/CWnd.h"
#include "helm/afx/arrays.h"
#include "helm/afx/dispatch_arguments.h"
#include "helm/afx/event_sink_map.h"
#include "helm/afx/lists.h"
#include "helm/afx/message_box.h"
#include "helm/afx/module_state.h"
