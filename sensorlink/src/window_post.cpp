#include "helm/sensorlink/window_post.h"

#include <afxwin.h>

namespace helm::sensorlink {

BOOL post_to_main_window(UINT message, WPARAM wParam, LPARAM lParam)
{
    CWinThread* thread = AfxGetThread();
    CWnd* main = thread != nullptr ? thread->GetMainWnd() : nullptr;
    if (main == nullptr || main->m_hWnd == nullptr)
        return FALSE;
    return ::PostMessage(main->m_hWnd, message, wParam, lParam);
}

}  // namespace helm::sensorlink
