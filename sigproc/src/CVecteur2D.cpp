#include "sigproc/CVecteur2D.h"

#include <algorithm>
#include <cmath>

#include "AngleMath.h"

using helm::sigproc::kDegToRad;

namespace {

constexpr double kEpsilon = 0.00001;

double cross(const CVecteur2D& u, const CVecteur2D& v)
{
    return u.x * v.y - u.y * v.x;
}

}  // namespace

CVecteur2D CVecteur2D::operator+(const CVecteur2D& v) const
{
    return {x + v.x, y + v.y};
}

CVecteur2D CVecteur2D::operator-(const CVecteur2D& v) const
{
    return {x - v.x, y - v.y};
}

CVecteur2D CVecteur2D::operator*(double factor) const
{
    return {x * factor, y * factor};
}

double CVecteur2D::F_ScalarProduct(const CVecteur2D& v) const
{
    return x * v.x + y * v.y;
}

double CVecteur2D::F_GetLength() const
{
    return std::sqrt(x * x + y * y);
}

double CVecteur2D::F_DistanceToPoint(const CVecteur2D& v) const
{
    return (*this - v).F_GetLength();
}

double CVecteur2D::F_DistanceToSegment(const CVecteur2D* a, const CVecteur2D* b) const
{
    if (!a || !b)
        return -1;
    const CVecteur2D ab = *b - *a, ap = *this - *a;
    const double length = ab.F_GetLength();
    if (length < kEpsilon)
        return ap.F_GetLength();
    const double u = ab.F_ScalarProduct(ap) / (length * length);
    if (u < 0)
        return ap.F_GetLength();
    if (u > 1)
        return F_DistanceToPoint(*b);
    return std::fabs(cross(ab, ap)) / length;
}

double CVecteur2D::F_DistanceToLine(const CVecteur2D& a, const CVecteur2D& b) const
{
    t_LineEquation line;
    if (!F_LineEquation(a, b, &line))
        return F_DistanceToPoint(a);
    const double value = std::fabs(line.a * x + line.b * y + line.c);
    const double root = std::sqrt(line.a * line.a + line.b * line.b);
    return root > kEpsilon ? value / root : value;
}

bool CVecteur2D::F_SegmentIntersection(const CVecteur2D* p1, const CVecteur2D* p2, const CVecteur2D* p3,
                                       const CVecteur2D* p4, CVecteur2D* out)
{
    if (!out)
        return false;
    *out = CVecteur2D();
    if (!p1 || !p2 || !p3 || !p4)
        return false;
    const CVecteur2D d = *p2 - *p1;
    if (d.F_GetLength() < kEpsilon || (*p4 - *p3).F_GetLength() < kEpsilon)
        return false;
    // w3 and w4: how far p3 and p4 stand off the line p1-p2, in units of |d|.
    const double d2 = d.F_ScalarProduct(d);
    const double w4 = cross(d, *p4 - *p1) / d2;
    const double w3 = cross(d, *p3 - *p1) / d2;
    if (std::fabs(w4 - w3) < kEpsilon)
        return false;
    const double s = -w3 / (w4 - w3);
    if (s < 0 || s > 1)
        return false;
    const double u = (w4 * d.F_ScalarProduct(*p3 - *p1) - w3 * d.F_ScalarProduct(*p4 - *p1)) / d2 / (w4 - w3);
    if (u < 0 || u > 1)
        return false;
    *out = *p1 + d * u;
    return true;
}

double CVecteur2D::F_DistanceBetweenSegment(const CVecteur2D* p1, const CVecteur2D* p2, const CVecteur2D* p3,
                                            const CVecteur2D* p4)
{
    if (!p1 || !p2 || !p3 || !p4)
        return -1;
    CVecteur2D crossing;
    if (F_SegmentIntersection(p1, p2, p3, p4, &crossing))
        return 0;
    return std::min({p1->F_DistanceToSegment(p3, p4), p2->F_DistanceToSegment(p3, p4),
                     p3->F_DistanceToSegment(p1, p2), p4->F_DistanceToSegment(p1, p2)});
}

