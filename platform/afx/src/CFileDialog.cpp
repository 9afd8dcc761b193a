#include "helm/afx/CFileDialog.h"

#include <cstring>

#include "helm/afx/CWinApp.h"

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension, LPCSTR fileName, DWORD flags, LPCSTR filter,
                         CWnd* parent)
    : m_bOpenFileDialog(openFileDialog), m_extension(defaultExtension ? defaultExtension : "")
{
    m_pParentWnd = parent;
    if (filter) {
        m_filter = filter;
        for (char& c : m_filter)
            if (c == '|')
                c = '\0';
    }
    if (fileName)
        std::snprintf(m_szFileName, sizeof m_szFileName, "%s", fileName);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = sizeof m_szFileTitle;
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.lpstrDefExt = m_extension.empty() ? nullptr : m_extension.c_str();
    m_ofn.nFilterIndex = 1;
    m_ofn.Flags = flags | OFN_EXPLORER;
}

INT_PTR CFileDialog::DoModal()
{
    CWnd* owner = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    m_ofn.hwndOwner = owner ? owner->m_hWnd : nullptr;
    const BOOL chosen = m_bOpenFileDialog ? GetOpenFileName(&m_ofn) : GetSaveFileName(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetFileName() const
{
    const char* slash = std::strrchr(m_szFileName, '\\');
    return slash ? CString(slash + 1) : CString(m_szFileName);
}

CString CFileDialog::GetFileExt() const
{
    const CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}
