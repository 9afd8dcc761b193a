// CFileDialog: the open and save file dialogs of the class library. The
// filter is the class library's form, pairs separated by '|' and ended by
// "||" ("Settings File(*.txt)|*.txt||"); m_ofn may be changed before
// DoModal (its initial folder, say).
#pragma once

#include <string>

#include "helm/afx/CDialog.h"
#include "helm/user/common_dialogs.h"

class CFileDialog : public CDialog {
public:
    explicit CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension = nullptr, LPCSTR fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr,
                         CWnd* parent = nullptr);

    // IDOK when a file was chosen, IDCANCEL otherwise.
    INT_PTR DoModal() override;
    // The chosen path, its last part, and that part's extension.
    CString GetPathName() const { return m_szFileName; }
    CString GetFileName() const;
    CString GetFileExt() const;

    OPENFILENAME m_ofn{};

private:
    BOOL m_bOpenFileDialog;
    std::string m_filter;     // NUL-separated, as OPENFILENAME wants it
    std::string m_extension;
    char m_szFileName[4096] = {};
    char m_szFileTitle[260] = {};
};
