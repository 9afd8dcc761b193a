// How Helmcore tells the main program: a registered message posted to the
// main window of the calling thread, AfxGetThread()->GetMainWnd(). On a
// link thread that is the main window of the thread that started it.
#pragma once

#include "helm/kernel/types.h"

namespace helm::sensorlink {

// PostMessage to the calling thread's main window; FALSE (nothing posted)
// while there is none.
BOOL post_to_main_window(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace helm::sensorlink
