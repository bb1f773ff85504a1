#include "math/Vec2.h"
#include "math/Vec2i.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace Tavrolin::Fill {
namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(Vec2, EqualityToleranceBoundary) {
    struct Row {
        const char* name;
        Vec2 a, b;
        bool equal;
    };
    const std::vector<Row> rows = {
        {"1e-12 in x is equal", {0, 0}, {1e-12, 0}, true},
        {"1e-12 in y is equal", {0, 0}, {0, -1e-12}, true},
        {"2e-12 in x is not", {0, 0}, {2e-12, 0}, false},
        {"2e-12 in y is not", {5, 5}, {5, 5 + 2e-12}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.a == r.b, r.equal);
        EXPECT_EQ(r.a != r.b, !r.equal);
    }
    EXPECT_TRUE(Vec2(0, 0).equal(Vec2(0.1, -0.1), 0.1));
    EXPECT_FALSE(Vec2(0, 0).equal(Vec2(0.11, 0), 0.1));
    // Euclidean and strict: a distance of exactly the tolerance is not equal.
    EXPECT_FALSE(Vec2::equalWithTolerance(Vec2(0, 0), Vec2(3, 4), 5));
    EXPECT_TRUE(Vec2::equalWithTolerance(0, 0, 3, 4, 5.0001));
}

TEST(Vec2, PredicatesOnSmallValues) {
    EXPECT_TRUE(Vec2(1e-13, -1e-13).negligible());
    EXPECT_FALSE(Vec2(1e-12, 0).negligible()); // strict bound
    EXPECT_TRUE(Vec2(0, 1e-12).nonNegligible());
    EXPECT_TRUE(Vec2::negligible(-9e-13));
    EXPECT_FALSE(Vec2(-0.0, 1e-300).isZero());
    EXPECT_TRUE(Vec2(-0.0, 0.0).isZero());
    EXPECT_FALSE(Vec2::isDuplicate(Vec2(0, 0), Vec2(0.25, 0)));
    EXPECT_TRUE(Vec2::isDuplicate(Vec2(0, 0), Vec2(0.2, -0.2)));
    EXPECT_TRUE(Vec2(2, 4).isCollinear(Vec2(-1, -2)));
    EXPECT_FALSE(Vec2(2, 4).isCollinear(Vec2(1, 2.001)));
    EXPECT_TRUE(Vec2(1e6, 0).isOrthogonal(Vec2(0, 1e-6)));
    EXPECT_FALSE(Vec2(1, 1).isOrthogonal(Vec2(1, -0.999)));
}

TEST(Vec2, AccessAndArithmetic) {
    Vec2 v;
    EXPECT_EQ(v.x, 0);
    EXPECT_EQ(v.y, 0);
    const double array[] = {9, 8, 7, 6};
    v.fromArray(array, 1);
    EXPECT_EQ(v.x, 8);
    EXPECT_EQ(v.y, 7);
    v.fromArray(nullptr, 0);
    EXPECT_EQ(v.x, 8);

    Vec2 a(6, -9);
    a += Vec2(1, 1);
    a -= 2;
    a *= Vec2(2, 3);
    a /= 2;
    EXPECT_EQ(a.x, 5);
    EXPECT_EQ(a.y, -15);
    EXPECT_TRUE(std::isinf((Vec2(1, 0) / 0.0).x));
    // fmod keeps the dividend's sign; a zero divisor gives NaN.
    const Vec2 m = Vec2(-7, 7.5) % Vec2(2, 2);
    EXPECT_EQ(m.x, -1);
    EXPECT_EQ(m.y, 1.5);
    EXPECT_TRUE(std::isnan(Vec2(1, 1).modulo(Vec2(0, 1)).x));
    const Vec2 n = Vec2(0.0, -3).negate();
    EXPECT_TRUE(std::signbit(n.x));
    EXPECT_EQ(n.y, 3);
}

