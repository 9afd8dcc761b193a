// How Helmcore tells the main window: PostMessage through a seam, since the
// window layer is not there yet. Until a poster is installed every post
// fails (FALSE) and nothing is delivered.
#pragma once

#include "helm/kernel/types.h"

namespace helm::sensorlink {

using PostMessageFn = BOOL (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Installs the poster (the window layer's PostMessage); null restores the
// default, which posts nothing.
void set_post_message(PostMessageFn poster);
BOOL post_message(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace helm::sensorlink
