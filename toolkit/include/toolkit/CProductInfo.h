// CProductInfo: the texts of a module's version block, in its first
// translation; a text the block lacks (or a module without one) is empty.
#pragma once

#include "afxwin.h"

class CProductInfo {
public:
    // The module of the current application object.
    CProductInfo();
    explicit CProductInfo(HMODULE module);

    CString m_strProductName;
    CString m_strProductVersion;
    CString m_strCopyright;
    CString m_strCompany;
    CString m_strComments;
};
