#include "helm/afx/message_box.h"

#include "helm/afx/CString.h"
#include "helm/afx/CWinApp.h"
#include "helm/afx/CWnd.h"

int helm::afx::headless_answer(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDYES;
    case MB_ABORTRETRYIGNORE:
        return IDIGNORE;
    case MB_RETRYCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

// The one seam of message boxes is the window layer's: this installs an
// answer there, so MessageBox and AfxMessageBox are answered alike.
void helm::afx::set_message_box(MessageBoxSeam seam)
{
    if (!seam) {
        helm::user::set_message_box_answer(nullptr);
        return;
    }
    helm::user::set_message_box_answer([seam = std::move(seam)](const helm::user::MessageBoxQuestion& q) {
        return seam(q.owner, q.text.c_str(), q.caption.c_str(), q.type);
    });
}

int AfxMessageBox(LPCSTR text, UINT type, UINT)
{
    CWinApp* app = AfxGetApp();
    const char* caption = app && app->m_pszAppName ? app->m_pszAppName : "";
    CWnd* main = AfxGetMainWnd();
    HWND owner = main ? main->m_hWnd : nullptr;
    return MessageBox(owner, text ? text : "", caption, type);
}

int AfxMessageBox(UINT id, UINT type, UINT)
{
    CString text;
    text.LoadString(id);
    return AfxMessageBox(static_cast<LPCSTR>(text), type, 0);
}