TEST(Vec2, ProductsAndDistances) {
    EXPECT_EQ(Vec2(1, 2).dot(Vec2(3, 4)), 11);
    EXPECT_EQ(Vec2(1, 2).cross(Vec2(3, 4)), -2);
    EXPECT_EQ(Vec2::cross(1, 2, 3, 4), -2);
    EXPECT_EQ(Vec2(3, 4).length(), 5);
    EXPECT_EQ(Vec2(1, 1).distance(Vec2(4, 5)), 5);
    EXPECT_EQ(Vec2::distanceSquared(Vec2(1, 1), Vec2(4, 5)), 25);
    EXPECT_EQ(Vec2(2, 3).dotProduction(Vec2(4, 5)), Vec2(8, 15));
    EXPECT_EQ(Vec2(2, 3).slope(), 1.5);
    EXPECT_EQ(Vec2(3, 4).project(Vec2(2, 0)), Vec2(3, 0));
    EXPECT_EQ(Vec2(3, 4).project(Vec2(0, 0)), Vec2(0, 0));
    // Distance from (1, 5) to the x axis is 5; its projection on the axis from (-2, 0) is 3 long.
    EXPECT_DOUBLE_EQ(Vec2(1, 5).distanceToLine(Vec2(-2, 0), Vec2(7, 0)), 5);
    EXPECT_DOUBLE_EQ(Vec2(1, 5).lineProjectionLength(Vec2(-2, 0), Vec2(7, 0)), 3);
    // Twice the area, no halving.
    EXPECT_EQ(Vec2::signedArea(Vec2(0, 0), Vec2(1, 0), Vec2(0, 1)), 1);
    EXPECT_EQ(Vec2::signedArea(Vec2(0, 0), Vec2(0, 1), Vec2(1, 0)), -1);
}

TEST(Vec2, LengthChanges) {
    Vec2 z;
    z.normalize();
    EXPECT_EQ(z, Vec2(1, 0));
    Vec2 v(3, 4);
    v.normalize();
    EXPECT_EQ(v, Vec2(0.6, 0.8));

    struct Row {
        Vec2 in;
        double length;
        Vec2 expected;
    };
    for (const Row& r : std::vector<Row>{{{0, 0}, 5, {5, 0}}, {{3, 4}, 5, {3, 4}}, {{6, 8}, 5, {3, 4}}}) {
        Vec2 w = r.in;
        w.setLength(r.length);
        EXPECT_EQ(w, r.expected) << r.in.x << "," << r.in.y;
    }

    double x = 3, y = 4;
    EXPECT_EQ(Vec2::normalize(&x, &y), 5);
    EXPECT_DOUBLE_EQ(x, 0.6);
    double sx = 1e-13, sy = 0;
    EXPECT_EQ(Vec2::normalize(&sx, &sy), 1e-13);
    EXPECT_EQ(sx, 1e-13); // not above 1e-12: left alone
}

TEST(Vec2, Perpendiculars) {
    EXPECT_EQ(Vec2(2, 3).normal(), Vec2(-3, 2));
    EXPECT_EQ(Vec2(2, 3).perpindicularLeft(), Vec2(-3, 2));
    EXPECT_EQ(Vec2(2, 3).perpindicularRight(), Vec2(3, -2));
    Vec2 p(2, 3);
    p.prepen();
    EXPECT_EQ(p, Vec2(-3, 2));
}

TEST(Vec2, Angles) {
    struct Row {
        Vec2 v;
        double degrees;
    };
    // atan2 quadrant values.
    for (const Row& r : std::vector<Row>{{{0, -1}, -90}, {{-1, 0}, 180}, {{0, 0}, 0}, {{-0.0, 0}, 0}, {{1, 1}, 45}}) {
        EXPECT_DOUBLE_EQ(r.v.getAngle(), r.degrees) << r.v.x << "," << r.v.y;
    }
    EXPECT_DOUBLE_EQ(Vec2(1, 0).angleBetween(Vec2(0, 1)), 90);
    EXPECT_DOUBLE_EQ(Vec2(0, 1).angleBetween(Vec2(1, 0)), -90);
    Vec2 s(3, 4);
    s.setAngle(180);
    EXPECT_NEAR(s.x, -5, 1e-12);
    EXPECT_NEAR(s.y, 0, 1e-12);
}

TEST(Vec2, Quadrants) {
    struct Row {
        Vec2 v;
        int quadrant;
    };
    for (const Row& r : std::vector<Row>{{{0, 0}, 1}, {{-0.0, 1}, 1}, {{0, -1}, 4}, {{-1, 0}, 2}, {{-1, -1}, 3}, {{2, 3}, 1}}) {
        EXPECT_EQ(r.v.getQuadrant(), r.quadrant) << r.v.x << "," << r.v.y;
    }
}

TEST(Vec2, RotateUsesFifteenDigitDegreeConstant) {
    Vec2 v(1, 0);
    v.rotate(90);
    // cos(90 * 0.017453292519943) worked out in Python: 2.6484540326036093e-14;
    // full-precision pi/180 would give 6.1e-17.
    EXPECT_NEAR(v.x, 2.6484540326036093e-14, 1e-27);
    EXPECT_GT(v.x, 1e-14);
    EXPECT_DOUBLE_EQ(v.y, 1);

    const Vec2 c(10, 10);
    EXPECT_NEAR(Vec2(11, 10).rotateRound(90, c).x, 10, 1e-12);
    EXPECT_NEAR(Vec2(11, 10).rotateRound(90, c).y, 11, 1e-12);
    Vec2 a(11, 10);
    a.rotateAround(-90, c);
    EXPECT_NEAR(a.x, 10, 1e-12);
    EXPECT_NEAR(a.y, 9, 1e-12);
}

