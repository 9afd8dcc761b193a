#include "helm/afx/CIPAddressCtrl.h"

IMPLEMENT_DYNAMIC(CIPAddressCtrl, CWnd)
