#include "file_name_fields.h"

#include <cstdio>

#include "toolkit/CDialogBrowseFolder.h"

namespace helm::dialogs {

namespace {
// BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE | BIF_BROWSEINCLUDEFILES
constexpr UINT browse_flags = 0x4042;
}  // namespace

void keep_folder(char (&folder)[folder_size], const char* text)
{
    std::snprintf(folder, folder_size, "%s", text ? text : "");
}

int edit_text(const CWnd& edit, CString& out)
{
    if (!edit.m_hWnd)
        return -1;
    CString text;
    edit.GetWindowText(text);
    if (text.IsEmpty())
        return -1;
    out = text;
    return 0;
}

bool browse_folder(HWND owner, const char* folder, CString& chosen)
{
    CDialogBrowseFolder browser(owner, nullptr, "", browse_flags, folder, "");
    if (browser.F_DoModal(true) != 1)
        return false;
    chosen = browser.F_GetPathName();
    return true;
}

}  // namespace helm::dialogs
