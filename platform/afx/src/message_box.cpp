#include "helm/afx/message_box.h"

#include <mutex>
#include <string>

#include "helm/afx/CString.h"
#include "helm/afx/CWinApp.h"
#include "helm/afx/CWnd.h"
#include "helm/kernel/trace.h"

namespace {

std::mutex g_seam_mutex;
helm::afx::MessageBoxSeam g_seam;

}  // namespace

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

void helm::afx::set_message_box(MessageBoxSeam seam)
{
    std::lock_guard lock(g_seam_mutex);
    g_seam = std::move(seam);
}

int AfxMessageBox(LPCSTR text, UINT type, UINT)
{
    CWinApp* app = AfxGetApp();
    const char* caption = app && app->m_pszAppName ? app->m_pszAppName : "";
    CWnd* main = AfxGetMainWnd();
    HWND owner = main ? main->m_hWnd : nullptr;
    helm::afx::MessageBoxSeam seam;
    {
        std::lock_guard lock(g_seam_mutex);
        seam = g_seam;
    }
    if (seam)
        return seam(owner, text ? text : "", caption, type);
    std::string line = std::string("message box: ") + caption + ": " + (text ? text : "") + "\n";
    OutputDebugString(line.c_str());
    return helm::afx::headless_answer(type);
}

int AfxMessageBox(UINT id, UINT type, UINT)
{
    CString text;
    text.LoadString(id);
    return AfxMessageBox(static_cast<LPCSTR>(text), type, 0);
}
