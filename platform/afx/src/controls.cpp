#include "helm/afx/CButton.h"
#include "helm/afx/CComboBox.h"
#include "helm/afx/CEdit.h"
#include "helm/afx/CListBox.h"
#include "helm/afx/CScrollBar.h"
#include "helm/afx/CSliderCtrl.h"
#include "helm/afx/CSpinButtonCtrl.h"
#include "helm/afx/CStatic.h"

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)
IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)
IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)
