#include "toolkit_fixture.h"

namespace toolkit_test {

HWND find_top_level(const std::function<bool(HWND)>& wanted)
{
    struct Search {
        const std::function<bool(HWND)>* wanted;
        HWND found;
    } search{&wanted, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (!(*s->wanted)(window))
                return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Picture::Picture(CWnd& window, const char* keep)
    : root(window.m_hWnd), surface(helm::user::snapshot_window(window.m_hWnd))
{
    if (surface && keep)
        helm::gdi::testing::keep_png(*surface, keep);
}

CRect Picture::of(CWnd& control) const
{
    return of(control.m_hWnd);
}

CRect Picture::of(HWND control) const
{
    return helm::user::rect_in_snapshot(root, control, true);
}

}  // namespace toolkit_test
