#include <gtest/gtest.h>

#include <cmath>

#include "sigproc/CVecteur2D.h"

namespace {

using Line = CVecteur2D::t_LineEquation;

void expect_point(const CVecteur2D& p, double x, double y)
{
    EXPECT_NEAR(p.x, x, 1e-9);
    EXPECT_NEAR(p.y, y, 1e-9);
}

TEST(Vecteur2D, ArithmeticDropsTheThirdCoordinateAndCopiesKeepIt)
{
    CVecteur2D a(1, 2, 7), b(3, -4, 9);
    CVecteur2D copy(a);
    EXPECT_EQ(copy.z, 7);
    CVecteur2D assigned;
    assigned = b;
    EXPECT_EQ(assigned.z, 9);
    for (const CVecteur2D& r : {a + b, a - b, a * 2.0, a.F_Rotate(30)})
        EXPECT_EQ(r.z, 0);
    expect_point(a + b, 4, -2);
    expect_point(a - b, -2, 6);
    expect_point(a * 2.0, 2, 4);
    EXPECT_EQ(a.F_ScalarProduct(b), -5);
    EXPECT_EQ(b.F_GetLength(), 5);
    EXPECT_EQ(a.F_DistanceToPoint(CVecteur2D(4, 6)), 5);
}

TEST(Vecteur2D, RotationIsClockwiseAndFramesInvert)
{
    expect_point(CVecteur2D(0, 1).F_Rotate(90), 1, 0);  // north turns to east
    expect_point(CVecteur2D(1, 0).F_Rotate(90), 0, -1);
    const CVecteur2D origin(10, 20), p(13, 24);
    CVecteur2D local = p.F_ChangeRepere(90, origin);
    expect_point(local, 4, -3);
    expect_point(CVecteur2D::F_ChangeRepere(90, 13, 24, origin), 4, -3);
    for (double angle : {0.0, 33.0, -120.0, 270.0}) {
        CVecteur2D back = p.F_ChangeRepere(angle, origin).F_ChangeRepereInvers(angle, origin);
        expect_point(back, 13, 24);
        double x = 0, y = 0;
        ASSERT_TRUE(p.F_ChangeRepere(angle, origin).F_ChangeRepereInvers(angle, &x, &y, origin));
        EXPECT_NEAR(x, 13, 1e-9);
        EXPECT_NEAR(y, 24, 1e-9);
    }
    double x = 0;
    EXPECT_FALSE(p.F_ChangeRepereInvers(10, &x, nullptr, origin));
}

TEST(Vecteur2D, DistanceToSegmentByRegion)
{
    const CVecteur2D a(0, 0), b(10, 0);
    struct Case {
        CVecteur2D p;
        double distance;
    };
    const Case cases[] = {{{5, 3}, 3}, {{-3, 4}, 5}, {{13, -4}, 5}, {{10, 0}, 0}, {{0, -2}, 2}};
    for (const Case& c : cases)
        EXPECT_NEAR(c.p.F_DistanceToSegment(&a, &b), c.distance, 1e-12) << c.p.x << "," << c.p.y;
    const CVecteur2D point(3, 4);
    EXPECT_NEAR(CVecteur2D(0, 0).F_DistanceToSegment(&point, &point), 5, 1e-12);  // a segment of no length
    EXPECT_EQ(a.F_DistanceToSegment(nullptr, &b), -1);
}

TEST(Vecteur2D, SegmentIntersection)
{
    struct Case {
        CVecteur2D p1, p2, p3, p4;
        bool crosses;
        CVecteur2D at;
    };
    const Case cases[] = {
        {{0, 0}, {10, 10}, {0, 10}, {10, 0}, true, {5, 5}},
        {{0, 0}, {10, 0}, {4, -1}, {4, 3}, true, {4, 0}},
        {{0, 0}, {10, 0}, {10, 0}, {10, 5}, true, {10, 0}},  // touching at an end
        {{0, 0}, {10, 0}, {4, 1}, {4, 3}, false, {0, 0}},    // would cross beyond p3-p4
        {{0, 0}, {10, 0}, {12, -1}, {12, 1}, false, {0, 0}}, // beyond p1-p2
        {{0, 0}, {10, 0}, {0, 1}, {10, 1}, false, {0, 0}},   // parallel
        {{0, 0}, {0, 0}, {0, 1}, {1, 0}, false, {0, 0}},     // no length
    };
    for (const Case& c : cases) {
        CVecteur2D out(-9, -9);
        EXPECT_EQ(CVecteur2D::F_SegmentIntersection(&c.p1, &c.p2, &c.p3, &c.p4, &out), c.crosses);
        expect_point(out, c.at.x, c.at.y);
    }
    CVecteur2D out;
    const CVecteur2D p(1, 1);
    EXPECT_FALSE(CVecteur2D::F_SegmentIntersection(&p, nullptr, &p, &p, &out));
    EXPECT_FALSE(CVecteur2D::F_SegmentIntersection(&p, &p, &p, &p, nullptr));
}

TEST(Vecteur2D, DistanceBetweenSegments)
{
    const CVecteur2D a(0, 0), b(10, 0), c(0, 10), d(10, -10), e(3, 2), f(6, 5);
    EXPECT_EQ(CVecteur2D::F_DistanceBetweenSegment(&a, &b, &c, &d), 0);
    EXPECT_NEAR(CVecteur2D::F_DistanceBetweenSegment(&a, &b, &e, &f), 2, 1e-12);
    EXPECT_EQ(CVecteur2D::F_DistanceBetweenSegment(&a, &b, &e, nullptr), -1);
}

TEST(Vecteur2D, LineEquationAndItsUses)
{
    Line line;
    ASSERT_TRUE(CVecteur2D::F_LineEquation(CVecteur2D(2, 1), CVecteur2D(2, 8), &line));
    EXPECT_EQ(line.a, 1);  // vertical: (1, 0, -x)
    EXPECT_EQ(line.b, 0);
    EXPECT_EQ(line.c, -2);
    ASSERT_TRUE(CVecteur2D::F_LineEquation(CVecteur2D(0, 1), CVecteur2D(2, 5), &line));
    EXPECT_DOUBLE_EQ(line.a, -2);  // y = 2x + 1
    EXPECT_DOUBLE_EQ(line.b, 1);
    EXPECT_DOUBLE_EQ(line.c, -1);
    line = {9, 9, 9};
    EXPECT_FALSE(CVecteur2D::F_LineEquation(CVecteur2D(3, 3), CVecteur2D(3, 3.000001), &line));
    EXPECT_EQ(line.a, 0);
    EXPECT_EQ(line.b, 0);
    EXPECT_EQ(line.c, 0);
    EXPECT_FALSE(CVecteur2D::F_LineEquation(CVecteur2D(0, 0), CVecteur2D(1, 1), nullptr));

    double y = 0;
    ASSERT_TRUE(CVecteur2D::F_LineCoord(CVecteur2D(0, 1), CVecteur2D(2, 5), 3, &y));
    EXPECT_DOUBLE_EQ(y, 7);
    EXPECT_FALSE(CVecteur2D::F_LineCoord(CVecteur2D(2, 1), CVecteur2D(2, 5), 3, &y));
    EXPECT_FALSE(CVecteur2D::F_LineCoord(CVecteur2D(0, 1), CVecteur2D(2, 5), 3, nullptr));

    EXPECT_NEAR(CVecteur2D(0, 0).F_DistanceToLine(CVecteur2D(0, 1), CVecteur2D(2, 5)), 1 / std::sqrt(5.0), 1e-12);
    EXPECT_NEAR(CVecteur2D(5, 7).F_DistanceToLine(CVecteur2D(2, 1), CVecteur2D(2, 5)), 3, 1e-12);
    EXPECT_NEAR(CVecteur2D(4, 5).F_DistanceToLine(CVecteur2D(1, 1), CVecteur2D(1, 1)), 5, 1e-12);
}

TEST(Vecteur2D, LineMeetsSegment)
{
    Line horizontal;  // y = 2
    ASSERT_TRUE(CVecteur2D::F_LineEquation(CVecteur2D(0, 2), CVecteur2D(1, 2), &horizontal));
    CVecteur2D out;
    EXPECT_TRUE(CVecteur2D::LineIntersectSegm(CVecteur2D(3, 0), CVecteur2D(3, 4), horizontal, &out));
    expect_point(out, 3, 2);
    EXPECT_FALSE(CVecteur2D::LineIntersectSegm(CVecteur2D(0, 3), CVecteur2D(4, 7), horizontal, &out));
    expect_point(out, -1, 2);  // the lines meet outside the segment
    EXPECT_FALSE(CVecteur2D::LineIntersectSegm(CVecteur2D(0, 5), CVecteur2D(4, 5), horizontal, &out));
    expect_point(out, -1, -1);  // parallel
    EXPECT_FALSE(CVecteur2D::LineIntersectSegm(CVecteur2D(1, 1), CVecteur2D(1, 1), horizontal, &out));
    EXPECT_FALSE(CVecteur2D::LineIntersectSegm(CVecteur2D(3, 0), CVecteur2D(3, 4), horizontal, nullptr));
}

TEST(Vecteur2D, PointAtDistanceAlongASegment)
{
    CVecteur2D out(5, 5);
    ASSERT_TRUE(CVecteur2D::F_GetSegmentPtAtDistance(CVecteur2D(1, 1), CVecteur2D(4, 5), 10, &out));
    expect_point(out, 7, 9);
    EXPECT_FALSE(CVecteur2D::F_GetSegmentPtAtDistance(CVecteur2D(1, 1), CVecteur2D(1, 1), 10, &out));
    expect_point(out, 0, 0);
    EXPECT_FALSE(CVecteur2D::F_GetSegmentPtAtDistance(CVecteur2D(1, 1), CVecteur2D(4, 5), 10, nullptr));
}

}  // namespace
