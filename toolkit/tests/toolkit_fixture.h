// Helpers of the toolkit's tests: the toolkit's own profile pointed at a
// private "Widgetry.ini", and a private profile for an application object.
#pragma once

#include <ostream>
#include <string>

#include "helm/test/support.h"
#include "toolkit/CWinAppIni.h"
#include "toolkit/testing/profiles.h"

namespace toolkit_test {

using helm::toolkit::testing::LanguageChoice;
using helm::toolkit::testing::PrivateProfile;

}  // namespace toolkit_test

// Rectangles in test messages as "left,top,right,bottom".
inline void PrintTo(const CRect& rect, std::ostream* out)
{
    *out << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
}

#include <functional>
#include <memory>

#include "helm/gdi/pixel_checks.h"
#include "helm/user/snapshot.h"

namespace toolkit_test {

// A test with a dialog of the tests' resources made and shown.
template <UINT templateId>
class WithDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.Create(templateId));
        dialog.ShowWindow(SW_SHOW);
    }
    void TearDown() override { dialog.DestroyWindow(); }

    CDialog dialog{templateId};
};

// The first top-level window of the process for which `wanted` holds.
HWND find_top_level(const std::function<bool(HWND)>& wanted);

// A picture of a window and where its controls lie in it.
struct Picture {
    explicit Picture(CWnd& root, const char* keep = nullptr);
    // A control's client area in the picture.
    CRect of(CWnd& control) const;
    CRect of(HWND control) const;
    COLORREF at(int x, int y) const { return surface->colour(x, y); }

    HWND root;
    std::shared_ptr<helm::gdi::Surface> surface;
};

}  // namespace toolkit_test
