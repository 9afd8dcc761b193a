#include "helm/gdi/pixel_checks.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>

namespace helm::gdi::testing {
namespace {

RECT clipped(const Surface& surface, RECT area)
{
    return RECT{std::max<LONG>(area.left, 0), std::max<LONG>(area.top, 0), std::min<LONG>(area.right, surface.width()),
                std::min<LONG>(area.bottom, surface.height())};
}

std::string hex(COLORREF colour)
{
    char text[32];
    std::snprintf(text, sizeof text, "RGB(%u,%u,%u)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

template <class Fn>
void each(const Surface& surface, RECT area, Fn fn)
{
    RECT r = clipped(surface, area);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            fn(x, y, surface.colour(x, y));
}

}  // namespace

bool near_colour(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(int(GetRValue(a)) - GetRValue(b)) <= tolerance &&
           std::abs(int(GetGValue(a)) - GetGValue(b)) <= tolerance &&
           std::abs(int(GetBValue(a)) - GetBValue(b)) <= tolerance;
}

::testing::AssertionResult area_is(const Surface& surface, RECT area, COLORREF colour, int tolerance)
{
    int wrong = 0;
    std::string first;
    each(surface, area, [&](int x, int y, COLORREF c) {
        if (!near_colour(c, colour, tolerance)) {
            if (wrong++ == 0)
                first = "(" + std::to_string(x) + "," + std::to_string(y) + ") is " + hex(c);
        }
    });
    if (wrong == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels are not " << hex(colour) << ", first " << first;
}

::testing::AssertionResult pixel_is(const Surface& surface, int x, int y, COLORREF colour, int tolerance)
{
    COLORREF c = surface.colour(x, y);
    if (near_colour(c, colour, tolerance))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << x << "," << y << ") is " << hex(c) << ", not " << hex(colour);
}

std::vector<POINT> pixels_of(const Surface& surface, RECT area, COLORREF colour, int tolerance)
{
    std::vector<POINT> out;
    each(surface, area, [&](int x, int y, COLORREF c) {
        if (near_colour(c, colour, tolerance))
            out.push_back(POINT{x, y});
    });
    return out;
}

int count_of(const Surface& surface, RECT area, COLORREF colour, int tolerance)
{
    return static_cast<int>(pixels_of(surface, area, colour, tolerance).size());
}

int ink_count(const Surface& surface, RECT area, COLORREF background, int tolerance)
{
    int n = 0;
    each(surface, area, [&](int, int, COLORREF c) { n += near_colour(c, background, tolerance) ? 0 : 1; });
    return n;
}

RECT ink_bounds(const Surface& surface, RECT area, COLORREF background, int tolerance)
{
    RECT box{0, 0, 0, 0};
    bool any = false;
    each(surface, area, [&](int x, int y, COLORREF c) {
        if (near_colour(c, background, tolerance))
            return;
        if (!any) {
            box = RECT{x, y, x + 1, y + 1};
            any = true;
        }
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
    });
    return box;
}

RECT whole(const Surface& surface)
{
    return RECT{0, 0, surface.width(), surface.height()};
}

void keep_png(const Surface& surface, const std::string& name)
{
    const char* dir = std::getenv("HELM_TEST_PNG_DIR");
    if (dir && *dir)
        surface.save_png(std::string(dir) + "/" + name + ".png");
}

}  // namespace helm::gdi::testing