CVecteur2D CVecteur2D::F_Rotate(double degrees) const
{
    const double c = std::cos(degrees * kDegToRad), s = std::sin(degrees * kDegToRad);
    return {x * c + y * s, -x * s + y * c};
}

CVecteur2D CVecteur2D::F_ChangeRepere(double degrees, const CVecteur2D& origin) const
{
    return (*this - origin).F_Rotate(degrees);
}

CVecteur2D CVecteur2D::F_ChangeRepere(double degrees, double x, double y, const CVecteur2D& origin)
{
    return CVecteur2D(x, y).F_ChangeRepere(degrees, origin);
}

CVecteur2D CVecteur2D::F_ChangeRepereInvers(double degrees, const CVecteur2D& origin) const
{
    return F_Rotate(-degrees) + origin;
}

bool CVecteur2D::F_ChangeRepereInvers(double degrees, double* xOut, double* yOut, const CVecteur2D& origin) const
{
    if (!xOut || !yOut)
        return false;
    const CVecteur2D back = F_ChangeRepereInvers(degrees, origin);
    *xOut = back.x;
    *yOut = back.y;
    return true;
}

bool CVecteur2D::F_LineEquation(const CVecteur2D& p1, const CVecteur2D& p2, t_LineEquation* eq)
{
    if (!eq)
        return false;
    *eq = t_LineEquation{};
    const double dx = p2.x - p1.x, dy = p2.y - p1.y;
    if (std::fabs(dx) < kEpsilon && std::fabs(dy) < kEpsilon)
        return false;
    if (std::fabs(dx) > kEpsilon) {
        eq->a = -dy / dx;
        eq->b = 1;
        eq->c = -(dx * p2.y - p2.x * dy) / dx;
    } else {
        eq->a = 1;
        eq->b = 0;
        eq->c = -p2.x;
    }
    return true;
}

bool CVecteur2D::LineIntersectSegm(const CVecteur2D& p1, const CVecteur2D& p2, const t_LineEquation& line,
                                   CVecteur2D* out)
{
    if (!out)
        return false;
    *out = CVecteur2D(-1, -1);
    t_LineEquation seg;
    if (!F_LineEquation(p1, p2, &seg))
        return false;
    const double det = line.a * seg.b - seg.a * line.b;
    if (std::fabs(det) < kEpsilon)
        return false;
    const double ix = (line.b * seg.c - seg.b * line.c) / det;
    const double iy = (seg.a * line.c - line.a * seg.c) / det;
    *out = CVecteur2D(ix, iy);
    return ix >= std::min(p1.x, p2.x) - kEpsilon && ix <= std::max(p1.x, p2.x) + kEpsilon &&
           iy >= std::min(p1.y, p2.y) - kEpsilon && iy <= std::max(p1.y, p2.y) + kEpsilon;
}

bool CVecteur2D::F_LineCoord(const CVecteur2D& p1, const CVecteur2D& p2, double x, double* y)
{
    t_LineEquation line;
    if (!y || !F_LineEquation(p1, p2, &line) || std::fabs(line.b) < kEpsilon)
        return false;
    *y = -(line.a * x + line.c) / line.b;
    return true;
}

bool CVecteur2D::F_GetSegmentPtAtDistance(const CVecteur2D& p1, const CVecteur2D& p2, double distance,
                                          CVecteur2D* out)
{
    if (!out)
        return false;
    *out = CVecteur2D();
    const CVecteur2D d = p2 - p1;
    if (d.F_GetLength() < kEpsilon)
        return false;
    const double angle = std::atan2(d.y, d.x);
    *out = p1 + CVecteur2D(std::cos(angle), std::sin(angle)) * distance;
    return true;
}
