// The typed lists of the class library: each is CList of its element.
#pragma once

#include "helm/afx/CList.h"
#include "helm/afx/CString.h"

#define HELM_AFX_TYPED_LIST(name, type, arg) \
    class name : public CList<type, arg> {   \
        DECLARE_DYNAMIC(name)                \
    }

HELM_AFX_TYPED_LIST(CPtrList, void*, void*);
HELM_AFX_TYPED_LIST(CObList, CObject*, CObject*);
HELM_AFX_TYPED_LIST(CStringList, CString, const CString&);
