// The typed arrays of the class library: each is CArray of its element
// (see CArray.h for the semantics).
#pragma once

#include "helm/afx/CArray.h"
#include "helm/afx/CString.h"

#define HELM_AFX_TYPED_ARRAY(name, type, arg)     \
    class name : public CArray<type, arg> {       \
        DECLARE_DYNAMIC(name)                     \
    }

HELM_AFX_TYPED_ARRAY(CByteArray, BYTE, BYTE);
HELM_AFX_TYPED_ARRAY(CWordArray, WORD, WORD);
HELM_AFX_TYPED_ARRAY(CDWordArray, DWORD, DWORD);
HELM_AFX_TYPED_ARRAY(CUIntArray, UINT, UINT);
HELM_AFX_TYPED_ARRAY(CPtrArray, void*, void*);
HELM_AFX_TYPED_ARRAY(CObArray, CObject*, CObject*);
HELM_AFX_TYPED_ARRAY(CStringArray, CString, const CString&);
