// Checks on drawn pixels for tests: colours of points and areas, and where
// ink landed, so tests state what matters instead of comparing whole
// images (which break on any font update).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "helm/gdi/surface.h"

namespace helm::gdi::testing {

// True when two colours differ by at most `tolerance` in every channel.
bool near_colour(COLORREF a, COLORREF b, int tolerance = 0);

// Every pixel of `area` (clipped to the surface) has `colour`.
::testing::AssertionResult area_is(const Surface& surface, RECT area, COLORREF colour, int tolerance = 0);
// The pixel at (x, y) has `colour`.
::testing::AssertionResult pixel_is(const Surface& surface, int x, int y, COLORREF colour, int tolerance = 0);

// Pixels of `area` whose colour is `colour` (within tolerance).
std::vector<POINT> pixels_of(const Surface& surface, RECT area, COLORREF colour, int tolerance = 0);
int count_of(const Surface& surface, RECT area, COLORREF colour, int tolerance = 0);
// Pixels of `area` that are not `background` (any channel off by more than
// `tolerance`), and their bounding box ({0,0,0,0} when none).
int ink_count(const Surface& surface, RECT area, COLORREF background, int tolerance = 0);
RECT ink_bounds(const Surface& surface, RECT area, COLORREF background, int tolerance = 0);
// The whole surface as a rectangle.
RECT whole(const Surface& surface);

// Saves the surface as <dir>/<name>.png when HELM_TEST_PNG_DIR is set, for a
// person to look at; does nothing otherwise.
void keep_png(const Surface& surface, const std::string& name);

}  // namespace helm::gdi::testing
