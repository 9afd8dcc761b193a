#include "toolkit/CDialogBrowseFolder.h"

#include "helm/com/unknown.h"

CDialogBrowseFolder::CDialogBrowseFolder(HWND owner, char* displayName, const char* title, UINT flags,
                                         const char* initialFolder, const char* rootFolder)
    : m_owner(owner),
      m_displayName(displayName ? displayName : m_ownDisplayName),
      m_title(title ? title : ""),
      m_flags(flags),
      m_initial(initialFolder ? initialFolder : ""),
      m_root(rootFolder ? rootFolder : "")
{
}

int CALLBACK CDialogBrowseFolder::on_event(HWND browser, UINT event, LPARAM, LPARAM self)
{
    const auto* dialog = reinterpret_cast<const CDialogBrowseFolder*>(self);
    if (event == BFFM_INITIALIZED && !dialog->m_initial.empty())
        SendMessage(browser, BFFM_SETSELECTION, TRUE, reinterpret_cast<LPARAM>(dialog->m_initial.c_str()));
    return 0;
}

int CDialogBrowseFolder::F_DoModal(bool oleInitialised)
{
    if (!oleInitialised)
        OleInitialize(nullptr);
    LPITEMIDLIST root = m_root.empty() ? nullptr : ILCreateFromPath(m_root.c_str());
    BROWSEINFO info{};
    info.hwndOwner = m_owner;
    info.pidlRoot = root;
    info.pszDisplayName = m_displayName;
    info.lpszTitle = m_title.c_str();
    info.ulFlags = m_flags;
    info.lpfn = &CDialogBrowseFolder::on_event;
    info.lParam = reinterpret_cast<LPARAM>(this);
    LPITEMIDLIST chosen = SHBrowseForFolder(&info);
    int result = IDCANCEL;
    char path[MAX_PATH] = {};
    if (chosen && SHGetPathFromIDList(chosen, path)) {
        m_path = path;
        if (m_path.empty() || m_path.back() != '\\')
            m_path += '\\';
        result = IDOK;
    }
    ILFree(chosen);
    ILFree(root);
    if (!oleInitialised)
        OleUninitialize();
    return result;
}
