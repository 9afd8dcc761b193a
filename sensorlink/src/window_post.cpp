#include "helm/sensorlink/window_post.h"

#include <atomic>

namespace helm::sensorlink {
namespace {

BOOL post_nothing(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

std::atomic<PostMessageFn> g_poster{post_nothing};

}  // namespace

void set_post_message(PostMessageFn poster)
{
    g_poster.store(poster != nullptr ? poster : post_nothing);
}

BOOL post_message(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return g_poster.load()(window, message, wParam, lParam);
}

}  // namespace helm::sensorlink
