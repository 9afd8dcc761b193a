// CDialogBrowseFolder: the folder browser, with an owner, a title, browse
// flags (BIF_*), a folder selected when it opens and a root it never goes
// above.
#pragma once

#include <string>

#include "afxwin.h"

class CDialogBrowseFolder {
public:
    // `displayName` (MAX_PATH bytes, or null) gets the chosen folder's
    // name; an empty initial folder selects nothing, an empty root means
    // the whole file system.
    CDialogBrowseFolder(HWND owner, char* displayName, const char* title, UINT flags, const char* initialFolder,
                        const char* rootFolder);

    // 1 when a folder was chosen, 2 when cancelled. Told that OLE is not
    // initialised yet, it initialises it around the browser.
    int F_DoModal(bool oleInitialised);
    // The chosen folder, ending with a backslash.
    const char* F_GetPathName() const { return m_path.c_str(); }

private:
    static int CALLBACK on_event(HWND browser, UINT event, LPARAM, LPARAM self);

    HWND m_owner;
    char* m_displayName;
    char m_ownDisplayName[MAX_PATH] = {};
    std::string m_title;
    UINT m_flags;
    std::string m_initial;
    std::string m_root;
    std::string m_path;
};
