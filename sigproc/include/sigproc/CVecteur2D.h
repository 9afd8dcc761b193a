// CVecteur2D: a point or vector of the plane, with distances, segment and
// line intersections and changes of frame. Angles are in degrees; a
// positive rotation turns clockwise in a y-up frame. The third coordinate
// rides along in copies and is 0 in every computed result.
//
// Comparisons use a tolerance of 0.00001. Distances given a null point
// return -1; the bool operations return false for a null output.
#pragma once

class CVecteur2D {
public:
    // The line a*x + b*y + c = 0.
    struct t_LineEquation {
        double a = 0;
        double b = 0;
        double c = 0;
    };

    CVecteur2D() = default;
    CVecteur2D(double x, double y, double z = 0) : x(x), y(y), z(z) {}
    CVecteur2D(const CVecteur2D&) = default;
    CVecteur2D& operator=(const CVecteur2D&) = default;
    virtual ~CVecteur2D() = default;

    CVecteur2D operator+(const CVecteur2D& v) const;
    CVecteur2D operator-(const CVecteur2D& v) const;
    CVecteur2D operator*(double factor) const;

    double F_ScalarProduct(const CVecteur2D& v) const;
    double F_GetLength() const;
    double F_DistanceToPoint(const CVecteur2D& v) const;
    double F_DistanceToSegment(const CVecteur2D* a, const CVecteur2D* b) const;
    // Distance to the line through a and b; to a when they coincide.
    double F_DistanceToLine(const CVecteur2D& a, const CVecteur2D& b) const;

    // The crossing of segments p1-p2 and p3-p4 (ends included) into *out,
    // which is (0, 0) when they do not cross (parallel, or a segment of
    // no length).
    static bool F_SegmentIntersection(const CVecteur2D* p1, const CVecteur2D* p2, const CVecteur2D* p3,
                                      const CVecteur2D* p4, CVecteur2D* out);
    // 0 when the segments cross, else the smallest end-to-segment distance.
    static double F_DistanceBetweenSegment(const CVecteur2D* p1, const CVecteur2D* p2, const CVecteur2D* p3,
                                           const CVecteur2D* p4);

    CVecteur2D F_Rotate(double degrees) const;
    // This point in the frame of origin turned by degrees, and back.
    CVecteur2D F_ChangeRepere(double degrees, const CVecteur2D& origin) const;
    static CVecteur2D F_ChangeRepere(double degrees, double x, double y, const CVecteur2D& origin);
    CVecteur2D F_ChangeRepereInvers(double degrees, const CVecteur2D& origin) const;
    bool F_ChangeRepereInvers(double degrees, double* xOut, double* yOut, const CVecteur2D& origin) const;

    // The line through p1 and p2: (-dy/dx, 1, ...) or, for a vertical one,
    // (1, 0, -x). False (and *eq zeroed) when the points coincide.
    static bool F_LineEquation(const CVecteur2D& p1, const CVecteur2D& p2, t_LineEquation* eq);
    // Where line meets the line of segment p1-p2, into *out ((-1, -1)
    // when the lines are parallel); true only when that point lies on the
    // segment.
    static bool LineIntersectSegm(const CVecteur2D& p1, const CVecteur2D& p2, const t_LineEquation& line,
                                  CVecteur2D* out);
    // The y at x on the line through p1 and p2; false for a vertical line.
    static bool F_LineCoord(const CVecteur2D& p1, const CVecteur2D& p2, double x, double* y);
    // The point at distance from p1 towards p2, into *out ((0, 0) when the
    // points coincide).
    static bool F_GetSegmentPtAtDistance(const CVecteur2D& p1, const CVecteur2D& p2, double distance,
                                         CVecteur2D* out);

    double x = 0;
    double y = 0;
    double z = 0;
};
