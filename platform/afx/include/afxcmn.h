// The class library's common control classes (afxwin.h holds the rest).
#pragma once

#include "afxwin.h"
#include "helm/afx/CIPAddressCtrl.h"
#include "helm/afx/CImageList.h"
#include "helm/afx/CListCtrl.h"
#include "helm/afx/CRichEditCtrl.h"
#include "helm/afx/CSliderCtrl.h"
#include "helm/afx/CSpinButtonCtrl.h"
#include "helm/afx/CToolTipCtrl.h"
#include "helm/afx/CTreeCtrl.h"