TEST(Vec2, ZeroRotationKeepsBits) {
    const Vec2 in(0.1, 1.0 / 3.0);
    const Vec2 c(0.7, -0.3);
    Vec2 r = in;
    r.rotate(0);
    Vec2 ar = in;
    ar.rotateAround(0, c);
    const Vec2 rr = in.rotateRound(0, c);
    for (const Vec2& out : {r, ar, rr}) {
        EXPECT_TRUE(sameBits(out.x, in.x));
        EXPECT_TRUE(sameBits(out.y, in.y));
    }
}

TEST(Vec2, MinMaxClampSigns) {
    Vec2 v(1, 5);
    v.getMin(Vec2(2, 3));
    EXPECT_EQ(v, Vec2(1, 3));
    v.getMax(Vec2(4, 0));
    EXPECT_EQ(v, Vec2(4, 3));

    struct Row {
        const char* name;
        Vec2 in, min, max, expected;
    };
    const std::vector<Row> rows = {
        {"inside", {5, 5}, {0, 0}, {10, 10}, {5, 5}},
        {"below", {-1, -2}, {0, 0}, {10, 10}, {0, 0}},
        {"above", {11, 12}, {0, 0}, {10, 10}, {10, 10}},
        {"min above max, value below both", {1, 1}, {5, 5}, {3, 3}, {5, 5}},
        {"min above max, value above both", {9, 9}, {5, 5}, {3, 3}, {5, 5}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Vec2 c = r.in;
        c.clamp(r.min, r.max);
        EXPECT_EQ(c, r.expected);
    }

    Vec2 f(2, -3);
    f.followSigns(Vec2(-1, 0)); // zero counts as not positive
    EXPECT_EQ(f, Vec2(-2, -3));
    Vec2 g(0, 0);
    g.followSigns(Vec2(1, 1));
    EXPECT_TRUE(std::signbit(g.x));
    EXPECT_EQ(Vec2::lerp(Vec2(0, 10), Vec2(10, 20), 1.5), Vec2(15, 25));
}

TEST(Vec2, FrameConversions) {
    const Vec2 size(100, 50);
    EXPECT_EQ(Vec2::centerToTopLefetPoint(Vec2(0, 0), size), Vec2(50, 25));
    EXPECT_EQ(Vec2::centerToTopLefetPoint(Vec2(-50, 25), size), Vec2(0, 0));
    EXPECT_EQ(Vec2::topLeftToCenterPoint(Vec2(0, 0), size), Vec2(-50, 25));
    EXPECT_EQ(Vec2::topLeftToCenterPoint(Vec2(100, 50), size), Vec2(50, -25));
}

TEST(Vec2, IntersectCodes) {
    struct Row {
        const char* name;
        Vec2 p1, p2, p3, p4;
        unsigned int code;
        Vec2 out;
        bool writesU;
        double ua, ub;
    };
    // ua, ub worked by hand from the line equations of each pair.
    const std::vector<Row> rows = {
        {"crossing", {0, 0}, {2, 2}, {0, 2}, {2, 0}, 1, {1, 1}, true, 0.5, 0.5},
        {"parallel", {0, 0}, {1, 0}, {0, 1}, {1, 1}, 0, {0, 0}, false, 0, 0},
        {"coincident", {0, 0}, {1, 0}, {2, 0}, {3, 0}, 2, {0.5, 0}, false, 0, 0},
        {"ua outside", {0, 0}, {1, 1}, {3, 0}, {3, 5}, 3, {3, 3}, true, 3, 0.6},
        {"ub outside", {0, 0}, {2, 0}, {1, 1}, {1, 2}, 4, {1, 0}, true, 0.5, -1},
        {"both outside", {0, 0}, {1, 0}, {3, 1}, {3, 2}, 5, {3, 0}, true, 3, -1},
        {"end points count as inside", {0, 0}, {1, 0}, {1, -1}, {1, 1}, 1, {1, 0}, true, 1, 0.5},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Vec2 out(-7, -7);
        double ua = -99, ub = -99;
        EXPECT_EQ(Vec2::intersect(r.p1, r.p2, r.p3, r.p4, out, &ua, &ub), r.code);
        EXPECT_EQ(out, r.out);
        if (r.writesU) {
            EXPECT_DOUBLE_EQ(ua, r.ua);
            EXPECT_DOUBLE_EQ(ub, r.ub);
        } else {
            EXPECT_EQ(ua, -99);
            EXPECT_EQ(ub, -99);
        }
        Vec2 out2;
        EXPECT_EQ(Vec2::intersect(r.p1, r.p2, r.p3, r.p4, out2, nullptr, nullptr), r.code);
    }
}

TEST(Vec2, OppositeQuadrantTable) {
    struct Row {
        const char* name;
        Vec2 a, b;
        bool result;
    };
    const std::vector<Row> rows = {
        {"x differ, y differ", {1, 1}, {-1, -1}, true},
        {"x differ, y both zero", {1, 0}, {-1, 0}, true},
        {"x both zero, y differ", {0, 2}, {0, -3}, true},
        {"x differ, y equal non-zero", {1, 1}, {-1, 1}, false},
        {"equal signs", {2, 3}, {1, 1}, false},
        {"x equal non-zero, y differ", {1, 1}, {1, -1}, false},
        {"two equal vectors", {-1, 2}, {-1, 2}, false},
        {"two zero vectors", {0, 0}, {0, 0}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(Vec2::oppositeQuadrant(r.a, r.b), r.result);
    }
}

TEST(Vec2, SidesAndAnchors) {
    // c, d on either side of the x axis through a, b; a point on the line is non-positive.
    EXPECT_TRUE(Vec2::intersecting(Vec2(0, 0), Vec2(1, 0), Vec2(0, 1), Vec2(0, -1)));
    EXPECT_FALSE(Vec2::intersecting(Vec2(0, 0), Vec2(1, 0), Vec2(0, 1), Vec2(5, 2)));
    EXPECT_TRUE(Vec2::intersecting(Vec2(0, 0), Vec2(1, 0), Vec2(0, 1), Vec2(3, 0)));

    Vec2 v(1, 0);
    EXPECT_TRUE(Vec2::anchorOutwardD(v, Vec2(2, 0), Vec2(1, 0)));
    EXPECT_FALSE(Vec2::anchorOutwardD(v, Vec2(1, 0), Vec2(2, 0)));
    EXPECT_TRUE(Vec2::anchorOutward(v, Vec2(2, 0), Vec2(1, 0), true));
    EXPECT_EQ(v, Vec2(-1, 0));
    EXPECT_FALSE(Vec2::anchorOutward(v, Vec2(2, 0), Vec2(1, 0), true));
    EXPECT_EQ(v, Vec2(-1, 0));
    Vec2::anchorInward(v, Vec2(0, 0), Vec2(1, 0)); // product (-1)(-1) > 0: flips
    EXPECT_EQ(v, Vec2(1, 0));
    Vec2::anchorInward(v, Vec2(0, 0), Vec2(1, 0));
    EXPECT_EQ(v, Vec2(1, 0));
}

TEST(Vec2i, Arithmetic) {
    EXPECT_EQ(Vec2i(7, -7) * 0.5, Vec2i(3, -3)); // truncation toward zero
    Vec2i s(7, -7);
    s *= 0.5;
    EXPECT_EQ(s, Vec2i(3, -3));
    EXPECT_EQ(Vec2i(7, -7) % Vec2i(2, 2), Vec2i(1, -1));
    Vec2i m(2, 3);
    m.mult(4);
    EXPECT_EQ(m, Vec2i(8, 12));
    EXPECT_EQ(Vec2i(8, 12) / 4, Vec2i(2, 3));
    EXPECT_EQ(Vec2i(1, 2) + Vec2i(3, 4), Vec2i(4, 6));
    EXPECT_EQ(Vec2i(1, 2) - 1, Vec2i(0, 1));
    EXPECT_TRUE(Vec2i(1, 2) != Vec2i(1, 3));
    EXPECT_TRUE(Vec2i(1, 2).equal(Vec2i(1, 2)));
    EXPECT_EQ(Vec2i(3, 4).lengthSquare(), 25);
    EXPECT_EQ(Vec2i(3, 4).length(), 5);
    EXPECT_EQ(Vec2i(1, 1).distance(Vec2i(4, 5)), 5);
    const Vec2 d = Vec2i(-3, 9).toVec2();
    EXPECT_EQ(d.x, -3);
    EXPECT_EQ(d.y, 9);
    const int arr[] = {5, 6, 7};
    Vec2i f;
    f.fromArray(arr, 1);
    EXPECT_EQ(f, Vec2i(6, 7));
    f.fromArray(nullptr, 0);
    EXPECT_EQ(f, Vec2i(6, 7));
    EXPECT_TRUE(Vec2i().isZero());
}

} // namespace
} // namespace Tavrolin::Fill
