// CSize: a SIZE with arithmetic.
#pragma once

#include "helm/user/winuser.h"

class CSize : public SIZE {
public:
    CSize() : SIZE{0, 0} {}
    CSize(int x, int y) : SIZE{x, y} {}
    CSize(SIZE size) : SIZE(size) {}
    CSize(POINT point) : SIZE{point.x, point.y} {}

    bool operator==(SIZE other) const { return cx == other.cx && cy == other.cy; }
    bool operator!=(SIZE other) const { return !(*this == other); }
    void operator+=(SIZE other) { cx += other.cx; cy += other.cy; }
    void operator-=(SIZE other) { cx -= other.cx; cy -= other.cy; }
    CSize operator+(SIZE other) const { return CSize(cx + other.cx, cy + other.cy); }
    CSize operator-(SIZE other) const { return CSize(cx - other.cx, cy - other.cy); }
    CSize operator-() const { return CSize(-cx, -cy); }
    void SetSize(int x, int y) { cx = x; cy = y; }
};
